// SPDX-License-Identifier: GPL-2.0-or-later
#include "engine/image_size.h"

#include <gtest/gtest.h>

#include <string>

#include "support/jpeg_builder.h"
#include "support/test_support.h"

namespace kelvane {
namespace {

using test::Bytes;

void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

Bytes Segment(uint8_t marker, size_t contentLength, uint8_t fill = 0x20) {
  const size_t length = contentLength + 2;
  Bytes out = {0xFF, marker, uint8_t(length >> 8), uint8_t(length)};
  out.resize(out.size() + contentLength, fill);
  return out;
}

Bytes Frame(uint8_t marker, uint16_t height, uint16_t width) {
  return {0xFF,
          marker,
          0,
          17,
          8,
          uint8_t(height >> 8),
          uint8_t(height),
          uint8_t(width >> 8),
          uint8_t(width),
          3,
          1,
          0x22,
          0,
          2,
          0x11,
          1,
          3,
          0x11,
          1};
}

struct SizeCase {
  const char* name;
  Bytes afterSoi;
  bool found;
  int32_t height;
  int32_t width;
};

class ImageSizeTest : public ::testing::Test {
 protected:
  PhotoFile Open(const Bytes& afterSoi) {
    Bytes bytes = {0xFF, 0xD8};
    Append(bytes, afterSoi);
    const std::string path = scratch_.File("photo.jpg");
    test::WriteBytes(path, bytes);
    PhotoFile file;
    EXPECT_TRUE(file.Open(path, PhotoFile::Mode::kRead));
    return file;
  }

  test::ScratchFolder scratch_;
};

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const auto& p : parts) Append(out, p);
  return out;
}

Bytes Repeated(const Bytes& part, int times) {
  Bytes out;
  for (int i = 0; i < times; ++i) Append(out, part);
  return out;
}

TEST_F(ImageSizeTest, FindsTheFrameOrReportsFalse) {
  const SizeCase cases[] = {
      {"frame right after SOI", Frame(0xC0, 1200, 1600), true, 1200, 1600},
      {"after APP0 and tables", Join({Segment(0xE0, 14), Segment(0xDB, 65), Frame(0xC0, 480, 640)}), true, 480, 640},
      {"largest 16-bit size", Frame(0xC0, 65535, 65535), true, 65535, 65535},
      {"progressive frame", Join({Segment(0xDB, 65), Frame(0xC2, 480, 640)}), true, 480, 640},
      {"extended sequential frame", Frame(0xC1, 480, 640), true, 480, 640},
      {"lossless arithmetic frame", Frame(0xCF, 480, 640), true, 480, 640},
      {"DHT, JPG and DAC are no frames",
       Join({Frame(0xC4, 1, 1), Frame(0xC8, 2, 2), Frame(0xCC, 3, 3), Frame(0xC3, 20, 30)}), true, 20, 30},
      {"height 0 (defined later)", Frame(0xC0, 0, 640), false, 0, 640},
      {"marker without length, then the frame", Join({{0xFF, 0x01}, Frame(0xC0, 20, 30)}), true, 20, 30},
      {"restart marker, then the frame", Join({Segment(0xE0, 14), {0xFF, 0xD0}, Frame(0xC0, 20, 30)}), true, 20, 30},
      {"fill bytes before the frame marker", Join({{0xFF, 0xFF, 0xFF}, Frame(0xC0, 20, 30)}), true, 20, 30},
      {"not a marker", Join({{0x00, 0x11}, Frame(0xC0, 20, 30)}), false, 0, 0},
      {"length 0 ends the walk", Join({{0xFF, 0xE0, 0x00, 0x00}, Frame(0xC0, 20, 30)}), false, 0, 0},
      {"length 1 ends the walk", Join({{0xFF, 0xE0, 0x00, 0x01}, Frame(0xC0, 20, 30)}), false, 0, 0},
      {"segment length past the end", Join({{0xFF, 0xE1, 0x7F, 0xFF}, Bytes(10, 0)}), false, 0, 0},
      {"frame header cut short", {0xFF, 0xC0, 0x00, 0x11, 8, 0x04}, false, 0, 0},
      {"frame length too small to hold the size", {0xFF, 0xC0, 0x00, 0x07, 8, 0, 20, 0, 30, 0, 0}, false, 0, 0},
      {"199 segments, then the frame", Join({Repeated(Segment(0xE2, 1), 199), Frame(0xC0, 5, 6)}), true, 5, 6},
      {"200 segments before the frame", Join({Repeated(Segment(0xE2, 1), 200), Frame(0xC0, 5, 6)}), false, 0, 0},
      {"empty after SOI", {}, false, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    PhotoFile file = Open(c.afterSoi);
    ImageSize size{7, 7};
    EXPECT_EQ(ReadImageSize(file, size), c.found);
    EXPECT_EQ(size.height, c.height);
    EXPECT_EQ(size.width, c.width);
  }
}

TEST_F(ImageSizeTest, NoticesAnExifSegmentAnywhereBeforeTheFrame) {
  Bytes exif = {0xFF, 0xE1, 0x00, 0x10, 'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0};
  Bytes xmp = Segment(0xE1, 30, 'x');
  Bytes farAway = Repeated(Segment(0xE2, 60000), 2);
  const struct {
    const char* name;
    Bytes afterSoi;
    bool exif;
  } cases[] = {
      {"none", Join({Segment(0xE0, 14), xmp, Frame(0xC0, 1, 1)}), false},
      {"right after SOI", Join({exif, Frame(0xC0, 1, 1)}), true},
      {"beyond 100,000 bytes", Join({Segment(0xE0, 14), farAway, exif, Frame(0xC0, 1, 1)}), true},
      {"only after the frame", Join({Frame(0xC0, 1, 1), exif}), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    PhotoFile file = Open(c.afterSoi);
    EXPECT_EQ(HasExifSegmentBeforeFrame(file), c.exif);
  }
}

}  // namespace
}  // namespace kelvane
