// SPDX-License-Identifier: GPL-2.0-or-later
// The function icons and the help pages read in a light and in a dark
// palette: their lines, headings and links keep a contrast with the base
// colour behind them. Icons are drawn at the device pixel ratio.
#include <QApplication>
#include <QStyle>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <algorithm>
#include <cmath>

#include "app/function_icons.h"
#include "app/function_table.h"
#include "app/help_window.h"
#include "app/palette_colours.h"

using namespace kelvane;

namespace {

// WCAG relative luminance and contrast ratio.
double Luminance(const QColor& colour) {
  const auto channel = [](float c) { return c <= 0.03928F ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
  return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) + 0.0722 * channel(colour.blueF());
}

double Contrast(const QColor& a, const QColor& b) {
  const double la = Luminance(a);
  const double lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The highest contrast of any opaque pixel of the icon against base.
double StrongestLine(const QImage& icon, const QColor& base) {
  double strongest = 1;
  for (int y = 0; y < icon.height(); ++y) {
    for (int x = 0; x < icon.width(); ++x) {
      const QColor pixel = icon.pixelColor(x, y);
      if (pixel.alpha() == 255) strongest = std::max(strongest, Contrast(pixel, base));
    }
  }
  return strongest;
}

}  // namespace

class PaletteTest : public QObject {
  Q_OBJECT

 private slots:
  void ReadableInLightAndDark_data() {
    QTest::addColumn<QPalette>("palette");
    QTest::newRow("light") << QApplication::style()->standardPalette();
    QTest::newRow("dark") << DarkPalette();
  }

  void ReadableInLightAndDark() {
    QFETCH(QPalette, palette);
    const QColor base = palette.color(QPalette::Base);
    for (int i = 0; i < kFunctionCount; ++i) {
      const QPixmap icon = FunctionIcon(i, 30, palette, 2.0);
      QCOMPARE(icon.size(), QSize(60, 60));
      QCOMPARE(icon.devicePixelRatio(), 2.0);
      QVERIFY2(StrongestLine(icon.toImage(), base) >= 4.5, TextsOfFunction(i).label);
    }

    QApplication::setPalette(palette);
    HelpWindow help(KELVANE_RESOURCES "help/");
    help.ShowPage(HelpPage::kContents, 0);
    const auto* browser = help.findChild<QTextBrowser*>(QStringLiteral("HelpBrowser"));
    const QTextDocument* page = browser->document();
    bool sawHeading = false;
    bool sawLink = false;
    for (QTextBlock block = page->begin(); block.isValid(); block = block.next()) {
      for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
        const QTextCharFormat format = fragment.fragment().charFormat();
        const bool heading = block.blockFormat().headingLevel() > 0;
        if (!heading && !format.isAnchor()) continue;
        const QColor colour = format.foreground().color();
        QVERIFY2(Contrast(colour, base) >= 4.5, qPrintable(fragment.fragment().text()));
        (heading ? sawHeading : sawLink) = true;
      }
    }
    QVERIFY(sawHeading && sawLink);
  }
};

QTEST_MAIN(PaletteTest)
#include "palette_test.moc"
