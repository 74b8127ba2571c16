// SPDX-License-Identifier: GPL-2.0-or-later
// The help window: the program's HTML help pages in a browser with
// Contents, Index, Back and Forward. It stays open beside the other
// windows until closed. The pages carry no colours of their own: headings
// and links take theirs from the palette, so they read in light and dark
// themes.
#pragma once

#include <QPalette>
#include <QWidget>
#include <string>

#include "app/help_pages.h"

class QTextBrowser;

namespace kelvane {

// The style sheet that colours the pages' headings and links from palette.
QString HelpStyleSheet(const QPalette& palette);

class HelpWindow : public QWidget {
  Q_OBJECT

 public:
  // helpFolder holds the pages and ends with "/".
  explicit HelpWindow(std::string helpFolder, QWidget* parent = nullptr);

  // Shows the page (a topic's, the contents or the index) and brings the
  // window to the front.
  void ShowPage(HelpPage page, int topic);

  // The file shown, empty when none is.
  QString CurrentFile() const;

 protected:
  void changeEvent(QEvent* event) override;

 private:
  void Open(const char* file);
  void ApplyPalette();

  std::string folder_;
  QTextBrowser* browser_;
};

}  // namespace kelvane
