// SPDX-License-Identifier: GPL-2.0-or-later
#include "export/json_writer.h"

#include <charconv>
#include <cmath>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "engine/json_string.h"
#include "export/export_output.h"
#include "export/library_release.h"

namespace kelvane {
namespace {

void AppendNumber(std::string& out, double number, bool integer) {
  if (!std::isfinite(number)) {
    out += "null";
    return;
  }
  if (integer) {
    out += std::to_string(static_cast<int64_t>(number));
    return;
  }
  // The shortest text that reads back as the same double; a whole number
  // keeps a ".0" so that readers take it for a real.
  char buffer[32];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, number);
  const std::string_view text(buffer, static_cast<size_t>(end - buffer));
  out += text;
  if (text.find_first_of(".e") == std::string_view::npos) out += ".0";
}

std::string TypedJson(const TypedValue& typed, const std::string& text) {
  std::string out;
  switch (typed.kind) {
    case TypedValue::Kind::kInteger:
      return std::to_string(typed.integer);
    case TypedValue::Kind::kReal:
      AppendNumber(out, typed.real, false);
      return out;
    case TypedValue::Kind::kText:
    case TypedValue::Kind::kDate:
      AppendJsonString(out, typed.text);
      return out;
    case TypedValue::Kind::kList:
      out += '[';
      for (size_t i = 0; i < typed.numbers.size(); ++i) {
        if (i > 0) out += ',';
        AppendNumber(out, typed.numbers[i], typed.listIntegers);
      }
      out += ']';
      return out;
    case TypedValue::Kind::kNone:
      break;
  }
  if (text.empty()) return "null";
  AppendJsonString(out, text);
  return out;
}

}  // namespace

// Every text here is clean UTF-8 already (the export's one text rule).
std::string PhotoJson(const PhotoValues& photo, const TagLibrary& library) {
  // Members in the order first met; a name met again takes the later value
  // in the first one's place, so that no object has a name twice.
  std::vector<std::pair<std::string, std::string>> members;
  members.reserve(photo.values.size() + 2);
  std::unordered_map<std::string, size_t> index;
  const auto put = [&](std::string name, std::string json) {
    const auto [found, added] = index.emplace(name, members.size());
    if (added) {
      members.emplace_back(std::move(name), std::move(json));
    } else {
      members[found->second].second = std::move(json);
    }
  };
  std::string source;
  AppendJsonString(source, photo.folder + photo.name);
  put("SourceFile", std::move(source));
  for (const CollectedValue& value : photo.values) {
    const std::string name = library.Name(value.tag);
    put(name, TypedJson(value.typed, value.text));
    if (!value.typed.fraction.empty()) {
      std::string fraction;
      AppendJsonString(fraction, value.typed.fraction);
      put(name + "Fraction", std::move(fraction));
    }
  }
  if (!photo.gpsDateTime.empty()) {
    std::string gps;
    AppendJsonString(gps, photo.gpsDateTime);
    put("GPSDateTime", std::move(gps));
  }
  std::string out = "{";
  for (const auto& [name, json] : members) {
    if (out.size() > 1) out += ',';
    AppendJsonString(out, name);
    out += ':';
    out += json;
  }
  return out + "}";
}

bool WriteJson(const CollectedPhotos& photos, const ExportTarget& target, ExportWriterContext& context) {
  if (photos.PhotoCount() == 0 || photos.Tags().empty()) return false;
  CheckLibraryRelease(context.library, context.settings, context.ui, ReleaseAdvice::Worksheets);
  ExportOutput file = target.standardOutput ? ExportOutput::StandardOutput() : ExportOutput::File(target.path);
  if (!file.Open() || !file.Write("[\n")) return false;
  const size_t count = photos.PhotoCount();
  size_t p = 0;
  const bool ok = photos.ForEach([&](const PhotoValues& photo) {
    context.ui.SetProgress(10 + static_cast<int>(85 * p / count));
    return file.Write(p++ == 0 ? "" : ",\n") && file.Write(PhotoJson(photo, context.library));
  });
  return ok && file.Write("\n]\n") && file.Finish() && file.Commit();
}

}  // namespace kelvane
