// SPDX-License-Identifier: GPL-2.0-or-later
// The export database: its four tables under the names the settings give,
// their creation, the tags table filled from the tag library, and the
// MetadataViewPG crosstab (one row per photo, one column per tag title).
#pragma once

#include <string>
#include <string_view>

#include "engine/settings_store.h"
#include "export/sqlite_database.h"
#include "export/tag_library.h"

namespace kelvane {

struct ExportDatabaseNames {
  std::string tags = "ExifTagsPG";
  std::string photoFiles = "PhotoFilesPG";
  std::string tagData = "ExifTagDataPG";
  std::string updates = "UpdateInfoPG";
};

// The table names of section DB, keys Tbl0..Tbl3; a missing or empty name
// is given its default, which is written back.
ExportDatabaseNames ReadExportDatabaseNames(SettingsStore& settings);

// The tag number whose data record lists the tags the tags table lacks.
inline constexpr int32_t kUnknownTagsId = 65535;

enum ExportDatabaseMode : int {
  kRefreshTagsTable = 1,  // update the tags table of the database at target
  kCreateDatabase = 128,  // create a new database at target
};

// kCreateDatabase: creates the database file target (it must not exist)
// with the four tables, their keys and indexes, the stored query and the
// view, fills the tags table (one record per library record with
// formatting fields, plus 65535 "<Unknown Tags>") and writes the names to
// the settings; a failed creation leaves no file behind.
// kRefreshTagsTable: updates or adds the tag records of the existing
// database at target from the library.
// Either runs in one transaction; false on any failure.
bool CreateExportDatabase(const std::string& target, const ExportDatabaseNames& names, int mode,
                          const TagLibrary& library, SettingsStore& settings);

// True when the database holds a table of each of the four names (in any
// letter case, as SQL names match).
bool HasExportTables(SqliteDatabase& db, const ExportDatabaseNames& names);

// Replaces the MetadataViewPG view by one with a column for every tag title
// that has data, in title order, after the Filename column.
bool RecreateMetadataView(SqliteDatabase& db, const ExportDatabaseNames& names);

}  // namespace kelvane
