// SPDX-License-Identifier: GPL-2.0-or-later
#include "engine/run_journal.h"

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <system_error>

#include "engine/json_string.h"
#include "engine/utility_functions.h"

namespace kelvane {
namespace {

constexpr std::string_view kExtension = ".journal";
// A journal being written (or left by a run that was killed) carries this
// ending until its run completes: interrupted runs are found by name alone.
constexpr std::string_view kOpenExtension = ".journal.part";

bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

long OwnerOf(const std::string& id) {
  const auto dash = id.rfind('-');
  return dash == std::string::npos ? 0 : std::strtol(id.c_str() + dash + 1, nullptr, 10);
}

bool ProcessGone(long pid) { return pid <= 0 || (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH); }

// ---- writing ---------------------------------------------------------------

bool ValidUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const auto b = static_cast<uint8_t>(text[i]);
    const size_t length = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (size_t k = 1; k < length; ++k) {
      if ((static_cast<uint8_t>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += length;
  }
  return true;
}

// A file name is any bytes on this platform: one that is not UTF-8 goes as hex.
void AppendName(std::string& out, const char* key, const std::string& name) {
  out += ",\"";
  out += key;
  if (ValidUtf8(name)) {
    out += "\":";
    AppendJsonString(out, name);
  } else {
    out += "Hex\":\"" + HexOf(std::span(reinterpret_cast<const uint8_t*>(name.data()), name.size())) + "\"";
  }
}

// Appends in place: a rewritten photo's old head is tens of kilobytes.
void AppendBase64(std::string& out, std::span<const uint8_t> bytes) {
  static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  size_t at = out.size();
  out.resize(at + (bytes.size() + 2) / 3 * 4);
  char* text = out.data();
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const uint32_t n = uint32_t{bytes[i]} << 16 | (i + 1 < bytes.size() ? uint32_t{bytes[i + 1]} << 8 : 0) |
                       (i + 2 < bytes.size() ? bytes[i + 2] : 0);
    text[at++] = kDigits[n >> 18 & 63];
    text[at++] = kDigits[n >> 12 & 63];
    text[at++] = i + 1 < bytes.size() ? kDigits[n >> 6 & 63] : '=';
    text[at++] = i + 2 < bytes.size() ? kDigits[n & 63] : '=';
  }
}

void AppendTimes(std::string& out, const char* key, const std::array<timespec, 2>& times) {
  out += ",\"";
  out += key;
  out += "\":[" + std::to_string(times[0].tv_sec) + "," + std::to_string(times[0].tv_nsec) + "," +
         std::to_string(times[1].tv_sec) + "," + std::to_string(times[1].tv_nsec) + "]";
}

std::string PhotoLine(const JournalPhoto& p) {
  std::string line;
  size_t patched = 0;
  for (const BytePatch& run : p.patches) patched += 24 + 2 * (run.before.size() + run.after.size());
  line.reserve(512 + p.oldHead.size() / 3 * 4 + patched);
  line += "{\"photo\":1";
  AppendName(line, "name", p.name);
  if (!p.newName.empty()) AppendName(line, "newName", p.newName);
  line += ",\"dev\":" + std::to_string(p.device) + ",\"ino\":" + std::to_string(p.inode);
  line += ",\"size\":[" + std::to_string(p.sizeBefore) + "," + std::to_string(p.sizeAfter) + "]";
  if (!p.oldHead.empty()) line += ",\"sha256\":[\"" + HexOf(p.hashBefore) + "\",\"" + HexOf(p.hashAfter) + "\"]";
  if (!p.patches.empty()) {
    line += ",\"patch\":[";
    for (const BytePatch& run : p.patches) {
      if (&run != &p.patches.front()) line += ',';
      line += "{\"at\":" + std::to_string(run.offset) + ",\"old\":\"" + HexOf(run.before) + "\",\"new\":\"" +
              HexOf(run.after) + "\"}";
    }
    line += ']';
  }
  if (!p.oldHead.empty()) {
    line += ",\"head\":{\"old\":\"";
    AppendBase64(line, p.oldHead);
    line += "\",\"newLength\":" + std::to_string(p.newHeadLength) + "}";
  }
  if (p.oldTimes) AppendTimes(line, "oldTimes", *p.oldTimes);
  if (p.newTimes) AppendTimes(line, "newTimes", *p.newTimes);
  if (p.wiped) line += ",\"wiped\":true";
  return line + "}\n";
}

std::string HeaderLine(const RunHeader& h) {
  std::string line = "{\"journal\":\"kelvane-run\",\"version\":1";
  for (const auto& [key, value] : {std::pair{"id", &h.id},
                                   {"started", &h.started},
                                   {"function", &h.function},
                                   {"folder", &h.folder},
                                   {"details", &h.details},
                                   {"undoes", &h.undoes}}) {
    if (value->empty() && std::string_view(key) == "undoes") continue;
    AppendName(line, key, *value);
  }
  return line + "}\n";
}

std::string UtcNow() {
  const time_t now = ::time(nullptr);
  std::tm utc{};
  ::gmtime_r(&now, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

// ---- reading ---------------------------------------------------------------

std::optional<std::vector<uint8_t>> BytesOfHex(const std::string& hex) {
  if (hex.size() % 2 != 0) return std::nullopt;
  std::vector<uint8_t> bytes(hex.size() / 2);
  for (size_t i = 0; i < bytes.size(); ++i) {
    const auto digit = [](char c) -> int {
      if (c >= '0' && c <= '9') return c - '0';
      if (c >= 'a' && c <= 'f') return c - 'a' + 10;
      return -1;
    };
    const int hi = digit(hex[2 * i]);
    const int lo = digit(hex[2 * i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    bytes[i] = static_cast<uint8_t>(hi << 4 | lo);
  }
  return bytes;
}

std::optional<std::vector<uint8_t>> BytesOfBase64(const std::string& text) {
  std::vector<uint8_t> bytes;
  uint32_t buffer = 0;
  int bits = 0;
  for (const char c : text) {
    int v;
    if (c >= 'A' && c <= 'Z') {
      v = c - 'A';
    } else if (c >= 'a' && c <= 'z') {
      v = c - 'a' + 26;
    } else if (c >= '0' && c <= '9') {
      v = c - '0' + 52;
    } else if (c == '+') {
      v = 62;
    } else if (c == '/') {
      v = 63;
    } else if (c == '=') {
      break;
    } else {
      return std::nullopt;
    }
    buffer = buffer << 6 | static_cast<uint32_t>(v);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      bytes.push_back(static_cast<uint8_t>(buffer >> bits));
    }
  }
  return bytes;
}

std::optional<std::string> NameOf(const nlohmann::json& line, const std::string& key) {
  if (const auto it = line.find(key); it != line.end() && it->is_string()) return it->get<std::string>();
  if (const auto it = line.find(key + "Hex"); it != line.end() && it->is_string()) {
    const auto bytes = BytesOfHex(it->get<std::string>());
    if (bytes) return std::string(bytes->begin(), bytes->end());
  }
  return std::nullopt;
}

bool ReadSha(const nlohmann::json& value, Sha256& out) {
  if (!value.is_string()) return false;
  const auto bytes = BytesOfHex(value.get<std::string>());
  if (!bytes || bytes->size() != out.size()) return false;
  std::copy(bytes->begin(), bytes->end(), out.begin());
  return true;
}

std::optional<std::array<timespec, 2>> TimesOf(const nlohmann::json& line, const char* key) {
  const auto it = line.find(key);
  if (it == line.end() || !it->is_array() || it->size() != 4) return std::nullopt;
  for (const auto& n : *it) {
    if (!n.is_number_integer()) return std::nullopt;
  }
  return std::array<timespec, 2>{timespec{(*it)[0].get<time_t>(), (*it)[1].get<long>()},
                                 timespec{(*it)[2].get<time_t>(), (*it)[3].get<long>()}};
}

std::optional<JournalPhoto> PhotoOf(const nlohmann::json& line) {
  JournalPhoto p;
  const auto name = NameOf(line, "name");
  if (!name) return std::nullopt;
  p.name = *name;
  p.newName = NameOf(line, "newName").value_or("");
  p.device = line.value("dev", uint64_t{0});
  p.inode = line.value("ino", uint64_t{0});
  const auto size = line.find("size");
  if (size == line.end() || !size->is_array() || size->size() != 2) return std::nullopt;
  if (const auto sha = line.find("sha256"); sha != line.end()) {
    if (!sha->is_array() || sha->size() != 2 || !ReadSha((*sha)[0], p.hashBefore) || !ReadSha((*sha)[1], p.hashAfter)) {
      return std::nullopt;
    }
  } else if (line.contains("head")) {
    return std::nullopt;
  }
  p.sizeBefore = (*size)[0].get<int64_t>();
  p.sizeAfter = (*size)[1].get<int64_t>();
  if (const auto patch = line.find("patch"); patch != line.end()) {
    // One run as an object, or a list of runs.
    const auto runs = patch->is_array() ? *patch : nlohmann::json::array({*patch});
    for (const auto& run : runs) {
      if (!run.is_object()) return std::nullopt;
      const auto before = BytesOfHex(run.value("old", std::string()));
      const auto after = BytesOfHex(run.value("new", std::string()));
      const int64_t at = run.value("at", int64_t{-1});
      const int64_t previousEnd =
          p.patches.empty() ? 0 : p.patches.back().offset + int64_t(p.patches.back().after.size());
      if (!before || !after || before->size() != after->size() || at < previousEnd) return std::nullopt;
      p.patches.push_back(BytePatch{at, *before, *after});
    }
  }
  if (const auto head = line.find("head"); head != line.end() && head->is_object()) {
    const auto old = BytesOfBase64(head->value("old", std::string()));
    if (!old) return std::nullopt;
    p.oldHead = *old;
    p.newHeadLength = head->value("newLength", int64_t{0});
  }
  p.oldTimes = TimesOf(line, "oldTimes");
  p.newTimes = TimesOf(line, "newTimes");
  p.wiped = line.value("wiped", false);
  return p;
}

// Every complete line of a gzip file, as far as it can be read.
std::vector<std::string> Lines(const std::string& path) {
  std::vector<std::string> lines;
  gzFile gz = ::gzopen(path.c_str(), "rb");
  if (gz == nullptr) return lines;
  std::string pending;
  char buffer[1 << 16];
  for (;;) {
    const int n = ::gzread(gz, buffer, sizeof buffer);
    if (n <= 0) break;
    pending.append(buffer, static_cast<size_t>(n));
    size_t start = 0;
    for (size_t end = pending.find('\n'); end != std::string::npos; end = pending.find('\n', start)) {
      lines.push_back(pending.substr(start, end - start));
      start = end + 1;
    }
    pending.erase(0, start);
  }
  ::gzclose(gz);
  return lines;
}

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') return home;
  struct passwd entry {};
  struct passwd* found = nullptr;
  std::vector<char> buf(16384);
  if (::getpwuid_r(::getuid(), &entry, buf.data(), buf.size(), &found) == 0 && found != nullptr &&
      found->pw_dir != nullptr) {
    return found->pw_dir;
  }
  return {};
}

}  // namespace

std::vector<BytePatch> DifferingRuns(const BytePatch& patch) {
  // Equal bytes shorter than a run's own overhead in the journal stay inside it.
  constexpr size_t kJoin = 8;
  std::vector<BytePatch> runs;
  const size_t size = std::min(patch.before.size(), patch.after.size());
  size_t i = 0;
  while (i < size) {
    if (patch.before[i] == patch.after[i]) {
      ++i;
      continue;
    }
    size_t end = i + 1;
    for (size_t equal = 0; end < size; ++end) {
      equal = patch.before[end] == patch.after[end] ? equal + 1 : 0;
      if (equal == kJoin) {
        end -= kJoin - 1;
        break;
      }
    }
    while (end > i && patch.before[end - 1] == patch.after[end - 1]) --end;
    const auto from = static_cast<ptrdiff_t>(i);
    const auto to = static_cast<ptrdiff_t>(end);
    runs.push_back(BytePatch{patch.offset + from,
                             {patch.before.begin() + from, patch.before.begin() + to},
                             {patch.after.begin() + from, patch.after.begin() + to}});
    i = end;
  }
  return runs;
}

std::unique_ptr<JournalWriter> JournalWriter::Create(const std::string& journalFolder, const RunHeader& header,
                                                     int& error) {
  std::error_code ec;
  std::filesystem::create_directories(journalFolder, ec);
  std::unique_ptr<JournalWriter> writer(new JournalWriter);
  std::string folder = journalFolder;
  if (!folder.empty() && folder.back() != '/') folder += '/';
  writer->path_ = folder + header.id + std::string(kOpenExtension);
  writer->fd_.Reset(::open(writer->path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
  if (!writer->fd_.valid()) {
    error = errno;
    return nullptr;
  }
  const int gzFd = ::dup(writer->fd_.get());
  writer->gz_ = gzFd >= 0 ? ::gzdopen(gzFd, "wb1") : nullptr;
  if (writer->gz_ == nullptr) {
    error = gzFd >= 0 ? ENOMEM : errno;
    if (gzFd >= 0) ::close(gzFd);
    ::unlink(writer->path_.c_str());
    return nullptr;
  }
  RunHeader stamped = header;
  if (stamped.started.empty()) stamped.started = UtcNow();
  if (!writer->Write(HeaderLine(stamped)) || !writer->Flush()) {
    error = errno != 0 ? errno : EIO;
    return nullptr;
  }
  SyncFolder(folder);
  return writer;
}

JournalWriter::~JournalWriter() {
  Finish();
  if (gz_ != nullptr) ::gzclose(static_cast<gzFile>(gz_));
}

bool JournalWriter::Write(const std::string& text) {
  if (gz_ == nullptr) return false;
  return ::gzwrite(static_cast<gzFile>(gz_), text.data(), static_cast<unsigned>(text.size())) ==
         static_cast<int>(text.size());
}

bool JournalWriter::Flush() {
  if (gz_ == nullptr || ::gzflush(static_cast<gzFile>(gz_), Z_SYNC_FLUSH) != Z_OK) {
    if (errno == 0) errno = EIO;
    return false;
  }
  return ::fdatasync(fd_.get()) == 0;
}

bool JournalWriter::WriteAndFlush(const std::vector<JournalPhoto>& photos) {
  std::string text;
  for (const JournalPhoto& photo : photos) text += PhotoLine(photo);
  return Write(text) && Flush();
}

bool JournalWriter::Append(const std::vector<JournalPhoto>& photos) {
  Finish();
  return WriteAndFlush(photos);
}

void JournalWriter::Begin(std::vector<JournalPhoto> photos) {
  Finish();
  const auto group = std::make_shared<const std::vector<JournalPhoto>>(std::move(photos));
  const auto write = [this, group] {
    errno = 0;
    const bool written = WriteAndFlush(*group);
    return std::pair{written, errno};
  };
  try {
    pending_ = std::async(std::launch::async, write);
  } catch (const std::system_error&) {
    // No thread to be had (a process limit): the group is written here.
    std::promise<std::pair<bool, int>> done;
    done.set_value(write());
    pending_ = done.get_future();
  }
}

bool JournalWriter::Finish() {
  if (!pending_.valid()) return true;
  const auto [written, error] = pending_.get();
  if (!written) errno = error;
  return written;
}

void JournalWriter::Done(const std::vector<std::string>& names) {
  Finish();
  if (names.empty()) return;
  std::string line = "{\"done\":[";
  bool first = true;
  for (const std::string& name : names) {
    std::string item;
    AppendName(item, "n", name);
    line += first ? "" : ",";
    line += "{" + item.substr(1) + "}";
    first = false;
  }
  Write(line + "]}\n");
  changed_ += names.size();
}

bool JournalWriter::Complete() {
  Finish();
  const bool written =
      Write("{\"complete\":true,\"ended\":\"" + UtcNow() + "\",\"changed\":" + std::to_string(changed_) + "}\n") &&
      Flush();
  const bool closed = ::gzclose(static_cast<gzFile>(gz_)) == Z_OK;
  gz_ = nullptr;
  if (!written || !closed) return false;
  const std::string completed = path_.substr(0, path_.size() - kOpenExtension.size()) + std::string(kExtension);
  if (::rename(path_.c_str(), completed.c_str()) != 0) return false;
  path_ = completed;
  SyncFolder(path_.substr(0, path_.rfind('/') + 1));
  return true;
}

std::optional<Journal> ReadJournal(const std::string& path) {
  const std::vector<std::string> lines = Lines(path);
  if (lines.empty()) return std::nullopt;
  const auto head = nlohmann::json::parse(lines.front(), nullptr, false);
  if (!head.is_object() || head.value("journal", std::string()) != "kelvane-run") return std::nullopt;
  Journal journal;
  journal.header.id = NameOf(head, "id").value_or("");
  journal.header.started = NameOf(head, "started").value_or("");
  journal.header.function = NameOf(head, "function").value_or("");
  journal.header.folder = NameOf(head, "folder").value_or("");
  journal.header.details = NameOf(head, "details").value_or("");
  journal.header.undoes = NameOf(head, "undoes").value_or("");
  for (size_t i = 1; i < lines.size(); ++i) {
    const auto line = nlohmann::json::parse(lines[i], nullptr, false);
    if (!line.is_object()) continue;  // a line cut short by a kill
    if (line.contains("photo")) {
      if (auto photo = PhotoOf(line)) journal.photos.push_back(std::move(*photo));
    } else if (const auto done = line.find("done"); done != line.end() && done->is_array()) {
      for (const auto& item : *done) {
        if (const auto name = NameOf(item, "n")) journal.done.push_back(*name);
      }
    } else if (line.value("complete", false)) {
      journal.complete = true;
    } else if (const auto undone = NameOf(line, "undoneBy")) {
      journal.undoneBy = *undone;
    }
  }
  return journal;
}

std::vector<JournalSummary> ListJournals(const std::string& journalFolder, bool contents) {
  std::vector<JournalSummary> summaries;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(journalFolder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    const bool open = EndsWith(name, kOpenExtension);
    if ((!open && !EndsWith(name, kExtension)) || !it->is_regular_file(ec)) continue;
    JournalSummary summary;
    summary.path = it->path().string();
    summary.header.id = name.substr(0, name.size() - (open ? kOpenExtension : kExtension).size());
    summary.complete = !open;
    summary.interrupted = open && ProcessGone(OwnerOf(summary.header.id));
    summary.bytes = static_cast<int64_t>(it->file_size(ec));
    if (contents) {
      const auto journal = ReadJournal(summary.path);
      if (!journal) continue;
      summary.header = journal->header;
      summary.photos = journal->photos.size();
      summary.changed = journal->done.size();
      summary.undoneBy = journal->undoneBy;
    }
    summaries.push_back(std::move(summary));
  }
  std::sort(summaries.begin(), summaries.end(),
            [](const JournalSummary& a, const JournalSummary& b) { return a.header.id > b.header.id; });
  return summaries;
}

size_t PruneJournals(const std::string& journalFolder, int maxAgeDays, int64_t maxBytes) {
  const std::vector<JournalSummary> journals = ListJournals(journalFolder, false);
  const time_t now = ::time(nullptr);
  size_t removed = 0;
  int64_t kept = 0;
  // Newest first: a journal is kept while it is young enough and fits. An
  // interrupted run's journal stays until it is taken back or too old.
  for (const JournalSummary& journal : journals) {
    if (!journal.complete && !journal.interrupted) continue;  // a run in progress
    struct stat st {};
    const bool old = ::stat(journal.path.c_str(), &st) == 0 && now - st.st_mtime > int64_t{maxAgeDays} * 86400;
    if (old || (journal.complete && kept + journal.bytes > maxBytes)) {
      if (::unlink(journal.path.c_str()) == 0) ++removed;
    } else {
      kept += journal.bytes;
    }
  }
  return removed;
}

bool MarkUndone(const std::string& journalPath, const std::string& undoId) {
  // A gzip file may hold several members one after the other: the note goes
  // in a member of its own at the end.
  gzFile gz = ::gzopen(journalPath.c_str(), "ab1");
  if (gz == nullptr) return false;
  std::string line = "{\"undoneBy\":";
  AppendJsonString(line, undoId);
  line += "}\n";
  const bool written = ::gzwrite(gz, line.data(), static_cast<unsigned>(line.size())) == static_cast<int>(line.size());
  return ::gzclose(gz) == Z_OK && written;
}

bool Interrupted(const Journal& journal) { return !journal.complete && ProcessGone(OwnerOf(journal.header.id)); }

std::string DefaultJournalFolder() {
  std::string state;
  if (const char* xdg = std::getenv("XDG_STATE_HOME"); xdg != nullptr && xdg[0] == '/') {
    state = xdg;
  } else {
    const std::string home = HomeFolder();
    if (home.empty()) return {};
    state = home + "/.local/state";
  }
  if (state.back() != '/') state += '/';
  return state + "kelvane/runs/";
}

std::string NewRunId(const timespec& now) {
  std::tm utc{};
  ::gmtime_r(&now.tv_sec, &utc);
  char text[48];
  const size_t length = std::strftime(text, sizeof text, "%Y%m%dT%H%M%S", &utc);
  // Microseconds, so that the ids of runs started within one second sort by
  // their start too.
  std::snprintf(text + length, sizeof text - length, ".%06ldZ", now.tv_nsec / 1000);
  return std::string(text) + "-" + std::to_string(::getpid());
}

}  // namespace kelvane
