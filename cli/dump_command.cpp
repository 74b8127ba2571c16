// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/dump_command.h"

#include <cerrno>
#include <cstring>
#include <array>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "cli/exit_status.h"
#include "cli/json_report.h"
#include "engine/exif_reader.h"
#include "engine/utility_functions.h"
#include "export/value_collector.h"

namespace kelvane::cli {
namespace {

constexpr std::array<const char*, kSlotCount> kSlotNames = {
    "ExifOffset",     "ExifVersion",     "DateTime(Modified)", "DateTimeOriginal", "DateTimeDigitized",
    "ExifImageWidth", "ExifImageHeight", "Copyright",          "ImageDescription"};

// Bytes as text: printable ASCII as is, everything else as \xNN.
std::string Printable(const std::string& bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      out += static_cast<char>(c);
    } else {
      static const char* hex = "0123456789ABCDEF";
      out += "\\x";
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

// 0x010F; a GPS tag as GPS:0x0002.
std::string Hex4(int32_t tag) {
  char text[16];
  std::snprintf(text, sizeof text, "%s0x%04X", IsGpsTag(tag) ? "GPS:" : "", static_cast<unsigned>(tag) & 0xFFFFu);
  return text;
}

struct FormattedTag {
  int32_t tag = 0;
  std::string title;
  std::string value;
};

// Every tag of IFD0, the Exif IFD and the GPS directory, formatted by the
// tag library as the export does it, in tag-number order.
std::vector<FormattedTag> FormattedTags(PhotoFile& file, const ExifSegmentInfo& segment, ConsoleSession& session) {
  ValueCollector collector(session.library, {false, session.settings.ValueCharLimit, false});
  const PhotoValues photo = collector.Collect(file, segment, "", "photo");
  std::vector<FormattedTag> tags;
  for (const CollectedValue& value : photo.values) {
    FormattedTag formatted;
    formatted.tag = value.tag;
    if (const auto record = session.library.Record(formatted.tag)) formatted.title = record->title;
    formatted.value = value.text;
    tags.push_back(std::move(formatted));
  }
  return tags;
}

void PrintText(const std::string& path, int16_t code, int32_t slotRequest, const ExifReading& reading,
               const std::vector<FormattedTag>& tags, std::ostream& out) {
  out << "file " << path << "\n";
  out << "result " << code << "  slotRequest " << slotRequest << "\n";
  out << "locator";
  for (int32_t n : reading.segment) out << ' ' << n;
  out << "\n";
  for (int slot = 0; slot < kSlotCount; ++slot) {
    const ExifTagRecord& r = reading.tags[slot];
    out << "slot " << slot << ' ' << kSlotNames[slot] << ": ";
    if (r.tag == 0) {
      out << "-\n";
      continue;
    }
    out << "tag " << r.tag << " dir " << r.directory << " type " << int{r.type} << " count " << r.count << " bytes "
        << r.byteLength << " value " << r.valueField << " entry@" << r.entryPosition << " data@" << r.dataPosition;
    if (!r.text.empty()) out << " text \"" << Printable(r.text) << '"';
    out << "\n";
  }
  if (tags.empty()) return;
  out << "tags of IFD0, the Exif IFD and the GPS directory:\n";
  for (const FormattedTag& tag : tags) {
    out << "  " << Hex4(tag.tag) << ' ' << (tag.title.empty() ? "(no title)" : tag.title) << ": "
        << Printable(tag.value) << "\n";
  }
}

nlohmann::ordered_json ReadingJson(const std::string& path, int16_t code, int32_t slotRequest,
                                   const ExifReading& reading, const std::vector<FormattedTag>& tags) {
  nlohmann::ordered_json slots = nlohmann::ordered_json::array();
  for (int slot = 0; slot < kSlotCount; ++slot) {
    const ExifTagRecord& r = reading.tags[slot];
    nlohmann::ordered_json entry = {{"slot", slot}, {"name", kSlotNames[slot]}, {"tag", r.tag}};
    if (r.tag != 0) {
      entry.update({{"directory", r.directory},
                    {"type", int{r.type}},
                    {"count", r.count},
                    {"bytes", r.byteLength},
                    {"value", r.valueField},
                    {"entryPosition", r.entryPosition},
                    {"dataPosition", r.dataPosition},
                    {"text", Printable(r.text)}});
    }
    slots.push_back(std::move(entry));
  }
  nlohmann::ordered_json formatted = nlohmann::ordered_json::array();
  for (const FormattedTag& tag : tags) {
    formatted.push_back({{"tag", tag.tag}, {"title", tag.title}, {"value", tag.value}});
  }
  return {{"command", "dump"},
          {"path", path},
          {"result", code},
          {"slotRequest", slotRequest},
          {"locator", reading.segment},
          {"slots", std::move(slots)},
          {"tags", std::move(formatted)},
          {"exitStatus", code == static_cast<int16_t>(ReadResult::kOk) ? kExitSuccess : kExitFailedFiles}};
}

}  // namespace

int DumpPhoto(const std::string& path, ConsoleSession& session, bool json, std::ostream& out, std::ostream& err) {
  PhotoFile file;
  if (!file.Open(path, PhotoFile::Mode::kRead)) {
    err << "kelvane-cli: cannot open " << path << ": "
        << (file.error() == ELOOP ? "a symbolic link (not followed)" : std::strerror(file.error())) << "\n";
    return kExitFailedFiles;
  }
  ExifReading reading;
  int32_t slotRequest = 0;
  const ReadResult read = ReadExifTags(file, slotRequest, reading);
  const auto code = static_cast<int16_t>(read);
  std::vector<FormattedTag> tags;
  if (read == ReadResult::kOk) tags = FormattedTags(file, reading.segment, session);
  if (json) {
    out << JsonText(ReadingJson(path, code, slotRequest, reading, tags)) << "\n";
  } else {
    PrintText(path, code, slotRequest, reading, tags, out);
  }
  return read == ReadResult::kOk ? kExitSuccess : kExitFailedFiles;
}

}  // namespace kelvane::cli
