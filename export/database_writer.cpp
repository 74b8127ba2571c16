// SPDX-License-Identifier: GPL-2.0-or-later
#include "export/database_writer.h"

#include <algorithm>
#include <ctime>
#include <optional>
#include <vector>

#include "engine/settings.h"
#include "engine/utility_functions.h"
#include "export/export_database.h"
#include "export/library_release.h"
#include "export/sheet_layout.h"

namespace kelvane {
namespace {

std::string Q(std::string_view name) { return QuoteIdentifier(name); }

// The local date and time as ISO 8601 text ("2024-05-01T14:03:22").
std::string LocalDateTimeNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%S", &local);
  return buf;
}

std::string ReleaseHeading(int64_t release) {
  return "Tag Library update detected to Release " + std::to_string(release) + "\n\n";
}

// Settles the tag-library release the export records: refreshes or creates
// the database as needed and keeps the settings in step. Nothing when the
// database could not be created.
std::optional<int64_t> SettleRelease(const std::string& target, const ExportDatabaseNames& names,
                                     ExportWriterContext& ctx) {
  const int64_t previous = PreviousLibraryRelease(ctx.settings);
  int64_t current = std::max<int64_t>(ctx.library.ReleaseNumber(), 1);
  if (FileExists(target)) {
    if (current > previous && current > 1) {
      Message question;
      question.title = "Tag Library update";
      question.text = ReleaseHeading(current) + "The existing " + names.tags +
                      " table should be updated to include the changes\n\nUpdate the " + names.tags + " table ?";
      question.icon = MessageIcon::kInformation;
      question.buttons = MessageButtons::kYesNo;
      const bool refreshed = ctx.ui.Show(question) == MessageAnswer::kYes &&
                             CreateExportDatabase(target, names, kRefreshTagsTable, ctx.library, ctx.settings);
      // Not refreshed: the question comes back at the next export.
      if (!refreshed) current = previous;
    }
  } else {
    if (!CreateExportDatabase(target, names, kCreateDatabase, ctx.library, ctx.settings)) return std::nullopt;
    if (previous > 0 && previous < current) {
      Message notice;
      notice.title = "Tag Library update";
      notice.text = ReleaseHeading(current) + "You may wish to import the new " + names.tags +
                    " table\ninto earlier created databases.";
      notice.icon = MessageIcon::kInformation;
      ctx.ui.Show(notice);
    }
  }
  if (previous < current) ctx.settings.WriteSetting(kGeneralSection, "RESVer", std::to_string(current));
  return current;
}

// The statements of one merge, prepared once.
struct MergeStatements {
  SqliteStatement findPhoto, addPhoto, knownTag, editData, addData, addUpdate;

  MergeStatements(SqliteDatabase& db, const ExportDatabaseNames& names)
      : findPhoto(db.Prepare("SELECT \"FileRef\" FROM " + Q(names.photoFiles) + " WHERE \"Filename\" = ?1 LIMIT 1")),
        addPhoto(db.Prepare("INSERT INTO " + Q(names.photoFiles) + " (\"Filename\") VALUES (?1)")),
        knownTag(db.Prepare("SELECT 1 FROM " + Q(names.tags) + " WHERE \"ExifID\" = ?1 LIMIT 1")),
        editData(db.Prepare("UPDATE " + Q(names.tagData) +
                            " SET \"TagText\" = ?3 WHERE \"FileRef\" = ?1 AND \"ExifID\" = ?2")),
        addData(db.Prepare("INSERT INTO " + Q(names.tagData) +
                           " (\"FileRef\", \"ExifID\", \"TagText\") VALUES (?1, ?2, ?3)")),
        addUpdate(db.Prepare("INSERT INTO " + Q(names.updates) + " (\"DateTime\", \"TagLibrary\") VALUES (?1, ?2)")) {}

