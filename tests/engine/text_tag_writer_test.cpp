// SPDX-License-Identifier: GPL-2.0-or-later
// The text tag writer on synthetic photos: result codes, layouts, malformed
// directories and the pointers that must follow (or go).
#include "engine/text_tag_writer.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <span>

#include "engine/exif_directory_walk.h"
#include "engine/exif_segment_builder.h"
#include "support/jpeg_builder.h"
#include "support/test_support.h"
#include "tag_records.h"

namespace kelvane {
namespace {

using test::Bytes;
using test::Removal;
using test::Text;

// Lays a TIFF structure out block by block at chosen places: values and
// directories are appended (at even offsets) and their offsets returned.
class Tiff {
 public:
  explicit Tiff(bool bigEndian) : be_(bigEndian) {
    bytes = bigEndian ? Bytes{'M', 'M', 0, 42, 0, 0, 0, 8} : Bytes{'I', 'I', 42, 0, 8, 0, 0, 0};
  }

  uint32_t Data(const Bytes& data) {
    if (bytes.size() % 2 != 0) bytes.push_back(0);
    const auto at = static_cast<uint32_t>(bytes.size());
    bytes.insert(bytes.end(), data.begin(), data.end());
    return at;
  }

  // A directory after its values; returns its offset.
  uint32_t Directory(std::vector<test::TiffEntry> entries, uint32_t next = 0) {
    for (auto& e : entries) {
      if (e.data.size() > 4 && !e.valueField) e.valueField = Data(e.data);
    }
    Bytes dir = test::U16Bytes(static_cast<uint16_t>(entries.size()), be_);
    for (const auto& e : entries) {
      Append(dir, test::U16Bytes(e.tag, be_));
      Append(dir, test::U16Bytes(e.type, be_));
      Append(dir, test::U32Bytes(e.count, be_));
      Bytes field = e.valueField ? test::U32Bytes(*e.valueField, be_) : e.data;
      field.resize(4, 0);
      Append(dir, field);
    }
    Append(dir, test::U32Bytes(next, be_));
    return Data(dir);
  }

  void Ifd0At(uint32_t offset) { Put(4, test::U32Bytes(offset, be_)); }
  void Put(size_t at, const Bytes& b) { std::copy(b.begin(), b.end(), bytes.begin() + static_cast<ptrdiff_t>(at)); }
  test::TiffEntry Pointer(uint16_t tag, uint32_t offset) const { return test::Long(tag, offset, be_); }

  Bytes bytes;

