// SPDX-License-Identifier: GPL-2.0-or-later
// The main window driven through its real widgets: function selection,
// arrow keys, Run enabling, the entry checks with their messages and focus
// moves, the single-photo toggle, browsing, recent folders and placement.
#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QWindow>
#include <filesystem>
#include <fstream>
#include <memory>

#include "app/adjustment_panel.h"
#include "app/function_column.h"
#include "engine/settings.h"
#include "support/test_support.h"

using namespace kelvane;

class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<Session> session_;
  std::unique_ptr<KelvaneMain> window_;
  std::vector<Message> shown_;
  // The next answers of the file dialog; an empty optional cancels.
  std::vector<std::optional<std::string>> dialogAnswers_;
  std::vector<DialogRequest> dialogRequests_;

  std::string SettingsPath() const { return dir_->filePath(QStringLiteral("qmre0118.ini")).toStdString(); }

  // A folder of the scratch area holding the named (empty) files; ends with "/".
  std::string MakeFolder(const std::string& name, const std::vector<std::string>& files = {"a.jpg"}) const {
    const std::filesystem::path folder = std::filesystem::path(dir_->path().toStdString()) / name;
    std::filesystem::create_directories(folder);
    for (const std::string& file : files) std::ofstream(folder / file) << "x";
    return folder.string() + "/";
  }

  // startPath: the program's argument, given before the window shows.
  void Start(const std::string& startPath = {}) {
    session_ = std::make_unique<Session>(SettingsPath(), dir_->path().toStdString() + "/", false);
    window_ = std::make_unique<KelvaneMain>(*session_, nullptr);
    if (!startPath.empty()) window_->ChoosePath(startPath);
    window_->Ui().SetMessagePresenter([this](const Message& message) {
      shown_.push_back(message);
      return MessageAnswer::kOk;
    });
    window_->SetFileDialog([this](const DialogRequest& request) -> std::optional<std::string> {
      dialogRequests_.push_back(request);
      if (dialogAnswers_.empty()) return std::nullopt;
      std::optional<std::string> answer = dialogAnswers_.front();
      dialogAnswers_.erase(dialogAnswers_.begin());
      return answer;
    });
    window_->show();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
  }

  template <typename T>
  T* Find(const QString& name) const {
    T* found = window_->findChild<T*>(name);
    if (found == nullptr) qFatal("no control %s", qPrintable(name));
    return found;
  }
  QLineEdit* Field(const QString& name) const { return Find<QLineEdit>(name); }
  QAction* Action(const QString& name) const { return Find<QAction>(name); }
  RunState& State() { return session_->state; }
  bool RunEnabled() const {
    const bool button = Find<QPushButton>(QStringLiteral("RunBtn"))->isEnabled();
    if (button != Action(QStringLiteral("RunSMu"))->isEnabled()) qFatal("Run and its menu entry differ");
    // Preview follows Run, except for an export, which has nothing to preview.
    const bool preview = Find<QPushButton>(QStringLiteral("PreviewBtn"))->isEnabled();
    if (preview != Action(QStringLiteral("PreviewSMu"))->isEnabled()) qFatal("Preview and its menu entry differ");
    if (preview != (button && session_->state.SelectedFunction != ProgramFunction::ExportMetadata)) {
      qFatal("Preview and Run differ");
    }
    return button;
  }
  QString StatusText(int panel) const { return Find<QLabel>(QStringLiteral("StatusBar1Panel%1").arg(panel))->text(); }

  static std::string FolderOfPhoto(const std::string& photo) {
    return std::filesystem::path(photo).parent_path().string() + "/";
  }

  void ChooseFolder(const std::string& folder) {
    dialogAnswers_.push_back(folder);
    QTest::mouseClick(Find<QPushButton>(QStringLiteral("DirBtn0")), Qt::LeftButton);
  }

  // Types text into a field, one key at a time, as the user would.
  void Type(QLineEdit* field, const QString& text) {
    field->setFocus();
    QTest::keyClicks(field, text);
  }

  // Clicks a check box or option button on its mark (a wide box's middle
  // may lie past its caption).
  static void ClickMark(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
  }

  QString LastMessageText() const { return shown_.empty() ? QString() : QString::fromStdString(shown_.back().text); }

 private slots:
  void init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    // The runs' journals go to the test's own folder.
    qputenv("XDG_STATE_HOME", dir_->filePath(QStringLiteral("state")).toUtf8());
    qputenv("XDG_CONFIG_HOME", dir_->filePath(QStringLiteral("config")).toUtf8());
    shown_.clear();
    dialogAnswers_.clear();
    dialogRequests_.clear();
  }

  void cleanup() {
    window_.reset();
    session_.reset();
    dir_.reset();
  }

  void StartsWithTheFirstFunction() {
    Start();
    QCOMPARE(State().SelectedFunction, ProgramFunction::AdjustFileTime);
    QVERIFY(State().TimeFunction);
    QCOMPARE(Find<QLabel>(QStringLiteral("FormLbl1"))->text(), QStringLiteral("- Adjust File Times"));
    QCOMPARE(Find<QPushButton>(QStringLiteral("RunBtn"))->text(), QStringLiteral("Adjust File Times"));
    QVERIFY(!RunEnabled());
    QVERIFY(!Find<QPushButton>(QStringLiteral("CancelBtn"))->isEnabled());
    QCOMPARE(window_->HelpContext(), 1);
    QVERIFY(Action(QStringLiteral("ModeSMu0"))->isChecked());
    QVERIFY(Find<QCheckBox>(QStringLiteral("CRIDSkipCkB"))->isChecked());
    QVERIFY(!State().OverwriteExisting);
    QVERIFY(State().NoticeForPhotographer);
    QCOMPARE(StatusText(1), QStringLiteral("Files Processed: 0"));
    QCOMPARE(StatusText(2), QStringLiteral("Total Files: 0"));
    QVERIFY(State().StartMessageHandled);
    // The start-up reading wrote its defaults back.
    QCOMPARE(session_->store.ReadSetting(kGeneralSection, "ValCharLim"), std::string("250"));
    QCOMPARE(session_->store.ReadSetting(kGeneralSection, "CSVDelim"), std::string("9"));
    QCOMPARE(window_->size(), QSize(548, 546));
  }

  void ColumnAndMenuSelectFunctions() {
    Start();
    auto* column = Find<FunctionColumn>(QStringLiteral("FuncSelFmeLbl"));
    QTest::mouseClick(column, Qt::LeftButton, {}, QPoint(20, FunctionColumn::kRowHeight * 3 + 20));
    QCOMPARE(State().SelectedFunction, ProgramFunction::RestoreMetadata);
    QVERIFY(State().NonTimeFunction && !State().TimeFunction);
    QCOMPARE(column->Selected(), 3);
    QCOMPARE(Find<QLabel>(QStringLiteral("FormLbl1"))->text(), QStringLiteral("- Restore Missing Metadata"));
    QCOMPARE(Find<QLabel>(QStringLiteral("ParamsLbl"))->text(),
             QStringLiteral("Select Photo to use as Metadata source:"));
    QVERIFY(Field(QStringLiteral("SrceDirTxt1"))->isVisible());
    QVERIFY(Action(QStringLiteral("ModeSMu3"))->isChecked());
    QCOMPARE(window_->HelpContext(), 11);

    Action(QStringLiteral("ModeSMu1"))->trigger();
    QCOMPARE(State().SelectedFunction, ProgramFunction::AdjustMetadataTime);
    QVERIFY(State().MetadataTimeFunction && State().TimeFunction);
    QVERIFY(Field(QStringLiteral("AdjDaysTxt"))->isVisible());
    QVERIFY(!Field(QStringLiteral("SrceDirTxt1"))->isVisible());
    QVERIFY(Action(QStringLiteral("DaysDiffSMu"))->isVisible());
    QVERIFY(!Action(QStringLiteral("CRYearSMu"))->isVisible());

    Action(QStringLiteral("ModeSMu0"))->trigger();
    QCOMPARE(window_->HelpContext(), 7);  // the start-up topic is gone
  }

  void ArrowKeysWrapAround() {
    Start();
    auto* column = Find<FunctionColumn>(QStringLiteral("FuncSelFmeLbl"));
    column->setFocus();
    QTest::keyClick(column, Qt::Key_Up);
    QCOMPARE(State().SelectedFunction, ProgramFunction::WipeFiles);
    QTest::keyClick(column, Qt::Key_Down);
    QCOMPARE(State().SelectedFunction, ProgramFunction::AdjustFileTime);
    QTest::keyClick(column, Qt::Key_Down);
    QCOMPARE(State().SelectedFunction, ProgramFunction::AdjustMetadataTime);

    // While a text field is being edited, the arrows stay with it.
    QLineEdit* days = Field(QStringLiteral("AdjDaysTxt"));
    days->setFocus();
    QVERIFY(State().FieldEditing);
    QTest::keyClick(days, Qt::Key_Down);
    QCOMPARE(State().SelectedFunction, ProgramFunction::AdjustMetadataTime);
    column->setFocus();
    QVERIFY(!State().FieldEditing);
  }

  void NothingChangesDuringARun() {
    Start();
    State().RunInProgress = true;
    window_->SelectFunction(5);
    Action(QStringLiteral("ModeSMu6"))->trigger();
    QTest::keyClick(Find<FunctionColumn>(QStringLiteral("FuncSelFmeLbl")), Qt::Key_Down);
    QCOMPARE(State().SelectedFunction, ProgramFunction::AdjustFileTime);
    QVERIFY(Action(QStringLiteral("ModeSMu0"))->isChecked());
    // Nor does the folder: the run works on the one it started with.
    Action(QStringLiteral("DirSMu"))->trigger();
    QVERIFY(dialogRequests_.empty());
    Action(QStringLiteral("SingleFileSMu"))->trigger();
    QVERIFY(!State().SinglePhotoMode);
    QVERIFY(!Action(QStringLiteral("SingleFileSMu"))->isChecked());
    State().RunInProgress = false;
  }

  void SharedPanelRemembersEachFunction() {
    Start();
    auto* skip = Find<QCheckBox>(QStringLiteral("CRIDSkipCkB"));
    window_->SelectFunction(5);  // Copyright
    QVERIFY(skip->isChecked());
    ClickMark(Find<QRadioButton>(QStringLiteral("CR_IDTypOpt1")));
    ClickMark(skip);
    QVERIFY(!skip->isChecked());
    QVERIFY(State().NoticeForEditor && !State().NoticeForPhotographer);
    QVERIFY(State().OverwriteExisting);
    QVERIFY(Action(QStringLiteral("CR_IDTypSMu1"))->isChecked());

    window_->SelectFunction(6);  // Description has its own choices
    QVERIFY(skip->isChecked());
    QVERIFY(Find<QRadioButton>(QStringLiteral("CR_IDTypOpt0"))->isChecked());
    QCOMPARE(Find<QRadioButton>(QStringLiteral("CR_IDTypOpt0"))->text(), QStringLiteral("Add/Replace"));
    QVERIFY(!State().NoticeForPhotographer && !State().NoticeForEditor);
    QVERIFY(!State().OverwriteExisting);
    Action(QStringLiteral("CR_IDTypSMu2"))->trigger();  // Prefix, through the menu twin
    QVERIFY(Find<QRadioButton>(QStringLiteral("CR_IDTypOpt2"))->isChecked());

    window_->SelectFunction(7);  // Export uses the box as "File per photo"
    QCOMPARE(skip->text(), QStringLiteral("File per photo"));
    QVERIFY(!skip->isChecked());

    window_->SelectFunction(5);
    QCOMPARE(Find<QRadioButton>(QStringLiteral("CR_IDTypOpt1"))->text(), QStringLiteral("Editor"));
    QVERIFY(Find<QRadioButton>(QStringLiteral("CR_IDTypOpt1"))->isChecked());
    QVERIFY(!skip->isChecked());
    QVERIFY(!Action(QStringLiteral("CRIDSkipSMu"))->isChecked());
    QVERIFY(State().NoticeForEditor && State().OverwriteExisting);

    window_->SelectFunction(6);
    QVERIFY(Find<QRadioButton>(QStringLiteral("CR_IDTypOpt2"))->isChecked());
    QVERIFY(skip->isChecked());
    QVERIFY(State().NoticeForEditor && !State().NoticeForPhotographer);
  }

  void RunEnablingPerFunction() {
    Start();
    const std::string photos = MakeFolder("photos", {"a.jpg", "b.jpg"});
    ChooseFolder(photos);
    QVERIFY(State().SourceChosen);
    QVERIFY(RunEnabled());  // Adjust File Time

    window_->SelectFunction(1);
    QVERIFY(!RunEnabled());
    Type(Field(QStringLiteral("AdjDaysTxt")), QStringLiteral("5"));
    QVERIFY(State().DaysEntryValid);
    QVERIFY(RunEnabled());

    window_->SelectFunction(2);
    QVERIFY(!RunEnabled());
    ClickMark(Find<QCheckBox>(QStringLiteral("RemChrCkB")));
    QVERIFY(Find<QComboBox>(QStringLiteral("RemChrCmb"))->isEnabled());
    QVERIFY(RunEnabled());
    Action(QStringLiteral("RemChrSMu"))->trigger();  // the menu twin clears it again
    QVERIFY(!Find<QCheckBox>(QStringLiteral("RemChrCkB"))->isChecked());
    QVERIFY(!RunEnabled());
    ClickMark(Find<QRadioButton>(QStringLiteral("AddPrefixOpt1")));
    QVERIFY(!RunEnabled());  // no prefix text yet
    Type(Field(QStringLiteral("AddPrefixTxt")), QStringLiteral("Cam_"));
    QVERIFY(RunEnabled());

    window_->SelectFunction(3);
    QVERIFY(!RunEnabled());
    const std::string source = MakeFolder("source", {"s.jpg"}) + "s.jpg";
    dialogAnswers_.push_back(source);
    QTest::mouseClick(Find<QPushButton>(QStringLiteral("DirBtn1")), Qt::LeftButton);
    QCOMPARE(Field(QStringLiteral("SrceDirTxt1"))->text().toStdString(), source);
    QVERIFY(RunEnabled());

    window_->SelectFunction(4);
    QVERIFY(RunEnabled());

    window_->SelectFunction(5);
    QVERIFY(!RunEnabled());
    Type(Field(QStringLiteral("CRNameTxt0")), QStringLiteral("Ann Lee"));
    QVERIFY(State().TextEditedByUser);
    QVERIFY(RunEnabled());

    window_->SelectFunction(6);
    QVERIFY(!RunEnabled());
    Type(Field(QStringLiteral("FunctionTextTxt")), QStringLiteral("Paris"));
    QVERIFY(RunEnabled());

    window_->SelectFunction(7);
    QVERIFY(!RunEnabled());
    const std::string target = MakeFolder("exports", {}) + "all.csv";
    dialogAnswers_.push_back(target);
    QTest::mouseClick(Find<QPushButton>(QStringLiteral("DirBtn1")), Qt::LeftButton);
    QVERIFY(State().ExportTargetSet);
    QVERIFY(RunEnabled());

    window_->SelectFunction(8);
    QVERIFY(RunEnabled());
    // Leaving Wipe gives up its choice of folder or file.
    window_->SelectFunction(0);
    QVERIFY(Field(QStringLiteral("SrceDirTxt0"))->text().isEmpty());
    QVERIFY(!State().SourceChosen);
    QVERIFY(!RunEnabled());
    QCOMPARE(StatusText(2), QStringLiteral("Total Files: 0"));
  }

  void DaysEntryMessages() {
    Start();
    window_->SelectFunction(1);
    QLineEdit* days = Field(QStringLiteral("AdjDaysTxt"));
    Type(days, QStringLiteral("12345"));
    QCOMPARE(shown_.size(), size_t{1});
    QCOMPARE(LastMessageText(), QStringLiteral("Days entry of 12345 is invalid, please correct"));
    QCOMPARE(shown_.back().title, std::string("Form entry error"));
    QCOMPARE(shown_.back().icon, MessageIcon::kCritical);
    QVERIFY(days->text().isEmpty());
    QVERIFY(days->hasFocus());
    QVERIFY(!State().DaysEntryValid);

    Type(days, QStringLiteral("4x"));
    QCOMPARE(LastMessageText(), QStringLiteral("Invalid character entered"));
    QCOMPARE(shown_.back().icon, MessageIcon::kInformation);
    QVERIFY(days->text().isEmpty());

    Type(days, QStringLiteral("0"));
    QVERIFY(days->text().isEmpty());
    QCOMPARE(shown_.size(), size_t{2});
  }

  void AsDateEntry() {
    Start();
    window_->SelectFunction(1);
    ClickMark(Find<QRadioButton>(QStringLiteral("AdjDaysOpt2")));
    QVERIFY(State().DaysAsDate);
    QVERIFY(Action(QStringLiteral("DateAdjSMu2"))->isChecked());
    QCOMPARE(Find<QLabel>(QStringLiteral("AdjDaysLbl"))->text(), QStringLiteral("Date as yyyymmdd:"));
    QCOMPARE(Find<QPushButton>(QStringLiteral("FmDatesBtn"))->text(), QStringLiteral("From Times"));
    QCOMPARE(Action(QStringLiteral("DaysDiffSMu"))->text(), QStringLiteral("From Ti&mes"));

    QLineEdit* days = Field(QStringLiteral("AdjDaysTxt"));
    Type(days, QStringLiteral("2007023"));
    QVERIFY(shown_.empty());  // still being typed
    QVERIFY(!State().DaysEntryValid);
    QTest::keyClicks(days, QStringLiteral("0"));
    QCOMPARE(LastMessageText(), QStringLiteral("Date entry of 20070230 is invalid, please correct"));
    QVERIFY(days->text().isEmpty());

    Type(days, QStringLiteral("20070228"));
    QVERIFY(State().DaysEntryValid);
    QCOMPARE(window_->Adjustment().DateText(), std::string("2007/02/28"));
    QCOMPARE(days->text(), QLocale::system().toString(QDate(2007, 2, 28), QStringLiteral("d MMM yyyy")));

    // Back to Later through the menu twin: the date no longer counts.
    Action(QStringLiteral("DateAdjSMu0"))->trigger();
    QVERIFY(Find<QRadioButton>(QStringLiteral("AdjDaysOpt0"))->isChecked());
    QVERIFY(!State().DaysAsDate && !State().DaysEntryValid);
    QVERIFY(window_->Adjustment().DateText().empty());
    QCOMPARE(Find<QLabel>(QStringLiteral("AdjDaysLbl"))->text(), QStringLiteral("Number of days:"));
    QCOMPARE(days->toolTip(), QStringLiteral("Days change 1 or greater"));
  }

  void TimeEntryMessagesAndFocus() {
    Start();
    window_->SelectFunction(1);
    QLineEdit* hours = Field(QStringLiteral("AdjTimeTxt0"));
    QLineEdit* minutes = Field(QStringLiteral("AdjTimeTxt1"));
    QLineEdit* seconds = Field(QStringLiteral("AdjTimeTxt2"));

    Type(hours, QStringLiteral("24"));
    QCOMPARE(LastMessageText(), QStringLiteral("Hours entry of 24 is invalid, please correct"));
    QVERIFY(hours->text().isEmpty());
    QVERIFY(hours->hasFocus());
    QVERIFY(!State().TimeEntryValid);

    Type(minutes, QStringLiteral("7a"));
    QCOMPARE(LastMessageText(), QStringLiteral("Invalid character entered"));
    QVERIFY(minutes->text().isEmpty());

    Type(minutes, QStringLiteral("45"));
    QVERIFY(seconds->hasFocus());
    QVERIFY(State().TimeEntryValid);

    Type(hours, QStringLiteral("12"));
    QVERIFY(minutes->hasFocus());

    Type(seconds, QStringLiteral("61"));
    QCOMPARE(LastMessageText(), QStringLiteral("Seconds entry of 61 is invalid, please correct"));
    QVERIFY(State().TimeEntryValid);  // hours and minutes still count

    hours->clear();
    minutes->clear();
    QVERIFY(!State().TimeEntryValid);
    Type(seconds, QStringLiteral("00"));
    QVERIFY(!State().TimeEntryValid);
  }

  void PrefixFieldsRefuseBadInput() {
    Start();
    window_->SelectFunction(2);
    QLineEdit* prefix = Field(QStringLiteral("AddPrefixTxt"));
    Type(prefix, QStringLiteral("ab/"));
    QCOMPARE(LastMessageText(), QStringLiteral("Invalid character entered"));
    QCOMPARE(shown_.back().title, std::string("Form entry error"));
    QCOMPARE(prefix->text(), QStringLiteral("ab"));
    prefix->clear();
    Type(prefix, QStringLiteral(" x"));
    QCOMPARE(prefix->text(), QStringLiteral("x"));  // the leading blank was refused
    QCOMPARE(shown_.size(), size_t{2});

    QLineEdit* start = Field(QStringLiteral("StrtValTxt"));
    start->clear();
    QCOMPARE(start->text(), QStringLiteral("1"));
    QVERIFY(start->hasSelectedText());
    Type(start, QStringLiteral("0"));
    QCOMPARE(LastMessageText(), QStringLiteral("Invalid character entered"));
    QCOMPARE(start->text(), QStringLiteral("1"));
    start->selectAll();
    Type(start, QStringLiteral("25"));
    QCOMPARE(start->text(), QStringLiteral("25"));
    QCOMPARE(shown_.size(), size_t{3});
  }

  void RemoveCountFollowsItsMenu() {
    Start();
    window_->SelectFunction(2);
    Action(QStringLiteral("RemChrSMu"))->trigger();
    QVERIFY(Find<QCheckBox>(QStringLiteral("RemChrCkB"))->isChecked());
    Action(QStringLiteral("RemChrQtySMu3"))->trigger();
    QCOMPARE(Find<QComboBox>(QStringLiteral("RemChrCmb"))->currentText(), QStringLiteral("4"));
    Find<QComboBox>(QStringLiteral("RemChrCmb"))->setCurrentIndex(6);
    QVERIFY(Action(QStringLiteral("RemChrQtySMu6"))->isChecked());
    QCOMPARE(window_->Menus().remChrQtyMenu->title(), QStringLiteral(" - leading characters - remove 7"));
  }

  void SinglePhotoToggle() {
    Start();
    const std::string photos = MakeFolder("photos", {"a.jpg", "b.jpg"});
    ChooseFolder(photos);
    window_->SelectFunction(2);
    ClickMark(Find<QRadioButton>(QStringLiteral("AddPrefixOpt2")));

    ClickMark(Find<QCheckBox>(QStringLiteral("SingleFileCBLbl")));
    QVERIFY(State().SinglePhotoMode);
    QVERIFY(Action(QStringLiteral("SingleFileSMu"))->isChecked());
    QCOMPARE(Find<QLabel>(QStringLiteral("DirSelLbl"))->text(), QStringLiteral("Select the Photo to Amend:"));
    QCOMPARE(Find<QPushButton>(QStringLiteral("DirBtn0"))->toolTip(),
             QStringLiteral("Open window to select the photo to amend"));
    QVERIFY(Field(QStringLiteral("SrceDirTxt0"))->text().isEmpty());
    QVERIFY(!State().SourceChosen);
    QVERIFY(Find<QRadioButton>(QStringLiteral("AddPrefixOpt0"))->isChecked());
    QVERIFY(!Find<QRadioButton>(QStringLiteral("AddPrefixOpt2"))->isEnabled());
    QVERIFY(!Find<QRadioButton>(QStringLiteral("AddPrefixOpt3"))->isEnabled());
    QVERIFY(!Action(QStringLiteral("AddPrefixOptSMu2"))->isEnabled());
    QVERIFY(!Find<QCheckBox>(QStringLiteral("CRIDSkipCkB"))->isChecked());
    QVERIFY(!Action(QStringLiteral("PrevDir0"))->isEnabled());
    QCOMPARE(StatusText(2), QStringLiteral("Total Files: 0"));

    // One photo chosen: one file counts.
    dialogAnswers_.push_back(photos + "b.jpg");
    QTest::mouseClick(Find<QPushButton>(QStringLiteral("DirBtn0")), Qt::LeftButton);
    QCOMPARE(dialogRequests_.back().title, std::string("Select JPG File"));
    QCOMPARE(dialogRequests_.back().kind, DialogKind::kOpenFile);
    QVERIFY(State().SourceChosen);
    QCOMPARE(StatusText(2), QStringLiteral("Total Files: 1"));

    // Off again (through the menu twin): the photo's folder, counted again.
    Action(QStringLiteral("SingleFileSMu"))->trigger();
    QVERIFY(!State().SinglePhotoMode);
    QVERIFY(!Find<QCheckBox>(QStringLiteral("SingleFileCBLbl"))->isChecked());
    QCOMPARE(Find<QLabel>(QStringLiteral("DirSelLbl"))->text(), QStringLiteral("Photos to Amend Folder (Directory):"));
    QCOMPARE(Field(QStringLiteral("SrceDirTxt0"))->text().toStdString(), photos);
    QCOMPARE(StatusText(2), QStringLiteral("Total Files: 2"));
    QVERIFY(Find<QRadioButton>(QStringLiteral("AddPrefixOpt2"))->isEnabled());
  }

  void SinglePhotoRefusesOtherExtensions() {
    Start();
    const std::string photos = MakeFolder("photos", {"a.png", "a.jpg"});
    Action(QStringLiteral("SingleFileSMu"))->trigger();
    dialogAnswers_.push_back(photos + "a.png");
    Action(QStringLiteral("DirSMu"))->trigger();  // presses Browse
    QCOMPARE(LastMessageText(), QStringLiteral("Invalid file extension"));
    QCOMPARE(shown_.back().title, std::string("File select error"));
    QVERIFY(Field(QStringLiteral("SrceDirTxt0"))->text().isEmpty());
    QVERIFY(!State().SourceChosen);

    // A name typed without extension gets ".jpg".
    dialogAnswers_.push_back(photos + "a");
    Action(QStringLiteral("DirSMu"))->trigger();
    QCOMPARE(Field(QStringLiteral("SrceDirTxt0"))->text().toStdString(), photos + "a.jpg");
    QVERIFY(State().SourceChosen);

    // Wipe takes any file.
    window_->SelectFunction(8);
    dialogAnswers_.push_back(photos + "a.png");
    Action(QStringLiteral("DirSMu"))->trigger();
    QCOMPARE(dialogRequests_.back().title, std::string("Select File"));
    QCOMPARE(Field(QStringLiteral("SrceDirTxt0"))->text().toStdString(), photos + "a.png");
    QVERIFY(State().SourceChosen);
  }

  void BrowsedFolderIsCountedAndRemembered() {
    Start();
    std::vector<std::string> files;
    for (int i = 0; i < 3; ++i) files.push_back("p" + std::to_string(i) + ".jpg");
    for (int i = 0; i < 9; ++i) files.push_back("notes" + std::to_string(i) + ".txt");
    const std::string photos = MakeFolder("photos", files);
    ChooseFolder(photos);
    QCOMPARE(dialogRequests_.back().title, std::string("Select JPG files Folder (Directory)"));
    QCOMPARE(dialogRequests_.back().kind, DialogKind::kFolder);
    QCOMPARE(Field(QStringLiteral("SrceDirTxt0"))->text().toStdString(), photos);
    QCOMPARE(StatusText(2), QStringLiteral("Total Files: 12"));
    QCOMPARE(session_->store.ReadSetting(kGeneralSection, "Dir0"), photos);
    QCOMPARE(session_->store.ReadSetting(kGeneralSection, "DirIn"), photos);
    QVERIFY(Action(QStringLiteral("PrevDir0"))->isVisible());
    QCOMPARE(Action(QStringLiteral("PrevDir0"))->text().toStdString(), RecentFolders::CaptionOf(photos));
    QVERIFY(window_->Menus().fileSepPrevDir->isVisible());
    QVERIFY(!Action(QStringLiteral("PrevDir1"))->isVisible());

    // Cancelling changes nothing; an empty folder leaves Run disabled.
    Action(QStringLiteral("DirSMu"))->trigger();
    QCOMPARE(Field(QStringLiteral("SrceDirTxt0"))->text().toStdString(), photos);
    ChooseFolder(MakeFolder("empty", {}));
    QCOMPARE(StatusText(2), QStringLiteral("Total Files: 0"));
    QVERIFY(!State().SourceChosen);
    QVERIFY(!RunEnabled());
  }

  // Drags path from a file manager over a widget of the window and drops
  // it there, as the window system delivers it.
  void Drop(QWidget* target, const std::string& path) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
    data.setText(QString::fromStdString(path));
    const QPoint at = target->mapTo(window_.get(), target->rect().center());
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window_->windowHandle(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window_->windowHandle(), &drop);
    QVERIFY(drop.isAccepted());
  }

  void PathsGivenOrDroppedAreChosenAsBrowseChoosesThem() {
    const std::string photos = MakeFolder("photos", {"a.jpg", "b.jpg", "notes.txt"});
    const std::string folderWithoutSlash = photos.substr(0, photos.size() - 1);
    QLineEdit* pathBox = nullptr;

    // The program's argument waits for the window, then counts and
    // remembers the folder as Browse does.
    Start(folderWithoutSlash);
    pathBox = Field(QStringLiteral("SrceDirTxt0"));
    QVERIFY(!State().SinglePhotoMode);
    QCOMPARE(pathBox->text().toStdString(), photos);
    QCOMPARE(StatusText(2), QStringLiteral("Total Files: 3"));
    QCOMPARE(session_->store.ReadSetting(kGeneralSection, "Dir0"), photos);

    // A photo dropped on the path box (a text field) switches to
    // single-photo mode.
    Drop(pathBox, photos + "b.jpg");
    QVERIFY(State().SinglePhotoMode);
    QCOMPARE(pathBox->text().toStdString(), photos + "b.jpg");
    QVERIFY(State().SourceChosen);

    // The single-photo rules apply: another extension is refused.
    Drop(window_.get(), photos + "notes.txt");
    QCOMPARE(LastMessageText(), QStringLiteral("Invalid file extension"));
    QVERIFY(!State().SourceChosen);

    // A folder dropped switches back; a missing path changes nothing.
    Drop(window_->centralWidget(), folderWithoutSlash);
    QVERIFY(!State().SinglePhotoMode);
    QCOMPARE(pathBox->text().toStdString(), photos);
    const size_t shownBefore = shown_.size();
    window_->ChoosePath(photos + "missing");
    QCOMPARE(shown_.size(), shownBefore + 1);
    QCOMPARE(shown_.back().icon, MessageIcon::kExclamation);
    QCOMPARE(pathBox->text().toStdString(), photos);
    QVERIFY(State().SourceChosen);
  }

  void RecentFolderMenu() {
    Start();
    const std::string longFolder = MakeFolder(std::string(80, 'L'));
    QVERIFY(longFolder.size() > 63);
    std::vector<std::string> folders;
    for (int i = 0; i < 10; ++i) folders.push_back(MakeFolder("f" + std::to_string(i)));
    ChooseFolder(longFolder);
    for (const std::string& folder : folders) ChooseFolder(folder);
    // Eleven folders chosen: the first one dropped off.
    for (int k = 0; k < 10; ++k) {
      QCOMPARE(session_->store.ReadSetting(kGeneralSection, "Dir" + std::to_string(k)), folders[9 - k]);
    }

    ChooseFolder(longFolder);
    QCOMPARE(Action(QStringLiteral("PrevDir0"))->text().toStdString(), "~" + longFolder.substr(0, 62));
    QCOMPARE(Action(QStringLiteral("PrevDir1"))->text().toStdString(), folders[9]);

    // Choosing the third entry moves it to the top and shows its full path.
    ChooseFolder(folders[8]);
    ChooseFolder(folders[9]);
    // Now: f9, f8, long, f7, ...
    Action(QStringLiteral("PrevDir2"))->trigger();
    QCOMPARE(Field(QStringLiteral("SrceDirTxt0"))->text().toStdString(), longFolder);
    QVERIFY(State().SourceChosen);
    QCOMPARE(session_->store.ReadSetting(kGeneralSection, "Dir0"), longFolder);
    QCOMPARE(session_->store.ReadSetting(kGeneralSection, "Dir1"), folders[9]);
    QCOMPARE(session_->store.ReadSetting(kGeneralSection, "Dir2"), folders[8]);

    // A vanished folder empties the box and stays listed.
    std::filesystem::remove_all(folders[9]);
    Action(QStringLiteral("PrevDir1"))->trigger();
    QVERIFY(Field(QStringLiteral("SrceDirTxt0"))->text().isEmpty());
    QVERIFY(!State().SourceChosen);
    QCOMPARE(session_->store.ReadSetting(kGeneralSection, "Dir1"), folders[9]);
  }

  void StartUpCompactsTheRecentList() {
    const std::string kept1 = MakeFolder("kept1");
    const std::string kept2 = MakeFolder("kept2");
    {
      SettingsStore store(SettingsPath());
      store.WriteSetting(kGeneralSection, "Dir0", kept1);
      store.WriteSetting(kGeneralSection, "Dir1", dir_->path().toStdString() + "/gone/");
      store.WriteSetting(kGeneralSection, "Dir2", kept2);
      store.WriteSetting(kGeneralSection, "Dir3", kept1);
    }
    Start();
    QCOMPARE(session_->store.ReadSetting(kGeneralSection, "Dir0"), kept1);
    QCOMPARE(session_->store.ReadSetting(kGeneralSection, "Dir1"), kept2);
    QCOMPARE(session_->store.ReadSetting(kGeneralSection, "Dir2"), std::string());
    QCOMPARE(Action(QStringLiteral("PrevDir1"))->text().toStdString(), kept2);
    QVERIFY(!Action(QStringLiteral("PrevDir2"))->isVisible());
  }

  void ExportPanelFollowsTheType() {
    Start();
    window_->SelectFunction(7);
    auto* perPhoto = Find<QCheckBox>(QStringLiteral("CRIDSkipCkB"));
    QVERIFY(perPhoto->isVisible());
    QVERIFY(!Field(QStringLiteral("InitSeqTxt"))->isVisible());
    QCOMPARE(Find<QLabel>(QStringLiteral("DirSel2Lbl"))->text(), QStringLiteral("Export as . ."));

    ClickMark(perPhoto);
    QVERIFY(session_->exportOptions.perPhoto);
    QVERIFY(Action(QStringLiteral("FilePerPhotoSMu"))->isChecked());
    QCOMPARE(Find<QLabel>(QStringLiteral("DirSel2Lbl"))->text(), QStringLiteral("Export to . ."));
    dialogAnswers_.push_back(MakeFolder("out", {}));
    QTest::mouseClick(Find<QPushButton>(QStringLiteral("DirBtn1")), Qt::LeftButton);
    QCOMPARE(dialogRequests_.back().title, std::string("Select folder for Export"));
    QVERIFY(State().ExportTargetSet);

    Action(QStringLiteral("ExportAsSMu2"))->trigger();  // workbook
    QVERIFY(Find<QRadioButton>(QStringLiteral("ExportAsOpt2"))->isChecked());
    QCOMPARE(session_->exportOptions.exportType, ExportType::Workbook);
    QCOMPARE(perPhoto->text(), QStringLiteral("Worksheet per photo"));
    QCOMPARE(Action(QStringLiteral("FilePerPhotoSMu"))->text(), QStringLiteral("&Worksheet per photo"));
    QVERIFY(!State().ExportTargetSet);
    QVERIFY(Field(QStringLiteral("SrceDirTxt1"))->text().isEmpty());

    // A csv file for the workbook type: warned, and kept.
    const std::string csv = MakeFolder("out2", {}) + "x.csv";
    dialogAnswers_.push_back(csv);
    QTest::mouseClick(Find<QPushButton>(QStringLiteral("DirBtn1")), Qt::LeftButton);
    QCOMPARE(dialogRequests_.back().title, std::string("Set Workbook (.xlsx) file for Export"));
    QCOMPARE(LastMessageText(), QStringLiteral("Invalid file extension"));
    QVERIFY(!State().ExportTargetSet);

    ClickMark(Find<QRadioButton>(QStringLiteral("ExportAsOpt1")));  // database csv
    QVERIFY(!perPhoto->isVisible());
    QVERIFY(!session_->exportOptions.perPhoto);
    QVERIFY(Field(QStringLiteral("InitSeqTxt"))->isVisible());
    dialogAnswers_.push_back(MakeFolder("out3", {}) + "t.xlsx");
    QTest::mouseClick(Find<QPushButton>(QStringLiteral("DirBtn1")), Qt::LeftButton);
    QCOMPARE(LastMessageText(), QStringLiteral("This data is not suited to the Workbook (.xlsx) file type selected."));
    QCOMPARE(shown_.back().title, std::string("File select warning"));
    QVERIFY(State().ExportTargetSet);

    ClickMark(Find<QCheckBox>(QStringLiteral("ExpExclTechCkB")));
    QVERIFY(session_->exportOptions.excludeTechnical);
    QVERIFY(Action(QStringLiteral("ExpExclTechSMu"))->isChecked());
  }

  void ExportStartsWithTheStoredTargetFolder() {
    const std::string out = MakeFolder("out", {});
    SettingsStore(SettingsPath()).WriteSetting(kGeneralSection, "DirOut", out);
    Start();
    window_->SelectFunction(7);
    QCOMPARE(Field(QStringLiteral("SrceDirTxt1"))->text().toStdString(), out);
    QVERIFY(State().ExportTargetSet);
    window_->SelectFunction(3);
    QVERIFY(Field(QStringLiteral("SrceDirTxt1"))->text().isEmpty());
    QVERIFY(!State().ExportTargetSet);
  }

  void StandardCopyrightText() {
    {
      SettingsStore store(SettingsPath());
      store.WriteSetting(kCopyrightSection, "PhotoName", "Ann Lee");
      store.WriteSetting(kCopyrightSection, "PhotoYear", "2008");
    }
    Start();
    ChooseFolder(MakeFolder("photos"));
    window_->SelectFunction(5);
    auto* insert = Find<QPushButton>(QStringLiteral("CopyrightStdTextBtn"));
    QVERIFY(insert->isEnabled());
    QVERIFY(Action(QStringLiteral("CRInsertSMu"))->isEnabled());
    QVERIFY(!RunEnabled());
    QTest::mouseClick(insert, Qt::LeftButton);
    QCOMPARE(Field(QStringLiteral("CRNameTxt0"))->text(), QStringLiteral("Ann Lee"));
    QCOMPARE(Field(QStringLiteral("CRYearTxt0"))->text(), QStringLiteral("2008"));
    QVERIFY(State().TextEditedByUser);
    QVERIFY(RunEnabled());

    // Stored as the new standard text: the editor's name too.
    Field(QStringLiteral("CRNameTxt1"))->setText(QStringLiteral("Bob Ray"));
    Action(QStringLiteral("CRSetStdSMu"))->trigger();
    QCOMPARE(session_->store.ReadSetting(kCopyrightSection, "EditName"), std::string("Bob Ray"));

    // "Year from photo" empties the year boxes.
    Action(QStringLiteral("CRYearSMu"))->trigger();
    QVERIFY(Find<QCheckBox>(QStringLiteral("CRYearCkB"))->isChecked());
    QVERIFY(State().YearFromPhoto);
    QVERIFY(Field(QStringLiteral("CRYearTxt0"))->text().isEmpty());
  }

  void WindowPositionInTwips() {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QVERIFY(screen.width() > 200 && screen.height() > 200);
    SettingsStore(SettingsPath()).WriteSetting("FORMS", "StdFormX", "1500");
    SettingsStore(SettingsPath()).WriteSetting("FORMS", "StdFormY", "0");
    Start();
    QCOMPARE(window_->pos().x(), 100);
    QCOMPARE(window_->pos().y(), std::max(1, (screen.height() * 15 - 8190) / 2) / 15);
    window_->move(40, 30);
    QVERIFY(window_->close());
    QCOMPARE(session_->store.ReadSetting("FORMS", "StdFormX"), std::string("600"));
    QCOMPARE(session_->store.ReadSetting("FORMS", "StdFormY"), std::string("450"));
  }

  void PrefixRunRenamesTheFolder() {
    Start();
    const std::string photos = MakeFolder("photos", {"IMG_0001.jpg", "IMG_0002.jpg"});
    ChooseFolder(photos);
    window_->SelectFunction(2);
    ClickMark(Find<QCheckBox>(QStringLiteral("RemChrCkB")));
    Find<QComboBox>(QStringLiteral("RemChrCmb"))->setCurrentIndex(3);  // 4 characters
    Field(QStringLiteral("StrtValTxt"))->setText(QStringLiteral("07"));
    QVERIFY(RunEnabled());
    Action(QStringLiteral("RunSMu"))->trigger();  // presses Run

    QVERIFY(std::filesystem::exists(photos + "0001.jpg"));
    QVERIFY(std::filesystem::exists(photos + "0002.jpg"));
    QVERIFY(!std::filesystem::exists(photos + "IMG_0001.jpg"));
    QCOMPARE(shown_.size(), size_t{1});
    QCOMPARE(shown_.back().title, std::string("Completion Message"));
    QCOMPARE(LastMessageText(), QStringLiteral("All files processed successfully"));
    QVERIFY(!State().RunInProgress);
    // After the run: counters reset, Run and Cancel disabled until a change.
    QCOMPARE(StatusText(2), QStringLiteral("Total Files: 0"));
    QVERIFY(!RunEnabled());
    QVERIFY(!Find<QPushButton>(QStringLiteral("CancelBtn"))->isEnabled());
    // The start value the run used is shown.
    QCOMPARE(Field(QStringLiteral("StrtValTxt"))->text(), QStringLiteral("7"));
    QVERIFY(!RunEnabled());
  }

  void FileTimeRunListsFailures() {
    Start();
    const std::string photos = MakeFolder("photos", {"notes.txt"});
    ChooseFolder(photos);
    QTest::mouseClick(Find<QPushButton>(QStringLiteral("RunBtn")), Qt::LeftButton);
    QCOMPARE(shown_.size(), size_t{1});
    QCOMPARE(LastMessageText(), QStringLiteral("The following files where not processed successfuly:\r"
                                               "notes.txt as File's date/time could not be modified\r"));
    QVERIFY(!RunEnabled());
  }

  // A copy of a sample photo in a folder of its own; empty without samples.
  std::string CopySample(const std::string& relative, const std::string& folder) const {
    const std::optional<std::filesystem::path> samples = test::SamplesFolder();
    if (!samples) return {};
    const std::string target = MakeFolder(folder, {}) + std::filesystem::path(relative).filename().string();
    std::filesystem::copy_file(*samples / relative, target);
    std::filesystem::permissions(target, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
    return target;
  }

  void SinglePhotoCopyrightShowsAndReplacesTheNotice() {
    Start();
    const std::string photo = CopySample("text/Pentax_K10D_two_notices.jpg", "single");
    if (photo.empty()) QSKIP("no sample photos");
    window_->SelectFunction(5);
    Action(QStringLiteral("SingleFileSMu"))->trigger();
    dialogAnswers_.push_back(photo);
    Action(QStringLiteral("DirSMu"))->trigger();

    // The photo's notices are shown, with the notice type that fits them.
    QCOMPARE(Field(QStringLiteral("CRNameTxt1"))->text(), QStringLiteral("Example Editor"));
    QCOMPARE(Field(QStringLiteral("CRYearTxt1"))->text(), QStringLiteral("2008"));
    QVERIFY(Find<QRadioButton>(QStringLiteral("CR_IDTypOpt2"))->isChecked());
    QCOMPARE(Find<QLabel>(QStringLiteral("ParamsLbl"))->text(), QStringLiteral("Existing Copyright entry:"));
    QVERIFY(!RunEnabled());  // nothing edited yet

    ClickMark(Find<QRadioButton>(QStringLiteral("CR_IDTypOpt1")));  // the Editor's notice only
    QVERIFY(!State().TextEditedByUser);
    QLineEdit* year = Field(QStringLiteral("CRYearTxt1"));
    year->selectAll();
    Type(year, QStringLiteral("2010"));
    QCOMPARE(Find<QLabel>(QStringLiteral("ParamsLbl"))->text(), QStringLiteral("Revised Copyright entry:"));
    QVERIFY(RunEnabled());
    QTest::mouseClick(Find<QPushButton>(QStringLiteral("RunBtn")), Qt::LeftButton);

    QCOMPARE(LastMessageText(), QStringLiteral("All files processed successfully"));
    QCOMPARE(Field(QStringLiteral("CRYearTxt1"))->text(), QStringLiteral("2010"));
    const std::optional<std::string> copyright = test::RunCommand("exiftool -s3 -Copyright " + test::ShellQuote(photo));
    QVERIFY(copyright);
    QVERIFY2(copyright->find("Copyright(C) 2010 Example Editor - All Rights Reserved.") != std::string::npos,
             copyright->c_str());
    QVERIFY2(copyright->find("Laitche") != std::string::npos, copyright->c_str());
  }

  void FolderExportWritesTheTarget() {
    Start();
    const std::string first = CopySample("cameras/Canon_40D.jpg", "photos");
    if (first.empty()) QSKIP("no sample photos");
    ChooseFolder(FolderOfPhoto(first));
    window_->SelectFunction(7);
    const std::string target = MakeFolder("exports", {}) + "tags.csv";
    dialogAnswers_.push_back(target);
    QTest::mouseClick(Find<QPushButton>(QStringLiteral("DirBtn1")), Qt::LeftButton);
    QVERIFY(RunEnabled());
    QTest::mouseClick(Find<QPushButton>(QStringLiteral("RunBtn")), Qt::LeftButton);
    QCOMPARE(LastMessageText(), QStringLiteral("All files processed successfully"));
    QVERIFY(std::filesystem::file_size(target) > 0);
  }

  void SinglePhotoWipeAsksAndDeletes() {
    Start();
    const std::string photo = CopySample("cameras/Canon_40D.jpg", "wipe");
    if (photo.empty()) QSKIP("no sample photos");
    window_->SelectFunction(8);
    Action(QStringLiteral("SingleFileSMu"))->trigger();
    dialogAnswers_.push_back(photo);
    Action(QStringLiteral("DirSMu"))->trigger();
    QTest::mouseClick(Find<QPushButton>(QStringLiteral("RunBtn")), Qt::LeftButton);
    QCOMPARE(shown_.size(), size_t{2});
    QCOMPARE(shown_[0].title, std::string("File 'Wipe'"));
    QCOMPARE(shown_[0].text, "Confirm Unrecoverable Delete of File:\r" + photo);
    QCOMPARE(LastMessageText(), QStringLiteral("All files processed successfully"));
    QVERIFY(!std::filesystem::exists(photo));
    QVERIFY(!State().SourceChosen);
    QVERIFY(!RunEnabled());
  }

  void NoClosingDuringARun() {
    Start();
    State().RunInProgress = true;
    QVERIFY(!window_->close());
    QVERIFY(State().CancelRequested);
    State().RunInProgress = false;
    QVERIFY(window_->close());
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
