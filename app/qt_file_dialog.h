// SPDX-License-Identifier: GPL-2.0-or-later
// The file dialog behind Browse: Qt's folder picker for folders, its file
// dialog (always an Open dialog) for files.
#pragma once

#include "app/folder_browse.h"

class QWidget;

namespace kelvane {

FileDialog QtFileDialog(QWidget* parent);

}  // namespace kelvane