 private:
  static void Append(Bytes& to, const Bytes& more) { to.insert(to.end(), more.begin(), more.end()); }
  bool be_;
};

// A photo with every directory: IFD0 (Make, Copyright), the Exif IFD (dates,
// a maker note, an interoperability IFD), a GPS IFD and IFD1 with a JPEG
// thumbnail.
Bytes FullTiff(bool be, Bytes makerNote = Bytes(40, 0x4D)) {
  Tiff t(be);
  const uint32_t thumb = t.Data({0xFF, 0xD8, 1, 2, 3, 0xFF, 0xD9});
  const uint32_t ifd1 = t.Directory({test::Long(0x0201, thumb, be), test::Long(0x0202, 7, be)});
  const uint32_t interop = t.Directory({test::Ascii(0x0001, "R98")});
  const uint32_t gps =
      t.Directory({test::Undefined(0x0000, std::string("\2\2\0\0", 4)), test::Ascii(0x001D, "2008:10:22")});
  const uint32_t exif = t.Directory({test::Ascii(0x9003, "2008:05:30 15:56:01"),
                                     {0x927C, 7, static_cast<uint32_t>(makerNote.size()), makerNote, std::nullopt},
                                     t.Pointer(0xA005, interop)});
  const uint32_t ifd0 = t.Directory({test::Ascii(0x010F, "Camera"), test::Ascii(0x8298, "Old notice"),
                                     t.Pointer(0x8769, exif), t.Pointer(0x8825, gps)},
                                    ifd1);
  t.Ifd0At(ifd0);
  return t.bytes;
}

Bytes SimpleTiff(bool be) {
  return test::BuildTiff({be,
                          {test::Ascii(0x010F, "Camera"), test::Ascii(0x8298, "An old notice")},
                          std::vector<test::TiffEntry>{test::Ascii(0x9003, "2008:05:30 15:56:01")}});
}

// The Exif segment of a JPEG built by BuildJpeg: [at, at + size).
struct Segment {
  size_t at = 0;
  size_t size = 0;
};
Segment SegmentOf(const Bytes& file) {
  for (size_t i = 2; i + 10 < file.size(); i += 2 + (size_t{file[i + 2]} << 8 | file[i + 3])) {
    if (file[i + 1] == 0xE1 && std::equal(file.begin() + i + 4, file.begin() + i + 10, "Exif\0\0")) {
      return {i, 2 + (size_t{file[i + 2]} << 8 | file[i + 3])};
    }
  }
  return {};
}

// The photo's structure as the writer's own walk sees it.
struct Walked {
  Bytes tiff;
  ExifStructure s;
  WalkResult result = WalkResult::kMalformed;
};
Walked Walk(const Bytes& file) {
  const Segment seg = SegmentOf(file);
  Walked w;
  w.tiff.assign(file.begin() + static_cast<ptrdiff_t>(seg.at + 10),
                file.begin() + static_cast<ptrdiff_t>(seg.at + seg.size));
  w.result = WalkExifDirectories(w.tiff, w.s);
  return w;
}

// Each entry of one directory with its value bytes, for comparisons.
std::vector<std::pair<uint16_t, Bytes>> Values(const Walked& w, IfdKind kind) {
  std::vector<std::pair<uint16_t, Bytes>> values;
  for (const IfdEntry& e : w.s[kind].entries) {
    const auto v = e.OutOfLine() ? std::span<const uint8_t>(w.tiff).subspan(e.valueOffset, e.byteLength)
                                 : std::span<const uint8_t>(e.field);
    values.emplace_back(e.tag, Bytes(v.begin(), v.end()));
  }
  return values;
}

class WriterTest : public testing::Test {
 protected:
  std::string Photo(const Bytes& bytes, const std::string& name = "photo.jpg") {
    const std::string path = scratch_.File(name);
    test::WriteBytes(path, bytes);
    return path;
  }

  WriteTagResult Write(const std::string& path, int slot, const ExifTagRecord& tag) {
    std::string name = path;
    return WriteExifTag(name, slot, tag, ProgramOptions{}).result;
  }

