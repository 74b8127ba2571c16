// SPDX-License-Identifier: GPL-2.0-or-later
#include "engine/tiff_decoder.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "support/jpeg_builder.h"

namespace kelvane {
namespace {

using test::Bytes;

// Four bytes of padding, then a TIFF structure whose IFD0 holds a SHORT in
// its entry, an ASCII text beyond it and an entry of an unknown type.
Bytes Structure(bool bigEndian) {
  test::TiffLayout layout;
  layout.bigEndian = bigEndian;
  layout.ifd0 = {test::Short(0x0100, 640, bigEndian),
                 test::Ascii(0x010F, "Camera maker"),
                 {0x0110, 99, 3, Bytes(4, 0xAB), std::nullopt}};
  Bytes bytes = {0xEE, 0xEE, 0xEE, 0xEE};
  const Bytes tiff = test::BuildTiff(layout);
  bytes.insert(bytes.end(), tiff.begin(), tiff.end());
  return bytes;
}

TEST(TiffDecoder, ReadsHeaderEntriesAndValuesInBothByteOrders) {
  for (const bool bigEndian : {false, true}) {
    SCOPED_TRACE(bigEndian ? "MM" : "II");
    const Bytes bytes = Structure(bigEndian);
    MemoryBytes source(bytes);
    ByteOrder order{};
    uint32_t ifd0 = 0;
    ASSERT_EQ(ReadTiffHeader(source, 4, order, ifd0), TiffHeader::kOk);
    EXPECT_EQ(order, bigEndian ? ByteOrder::kBigEndian : ByteOrder::kLittleEndian);
    EXPECT_EQ(ifd0, 8u);

    TiffDecoder decoder(source, 4, order);
    std::vector<TiffEntry> entries;
    ASSERT_EQ(decoder.Directory(ifd0, 200, entries), TiffDecoder::DirectoryRead::kOk);
    ASSERT_EQ(entries.size(), 3u);

    const TiffEntry& width = entries[0];
    EXPECT_EQ(width.tag, 0x0100);
    EXPECT_EQ(width.type, TypeCode(ExifType::kShort));
    EXPECT_EQ(width.byteLength, 2u);
    EXPECT_EQ(width.at, 10u);
    EXPECT_FALSE(width.OutOfLine());
    EXPECT_EQ(decoder.ValueOffset(width), 18u);
    std::vector<uint8_t> value;
    ASSERT_TRUE(decoder.Value(width, value));
    EXPECT_EQ(Get16(value.data(), order), 640);

    const TiffEntry& maker = entries[1];
    EXPECT_EQ(maker.count, 13u);
    EXPECT_TRUE(maker.OutOfLine());
    EXPECT_EQ(decoder.ValueOffset(maker), maker.FieldValue(order));
    ASSERT_TRUE(decoder.Value(maker, value));
    EXPECT_EQ(std::string(value.begin(), value.end()), std::string("Camera maker") + '\0');

    const TiffEntry& unknown = entries[2];
    EXPECT_FALSE(unknown.KnownType());
    EXPECT_EQ(unknown.byteLength, 0u);
    EXPECT_FALSE(decoder.Value(unknown, value));

    uint32_t link = 1;
    ASSERT_TRUE(decoder.U32(TiffDecoder::LinkOffset(ifd0, entries.size()), link));
    EXPECT_EQ(link, 0u);
  }
}

TEST(TiffDecoder, RefusesHeadersThatAreNotTiff) {
  const struct {
    const char* name;
    Bytes bytes;
    TiffHeader result;
  } cases[] = {
      {"II", {'I', 'I', 42, 0, 8, 0, 0, 0}, TiffHeader::kOk},
      {"MM", {'M', 'M', 0, 42, 0, 0, 0, 8}, TiffHeader::kOk},
      {"IM", {'I', 'M', 42, 0, 8, 0, 0, 0}, TiffHeader::kBadByteOrder},
      {"XX", {'X', 'X', 42, 0, 8, 0, 0, 0}, TiffHeader::kBadByteOrder},
      {"42 in the other order", {'I', 'I', 0, 42, 8, 0, 0, 0}, TiffHeader::kBadMagic},
      {"no IFD0 offset", {'I', 'I', 42, 0, 8, 0, 0}, TiffHeader::kUnreadable},
      {"one byte", {'I'}, TiffHeader::kUnreadable},
  };
  for (const auto& c : cases) {
    MemoryBytes source(c.bytes);
    ByteOrder order{};
    uint32_t ifd0 = 0;
    EXPECT_EQ(ReadTiffHeader(source, 0, order, ifd0), c.result) << c.name;
  }
}

// Every read is checked against the end of the bytes, however large the
// offset or count a damaged structure gives.
TEST(TiffDecoder, NeverReadsPastTheEnd) {
  const Bytes bytes = Structure(false);
  MemoryBytes source(bytes);
  TiffDecoder decoder(source, 4, ByteOrder::kLittleEndian);
  const uint64_t size = bytes.size() - 4;
  constexpr uint64_t kHuge = std::numeric_limits<uint64_t>::max() - 1;

  EXPECT_TRUE(decoder.Holds(size - 4, 4));
  EXPECT_FALSE(decoder.Holds(size - 3, 4));
  EXPECT_FALSE(decoder.Holds(kHuge, 4));
  EXPECT_FALSE(decoder.Holds(4, kHuge));
  uint32_t u32 = 0;
  uint16_t u16 = 0;
  EXPECT_TRUE(decoder.U32(size - 4, u32));
  EXPECT_FALSE(decoder.U32(size - 3, u32));
  EXPECT_FALSE(decoder.U16(kHuge, u16));
  TiffEntry entry;
  EXPECT_FALSE(decoder.Entry(size - 11, entry));
  EXPECT_FALSE(decoder.Entry(kHuge, entry));

  const struct {
    const char* name;
    uint32_t count;
    uint32_t field;
  } values[] = {{"offset past the end", 13, 0x7FFFFFF0},
                {"count past the end", 0x40000000, 8},
                {"count 0xFFFFFFFF", 0xFFFFFFFF, 8},
                {"offset of 2^32 - 1", 13, 0xFFFFFFFF}};
  for (const auto& v : values) {
    TiffEntry e;
    e.type = TypeCode(ExifType::kAscii);
    e.count = v.count;
    e.byteLength = v.count;
    Put32(e.field.data(), v.field, ByteOrder::kLittleEndian);
    std::vector<uint8_t> value;
    EXPECT_FALSE(decoder.Value(e, value)) << v.name;
  }

  // A directory count whose entries do not fit, and one above the limit.
  Bytes counted = bytes;
  counted[4 + 8] = 0xFF;
  MemoryBytes countedSource(counted);
  TiffDecoder countedDecoder(countedSource, 4, ByteOrder::kLittleEndian);
  std::vector<TiffEntry> entries;
  EXPECT_EQ(countedDecoder.Directory(8, 1000, entries), TiffDecoder::DirectoryRead::kUnreadable);
  EXPECT_EQ(decoder.Directory(8, 2, entries), TiffDecoder::DirectoryRead::kTooManyEntries);
  EXPECT_EQ(decoder.Directory(size, 200, entries), TiffDecoder::DirectoryRead::kUnreadable);
}

TEST(ExifTypes, OneSizeTableZeroForUnknownTypes) {
  const std::pair<uint16_t, uint32_t> sizes[] = {{0, 0},  {1, 1},  {2, 1},  {3, 2},  {4, 4},     {5, 8},
                                                 {6, 1},  {7, 1},  {8, 2},  {9, 4},  {10, 8},    {11, 4},
                                                 {12, 8}, {13, 4}, {14, 0}, {99, 0}, {0xFFFF, 0}};
  for (const auto& [type, size] : sizes) EXPECT_EQ(ExifTypeSize(type), size) << type;
  uint8_t b[4];
  Put32(b, 0x01020304, ByteOrder::kBigEndian);
  EXPECT_EQ(b[0], 1);
  EXPECT_EQ(Get32(b, ByteOrder::kLittleEndian), 0x04030201u);
  Put16(b, 0x0A0B, ByteOrder::kLittleEndian);
  EXPECT_EQ(b[0], 0x0B);
  EXPECT_EQ(Get16(b, ByteOrder::kBigEndian), 0x0B0A);
}

}  // namespace
}  // namespace kelvane
