// SPDX-License-Identifier: GPL-2.0-or-later
#include "export/database_writer.h"

#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <map>
#include <optional>
#include <vector>

#include "engine/settings.h"
#include "engine/utility_functions.h"
#include "export/export_database.h"
#include "export/export_output.h"
#include "export/library_release.h"
#include "export/sheet_layout.h"

namespace kelvane {
namespace {

constexpr const char* kGpsDateTimeColumn = "GPSDateTime";

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

const char* ColumnType(TypedValue::Kind kind) {
  switch (kind) {
    case TypedValue::Kind::kInteger:
      return "INTEGER";
    case TypedValue::Kind::kReal:
      return "REAL";
    case TypedValue::Kind::kNone:
    case TypedValue::Kind::kText:
    case TypedValue::Kind::kDate:
    case TypedValue::Kind::kList:
      break;
  }
  return "TEXT";
}

// A list of numbers as a JSON array, which SQLite's json functions read.
std::string ListText(const TypedValue& typed) {
  std::string text = "[";
  for (size_t i = 0; i < typed.numbers.size(); ++i) {
    if (i > 0) text += ',';
    const double number = typed.numbers[i];
    if (number != number) {
      text += "null";
    } else if (typed.listIntegers) {
      text += std::to_string(static_cast<int64_t>(number));
    } else {
      char buf[32];
      std::snprintf(buf, sizeof buf, "%.15g", number);
      text += buf;
    }
  }
  return text + "]";
}

// The typed table: its columns by name, and the statement that writes a
// photo's row, made again whenever a column is added.
class PhotosTable {
 public:
  PhotosTable(SqliteDatabase& db, const TagLibrary& library) : db_(db), library_(library) {}

  bool Open() {
    if (!db_.Execute(std::string("CREATE TABLE IF NOT EXISTS ") + Q(kPhotosTable) +
                     " (\"FileRef\" INTEGER PRIMARY KEY, \"Folder\" TEXT, \"Filename\" TEXT)")) {
      return false;
    }
    SqliteStatement columns = db_.Prepare("SELECT name FROM pragma_table_info(?1)");
    if (!columns.Bind(1, std::string_view(kPhotosTable))) return false;
    SqliteStatement::Step step;
    while ((step = columns.Next()) == SqliteStatement::Step::kRow) columns_.push_back(columns.Text(0));
    return step == SqliteStatement::Step::kDone && Prepare();
  }

  bool Write(int64_t ref, const PhotoValues& photo) {
    // Columns first: adding one makes the statement again.
    std::vector<std::pair<int, const TypedValue*>> cells;
    for (const CollectedValue& value : photo.values) {
      if (value.typed.kind == TypedValue::Kind::kNone) continue;
      const int column = ColumnOf(value.tag, value.typed.kind);
      if (column < 0) return false;
      if (column > 0) cells.emplace_back(column, &value.typed);
    }
    const int gpsColumn = photo.gpsDateTime.empty() ? 0 : Ensure(kGpsDateTimeColumn, TypedValue::Kind::kDate);
    if (gpsColumn < 0) return false;
    insert_.ClearBindings();
    bool ok = insert_.Bind(1, ref) && insert_.Bind(2, std::string_view(photo.folder)) &&
              insert_.Bind(3, std::string_view(photo.name));
    for (const auto& [column, typed] : cells) ok = ok && Bind(column, *typed);
    if (gpsColumn > 0) ok = ok && insert_.Bind(gpsColumn, std::string_view(photo.gpsDateTime));
    return ok && insert_.Run();
  }

 private:
  // The parameter number of the tag's column (added when missing); 0 for a
  // tag the library has no record of (it gets no column); -1 on failure.
  int ColumnOf(int32_t tag, TypedValue::Kind kind) {
    int& column = columnOfTag_[static_cast<size_t>(tag)];
    if (column == 0) column = library_.Record(tag) ? Ensure(library_.Name(tag), kind) : kNoColumn;
    return column == kNoColumn ? 0 : column;
  }

