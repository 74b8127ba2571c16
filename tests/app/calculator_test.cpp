// SPDX-License-Identifier: GPL-2.0-or-later
// The date/time difference calculator: its entry checks and pair results as
// rules, and the dialog typed into and pasted into a real adjustment panel.
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/adjustment_panel.h"
#include "app/calculator_dialog.h"
#include "app/date_difference.h"
#include "app/qt_user_interface.h"
#include "recording_services.h"

using namespace kelvane;

namespace {

// Both entries of a pair from their texts; each must be accepted.
DifferencePair PairOf(DifferencePair::Kind kind, const char* original, const char* corrected) {
  DifferencePair pair(kind);
  const auto check = kind == DifferencePair::Kind::kDates ? &CheckCalculatorDate : &CheckCalculatorTime;
  const CalculatorEntry first = check(original);
  const CalculatorEntry second = check(corrected);
  if (first.outcome != EntryOutcome::kValid || second.outcome != EntryOutcome::kValid) qFatal("entry refused");
  pair.SetEntry(DifferencePair::kOriginal, first.value);
  pair.SetEntry(DifferencePair::kCorrected, second.value);
  return pair;
}

}  // namespace

class CalculatorTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<Session> session_;
  Recorder recorder_;
  DialogServices services_;
  std::unique_ptr<QWidget> window_;
  // The adjustment panel's own checks report here.
  std::unique_ptr<QtUserInterface> panelUi_;
  std::vector<Message> panelBoxes_;
  AdjustmentPanel* panel_ = nullptr;
  CalculatorDialog* dialog_ = nullptr;

  QLineEdit* Field(const char* name) const { return dialog_->findChild<QLineEdit*>(QString::fromUtf8(name)); }
  QString Label(const char* name) const { return dialog_->findChild<QLabel*>(QString::fromUtf8(name))->text(); }
  QPushButton* PasteButton() const { return dialog_->findChild<QPushButton*>(QStringLiteral("PasteBtn")); }

  void Open() {
    dialog_->Activate();
    dialog_->show();
    dialog_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(dialog_));
  }

  // Enters a field the way the user does, then types.
  void Type(const char* field, const char* text) {
    QTest::mouseClick(Field(field), Qt::LeftButton);
    QTest::keyClicks(Field(field), QString::fromUtf8(text));
  }

 private slots:
  void init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    session_ = std::make_unique<Session>(dir_->filePath(QStringLiteral("qmre0118.ini")).toStdString(),
                                         dir_->path().toStdString() + "/", false);
    recorder_.Clear();
    panelBoxes_.clear();
    services_ = recorder_.Services();
    window_ = std::make_unique<QWidget>();
    panelUi_ = std::make_unique<QtUserInterface>(*window_, session_->state, *new QProgressBar(window_.get()),
                                                 *new QLabel(window_.get()), *new QLabel(window_.get()));
    panelUi_->SetMessagePresenter([this](const Message& message) {
      panelBoxes_.push_back(message);
      return MessageAnswer::kOk;
    });
    panelUi_->SetCuePlayer([](SoundCue) {});
    panel_ = new AdjustmentPanel(session_->state, *panelUi_, window_.get());
    dialog_ = new CalculatorDialog(*session_, services_, *panel_, window_.get());
  }

  void cleanup() {
    panelUi_.reset();
    window_.reset();
    session_.reset();
    dir_.reset();
  }

  void PairResults_data() {
    QTest::addColumn<bool>("dates");
    QTest::addColumn<QString>("original");
    QTest::addColumn<QString>("corrected");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("direction");
    QTest::addColumn<QString>("result");
    QTest::newRow("ten days later") << true << "20070101"
                                    << "20070111"
                                    << " 10 days"
                                    << "Later"
                                    << "10";
    QTest::newRow("three days earlier") << true << "20070111"
                                        << "20070108"
                                        << " 3 days"
                                        << "Earlier"
                                        << "3";
    QTest::newRow("across a leap day") << true << "20080228"
                                       << "20080301"
                                       << " 2 days"
                                       << "Later"
                                       << "2";
    QTest::newRow("across years") << true << "20061231"
                                  << "20070101"
                                  << " 1 days"
                                  << "Later"
                                  << "1";
    QTest::newRow("same day") << true << "20070101"
                              << "20070101"
                              << "same day"
                              << ""
                              << "";
    QTest::newRow("over midnight") << false << "235900"
                                   << "000100"
                                   << "23:58:00"
                                   << "Earlier"
                                   << "23:58:00";
    QTest::newRow("seconds later") << false << "101010"
                                   << "101115"
                                   << "00:01:05"
                                   << "Later"
                                   << "00:01:05";
    QTest::newRow("same time") << false << "120000"
                               << "120000"
                               << "same time"
                               << ""
                               << "";
  }

  void PairResults() {
    QFETCH(bool, dates);
    QFETCH(QString, original);
    QFETCH(QString, corrected);
    QFETCH(QString, amount);
    QFETCH(QString, direction);
    QFETCH(QString, result);
    const DifferencePair pair = PairOf(dates ? DifferencePair::Kind::kDates : DifferencePair::Kind::kTimes,
                                       qPrintable(original), qPrintable(corrected));
    QCOMPARE(QString::fromStdString(pair.AmountLabel()), amount);
    QCOMPARE(QString::fromStdString(pair.DirectionLabel()), direction);
    QCOMPARE(QString::fromStdString(pair.ResultText()), result);
    QCOMPARE(pair.Pastable(), !result.isEmpty());
  }

  void EntryChecks_data() {
    QTest::addColumn<bool>("date");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("message");
    const int incomplete = static_cast<int>(EntryOutcome::kIncomplete);
    const int valid = static_cast<int>(EntryOutcome::kValid);
    const int rejected = static_cast<int>(EntryOutcome::kRejected);
    QTest::newRow("date typed so far") << true << "2007013" << incomplete << ""
                                       << "";
    QTest::newRow("short letters wait") << true << "2007a" << incomplete << ""
                                        << "";
    QTest::newRow("date") << true << " 20070228 " << valid << ""
                          << "";
    QTest::newRow("30 February") << true << "20070230" << rejected << "Date entry error"
                                 << "Date entry of 20070230 is invalid, please correct";
    QTest::newRow("month 13") << true << "20071301" << rejected << "Date entry error"
                              << "Date entry of 20071301 is invalid, please correct";
    QTest::newRow("nine digits") << true << "200701011" << rejected << "Date entry error"
                                 << "Date entry of 200701011 is invalid, please correct";
    QTest::newRow("letter in date") << true << "2007o101" << rejected << "Form entry error"
                                    << "Invalid character entered";
    QTest::newRow("time") << false << "235959" << valid << ""
                          << "";
    QTest::newRow("letter in time") << false << "12a456" << rejected << "Form entry error"
                                    << "Invalid character entered";
    QTest::newRow("hour 24") << false << "240000" << rejected << "Time entry error"
                             << "Time entry of 240000 is invalid, please correct";
    QTest::newRow("second 60") << false << "125960" << rejected << "Time entry error"
                               << "Time entry of 125960 is invalid, please correct";
  }

  void EntryChecks() {
    QFETCH(bool, date);
    QFETCH(QString, text);
    QFETCH(int, outcome);
    QFETCH(QString, title);
    QFETCH(QString, message);
    const CalculatorEntry entry =
        date ? CheckCalculatorDate(text.toStdString()) : CheckCalculatorTime(text.toStdString());
    QCOMPARE(static_cast<int>(entry.outcome), outcome);
    QCOMPARE(entry.message.has_value(), !message.isEmpty());
    if (entry.message) {
      QCOMPARE(QString::fromStdString(entry.message->title), title);
      QCOMPARE(QString::fromStdString(entry.message->text), message);
    }
  }

  void FocusMovesToTheNextEntry() {
    DifferencePair dates(DifferencePair::Kind::kDates);
    DifferencePair times(DifferencePair::Kind::kTimes);
    dates.SetEntry(DifferencePair::kOriginal, 1);
    QCOMPARE(FocusAfterDate(dates, times), CalculatorFocus::kCorrectedDate);
    dates.SetEntry(DifferencePair::kCorrected, 2);
    QCOMPARE(FocusAfterDate(dates, times), CalculatorFocus::kOriginalTime);
    times.SetEntry(DifferencePair::kOriginal, 5);
    QCOMPARE(FocusAfterDate(dates, times), CalculatorFocus::kCorrectedTime);
    QCOMPARE(FocusAfterTime(times, DifferencePair::kOriginal), CalculatorFocus::kCorrectedTime);
    times.SetEntry(DifferencePair::kCorrected, 9);
    QCOMPARE(FocusAfterDate(dates, times), CalculatorFocus::kPaste);
    QCOMPARE(FocusAfterTime(times, DifferencePair::kCorrected), CalculatorFocus::kPaste);
  }

  void PasteFillsTheAdjustment() {
    panel_->SetDaysDirection(AdjustmentPanel::kEarlier);
    panel_->SetTimeDirection(AdjustmentPanel::kLater);
    Open();
    QVERIFY(!PasteButton()->isEnabled());
    Type("DateTxt0", "20070101");
    QCOMPARE(QApplication::focusWidget(), Field("DateTxt1"));
    Type("DateTxt1", "20070111");
    QCOMPARE(Label("DaysLbl0"), QStringLiteral(" 10 days"));
    QCOMPARE(Label("DaysLbl1"), QStringLiteral("Later"));
    QVERIFY(PasteButton()->isEnabled());
    QCOMPARE(QApplication::focusWidget(), Field("TimeTxt0"));
    Type("TimeTxt0", "235900");
    Type("TimeTxt1", "000100");
    QCOMPARE(Label("TimeLbl0"), QStringLiteral("23:58:00"));
    QCOMPARE(Label("TimeLbl1"), QStringLiteral("Earlier"));
    QCOMPARE(QApplication::focusWidget(), PasteButton());

    session_->state.FieldEditing = true;
    QTest::mouseClick(PasteButton(), Qt::LeftButton);
    QVERIFY(!dialog_->isVisible());
    QVERIFY(!session_->state.FieldEditing);
    QCOMPARE(panel_->DaysDirection(), AdjustmentPanel::kLater);
    QCOMPARE(panel_->DaysField().text(), QStringLiteral("10"));
    QVERIFY(session_->state.DaysEntryValid);
    QCOMPARE(panel_->TimeDirection(), AdjustmentPanel::kEarlier);
    QCOMPARE(panel_->TimeField(0).text(), QStringLiteral("23"));
    QCOMPARE(panel_->TimeField(1).text(), QStringLiteral("58"));
    QCOMPARE(panel_->TimeField(2).text(), QStringLiteral("0"));
    QVERIFY(session_->state.TimeEntryValid);
    QVERIFY(panelBoxes_.empty());
  }

  void EnteringAFieldStartsItAfresh() {
    Open();
    Type("DateTxt0", "20070111");
    Type("DateTxt1", "20070108");
    QCOMPARE(Label("DaysLbl0"), QStringLiteral(" 3 days"));
    QCOMPARE(Label("DaysLbl1"), QStringLiteral("Earlier"));
    QTest::mouseClick(Field("DateTxt0"), Qt::LeftButton);
    QVERIFY(Field("DateTxt0")->text().isEmpty());
    QVERIFY(Label("DaysLbl0").isEmpty());
    QVERIFY(Label("DaysLbl1").isEmpty());
    QVERIFY(!PasteButton()->isEnabled());
  }

  void SameDatesLeavePasteToTheTimes() {
    Open();
    Type("DateTxt0", "20070101");
    Type("DateTxt1", "20070101");
    QCOMPARE(Label("DaysLbl0"), QStringLiteral("same day"));
    QVERIFY(!PasteButton()->isEnabled());
    Type("TimeTxt0", "080000");
    Type("TimeTxt1", "093000");
    QVERIFY(PasteButton()->isEnabled());
    dialog_->Paste();
    QCOMPARE(panel_->DaysField().text(), QString());
    QCOMPARE(panel_->TimeField(0).text(), QStringLiteral("1"));
    QCOMPARE(panel_->TimeField(1).text(), QStringLiteral("30"));
    QCOMPARE(panel_->TimeDirection(), AdjustmentPanel::kLater);
  }

  void RefusedEntryIsEmptiedWithTheErrorCue() {
    Open();
    Type("DateTxt0", "20070230");
    QCOMPARE(recorder_.shown.size(), size_t{1});
    QCOMPARE(recorder_.shown[0].text, std::string("Date entry of 20070230 is invalid, please correct"));
    QCOMPARE(recorder_.shown[0].icon, MessageIcon::kCritical);
    QCOMPARE(recorder_.cues, std::vector<SoundCue>{SoundCue::Error});
    QVERIFY(Field("DateTxt0")->text().isEmpty());
    Type("TimeTxt0", "12a456");
    QCOMPARE(recorder_.shown.back().text, std::string("Invalid character entered"));
    QCOMPARE(recorder_.shown.back().icon, MessageIcon::kInformation);
    QVERIFY(Field("TimeTxt0")->text().isEmpty());
    QVERIFY(!PasteButton()->isEnabled());
  }

  void AsDateModePastesOnlyTheTime() {
    panel_->SetDaysDirection(AdjustmentPanel::kAsDate);
    panel_->DaysField().setText(QStringLiteral("20070228"));
    const QString date = panel_->DaysField().text();
    Open();
    QVERIFY(!Field("DateTxt0")->isEnabled() && !Field("DateTxt1")->isEnabled());
    QCOMPARE(Field("DateTxt0")->palette().color(QPalette::Base), QColor(224, 224, 224));
    QCOMPARE(QApplication::focusWidget(), Field("TimeTxt0"));
    Type("TimeTxt0", "100000");
    Type("TimeTxt1", "091500");
    dialog_->Paste();
    QCOMPARE(panel_->DaysDirection(), AdjustmentPanel::kAsDate);
    QCOMPARE(panel_->DaysField().text(), date);
    QCOMPARE(panel_->TimeDirection(), AdjustmentPanel::kEarlier);
    QCOMPARE(panel_->TimeField(1).text(), QStringLiteral("45"));
  }

  void CancelLeavesTheWindowAsItWas() {
    panel_->DaysField().setText(QStringLiteral("5"));
    Open();
    Type("DateTxt0", "20070101");
    Type("DateTxt1", "20070111");
    session_->state.FieldEditing = true;
    QTest::keyClick(dialog_, Qt::Key_Escape);
    QVERIFY(!dialog_->isVisible());
    QVERIFY(!session_->state.FieldEditing);
    QCOMPARE(panel_->DaysField().text(), QStringLiteral("5"));
    // Every showing starts empty.
    Open();
    QVERIFY(Field("DateTxt0")->text().isEmpty());
    QVERIFY(Label("DaysLbl0").isEmpty());
  }
};

QTEST_MAIN(CalculatorTest)
#include "calculator_test.moc"
