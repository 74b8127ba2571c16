// SPDX-License-Identifier: GPL-2.0-or-later
// Colours worked out from the palette, and a dark palette for looking at
// the windows in a dark theme (screenshots, tests).
#pragma once

#include <QColor>
#include <QPalette>

namespace kelvane {

// The colour a share (0..1) of the way from one colour to another.
QColor BlendColours(const QColor& from, const QColor& to, float share);

// A dark palette for the Fusion style: light text on dark grey, links and
// highlight in a light blue.
QPalette DarkPalette();

}  // namespace kelvane
