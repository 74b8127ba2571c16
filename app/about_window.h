// SPDX-License-Identifier: GPL-2.0-or-later
// The About window: the program version, the operating platform and the
// tag library release.
#pragma once

#include "app/dialog_services.h"
#include "app/kept_dialog.h"
#include "app/session.h"

namespace kelvane {

class AboutWindow : public KeptDialog {
  Q_OBJECT

 public:
  static constexpr int kHelpTopic = 2;

  AboutWindow(Session& session, DialogServices& services, QWidget* parent);
};

// "Operating platform " and the name of the running operating system.
QString PlatformLabelText();

}  // namespace kelvane
