// SPDX-License-Identifier: GPL-2.0-or-later
// The windows around the main window, opened the way the program opens
// them: the start message once, About, the dialog positions, the help
// window at its topics with pages that exist and links that resolve, where
// the program finds its files and when it may play sounds, and the cue
// player behind the window's messages.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "app/about_texts.h"
#include "app/adjustment_panel.h"
#include "app/cue_files.h"
#include "app/help_window.h"
#include "app/kelvane_dialogs.h"
#include "app/main_window.h"
#include "app/program_files.h"
#include "kelvane_version.h"
#include "recording_services.h"

using namespace kelvane;

namespace {

const QString kHelpFolder = QStringLiteral(KELVANE_RESOURCES "help/");

// Runs act on the modal window named name once it shows, then closes it
// with its close box.
void WhenModalShows(const QString& name, std::function<void(QWidget&)> act) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, name, act] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || modal->objectName() != name) return;
    timer->stop();
    timer->deleteLater();
    act(*modal);
    modal->close();
  });
  timer->start(10);
}

void Touch(const std::string& path) { std::ofstream(path) << "x"; }

}  // namespace

class ShellDialogsTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<Session> session_;
  std::unique_ptr<KelvaneDialogs> dialogs_;
  std::unique_ptr<KelvaneMain> window_;
  Recorder recorder_;

  std::string Folder() const { return dir_->path().toStdString() + "/"; }
  void WriteSettings(const char* text) const { std::ofstream(Folder() + "qmre0118.ini") << text; }

  void Start() {
    session_ = std::make_unique<Session>(Folder() + "qmre0118.ini", Folder(), false);
    dialogs_ = std::make_unique<KelvaneDialogs>(*session_, kHelpFolder.toStdString());
    const DialogServices recording = recorder_.Services();
    dialogs_->Services().show = recording.show;
    dialogs_->Services().cue = recording.cue;
    window_ = std::make_unique<KelvaneMain>(*session_, dialogs_.get());
    window_->show();
    // The first activation has run (and shown the start message if asked).
    QTRY_VERIFY(session_->state.StartMessageHandled);
  }

  void Stop() {
    window_->close();
    window_.reset();
    dialogs_.reset();
    session_.reset();
  }

 private slots:
  void init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    // The window prunes and reads the run history at start: the test's own.
    qputenv("XDG_STATE_HOME", dir_->filePath(QStringLiteral("state")).toUtf8());
    qputenv("XDG_CONFIG_HOME", dir_->filePath(QStringLiteral("config")).toUtf8());
    recorder_.Clear();
  }

  void cleanup() {
    window_.reset();
    dialogs_.reset();
    session_.reset();
    dir_.reset();
  }

  void StartMessageShownOnceAndSwitchedOff() {
    WriteSettings("[GENERAL]\nOption1=1\n");
    int shown = 0;
    WhenModalShows(QStringLiteral("StartMsg"), [&](QWidget& message) {
      ++shown;
      auto* box = message.findChild<QCheckBox*>(QStringLiteral("NoShowCkB"));
      QVERIFY(!box->isChecked());
      QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    });
    Start();
    QTRY_COMPARE(shown, 1);
    QVERIFY(session_->state.StartMessageHandled);
    QCOMPARE(session_->store.ReadSetting("GENERAL", "Option1"), std::string("0"));

    // Coming back from another window does not show it again.
    WhenModalShows(QStringLiteral("About"), [](QWidget&) {});
    window_->findChild<QAction*>(QStringLiteral("AboutSmu"))->trigger();
    QCOMPARE(shown, 1);
    Stop();

    // The next start shows no message.
    Start();
    QTest::qWait(50);
    QCOMPARE(shown, 1);
  }

  void StartMessageLeftOnStaysOnForLaterStarts() {
    WriteSettings("[GENERAL]\nOption1=1\n");
    WhenModalShows(QStringLiteral("StartMsg"), [](QWidget&) {});
    Start();
    QTRY_VERIFY(session_->state.StartMessageHandled);
    // Options applied afterwards keep the message for the next start.
    WhenModalShows(QStringLiteral("Options"), [](QWidget& options) {
      auto* box = options.findChild<QCheckBox*>(QStringLiteral("OptionsCkB1"));
      QVERIFY(box->isChecked());
      options.findChild<QCheckBox*>(QStringLiteral("OptionsCkB6"))->setChecked(true);
      options.findChild<QAction*>(QStringLiteral("ExitSMu0"))->trigger();
    });
    dialogs_->ShowOptions(*window_);
    QCOMPARE(session_->store.ReadSetting("GENERAL", "Option6"), std::string("1"));
    QCOMPARE(session_->store.ReadSetting("GENERAL", "Option1"), std::string("1"));
  }

  void StartMessageFromTheHelpMenu() {
    Start();
    bool unticked = false;
    WhenModalShows(QStringLiteral("StartMsg"), [&](QWidget& message) {
      auto* box = message.findChild<QCheckBox*>(QStringLiteral("NoShowCkB"));
      QVERIFY(box->isChecked());
      QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
      unticked = true;
    });
    window_->findChild<QAction*>(QStringLiteral("StartMsgSmu"))->trigger();
    QVERIFY(unticked);
    QVERIFY(session_->settings.Options[ProgramOption::ShowStartMessage]);
    QCOMPARE(session_->store.ReadSetting("GENERAL", "Option1"), std::string("1"));
  }

  void LibraryTextsWithAndWithoutTheirStrings() {
    const TagLibrary empty({});
    QCOMPARE(LibraryReleaseText(empty), std::string());
    const LibraryString strings[] = {{17, "0012 2009:03:01"}};
    const TagLibrary library(strings);
    QCOMPARE(LibraryReleaseText(library), std::string("12"));
  }

  void AboutWindowShowsVersionPlatformAndRelease() {
    Start();
    bool seen = false;
    WhenModalShows(QStringLiteral("About"), [&](QWidget& about) {
      seen = true;
      auto text = [&](const char* name) { return about.findChild<QLabel*>(QString::fromUtf8(name))->text(); };
      QCOMPARE(about.windowTitle(), QStringLiteral("About Kelvane"));
      QCOMPARE(text("VersionLbl"), QStringLiteral("Kelvane Version ") + QString::fromUtf8(kKelvaneVersion));
      QCOMPARE(text("PlatformLbl"), QStringLiteral("Operating platform ") + QSysInfo::prettyProductName());
      QVERIFY(!text("PlatformLbl").contains(QStringLiteral("Windows")));
      QCOMPARE(text("TagLibRelLbl"), QStringLiteral("5"));
    });
    dialogs_->ShowAbout(*window_);
    QVERIFY(seen);
  }

  void DialogPositionsAreKeptInTwips() {
    WriteSettings("[FORMS]\nAboutX=1500\nAboutY=3000\n");
    Start();
    QPoint placed;
    WhenModalShows(QStringLiteral("About"), [&](QWidget& about) {
      placed = about.pos();
      about.move(40, 60);
    });
    dialogs_->ShowAbout(*window_);
    QCOMPARE(placed, QPoint(100, 200));
    QCOMPARE(session_->store.ReadSetting("FORMS", "AboutX"), std::string("600"));
    QCOMPARE(session_->store.ReadSetting("FORMS", "AboutY"), std::string("900"));

    // Off the screen: centred. The program's close writes where it is.
    session_->store.WriteSetting("FORMS", "OptionsX", "999999");
    WhenModalShows(QStringLiteral("Options"), [&](QWidget& options) { placed = options.pos(); });
    dialogs_->ShowOptions(*window_);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QVERIFY(std::abs(placed.x() -
                     (screen.width() - 1 - window_->findChild<QWidget*>(QStringLiteral("Options"))->width()) / 2) <= 1);
    window_->close();
    QCOMPARE(session_->store.ReadSetting("FORMS", "OptionsX"), std::to_string(placed.x() * 15));
  }

  void CalculatorPastesIntoTheMainWindow() {
    Start();
    window_->SelectFunction(1);
    WhenModalShows(QStringLiteral("Dates2Days"), [](QWidget& calculator) {
      calculator.findChild<QLineEdit*>(QStringLiteral("TimeTxt0"))->setText(QStringLiteral("101500"));
      calculator.findChild<QLineEdit*>(QStringLiteral("TimeTxt1"))->setText(QStringLiteral("121500"));
      calculator.findChild<QPushButton*>(QStringLiteral("PasteBtn"))->click();
    });
    window_->findChild<QPushButton*>(QStringLiteral("FmDatesBtn"))->click();
    QCOMPARE(window_->Adjustment().TimeField(0).text(), QStringLiteral("2"));
    QVERIFY(session_->state.TimeEntryValid);
  }

  void HelpOpensAtTheTopic() {
    Start();
    dialogs_->ShowHelpTopic(*window_, 17);
    QVERIFY(dialogs_->Help()->isVisible());
    QCOMPARE(dialogs_->Help()->CurrentFile(), QStringLiteral("options.html"));
    QCOMPARE(dialogs_->Help()->windowTitle(), QStringLiteral("Kelvane Help - Options"));
    dialogs_->ShowHelpIndex(*window_);
    QCOMPARE(dialogs_->Help()->CurrentFile(), QStringLiteral("index.html"));
    dialogs_->ShowHelpContents(*window_);
    QCOMPARE(dialogs_->Help()->CurrentFile(), QStringLiteral("contents.html"));
    dialogs_->ShowHelpTopic(*window_, 5);
    QCOMPARE(dialogs_->Help()->CurrentFile(), QStringLiteral("contents.html"));

    // F1 in the main window: the selected function's topic.
    window_->SelectFunction(7);
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    QTest::keyClick(window_.get(), Qt::Key_F1);
    QCOMPARE(dialogs_->Help()->CurrentFile(), QStringLiteral("export-metadata.html"));
  }

  void EveryTopicHasAPageAndEveryLinkResolves() {
    const QDir folder(kHelpFolder);
    QSet<QString> linked;
    for (const int topic : {1, 2, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}) {
      const QString file = QString::fromUtf8(HelpTopicFile(topic));
      QVERIFY2(file != QString::fromUtf8(kHelpContentsFile), qPrintable(QString::number(topic)));
      QVERIFY2(folder.exists(file), qPrintable(file));
    }
    const QStringList pages = folder.entryList({QStringLiteral("*.html")});
    QCOMPARE(pages.size(), 18);
    const QRegularExpression link(QStringLiteral("href=\"([^\"]+)\""));
    for (const QString& page : pages) {
      QFile file(folder.filePath(page));
      QVERIFY(file.open(QIODevice::ReadOnly));
      const QString html = QString::fromUtf8(file.readAll());
      QVERIFY2(html.contains(QStringLiteral("<title>")), qPrintable(page));
      for (const QRegularExpressionMatch& match : link.globalMatch(html)) {
        QVERIFY2(folder.exists(match.captured(1)), qPrintable(page + QStringLiteral(": ") + match.captured(1)));
        linked.insert(match.captured(1));
      }
    }
    // Every page is reachable from another.
    for (const QString& page : pages) QVERIFY2(linked.contains(page), qPrintable(page));
  }

  void MissingHelpIsSaid() {
    HelpWindow help(Folder() + "nohelp/");
    help.ShowPage(HelpPage::kTopic, 8);
    const QString text = help.findChild<QTextBrowser*>(QStringLiteral("HelpBrowser"))->toPlainText();
    QVERIFY(text.contains(QStringLiteral("adjust-photo-time.html")));
    QVERIFY(text.contains(QString::fromStdString(Folder() + "nohelp/")));
  }

  void ProgramFilesBesideTheProgramFirst() {
    const std::string program = Folder() + "bin/";
    const std::string data = Folder() + "share/kelvane/";
    std::filesystem::create_directories(program);
    std::filesystem::create_directories(data + "help");
    QCOMPARE(InstallDataFolder("/opt/kelvane/bin/"), std::string("/opt/kelvane/share/kelvane/"));

    // Nothing anywhere: the program folder is named.
    ProgramFiles files = FindProgramFiles(program, data);
    QCOMPARE(files.cueFolder, program);
    QCOMPARE(files.helpFolder, program + "help/");
    QCOMPARE(files.iconPath, program + "kelvane.png");

    // Installed: the data folder.
    for (const char* name : {"success.wav", "error.wav", "attention.wav", "kelvane.png"}) Touch(data + name);
    Touch(data + "help/contents.html");
    files = FindProgramFiles(program, data);
    QCOMPARE(files.cueFolder, data);
    QCOMPARE(files.helpFolder, data + "help/");
    QCOMPARE(files.iconPath, data + "kelvane.png");

    // Only complete sets count: two cues beside the program are not enough.
    Touch(program + "success.wav");
    Touch(program + "error.wav");
    QCOMPARE(FindProgramFiles(program, data).cueFolder, data);
    Touch(program + "attention.wav");
    QCOMPARE(FindProgramFiles(program, data).cueFolder, program);
  }

  void SoundsNeedAllThreeCuesAndAnOutput() {
    SettingsStore store(Folder() + "qmre0118.ini");
    Touch(Folder() + "success.wav");
    Touch(Folder() + "error.wav");
    Settings settings = LoadSettings(store, AllCuesPresent(Folder()));
    QVERIFY(!settings.SoundAvailable);
    QVERIFY(!settings.SoundsEnabled);
    QCOMPARE(store.ReadSetting("GENERAL", "Option0"), std::string("0"));

    Touch(Folder() + "attention.wav");
    store.WriteSetting("GENERAL", "Option0", "");
    QVERIFY(LoadSettings(store, AllCuesPresent(Folder())).SoundsEnabled);
    QVERIFY(!LoadSettings(store, false).SoundsEnabled);
  }

  void WindowCuesGoThroughThePlayer() {
    Start();
    std::vector<SoundCue> played;
    window_->Ui().SetCuePlayer([&](SoundCue cue) { played.push_back(cue); });
    window_->Ui().Cue(SoundCue::Attention);
    window_->Ui().Cue(SoundCue::Error);
    QCOMPARE(played, (std::vector<SoundCue>{SoundCue::Attention, SoundCue::Error}));
  }
};

QTEST_MAIN(ShellDialogsTest)
#include "shell_dialogs_test.moc"