  bool ok() const {
    return findPhoto.ok() && addPhoto.ok() && knownTag.ok() && editData.ok() && addData.ok() && addUpdate.ok();
  }
};

// The photo's record, added when no record has its file name; 0 on failure.
int64_t PhotoRef(SqliteDatabase& db, MergeStatements& s, const std::string& fileName) {
  if (!s.findPhoto.Bind(1, fileName)) return 0;
  const SqliteStatement::Step step = s.findPhoto.Next();
  const int64_t found = step == SqliteStatement::Step::kRow ? s.findPhoto.Int(0) : 0;
  s.findPhoto.Reset();
  if (step == SqliteStatement::Step::kRow) return found;
  if (step != SqliteStatement::Step::kDone || !s.addPhoto.Bind(1, fileName) || !s.addPhoto.Run()) return 0;
  return db.LastInsertId();
}

std::optional<bool> TagKnown(MergeStatements& s, int32_t tag) {
  if (!s.knownTag.Bind(1, int64_t{tag})) return std::nullopt;
  const SqliteStatement::Step step = s.knownTag.Next();
  s.knownTag.Reset();
  if (step == SqliteStatement::Step::kError) return std::nullopt;
  return step == SqliteStatement::Step::kRow;
}

// Edits the photo's record of the tag, or adds one.
bool StoreValue(SqliteDatabase& db, MergeStatements& s, int64_t ref, int64_t tag, const std::string& text) {
  if (!s.editData.Bind(1, ref) || !s.editData.Bind(2, tag) || !s.editData.Bind(3, text) || !s.editData.Run()) {
    return false;
  }
  if (db.Changes() > 0) return true;
  return s.addData.Bind(1, ref) && s.addData.Bind(2, tag) && s.addData.Bind(3, text) && s.addData.Run();
}

bool MergeTable(SqliteDatabase& db, const ExportDatabaseNames& names, const ExportTable& table,
                ExportWriterContext& ctx, int64_t release) {
  MergeStatements s(db, names);
  if (!s.ok()) return false;
  // The tags table does not change during the merge: look each slot up once.
  std::vector<bool> known(table.SlotCount());
  for (size_t k = 0; k < table.SlotCount(); ++k) {
    const std::optional<bool> found = TagKnown(s, table.slotTags[k]);
    if (!found) return false;
    known[k] = *found;
  }
  const size_t photos = table.PhotoCount();
  for (size_t p = 0; p < photos; ++p) {
    ctx.ui.SetProgress(static_cast<int>(10 + 85 * p / photos));
    const int64_t ref = PhotoRef(db, s, table.photoNames[p]);
    if (ref < 1) return false;
    std::string unknown;
    for (size_t k = 0; k < table.SlotCount(); ++k) {
      const std::string& value = table.Value(k, p);
      if (value.empty()) continue;
      const int32_t tag = table.slotTags[k];
      if (!known[k]) {
        unknown += (unknown.empty() ? "[" : "|") + std::to_string(tag);
        continue;
      }
      if (!StoreValue(db, s, ref, tag, CutToLimit(value, ctx.valueCharLimit))) return false;
    }
    if (!unknown.empty() && !StoreValue(db, s, ref, kUnknownTagsId, CutToLimit(unknown + "]", ctx.valueCharLimit))) {
      return false;
    }
  }
  return s.addUpdate.Bind(1, LocalDateTimeNow()) && s.addUpdate.Bind(2, release) && s.addUpdate.Run() &&
         RecreateMetadataView(db, names);
}

}  // namespace

bool WriteAccessDb(const ExportTable& table, const std::string& target, ExportWriterContext& ctx) {
  if (table.PhotoCount() == 0 || table.SlotCount() == 0) return false;
  const ExportDatabaseNames names = ReadExportDatabaseNames(ctx.settings);
  const std::optional<int64_t> release = SettleRelease(target, names, ctx);
  if (!release) return false;

  std::optional<SqliteDatabase> db = SqliteDatabase::Open(target, SqliteDatabase::OpenMode::kExisting);
  if (!db || !HasExportTables(*db, names)) return false;
  bool ok = false;
  {
    SqliteTransaction transaction(*db);
    ok = transaction.ok() && MergeTable(*db, names, table, ctx, *release) && transaction.Commit();
  }
  return db->Close() && ok;
}

}  // namespace kelvane
