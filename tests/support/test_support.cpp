// SPDX-License-Identifier: GPL-2.0-or-later
#include "test_support.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

namespace kelvane::test {

std::optional<fs::path> SamplesFolder() {
  const char* env = std::getenv("KELVANE_SAMPLES");
  fs::path folder = (env != nullptr && *env != '\0') ? fs::path(env) : fs::path(KELVANE_SAMPLES_DEFAULT);
  std::error_code ec;
  if (!fs::is_directory(folder / "cameras", ec)) return std::nullopt;
  return folder;
}

std::vector<fs::path> SamplePhotos() {
  std::vector<fs::path> photos;
  const auto folder = SamplesFolder();
  if (!folder) return photos;
  for (const auto& entry : fs::recursive_directory_iterator(*folder)) {
    if (entry.is_regular_file() && entry.path().extension() == ".jpg") {
      photos.push_back(fs::relative(entry.path(), *folder));
    }
  }
  std::sort(photos.begin(), photos.end());
  return photos;
}

ScratchFolder::ScratchFolder() {
  std::string pattern = (fs::temp_directory_path() / "kelvane-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
  std::error_code ec;
  // Tests may leave read-only files behind; make them removable first.
  for (auto it = fs::recursive_directory_iterator(path_, ec); it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  }
  fs::remove_all(path_, ec);
}

std::string ScratchFolder::File(const std::string& name) const { return (path_ / name).string(); }

std::string ScratchFolder::CopySample(const fs::path& relative, const std::string& newName) const {
  const auto folder = SamplesFolder();
  if (!folder) throw std::runtime_error("no samples folder");
  const fs::path target = path_ / (newName.empty() ? relative.filename().string() : newName);
  fs::copy_file(*folder / relative, target, fs::copy_options::overwrite_existing);
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add);
  return target.string();
}

std::string LastWriteText(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return {};
  struct tm local {};
  localtime_r(&st.st_mtime, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y:%m:%d %H:%M:%S", &local);
  return text;
}

Bytes ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::optional<std::string> RunCommand(const std::string& command) {
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return std::nullopt;
  std::string output;
  std::array<char, 4096> buf{};
  size_t n = 0;
  while ((n = fread(buf.data(), 1, buf.size(), pipe)) > 0) output.append(buf.data(), n);
  const int status = pclose(pipe);
  if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  return output;
}

bool HaveProgram(const std::string& name) {
  return RunCommand("command -v " + ShellQuote(name) + " >/dev/null 2>&1").has_value();
}

std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

}  // namespace kelvane::test
