// SPDX-License-Identifier: GPL-2.0-or-later
// The export database: its four tables under the names the settings give,
// their creation, the tags table filled from the tag library, the layout
// that keys photos by their whole path (and the move of a database of the
// earlier, name-keyed layout to it), and the MetadataViewPG crosstab (one
// row per photo, one column per tag title).
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
// Writes the names to section DB, keys Tbl0..Tbl3.
void WriteExportDatabaseNames(const ExportDatabaseNames& names, SettingsStore& settings);

// The tag number whose data record lists the tags the tags table lacks.
inline constexpr int32_t kUnknownTagsId = 65535;

// Creates, in an empty database, the four tables with their keys and
// indexes (the photo files table keyed by Folder and Filename), the stored
// query, the tags table's records (one per library record with formatting
// fields, plus 65535 "<Unknown Tags>") and the view. Runs in the caller's
// transaction; false on any failure.
bool CreateExportTables(SqliteDatabase& db, const ExportDatabaseNames& names, const TagLibrary& library);

// Updates or adds the tag records of the tags table from the library.
bool RefreshTagsTable(SqliteDatabase& db, const ExportDatabaseNames& names, const TagLibrary& library);

// A database of the earlier layout (photos keyed by file name alone) gets
// the Folder column and its key becomes Folder and Filename. Its photo
// records keep no folder until an export meets a photo of that name: the
// record is then taken for that photo (see the database writer). Nothing
// to do for a database of this layout.
bool MoveToWholePathKeys(SqliteDatabase& db, const ExportDatabaseNames& names);

// True when the database holds a table of each of the four names (in any
// letter case, as SQL names match).
bool HasExportTables(SqliteDatabase& db, const ExportDatabaseNames& names);

// Replaces the MetadataViewPG view by one with the Filename and Folder
// columns and a column for every tag title that has data, in title order;
// one row per photo.
bool RecreateMetadataView(SqliteDatabase& db, const ExportDatabaseNames& names);

}  // namespace kelvane
