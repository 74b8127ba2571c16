// SPDX-License-Identifier: GPL-2.0-or-later
// Binds the qmrfio shared library by name on first use.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kelvane {

// The program reaches libqmrfio.so.1 only through this object. The library
// is looked up on the first call: in each folder of the search list first
// (a build tree has it beside the program), then by name, which searches the
// program's run path (an installed program: lib/kelvane/) and the default
// library path. When it can't be loaded (or lacks a symbol) every call
// returns kUnavailable, which each caller treats as a failure of the step it
// is in.
class FileOpsLibrary {
 public:
  static constexpr int32_t kUnavailable = -1000;
  static constexpr const char* kDefaultName = "libqmrfio.so.1";

  // Searches the program's own folder, then the default search path.
  FileOpsLibrary();
  FileOpsLibrary(std::string libraryName, std::vector<std::string> folders);
  virtual ~FileOpsLibrary();
  FileOpsLibrary(const FileOpsLibrary&) = delete;
  FileOpsLibrary& operator=(const FileOpsLibrary&) = delete;

  bool Available();

  // Virtual so that tests can make a chosen call fail.
  virtual int32_t filefindstr(int32_t mode, int32_t start, int32_t end, const std::string& pattern,
                              const std::string& fileName);
  virtual int32_t insert2(int32_t resumeAt, int32_t chunkLimit, int32_t sourceLength, int32_t cutAt, int32_t cutLength,
                          int32_t insertAt, int32_t donorOffset, int32_t insertLength, const std::string& sourceName,
                          const std::string& donorName, const std::string& outputName);
  virtual int32_t wipefile(int32_t length, const std::string& fileName);

 private:
  using FindFn = int32_t (*)(int32_t, int32_t, int32_t, const char*, const char*);
  using Insert2Fn = int32_t (*)(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, const char*,
                                const char*, const char*);
  using WipeFn = int32_t (*)(int32_t, const char*);

  void Bind();

  std::string name_;
  std::vector<std::string> folders_;
  bool bound_ = false;
  void* handle_ = nullptr;
  FindFn find_ = nullptr;
  Insert2Fn insert2_ = nullptr;
  WipeFn wipe_ = nullptr;
};

// The folder of the running program, ending with "/"; empty if unknown.
std::string ProgramFolder();

}  // namespace kelvane
