// SPDX-License-Identifier: GPL-2.0-or-later
// Finding the standard XMP segment among a JPEG's leading segments, and
// building a new one.
#include "engine/xmp_segment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace kelvane {
namespace {

using Bytes = std::vector<uint8_t>;

const std::string kXmpHeader("http://ns.adobe.com/xap/1.0/\0", 29);
const std::string kExtendedHeader("http://ns.adobe.com/xmp/extension/\0", 35);

Bytes Segment(uint8_t marker, const std::string& payload) {
  const size_t length = payload.size() + 2;
  Bytes bytes(4 + payload.size());
  bytes[0] = 0xFF;
  bytes[1] = marker;
  bytes[2] = static_cast<uint8_t>(length >> 8);
  bytes[3] = static_cast<uint8_t>(length);
  std::copy(payload.begin(), payload.end(), bytes.begin() + 4);
  return bytes;
}

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes joined;
  for (const Bytes& part : parts) joined.insert(joined.end(), part.begin(), part.end());
  return joined;
}

TEST(XmpSegment, FindsTheStandardSegmentBeforeTheScanOnly) {
  const Bytes soi{0xFF, 0xD8};
  const Bytes sos = Join({Segment(0xDA, std::string(10, '\1')), {0x12, 0x34, 0xFF, 0xD9}});
  const Bytes app0 = Segment(0xE0, std::string("JFIF\0\1\1\0\0\1\0\1\0\0", 14));
  const Bytes exif = Segment(0xE1, std::string("Exif\0\0MM", 8));
  const Bytes xmp = Segment(0xE1, kXmpHeader + "<x:xmpmeta/>");
  const Bytes extended = Segment(0xE1, kExtendedHeader + "<x:xmpmeta/>");
  const Bytes notXmp = Segment(0xE1, "http://ns.adobe.com/xap/1.0/<x:xmpmeta/>");  // no zero byte
  const Bytes inApp2 = Segment(0xE2, kXmpHeader + "<x:xmpmeta/>");
  Bytes withFill = xmp;
  withFill.insert(withFill.begin(), {0xFF, 0xFF});
  const Bytes tem{0xFF, 0x01};
  const Bytes shortLength{0xFF, 0xE1, 0x00, 0x01};
  const Bytes pastTheEnd{0xFF, 0xE1, 0x40, 0x00, 'x'};

  const struct {
    const char* what;
    Bytes head;
    XmpSegmentSearch search;
    size_t offset;  // when found; the packet is always <x:xmpmeta/>
  } cases[] = {
      {"after APP0 and Exif", Join({soi, app0, exif, xmp, sos}), XmpSegmentSearch::kFound, 2 + 18 + 12},
      {"first", Join({soi, xmp, exif, sos}), XmpSegmentSearch::kFound, 2},
      {"behind extended XMP", Join({soi, extended, xmp, sos}), XmpSegmentSearch::kFound, 2 + 4 + 35 + 12},
      {"behind fill bytes and TEM", Join({soi, tem, withFill, sos}), XmpSegmentSearch::kFound, 2 + 2 + 2},
      {"found before the bytes end", Join({soi, xmp}), XmpSegmentSearch::kFound, 2},
      {"only extended XMP", Join({soi, extended, sos}), XmpSegmentSearch::kNotFound, 0},
      {"header without its zero byte", Join({soi, notXmp, sos}), XmpSegmentSearch::kNotFound, 0},
      {"header in APP2", Join({soi, inApp2, sos}), XmpSegmentSearch::kNotFound, 0},
      {"after the scan", Join({soi, exif, sos, xmp}), XmpSegmentSearch::kNotFound, 0},
      {"not a JPEG", Join({{0x89, 'P', 'N', 'G'}, xmp}), XmpSegmentSearch::kNotFound, 0},
      {"garbage where a marker belongs", Join({soi, {0x00, 0x11}, xmp, sos}), XmpSegmentSearch::kNotFound, 0},
      {"length below 2", Join({soi, shortLength, xmp, sos}), XmpSegmentSearch::kNotFound, 0},
      {"a second SOI", Join({soi, soi, xmp}), XmpSegmentSearch::kNotFound, 0},
      {"nothing", {}, XmpSegmentSearch::kCutShort, 0},
      {"only SOI", soi, XmpSegmentSearch::kCutShort, 0},
      {"ends inside a segment", Join({soi, pastTheEnd}), XmpSegmentSearch::kCutShort, 0},
      {"ends inside the XMP segment", Join({soi, Bytes(xmp.begin(), xmp.end() - 1)}), XmpSegmentSearch::kCutShort, 0},
      {"ends after a marker's fill bytes", Join({soi, {0xFF, 0xFF}}), XmpSegmentSearch::kCutShort, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const XmpSegmentLocation found = FindXmpSegment(c.head);
    EXPECT_EQ(found.search, c.search);
    if (found.search != XmpSegmentSearch::kFound) continue;
    EXPECT_EQ(found.segment.offset, c.offset);
    EXPECT_EQ(found.segment.length, xmp.size());
    EXPECT_EQ(found.segment.packetOffset, c.offset + kXmpSegmentHeadLength);
    const auto packet = found.Packet(c.head);
    EXPECT_EQ(std::string(packet.begin(), packet.end()), "<x:xmpmeta/>");
  }
}

TEST(XmpSegment, BuildsSegmentsUpToTheLengthLimit) {
  for (const size_t length : {size_t{0}, size_t{100}, kMaxXmpPacketLength, kMaxXmpPacketLength + 1}) {
    SCOPED_TRACE(length);
    const Bytes packet(length, ' ');
    const auto segment = BuildXmpSegment(packet);
    ASSERT_EQ(segment.has_value(), length <= kMaxXmpPacketLength);
    if (!segment) continue;
    const Bytes head = Join({{0xFF, 0xD8}, *segment, {0xFF, 0xDA}});
    const XmpSegmentLocation found = FindXmpSegment(head);
    ASSERT_EQ(found.search, XmpSegmentSearch::kFound);
    EXPECT_EQ(found.segment.length, segment->size());
    EXPECT_EQ(found.segment.packetLength, length);
  }
}

}  // namespace
}  // namespace kelvane
