// SPDX-License-Identifier: GPL-2.0-or-later
#include "export/json_writer.h"

#include <cmath>
#include <nlohmann/json.hpp>

#include "export/export_output.h"
#include "export/library_release.h"

namespace kelvane {
namespace {

using Json = nlohmann::ordered_json;

Json NumberJson(double number, bool integer) {
  if (!std::isfinite(number)) return nullptr;
  if (integer) return static_cast<int64_t>(number);
  return number;
}

Json TypedJson(const TypedValue& typed, const std::string& text) {
  switch (typed.kind) {
    case TypedValue::Kind::kInteger:
      return typed.integer;
    case TypedValue::Kind::kReal:
      return NumberJson(typed.real, false);
    case TypedValue::Kind::kText:
    case TypedValue::Kind::kDate:
      return typed.text;
    case TypedValue::Kind::kList: {
      Json list = Json::array();
      for (const double number : typed.numbers) list.push_back(NumberJson(number, typed.listIntegers));
      return list;
    }
    case TypedValue::Kind::kNone:
      break;
  }
  return text.empty() ? Json(nullptr) : Json(text);
}

}  // namespace

std::string PhotoJson(const PhotoValues& photo, const TagLibrary& library) {
  Json object = Json::object();
  object["SourceFile"] = photo.folder + photo.name;
  for (const CollectedValue& value : photo.values) {
    const std::string name = library.Name(value.tag);
    object[name] = TypedJson(value.typed, value.text);
    if (!value.typed.fraction.empty()) object[name + "Fraction"] = value.typed.fraction;
  }
  if (!photo.gpsDateTime.empty()) object["GPSDateTime"] = photo.gpsDateTime;
  // Texts are clean UTF-8 already; a file name that is not is mended the same way.
  return object.dump(-1, ' ', false, Json::error_handler_t::replace);
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
