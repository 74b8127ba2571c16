// SPDX-License-Identifier: GPL-2.0-or-later
// The function column's icons, drawn rather than loaded so that the
// program needs no image files.
#pragma once

#include <QPixmap>

namespace kelvane {

// The icon of function index 0..8, size pixels square.
QPixmap FunctionIcon(int index, int size);

}  // namespace kelvane