  test::ScratchFolder scratch_;
};

TEST_F(WriterTest, AMissingFileEmptiesTheName) {
  std::string name = scratch_.File("gone.jpg");
  EXPECT_EQ(WriteExifTag(name, kSlotCopyright, Text(kSlotCopyright, "Ann Smith"), ProgramOptions{}).result,
            WriteTagResult::kNoFile);
  EXPECT_EQ(name, "");
}

TEST_F(WriterTest, RefusalsLeaveThePhotoAsItWas) {
  const auto jpeg = [](const Bytes& tiff) { return test::BuildJpeg(tiff, {.app0 = true}); };
  const auto patched = [&](bool be, const std::function<void(Tiff&)>& patch) {
    Tiff t(be);
    t.bytes = SimpleTiff(be);
    patch(t);
    return jpeg(t.bytes);
  };
  // IFD0 of SimpleTiff: Make at entry 0, Copyright at entry 1, Exif pointer at entry 2.
  const auto entry = [](size_t k) { return 8 + 2 + 12 * k; };
  ExifTagRecord fourBytes = Text(kSlotCopyright, "Ann");
  ExifTagRecord shortDate = Text(kSlotDateTimeOriginal, "200");
  ExifTagRecord wrongLength = Text(kSlotCopyright, "Ann Smith");
  wrongLength.byteLength = wrongLength.count = 30;
  ExifTagRecord numberTooLong = Text(kSlotCopyright, "Ann Smith");
  numberTooLong.type = 4;
  std::vector<test::TiffEntry> crowded;
  for (uint16_t tag = 1; tag <= 201; ++tag) crowded.push_back(test::Short(tag, 1, false));
  Bytes tooLong = jpeg(SimpleTiff(false));
  tooLong[SegmentOf(tooLong).at + 2] = 0xFF;  // the segment runs past the end of the file

  const struct {
    const char* name;
    Bytes photo;
    int slot;
    ExifTagRecord tag;
    WriteTagResult expected;
  } cases[] = {
      {"not a JPEG", {'G', 'I', 'F', '8'}, kSlotCopyright, Text(kSlotCopyright, "Ann Smith"), WriteTagResult::kNotJpeg},
      {"slot 9", jpeg(SimpleTiff(false)), 9, Text(kSlotCopyright, "Ann Smith"), WriteTagResult::kNotJpeg},
      {"slot 0, the Exif IFD pointer", jpeg(SimpleTiff(false)), 0, Text(kSlotCopyright, "Ann Smith"),
       WriteTagResult::kNotJpeg},
      {"no Exif segment", test::BuildJpeg({}, {.app0 = true, .exif = false}), kSlotCopyright,
       Text(kSlotCopyright, "Ann Smith"), WriteTagResult::kNoExif},
      {"byte order IM", patched(false, [](Tiff& t) { t.bytes[1] = 'M'; }), kSlotCopyright,
       Text(kSlotCopyright, "Ann Smith"), WriteTagResult::kNoExif},
      {"no Exif IFD", jpeg(test::BuildTiff({true, {test::Ascii(0x010F, "Camera")}, std::nullopt})), kSlotCopyright,
       Text(kSlotCopyright, "Ann Smith"), WriteTagResult::kNoExifIfd},
      {"four-byte text", jpeg(SimpleTiff(true)), kSlotCopyright, fourBytes, WriteTagResult::kShortText},
      {"delete an absent tag", jpeg(SimpleTiff(false)), kSlotImageDescription, Removal(kSlotImageDescription),
       WriteTagResult::kTagAbsent},
      {"four-byte date", jpeg(SimpleTiff(false)), kSlotDateTimeOriginal, shortDate, WriteTagResult::kShortDate},
      {"text shorter than its length", jpeg(SimpleTiff(false)), kSlotCopyright, wrongLength, WriteTagResult::kFailed},
      {"long value not a text", jpeg(SimpleTiff(false)), kSlotCopyright, numberTooLong, WriteTagResult::kFailed},
      {"201 entries", jpeg(test::BuildTiff({false, crowded, std::vector<test::TiffEntry>{}})), kSlotCopyright,
       Text(kSlotCopyright, "Ann Smith"), WriteTagResult::kFailed},
      {"count 0xFFFFFFFF", patched(false, [&](Tiff& t) { t.Put(entry(0) + 4, test::U32Bytes(0xFFFFFFFF, false)); }),
       kSlotCopyright, Text(kSlotCopyright, "Ann Smith"), WriteTagResult::kFailed},
      {"value past the segment", patched(true, [&](Tiff& t) { t.Put(entry(0) + 8, test::U32Bytes(4000, true)); }),
       kSlotCopyright, Text(kSlotCopyright, "Ann Smith"), WriteTagResult::kFailed},
      {"unknown type", patched(false, [&](Tiff& t) { t.Put(entry(0) + 2, test::U16Bytes(99, false)); }), kSlotCopyright,
       Text(kSlotCopyright, "Ann Smith"), WriteTagResult::kFailed},
      {"Exif IFD pointer back to IFD0", patched(false, [&](Tiff& t) { t.Put(entry(2) + 8, test::U32Bytes(8, false)); }),
       kSlotCopyright, Text(kSlotCopyright, "Ann Smith"), WriteTagResult::kFailed},
      {"Exif IFD past the segment", patched(true, [&](Tiff& t) { t.Put(entry(2) + 8, test::U32Bytes(9000, true)); }),
       kSlotCopyright, Text(kSlotCopyright, "Ann Smith"), WriteTagResult::kFailed},
      {"segment past the end of the file", tooLong, kSlotCopyright, Text(kSlotCopyright, "Ann Smith"),
       WriteTagResult::kFailed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = Photo(c.photo);
    EXPECT_EQ(Write(path, c.slot, c.tag), c.expected);
    EXPECT_TRUE(test::ReadBytes(path) == c.photo) << "the photo was changed";
  }
}

class WriterByteOrder : public WriterTest, public testing::WithParamInterface<bool> {};

TEST_P(WriterByteOrder, AShorterTextStaysInPlaceWithZerosBehindIt) {
  const Bytes before = test::BuildJpeg(SimpleTiff(GetParam()), {.app0 = true});
  const std::string path = Photo(before);
  ASSERT_EQ(Write(path, kSlotCopyright, Text(kSlotCopyright, "Ann Smith")), WriteTagResult::kOk);
  const Bytes after = test::ReadBytes(path);
  ASSERT_EQ(after.size(), before.size());
  const Segment seg = SegmentOf(after);
  EXPECT_EQ(seg.at, SegmentOf(before).at);
  EXPECT_EQ(seg.size, SegmentOf(before).size);
  // The old text's place holds the new one, then zeros.
  const Walked was = Walk(before);
  const Walked now = Walk(after);
  const IfdEntry& old = was.s[IfdKind::kIfd0].entries[1];
  const IfdEntry& copyright = now.s[IfdKind::kIfd0].entries[1];
  EXPECT_EQ(copyright.valueOffset, old.valueOffset);
  EXPECT_EQ(Values(now, IfdKind::kIfd0)[1].second, (Bytes{'A', 'n', 'n', ' ', 'S', 'm', 'i', 't', 'h', 0}));
  EXPECT_TRUE(std::all_of(now.tiff.begin() + copyright.valueOffset + 10,
                          now.tiff.begin() + old.valueOffset + old.byteLength, [](uint8_t b) { return b == 0; }));
  // Everything else is where it was.
  EXPECT_EQ(Values(now, IfdKind::kExif), Values(was, IfdKind::kExif));
  EXPECT_EQ(Values(now, IfdKind::kIfd0)[0], Values(was, IfdKind::kIfd0)[0]);
}

TEST_P(WriterByteOrder, AnAddWithoutRoomGrowsOnceThenTheNextEditFitsInPlace) {
  const bool be = GetParam();
  const Bytes before = test::BuildJpeg(SimpleTiff(be), {.app0 = true});
  const std::string path = Photo(before);
  const std::string description(40, 'x');  // 41 bytes with its zero, padded to 42
  ASSERT_EQ(Write(path, kSlotImageDescription, Text(kSlotImageDescription, description)), WriteTagResult::kOk);
  const Bytes grown = test::ReadBytes(path);
  // IFD0 moves behind everything with its new entry (4 entries: 2 + 48 + 4
  // bytes), then comes the text, then 2048 spare zero bytes.
  const Segment seg = SegmentOf(grown);
  const size_t oldEnd = SegmentOf(before).size - 10;
  EXPECT_EQ(seg.size, 10 + (oldEnd + oldEnd % 2) + 54 + 42 + 2048);
  EXPECT_EQ(grown.size(), before.size() - SegmentOf(before).size + seg.size);
  EXPECT_TRUE(std::equal(before.begin(), before.begin() + static_cast<ptrdiff_t>(seg.at), grown.begin()));
  EXPECT_TRUE(std::equal(before.end() - 20, before.end(), grown.end() - 20)) << "the image data follows unchanged";

  const Walked now = Walk(grown);
  ASSERT_EQ(now.result, WalkResult::kOk);
  const std::vector<uint16_t> tags = {0x010E, 0x010F, 0x8298, 0x8769};  // ascending, the new one first
  std::vector<uint16_t> seen;
  for (const auto& [tag, value] : Values(now, IfdKind::kIfd0)) seen.push_back(tag);
  EXPECT_EQ(seen, tags);
  EXPECT_EQ(Values(now, IfdKind::kExif), Values(Walk(before), IfdKind::kExif));

  ASSERT_EQ(Write(path, kSlotCopyright, Text(kSlotCopyright, std::string(300, 'c'))), WriteTagResult::kOk);
  EXPECT_EQ(test::ReadBytes(path).size(), grown.size()) << "the second edit fits in the spare room";
}

TEST_P(WriterByteOrder, ThumbnailGpsInteropAndMakerNoteStayWhereTheyAre) {
  const bool be = GetParam();
  const Bytes before = test::BuildJpeg(FullTiff(be), {.app0 = true});
  const std::string path = Photo(before);
  ASSERT_EQ(Write(path, kSlotImageDescription, Text(kSlotImageDescription, "A description")), WriteTagResult::kOk);
  ASSERT_EQ(Write(path, kSlotDateTimeDigitized, Text(kSlotDateTimeDigitized, "2008:05:30 15:56:01")),
            WriteTagResult::kOk);
  const Walked was = Walk(before);
  const Walked now = Walk(test::ReadBytes(path));
  ASSERT_EQ(now.result, WalkResult::kOk);
  for (IfdKind kind : {IfdKind::kGps, IfdKind::kInterop, IfdKind::kIfd1}) {
    EXPECT_EQ(now.s[kind].offset, was.s[kind].offset);
    EXPECT_EQ(Values(now, kind), Values(was, kind));
  }
  ASSERT_EQ(now.s.thumbnail.size(), 1u);
  EXPECT_EQ(now.s.thumbnail[0].offset, was.s.thumbnail[0].offset);
  const auto makerNote = [](const Walked& w) {
    for (const IfdEntry& e : w.s[IfdKind::kExif].entries) {
      if (e.tag == 0x927C)
        return std::make_pair(e.valueOffset,
                              Bytes(w.tiff.begin() + e.valueOffset, w.tiff.begin() + e.valueOffset + e.byteLength));
    }
    return std::make_pair(0u, Bytes{});
  };
  EXPECT_EQ(makerNote(now), makerNote(was));
  EXPECT_NE(now.s[IfdKind::kExif].offset, was.s[IfdKind::kExif].offset) << "the Exif IFD grew and moved";
}

TEST_P(WriterByteOrder, ThumbnailStripsOfZeroBytesAreNoFreeRoom) {
  const bool be = GetParam();
  Tiff t(be);
  const uint32_t exif = t.Directory({test::Ascii(0x9003, "2008:05:30 15:56:01")});
  // Two SHORT offsets and lengths fit in the entries; filled in below.
  const uint32_t ifd1 =
      t.Directory({{0x0111, 3, 2, Bytes(4, 0), std::nullopt}, {0x0117, 3, 2, Bytes(4, 0), std::nullopt}});
  const uint32_t ifd0 = t.Directory({test::Ascii(0x010F, "Camera"), t.Pointer(0x8769, exif)}, ifd1);
  const uint32_t strip1 = t.Data({1, 2, 3, 4, 5, 6});
  const uint32_t strip2 = t.Data(Bytes(64, 0));  // the last bytes of the structure
  const auto pair = [be](uint32_t a, uint32_t b) {
    Bytes both = test::U16Bytes(static_cast<uint16_t>(a), be);
    const Bytes second = test::U16Bytes(static_cast<uint16_t>(b), be);
    both.insert(both.end(), second.begin(), second.end());
    return both;
  };
  t.Put(ifd1 + 2 + 8, pair(strip1, strip2));
  t.Put(ifd1 + 2 + 12 + 8, pair(6, 64));
  t.Ifd0At(ifd0);
  const Bytes before = test::BuildJpeg(t.bytes);
  const std::string path = Photo(before);
  ASSERT_EQ(Write(path, kSlotImageDescription, Text(kSlotImageDescription, "A description")), WriteTagResult::kOk);
  const Walked was = Walk(before);
  const Walked now = Walk(test::ReadBytes(path));
  ASSERT_EQ(now.result, WalkResult::kOk);
  EXPECT_GE(now.s.ifd0Offset, strip2 + 64) << "IFD0 moved behind the strips";
  EXPECT_EQ(Values(now, IfdKind::kIfd1), Values(was, IfdKind::kIfd1));
  EXPECT_TRUE(std::equal(was.tiff.begin() + strip1, was.tiff.begin() + strip2 + 64, now.tiff.begin() + strip1));
}

INSTANTIATE_TEST_SUITE_P(Orders, WriterByteOrder, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "MM" : "II"; });

TEST_F(WriterTest, TheTagMetInTheOtherDirectoryGoesToo) {
  const Bytes tiff = test::BuildTiff({false,
                                      {test::Ascii(0x010F, "Camera")},
                                      std::vector<test::TiffEntry>{test::Ascii(0x8298, "Stored in the Exif IFD")}});
  const std::string path = Photo(test::BuildJpeg(tiff));
  ASSERT_EQ(Write(path, kSlotCopyright, Text(kSlotCopyright, "Ann Smith")), WriteTagResult::kOk);
  Walked now = Walk(test::ReadBytes(path));
  EXPECT_EQ(Values(now, IfdKind::kExif).size(), 0u);
  EXPECT_EQ(Values(now, IfdKind::kIfd0)[1].first, 0x8298);

  const std::string other = Photo(test::BuildJpeg(tiff), "other.jpg");
  ASSERT_EQ(Write(other, kSlotCopyright, Removal(kSlotCopyright)), WriteTagResult::kOk)
      << "a copy in either directory counts";
  now = Walk(test::ReadBytes(other));
  EXPECT_EQ(Values(now, IfdKind::kExif).size(), 0u);
  EXPECT_EQ(Values(now, IfdKind::kIfd0).size(), 2u);
}

TEST_F(WriterTest, PointersThatLeadNowhereAreDropped) {
  // IFD0 of FullTiff: Make, Copyright, Exif pointer, GPS pointer; Exif IFD:
  // date, maker note, interoperability pointer.
  const auto ifd0Field = [](const Walked& w, int k) { return w.s.ifd0Offset + 2 + 12 * k + 8; };
  const struct {
    const char* name;
    std::function<void(Walked&)> spoil;
    IfdKind lost;
  } cases[] = {
      {"GPS past the segment", [&](Walked& w) { w.tiff[ifd0Field(w, 3) + 1] = 0x7F; }, IfdKind::kGps},
      {"GPS pointer with count 0", [&](Walked& w) { w.tiff[ifd0Field(w, 3) - 4] = 0; }, IfdKind::kGps},
      {"interoperability pointer to the Exif IFD",
       [&](Walked& w) {
         const size_t field = w.s[IfdKind::kExif].offset + 2 + 12 * 2 + 8;
         std::copy_n(w.tiff.begin() + ifd0Field(w, 2), 4, w.tiff.begin() + field);
       },
       IfdKind::kInterop},
      {"IFD1 linking back to IFD0",
       [&](Walked& w) { std::copy_n(w.tiff.begin() + 4, 4, w.tiff.begin() + ifd0Field(w, 3) + 4); }, IfdKind::kIfd1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes jpeg = test::BuildJpeg(FullTiff(false), {.app0 = true});
    Walked w = Walk(jpeg);
    c.spoil(w);
    std::copy(w.tiff.begin(), w.tiff.end(), jpeg.begin() + static_cast<ptrdiff_t>(SegmentOf(jpeg).at + 10));
    const std::string path = Photo(jpeg);
    ASSERT_EQ(Write(path, kSlotCopyright, Text(kSlotCopyright, "Ann Smith")), WriteTagResult::kOk);
    const Walked now = Walk(test::ReadBytes(path));
    ASSERT_EQ(now.result, WalkResult::kOk);
    EXPECT_FALSE(now.s[c.lost].present);
    for (IfdKind kind : {IfdKind::kIfd0, IfdKind::kExif}) {
      for (const IfdEntry& e : now.s[kind].entries) EXPECT_NE(e.role, EntryRole::kDropped) << std::hex << e.tag;
    }
  }
}

TEST_F(WriterTest, TheSegmentStaysWithinItsSixtyFourKilobytes) {
  // A maker note that leaves `room` bytes below the limit; the new text
  // (102 bytes) goes behind everything.
  const auto photoWithRoom = [](size_t room) {
    const size_t rest = SegmentOf(test::BuildJpeg(FullTiff(false, Bytes(1000, 0x4D)))).size - 1000;
    return test::BuildJpeg(FullTiff(false, Bytes(0xFFFF + 2 - rest - room, 0x4D)));
  };
  const Bytes nearlyFull = photoWithRoom(200);
  const std::string path = Photo(nearlyFull);
  ASSERT_EQ(Write(path, kSlotCopyright, Text(kSlotCopyright, std::string(100, 'c'))), WriteTagResult::kOk);
  EXPECT_EQ(SegmentOf(test::ReadBytes(path)).size, 0xFFFFu + 2) << "the spare room is cut to the limit";

  const Bytes full = photoWithRoom(50);
  const std::string refused = Photo(full, "refused.jpg");
  EXPECT_EQ(Write(refused, kSlotCopyright, Text(kSlotCopyright, std::string(100, 'c'))), WriteTagResult::kSegmentFull);
  EXPECT_TRUE(test::ReadBytes(refused) == full);
}

TEST_F(WriterTest, TwoHundredEntriesTakeNoMore) {
  std::vector<test::TiffEntry> entries;
  for (uint16_t tag = 1; tag <= 199; ++tag) entries.push_back(test::Short(tag, 1, false));
  const Bytes photo = test::BuildJpeg(test::BuildTiff({false, entries, std::vector<test::TiffEntry>{}}));
  const std::string path = Photo(photo);
  EXPECT_EQ(Write(path, kSlotCopyright, Text(kSlotCopyright, "Ann Smith")), WriteTagResult::kFailed);
  EXPECT_TRUE(test::ReadBytes(path) == photo);
}

// Whatever damage the walk accepts, the rebuilt structure walks again and
// holds the edit.
TEST(ExifSegmentBuilder, ADamagedStructureThatWalksIsRebuiltSoundly) {
  const Bytes text = {'A', ' ', 'n', 'e', 'w', ' ', 't', 'e', 'x', 't', 0};
  const struct {
    uint16_t tag;
    IfdKind directory;
    bool remove;
  } edits[] = {{0x010E, IfdKind::kIfd0, false},
               {0x8298, IfdKind::kIfd0, false},
               {0x8298, IfdKind::kIfd0, true},
               {0x9004, IfdKind::kExif, false}};
  std::mt19937 random(20240613);
  int rebuilt = 0;
  for (int round = 0; round < 20000; ++round) {
    Bytes tiff = FullTiff(round % 2 == 1);
    for (int flips = 1 + round % 3; flips > 0; --flips) {
      tiff[random() % tiff.size()] = static_cast<uint8_t>(random());
    }
    ExifStructure old;
    if (WalkExifDirectories(tiff, old) != WalkResult::kOk || !old[IfdKind::kExif].present) continue;
    for (const auto& e : edits) {
      TagEdit edit;
      edit.tag = e.tag;
      edit.directory = e.directory;
      edit.remove = e.remove;
      edit.type = 2;
      edit.count = static_cast<uint32_t>(text.size());
      edit.value = text;
      Bytes out;
      if (BuildExifStructure(tiff, old, edit, 0xFFFF, out) != BuildResult::kBuilt) continue;
      ++rebuilt;
      ExifStructure now;
      ASSERT_EQ(WalkExifDirectories(out, now), WalkResult::kOk) << "round " << round;
      int copies = 0;
      for (IfdKind kind : {IfdKind::kIfd0, IfdKind::kExif}) {
        for (const IfdEntry& entry : now[kind].entries) {
          if (entry.tag != e.tag) continue;
          ++copies;
          EXPECT_EQ(kind, e.directory);
          EXPECT_TRUE(std::equal(text.begin(), text.end(), out.begin() + entry.valueOffset)) << "round " << round;
        }
      }
      EXPECT_EQ(copies, e.remove ? 0 : 1) << "round " << round;
    }
  }
  EXPECT_GT(rebuilt, 20000);
}

}  // namespace
}  // namespace kelvane
