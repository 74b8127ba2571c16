// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/widget_helpers.h"

#include <QButtonGroup>
#include <QRadioButton>

namespace kelvane {

QRadioButton* NewOption(QButtonGroup* group, const char* name, int index, const char* caption, const char* tooltip,
                        QWidget* parent) {
  auto* option = new QRadioButton(QString::fromUtf8(caption), parent);
  option->setObjectName(QString::fromUtf8(name) + QString::number(index));
  if (tooltip != nullptr) option->setToolTip(QString::fromUtf8(tooltip));
  group->addButton(option, index);
  return option;
}

}  // namespace kelvane
