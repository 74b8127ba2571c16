// SPDX-License-Identifier: GPL-2.0-or-later
// The windows the main window opens besides itself: the Options dialog, the
// start message, About, the date/time calculator and the help window. Each
// dialog is made on first use and kept until CloseAll.
#pragma once

#include <QPointer>
#include <memory>
#include <string>

#include "app/dialog_services.h"
#include "app/session.h"
#include "app/shell_dialogs.h"

namespace kelvane {

class AboutWindow;
class CalculatorDialog;
class HelpWindow;
class OptionsDialog;
class StartMessageWindow;

class KelvaneDialogs : public ShellDialogs {
 public:
  // helpFolder holds the help pages and ends with "/".
  KelvaneDialogs(Session& session, std::string helpFolder);
  ~KelvaneDialogs() override;
  KelvaneDialogs(const KelvaneDialogs&) = delete;
  KelvaneDialogs& operator=(const KelvaneDialogs&) = delete;

  // The message boxes and cues the dialogs use; the program sets the cue
  // player, tests script both.
  DialogServices& Services() { return services_; }

  void ShowOptions(QWidget& parent) override;
  void ShowStartMessage(QWidget& parent) override;
  void ShowAbout(QWidget& parent) override;
  // parent is the main window: the calculator pastes into its adjustment
  // panel.
  void ShowCalculator(QWidget& parent) override;
  void ShowHelpTopic(QWidget& parent, int topic) override;
  void ShowHelpContents(QWidget& parent) override;
  void ShowHelpIndex(QWidget& parent) override;
  // Writes the dialogs' positions and closes them and the help window.
  void CloseAll() override;

  // The help window, once opened.
  HelpWindow* Help() const { return help_.get(); }

 private:
  void OpenHelp(HelpPage page, int topic);

  Session& session_;
  std::string helpFolder_;
  DialogServices services_;
  // The dialogs belong to the main window (their parent) and go with it.
  QPointer<OptionsDialog> options_;
  QPointer<StartMessageWindow> startMessage_;
  QPointer<AboutWindow> about_;
  QPointer<CalculatorDialog> calculator_;
  // The help window stands on its own, so that it stays usable while a
  // dialog is open.
  std::unique_ptr<HelpWindow> help_;
};

}  // namespace kelvane
