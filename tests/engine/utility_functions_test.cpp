// SPDX-License-Identifier: GPL-2.0-or-later
#include "engine/utility_functions.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "support/test_support.h"

namespace kelvane {
namespace {

using test::Bytes;
using test::ReadBytes;
using test::ScratchFolder;
using test::WriteBytes;

struct PathCase {
  const char* path;
  const char* name;
  const char* folder;
  const char* extension;
  const char* bareName;
};

TEST(PathHelpers, SplitPathsAsTable) {
  const PathCase cases[] = {
      {"/photos/Trip.2007/IMG_0001.JPG", "IMG_0001.JPG", "/photos/Trip.2007/", "jpg", "IMG_0001"},
      {"/photos/", "/photos/", "/photos/", "", "/photos/"},
      {"IMG_0001.JPG", "IMG_0001.JPG", "", "jpg", "IMG_0001"},
      {"/photos/README", "README", "/photos/", "", "README"},
      {"/photos/a.b.jpg", "a.b.jpg", "/photos/", "jpg", "a.b"},
      {"/photos/.jpg", ".jpg", "/photos/", "jpg", ""},
      {"/photos/name.", "name.", "/photos/", "", "name"},
      {"  /photos/x.Tif  ", "x.Tif", "/photos/", "tif", "x"},
      {"", "", "", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(FileNameOf(c.path), c.name);
    EXPECT_EQ(FolderOf(c.path), c.folder);
    EXPECT_EQ(FileExtensionOf(c.path), c.extension);
    EXPECT_EQ(FileNameWithoutExtension(c.path), c.bareName);
  }
}

TEST(PathHelpers, TrimAndCapitalise) {
  EXPECT_EQ(Trim("  a b  "), "a b");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(CapitaliseWords("  hELLO wORLD:new/pATH 1st  "), "Hello World:New/Path 1st");
  EXPECT_EQ(CapitaliseWords("\xc3\xa9t\xc3\xa9"), "\xc3\xa9t\xc3\xa9");
}

TEST(PathHelpers, LeadingNumber) {
  const std::pair<const char*, int64_t> cases[] = {
      {"250", 250}, {"  42abc", 42}, {"-7", -7}, {"+8", 8},
      {"4.9", 4},   {"abc", 0},      {"", 0},    {"99999999999999999999999", INT64_MAX},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(LeadingNumber(text), value) << text;
}

TEST(FindInvalidNameChar, FirstInvalidCharacter) {
  const struct {
    const char* text;
    int mode;
    int code;
  } cases[] = {
      {"My Trip", 0, 0}, {"My Trip", 1, 0}, {" lead", 1, 32},   {" lead", 0, 0}, {"a/b", 0, 47},
      {"a\\b", 0, 92},   {"x:y", 0, 58},    {"x*?", 0, 42},     {"q\"", 0, 34},  {"<>", 0, 60},
      {"a>b", 0, 62},    {"a|b", 0, 124},   {"ok_2024-", 1, 0}, {"", 1, 0},      {"a b?", 1, 63},
  };
  for (const auto& c : cases) EXPECT_EQ(FindInvalidNameChar(c.text, c.mode), c.code) << '"' << c.text << '"';
}

TEST(FileTests, FilesAndFolders) {
  ScratchFolder scratch;
  const std::string file = scratch.File("photo.jpg");
  const std::string hidden = scratch.File(".hidden");
  WriteBytes(file, {1, 2, 3});
  WriteBytes(hidden, {1});
  std::filesystem::create_directory(scratch.File("sub"));

  EXPECT_TRUE(FileExists(file));
  EXPECT_TRUE(FileExists(hidden));
  EXPECT_FALSE(FileExists(scratch.File("sub")));
  EXPECT_FALSE(FileExists(scratch.File("missing.jpg")));
  EXPECT_FALSE(FileExists(""));

  EXPECT_TRUE(FolderExists(file));
  EXPECT_TRUE(FolderExists(scratch.File("sub/")));
  EXPECT_TRUE(FolderExists(scratch.File("missing.jpg")));
  EXPECT_FALSE(FolderExists(scratch.File("nothere/x.jpg")));
  EXPECT_FALSE(FolderExists("photo.jpg"));
}

TEST(RemoveFile, DeletesReadOnlyAndHiddenFiles) {
  ScratchFolder scratch;
  const std::string readOnly = scratch.File("ro.jpg");
  const std::string hidden = scratch.File(".hidden.jpg");
  WriteBytes(readOnly, {1});
  WriteBytes(hidden, {1});
  ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);

  EXPECT_EQ(RemoveFile(readOnly), kRemoveDeleted);
  EXPECT_EQ(RemoveFile(hidden), kRemoveDeleted);
  EXPECT_FALSE(std::filesystem::exists(readOnly));
  EXPECT_FALSE(std::filesystem::exists(hidden));
  EXPECT_EQ(RemoveFile(readOnly), kRemoveNotFound);
}

TEST(RemoveFile, FolderIsAFailedDelete) {
  ScratchFolder scratch;
  std::filesystem::create_directory(scratch.File("sub"));
  EXPECT_EQ(RemoveFile(scratch.File("sub")), kRemoveFailed);
  EXPECT_TRUE(std::filesystem::is_directory(scratch.File("sub")));
}

TEST(RemoveFile, LinkGoesAndItsTargetStays) {
  ScratchFolder scratch;
  const std::string target = scratch.File("target.jpg");
  WriteBytes(target, {1});
  ASSERT_EQ(::chmod(target.c_str(), 0444), 0);
  std::filesystem::create_symlink(target, scratch.File("link.jpg"));

  EXPECT_EQ(RemoveFile(scratch.File("link.jpg")), kRemoveDeleted);
  EXPECT_TRUE(FileExists(target));
  EXPECT_EQ(std::filesystem::status(target).permissions() & std::filesystem::perms::owner_write,
            std::filesystem::perms::none);
}

TEST(WipeFile, OverwritesAndDeletes) {
  FileOpsLibrary library;
  ASSERT_TRUE(library.Available()) << "libqmrfio.so is built beside the tests";
  ScratchFolder scratch;
  const std::string file = scratch.File("secret.jpg");
  WriteBytes(file, Bytes(5000, 0xAB));
  ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
  EXPECT_EQ(WipeFile(file, library).result, WipeResult::kDone);
  EXPECT_FALSE(std::filesystem::exists(file));
}

TEST(WipeFile, EmptyFileStays) {
  FileOpsLibrary library;
  ASSERT_TRUE(library.Available()) << "libqmrfio.so is built beside the tests";
  ScratchFolder scratch;
  const std::string file = scratch.File("empty.jpg");
  WriteBytes(file, {});
  EXPECT_EQ(WipeFile(file, library).result, WipeResult::kNotOverwritten);
  EXPECT_TRUE(FileExists(file));
}

TEST(WipeFile, NotOverwrittenWithoutLibraryOrFile) {
  FileOpsLibrary missing("libnothere.so", {});
  ScratchFolder scratch;
  const std::string file = scratch.File("keep.jpg");
  WriteBytes(file, {1, 2, 3});
  EXPECT_EQ(WipeFile(file, missing).result, WipeResult::kNotOverwritten);
  EXPECT_EQ(ReadBytes(file), (Bytes{1, 2, 3}));
  EXPECT_EQ(WipeFile(scratch.File("gone.jpg"), missing).osError, ENOENT);
  std::filesystem::create_directory(scratch.File("sub"));
  EXPECT_EQ(WipeFile(scratch.File("sub"), missing).result, WipeResult::kNotOverwritten);
}

// A link is never followed: neither it nor the file it names is touched.
TEST(WipeFile, LeavesALinkAndItsTarget) {
  FileOpsLibrary library;
  ScratchFolder scratch;
  const std::string keep = scratch.File("keep.jpg");
  WriteBytes(keep, {1, 2, 3});
  ASSERT_EQ(::chmod(keep.c_str(), 0444), 0);
  const std::string link = scratch.File("link.jpg");
  std::filesystem::create_symlink(keep, link);
  EXPECT_EQ(WipeFile(link, library).result, WipeResult::kLink);
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadBytes(keep), (Bytes{1, 2, 3}));
  EXPECT_EQ(std::filesystem::status(keep).permissions() & std::filesystem::perms::owner_write,
            std::filesystem::perms::none);
}

TEST(WipeFile, RefusesFilesBeyondTheLibraryLength) {
  ScratchFolder scratch;
  const std::string file = scratch.File("huge.bin");
  WriteBytes(file, {7});
  // A sparse file: no disk space is used.
  std::filesystem::resize_file(file, (int64_t{1} << 31) + 10);
  FileOpsLibrary library;
  EXPECT_EQ(WipeFile(file, library).result, WipeResult::kNotOverwritten);
  EXPECT_EQ(std::filesystem::file_size(file), (uint64_t{1} << 31) + 10);
  std::ifstream in(file, std::ios::binary);
  EXPECT_EQ(in.get(), 7);
}

}  // namespace
}  // namespace kelvane
