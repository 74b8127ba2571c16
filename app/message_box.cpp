// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/message_box.h"

#include <QMessageBox>
#include <QPushButton>
#include <vector>

namespace kelvane {

namespace {

QMessageBox::Icon IconOf(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::kNone:
      return QMessageBox::NoIcon;
    case MessageIcon::kInformation:
      return QMessageBox::Information;
    case MessageIcon::kExclamation:
      return QMessageBox::Warning;
    case MessageIcon::kCritical:
      return QMessageBox::Critical;
    case MessageIcon::kQuestion:
      return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

struct ButtonChoice {
  QMessageBox::StandardButton button;
  MessageAnswer answer;
};

std::vector<ButtonChoice> ButtonsOf(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::kOk:
      return {{QMessageBox::Ok, MessageAnswer::kOk}};
    case MessageButtons::kOkCancel:
      return {{QMessageBox::Ok, MessageAnswer::kOk}, {QMessageBox::Cancel, MessageAnswer::kCancel}};
    case MessageButtons::kYesNo:
      return {{QMessageBox::Yes, MessageAnswer::kYes}, {QMessageBox::No, MessageAnswer::kNo}};
    case MessageButtons::kYesNoCancel:
      return {{QMessageBox::Yes, MessageAnswer::kYes},
              {QMessageBox::No, MessageAnswer::kNo},
              {QMessageBox::Cancel, MessageAnswer::kCancel}};
  }
  return {{QMessageBox::Ok, MessageAnswer::kOk}};
}

}  // namespace

QString DisplayText(const std::string& text) {
  QString shown = QString::fromStdString(text);
  shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return shown;
}

MessageAnswer ShowMessageBox(QWidget* parent, const Message& message) {
  QMessageBox box(IconOf(message.icon), QString::fromStdString(message.title), DisplayText(message.text),
                  QMessageBox::NoButton, parent);
  const std::vector<ButtonChoice> choices = ButtonsOf(message.buttons);
  QMessageBox::StandardButtons buttons;
  for (const ButtonChoice& choice : choices) buttons |= choice.button;
  box.setStandardButtons(buttons);
  const size_t defaultIndex = message.defaultButton >= 0 && static_cast<size_t>(message.defaultButton) < choices.size()
                                  ? static_cast<size_t>(message.defaultButton)
                                  : 0;
  box.setDefaultButton(choices[defaultIndex].button);
  box.setEscapeButton(choices.size() == 1 ? choices.front().button : choices.back().button);

  const auto pressed = static_cast<QMessageBox::StandardButton>(box.exec());
  for (const ButtonChoice& choice : choices) {
    if (choice.button == pressed) return choice.answer;
  }
  // Closed without a button: the escape button's answer.
  return choices.size() == 1 ? choices.front().answer : choices.back().answer;
}

}  // namespace kelvane