  int Ensure(const std::string& name, TypedValue::Kind kind) {
    const auto found = std::find(columns_.begin(), columns_.end(), name);
    if (found != columns_.end()) return static_cast<int>(found - columns_.begin()) + 1;
    if (!db_.Execute(std::string("ALTER TABLE ") + Q(kPhotosTable) + " ADD COLUMN " + Q(name) + " " +
                     ColumnType(kind))) {
      return -1;
    }
    columns_.push_back(name);
    return Prepare() ? static_cast<int>(columns_.size()) : -1;
  }

  bool Prepare() {
    std::string names;
    std::string values;
    for (size_t i = 0; i < columns_.size(); ++i) {
      names += (i > 0 ? ", " : "") + Q(columns_[i]);
      values += (i > 0 ? ", ?" : "?") + std::to_string(i + 1);
    }
    insert_ = db_.Prepare(std::string("INSERT OR REPLACE INTO ") + Q(kPhotosTable) + " (" + names + ") VALUES (" +
                          values + ")");
    return insert_.ok();
  }

  bool Bind(int index, const TypedValue& typed) {
    switch (typed.kind) {
      case TypedValue::Kind::kInteger:
        return insert_.Bind(index, typed.integer);
      case TypedValue::Kind::kReal:
        return insert_.Bind(index, typed.real);
      case TypedValue::Kind::kText:
      case TypedValue::Kind::kDate:
        return insert_.Bind(index, std::string_view(typed.text));
      case TypedValue::Kind::kList:
        return insert_.Bind(index, std::string_view(ListText(typed)));
      case TypedValue::Kind::kNone:
        break;
    }
    return insert_.BindNull(index);
  }

  static constexpr int kNoColumn = -2;

  SqliteDatabase& db_;
  const TagLibrary& library_;
  std::vector<std::string> columns_;
  std::vector<int> columnOfTag_ = std::vector<int>(kExportTagLimit, 0);
  SqliteStatement insert_;
};

// The statements of one merge, prepared once.
struct MergeStatements {
  SqliteStatement findPhoto, findEarlier, takeEarlier, addPhoto, knownTag, editData, addData, addUpdate;

  MergeStatements(SqliteDatabase& db, const ExportDatabaseNames& names)
      : findPhoto(db.Prepare("SELECT \"FileRef\" FROM " + Q(names.photoFiles) +
                             " WHERE \"Folder\" = ?1 AND \"Filename\" = ?2 LIMIT 1")),
        findEarlier(db.Prepare("SELECT \"FileRef\" FROM " + Q(names.photoFiles) +
                               " WHERE \"Folder\" IS NULL AND \"Filename\" = ?1 LIMIT 1")),
        takeEarlier(db.Prepare("UPDATE " + Q(names.photoFiles) + " SET \"Folder\" = ?1 WHERE \"FileRef\" = ?2")),
        addPhoto(db.Prepare("INSERT INTO " + Q(names.photoFiles) + " (\"Filename\", \"Folder\") VALUES (?2, ?1)")),
        knownTag(db.Prepare("SELECT 1 FROM " + Q(names.tags) + " WHERE \"ExifID\" = ?1 LIMIT 1")),
        editData(db.Prepare("UPDATE " + Q(names.tagData) +
                            " SET \"TagText\" = ?3 WHERE \"FileRef\" = ?1 AND \"ExifID\" = ?2")),
        addData(db.Prepare("INSERT INTO " + Q(names.tagData) +
                           " (\"FileRef\", \"ExifID\", \"TagText\") VALUES (?1, ?2, ?3)")),
        addUpdate(db.Prepare("INSERT INTO " + Q(names.updates) + " (\"DateTime\", \"TagLibrary\") VALUES (?1, ?2)")) {}

