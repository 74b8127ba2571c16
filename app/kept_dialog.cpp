// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/kept_dialog.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QShortcut>

#include "app/window_position.h"

namespace kelvane {

namespace {

constexpr const char* kFormsSection = "FORMS";

}  // namespace

KeptDialog::KeptDialog(SettingsStore& store, const char* leftKey, const char* topKey, QWidget* parent)
    : QDialog(parent), store_(store), leftKey_(leftKey), topKey_(topKey) {
  // Modal over the main window only, so that a help window opened from the
  // dialog can still be used.
  setWindowModality(Qt::WindowModal);
}

void KeptDialog::ShowModal() {
  if (!placed_) Place();
  exec();
}

void KeptDialog::Place() {
  placed_ = true;
  adjustSize();
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->geometry();
  const WindowPosition position =
      PlaceWindow(store_.ReadSetting(kFormsSection, leftKey_), store_.ReadSetting(kFormsSection, topKey_),
                  area.width() * kTwipsPerPixel, area.height() * kTwipsPerPixel, width() * kTwipsPerPixel,
                  height() * kTwipsPerPixel);
  move(position.left / kTwipsPerPixel, position.top / kTwipsPerPixel);
}

void KeptDialog::SavePosition() {
  if (!placed_) return;
  store_.WriteSetting(kFormsSection, leftKey_, std::to_string(pos().x() * kTwipsPerPixel));
  store_.WriteSetting(kFormsSection, topKey_, std::to_string(pos().y() * kTwipsPerPixel));
}

void KeptDialog::SetHelpKey(std::function<void()> openHelp) {
  auto* shortcut = new QShortcut(QKeySequence(Qt::Key_F1), this);
  connect(shortcut, &QShortcut::activated, this, std::move(openHelp));
}

void KeptDialog::closeEvent(QCloseEvent* event) {
  SavePosition();
  QDialog::closeEvent(event);
}

}  // namespace kelvane
