// SPDX-License-Identifier: GPL-2.0-or-later
// Where a window opens, from its stored position and the screen's size.
#pragma once

#include <string_view>

namespace kelvane {

struct WindowPosition {
  int left = 0;
  int top = 0;
};

// All sizes in twips. A stored coordinate is used when it is at least 1 and
// leaves at least a tenth of the window on the screen; otherwise the window
// is centred on that axis (at 1 at the least). storedLeft/storedTop are the
// texts read from the settings file.
WindowPosition PlaceWindow(std::string_view storedLeft, std::string_view storedTop, int screenWidth, int screenHeight,
                           int windowWidth, int windowHeight);

}  // namespace kelvane
