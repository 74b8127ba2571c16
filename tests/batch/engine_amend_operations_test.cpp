// SPDX-License-Identifier: GPL-2.0-or-later
// The amend functions' engine operations on copies of real photos.
#include "batch/engine_amend_operations.h"

#include <gtest/gtest.h>

#include "batch/amend_operation.h"
#include "batch_test_context.h"
#include "support/exiftool_oracle.h"

namespace kelvane {
namespace {

TEST(EngineAmendOperations, CreateWriteTagAndWipeReachTheEngine) {
  KELVANE_REQUIRE_SAMPLES();
  test::BatchTestContext t;
  BatchInputs inputs;
  EngineAmendOperations operations(t.context, inputs);
  test::ScratchFolder photos;
  const std::string plain = photos.CopySample("no-exif/Pentax_K10D_jfif_only.jpg");

  EXPECT_EQ(operations.AddExifSegment(plain, ProgramFunction::CreateMetadata, "", {5, 90}), 0);
  ExifTagRecord copyright;
  copyright.type = 2;
  const std::string text = std::string("Copyright(C) 2008 Ann - All Rights Reserved.") + '\0';
  copyright.count = copyright.byteLength = static_cast<int32_t>(text.size());
  copyright.text = text;
  EXPECT_EQ(operations.WriteExifTag(plain, kSlotCopyright, copyright, {5, 90}), 0);
  if (test::HaveExiftool()) {
    const auto tags = test::ExiftoolTags(plain);
    ASSERT_TRUE(tags);
    EXPECT_EQ((*tags)["IFD0:Copyright"], "Copyright(C) 2008 Ann - All Rights Reserved.");
    EXPECT_EQ((*tags)["ExifIFD:ExifImageWidth"], 100);
  }
  EXPECT_LT(operations.WipeFile(plain), 0);
  EXPECT_TRUE(test::NamesIn(photos).empty());
}

TEST(EngineAmendOperations, FolderExportWritesTheSpreadsheetCsv) {
  KELVANE_REQUIRE_SAMPLES();
  test::BatchTestContext t;
  BatchInputs inputs;
  EngineAmendOperations operations(t.context, inputs);
  test::ScratchFolder photos;
  test::ScratchFolder out;
  photos.CopySample("gps/DSCN0010.jpg");
  photos.CopySample("gps/DSCN0021.jpg");
  std::string target = out.File("all.csv");
  EXPECT_EQ(operations.ExportFolder(photos.path().string() + "/", target), 0);
  EXPECT_EQ(test::NamesIn(out), std::vector<std::string>{"all.csv"});
}

}  // namespace
}  // namespace kelvane
