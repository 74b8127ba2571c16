// SPDX-License-Identifier: GPL-2.0-or-later
#include "window_position.h"

#include <cstdint>

#include "engine/utility_functions.h"

namespace kelvane {

namespace {

int PlaceOnAxis(std::string_view stored, int screen, int window) {
  const int64_t position = LeadingNumber(stored);
  // position > screen - window / 10, kept in whole numbers.
  if (position >= 1 && position <= screen && position * 10 <= int64_t{screen} * 10 - window)
    return static_cast<int>(position);
  const int64_t centred = (int64_t{screen} - window) / 2;
  return centred < 1 ? 1 : static_cast<int>(centred);
}

}  // namespace

WindowPosition PlaceWindow(std::string_view storedLeft, std::string_view storedTop, int screenWidth, int screenHeight,
                           int windowWidth, int windowHeight) {
  return {PlaceOnAxis(storedLeft, screenWidth, windowWidth), PlaceOnAxis(storedTop, screenHeight, windowHeight)};
}

}  // namespace kelvane
