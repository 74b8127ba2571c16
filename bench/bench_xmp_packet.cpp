// SPDX-License-Identifier: GPL-2.0-or-later
// Time of one XMP packet edit (taken-time shift, copyright and description
// together) on typical packets of a few KB, and of finding the XMP segment
// in a photo's head: both must cost little next to the photo write they
// ride along with.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/bench_common.h"
#include "engine/xmp_packet.h"
#include "engine/xmp_segment.h"

using namespace kelvane;

namespace {

// A packet as exiftool writes it, with its usual padding.
std::string ExiftoolPacket() {
  std::string packet =
      "<?xpacket begin='\xEF\xBB\xBF' id='W5M0MpCehiHzreSzNTczkc9d'?>\n"
      "<x:xmpmeta xmlns:x='adobe:ns:meta/' x:xmptk='Image::ExifTool 12.57'>\n"
      "<rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'>\n\n"
      " <rdf:Description rdf:about=''\n  xmlns:dc='http://purl.org/dc/elements/1.1/'>\n"
      "  <dc:description>\n   <rdf:Alt>\n    <rdf:li xml:lang='x-default'>An old description</rdf:li>\n"
      "   </rdf:Alt>\n  </dc:description>\n  <dc:rights>\n   <rdf:Alt>\n"
      "    <rdf:li xml:lang='x-default'>Copyright(C) 2008 A Photographer - All Rights Reserved.</rdf:li>\n"
      "   </rdf:Alt>\n  </dc:rights>\n </rdf:Description>\n\n"
      " <rdf:Description rdf:about=''\n  xmlns:exif='http://ns.adobe.com/exif/1.0/'>\n"
      "  <exif:DateTimeDigitized>2008-05-04T16:47:24+02:00</exif:DateTimeDigitized>\n"
      "  <exif:DateTimeOriginal>2008-05-04T16:47:24.123+02:00</exif:DateTimeOriginal>\n"
      "  <exif:ExposureTime>1/180</exif:ExposureTime>\n  <exif:FNumber>110/10</exif:FNumber>\n"
      " </rdf:Description>\n\n"
      " <rdf:Description rdf:about=''\n  xmlns:photoshop='http://ns.adobe.com/photoshop/1.0/'>\n"
      "  <photoshop:DateCreated>2008-05-04</photoshop:DateCreated>\n </rdf:Description>\n\n"
      " <rdf:Description rdf:about=''\n  xmlns:xmp='http://ns.adobe.com/xap/1.0/'>\n"
      "  <xmp:CreateDate>2008-05-04T16:47:24</xmp:CreateDate>\n"
      "  <xmp:ModifyDate>2008-05-04T16:47:24Z</xmp:ModifyDate>\n </rdf:Description>\n"
      "</rdf:RDF>\n</x:xmpmeta>\n";
  for (int i = 0; i < 24; ++i) packet += std::string(100, ' ') + "\n";
  return packet + "<?xpacket end='w'?>";
}

std::vector<uint8_t> FileHead(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> head(128 * 1024);
  in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<size_t>(in.gcount()));
  return head;
}

// Best time of one call in microseconds over a few rounds.
template <typename Job>
double BestMicroseconds(int calls, Job job) {
  double best = 1e30;
  for (int round = 0; round < 5; ++round) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < calls; ++i) job();
    best = std::min(best, bench::Seconds(start) * 1e6 / calls);
  }
  return best;
}

void Measure(const char* what, std::span<const uint8_t> packet) {
  XmpEdits edits;
  edits.takenTime = XmpTakenTimeChange{{2008, 5, 4, 16, 47, 24}, {2008, 5, 5, 1, 2, 3}};
  edits.rights = "Copyright(C) 2009 A Photographer - All Rights Reserved.";
  edits.description = "A new description";
  XmpEditStatus status = XmpEditStatus::kUnchanged;
  const double us =
      BestMicroseconds(2000, [&] { status = EditXmpPacket(packet, edits, XmpPacketKind::kEmbedded).status; });
  const char* shown = status == XmpEditStatus::kSameLength ? "in place"
                      : status == XmpEditStatus::kResized  ? "grown"
                                                           : "not edited";
  std::printf("%-48s %6zu bytes %8.2f us/edit (%s)\n", what, packet.size(), us, shown);
}

}  // namespace

int main() {
  const std::string exiftool = ExiftoolPacket();
  Measure("packet as exiftool writes it",
          std::span(reinterpret_cast<const uint8_t*>(exiftool.data()), exiftool.size()));
  for (const char* name : {"xmp/BlueSquare.jpg", "text/Pentax_K10D_two_notices.jpg", "xmp/no_exif.jpg"}) {
    const auto path = bench::SamplesFolder() / name;
    const std::vector<uint8_t> head = FileHead(path);
    const XmpSegmentLocation found = FindXmpSegment(head);
    if (found.search != XmpSegmentSearch::kFound) {
      std::printf("%-48s not found; skipped\n", name);
      continue;
    }
    Measure(name, found.Packet(head));
    const double us = BestMicroseconds(20000, [&] { (void)FindXmpSegment(head).search; });
    std::printf("%-48s %8.2f us to find the segment\n", "", us);
  }
  return 0;
}
