// SPDX-License-Identifier: GPL-2.0-or-later
// The Qt side of the user-interface port: message boxes with their title,
// text, icon, buttons and default button; progress, status texts, the busy
// cursor and the Cancel flag.
#include "app/qt_user_interface.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/message_box.h"

using namespace kelvane;

namespace {

// Runs inspect on the message box once it is showing, then presses key.
void WhenBoxShows(const std::function<void(QMessageBox&)>& inspect, Qt::Key key) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, inspect, key] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    timer->stop();
    timer->deleteLater();
    inspect(*box);
    QTest::keyClick(box, key);
  });
  timer->start(10);
}

}  // namespace

class QtUserInterfaceTest : public QObject {
  Q_OBJECT

 private slots:
  void LinesAreBrokenOnlyForDisplay() {
    QCOMPARE(DisplayText("First\rSecond\r"), QStringLiteral("First\nSecond\n"));
    QCOMPARE(DisplayText("a\nb"), QStringLiteral("a\nb"));
  }

  void QuestionWithNoAsDefault() {
    QWidget parent;
    const Message message{"Confirm Copyright Delete", "This will delete\rPlease confirm", MessageIcon::kQuestion,
                          MessageButtons::kYesNo, 1};
    bool inspected = false;
    WhenBoxShows(
        [&](QMessageBox& box) {
          inspected = true;
          QCOMPARE(box.windowTitle(), QStringLiteral("Confirm Copyright Delete"));
          QCOMPARE(box.text(), QStringLiteral("This will delete\nPlease confirm"));
          QCOMPARE(box.icon(), QMessageBox::Question);
          QCOMPARE(box.standardButtons(), QMessageBox::Yes | QMessageBox::No);
          QCOMPARE(box.defaultButton(), box.button(QMessageBox::No));
        },
        Qt::Key_Return);
    QCOMPARE(ShowMessageBox(&parent, message), MessageAnswer::kNo);
    QVERIFY(inspected);
  }

  void EscapeGivesCancel() {
    QWidget parent;
    WhenBoxShows([](QMessageBox& box) { QCOMPARE(box.icon(), QMessageBox::Warning); }, Qt::Key_Escape);
    QCOMPARE(
        ShowMessageBox(&parent, {"File 'Wipe'", "Confirm", MessageIcon::kExclamation, MessageButtons::kOkCancel, 1}),
        MessageAnswer::kCancel);
    WhenBoxShows([](QMessageBox&) {}, Qt::Key_Escape);
    QCOMPARE(ShowMessageBox(&parent, {"t", "x", MessageIcon::kQuestion, MessageButtons::kYesNoCancel, 0}),
             MessageAnswer::kCancel);
  }

  void OkBoxWithoutIcon() {
    QWidget parent;
    WhenBoxShows(
        [](QMessageBox& box) {
          QCOMPARE(box.icon(), QMessageBox::NoIcon);
          QCOMPARE(box.standardButtons(), QMessageBox::Ok);
        },
        Qt::Key_Return);
    QCOMPARE(ShowMessageBox(&parent, {"Completion Message", "All files processed successfully"}), MessageAnswer::kOk);
  }

  void PortDrivesTheWidgets() {
    QWidget window;
    QProgressBar progress;
    QLabel processed;
    QLabel total;
    RunState state;
    QtUserInterface ui(window, state, progress, processed, total);

    ui.SetProgress(55);
    QCOMPARE(progress.value(), 55);
    ui.SetProgress(140);
    QCOMPARE(progress.value(), 100);
    ui.SetStatus(1, "Files Processed: 3");
    ui.SetStatus(2, "Total Files: 12");
    QCOMPARE(processed.text(), QStringLiteral("Files Processed: 3"));
    QCOMPARE(total.text(), QStringLiteral("Total Files: 12"));

    QVERIFY(!ui.CancelRequested());
    state.CancelRequested = true;
    QVERIFY(ui.CancelRequested());

    // Busy: the hourglass, but the ordinary pointer while a box is up.
    ui.SetBusy(true);
    QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    Qt::CursorShape duringBox = Qt::WaitCursor;
    ui.SetMessagePresenter([&](const Message&) {
      duringBox = QGuiApplication::overrideCursor()->shape();
      return MessageAnswer::kOk;
    });
    QCOMPARE(ui.Show({"Error", "Folder not found", MessageIcon::kCritical}), MessageAnswer::kOk);
    QCOMPARE(duringBox, Qt::ArrowCursor);
    QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    ui.SetBusy(true);  // no second hourglass to undo
    ui.SetBusy(false);
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
  }
};

QTEST_MAIN(QtUserInterfaceTest)
#include "qt_user_interface_test.moc"
