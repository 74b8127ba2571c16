// SPDX-License-Identifier: GPL-2.0-or-later
// The export made for analysis: a JSON array with one object per photo,
// written photo by photo. Each object has "SourceFile" (the whole path),
// then each tag under its library name as data: numbers as numbers
// (ExposureTime and ExposureBiasValue with their fraction beside, as
// "ExposureTimeFraction": "1/250"), date/times as ISO 8601 with the photo's
// zone when it has one, texts as strings, other byte blocks as hexadecimal,
// GPS coordinates as signed decimal degrees, and "GPSDateTime" (UTC) when
// the photo has a GPS date and time.
#pragma once

#include <string>

#include "export/export_table.h"

namespace kelvane {

// The photo's object, on one line.
std::string PhotoJson(const PhotoValues& photo, const TagLibrary& library);

// Writes target (a file, or standard output). False when there is nothing
// to write or a file operation failed; the target is then left as it was.
bool WriteJson(const CollectedPhotos& photos, const ExportTarget& target, ExportWriterContext& context);

}  // namespace kelvane
