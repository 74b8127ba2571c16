// SPDX-License-Identifier: GPL-2.0-or-later
#include "engine/photo_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <numeric>

#include "support/test_support.h"

namespace kelvane {
namespace {

class PhotoFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bytes_.resize(200 * 1024);
    for (size_t i = 0; i < bytes_.size(); ++i) bytes_[i] = static_cast<uint8_t>(i * 7 + i / 256);
    path_ = scratch_.File("data.bin");
    test::WriteBytes(path_, bytes_);
  }

  test::ScratchFolder scratch_;
  test::Bytes bytes_;
  std::string path_;
};

TEST_F(PhotoFileTest, ReadsAnyRangeAcrossBlocks) {
  PhotoFile file;
  ASSERT_TRUE(file.Open(path_, PhotoFile::Mode::kRead));
  EXPECT_EQ(file.Size(), static_cast<int64_t>(bytes_.size()));
  const std::pair<int64_t, size_t> ranges[] = {
      {0, 2}, {16 * 1024 - 3, 10}, {100, 150000}, {70000, 1}, {5, 5}, {static_cast<int64_t>(bytes_.size()) - 4, 4}};
  for (auto [offset, length] : ranges) {
    test::Bytes got(length);
    ASSERT_TRUE(file.ReadAt(offset, got.data(), length)) << offset;
    EXPECT_TRUE(std::equal(got.begin(), got.end(), bytes_.begin() + offset)) << offset;
  }
}

TEST_F(PhotoFileTest, ReadsPastTheEndFail) {
  PhotoFile file;
  ASSERT_TRUE(file.Open(path_, PhotoFile::Mode::kRead));
  uint8_t buf[8];
  const auto size = static_cast<int64_t>(bytes_.size());
  EXPECT_FALSE(file.ReadAt(size - 4, buf, 8));
  EXPECT_FALSE(file.ReadAt(size, buf, 1));
  EXPECT_FALSE(file.ReadAt(-1, buf, 1));
  EXPECT_TRUE(file.ReadAt(size - 1, buf, 1));
}

TEST_F(PhotoFileTest, WritesAreSeenByLaterReads) {
  PhotoFile file;
  ASSERT_TRUE(file.Open(path_, PhotoFile::Mode::kReadWrite));
  uint8_t buf[4];
  ASSERT_TRUE(file.ReadAt(10, buf, 4));  // caches the first block
  const uint8_t inside[3] = {1, 2, 3};
  const uint8_t across[6] = {9, 9, 9, 9, 9, 9};
  ASSERT_TRUE(file.WriteAt(11, inside, 3));
  ASSERT_TRUE(file.WriteAt(16 * 1024 - 3, across, 6));
  ASSERT_TRUE(file.ReadAt(10, buf, 4));
  EXPECT_EQ(buf[1], 1);
  EXPECT_EQ(buf[3], 3);
  uint8_t six[6];
  ASSERT_TRUE(file.ReadAt(16 * 1024 - 3, six, 6));
  EXPECT_EQ(std::accumulate(six, six + 6, 0), 54);
  file.Close();
  const auto onDisk = test::ReadBytes(path_);
  EXPECT_EQ(onDisk[12], 2);
  EXPECT_EQ(onDisk[16 * 1024], 9);
}

TEST_F(PhotoFileTest, OpensOnlyRegularFilesAndNeverFollowsALink) {
  std::filesystem::create_symlink(path_, scratch_.File("link.jpg"));
  ASSERT_EQ(::mkfifo(scratch_.File("fifo.jpg").c_str(), 0600), 0);
  const std::pair<std::string, int> refused[] = {
      {"absent.jpg", ENOENT}, {"link.jpg", ELOOP}, {"fifo.jpg", EINVAL}, {".", EINVAL}};
  for (const auto& [name, error] : refused) {
    PhotoFile file;
    EXPECT_FALSE(file.Open(scratch_.File(name), PhotoFile::Mode::kRead)) << name;
    EXPECT_EQ(file.error(), error) << name;
    uint8_t b = 0;
    EXPECT_FALSE(file.ReadAt(0, &b, 1)) << name;
  }
}

TEST_F(PhotoFileTest, ReadOnlyWritesFailAndAMovedFileStaysOpen) {
  PhotoFile file;
  ASSERT_TRUE(file.Open(path_, PhotoFile::Mode::kRead));
  uint8_t b = 0;
  EXPECT_FALSE(file.WriteAt(0, &b, 1));
  PhotoFile moved = std::move(file);
  EXPECT_FALSE(file.IsOpen());
  EXPECT_TRUE(moved.ReadAt(0, &b, 1));
  EXPECT_EQ(moved.Status().st_size, static_cast<off_t>(bytes_.size()));
}

TEST_F(PhotoFileTest, HeadAndMemoryPhotosServeTheSameBytes) {
  PhotoFile onDisk;
  ASSERT_TRUE(onDisk.Open(path_, PhotoFile::Mode::kRead));
  PhotoFile inMemory = PhotoFile::InMemory(bytes_);
  for (PhotoFile* file : {&onDisk, &inMemory}) {
    const auto head = file->Head(100000);
    ASSERT_EQ(head.size(), 100000u);
    EXPECT_TRUE(std::equal(head.begin(), head.end(), bytes_.begin()));
    EXPECT_EQ(file->Head(bytes_.size() + 10).size(), bytes_.size()) << "never past the end";
    uint8_t b = 0;
    EXPECT_FALSE(file->ReadAt(static_cast<int64_t>(bytes_.size()), &b, 1));
  }
  uint8_t b = 0;
  EXPECT_FALSE(inMemory.WriteAt(0, &b, 1)) << "a photo in memory is never written";
}

}  // namespace
}  // namespace kelvane
