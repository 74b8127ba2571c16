// SPDX-License-Identifier: GPL-2.0-or-later
// XMP edits put back into photos and read by exiftool: packets exiftool
// wrote, and every sample photo that carries XMP. exiftool must read the
// intended values, every other tag as before and no new warning.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "engine/exif_date_time.h"
#include "engine/xmp_packet.h"
#include "engine/xmp_segment.h"
#include "engine/xmp_sidecar.h"
#include "support/exiftool_oracle.h"
#include "support/jpeg_builder.h"
#include "support/test_support.h"

namespace kelvane {
namespace {

using json = nlohmann::json;

const std::set<std::string> kEditedKeys = {
    "XMP-exif:DateTimeOriginal", "XMP-exif:DateTimeDigitized", "XMP-xmp:CreateDate",
    "XMP-xmp:ModifyDate",        "XMP-photoshop:DateCreated",  "XMP-dc:Rights",
    "XMP-dc:Description",
};

#define KELVANE_REQUIRE_EXIFTOOL() \
  if (!test::HaveExiftool()) GTEST_SKIP() << "no exiftool"

// Edits the packet of the photo's standard XMP segment and writes it back:
// over the old packet when it kept its length, else as a new segment.
XmpEditResult EditPhoto(const std::string& path, const XmpEdits& edits) {
  test::Bytes bytes = test::ReadBytes(path);
  const XmpSegmentLocation found = FindXmpSegment(bytes);
  EXPECT_EQ(found.search, XmpSegmentSearch::kFound);
  if (found.search != XmpSegmentSearch::kFound) return {};
  XmpEditResult result = EditXmpPacket(found.Packet(bytes), edits, XmpPacketKind::kEmbedded);
  const XmpSegment& old = found.segment;
  if (result.status == XmpEditStatus::kSameLength) {
    std::copy(result.packet.begin(), result.packet.end(), bytes.begin() + static_cast<ptrdiff_t>(old.packetOffset));
  } else if (result.status == XmpEditStatus::kResized) {
    const auto segment = BuildXmpSegment(result.packet);
    EXPECT_TRUE(segment);
    if (!segment) return result;
    const auto at = bytes.begin() + static_cast<ptrdiff_t>(old.offset);
    bytes.erase(at, at + static_cast<ptrdiff_t>(old.length));
    bytes.insert(bytes.begin() + static_cast<ptrdiff_t>(old.offset), segment->begin(), segment->end());
  }
  test::WriteBytes(path, bytes);
  return result;
}

// exiftool started once for many photos, as each start costs a good part
// of a second.

// Runs each command (its arguments, without the program name) in one exiftool.
bool RunExiftool(const test::ScratchFolder& scratch, const std::vector<std::vector<std::string>>& commands) {
  std::string arguments;
  for (const auto& command : commands) {
    for (const std::string& argument : command) arguments += argument + "\n";
    arguments += "-execute\n";
  }
  const std::string file = scratch.File("arguments.txt");
  test::WriteBytes(file, test::Bytes(arguments.begin(), arguments.end()));
  return test::RunCommand("exiftool -q -@ " + test::ShellQuote(file) + " 2>/dev/null").has_value();
}

std::string Joined(const std::vector<std::string>& paths) {
  std::string joined;
  for (const std::string& path : paths) joined += " " + test::ShellQuote(path);
  return joined;
}

// What exiftool reads in each photo, as test::ExiftoolTags does for one.
std::map<std::string, json> Tags(const std::vector<std::string>& paths) {
  std::map<std::string, json> tags;
  const auto output = test::RunCommand("exiftool -j -a -G1 -s -n -b" + Joined(paths) + " 2>/dev/null");
  const json parsed = json::parse(output.value_or(""), nullptr, false);
  if (parsed.is_discarded() || !parsed.is_array()) return tags;
  for (const json& photo : parsed) tags[photo["SourceFile"].get<std::string>()] = photo;
  return tags;
}

// Each photo's warnings, as test::ExiftoolWarnings gives them for one.
std::map<std::string, std::multiset<std::string>> Warnings(const std::vector<std::string>& paths) {
  std::map<std::string, std::multiset<std::string>> warnings;
  const auto output = test::RunCommand("exiftool -validate -warning -a -s -s" + Joined(paths) + " 2>/dev/null");
  std::istringstream lines(output.value_or(""));
  std::string line;
  std::string photo = paths.size() == 1 ? paths.front() : "";
  const std::string header = "======== ";
  const std::string prefix = "Warning: ";
  while (std::getline(lines, line)) {
    if (line.rfind(header, 0) == 0) photo = line.substr(header.size());
    if (line.rfind(prefix, 0) == 0) warnings[photo].insert(line.substr(prefix.size()));
  }
  return warnings;
}

// What must hold after any edit: the bytes outside the XMP segment are
// those of the original, exiftool reads no new warning and, apart from the
// edited tags, what it read before.
void ExpectNothingElseChanged(const std::string& original, const std::string& edited, const json& before,
                              const json& after, const std::multiset<std::string>& warningsBefore,
                              const std::multiset<std::string>& warningsAfter) {
  const test::Bytes a = test::ReadBytes(original);
  const test::Bytes b = test::ReadBytes(edited);
  const XmpSegment oldSegment = FindXmpSegment(a).segment;
  const XmpSegment newSegment = FindXmpSegment(b).segment;
  EXPECT_EQ(oldSegment.offset, newSegment.offset);
  EXPECT_TRUE(std::equal(a.begin(), a.begin() + static_cast<ptrdiff_t>(oldSegment.offset), b.begin()));
  EXPECT_TRUE(std::equal(a.begin() + static_cast<ptrdiff_t>(oldSegment.offset + oldSegment.length), a.end(),
                         b.begin() + static_cast<ptrdiff_t>(newSegment.offset + newSegment.length), b.end()));
  EXPECT_EQ(test::TagDifferences(before, after, kEditedKeys), std::vector<std::string>{});
  EXPECT_EQ(test::NewWarnings(warningsBefore, warningsAfter), std::vector<std::string>{});
}

std::string Reading(const json& tags, const std::string& key) {
  if (!tags.contains(key)) return "(missing)";
  return tags[key].is_string() ? tags[key].get<std::string>() : tags[key].dump();
}

TEST(XmpExiftool, PacketsWrittenByExiftoolReadAsIntended) {
  KELVANE_REQUIRE_SAMPLES();
  KELVANE_REQUIRE_EXIFTOOL();
  const struct {
    const char* what;
    std::vector<std::string> written;
    CalendarTime before;
    CalendarTime after;
    std::string rights;
    std::string description;
    std::map<std::string, std::string> expected;
  } cases[] = {
      {"zones and a fraction, forward across midnight; ModifyDate not the taken time",
       {"-XMP-exif:DateTimeOriginal=2008:05:04 16:47:24.123+02:00", "-XMP-xmp:CreateDate=2008:05:04 16:47:24+02:00",
        "-XMP-photoshop:DateCreated=2008:05:04", "-XMP-exif:DateTimeDigitized=2008:05:04 16:47:24Z",
        "-XMP-xmp:ModifyDate=2009:01:01 10:00:00", "-XMP-dc:Rights=Old", "-XMP-dc:Description=Old"},
       {2008, 5, 4, 16, 47, 24},
       {2008, 5, 5, 0, 10, 0},
       XmpTextOfExifCopyright(std::string("Jane Doe\0 Copyright(C) 2009 An Editor\0", 39)),
       "Neu: \xC3\xBC & <b>\nzweite Zeile",
       {{"XMP-exif:DateTimeOriginal", "2008:05:05 00:10:00.123+02:00"},
        {"XMP-xmp:CreateDate", "2008:05:05 00:10:00+02:00"},
        {"XMP-photoshop:DateCreated", "2008:05:05"},
        {"XMP-exif:DateTimeDigitized", "2008:05:05 00:10:00Z"},
        {"XMP-xmp:ModifyDate", "2009:01:01 10:00:00"},
        {"XMP-dc:Rights", "Jane Doe\n Copyright(C) 2009 An Editor"},
        {"XMP-dc:Description", "Neu: \xC3\xBC & <b>\nzweite Zeile"}}},
      {"no zones, lower precisions, backward across the year's end; texts removed",
       {"-XMP-exif:DateTimeOriginal=2009:01:01 00:00:05", "-XMP-xmp:CreateDate=2009:01:01 00:00",
        "-XMP-photoshop:DateCreated=2009:01", "-XMP-xmp:ModifyDate=2009:01:01 00:00:05.5",
        "-XMP-exif:DateTimeDigitized=2009:01:01 00:00:06", "-XMP-dc:Rights=Old", "-XMP-dc:Description=Old"},
       {2009, 1, 1, 0, 0, 5},
       {2008, 12, 31, 23, 59, 0},
       "",
       "",
       {{"XMP-exif:DateTimeOriginal", "2008:12:31 23:59:00"},
        {"XMP-xmp:CreateDate", "2008:12:31 23:59"},
        {"XMP-photoshop:DateCreated", "2008:12"},
        {"XMP-xmp:ModifyDate", "2008:12:31 23:59:00.5"},
        {"XMP-exif:DateTimeDigitized", "2009:01:01 00:00:06"},
        {"XMP-dc:Rights", "(missing)"},
        {"XMP-dc:Description", "(missing)"}}},
      {"texts added where the packet has none",
       {"-XMP-exif:DateTimeOriginal=2008:05:04 16:47:24"},
       {2008, 5, 4, 16, 47, 24},
       {2008, 5, 4, 16, 47, 24},
       "R & R",
       "D",
       {{"XMP-exif:DateTimeOriginal", "2008:05:04 16:47:24"}, {"XMP-dc:Rights", "R & R"}, {"XMP-dc:Description", "D"}}},
  };
  test::ScratchFolder scratch;
  std::vector<std::vector<std::string>> writes;
  std::vector<std::string> originals;
  std::vector<std::string> edited;
  for (size_t i = 0; i < std::size(cases); ++i) {
    originals.push_back(scratch.CopySample("cameras/Canon_40D.jpg", "original" + std::to_string(i) + ".jpg"));
    edited.push_back(scratch.File("edited" + std::to_string(i) + ".jpg"));
    writes.push_back(cases[i].written);
    writes.back().insert(writes.back().begin(), "-overwrite_original");
    writes.back().push_back(originals.back());
  }
  ASSERT_TRUE(RunExiftool(scratch, writes));
  std::vector<XmpEditResult> results;
  for (size_t i = 0; i < std::size(cases); ++i) {
    test::WriteBytes(edited[i], test::ReadBytes(originals[i]));
    XmpEdits edits;
    edits.takenTime = XmpTakenTimeChange{cases[i].before, cases[i].after};
    edits.rights = cases[i].rights;
    edits.description = cases[i].description;
    results.push_back(EditPhoto(edited[i], edits));
  }
  std::vector<std::string> all = originals;
  all.insert(all.end(), edited.begin(), edited.end());
  auto tags = Tags(all);
  auto warnings = Warnings(all);
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].what);
    // exiftool leaves room for edits in place.
    EXPECT_EQ(results[i].status, XmpEditStatus::kSameLength) << results[i].problem;
    EXPECT_EQ(test::ReadBytes(edited[i]).size(), test::ReadBytes(originals[i]).size());
    const json& after = tags[edited[i]];
    for (const auto& [key, value] : cases[i].expected) EXPECT_EQ(Reading(after, key), value) << key;
    ExpectNothingElseChanged(originals[i], edited[i], tags[originals[i]], after, warnings[originals[i]],
                             warnings[edited[i]]);
  }
}

