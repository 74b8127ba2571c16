// SPDX-License-Identifier: GPL-2.0-or-later
// kelvane-cli's amend commands run as a program over copies of the sample
// photos: what each leaves on disk, and how their confirmations go without
// a terminal (refused, exit status 3) and with --yes.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "cli/exit_status.h"
#include "cli_program.h"
#include "support/exiftool_oracle.h"

namespace kelvane::cli {
namespace {

using test::CliProgram;
using test::CliRun;
using test::ScratchFolder;

// A tag's value as text ("" when absent); numbers as exiftool -n gives them.
std::string Tag(const std::string& path, const char* key) {
  const auto tags = test::ExiftoolTags(path);
  if (!tags || !tags->contains(key)) return {};
  const nlohmann::json& value = (*tags)[key];
  return value.is_string() ? value.get<std::string>() : value.dump();
}

bool Exists(const std::string& path) { return std::filesystem::exists(path); }

std::string Head(const std::string& path, size_t count) {
  const test::Bytes bytes = test::ReadBytes(path);
  return std::string(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(std::min(count, bytes.size())));
}

#define REQUIRE_SAMPLES_AND_EXIFTOOL()                        \
  do {                                                        \
    KELVANE_REQUIRE_SAMPLES();                                \
    if (!test::HaveExiftool()) GTEST_SKIP() << "no exiftool"; \
  } while (0)

TEST(CliAmendProgram, RestoreCopiesTheSourceMetadataKeepingEachImageSize) {
  REQUIRE_SAMPLES_AND_EXIFTOOL();
  CliProgram cli;
  ScratchFolder sources;
  ScratchFolder photos;
  const std::string source = sources.CopySample("gps/DSCN0010.jpg");
  const std::string a = photos.CopySample("no-exif/image01137.jpg");
  const std::string b = photos.CopySample("no-exif/Pentax_K10D_jfif_only.jpg");

  const CliRun run = cli.Run({"restore", "--source", source, photos.path().string()});
  EXPECT_EQ(run.status, kExitSuccess) << run.out << run.err;
  for (const std::string& photo : {a, b}) {
    EXPECT_EQ(Tag(photo, "IFD0:Make"), "NIKON") << photo;
    EXPECT_EQ(Tag(photo, "ExifIFD:DateTimeOriginal"), "2008:10:22 16:28:39") << photo;
    EXPECT_EQ(Tag(photo, "ExifIFD:ExifImageWidth"), Tag(photo, "File:ImageWidth")) << photo;
  }

  const CliRun refused = cli.Run({"restore", "--source", a, photos.path().string()});
  EXPECT_EQ(refused.status, kExitRefused);
  EXPECT_EQ(refused.err, "Error: Restore Source file cannot be in same Folder as file(s) to Restore\n");
}

TEST(CliAmendProgram, CreateGivesAPhotoAMinimalSegment) {
  REQUIRE_SAMPLES_AND_EXIFTOOL();
  CliProgram cli;
  ScratchFolder photos;
  const std::string photo = photos.CopySample("no-exif/branches.jpg");
  const CliRun run = cli.Run({"create", photo});
  EXPECT_EQ(run.status, kExitSuccess) << run.out << run.err;
  EXPECT_NE(Tag(photo, "ExifIFD:DateTimeOriginal"), "");
  EXPECT_EQ(Tag(photo, "ExifIFD:ExifImageWidth"), Tag(photo, "File:ImageWidth"));

  EXPECT_EQ(cli.Run({"create", photo}).status, kExitFailedFiles) << "metadata already in the file";
}

TEST(CliAmendProgram, CopyrightWritesAndDeletesOnlyAfterConfirmation) {
  REQUIRE_SAMPLES_AND_EXIFTOOL();
  CliProgram cli;
  ScratchFolder photos;
  const std::string nikon = photos.CopySample("gps/DSCN0010.jpg");
  const std::string pentax = photos.CopySample("cameras/Pentax_K10D.jpg");
  const auto before = test::ExiftoolTags(nikon);
  ASSERT_TRUE(before);

  CliRun run =
      cli.Run({"copyright", "--photographer", "Jane Doe", "--photographer-year", "2008", photos.path().string()});
  EXPECT_EQ(run.status, kExitSuccess) << run.out << run.err;
  const std::string notice = "Copyright(C) 2008 Jane Doe - All Rights Reserved.";
  EXPECT_EQ(Tag(nikon, "IFD0:Copyright"), notice);
  EXPECT_EQ(Tag(pentax, "IFD0:Copyright"), notice);
  // The photo's XMP takes the notice too.
  EXPECT_EQ(test::TagDifferences(*before, *test::ExiftoolTags(nikon), {"IFD0:Copyright", "XMP-dc:Rights"}),
            std::vector<std::string>{})
      << "nothing else changes";

  run = cli.Run({"copyright", "--photographer", "", photos.path().string()});
  EXPECT_EQ(run.status, kExitCancelled) << "no terminal and no --yes: the delete is refused";
  EXPECT_NE(run.err.find("Confirm Copyright Delete: This will delete Photographer Copyright entries"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(Tag(nikon, "IFD0:Copyright"), notice);

  run = cli.Run({"--yes", "copyright", "--photographer", "", nikon});
  EXPECT_EQ(run.status, kExitSuccess) << run.out << run.err;
  EXPECT_EQ(Tag(nikon, "IFD0:Copyright"), "");
  EXPECT_EQ(Tag(pentax, "IFD0:Copyright"), notice);
}

TEST(CliAmendProgram, DescribeReplacesAppendsAndDeletes) {
  REQUIRE_SAMPLES_AND_EXIFTOOL();
  CliProgram cli;
  ScratchFolder photos;
  const std::string photo = photos.CopySample("cameras/Canon_40D.jpg");

  EXPECT_EQ(cli.Run({"describe", "--text", "Lake Constance", photo}).status, kExitSuccess);
  EXPECT_EQ(Tag(photo, "IFD0:ImageDescription"), "Lake Constance");
  EXPECT_EQ(cli.Run({"describe", "--text", "2008", "--append", photo}).status, kExitSuccess);
  EXPECT_EQ(Tag(photo, "IFD0:ImageDescription"), "Lake Constance 2008");

  CliRun run = cli.Run({"describe", "--text", "", photo});
  EXPECT_EQ(run.status, kExitCancelled);
  EXPECT_EQ(Tag(photo, "IFD0:ImageDescription"), "Lake Constance 2008");
  run = cli.Run({"--yes", "describe", "--text", "", photo});
  EXPECT_EQ(run.status, kExitSuccess) << run.out << run.err;
  EXPECT_EQ(Tag(photo, "IFD0:ImageDescription"), "");
}

TEST(CliAmendProgram, ExportWritesEachFormatAndAsksBeforeOverwriting) {
  KELVANE_REQUIRE_SAMPLES();
  CliProgram cli;
  ScratchFolder photos;
  ScratchFolder out;
  photos.CopySample("gps/DSCN0010.jpg");
  photos.CopySample("cameras/Canon_40D.jpg");
  const std::string folder = photos.path().string();
  const std::string csv = out.File("trip.csv");

  CliRun run = cli.Run({"export", "--to", csv, folder});
  EXPECT_EQ(run.status, kExitSuccess) << run.out << run.err;
  const test::Bytes bytes = test::ReadBytes(csv);
  const std::string text(bytes.begin(), bytes.end());
  EXPECT_NE(text.find("DSCN0010.jpg"), std::string::npos);
  EXPECT_NE(text.find("NIKON"), std::string::npos);
  EXPECT_NE(text.find("Canon"), std::string::npos);

  run = cli.Run({"export", "--to", csv, folder});
  EXPECT_EQ(run.status, kExitCancelled);
  EXPECT_NE(run.err.find("Overwrite existing file ?\n-> cancel"), std::string::npos) << run.err;
  EXPECT_EQ(cli.Run({"--yes", "export", "--to", csv, folder}).status, kExitSuccess);

  EXPECT_EQ(cli.Run({"export", "--format", "sqlite", "--to", out.File("photos.sqlite"), folder}).status, kExitSuccess);
  EXPECT_EQ(Head(out.File("photos.sqlite"), 15), "SQLite format 3");
  EXPECT_EQ(cli.Run({"export", "--format", "xlsx", "--to", out.File("photos.xlsx"), folder}).status, kExitSuccess);
  EXPECT_EQ(Head(out.File("photos.xlsx"), 2), "PK");
  EXPECT_EQ(
      cli.Run({"export", "--format", "dbcsv", "--initial-number", "5", "--to", out.File("db.csv"), folder}).status,
      kExitSuccess);
  EXPECT_TRUE(Exists(out.File("db_T.csv")) && Exists(out.File("db_F.csv")) && Exists(out.File("db_D.csv")));

  ScratchFolder perPhoto;
  run = cli.Run({"export", "--per-photo", "--exclude-technical", "--to", perPhoto.path().string(), folder});
  EXPECT_EQ(run.status, kExitSuccess) << run.out << run.err;
  EXPECT_TRUE(Exists(perPhoto.File("DSCN0010.csv")));
  EXPECT_TRUE(Exists(perPhoto.File("Canon_40D.csv")));
}

TEST(CliAmendProgram, WipeOnlyWithConfirmation) {
  CliProgram cli;
  ScratchFolder files;
  test::WriteBytes(files.File("a.jpg"), test::Bytes(5000, 0x41));
  test::WriteBytes(files.File("notes.txt"), test::Bytes(10, 0x42));
  const std::string folder = files.path().string();

  CliRun run = cli.Run({"--json", "wipe", folder});
  EXPECT_EQ(run.status, kExitCancelled);
  const nlohmann::json json = nlohmann::json::parse(run.out);
  EXPECT_EQ(json["messages"][0]["title"], "File 'Wipe'");
  EXPECT_EQ(json["messages"][0]["answer"], "cancel");
  EXPECT_TRUE(Exists(files.File("a.jpg")));

  run = cli.Run({"--yes", "wipe", files.File("notes.txt")});
  EXPECT_EQ(run.status, kExitSuccess) << run.out << run.err;
  EXPECT_FALSE(Exists(files.File("notes.txt")));
  EXPECT_TRUE(Exists(files.File("a.jpg")));

  run = cli.Run({"--yes", "wipe", folder});
  EXPECT_EQ(run.status, kExitSuccess) << run.out << run.err;
  EXPECT_TRUE(std::filesystem::is_empty(files.path()));
}

}  // namespace
}  // namespace kelvane::cli
