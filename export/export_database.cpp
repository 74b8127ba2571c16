// SPDX-License-Identifier: GPL-2.0-or-later
#include "export/export_database.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

namespace kelvane {
namespace {

constexpr const char* kDbSection = "DB";

// The crosstab query as stored in every new database, kept by name in a
// table of stored queries. It names the default tables whatever the settings
// say; the working view of the same name is built over the configured tables.
constexpr std::string_view kMetadataViewName = "MetadataViewPG";
constexpr std::string_view kStoredQueriesTable = "StoredQueries";
constexpr std::string_view kMetadataViewQuery =
    "TRANSFORM First(ExifTagDataPG.TagText) AS FirstOfTagText"
    " SELECT PhotoFilesPG.Filename"
    " FROM (ExifTagDataPG LEFT JOIN ExifTagsPG ON ExifTagDataPG.ExifID = ExifTagsPG.ExifID)"
    " RIGHT JOIN PhotoFilesPG ON ExifTagDataPG.FileRef = PhotoFilesPG.FileRef"
    " GROUP BY PhotoFilesPG.Filename"
    " ORDER BY PhotoFilesPG.Filename"
    " PIVOT ExifTagsPG.Description;";

std::string Q(std::string_view name) { return QuoteIdentifier(name); }

std::string SchemaSql(const ExportDatabaseNames& names) {
  return "CREATE TABLE " + Q(names.tags) +
         " (\"ExifID\" INTEGER NOT NULL, \"NonTech\" INTEGER, \"Description\" TEXT);"
         "CREATE UNIQUE INDEX \"Tags\" ON " +
         Q(names.tags) +
         " (\"ExifID\");"
         "CREATE TABLE " +
         Q(names.photoFiles) +
         " (\"FileRef\" INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL, \"Filename\" TEXT NOT NULL, \"Folder\" TEXT);"
         "CREATE UNIQUE INDEX \"FileRefs\" ON " +
         Q(names.photoFiles) +
         " (\"FileRef\");"
         "CREATE UNIQUE INDEX \"FileName\" ON " +
         Q(names.photoFiles) +
         " (\"Folder\", \"Filename\");"
         "CREATE TABLE " +
         Q(names.tagData) +
         " (\"FileRef\" INTEGER NOT NULL, \"ExifID\" INTEGER NOT NULL, \"TagText\" TEXT);"
         "CREATE UNIQUE INDEX \"TagDat\" ON " +
         Q(names.tagData) +
         " (\"FileRef\", \"ExifID\");"
         "CREATE TABLE " +
         Q(names.updates) +
         " (\"Update\" INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL, \"DateTime\" TEXT NOT NULL,"
         " \"TagLibrary\" INTEGER NOT NULL);"
         "CREATE UNIQUE INDEX \"Updates\" ON " +
         Q(names.updates) +
         " (\"Update\");"
         "CREATE TABLE " +
         Q(kStoredQueriesTable) + " (\"Name\" TEXT PRIMARY KEY NOT NULL, \"QueryText\" TEXT NOT NULL);";
}

bool StoreQuery(SqliteDatabase& db) {
  SqliteStatement insert =
      db.Prepare("INSERT INTO " + Q(kStoredQueriesTable) + " (\"Name\", \"QueryText\") VALUES (?1, ?2)");
  return insert.Bind(1, kMetadataViewName) && insert.Bind(2, kMetadataViewQuery) && insert.Run();
}

// One record per library record with formatting fields; a refresh edits the
// record of a tag that is there already.
bool FillTagsTable(SqliteDatabase& db, const std::string& tagsTable, const TagLibrary& library, bool refresh) {
  SqliteStatement insert =
      db.Prepare("INSERT INTO " + Q(tagsTable) + " (\"ExifID\", \"NonTech\", \"Description\") VALUES (?1, ?2, ?3)");
  SqliteStatement update =
      db.Prepare("UPDATE " + Q(tagsTable) + " SET \"NonTech\" = ?2, \"Description\" = ?3 WHERE \"ExifID\" = ?1");
  if (!insert.ok() || !update.ok()) return false;
  const auto store = [&](int64_t id, bool nonTech, std::string_view description) {
    if (refresh) {
      if (!update.Bind(1, id) || !update.Bind(2, int64_t{nonTech}) || !update.Bind(3, description) || !update.Run()) {
        return false;
      }
      if (db.Changes() > 0) return true;
    }
    return insert.Bind(1, id) && insert.Bind(2, int64_t{nonTech}) && insert.Bind(3, description) && insert.Run();
  };
  if (library.SlotCount() >= 1) {
    for (const int32_t tag : library.RecordedTags()) {
      const std::optional<TagRecord> record = library.Record(tag);
      if (!store(tag, record->IsNonTechnical(), record->title)) return false;
    }
  }
  return refresh || store(kUnknownTagsId, false, "<Unknown Tags>");
}

// The names of a table's columns.
std::optional<std::vector<std::string>> ColumnsOf(SqliteDatabase& db, const std::string& table) {
  SqliteStatement columns = db.Prepare("SELECT name FROM pragma_table_info(?1)");
  if (!columns.Bind(1, table)) return std::nullopt;
  std::vector<std::string> names;
  SqliteStatement::Step step;
  while ((step = columns.Next()) == SqliteStatement::Step::kRow) names.push_back(columns.Text(0));
  if (step != SqliteStatement::Step::kDone) return std::nullopt;
  return names;
}

}  // namespace

ExportDatabaseNames ReadExportDatabaseNames(SettingsStore& settings) {
  ExportDatabaseNames names;
  std::string* fields[] = {&names.tags, &names.photoFiles, &names.tagData, &names.updates};
  for (int i = 0; i < 4; ++i) {
    const std::string key = "Tbl" + std::to_string(i);
    const std::string stored = settings.ReadSetting(kDbSection, key);
    if (stored.empty()) {
      settings.WriteSetting(kDbSection, key, *fields[i]);
    } else {
      *fields[i] = stored;
    }
  }
  return names;
}

void WriteExportDatabaseNames(const ExportDatabaseNames& names, SettingsStore& settings) {
  const std::string* fields[] = {&names.tags, &names.photoFiles, &names.tagData, &names.updates};
  for (int i = 0; i < 4; ++i) settings.WriteSetting(kDbSection, "Tbl" + std::to_string(i), *fields[i]);
}

bool CreateExportTables(SqliteDatabase& db, const ExportDatabaseNames& names, const TagLibrary& library) {
  return db.Execute(SchemaSql(names)) && StoreQuery(db) && FillTagsTable(db, names.tags, library, false) &&
         RecreateMetadataView(db, names);
}

bool RefreshTagsTable(SqliteDatabase& db, const ExportDatabaseNames& names, const TagLibrary& library) {
  return FillTagsTable(db, names.tags, library, true);
}

bool MoveToWholePathKeys(SqliteDatabase& db, const ExportDatabaseNames& names) {
  const std::optional<std::vector<std::string>> columns = ColumnsOf(db, names.photoFiles);
  if (!columns) return false;
  for (const std::string& column : *columns) {
    if (column == "Folder") return true;
  }
  return db.Execute("ALTER TABLE " + Q(names.photoFiles) +
                    " ADD COLUMN \"Folder\" TEXT;"
                    "DROP INDEX IF EXISTS \"FileName\";"
                    "CREATE UNIQUE INDEX \"FileName\" ON " +
                    Q(names.photoFiles) + " (\"Folder\", \"Filename\");");
}

bool HasExportTables(SqliteDatabase& db, const ExportDatabaseNames& names) {
  SqliteStatement count = db.Prepare(
      "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND (name = ?1 COLLATE NOCASE OR "
      "name = ?2 COLLATE NOCASE OR name = ?3 COLLATE NOCASE OR name = ?4 COLLATE NOCASE)");
  if (!count.Bind(1, names.tags) || !count.Bind(2, names.photoFiles) || !count.Bind(3, names.tagData) ||
      !count.Bind(4, names.updates) || count.Next() != SqliteStatement::Step::kRow) {
    return false;
  }
  return count.Int(0) == 4;
}

bool RecreateMetadataView(SqliteDatabase& db, const ExportDatabaseNames& names) {
  SqliteStatement query =
      db.Prepare("SELECT DISTINCT t.\"Description\" FROM " + Q(names.tagData) + " AS d JOIN " + Q(names.tags) +
                 " AS t ON t.\"ExifID\" = d.\"ExifID\" WHERE t.\"Description\" <> '' ORDER BY t.\"Description\"");
  if (!query.ok()) return false;
  std::vector<std::string> titles;
  SqliteStatement::Step step;
  while ((step = query.Next()) == SqliteStatement::Step::kRow) titles.push_back(query.Text(0));
  if (step != SqliteStatement::Step::kDone) return false;

  // A view can't take parameters: the titles go in as quoted literals.
  std::string sql = "DROP VIEW IF EXISTS " + Q(kMetadataViewName) + "; CREATE VIEW " + Q(kMetadataViewName) +
                    " AS SELECT p.\"Filename\" AS \"Filename\", p.\"Folder\" AS \"Folder\"";
  for (const std::string& title : titles) {
    sql += ", max(CASE WHEN t.\"Description\" = " + QuoteLiteral(title) + " THEN d.\"TagText\" END) AS " + Q(title);
  }
  sql += " FROM " + Q(names.photoFiles) + " AS p LEFT JOIN " + Q(names.tagData) +
         " AS d ON d.\"FileRef\" = p.\"FileRef\" LEFT JOIN " + Q(names.tags) +
         " AS t ON t.\"ExifID\" = d.\"ExifID\" GROUP BY p.\"FileRef\" ORDER BY p.\"Filename\", p.\"Folder\"";
  return db.Execute(sql);
}

}  // namespace kelvane
