// SPDX-License-Identifier: GPL-2.0-or-later
// The windows the main window opens besides itself: options, the start
// message, help, about and the date/time calculator. The main window shows
// their menu entries and buttons only when it is given an implementation.
#pragma once

class QWidget;

namespace kelvane {

class ShellDialogs {
 public:
  virtual ~ShellDialogs() = default;

  // Each is modal over parent (the main window) and returns when closed.
  virtual void ShowOptions(QWidget& parent) = 0;
  virtual void ShowStartMessage(QWidget& parent) = 0;
  virtual void ShowAbout(QWidget& parent) = 0;
  // The calculator pastes its results into the main window's adjustment
  // fields (KelvaneMain::Adjustment()).
  virtual void ShowCalculator(QWidget& parent) = 0;

  // Help at a topic number, its contents page and its index page.
  virtual void ShowHelpTopic(QWidget& parent, int topic) = 0;
  virtual void ShowHelpContents(QWidget& parent) = 0;
  virtual void ShowHelpIndex(QWidget& parent) = 0;

  // Closes every window it opened; the main window calls it when it closes.
  virtual void CloseAll() = 0;
};

}  // namespace kelvane
