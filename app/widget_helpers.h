// SPDX-License-Identifier: GPL-2.0-or-later
// Small helpers for building the window's controls under their control
// names (the object names the tests look them up by).
#pragma once

class QButtonGroup;
class QRadioButton;
class QWidget;

namespace kelvane {

// An option button named name + index, added to group under index.
QRadioButton* NewOption(QButtonGroup* group, const char* name, int index, const char* caption, const char* tooltip,
                        QWidget* parent);

// Names a widget and gives it a tooltip (when not null); returns it.
template <typename Widget>
Widget* Named(Widget* widget, const char* name, const char* tooltip = nullptr);

}  // namespace kelvane

#include <QString>
#include <QWidget>

template <typename Widget>
Widget* kelvane::Named(Widget* widget, const char* name, const char* tooltip) {
  widget->setObjectName(QString::fromUtf8(name));
  if (tooltip != nullptr) widget->setToolTip(QString::fromUtf8(tooltip));
  return widget;
}
