// SPDX-License-Identifier: GPL-2.0-or-later
// The Options dialog through its controls: Apply writes the staged choices,
// Reset Defaults stages the defaults, Cancel and the close box discard; the
// limit and run history checks with their messages and cues; the twin menu
// items; the sound box follows the sound rule; the delimiter list.
#include "app/options_dialog.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <memory>

#include "app/cue_files.h"
#include "app/options_rules.h"
#include "recording_services.h"

using namespace kelvane;

class OptionsDialogTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<Session> session_;
  Recorder recorder_;
  DialogServices services_;
  std::unique_ptr<QWidget> parent_;
  std::unique_ptr<OptionsDialog> dialog_;

  std::string Folder() const { return dir_->path().toStdString() + "/"; }

  // A program start over the scratch settings file; soundDevices and the
  // cue files decide whether sound is possible.
  void Start(bool soundDevices = false) {
    session_ = std::make_unique<Session>(Folder() + "qmre0118.ini", Folder(), soundDevices);
    session_->settings = LoadSettings(session_->store, soundDevices && AllCuesPresent(Folder()));
    parent_ = std::make_unique<QWidget>();
    dialog_ = std::make_unique<OptionsDialog>(*session_, services_, parent_.get());
    dialog_->LoadControls();
    dialog_->show();
  }

  void MakeCueFiles() const {
    for (const char* name : {"success.wav", "error.wav", "attention.wav"}) std::ofstream(Folder() + name) << "x";
  }

  template <typename T>
  T* Find(const QString& name) const {
    T* found = dialog_->findChild<T*>(name);
    if (found == nullptr) qFatal("no control %s", qPrintable(name));
    return found;
  }
  QCheckBox* Box(int index) const { return Find<QCheckBox>(QStringLiteral("OptionsCkB%1").arg(index)); }
  QAction* Item(int index) const { return Find<QAction>(QStringLiteral("OptionSmu%1").arg(index)); }
  QPushButton* Button(int index) const { return Find<QPushButton>(QStringLiteral("OKCancelBtn%1").arg(index)); }
  QLineEdit* Limit() const { return Find<QLineEdit>(QStringLiteral("MxCharsTxt")); }
  QComboBox* Delimiters() const { return Find<QComboBox>(QStringLiteral("DelimCmb")); }
  std::string Stored(const char* key) const { return session_->store.ReadSetting("GENERAL", key); }

  void Click(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
  }
  void TypeLimit(const QString& text) {
    Limit()->selectAll();
    QTest::keyClicks(Limit(), text);
  }
  void ChooseDelimiter(int index) {
    Delimiters()->setCurrentIndex(index);
    emit Delimiters()->activated(index);
  }

 private slots:
  void init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    qputenv("XDG_STATE_HOME", dir_->filePath(QStringLiteral("state")).toUtf8());
    qputenv("XDG_CONFIG_HOME", dir_->filePath(QStringLiteral("config")).toUtf8());
    recorder_.Clear();
    services_ = recorder_.Services();
  }

  void cleanup() {
    dialog_.reset();
    parent_.reset();
    session_.reset();
    dir_.reset();
  }

  void DelimiterListMapsTheFourCodes() {
    const std::pair<uint8_t, int> table[] = {{9, 0}, {59, 1}, {44, 2}, {32, 3}, {124, 0}};
    for (const auto& [code, index] : table) QCOMPARE(DelimiterIndexOf(code), index);
    for (const auto& [code, index] : std::vector<std::pair<uint8_t, int>>{{9, 0}, {59, 1}, {44, 2}, {32, 3}, {9, 7}}) {
      QCOMPARE(DelimiterCodeOf(index), code);
    }
  }

  void LoadShowsTheSettingsInUse() {
    std::ofstream(Folder() + "qmre0118.ini") << "[GENERAL]\nOption2=1\nOption6=1\nCSVDelim=59\nValCharLim=100\n"
                                                "ExpOpt0=1\n";
    Start();
    for (int i = 0; i < OptionsDialog::kSwitchCount; ++i) {
      QCOMPARE(Box(i)->isChecked(), i == 2 || i == 6);
      QCOMPARE(Item(i)->isChecked(), Box(i)->isChecked());
    }
    QCOMPARE(Delimiters()->currentText(), QStringLiteral("Semicolon"));
    QVERIFY(Find<QAction>(QStringLiteral("DelimSMu1"))->isChecked());
    QCOMPARE(Limit()->text(), QStringLiteral("100"));
    QVERIFY(Find<QCheckBox>(QStringLiteral("ExpOptnsCkB"))->isChecked());
    QVERIFY(!Button(OptionsDialog::kApply)->isEnabled());
  }

  void ApplyWritesTheStagedChoices() {
    Start();
    Click(Box(2));
    QVERIFY(Item(2)->isChecked());
    Item(5)->trigger();
    QVERIFY(Box(5)->isChecked());
    ChooseDelimiter(3);
    QVERIFY(Find<QAction>(QStringLiteral("DelimSMu3"))->isChecked());
    TypeLimit(QStringLiteral("255"));
    Find<QAction>(QStringLiteral("ExpOptnsSmu"))->trigger();
    QVERIFY(Button(OptionsDialog::kApply)->isEnabled());
    Click(Button(OptionsDialog::kApply));

    QVERIFY(!dialog_->isVisible());
    QVERIFY(recorder_.shown.empty());
    const Settings& settings = session_->settings;
    QVERIFY(settings.Options[ProgramOption::KeepFileTimes] && settings.Options[ProgramOption::KeepOriginalCopy]);
    QVERIFY(!settings.Options[ProgramOption::UseSounds]);
    QCOMPARE(settings.CsvDelimiter, uint8_t{32});
    QCOMPARE(settings.ValueCharLimit, int16_t{255});
    QVERIFY(settings.HexTagIds);
    QCOMPARE(Stored("Option0"), std::string("0"));
    QCOMPARE(Stored("Option1"), std::string());
    QCOMPARE(Stored("Option2"), std::string("1"));
    QCOMPARE(Stored("Option5"), std::string("1"));
    QCOMPARE(Stored("CSVDelim"), std::string("32"));
    QCOMPARE(Stored("ValCharLim"), std::string("255"));
    QCOMPARE(Stored("ExpOpt0"), std::string("1"));

    // A later start reads the same choices back.
    const Settings reread = LoadSettings(session_->store, false);
    QCOMPARE(reread.Options.switches, settings.Options.switches);
    QCOMPARE(reread.CsvDelimiter, uint8_t{32});
    dialog_->LoadControls();
    QCOMPARE(Delimiters()->currentText(), QStringLiteral("Space"));
  }

  void TheEighthOptionIsKeptAsStored() {
    std::ofstream(Folder() + "qmre0118.ini") << "[GENERAL]\nOption7=1\n";
    Start();
    Click(Box(4));
    dialog_->Apply();
    QVERIFY(session_->settings.Options[ProgramOption::EditorYearRule]);
    QCOMPARE(Stored("Option7"), std::string("1"));
  }

  void LimitChecksOnApply_data() {
    QTest::addColumn<QString>("limit");
    QTest::addColumn<int>("answer");  // to the question, if one is asked
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("cue");
    QTest::addColumn<int>("stored");  // 0: the limit is not stored

    const int error = static_cast<int>(SoundCue::Error);
    const int attention = static_cast<int>(SoundCue::Attention);
    const int ok = static_cast<int>(MessageAnswer::kOk);
    const int cancel = static_cast<int>(MessageAnswer::kCancel);
    const QString rangeError = QStringLiteral("Limit error, please reset to valid value");
    const QString belowFour = QStringLiteral("Invalid Limit, value must be at least 4");
    const QString question = QStringLiteral(
        "Text exceeding 255 characters may cause\nissues in the programs using the data\n\nProceed anyway ?");
    QTest::newRow("zero") << "0" << ok << rangeError << error << 0;
    QTest::newRow("above 32000") << "40000" << ok << rangeError << error << 0;
    QTest::newRow("letters") << "many" << ok << rangeError << error << 0;
    QTest::newRow("three") << "3" << ok << belowFour << error << 0;
    QTest::newRow("one") << "1" << ok << belowFour << error << 0;
    QTest::newRow("300 confirmed") << "300" << ok << question << attention << 300;
    QTest::newRow("300 cancelled") << "300" << cancel << question << attention << 0;
    QTest::newRow("32000 confirmed") << "32000" << ok << question << attention << 32000;
    QTest::newRow("255 quietly") << "255" << ok << QString() << -1 << 255;
    QTest::newRow("four quietly") << "4" << ok << QString() << -1 << 4;
  }

  void LimitChecksOnApply() {
    QFETCH(QString, limit);
    QFETCH(int, answer);
    QFETCH(QString, message);
    QFETCH(int, cue);
    QFETCH(int, stored);
    Start();
    recorder_.answers.push_back(static_cast<MessageAnswer>(answer));
    Click(Box(3));
    Find<QCheckBox>(QStringLiteral("ExpOptnsCkB"))->setChecked(true);
    TypeLimit(limit);
    Click(Button(OptionsDialog::kApply));

    if (message.isEmpty()) {
      QVERIFY(recorder_.shown.empty());
      QVERIFY(recorder_.cues.empty());
    } else {
      QCOMPARE(recorder_.shown.size(), size_t{1});
      QCOMPARE(QString::fromStdString(recorder_.shown[0].text), message);
      const bool question = cue == static_cast<int>(SoundCue::Attention);
      QCOMPARE(recorder_.shown[0].title,
               std::string(question ? "Confirm maximum characters" : "Correct maximum characters"));
      QCOMPARE(recorder_.shown[0].icon, question ? MessageIcon::kQuestion : MessageIcon::kExclamation);
      QCOMPARE(recorder_.cues, std::vector<SoundCue>{static_cast<SoundCue>(cue)});
    }
    // The options are written whatever the limit.
    QCOMPARE(Stored("Option3"), std::string("1"));
    if (stored > 0) {
      QVERIFY(!dialog_->isVisible());
      QCOMPARE(session_->settings.ValueCharLimit, static_cast<int16_t>(stored));
      QCOMPARE(Stored("ValCharLim"), std::to_string(stored));
      QVERIFY(session_->settings.HexTagIds);
    } else {
      // Refused: the dialog stays open for a correction, the limit and the
      // hex choice are not applied.
      QVERIFY(dialog_->isVisible());
      QVERIFY(Button(OptionsDialog::kApply)->isEnabled());
      QCOMPARE(session_->settings.ValueCharLimit, int16_t{250});
      QCOMPARE(Stored("ValCharLim"), std::string("250"));
      QVERIFY(!session_->settings.HexTagIds);
    }
  }

  void ResetDefaultsStagesWithoutApplying() {
    std::ofstream(Folder() + "qmre0118.ini") << "[GENERAL]\nOption0=0\nOption1=1\nOption4=1\nCSVDelim=44\n"
                                                "ValCharLim=90\nExpOpt0=1\n";
    Start();
    const std::string before = session_->store.ReadSetting("GENERAL", "CSVDelim");
    Click(Button(OptionsDialog::kResetDefaults));
    QVERIFY(dialog_->isVisible());
    for (int i = 0; i < OptionsDialog::kSwitchCount; ++i) {
      QCOMPARE(Box(i)->isChecked(), i == 0);
      QCOMPARE(Item(i)->isChecked(), i == 0);
    }
    QCOMPARE(Delimiters()->currentText(), QStringLiteral("Tab"));
    QCOMPARE(Limit()->text(), QStringLiteral("250"));
    QVERIFY(!Find<QCheckBox>(QStringLiteral("ExpOptnsCkB"))->isChecked());
    QVERIFY(Button(OptionsDialog::kApply)->isEnabled());
    QVERIFY(Find<QAction>(QStringLiteral("ExitSMu0"))->isEnabled());
    QCOMPARE(Stored("ValCharLim"), std::string("90"));

    // Cancel puts every control back and writes nothing.
    Click(Button(OptionsDialog::kCancel));
    QVERIFY(!dialog_->isVisible());
    QCOMPARE(Stored("Option1"), std::string("1"));
    QCOMPARE(Stored("CSVDelim"), before);
    QCOMPARE(Stored("ExpOpt0"), std::string("1"));
    QVERIFY(session_->settings.Options[ProgramOption::NoAutoSpace]);
    QVERIFY(Box(1)->isChecked() && Box(4)->isChecked() && !Box(0)->isChecked());
    QCOMPARE(Delimiters()->currentText(), QStringLiteral("Comma"));
    QCOMPARE(Limit()->text(), QStringLiteral("90"));
    QVERIFY(!Button(OptionsDialog::kApply)->isEnabled());
  }

  void XmpAndRunHistoryStoredReadBackAndReset() {
    Start();
    auto* keepXmp = Find<QCheckBox>(QStringLiteral("KeepXmpCkB"));
    QLineEdit* days = Find<QLineEdit>(QStringLiteral("JrnlDaysTxt"));
    QLineEdit* size = Find<QLineEdit>(QStringLiteral("JrnlMBTxt"));
    QVERIFY(keepXmp->isChecked());
    QCOMPARE(days->text(), QStringLiteral("30"));
    QCOMPARE(size->text(), QStringLiteral("1024"));

    Find<QAction>(QStringLiteral("KeepXmpSmu"))->trigger();
    QVERIFY(!keepXmp->isChecked());
    days->selectAll();
    QTest::keyClicks(days, QStringLiteral("7"));
    size->selectAll();
    QTest::keyClicks(size, QStringLiteral("64"));
    Click(Button(OptionsDialog::kApply));
    QVERIFY(recorder_.shown.empty());
    QVERIFY(!session_->settings.KeepXmpInStep);
    QCOMPARE(session_->settings.JournalDays, 7);
    QCOMPARE(session_->settings.JournalMegabytes, 64);
    QCOMPARE(Stored("KeepXmp"), std::string("0"));
    QCOMPARE(Stored("JournalDays"), std::string("7"));
    QCOMPARE(Stored("JournalMB"), std::string("64"));
    const Settings reread = LoadSettings(session_->store, false);
    QVERIFY(!reread.KeepXmpInStep);
    QCOMPARE(reread.JournalDays, 7);
    QCOMPARE(reread.JournalMegabytes, 64);

    dialog_->LoadControls();
    QVERIFY(!keepXmp->isChecked() && !Find<QAction>(QStringLiteral("KeepXmpSmu"))->isChecked());
    Click(Button(OptionsDialog::kResetDefaults));
    QVERIFY(keepXmp->isChecked());
    QCOMPARE(days->text(), QStringLiteral("30"));
    QCOMPARE(size->text(), QStringLiteral("1024"));
    Click(Button(OptionsDialog::kApply));
    QVERIFY(session_->settings.KeepXmpInStep);
    QCOMPARE(Stored("KeepXmp"), std::string("1"));
    QCOMPARE(Stored("JournalMB"), std::string("1024"));
  }

  void RunHistoryFieldsRefuseOutOfRange_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    const QString days = QStringLiteral("Days error, please reset to a value from 1 to 3650");
    const QString size = QStringLiteral("Size error, please reset to a value from 1 to 1048576");
    QTest::newRow("no days") << "JrnlDaysTxt"
                             << "0" << days;
    QTest::newRow("ten years and a day") << "JrnlDaysTxt"
                                         << "3651" << days;
    QTest::newRow("letters") << "JrnlDaysTxt"
                             << "long" << days;
    QTest::newRow("no size") << "JrnlMBTxt"
                             << "0" << size;
    QTest::newRow("past a terabyte") << "JrnlMBTxt"
                                     << "1048577" << size;
  }

  void RunHistoryFieldsRefuseOutOfRange() {
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, message);
    Start();
    QLineEdit* box = Find<QLineEdit>(field);
    box->selectAll();
    QTest::keyClicks(box, text);
    Click(Button(OptionsDialog::kApply));
    QCOMPARE(recorder_.shown.size(), size_t{1});
    QCOMPARE(QString::fromStdString(recorder_.shown[0].text), message);
    QCOMPARE(recorder_.shown[0].icon, MessageIcon::kExclamation);
    QCOMPARE(recorder_.cues, std::vector<SoundCue>{SoundCue::Error});
    QVERIFY(dialog_->isVisible());
    QCOMPARE(session_->settings.JournalDays, 30);
    QCOMPARE(session_->settings.JournalMegabytes, 1024);
  }

  void CloseBoxDiscards() {
    Start();
    ChooseDelimiter(2);
    Click(Box(6));
    dialog_->close();
    QVERIFY(!dialog_->isVisible());
    QCOMPARE(session_->settings.CsvDelimiter, uint8_t{9});
    QCOMPARE(Stored("Option6"), std::string());
    QCOMPARE(Delimiters()->currentText(), QStringLiteral("Tab"));
  }

  void TheDelimiterAloneCanBeApplied() {
    Start();
    ChooseDelimiter(2);
    QVERIFY(Button(OptionsDialog::kApply)->isEnabled());
    Click(Button(OptionsDialog::kApply));
    QCOMPARE(Stored("CSVDelim"), std::string("44"));
    QCOMPARE(session_->settings.CsvDelimiter, uint8_t{44});
  }

  void SoundsNeedAnOutputAndTheCueFiles() {
    // No cue files: the box can't be changed and shows sounds off.
    Start(true);
    QVERIFY(!Box(0)->isEnabled());
    QVERIFY(!Item(0)->isEnabled());
    QVERIFY(!Box(0)->isChecked());
    cleanup();

    dir_ = std::make_unique<QTemporaryDir>();
    MakeCueFiles();
    Start(true);
    QVERIFY(Box(0)->isEnabled());
    QVERIFY(Box(0)->isChecked());
    QVERIFY(session_->settings.SoundsEnabled);
    // Unticked and applied: "0", and sounds stay off at the next start.
    Click(Box(0));
    dialog_->Apply();
    QVERIFY(!session_->settings.SoundsEnabled);
    QCOMPARE(Stored("Option0"), std::string("0"));
    QVERIFY(!LoadSettings(session_->store, AllCuesPresent(Folder())).SoundsEnabled);
  }

  void TickedSoundsStayOffWithoutACueFile() {
    MakeCueFiles();
    Start(true);
    std::filesystem::remove(Folder() + "error.wav");
    dialog_->LoadControls();
    QVERIFY(Box(0)->isChecked());
    Click(Box(3));
    dialog_->Apply();
    QCOMPARE(Stored("Option0"), std::string("1"));
    QVERIFY(session_->settings.Options[ProgramOption::UseSounds]);
    QVERIFY(!session_->settings.SoundsEnabled);
  }

  void HelpAtTopic17() {
    Start();
    dialog_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(dialog_.get()));
    QTest::keyClick(dialog_.get(), Qt::Key_F1);
    Find<QAction>(QStringLiteral("HelpIndexSmu"))->trigger();
    QCOMPARE(recorder_.help.size(), size_t{2});
    QCOMPARE(recorder_.help[0].page, HelpPage::kTopic);
    QCOMPARE(recorder_.help[0].topic, 17);
    QCOMPARE(recorder_.help[1].page, HelpPage::kIndex);
  }
};

QTEST_MAIN(OptionsDialogTest)
#include "options_dialog_test.moc"
