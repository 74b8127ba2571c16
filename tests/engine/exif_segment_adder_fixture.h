// SPDX-License-Identifier: GPL-2.0-or-later
// Shared by the tests of AddExifSegment: targets and sources built byte by
// byte, file-time doubles, a library whose calls can be made to fail, and a
// user interface that records the progress bar.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/engine_context.h"
#include "engine/exif_reader.h"
#include "engine/exif_segment_adder.h"
#include "support/jpeg_builder.h"
#include "support/scripted_ui.h"
#include "support/test_support.h"

namespace kelvane::test {

inline constexpr const char* kFileTime = "2007:04:30 09:15:22";

inline void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

// A photo without metadata: SOI, an optional JFIF APP0, a table, the frame
// header (0xC0 baseline, 0xC2 progressive), a scan of scanBytes and EOI.
inline Bytes TargetJpeg(bool app0, uint16_t height, uint16_t width, size_t scanBytes = 64, uint8_t frame = 0xC0) {
  Bytes out = {0xFF, 0xD8};
  if (app0) Append(out, {0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0});
  Bytes table = {0xFF, 0xDB, 0, 67, 0};
  table.resize(table.size() + 64, 1);
  Append(out, table);
  Append(out, {0xFF, frame, 0, 11, 8, uint8_t(height >> 8), uint8_t(height), uint8_t(width >> 8), uint8_t(width), 1, 1,
               0x11, 0});
  Append(out, {0xFF, 0xDA, 0, 8, 1, 1, 0, 0, 63, 0});
  for (size_t i = 0; i < scanBytes; ++i) out.push_back(static_cast<uint8_t>(i * 7 % 251));
  Append(out, {0xFF, 0xD9});
  return out;
}

// A source photo's TIFF structure with the size tags as chosen.
inline TiffLayout SourceLayout(bool bigEndian, bool widthShort = true) {
  TiffLayout t;
  t.bigEndian = bigEndian;
  t.ifd0 = {Ascii(0x010F, "Maker"), Ascii(0x0132, "2007:01:13 10:20:30"), Ascii(0x8298, "Photographer")};
  t.exif = std::vector<TiffEntry>{Undefined(0x9000, "0220"), Ascii(0x9003, "2007:01:12 09:08:07"),
                                  widthShort ? Short(0xA002, 3000, bigEndian) : Long(0xA002, 3000, bigEndian),
                                  Long(0xA003, 2000, bigEndian)};
  return t;
}

// A library that makes a chosen insert2 call fail after doing its work, or
// claim to be done early; it can also cut the work into small chunks.
class ScriptedLibrary : public FileOpsLibrary {
 public:
  int32_t insert2(int32_t resumeAt, int32_t chunkLimit, int32_t sourceLength, int32_t cutAt, int32_t cutLength,
                  int32_t insertAt, int32_t donorOffset, int32_t insertLength, const std::string& sourceName,
                  const std::string& donorName, const std::string& outputName) override {
    ++calls;
    const int32_t result =
        FileOpsLibrary::insert2(resumeAt, chunk > 0 ? chunk : chunkLimit, sourceLength, cutAt, cutLength, insertAt,
                                donorOffset, insertLength, sourceName, donorName, outputName);
    return calls == failAt ? failWith : result;
  }

  int32_t chunk = 0;  // above 0: used instead of the caller's chunk limit
  int failAt = 0;     // the 1-based call that fails; 0 = none
  int32_t failWith = -23;
  int calls = 0;
};

using RecordingUi = ScriptedUi;

class SegmentAdderTest : public ::testing::Test {
 protected:
  SegmentAdderTest() { tempFolder_.GetTempFolder(); }

  std::string Write(const std::string& name, const Bytes& bytes) {
    const std::string path = scratch_.File(name);
    WriteBytes(path, bytes);
    return path;
  }

  AddSegmentRequest Request(ProgramFunction function, const std::string& source = {}) {
    AddSegmentRequest request;
    request.function = function;
    request.sourceName = source;
    request.fileTimes.earliestFileTime = [this](const std::string& path) {
      earliestAskedFor_.push_back(path);
      return earliestTime_;
    };
    request.fileTimes.setFileTimesFromPhoto = [this](const std::string& path) {
      timesSetFor_.push_back(path);
      return setTimesWorks_;
    };
    return request;
  }

  int16_t Add(std::string target, const AddSegmentRequest& request, FileOpsLibrary& fileOps,
              UserInterface* ui = nullptr) {
    EngineContext context{fileOps, tempFolder_, options_, ui, {10, 20}};
    return AddExifSegment(target, request, context);
  }
  int16_t Add(const std::string& target, const AddSegmentRequest& request) { return Add(target, request, fileOps_); }

  ExifReading ReadBack(const std::string& path, int16_t expectedCode = read_code::kOk) {
    PhotoFile file;
    EXPECT_TRUE(file.Open(path, PhotoFile::Mode::kRead));
    ExifReading reading;
    int32_t slotRequest = 0;
    EXPECT_EQ(ReadExifTags(file, path, slotRequest, reading, fileOps_), expectedCode);
    return reading;
  }

  // Names in the scratch folder and the temporary folder: nothing may be
  // left beside the photos, and no temporary file may survive the call.
  std::vector<std::string> ScratchNames() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(scratch_.path())) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }
  size_t TemporaryFileCount() {
    size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(tempFolder_.GetTempFolder())) ++n;
    return n;
  }

  ScratchFolder scratch_;
  FileOpsLibrary fileOps_;
  TempFolder tempFolder_;
  ProgramOptions options_;
  std::string earliestTime_ = kFileTime;
  bool setTimesWorks_ = true;
  std::vector<std::string> earliestAskedFor_;
  std::vector<std::string> timesSetFor_;
};

}  // namespace kelvane::test
