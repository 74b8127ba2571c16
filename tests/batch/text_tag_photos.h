// SPDX-License-Identifier: GPL-2.0-or-later
// Small synthetic photos carrying chosen Copyright, ImageDescription and
// date/time texts, for the notice and text tag tests of the batch layer.
#pragma once

#include <optional>
#include <string>

#include "engine/exif_reader.h"
#include "support/jpeg_builder.h"
#include "support/test_support.h"

namespace kelvane::test {

struct TextTagPhoto {
  // Raw tag values without the closing zero (which the builder adds); a
  // value may hold zero characters of its own.
  std::optional<std::string> copyright;
  std::optional<std::string> description;
  std::optional<std::string> modified;  // DateTime
  std::optional<std::string> taken;     // DateTimeOriginal
};

inline Bytes BuildTextTagPhoto(const TextTagPhoto& photo) {
  TiffLayout layout;
  if (photo.description) layout.ifd0.push_back(Ascii(0x010E, *photo.description));
  if (photo.modified) layout.ifd0.push_back(Ascii(0x0132, *photo.modified));
  if (photo.copyright) layout.ifd0.push_back(Ascii(0x8298, *photo.copyright));
  layout.exif = std::vector<TiffEntry>{Undefined(0x9000, "0230")};
  if (photo.taken) layout.exif->push_back(Ascii(0x9003, *photo.taken));
  return BuildJpeg(BuildTiff(layout));
}

inline std::string WriteTextTagPhoto(const ScratchFolder& folder, const std::string& name, const TextTagPhoto& photo) {
  const std::string path = folder.File(name);
  WriteBytes(path, BuildTextTagPhoto(photo));
  return path;
}

// The photo's tags as the reader finds them; empty slots when it can't.
inline ExifTagTable ReadTags(const std::string& path) {
  PhotoFile file;
  ExifReading reading;
  int32_t allSlots = 0;
  if (!file.Open(path, PhotoFile::Mode::kRead) || ReadExifTags(file, allSlots, reading) != ReadResult::kOk) return {};
  return reading.tags;
}

}  // namespace kelvane::test
