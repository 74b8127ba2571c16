// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/qt_user_interface.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <QProgressBar>
#include <algorithm>

#include "app/message_box.h"

namespace kelvane {

QtUserInterface::QtUserInterface(QWidget& window, RunState& state, QProgressBar& progress, QLabel& processedPanel,
                                 QLabel& totalPanel)
    : window_(window), state_(state), progress_(progress), processedPanel_(processedPanel), totalPanel_(totalPanel) {}

QtUserInterface::~QtUserInterface() {
  if (busy_) QGuiApplication::restoreOverrideCursor();
}

MessageAnswer QtUserInterface::Show(const Message& message) {
  if (busy_) QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
  const MessageAnswer answer = presenter_ ? presenter_(message) : ShowMessageBox(&window_, message);
  if (busy_) QGuiApplication::restoreOverrideCursor();
  return answer;
}

void QtUserInterface::Cue(SoundCue cue) {
  if (cuePlayer_) {
    cuePlayer_(cue);
    return;
  }
  QApplication::beep();
  if (cue == SoundCue::Error) QApplication::beep();
}

void QtUserInterface::SetBusy(bool busy) {
  if (busy == busy_) return;
  busy_ = busy;
  if (busy) {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QGuiApplication::restoreOverrideCursor();
  }
}

void QtUserInterface::SetProgress(int value) { progress_.setValue(std::clamp(value, 0, 100)); }

void QtUserInterface::SetStatus(int panel, const std::string& text) {
  (panel == 2 ? totalPanel_ : processedPanel_).setText(QString::fromStdString(text));
}

void QtUserInterface::Notice(const std::string& text) {
  constexpr int kShownMilliseconds = 15000;
  if (auto* mainWindow = qobject_cast<QMainWindow*>(&window_)) {
    mainWindow->statusBar()->showMessage(QString::fromStdString(text), kShownMilliseconds);
  }
}

void QtUserInterface::PumpEvents() { QCoreApplication::processEvents(); }

void QtUserInterface::SetRunEnabled(bool enabled) {
  if (commands_.setRunEnabled) commands_.setRunEnabled(enabled);
}

void QtUserInterface::SetCancelEnabled(bool enabled) {
  if (commands_.setCancelEnabled) commands_.setCancelEnabled(enabled);
}

void QtUserInterface::ArrangeForFunction() {
  if (commands_.arrange) commands_.arrange();
}

}  // namespace kelvane
