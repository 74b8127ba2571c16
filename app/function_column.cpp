// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/function_column.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>

#include "app/function_icons.h"
#include "app/function_table.h"

namespace kelvane {

namespace {

constexpr int kWidth = 96;
constexpr int kIconSize = 30;

}  // namespace

FunctionColumn::FunctionColumn(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("FuncSelFmeLbl"));
  // Taking the focus on a click ends any text field's editing first.
  setFocusPolicy(Qt::ClickFocus);
  setFixedSize(sizeHint());
}

QSize FunctionColumn::sizeHint() const { return {kWidth, kRowHeight * kFunctionCount}; }

void FunctionColumn::SetSelected(int index) {
  selected_ = std::clamp(index, 0, kFunctionCount - 1);
  update();
}

int FunctionColumn::RowAt(int y) { return std::clamp(y / kRowHeight, 0, kFunctionCount - 1); }

bool FunctionColumn::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    QToolTip::showText(help->globalPos(), QString::fromUtf8(TextsOfFunction(RowAt(help->pos().y())).tooltip), this);
    return true;
  }
  return QWidget::event(event);
}

void FunctionColumn::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) emit functionChosen(RowAt(static_cast<int>(event->position().y())));
  QWidget::mousePressEvent(event);
}

void FunctionColumn::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Base));
  for (int i = 0; i < kFunctionCount; ++i) {
    const QRect row(0, i * kRowHeight, width(), kRowHeight);
    painter.drawPixmap(row.center().x() - kIconSize / 2, row.top() + 3,
                       FunctionIcon(i, kIconSize, palette(), devicePixelRatioF()));
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(row.adjusted(0, kIconSize + 4, 0, 0), Qt::AlignHCenter | Qt::AlignTop,
                     QString::fromUtf8(TextsOfFunction(i).label));
  }
  // The highlight of the selected function.
  painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
  painter.setBrush(Qt::NoBrush);
  painter.drawRoundedRect(QRect(2, selected_ * kRowHeight + 1, width() - 4, kRowHeight - 2), 4, 4);
}

}  // namespace kelvane
