// SPDX-License-Identifier: GPL-2.0-or-later
#include "file_ops_library.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <utility>

namespace kelvane {

std::string ProgramFolder() {
  char buf[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return {};
  std::string path(buf, static_cast<size_t>(n));
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

FileOpsLibrary::FileOpsLibrary() : FileOpsLibrary(kDefaultName, {ProgramFolder()}) {}

FileOpsLibrary::FileOpsLibrary(std::string libraryName, std::vector<std::string> folders)
    : name_(std::move(libraryName)), folders_(std::move(folders)) {}

FileOpsLibrary::~FileOpsLibrary() {
  if (handle_ != nullptr) dlclose(handle_);
}

void FileOpsLibrary::Bind() {
  if (bound_) return;
  bound_ = true;
  for (const auto& folder : folders_) {
    if (folder.empty()) continue;
    std::string path = folder;
    if (path.back() != '/') path += '/';
    handle_ = dlopen((path + name_).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ != nullptr) break;
  }
  if (handle_ == nullptr) handle_ = dlopen(name_.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) return;
  find_ = reinterpret_cast<FindFn>(dlsym(handle_, "filefindstr"));
  insert2_ = reinterpret_cast<Insert2Fn>(dlsym(handle_, "insert2"));
  wipe_ = reinterpret_cast<WipeFn>(dlsym(handle_, "wipefile"));
}

bool FileOpsLibrary::Available() {
  Bind();
  return find_ != nullptr && insert2_ != nullptr && wipe_ != nullptr;
}

int32_t FileOpsLibrary::filefindstr(int32_t mode, int32_t start, int32_t end, const std::string& pattern,
                                    const std::string& fileName) {
  Bind();
  if (find_ == nullptr) return kUnavailable;
  return find_(mode, start, end, pattern.c_str(), fileName.c_str());
}

int32_t FileOpsLibrary::insert2(int32_t resumeAt, int32_t chunkLimit, int32_t sourceLength, int32_t cutAt,
                                int32_t cutLength, int32_t insertAt, int32_t donorOffset, int32_t insertLength,
                                const std::string& sourceName, const std::string& donorName,
                                const std::string& outputName) {
  Bind();
  if (insert2_ == nullptr) return kUnavailable;
  return insert2_(resumeAt, chunkLimit, sourceLength, cutAt, cutLength, insertAt, donorOffset, insertLength,
                  sourceName.c_str(), donorName.c_str(), outputName.c_str());
}

int32_t FileOpsLibrary::wipefile(int32_t length, const std::string& fileName) {
  Bind();
  if (wipe_ == nullptr) return kUnavailable;
  return wipe_(length, fileName.c_str());
}

}  // namespace kelvane
