// SPDX-License-Identifier: GPL-2.0-or-later
// Preview, Run from the preview, Undo Last Run and the interrupted runs
// offered at start, driven through the main window on copies of the sample
// photos; SIGTERM ends a run, then the window.
#include <signal.h>
#include <sys/stat.h>

#include <QAction>
#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>

#include "app/main_window.h"
#include "app/preview_rules.h"
#include "app/termination_signals.h"
#include "engine/sha256.h"
#include "support/test_support.h"

using namespace kelvane;
namespace fs = std::filesystem;

namespace {

// A photo's content and modification time.
struct FileState {
  std::string sha;
  timespec modified{};
  bool operator==(const FileState& other) const {
    return sha == other.sha && modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
  }
};

using FolderState = std::map<std::string, FileState>;

FolderState StateOf(const std::string& folder) {
  FolderState files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    struct stat st {};
    ::stat(entry.path().c_str(), &st);
    files[entry.path().filename().string()] = {HexOf(Sha256Of(test::ReadBytes(entry.path().string()))), st.st_mtim};
  }
  return files;
}

// Acts on the modal window named name once it shows.
void WhenModalShows(const QString& name, std::function<void(QWidget&)> act) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, name, act] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || modal->objectName() != name) return;
    timer->stop();
    timer->deleteLater();
    act(*modal);
  });
  timer->start(10);
}

std::vector<PreviewRow> RowsOf(QWidget& preview) {
  const auto* table = preview.findChild<QTableWidget*>(QStringLiteral("PreviewTbl"));
  std::vector<PreviewRow> rows;
  const auto text = [table](int row, int column) {
    const QTableWidgetItem* item = table->item(row, column);
    return item == nullptr ? std::string() : item->text().toStdString();
  };
  for (int row = 0; row < table->rowCount(); ++row) {
    rows.push_back({text(row, 0), text(row, 1), text(row, 2), text(row, 3), table->columnSpan(row, 1) > 1});
  }
  return rows;
}

// The rows kelvane-cli --dry-run --json gives for the same run: its plan's
// changes, then the photos it could not process. (Its exit status tells of
// the failures.)
std::vector<PreviewRow> ConsoleRows(const std::string& arguments, const std::string& folder,
                                    const std::string& settings) {
  const std::optional<std::string> out = test::RunCommand(
      std::string(KELVANE_CLI_PROGRAM) + " --settings " + test::ShellQuote(settings) +
      " --all-files --dry-run --json " + arguments + " " + test::ShellQuote(folder) + " </dev/null; true");
  std::vector<PreviewRow> rows;
  if (!out) return rows;
  const QJsonObject report = QJsonDocument::fromJson(QByteArray::fromStdString(*out)).object();
  const auto shown = [](const QJsonValue& value) {
    const std::string text = value.toString().toStdString();
    return text.empty() ? std::string(kNoValue) : text;
  };
  for (const QJsonValue& photo : report[QStringLiteral("plan")].toArray()) {
    for (const QJsonValue& change : photo[QStringLiteral("changes")].toArray()) {
      rows.push_back({photo[QStringLiteral("photo")].toString().toStdString(),
                      change[QStringLiteral("field")].toString().toStdString(), shown(change[QStringLiteral("now")]),
                      shown(change[QStringLiteral("after")])});
    }
  }
  for (const QJsonValue& failure : report[QStringLiteral("failures")].toArray()) {
    rows.push_back({failure[QStringLiteral("file")].toString().toStdString(),
                    failure[QStringLiteral("message")].toString().toStdString(),
                    {},
                    {},
                    true});
  }
  return rows;
}