std::optional<CalendarTime> TimeOf(const std::string& text) {
  CalendarTime t;
  if (std::sscanf(text.c_str(), "%d:%d:%d %d:%d:%d", &t.year, &t.month, &t.day, &t.hour, &t.minute, &t.second) != 6) {
    return std::nullopt;
  }
  return t;
}

TEST(XmpExiftool, EverySamplePhotoWithXmpReadsAsExiftoolWouldShiftIt) {
  KELVANE_REQUIRE_SAMPLES();
  KELVANE_REQUIRE_EXIFTOOL();
  // The two notices of text/Pentax_K10D_two_notices.jpg as its Exif holds them.
  const std::string copyright(
      "Laitche (This file is in the public domain.)\0Copyright(C) 2008 Example Editor - All Rights Reserved.\0", 101);
  const std::string description = "Kelvane & <XMP> \xC3\xBC";
  constexpr double kShift = 1 + (3600 + 60 + 1) / 86400.0;  // a day, an hour, a minute and a second
  const std::string kExiftoolShift = "+=0:0:1 1:1:1";
  // Values exiftool refuses to shift (an hour without its leading zero), and what they become.
  const std::map<std::pair<std::string, std::string>, std::string> notShiftedByExiftool = {
      {{"text/33-type_error.jpg", "XMP-exif:DateTimeOriginal"}, "2008:05:26 20:32:27.0+1:00"},
      {{"text/33-type_error.jpg", "XMP-exif:DateTimeDigitized"}, "2008:05:26 20:32:27.0+1:00"},
  };
  const std::vector<std::string> dateKeys = {"XMP-exif:DateTimeOriginal", "XMP-xmp:CreateDate",
                                             "XMP-photoshop:DateCreated", "XMP-exif:DateTimeDigitized",
                                             "XMP-xmp:ModifyDate"};

  test::ScratchFolder scratch;
  std::vector<std::filesystem::path> photos;
  std::vector<std::string> originals;
  for (const auto& relative : test::SamplePhotos()) {
    const std::string original = (*test::SamplesFolder() / relative).string();
    if (FindXmpSegment(test::ReadBytes(original)).search != XmpSegmentSearch::kFound) continue;
    photos.push_back(relative);
    originals.push_back(original);
  }
  ASSERT_GE(photos.size(), 2u);
  auto before = Tags(originals);

  std::vector<std::string> edited;
  std::vector<std::string> references;
  std::vector<XmpEditResult> results;
  std::vector<std::vector<std::string>> shifts;
  for (size_t i = 0; i < photos.size(); ++i) {
    SCOPED_TRACE(photos[i].string());
    const json& tags = before[originals[i]];
    // The taken time: Exif's, else the XMP creation or modification time.
    std::optional<CalendarTime> taken;
    for (const char* key : {"ExifIFD:DateTimeOriginal", "XMP-xmp:CreateDate", "XMP-xmp:ModifyDate"}) {
      if (!taken && tags.contains(key)) taken = TimeOf(Reading(tags, key));
    }
    XmpEdits edits;
    edits.rights = XmpTextOfExifCopyright(copyright);
    edits.description = description;
    // exiftool, told which tags to shift, is the reference for the dates.
    references.push_back(scratch.CopySample(photos[i], "reference" + std::to_string(i) + ".jpg"));
    if (taken) {
      edits.takenTime = XmpTakenTimeChange{*taken, *CalendarTimeOf(*DateValueOf(*taken) + kShift)};
      shifts.push_back({"-overwrite_original"});
      for (const std::string& key : dateKeys) {
        const bool always = key != "XMP-exif:DateTimeDigitized" && key != "XMP-xmp:ModifyDate";
        if (always || Reading(tags, key).substr(0, 19) == FormatExifDateTime(*taken)) {
          shifts.back().push_back("-" + key + kExiftoolShift);
        }
      }
      shifts.back().push_back(references.back());
    }
    edited.push_back(scratch.CopySample(photos[i], "edited" + std::to_string(i) + ".jpg"));
    results.push_back(EditPhoto(edited.back(), edits));
  }
  ASSERT_TRUE(RunExiftool(scratch, shifts));
  std::vector<std::string> all = edited;
  all.insert(all.end(), references.begin(), references.end());
  auto after = Tags(all);
  all.insert(all.end(), originals.begin(), originals.end());
  auto warnings = Warnings(all);

  for (size_t i = 0; i < photos.size(); ++i) {
    SCOPED_TRACE(photos[i].string());
    const XmpEditResult& result = results[i];
    ASSERT_TRUE(result.status == XmpEditStatus::kSameLength || result.status == XmpEditStatus::kResized)
        << result.problem;
    const json& tags = after[edited[i]];
    for (const std::string& key : dateKeys) {
      const auto known = notShiftedByExiftool.find({photos[i].string(), key});
      const std::string expected =
          known != notShiftedByExiftool.end() ? known->second : Reading(after[references[i]], key);
      EXPECT_EQ(Reading(tags, key), expected) << key;
    }
    EXPECT_EQ(Reading(tags, "XMP-dc:Rights"), XmpTextOfExifCopyright(copyright));
    EXPECT_EQ(Reading(tags, "XMP-dc:Description"), description);
    if (photos[i] == "text/Pentax_K10D_two_notices.jpg") {
      // That photo's Exif holds the same notices: both read alike.
      EXPECT_EQ(Reading(tags, "XMP-dc:Rights"), Reading(tags, "IFD0:Copyright"));
      // Its packet has no padding: it grows.
      EXPECT_EQ(result.status, XmpEditStatus::kResized);
    }
    ExpectNothingElseChanged(originals[i], edited[i], before[originals[i]], tags, warnings[originals[i]],
                             warnings[edited[i]]);
  }
}

