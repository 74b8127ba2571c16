// SPDX-License-Identifier: GPL-2.0-or-later
#include "batch/rename_all.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <unordered_set>

namespace kelvane {

namespace {

bool NameTaken(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}

// A name in folder that no entry has and the plan does not use: the file's
// own name with a numbered suffix, so that the file stays recognisable
// should the run be interrupted.
std::string TemporaryName(const std::string& folder, const std::string& name,
                          const std::unordered_set<std::string>& planNames, std::unordered_set<std::string>& chosen) {
  for (unsigned n = 1;; ++n) {
    std::string candidate = name + ".kelvane-rename-" + std::to_string(n);
    if (planNames.count(candidate) == 0 && chosen.count(candidate) == 0 && !NameTaken(folder + candidate)) {
      chosen.insert(candidate);
      return candidate;
    }
  }
}

struct Move {
  const PlannedRename* entry;
  std::string temporary;  // empty when the file goes straight to its new name
};

}  // namespace

bool RenameWithoutReplacing(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // File systems without RENAME_NOREPLACE: a hard link fails on an existing
  // name just the same; then the old name goes.
  if (::link(from.c_str(), to.c_str()) == 0) {
    if (::unlink(from.c_str()) == 0) return true;
    ::unlink(to.c_str());
    return false;
  }
  if (errno != EPERM && errno != EOPNOTSUPP) return false;
  // Nor hard links: test, then rename.
  if (NameTaken(to)) return false;
  return ::rename(from.c_str(), to.c_str()) == 0;
}

bool RenameAllOrNothing(const std::string& folder, const std::vector<PlannedRename>& plan,
                        const RenameFunction& rename) {
  std::unordered_set<std::string> planNames;
  std::unordered_set<std::string> targets;
  for (const PlannedRename& entry : plan) {
    if (entry.from == entry.to) continue;
    planNames.insert(entry.from);
    planNames.insert(entry.to);
    targets.insert(entry.to);
  }

  // Files whose name another file is to take move aside first.
  std::vector<Move> moves;
  std::unordered_set<std::string> chosen;
  for (const PlannedRename& entry : plan) {
    if (entry.from == entry.to) continue;
    Move move{&entry, {}};
    if (targets.count(entry.from) != 0) move.temporary = TemporaryName(folder, entry.from, planNames, chosen);
    moves.push_back(std::move(move));
  }

  // Puts back the moves [0, asideCount) that went aside and the moves
  // [0, finalCount) that reached their new names, latest first.
  const auto putBack = [&](size_t asideCount, size_t finalCount) {
    for (size_t i = finalCount; i-- > 0;) {
      const Move& move = moves[i];
      rename(folder + move.entry->to, folder + (move.temporary.empty() ? move.entry->from : move.temporary));
    }
    for (size_t i = asideCount; i-- > 0;) {
      const Move& move = moves[i];
      if (!move.temporary.empty()) rename(folder + move.temporary, folder + move.entry->from);
    }
  };

  for (size_t i = 0; i < moves.size(); ++i) {
    const Move& move = moves[i];
    if (!move.temporary.empty() && !rename(folder + move.entry->from, folder + move.temporary)) {
      putBack(i, 0);
      return false;
    }
  }
  for (size_t i = 0; i < moves.size(); ++i) {
    const Move& move = moves[i];
    const std::string& source = move.temporary.empty() ? move.entry->from : move.temporary;
    if (!rename(folder + source, folder + move.entry->to)) {
      putBack(moves.size(), i);
      return false;
    }
  }
  return true;
}

}  // namespace kelvane
