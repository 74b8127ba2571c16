// SPDX-License-Identifier: GPL-2.0-or-later
// The function column: an icon and a label per function, the selected one
// framed. A press anywhere on a row chooses that row's function.
#pragma once

#include <QWidget>

namespace kelvane {

class FunctionColumn : public QWidget {
  Q_OBJECT

 public:
  // Each row is 800 twips high.
  static constexpr int kRowHeight = 53;

  explicit FunctionColumn(QWidget* parent = nullptr);

  int Selected() const { return selected_; }
  // Moves the highlight; emits nothing.
  void SetSelected(int index);
  // The row at a height in the column, at most the last.
  static int RowAt(int y);

  QSize sizeHint() const override;

 signals:
  void functionChosen(int index);

 protected:
  bool event(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  int selected_ = 0;
};

}  // namespace kelvane
