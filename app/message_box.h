// SPDX-License-Identifier: GPL-2.0-or-later
// Message boxes of the user-interface port shown with QMessageBox.
#pragma once

#include <QString>
#include <string>

#include "engine/user_interface.h"

class QWidget;

namespace kelvane {

// The message text as shown: the lone carriage returns that separate its
// lines become line breaks.
QString DisplayText(const std::string& text);

// Shows a modal box with the message's title, text, icon, buttons and
// default button; Escape gives Cancel (or No when there is no Cancel).
MessageAnswer ShowMessageBox(QWidget* parent, const Message& message);

}  // namespace kelvane
