// SPDX-License-Identifier: GPL-2.0-or-later
#include "scripted_ui.h"

namespace kelvane::test {
namespace {

MessageAnswer DefaultAnswer(const Message& message) {
  switch (message.buttons) {
    case MessageButtons::kOk:
      return MessageAnswer::kOk;
    case MessageButtons::kOkCancel:
      return message.defaultButton == 1 ? MessageAnswer::kCancel : MessageAnswer::kOk;
    case MessageButtons::kYesNo:
      return message.defaultButton == 1 ? MessageAnswer::kNo : MessageAnswer::kYes;
    case MessageButtons::kYesNoCancel:
      return message.defaultButton == 2   ? MessageAnswer::kCancel
             : message.defaultButton == 1 ? MessageAnswer::kNo
                                          : MessageAnswer::kYes;
  }
  return MessageAnswer::kOk;
}

}  // namespace

MessageAnswer ScriptedUi::Show(const Message& message) {
  shown.push_back(message);
  if (answers.empty()) return DefaultAnswer(message);
  const MessageAnswer answer = answers.front();
  answers.pop_front();
  return answer;
}

}  // namespace kelvane::test
