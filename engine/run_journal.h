// SPDX-License-Identifier: GPL-2.0-or-later
// The journal of a write run: before a photo changes, what the run will
// change in it and how to take that back (the old bytes of an in-place edit,
// the old head of a rewritten photo, old names, old file times), with the
// photo's size, and a rewritten head's SHA-256 before and after. Undo
// replays it backwards; a journal without its completion mark is a run that
// was interrupted.
//
// One gzip-compressed file of JSON lines per run (zcat FILE | jq reads it):
// a header line, one line per photo, "done" lines as groups of photos are
// committed, and a closing line. Lines are flushed to the device in groups,
// always before the photos they describe change. The file is named
// ID.journal.part until its run completes, then ID.journal.
#pragma once

#include <time.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/owned_fd.h"
#include "engine/photo_edit.h"
#include "engine/sha256.h"

namespace kelvane {

struct RunHeader {
  std::string id;        // also the journal's file name, without ".journal"
  std::string started;   // UTC, ISO 8601
  std::string function;  // the command word: "copyright", "shift-time", "undo" ...
  std::string folder;    // absolute, ending with "/"
  std::string details;   // the run's parameters in words
  std::string undoes;    // an undo: the id of the run it takes back
};

struct JournalPhoto {
  std::string name;     // in the run's folder
  std::string newName;  // a rename: the name it got
  uint64_t device = 0;
  uint64_t inode = 0;
  int64_t sizeBefore = 0;
  int64_t sizeAfter = 0;
  // A rewrite: the SHA-256 of the old head and of the new one. An in-place
  // edit keeps its old and new bytes themselves, which say more in fewer
  // bytes than a hash of them; renames and file times change no content.
  Sha256 hashBefore{};
  Sha256 hashAfter{};
  // An in-place edit: the runs of bytes that differ (in offset order).
  std::vector<BytePatch> patches;
  // A rewrite: the old head, and how long the new head is.
  std::vector<uint8_t> oldHead;
  int64_t newHeadLength = 0;
  std::optional<std::array<timespec, 2>> oldTimes;  // access, modification
  std::optional<std::array<timespec, 2>> newTimes;
  bool wiped = false;
};

class JournalWriter {
 public:
  // Makes the journal file in journalFolder (made when missing) and writes
  // its header; nothing, with error set, when that fails.
  static std::unique_ptr<JournalWriter> Create(const std::string& journalFolder, const RunHeader& header, int& error);
  ~JournalWriter();
  JournalWriter(const JournalWriter&) = delete;
  JournalWriter& operator=(const JournalWriter&) = delete;

  // Records the photos of a group and makes everything written so far
  // durable; false (errno set) when it could not be written.
  bool Append(const std::vector<JournalPhoto>& photos);
  // Append in two halves: Begin encodes, compresses and flushes the lines
  // on a thread of their own while the caller prepares the group's new
  // photos; Finish waits for it and answers as Append does. Every other
  // call waits for a group begun first.
  void Begin(std::vector<JournalPhoto> photos);
  bool Finish();
  // Records the photos whose change is on disk; made durable with the next
  // Append or Complete.
  void Done(const std::vector<std::string>& names);
  // Marks the run complete and closes the journal.
  bool Complete();
  const std::string& Path() const { return path_; }
  size_t Changed() const { return changed_; }

 private:
  JournalWriter() = default;
  bool Write(const std::string& text);
  bool Flush();
  bool WriteAndFlush(const std::vector<JournalPhoto>& photos);

  std::string path_;
  OwnedFd fd_;
  void* gz_ = nullptr;
  size_t changed_ = 0;
  std::future<std::pair<bool, int>> pending_;  // a group begun: written, errno
};

struct Journal {
  RunHeader header;
  std::vector<JournalPhoto> photos;
  std::vector<std::string> done;
  bool complete = false;
  std::string undoneBy;  // the id of the run that took this one back
};

// Notes in a journal that the run `undoId` took it back.
// The runs of bytes where a patch's old and new bytes differ; runs closer
// than a few bytes are one run. A date shift changes a digit or two in each
// of three date/times far apart: the journal keeps those, not the span.
std::vector<BytePatch> DifferingRuns(const BytePatch& patch);

bool MarkUndone(const std::string& journalPath, const std::string& undoId);

// A run whose journal is not complete and whose process is gone: it was
// killed (or its machine stopped) before it ended.
bool Interrupted(const Journal& journal);

// Everything a journal holds that can still be read (a killed run's last
// lines may be lost); nothing when it is not a journal.
std::optional<Journal> ReadJournal(const std::string& path);

struct JournalSummary {
  std::string path;
  RunHeader header;
  size_t photos = 0;   // recorded
  size_t changed = 0;  // done
  bool complete = false;
  bool interrupted = false;
  std::string undoneBy;
  int64_t bytes = 0;
};

// The journals of a folder, newest first. Without contents only what the
// file names tell (id, complete or not, interrupted) and their sizes: cheap
// enough for every start of a program.
std::vector<JournalSummary> ListJournals(const std::string& journalFolder, bool contents);

// Removes journals older than maxAgeDays, then the oldest until the rest
// take at most maxBytes. Returns how many went.
size_t PruneJournals(const std::string& journalFolder, int maxAgeDays, int64_t maxBytes);

// $XDG_STATE_HOME/kelvane/runs/ (default ~/.local/state/kelvane/runs/),
// ending with "/"; empty when no home folder is known.
std::string DefaultJournalFolder();

// A new run's id: its start time (UTC, to the microsecond) and the process
// id; ids sort in the order the runs started.
std::string NewRunId(const timespec& now);

}  // namespace kelvane
