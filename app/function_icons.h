// SPDX-License-Identifier: GPL-2.0-or-later
// The function column's icons, drawn rather than loaded so that the
// program needs no image files, and so that they follow the palette: lines
// in the palette's text colour over its base colour read in light and dark
// themes alike.
#pragma once

#include <QPalette>
#include <QPixmap>

namespace kelvane {

// The icon of function index 0..8, size logical pixels square, drawn at the
// screen's device pixel ratio.
QPixmap FunctionIcon(int index, int size, const QPalette& palette, qreal devicePixelRatio);

}  // namespace kelvane