TEST(XmpExiftool, ExifTextsAreTheOnesExiftoolShows) {
  KELVANE_REQUIRE_EXIFTOOL();
  // Copyright values (a zero byte is added to each) and the description
  // stored with them.
  const std::vector<std::string> values = {
      "Photographer",
      std::string("Photographer\0", 13),
      std::string("Photographer\0 Editor\0", 21),
      std::string(" \0Editor\0", 9),
      std::string("Photographer   \0  Editor  \0 \0\0", 31),
      std::string("A\0B\0C", 5),
      "Trailing blanks   ",
  };
  const std::string description("abc \0junk", 9);
  test::ScratchFolder scratch;
  std::vector<std::string> paths;
  for (size_t i = 0; i < values.size(); ++i) {
    test::TiffLayout layout;
    layout.ifd0 = {test::Ascii(0x010E, description), test::Ascii(0x8298, values[i])};
    paths.push_back(scratch.File("c" + std::to_string(i) + ".jpg"));
    test::WriteBytes(paths.back(), test::BuildJpeg(test::BuildTiff(layout)));
  }
  auto tags = Tags(paths);
  for (size_t i = 0; i < values.size(); ++i) {
    EXPECT_EQ(Reading(tags[paths[i]], "IFD0:Copyright"), XmpTextOfExifCopyright(values[i] + '\0')) << i;
    EXPECT_EQ(Reading(tags[paths[i]], "IFD0:ImageDescription"), XmpTextOfExifText(description + '\0')) << i;
  }
}

