// SPDX-License-Identifier: GPL-2.0-or-later
#include "jpeg_builder.h"

namespace kelvane::test {
namespace {

void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

void AppendSegment(Bytes& out, uint8_t marker, const Bytes& content) {
  out.push_back(0xFF);
  out.push_back(marker);
  Append(out, U16Bytes(static_cast<uint16_t>(content.size() + 2), true));
  Append(out, content);
}

// Writes one directory at the end of out (offsets are relative to out's
// start) with its value data after it; returns nothing, out grows.
void AppendDirectory(Bytes& out, const std::vector<TiffEntry>& entries, bool be) {
  const uint32_t start = static_cast<uint32_t>(out.size());
  uint32_t dataOffset = start + 2 + 12 * static_cast<uint32_t>(entries.size()) + 4;
  Bytes data;
  Append(out, U16Bytes(static_cast<uint16_t>(entries.size()), be));
  for (const auto& e : entries) {
    Append(out, U16Bytes(e.tag, be));
    Append(out, U16Bytes(e.type, be));
    Append(out, U32Bytes(e.count, be));
    if (e.valueField) {
      Append(out, U32Bytes(*e.valueField, be));
    } else if (e.data.size() <= 4) {
      Bytes inline4 = e.data;
      inline4.resize(4, 0);
      Append(out, inline4);
    } else {
      Append(out, U32Bytes(dataOffset + static_cast<uint32_t>(data.size()), be));
    }
    if (e.data.size() > 4) {
      Append(data, e.data);
      if (data.size() % 2 != 0) data.push_back(0);
    }
  }
  Append(out, U32Bytes(0, be));
  Append(out, data);
}

}  // namespace

Bytes U16Bytes(uint16_t v, bool be) {
  return be ? Bytes{uint8_t(v >> 8), uint8_t(v)} : Bytes{uint8_t(v), uint8_t(v >> 8)};
}

Bytes U32Bytes(uint32_t v, bool be) {
  Bytes b = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
  if (be) b = {b[3], b[2], b[1], b[0]};
  return b;
}

TiffEntry Ascii(uint16_t tag, const std::string& text) {
  Bytes data(text.begin(), text.end());
  data.push_back(0);
  return {tag, 2, static_cast<uint32_t>(data.size()), data, std::nullopt};
}

TiffEntry Short(uint16_t tag, uint16_t value, bool be) { return {tag, 3, 1, U16Bytes(value, be), std::nullopt}; }

TiffEntry Long(uint16_t tag, uint32_t value, bool be) { return {tag, 4, 1, U32Bytes(value, be), std::nullopt}; }

TiffEntry Undefined(uint16_t tag, const std::string& bytes) {
  return {tag, 7, static_cast<uint32_t>(bytes.size()), Bytes(bytes.begin(), bytes.end()), std::nullopt};
}

Bytes BuildTiff(const TiffLayout& layout) {
  const bool be = layout.bigEndian;
  Bytes out = be ? Bytes{'M', 'M'} : Bytes{'I', 'I'};
  Append(out, U16Bytes(42, be));
  Append(out, U32Bytes(8, be));
  std::vector<TiffEntry> ifd0 = layout.ifd0;
  if (!layout.exif) {
    AppendDirectory(out, ifd0, be);
    return out;
  }
  // The Exif IFD follows IFD0 and its data; lay IFD0 out once to learn where.
  ifd0.push_back(Long(0x8769, 0, be));
  Bytes probe = out;
  AppendDirectory(probe, ifd0, be);
  ifd0.back() = Long(0x8769, static_cast<uint32_t>(probe.size()), be);
  AppendDirectory(out, ifd0, be);
  AppendDirectory(out, *layout.exif, be);
  return out;
}

Bytes BuildJpeg(const Bytes& tiff, const JpegLayout& layout) {
  Bytes out = {0xFF, 0xD8};
  if (layout.app0) {
    AppendSegment(out, 0xE0, {'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0});
  }
  if (layout.xmpBefore) {
    const std::string xmp = "http://ns.adobe.com/xap/1.0/";
    Bytes content(xmp.begin(), xmp.end());
    content.push_back(0);
    const std::string packet = "<x:xmpmeta xmlns:x='adobe:ns:meta/'/>";
    content.insert(content.end(), packet.begin(), packet.end());
    AppendSegment(out, 0xE1, content);
  }
  if (layout.paddingBefore > 0) {
    // APP2 segments hold at most 65533 content bytes each.
    size_t left = layout.paddingBefore;
    while (left > 0) {
      const size_t n = left > 65000 ? 65000 : left;
      AppendSegment(out, 0xE2, Bytes(n, 0x20));
      left -= n;
    }
  }
  if (layout.exif) {
    Bytes content = {'E', 'x', 'i', 'f', 0, 0};
    Append(content, tiff);
    AppendSegment(out, 0xE1, content);
  }
  Bytes dqt(65, 1);
  dqt[0] = 0;
  AppendSegment(out, 0xDB, dqt);
  AppendSegment(out, 0xC0, {8, 0, 16, 0, 24, 1, 1, 0x11, 0});
  AppendSegment(out, 0xDA, {1, 1, 0, 0, 63, 0});
  Append(out, {0x12, 0x34, 0x56, 0xFF, 0xD9});
  return out;
}

}  // namespace kelvane::test
