// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/help_window.h"

#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "app/palette_colours.h"
#include "app/widget_helpers.h"
#include "engine/utility_functions.h"

namespace kelvane {

QString HelpStyleSheet(const QPalette& palette) {
  // Headings in the text colour tinted with the highlight, which keeps
  // them close to the text's contrast on either base.
  const QColor text = palette.color(QPalette::Text);
  const QColor heading = BlendColours(text, palette.color(QPalette::Highlight), 0.35F);
  return QStringLiteral("h1, h2 { color: %1; } a { color: %2; }")
      .arg(heading.name(), palette.color(QPalette::Link).name());
}

HelpWindow::HelpWindow(std::string helpFolder, QWidget* parent)
    : QWidget(parent, Qt::Window), folder_(std::move(helpFolder)) {
  setObjectName(QStringLiteral("KelvaneHelp"));
  setWindowTitle(QStringLiteral("Kelvane Help"));

  browser_ = Named(new QTextBrowser(this), "HelpBrowser");
  browser_->setOpenExternalLinks(true);
  auto* contents = Named(new QPushButton(QStringLiteral("&Contents"), this), "ContentsBtn");
  auto* index = Named(new QPushButton(QStringLiteral("&Index"), this), "IndexBtn");
  auto* back = Named(new QPushButton(QStringLiteral("&Back"), this), "BackBtn");
  auto* forward = Named(new QPushButton(QStringLiteral("&Forward"), this), "ForwardBtn");
  back->setEnabled(false);
  forward->setEnabled(false);
  connect(contents, &QPushButton::clicked, this, [this] { Open(kHelpContentsFile); });
  connect(index, &QPushButton::clicked, this, [this] { Open(kHelpIndexFile); });
  connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
  connect(forward, &QPushButton::clicked, browser_, &QTextBrowser::forward);
  connect(browser_, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
  connect(browser_, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
  connect(browser_, &QTextBrowser::sourceChanged, this, [this] {
    const QString title = browser_->documentTitle();
    setWindowTitle(title.isEmpty() ? QStringLiteral("Kelvane Help") : QStringLiteral("Kelvane Help - ") + title);
  });

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(contents);
  buttons->addWidget(index);
  buttons->addWidget(back);
  buttons->addWidget(forward);
  buttons->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(buttons);
  layout->addWidget(browser_, 1);
  resize(680, 600);
  ApplyPalette();
}

void HelpWindow::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::PaletteChange) ApplyPalette();
}

void HelpWindow::ApplyPalette() {
  browser_->document()->setDefaultStyleSheet(HelpStyleSheet(browser_->palette()));
  if (!browser_->source().isEmpty()) browser_->reload();
}

void HelpWindow::ShowPage(HelpPage page, int topic) {
  Open(HelpPageFile(page, topic));
  show();
  raise();
  activateWindow();
}

void HelpWindow::Open(const char* file) {
  const std::string path = folder_ + file;
  if (FileExists(path)) {
    browser_->setSource(QUrl::fromLocalFile(QString::fromStdString(path)));
    return;
  }
  browser_->setHtml(QStringLiteral("<h1>Help not found</h1><p>The help page %1 is missing from %2.</p>")
                        .arg(QString::fromUtf8(file).toHtmlEscaped(), QString::fromStdString(folder_).toHtmlEscaped()));
  setWindowTitle(QStringLiteral("Kelvane Help"));
}

QString HelpWindow::CurrentFile() const {
  const QUrl source = browser_->source();
  return source.isLocalFile() ? QFileInfo(source.toLocalFile()).fileName() : QString();
}

}  // namespace kelvane
