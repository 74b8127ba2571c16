// SPDX-License-Identifier: GPL-2.0-or-later
// Browsing: the remembered start folders, result codes, required
// extensions, what each Browse button asks for, and the export warnings.
#include "app/folder_browse.h"

#include <QTemporaryDir>
#include <QTest>
#include <filesystem>

#include "engine/settings.h"

using namespace kelvane;

class FolderBrowseTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  std::vector<DialogRequest> asked_;

  std::string SettingsPath() const { return dir_.filePath(QStringLiteral("qmre0118.ini")).toStdString(); }

  // A dialog that records what it was asked and answers with chosen.
  FileDialog Answering(std::optional<std::string> chosen) {
    return [this, chosen](const DialogRequest& request) {
      asked_.push_back(request);
      return chosen;
    };
  }

 private slots:
  void initTestCase() { QVERIFY(dir_.isValid()); }
  void init() {
    std::filesystem::remove(SettingsPath());
    asked_.clear();
  }

  void CancelChangesNothing() {
    SettingsStore store(SettingsPath());
    BrowseFolders folders(store);
    const BrowseResult result = BrowseForPath(0, " Select JPG File ", kJpgFilter, "jpg", folders, Answering({}));
    QCOMPARE(result.code, browse::kCancelled);
    QVERIFY(result.path.empty());
    QCOMPARE(asked_.size(), size_t{1});
    QCOMPARE(asked_[0].title, std::string("Select JPG File"));
    QCOMPARE(asked_[0].kind, DialogKind::kOpenFile);
    QCOMPARE(store.ReadSetting(kGeneralSection, "DirIn"), std::string());
  }

  void FolderPickReturnsTheFolderAndRemembersIt() {
    SettingsStore store(SettingsPath());
    BrowseFolders folders(store);
    const BrowseResult result =
        BrowseForPath(browse::kFolderPick, "t", kJpgFilter, "jpg", folders, Answering("/photos/trip/"));
    QCOMPARE(result.code, browse::kFolderPick);
    QCOMPARE(result.path, std::string("/photos/trip/"));
    QCOMPARE(asked_[0].kind, DialogKind::kFolder);
    QCOMPARE(store.ReadSetting(kGeneralSection, "DirIn"), std::string("/photos/trip/"));

    // The next browse of that kind starts there.
    BrowseForPath(browse::kFolderPick, "t", kJpgFilter, "jpg", folders, Answering({}));
    QCOMPARE(asked_[1].startFolder, std::string("/photos/trip/"));
  }

  void StartFoldersPerKind() {
    SettingsStore store(SettingsPath());
    store.WriteSetting(kGeneralSection, "Dir0", "/recent/");
    store.WriteSetting(kGeneralSection, "DirIn2", "/sources/");
    store.WriteSetting(kGeneralSection, "DirOut2", "/exports/");
    BrowseFolders folders(store);
    QCOMPARE(folders.StartFolder(0), std::string("/recent/"));  // DirIn empty: Dir0
    QCOMPARE(folders.StartFolder(2), std::string("/sources/"));
    QCOMPARE(folders.StartFolder(3), std::string("/exports/"));

    // A second-output browse writes DirOut2 only.
    BrowseForPath(browse::kSecondKind | browse::kOutput, "t", kCsvFilter, "", folders, Answering("/out/x.csv"));
    QCOMPARE(store.ReadSetting(kGeneralSection, "DirOut2"), std::string("/out/"));
    QCOMPARE(store.ReadSetting(kGeneralSection, "DirIn"), std::string());
    QCOMPARE(asked_[0].kind, DialogKind::kOutputFile);
    QCOMPARE(asked_[0].startFolder, std::string("/exports/"));
  }

  void RequiredExtension_data() {
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("path");

    QTest::newRow("jpg") << "/p/a.jpg"
                         << "jpg" << 0 << "/p/a.jpg";
    QTest::newRow("upper case") << "/p/A.JPG"
                                << "JPG " << 0 << "/p/A.JPG";
    QTest::newRow("jpeg") << "/p/a.jpeg"
                          << "jpg" << 0 << "/p/a.jpeg";
    QTest::newRow("typed without") << "/p/a"
                                   << "jpg" << 0 << "/p/a.jpg";
    QTest::newRow("ends with dot") << "/p/a."
                                   << "jpg" << 0 << "/p/a.jpg";
    QTest::newRow("png") << "/p/a.png"
                         << "jpg" << 66 << "";
    QTest::newRow("any file") << "/p/a.png"
                              << "" << 0 << "/p/a.png";
    QTest::newRow("no name") << "/p/"
                             << "jpg" << 65 << "";
  }

  void RequiredExtension() {
    QFETCH(QString, chosen);
    QFETCH(QString, extension);
    QFETCH(int, code);
    QFETCH(QString, path);
    SettingsStore store(SettingsPath());
    BrowseFolders folders(store);
    const BrowseResult result =
        BrowseForPath(0, "t", kJpgFilter, extension.toStdString(), folders, Answering(chosen.toStdString()));
    QCOMPARE(int{result.code}, code);
    QCOMPARE(QString::fromStdString(result.path), path);
  }

  void ButtonRequests_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("function");
    QTest::addColumn<bool>("single");
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("folderTarget");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("extension");

    using F = ProgramFunction;
    QTest::newRow("folder") << 0 << int(F::AdjustFileTime) << false << 0 << false << 2
                            << "Select JPG files Folder (Directory)" << kJpgFilter << "jpg";
    QTest::newRow("single wipe") << 0 << int(F::WipeFiles) << true << 0 << false << 0 << "Select File" << kJpgFilter
                                 << "";
    QTest::newRow("single photo") << 0 << int(F::AddCopyright) << true << 0 << false << 0 << "Select JPG File"
                                  << kJpgFilter << "jpg";
    QTest::newRow("restore source") << 1 << int(F::RestoreMetadata) << false << 0 << false << 4
                                    << "Select JPG File as Source" << kJpgFilter << "jpg";
    QTest::newRow("workbook") << 1 << int(F::ExportMetadata) << false << 2 << false << 5
                              << "Set Workbook (.xlsx) file for Export"
                              << ".XLSX|*.xlsx|All Files|*.*"
                              << "xlsx";
    QTest::newRow("database") << 1 << int(F::ExportMetadata) << false << 3 << false << 5 << "Set SQLite file for Export"
                              << kDatabaseFilter << "sqlite";
    QTest::newRow("csv file") << 1 << int(F::ExportMetadata) << false << 0 << false << 5 << "Set 'csv' file for Export"
                              << ".CSV|*.csv|All Files|*.*"
                              << "";
    QTest::newRow("csv folder") << 1 << int(F::ExportMetadata) << false << 0 << true << 7 << "Select folder for Export"
                                << kCsvFilter << "";
  }

  void ButtonRequests() {
    QFETCH(int, index);
    QFETCH(int, function);
    QFETCH(bool, single);
    QFETCH(int, type);
    QFETCH(bool, folderTarget);
    QFETCH(int, mode);
    QFETCH(QString, title);
    QFETCH(QString, filter);
    QFETCH(QString, extension);
    const std::optional<BrowseRequest> request = BrowseRequestFor(index, static_cast<ProgramFunction>(function), single,
                                                                  static_cast<ExportType>(type), folderTarget);
    QVERIFY(request);
    QCOMPARE(int{request->mode}, mode);
    QCOMPARE(QString::fromUtf8(request->title), title);
    QCOMPARE(QString::fromUtf8(request->filter), filter);
    QCOMPARE(QString::fromUtf8(request->extension), extension);
  }

  void NoSecondPathForOtherFunctions() {
    QVERIFY(!BrowseRequestFor(1, ProgramFunction::AddCopyright, false, ExportType::SheetCsv, false));
  }

  void ExportTargetKind() {
    QVERIFY(ExportTargetIsFolder(ExportType::SheetCsv, true, false));
    QVERIFY(!ExportTargetIsFolder(ExportType::SheetCsv, false, false));
    QVERIFY(ExportTargetIsFolder(ExportType::DbCsv, false, true));
    QVERIFY(!ExportTargetIsFolder(ExportType::Workbook, true, false));
    QVERIFY(!ExportTargetIsFolder(ExportType::Database, false, true));
  }

  void ExportWarnings() {
    QVERIFY(!ExportTargetWarning("xlsx", ExportType::Workbook));
    QVERIFY(!ExportTargetWarning("csv", ExportType::DbCsv));
    QVERIFY(!ExportTargetWarning("txt", ExportType::Workbook));
    const std::optional<Message> workbook = ExportTargetWarning("XLSX", ExportType::SheetCsv);
    QVERIFY(workbook);
    QCOMPARE(workbook->title, std::string("File select warning"));
    QCOMPARE(workbook->icon, MessageIcon::kExclamation);
    QCOMPARE(workbook->text, std::string("This data is not suited to the Workbook (.xlsx) file type selected."));
    QCOMPARE(ExportTargetWarning("sqlite", ExportType::DbCsv)->text,
             std::string("This data is not suited to the SQLite (.sqlite) file type selected."));
    QCOMPARE(ExportTargetWarning("csv", ExportType::Database)->text,
             std::string("This data is not suited to the SQLite (.csv) file type selected."));
  }

  void NameFilters() {
    const std::vector<std::string> filters = DialogNameFilters(kJpgFilter);
    QCOMPARE(filters.size(), size_t{2});
    QCOMPARE(filters[0], std::string(".JPG (*.jpg)"));
    QCOMPARE(filters[1], std::string("All Files (*)"));
    QCOMPARE(DialogNameFilters("Photos|*.jpg;*.jpeg")[0], std::string("Photos (*.jpg *.jpeg)"));
  }
};

QTEST_APPLESS_MAIN(FolderBrowseTest)
#include "folder_browse_test.moc"
