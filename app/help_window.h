// SPDX-License-Identifier: GPL-2.0-or-later
// The help window: the program's HTML help pages in a browser with
// Contents, Index, Back and Forward. It stays open beside the other
// windows until closed.
#pragma once

#include <QWidget>
#include <string>

#include "app/help_pages.h"

class QTextBrowser;

namespace kelvane {

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

 private:
  void Open(const char* file);

  std::string folder_;
  QTextBrowser* browser_;
};

}  // namespace kelvane