// exiftool's reading of the Exif and XMP fields a preview names.
std::optional<std::string> Reading(const std::string& photo, const std::string& field) {
  static const std::map<std::string, std::string> kTags{{"Copyright", "EXIF:Copyright"},
                                                        {"XMP dc:rights", "XMP-dc:Rights"},
                                                        {"DateTime", "EXIF:ModifyDate"},
                                                        {"DateTimeOriginal", "EXIF:DateTimeOriginal"},
                                                        {"DateTimeDigitized", "EXIF:CreateDate"}};
  if (field == "File modified") return test::LastWriteText(photo);
  const auto tag = kTags.find(field);
  if (tag == kTags.end()) return std::nullopt;
  const std::optional<std::string> value =
      test::RunCommand("exiftool -s3 -" + tag->second + " " + test::ShellQuote(photo));
  std::string text = value.value_or("");
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

}  // namespace

class PreviewUndoTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<Session> session_;
  std::unique_ptr<KelvaneMain> window_;
  std::vector<Message> shown_;
  std::deque<MessageAnswer> answers_;

  std::string Path(const char* name) const { return dir_->filePath(QString::fromUtf8(name)).toStdString(); }
  std::string Settings() const { return Path("qmre0118.ini"); }
  std::string Photos() const { return Path("photos") + "/"; }
  std::string JournalFolder() const { return Path("state") + "/kelvane/runs/"; }

  // Copies of the samples in the photos folder; false without samples.
  bool CopySamples(const std::vector<const char*>& samples) const {
    const std::optional<fs::path> folder = test::SamplesFolder();
    if (!folder || !test::HaveProgram("exiftool")) return false;
    fs::create_directories(Photos());
    for (const char* sample : samples) {
      const fs::path target = Photos() + fs::path(sample).filename().string();
      fs::copy_file(*folder / sample, target);
      fs::permissions(target, fs::perms::owner_write, fs::perm_options::add);
    }
    return true;
  }

  void Start() {
    session_ = std::make_unique<Session>(Settings(), Path("") + "/", false);
    window_ = std::make_unique<KelvaneMain>(*session_, nullptr);
    window_->Ui().SetMessagePresenter([this](const Message& message) {
      shown_.push_back(message);
      if (answers_.empty()) return MessageAnswer::kOk;
      const MessageAnswer answer = answers_.front();
      answers_.pop_front();
      return answer;
    });
    window_->SetFileDialog([this](const DialogRequest&) -> std::optional<std::string> { return Photos(); });
    window_->show();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
  }

  void ChooseFolder(int function) {
    window_->SelectFunction(function);
    QTest::mouseClick(Find<QPushButton>("DirBtn0"), Qt::LeftButton);
  }

  template <typename T>
  T* Find(const char* name) const {
    T* found = window_->findChild<T*>(QString::fromUtf8(name));
    if (found == nullptr) qFatal("no control %s", name);
    return found;
  }

  void Type(const char* field, const char* text) {
    QLineEdit* box = Find<QLineEdit>(field);
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, QString::fromUtf8(text));
  }

  // Presses Preview; when the preview window shows, its rows are taken and
  // then press (Run or Close) is clicked, after between() has run.
  std::vector<PreviewRow> Preview(const char* press, const std::function<void()>& between = {}) {
    std::vector<PreviewRow> rows;
    WhenModalShows(QStringLiteral("Preview"), [&](QWidget& preview) {
      rows = RowsOf(preview);
      if (between) between();
      QTest::mouseClick(preview.findChild<QPushButton*>(QString::fromUtf8(press)), Qt::LeftButton);
    });
    QTest::mouseClick(Find<QPushButton>("PreviewBtn"), Qt::LeftButton);
    return rows;
  }

  // Every previewed change reads back from the photo after the run.
  void VerifyCarriedOut(const std::vector<PreviewRow>& rows) {
    size_t compared = 0;
    for (const PreviewRow& row : rows) {
      if (row.failed) continue;
      const std::optional<std::string> now = Reading(Photos() + row.photo, row.what);
      if (!now) continue;
      QCOMPARE(QString::fromStdString(row.photo + " " + row.what + ": " + *now),
               QString::fromStdString(row.photo + " " + row.what + ": " + (row.after == kNoValue ? "" : row.after)));
      ++compared;
    }
    QVERIFY(compared > 0);
  }

  bool UndoEnabled() const { return Find<QAction>("UndoSMu")->isEnabled(); }

 private slots:
  void init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    qputenv("XDG_STATE_HOME", Path("state").c_str());
    qputenv("XDG_CONFIG_HOME", Path("config").c_str());
    shown_.clear();
    answers_.clear();
  }

  void cleanup() {
    window_.reset();
    session_.reset();
    dir_.reset();
  }

  void CopyrightPreviewRunAndUndo() {
    if (!CopySamples(
            {"cameras/Canon_40D.jpg", "xmp/BlueSquare.jpg", "no-exif/branches.jpg", "nodate/PaintTool_sample.jpg"})) {
      QSKIP("no sample photos or no exiftool");
    }
    const FolderState original = StateOf(Photos());
    Start();
    QVERIFY(!UndoEnabled());
    ChooseFolder(5);
    Type("CRNameTxt0", "Ann Example");
    Type("CRYearTxt0", "2024");
    QVERIFY(Find<QPushButton>("PreviewBtn")->isEnabled());
    QVERIFY(Find<QAction>("PreviewSMu")->isEnabled());

    // The preview shows what the console's dry run prints, and writes nothing.
    const std::vector<PreviewRow> expected = ConsoleRows(
        "copyright --skip-existing --photographer 'Ann Example' --photographer-year 2024", Photos(), Settings());
    QVERIFY(expected.size() > 3);
    const test::Bytes settings = test::ReadBytes(Settings());
    QCOMPARE(Preview("PreviewCloseBtn"), expected);
    QVERIFY(shown_.empty());
    QCOMPARE(StateOf(Photos()), original);
    QVERIFY(test::ReadBytes(Settings()) == settings);
    QVERIFY(!fs::exists(JournalFolder()));
    QVERIFY(Find<QPushButton>("RunBtn")->isEnabled());

    // Run from the preview carries it out.
    const std::vector<PreviewRow> rows = Preview("PreviewRunBtn");
    QCOMPARE(rows, expected);
    QCOMPARE(shown_.size(), size_t{1});
    QCOMPARE(shown_.back().text, std::string("The following files where not processed successfuly:\r"
                                             "branches.jpg as No Metadata in file\r"));
    VerifyCarriedOut(rows);
    const FolderState after = StateOf(Photos());
    for (const auto& [name, state] : after) {
      const bool previewed = std::any_of(rows.begin(), rows.end(),
                                         [&](const PreviewRow& row) { return row.photo == name && !row.failed; });
      QVERIFY2((state.sha != original.at(name).sha) == previewed, name.c_str());
    }

    // Undo Last Run names the run and puts every photo back.
    QVERIFY(UndoEnabled());
    shown_.clear();
    answers_ = {MessageAnswer::kYes};
    Find<QAction>("UndoSMu")->trigger();
    QCOMPARE(shown_.size(), size_t{2});
    const std::string& confirmation = shown_[0].text;
    QVERIFY2(confirmation.find("Function: Insert Copyright Notice\rFolder: " + Photos() + "\rStarted: ") !=
                 std::string::npos,
             confirmation.c_str());
    QVERIFY2(confirmation.find("Photos changed: 3") != std::string::npos, confirmation.c_str());
    QCOMPARE(shown_[1].text, std::string(kAllFilesProcessed));
    QCOMPARE(StateOf(Photos()), original);
    QVERIFY(!UndoEnabled());
  }

  void ShiftFromThePreviewLeavesAPhotoChangedSince() {
    if (!CopySamples(
            {"cameras/Canon_40D.jpg", "cameras/Pentax_K10D.jpg", "xmp/BlueSquare.jpg", "no-exif/branches.jpg"})) {
      QSKIP("no sample photos or no exiftool");
    }
    Start();
    ChooseFolder(1);
    Type("AdjDaysTxt", "3");
    const std::vector<PreviewRow> expected = ConsoleRows("shift-time --days 3", Photos(), Settings());
    QVERIFY(!expected.empty());

    // Another program edits a photo while the preview is open.
    const std::string edited = Photos() + "Pentax_K10D.jpg";
    FolderState beforeRun;
    const std::vector<PreviewRow> rows = Preview("PreviewRunBtn", [&] {
      QVERIFY(test::RunCommand("exiftool -q -overwrite_original -DateTimeOriginal='2001:02:03 04:05:06' " +
                               test::ShellQuote(edited)));
      beforeRun = StateOf(Photos());
    });
    QCOMPARE(rows, expected);
    QVERIFY(shown_.back().text.find("Pentax_K10D.jpg as Changed since the preview - left as it is\r") !=
            std::string::npos);
    QCOMPARE(StateOf(Photos()).at("Pentax_K10D.jpg"), beforeRun.at("Pentax_K10D.jpg"));
    std::vector<PreviewRow> carriedOut;
    std::copy_if(rows.begin(), rows.end(), std::back_inserter(carriedOut),
                 [](const PreviewRow& row) { return row.photo == "Canon_40D.jpg"; });
    VerifyCarriedOut(carriedOut);
  }

  void InterruptedRunOfferedAtStart() {
    if (!CopySamples({"cameras/Canon_40D.jpg"})) QSKIP("no sample photos or no exiftool");
    const FolderState original = StateOf(Photos());
    test::WriteBytes(Settings(), {});
    // A run whose process is gone and whose journal never got its
    // completion: kelvane-cli's run, its journal named back as unfinished.
    QVERIFY(test::RunCommand(std::string(KELVANE_CLI_PROGRAM) + " --settings " + test::ShellQuote(Settings()) +
                             " --yes copyright --photographer Someone --photographer-year 2020 " +
                             test::ShellQuote(Photos())));
    QVERIFY(StateOf(Photos()) != original);
    for (const auto& entry : fs::directory_iterator(JournalFolder())) {
      fs::rename(entry.path(), entry.path().string() + ".part");
    }

    answers_ = {MessageAnswer::kNo};
    Start();
    QCOMPARE(shown_.size(), size_t{1});
    QCOMPARE(shown_[0].title, std::string("Interrupted Run"));
    QVERIFY(shown_[0].text.find("Folder: " + Photos()) != std::string::npos);
    QVERIFY(StateOf(Photos()) != original);

    // At the next start Yes takes it back.
    window_.reset();
    shown_.clear();
    answers_ = {MessageAnswer::kYes};
    Start();
    QCOMPARE(shown_.size(), size_t{2});
    QCOMPARE(shown_[1].text, std::string(kAllFilesProcessed));
    QCOMPARE(StateOf(Photos()), original);
  }

  void RunHistoryPrunedAtStartByTheSettings() {
    std::ofstream(Settings()) << "[GENERAL]\nJournalDays=2\n";
    fs::create_directories(JournalFolder());
    const std::string old = JournalFolder() + "20200101T000000.000000Z-1.journal";
    const std::string recent = JournalFolder() + "20200102T000000.000000Z-1.journal";
    test::WriteBytes(old, {1});
    test::WriteBytes(recent, {1});
    fs::last_write_time(old, fs::file_time_type::clock::now() - std::chrono::hours(24 * 3));
    Start();
    QVERIFY(!fs::exists(old));
    QVERIFY(fs::exists(recent));
  }

  void TerminationCancelsTheRunThenCloses() {
    Start();
    TerminationSignals terminations;
    connect(&terminations, &TerminationSignals::received, window_.get(), &KelvaneMain::CloseSoon);
    session_->state.RunInProgress = true;
    ::raise(SIGTERM);
    QTRY_VERIFY(session_->state.CancelRequested);
    QTest::qWait(100);
    QVERIFY(window_->isVisible());
    session_->state.RunInProgress = false;
    QTRY_VERIFY(!window_->isVisible());
  }
};

QTEST_MAIN(PreviewUndoTest)
#include "preview_undo_test.moc"
