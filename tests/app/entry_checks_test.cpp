// SPDX-License-Identifier: GPL-2.0-or-later
// The checks of the days, "As Date", time, prefix and start value entries.
#include "batch/entry_checks.h"

#include <QTest>

using namespace kelvane;

Q_DECLARE_METATYPE(kelvane::EntryOutcome)

class EntryChecksTest : public QObject {
  Q_OBJECT

 private slots:
  void DaysEntry_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("asDate");
    QTest::addColumn<EntryOutcome>("outcome");
    QTest::addColumn<QString>("message");  // empty: no message
    QTest::addColumn<QString>("dateText");

    QTest::newRow("days 5") << "5" << false << EntryOutcome::kValid << ""
                            << "";
    QTest::newRow("days 9999") << "9999" << false << EntryOutcome::kValid << ""
                               << "";
    QTest::newRow("days trimmed") << " 12 " << false << EntryOutcome::kValid << ""
                                  << "";
    QTest::newRow("days 12345") << "12345" << false << EntryOutcome::kRejected
                                << "Days entry of 12345 is invalid, please correct"
                                << "";
    QTest::newRow("days letter") << "1a" << false << EntryOutcome::kRejected << "Invalid character entered"
                                 << "";
    QTest::newRow("days minus") << "-3" << false << EntryOutcome::kRejected << "Invalid character entered"
                                << "";
    QTest::newRow("days zero") << "0" << false << EntryOutcome::kEmpty << ""
                               << "";
    QTest::newRow("days zeros") << "000" << false << EntryOutcome::kEmpty << ""
                                << "";
    QTest::newRow("days empty") << "" << false << EntryOutcome::kEmpty << ""
                                << "";
    QTest::newRow("date typing") << "2007" << true << EntryOutcome::kIncomplete << ""
                                 << "";
    QTest::newRow("date 20070228") << "20070228" << true << EntryOutcome::kValid << ""
                                   << "2007/02/28";
    QTest::newRow("date 20080229 leap") << "20080229" << true << EntryOutcome::kValid << ""
                                        << "2008/02/29";
    QTest::newRow("date 20070230") << "20070230" << true << EntryOutcome::kRejected
                                   << "Date entry of 20070230 is invalid, please correct"
                                   << "";
    QTest::newRow("date month 13") << "20071301" << true << EntryOutcome::kRejected
                                   << "Date entry of 20071301 is invalid, please correct"
                                   << "";
    QTest::newRow("date year 0") << "00000101" << true << EntryOutcome::kRejected
                                 << "Date entry of 00000101 is invalid, please correct"
                                 << "";
    QTest::newRow("date 9 digits") << "200702281" << true << EntryOutcome::kRejected
                                   << "Date entry of 200702281 is invalid, please correct"
                                   << "";
    QTest::newRow("date letter") << "2007x" << true << EntryOutcome::kRejected << "Invalid character entered"
                                 << "";
    QTest::newRow("date zero") << "0" << true << EntryOutcome::kEmpty << ""
                               << "";
  }

  void DaysEntry() {
    QFETCH(QString, text);
    QFETCH(bool, asDate);
    QFETCH(EntryOutcome, outcome);
    QFETCH(QString, message);
    QFETCH(QString, dateText);

    const DaysCheck check = CheckDaysEntry(text.toStdString(), asDate);
    QCOMPARE(check.outcome, outcome);
    QCOMPARE(QString::fromStdString(check.dateText), dateText);
    QCOMPARE(check.message.has_value(), !message.isEmpty());
    if (check.message) {
      QCOMPARE(QString::fromStdString(check.message->title), QStringLiteral("Form entry error"));
      QCOMPARE(QString::fromStdString(check.message->text), message);
      const MessageIcon icon =
          message == "Invalid character entered" ? MessageIcon::kInformation : MessageIcon::kCritical;
      QCOMPARE(check.message->icon, icon);
      QCOMPARE(check.message->buttons, MessageButtons::kOk);
    }
  }

  void TimeEntry_data() {
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<EntryOutcome>("outcome");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("moveOn");

    QTest::newRow("hours 23") << 0 << "23" << EntryOutcome::kValid << "" << true;
    QTest::newRow("hours 24") << 0 << "24" << EntryOutcome::kRejected << "Hours entry of 24 is invalid, please correct"
                              << false;
    QTest::newRow("hours 5") << 0 << "5" << EntryOutcome::kValid << "" << false;
    QTest::newRow("hours 09") << 0 << "09" << EntryOutcome::kValid << "" << false;
    QTest::newRow("minutes 45") << 1 << "45" << EntryOutcome::kValid << "" << true;
    QTest::newRow("minutes 60") << 1 << "60" << EntryOutcome::kRejected
                                << "Minutes entry of 60 is invalid, please correct" << false;
    QTest::newRow("minutes 7a") << 1 << "7a" << EntryOutcome::kRejected << "Invalid character entered" << false;
    QTest::newRow("minutes 100") << 1 << "100" << EntryOutcome::kRejected
                                 << "Minutes entry of 100 is invalid, please correct" << false;
    QTest::newRow("seconds 59") << 2 << "59" << EntryOutcome::kValid << "" << false;
    QTest::newRow("seconds 99") << 2 << "99" << EntryOutcome::kRejected
                                << "Seconds entry of 99 is invalid, please correct" << false;
    QTest::newRow("seconds blank") << 2 << "  " << EntryOutcome::kEmpty << "" << false;
  }

  void TimeEntry() {
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(EntryOutcome, outcome);
    QFETCH(QString, message);
    QFETCH(bool, moveOn);

    const TimeCheck check = CheckTimeEntry(static_cast<TimeField>(field), text.toStdString());
    QCOMPARE(check.outcome, outcome);
    QCOMPARE(check.moveFocusOn, moveOn);
    QCOMPARE(check.message.has_value(), !message.isEmpty());
    if (check.message) QCOMPARE(QString::fromStdString(check.message->text), message);
  }

  void PrefixText() {
    QVERIFY(PrefixTextAllowed("Cam1_"));
    QVERIFY(PrefixTextAllowed("My Trip "));
    QVERIFY(PrefixTextAllowed(""));
    for (const char* refused : {" lead", "a/b", "a\\b", "a:b", "a*", "a?", "a\"", "a<", "a>", "a|"}) {
      QVERIFY2(!PrefixTextAllowed(refused), refused);
    }
  }

  void StartValue() {
    QCOMPARE(CheckStartValue("1"), StartValueCheck::kAccepted);
    QCOMPARE(CheckStartValue(" 250 "), StartValueCheck::kAccepted);
    QCOMPARE(CheckStartValue(""), StartValueCheck::kResetToOne);
    QCOMPARE(CheckStartValue("0"), StartValueCheck::kRefused);
    QCOMPARE(CheckStartValue("1.5"), StartValueCheck::kRefused);
    QCOMPARE(CheckStartValue("x"), StartValueCheck::kRefused);
    QCOMPARE(CheckStartValue("9999999999"), StartValueCheck::kRefused);
  }
};

QTEST_APPLESS_MAIN(EntryChecksTest)
#include "entry_checks_test.moc"