TEST(XmpExiftool, SidecarsReadAsIntended) {
  KELVANE_REQUIRE_SAMPLES();
  KELVANE_REQUIRE_EXIFTOOL();
  test::ScratchFolder scratch;
  // One sidecar as exiftool writes it from a photo, one as darktable does,
  // without the xpacket wrapper.
  const std::string photo = scratch.CopySample("text/Pentax_K10D_two_notices.jpg", "photo.jpg");
  const std::string fromExiftool = scratch.File("photo.xmp");
  ASSERT_TRUE(test::RunCommand("exiftool -q -o " + test::ShellQuote(fromExiftool) + " " + test::ShellQuote(photo)));
  const std::string darktable = scratch.File("photo.jpg.xmp");
  const std::string text =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<x:xmpmeta xmlns:x=\"adobe:ns:meta/\" x:xmptk=\"XMP Core "
      "4.4.0-Exiv2\">\n <rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n  <rdf:Description "
      "rdf:about=\"\"\n    xmlns:exif=\"http://ns.adobe.com/exif/1.0/\"\n    "
      "xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\"\n    xmlns:darktable=\"http://darktable.sf.net/\"\n    "
      "exif:DateTimeOriginal=\"2008:05:04 16:47:24\"\n    xmp:CreateDate=\"2008-05-04T16:47:24\"\n    "
      "darktable:xmp_version=\"5\"/>\n </rdf:RDF>\n</x:xmpmeta>\n";
  test::WriteBytes(darktable, test::Bytes(text.begin(), text.end()));
  const std::vector<std::string> sidecars = {fromExiftool, darktable};
  std::vector<std::string> edited;
  XmpEdits edits;
  edits.takenTime = XmpTakenTimeChange{{2008, 5, 4, 16, 47, 24}, {2007, 5, 4, 6, 0, 0}};
  edits.rights = "New rights";
  edits.description = "New description";
  for (const std::string& sidecar : sidecars) {
    const XmpEditResult result = EditXmpSidecar(test::ReadBytes(sidecar), edits);
    EXPECT_EQ(result.status, XmpEditStatus::kResized) << result.problem;
    edited.push_back(sidecar + ".edited.xmp");
    test::WriteBytes(edited.back(), result.packet);
  }
  std::vector<std::string> all = sidecars;
  all.insert(all.end(), edited.begin(), edited.end());
  auto tags = Tags(all);
  const std::map<std::string, std::string> expected[] = {
      {{"XMP-exif:DateTimeOriginal", "2007:05:04 06:00:00"},
       {"XMP-exif:DateTimeDigitized", "2007:05:04 06:00:00+09:00"},
       {"XMP-xmp:CreateDate", "2007:05:04 06:00:00"},
       {"XMP-xmp:ModifyDate", "2008:07:31 15:56:49"},
       {"XMP-dc:Rights", "New rights"},
       {"XMP-dc:Description", "New description"}},
      // Its DateTimeOriginal is spelt as in Exif, and stays so.
      {{"XMP-exif:DateTimeOriginal", "2007:05:04 06:00:00"},
       {"XMP-xmp:CreateDate", "2007:05:04 06:00:00"},
       {"XMP-dc:Rights", "New rights"},
       {"XMP-dc:Description", "New description"}},
  };
  for (size_t i = 0; i < sidecars.size(); ++i) {
    SCOPED_TRACE(sidecars[i]);
    for (const auto& [key, value] : expected[i]) EXPECT_EQ(Reading(tags[edited[i]], key), value) << key;
    EXPECT_EQ(test::TagDifferences(tags[sidecars[i]], tags[edited[i]], kEditedKeys), std::vector<std::string>{});
  }
}

}  // namespace
}  // namespace kelvane
