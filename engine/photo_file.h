// SPDX-License-Identifier: GPL-2.0-or-later
// A photo opened once for a whole operation: its descriptor, what the file
// system said of it when it was opened, and its head (the leading bytes that
// hold the metadata) read once and kept in memory.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "engine/byte_source.h"
#include "engine/owned_fd.h"

namespace kelvane {

// Reads inside the head are served from memory; the head grows on demand up
// to kHeadLimit, and reads beyond that go to the file directly. Every read
// either delivers all requested bytes or fails; nothing is read past the end
// of the file. Offsets are 0-based.
class PhotoFile final : public ByteSource {
 public:
  enum class Mode { kRead, kReadWrite };
  // Enough for an Exif segment at its 64 KiB limit behind the other
  // segments a camera writes before it, and for the 100,000-byte search.
  static constexpr size_t kHeadLimit = 256 * 1024;

  PhotoFile() = default;
  PhotoFile(PhotoFile&&) noexcept = default;
  PhotoFile& operator=(PhotoFile&&) noexcept = default;

  // A photo held in memory (generated photos, fuzzing): never written.
  static PhotoFile InMemory(std::vector<uint8_t> bytes);

  // Opens path (relative to the folder descriptor when one is given). A
  // symbolic link is never followed at the path's end (error() is ELOOP),
  // and anything but a regular file is refused (EINVAL) without blocking on
  // it. False on failure, with error() telling why.
  bool Open(const std::string& path, Mode mode, int folder = -1);
  // Opens for reading and writing, or, when the photo may not be written
  // (permissions, a read-only file system), for reading only: the photo can
  // still be read and get its own answer, and a write then fails with the
  // reason the writable open was refused.
  bool OpenForEdit(const std::string& path, int folder = -1);
  bool Writable() const { return fd_.valid() && writeRefusal_ == 0; }
  int WriteRefusal() const { return writeRefusal_; }
  void Close();
  bool IsOpen() const { return fd_.valid() || memory_; }
  int fd() const { return fd_.get(); }
  // The errno of the last failed open, read or write; 0 when none failed.
  int error() const { return error_; }
  // What fstat said when the file was opened.
  const struct stat& Status() const { return status_; }

  int64_t Size() override { return size_; }
  bool ReadAt(int64_t offset, void* out, size_t length) override;
  bool ReadByte(int64_t offset, uint8_t& out) { return ReadAt(offset, &out, 1); }
  // The first `length` bytes (fewer when the file is shorter or the head
  // can't be read that far).
  std::span<const uint8_t> Head(size_t length);
  // Lets the head go once the photo's edit has been worked out (a run keeps
  // many photos open until their group is committed).
  void ReleaseHead() { Bytes().swap(head_); }
  // Writes all bytes at offset through the descriptor (the head kept in step).
  bool WriteAt(int64_t offset, const void* data, size_t length);

 private:
  bool GrowHead(size_t length);

  OwnedFd fd_;
  bool memory_ = false;
  int64_t size_ = -1;
  int error_ = 0;
  int writeRefusal_ = 0;
  struct stat status_ {};
  // Bytes left uninitialised when the head grows: a read fills them at once,
  // and zeroing 64 KiB per photo first would cost more than the read.
  template <class T>
  struct UninitialisedAllocator : std::allocator<T> {
    template <class U>
    struct rebind {
      using other = UninitialisedAllocator<U>;
    };
    template <class U>
    void construct(U* p) noexcept {
      ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args) {
      ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
  };
  using Bytes = std::vector<uint8_t, UninitialisedAllocator<uint8_t>>;
  Bytes head_;
};

}  // namespace kelvane
