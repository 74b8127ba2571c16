// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/dialog_services.h"

#include "app/cue_sounds.h"
#include "app/message_box.h"

namespace kelvane {

DialogServices DefaultDialogServices() {
  DialogServices services;
  services.show = [](QWidget& parent, const Message& message) { return ShowMessageBox(&parent, message); };
  services.cue = &BeepFor;
  return services;
}

}  // namespace kelvane
