// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/function_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <cmath>

#include "app/palette_colours.h"

namespace kelvane {

namespace {

// Every icon is drawn on a 32-unit square.
constexpr double kUnit = 32.0;

// The accent and the photo's colours are mid tones that read on a light
// and on a dark base; lines and paper come from the palette.
const QColor kAccent(215, 130, 35);
const QColor kSky(150, 190, 225);
const QColor kHill(90, 150, 90);

struct Colours {
  QColor ink;
  QColor paper;
};

void Page(QPainter& p, const Colours& c) {
  QPolygonF page;
  page << QPointF(7, 3) << QPointF(20, 3) << QPointF(26, 9) << QPointF(26, 29) << QPointF(7, 29);
  p.setBrush(c.paper);
  p.drawPolygon(page);
  p.drawLine(QPointF(20, 3), QPointF(20, 9));
  p.drawLine(QPointF(20, 9), QPointF(26, 9));
}

void Clock(QPainter& p, const Colours& c, QPointF centre, double radius) {
  p.setBrush(c.paper);
  p.drawEllipse(centre, radius, radius);
  p.drawLine(centre, centre + QPointF(0, -radius * 0.7));
  p.drawLine(centre, centre + QPointF(radius * 0.55, 0));
}

void Photo(QPainter& p) {
  p.setBrush(kSky);
  p.drawRect(QRectF(3, 7, 26, 20));
  p.setBrush(kHill);
  QPolygonF hill;
  hill << QPointF(3, 27) << QPointF(12, 16) << QPointF(19, 23) << QPointF(23, 19) << QPointF(29, 27);
  p.drawPolygon(hill);
}

void Lines(QPainter& p, double left, double right, double top, int count) {
  for (int i = 0; i < count; ++i) p.drawLine(QPointF(left, top + i * 4), QPointF(right, top + i * 4));
}

void DrawFileTime(QPainter& p, const Colours& c) {
  Page(p, c);
  p.setPen(QPen(kAccent, 1.6));
  Clock(p, c, QPointF(16.5, 19), 6.5);
}

void DrawPhotoTime(QPainter& p, const Colours& c) {
  Photo(p);
  p.setPen(QPen(kAccent, 1.6));
  Clock(p, c, QPointF(22, 12), 6);
}

void DrawPrefix(QPainter& p, const Colours& c) {
  Page(p, c);
  QFont font = p.font();
  font.setPixelSize(9);
  font.setBold(true);
  p.setFont(font);
  p.setPen(kAccent);
  p.drawText(QRectF(7, 10, 19, 10), Qt::AlignCenter, QStringLiteral("01_"));
  p.setPen(c.ink);
  Lines(p, 10, 23, 23, 2);
}

void DrawRestore(QPainter& p, const Colours&) {
  Photo(p);
  p.setPen(QPen(kAccent, 2.4));
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(9, 9, 14, 14), 60 * 16, 280 * 16);
  p.setBrush(kAccent);
  QPolygonF head;
  head << QPointF(20, 6) << QPointF(24, 11) << QPointF(18, 12);
  p.drawPolygon(head);
}

void DrawCreate(QPainter& p, const Colours& c) {
  Page(p, c);
  p.setPen(QPen(kAccent, 3));
  p.drawLine(QPointF(16.5, 13), QPointF(16.5, 25));
  p.drawLine(QPointF(10.5, 19), QPointF(22.5, 19));
}

void DrawCopyright(QPainter& p, const Colours& c) {
  p.setPen(QPen(c.ink, 2.2));
  p.setBrush(c.paper);
  p.drawEllipse(QPointF(16, 16), 12, 12);
  p.setPen(QPen(kAccent, 2.6));
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(10, 10, 12, 12), 40 * 16, 280 * 16);
}

void DrawDescription(QPainter& p, const Colours& c) {
  p.setBrush(c.paper);
  p.drawRoundedRect(QRectF(3, 5, 26, 18), 3, 3);
  QPolygonF tail;
  tail << QPointF(9, 23) << QPointF(8, 29) << QPointF(15, 23);
  p.drawPolygon(tail);
  p.setPen(QPen(kAccent, 1.6));
  Lines(p, 7, 25, 10, 3);
}

void DrawExport(QPainter& p, const Colours& c) {
  p.setBrush(c.paper);
  p.drawRect(QRectF(3, 4, 20, 22));
  for (int i = 1; i < 4; ++i) p.drawLine(QPointF(3, 4 + i * 5.5), QPointF(23, 4 + i * 5.5));
  p.drawLine(QPointF(10, 4), QPointF(10, 26));
  p.setPen(QPen(kAccent, 2.4));
  p.drawLine(QPointF(16, 22), QPointF(28, 22));
  p.setBrush(kAccent);
  QPolygonF head;
  head << QPointF(30, 22) << QPointF(25, 18) << QPointF(25, 26);
  p.drawPolygon(head);
}

void DrawWipe(QPainter& p, const Colours& c) {
  p.setBrush(c.paper);
  QPolygonF can;
  can << QPointF(8, 9) << QPointF(24, 9) << QPointF(22, 29) << QPointF(10, 29);
  p.drawPolygon(can);
  p.drawRect(QRectF(6, 6, 20, 3));
  p.drawRect(QRectF(13, 3, 6, 3));
  Lines(p, 12, 12, 12, 1);
  for (const double x : {12.5, 16.0, 19.5}) p.drawLine(QPointF(x, 12), QPointF(x, 26));
}

}  // namespace

QPixmap FunctionIcon(int index, int size, const QPalette& palette, qreal devicePixelRatio) {
  const int pixels = static_cast<int>(std::lround(size * devicePixelRatio));
  QPixmap pixmap(pixels, pixels);
  pixmap.setDevicePixelRatio(devicePixelRatio);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(size / kUnit, size / kUnit);
  // Paper a shade off the base, towards the text, so that a page stands out
  // from the column behind it.
  const Colours colours{palette.color(QPalette::Text),
                        BlendColours(palette.color(QPalette::Base), palette.color(QPalette::Text), 0.08F)};
  painter.setPen(QPen(colours.ink, 1.4));
  using Draw = void (*)(QPainter&, const Colours&);
  static constexpr Draw kDraw[] = {DrawFileTime,  DrawPhotoTime,   DrawPrefix, DrawRestore, DrawCreate,
                                   DrawCopyright, DrawDescription, DrawExport, DrawWipe};
  if (index >= 0 && index < static_cast<int>(std::size(kDraw))) kDraw[index](painter, colours);
  return pixmap;
}

}  // namespace kelvane