  bool ok() const {
    return findPhoto.ok() && findEarlier.ok() && takeEarlier.ok() && addPhoto.ok() && knownTag.ok() && editData.ok() &&
           addData.ok() && addUpdate.ok();
  }
};

// The first column of the statement's first row; nothing when it has none,
// 0 on failure.
std::optional<int64_t> FirstInt(SqliteStatement& statement) {
  const SqliteStatement::Step step = statement.Next();
  const int64_t value = step == SqliteStatement::Step::kRow ? statement.Int(0) : 0;
  statement.Reset();
  if (step == SqliteStatement::Step::kDone) return std::nullopt;
  return value;
}

// The photo's record: the one with its folder and name; else one of its
// name written before photos had a folder (a database of the earlier
// layout), which becomes this photo's; else a new one. 0 on failure.
int64_t PhotoRef(SqliteDatabase& db, MergeStatements& s, const PhotoValues& photo) {
  if (!s.findPhoto.Bind(1, std::string_view(photo.folder)) || !s.findPhoto.Bind(2, std::string_view(photo.name))) {
    return 0;
  }
  if (const std::optional<int64_t> found = FirstInt(s.findPhoto)) return *found;
  if (!s.findEarlier.Bind(1, std::string_view(photo.name))) return 0;
  if (const std::optional<int64_t> earlier = FirstInt(s.findEarlier)) {
    if (*earlier < 1 || !s.takeEarlier.Bind(1, std::string_view(photo.folder)) || !s.takeEarlier.Bind(2, *earlier) ||
        !s.takeEarlier.Run()) {
      return 0;
    }
    return *earlier;
  }
  if (!s.addPhoto.Bind(1, std::string_view(photo.folder)) || !s.addPhoto.Bind(2, std::string_view(photo.name)) ||
      !s.addPhoto.Run()) {
    return 0;
  }
  return db.LastInsertId();
}

// Edits the photo's record of the tag, or adds one.
bool StoreValue(SqliteDatabase& db, MergeStatements& s, int64_t ref, int64_t tag, const std::string& text) {
  if (!s.editData.Bind(1, ref) || !s.editData.Bind(2, tag) || !s.editData.Bind(3, text) || !s.editData.Run()) {
    return false;
  }
  if (db.Changes() > 0) return true;
  return s.addData.Bind(1, ref) && s.addData.Bind(2, tag) && s.addData.Bind(3, text) && s.addData.Run();
}

bool Merge(SqliteDatabase& db, const ExportDatabaseNames& names, const CollectedPhotos& photos,
           ExportWriterContext& ctx, int64_t release) {
  MergeStatements s(db, names);
  PhotosTable typed(db, ctx.library);
  if (!s.ok() || !typed.Open()) return false;
  // The tags table does not change during the merge: each tag is looked up once.
  std::map<int32_t, bool> known;
  for (const int32_t tag : photos.Tags()) {
    if (!s.knownTag.Bind(1, int64_t{tag})) return false;
    const SqliteStatement::Step step = s.knownTag.Next();
    s.knownTag.Reset();
    if (step == SqliteStatement::Step::kError) return false;
    known[tag] = step == SqliteStatement::Step::kRow;
  }
  const size_t count = photos.PhotoCount();
  size_t p = 0;
  const bool merged = photos.ForEach([&](const PhotoValues& photo) {
    ctx.ui.SetProgress(static_cast<int>(10 + 85 * p++ / count));
    const int64_t ref = PhotoRef(db, s, photo);
    if (ref < 1) return false;
    std::string unknown;
    for (const CollectedValue& value : photo.values) {
      if (value.text.empty()) continue;
      if (!known[value.tag]) {
        unknown += (unknown.empty() ? "[" : "|") + std::to_string(value.tag);
        continue;
      }
      if (!StoreValue(db, s, ref, value.tag, CutToLimit(value.text, ctx.valueCharLimit))) return false;
    }
    if (!unknown.empty() && !StoreValue(db, s, ref, kUnknownTagsId, CutToLimit(unknown + "]", ctx.valueCharLimit))) {
      return false;
    }
    return typed.Write(ref, photo);
  });
  return merged && s.addUpdate.Bind(1, LocalDateTimeNow()) && s.addUpdate.Bind(2, release) && s.addUpdate.Run() &&
         RecreateMetadataView(db, names);
}

// Asks whether to refresh the tags table of an existing database after a
// tag-library update; true for Yes.
bool RefreshWanted(int64_t current, const ExportDatabaseNames& names, RunUi& ui) {
  Message question;
  question.title = "Tag Library update";
  question.text = ReleaseHeading(current) + "The existing " + names.tags +
                  " table should be updated to include the changes\n\nUpdate the " + names.tags + " table ?";
  question.icon = MessageIcon::kInformation;
  question.buttons = MessageButtons::kYesNo;
  return ui.Show(question) == MessageAnswer::kYes;
}

bool AppendTo(const std::string& path, const ExportDatabaseNames& names, bool refresh, const CollectedPhotos& photos,
              ExportWriterContext& ctx, int64_t release) {
  std::optional<SqliteDatabase> db = SqliteDatabase::Open(path, SqliteDatabase::OpenMode::kExisting);
  if (!db) return false;
  bool ok = false;
  {
    SqliteTransaction transaction(*db);
    ok = transaction.ok() && HasExportTables(*db, names) && (!refresh || RefreshTagsTable(*db, names, ctx.library)) &&
         MoveToWholePathKeys(*db, names) && Merge(*db, names, photos, ctx, release) && transaction.Commit();
  }
  return db->Close() && ok;
}

// A new database is built under a temporary name beside the target; nothing
// of it is left when it fails.
bool CreateAt(const std::string& target, const ExportDatabaseNames& names, const CollectedPhotos& photos,
              ExportWriterContext& ctx, int64_t release) {
  ExportOutput file = ExportOutput::File(target);
  if (!file.Open()) return false;
  const std::string temporary = file.TemporaryPath();
  bool ok = false;
  {
    std::optional<SqliteDatabase> db = SqliteDatabase::Open(temporary, SqliteDatabase::OpenMode::kCreate);
    // No other program sees the file before it is complete, and a failure
    // discards it: it needs neither a rollback journal nor a flush per
    // statement (the whole file is flushed before the rename).
    if (db && db->Execute("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF")) {
      SqliteTransaction transaction(*db);
      ok = transaction.ok() && CreateExportTables(*db, names, ctx.library) && Merge(*db, names, photos, ctx, release) &&
           transaction.Commit();
    }
    ok = db && db->Close() && ok;
  }
  ::unlink((temporary + "-journal").c_str());
  return ok && file.Finish() && file.Commit();
}

}  // namespace

bool WriteAccessDb(const CollectedPhotos& photos, const ExportTarget& target, ExportWriterContext& ctx) {
  if (photos.PhotoCount() == 0 || photos.Tags().empty() || target.standardOutput) return false;
  const ExportDatabaseNames names = ReadExportDatabaseNames(ctx.settings);
  const int64_t previous = PreviousLibraryRelease(ctx.settings);
  int64_t current = std::max<int64_t>(ctx.library.ReleaseNumber(), 1);
  // An existing database is written into only when the user chose to add to
  // it; otherwise a new one replaces it.
  const bool append = ctx.options.appendMode && FileExists(target.path);
  bool written = false;
  if (append) {
    const bool asked = current > previous && current > 1;
    const bool refresh = asked && RefreshWanted(current, names, ctx.ui);
    // Not refreshed: the question comes back at the next export.
    if (asked && !refresh) current = previous;
    written = AppendTo(target.path, names, refresh, photos, ctx, current);
  } else {
    written = CreateAt(target.path, names, photos, ctx, current);
    if (written) {
      WriteExportDatabaseNames(names, ctx.settings);
      if (previous > 0 && previous < current) {
        Message notice;
        notice.title = "Tag Library update";
        notice.text = ReleaseHeading(current) + "You may wish to import the new " + names.tags +
                      " table\ninto earlier created databases.";
        notice.icon = MessageIcon::kInformation;
        ctx.ui.Show(notice);
      }
    }
  }
  if (written && previous < current) ctx.settings.WriteSetting(kGeneralSection, "RESVer", std::to_string(current));
  return written;
}

}  // namespace kelvane
