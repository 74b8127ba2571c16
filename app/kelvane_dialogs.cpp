// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/kelvane_dialogs.h"

#include "app/about_window.h"
#include "app/adjustment_panel.h"
#include "app/calculator_dialog.h"
#include "app/help_window.h"
#include "app/options_dialog.h"
#include "app/start_message.h"

namespace kelvane {

KelvaneDialogs::KelvaneDialogs(Session& session, std::string helpFolder)
    : session_(session), helpFolder_(std::move(helpFolder)), services_(DefaultDialogServices()) {
  services_.help = [this](QWidget&, HelpPage page, int topic) { OpenHelp(page, topic); };
}

KelvaneDialogs::~KelvaneDialogs() {
  delete options_;
  delete startMessage_;
  delete about_;
  delete calculator_;
}

void KelvaneDialogs::ShowOptions(QWidget& parent) {
  if (!options_) options_ = new OptionsDialog(session_, services_, &parent);
  options_->Open();
}

void KelvaneDialogs::ShowStartMessage(QWidget& parent) {
  if (!startMessage_) startMessage_ = new StartMessageWindow(session_, services_, &parent);
  startMessage_->Open();
}

void KelvaneDialogs::ShowAbout(QWidget& parent) {
  if (!about_) about_ = new AboutWindow(session_, services_, &parent);
  about_->ShowModal();
}

void KelvaneDialogs::ShowCalculator(QWidget& parent) {
  if (!calculator_) {
    auto* panel = parent.findChild<AdjustmentPanel*>();
    if (panel == nullptr) return;
    calculator_ = new CalculatorDialog(session_, services_, *panel, &parent);
  }
  calculator_->Open();
}

void KelvaneDialogs::ShowHelpTopic(QWidget&, int topic) { OpenHelp(HelpPage::kTopic, topic); }
void KelvaneDialogs::ShowHelpContents(QWidget&) { OpenHelp(HelpPage::kContents, 0); }
void KelvaneDialogs::ShowHelpIndex(QWidget&) { OpenHelp(HelpPage::kIndex, 0); }

void KelvaneDialogs::OpenHelp(HelpPage page, int topic) {
  if (!help_) help_ = std::make_unique<HelpWindow>(helpFolder_);
  help_->ShowPage(page, topic);
}

void KelvaneDialogs::CloseAll() {
  KeptDialog* const dialogs[] = {options_, startMessage_, about_, calculator_};
  for (KeptDialog* dialog : dialogs) {
    if (dialog == nullptr) continue;
    dialog->SavePosition();
    delete dialog;
  }
  help_.reset();
}

}  // namespace kelvane
