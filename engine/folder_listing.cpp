// SPDX-License-Identifier: GPL-2.0-or-later
#include "engine/folder_listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "engine/atomic_replace.h"

namespace kelvane {

std::vector<std::string> FolderListing::FileNames() const {
  std::vector<std::string> names;
  for (const FolderEntry& entry : entries) {
    if (!entry.link) names.push_back(entry.name);
  }
  return names;
}

std::optional<FolderListing> ListFolder(const std::string& folder, int* error) {
  const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  // The stream takes the descriptor over; closedir closes it.
  DIR* dir = dirFd >= 0 ? ::fdopendir(dirFd) : nullptr;
  if (dir == nullptr) {
    if (error != nullptr) *error = errno;
    if (dirFd >= 0) ::close(dirFd);
    return std::nullopt;
  }
  FolderListing listing;
  bool searched = false;
  for (;;) {
    // Only readdir's own errno counts: an entry that vanished since it was
    // read (another run's temporary file) is passed over.
    errno = 0;
    const dirent* item = ::readdir(dir);
    if (item == nullptr) break;
    const std::string name = item->d_name;
    if (name == "." || name == "..") continue;
    // The entry's type as the folder gives it saves a look at every file;
    // one look is still taken, so that a folder that can be listed but not
    // searched (no execute permission) is found: it holds files no run can
    // open, so it can't be read.
    unsigned char type = item->d_type;
    if (type == DT_UNKNOWN || !searched) {
      struct stat st {};
      if (::fstatat(dirFd, item->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == EACCES) {
          ::closedir(dir);
          if (error != nullptr) *error = EACCES;
          return std::nullopt;
        }
        continue;
      }
      searched = true;
      type = S_ISLNK(st.st_mode) ? DT_LNK : S_ISREG(st.st_mode) ? DT_REG : DT_DIR;
    }
    if (type == DT_LNK) {
      listing.entries.push_back({name, true});
    } else if (type == DT_REG) {
      if (IsTemporaryName(name)) {
        listing.temporaries.push_back(name);
      } else {
        listing.entries.push_back({name, false});
      }
    }
  }
  const int readError = errno;
  ::closedir(dir);
  if (readError != 0) {
    if (error != nullptr) *error = readError;
    return std::nullopt;
  }
  std::sort(listing.entries.begin(), listing.entries.end(),
            [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
  return listing;
}

std::optional<std::vector<std::string>> ListFolderFiles(const std::string& folder) {
  const auto listing = ListFolder(folder);
  if (!listing) return std::nullopt;
  return listing->FileNames();
}

size_t RemoveStaleTemporaries(const std::string& folder, const std::vector<std::string>& temporaries) {
  std::string prefix = folder;
  if (!prefix.empty() && prefix.back() != '/') prefix += '/';
  size_t removed = 0;
  for (const std::string& name : temporaries) {
    const long owner = TemporaryOwner(name);
    // A process that still runs owns its file; so may one that can't be asked.
    if (owner <= 0 || ::kill(static_cast<pid_t>(owner), 0) == 0 || errno != ESRCH) continue;
    if (::unlink((prefix + name).c_str()) == 0) ++removed;
  }
  return removed;
}

}  // namespace kelvane
