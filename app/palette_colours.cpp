// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/palette_colours.h"

namespace kelvane {

QColor BlendColours(const QColor& from, const QColor& to, float share) {
  return QColor::fromRgbF(from.redF() + (to.redF() - from.redF()) * share,
                          from.greenF() + (to.greenF() - from.greenF()) * share,
                          from.blueF() + (to.blueF() - from.blueF()) * share);
}

QPalette DarkPalette() {
  const QColor window(53, 53, 53);
  const QColor base(36, 36, 36);
  const QColor text(228, 228, 228);
  const QColor disabled(127, 127, 127);
  QPalette palette(window);
  palette.setColor(QPalette::Window, window);
  palette.setColor(QPalette::WindowText, text);
  palette.setColor(QPalette::Base, base);
  palette.setColor(QPalette::AlternateBase, QColor(66, 66, 66));
  palette.setColor(QPalette::ToolTipBase, window);
  palette.setColor(QPalette::ToolTipText, text);
  palette.setColor(QPalette::PlaceholderText, disabled);
  palette.setColor(QPalette::Text, text);
  palette.setColor(QPalette::Button, window);
  palette.setColor(QPalette::ButtonText, text);
  palette.setColor(QPalette::BrightText, QColor(255, 90, 90));
  palette.setColor(QPalette::Link, QColor(110, 175, 240));
  palette.setColor(QPalette::LinkVisited, QColor(170, 140, 230));
  palette.setColor(QPalette::Highlight, QColor(42, 130, 218));
  palette.setColor(QPalette::HighlightedText, Qt::white);
  for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
    palette.setColor(QPalette::Disabled, role, disabled);
  }
  return palette;
}

}  // namespace kelvane
