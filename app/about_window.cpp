// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/about_window.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSysInfo>
#include <QVBoxLayout>

#include "app/about_texts.h"
#include "app/widget_helpers.h"

namespace kelvane {

namespace {

constexpr int kIconSize = 64;

QLabel* TextLabel(const std::string& text, const char* name, QWidget* parent) {
  auto* label = Named(new QLabel(QString::fromStdString(text), parent), name);
  label->setWordWrap(true);
  return label;
}

}  // namespace

QString PlatformLabelText() { return QStringLiteral("Operating platform ") + QSysInfo::prettyProductName(); }

AboutWindow::AboutWindow(Session& session, DialogServices& services, QWidget* parent)
    : KeptDialog(session.store, "AboutX", "AboutY", parent) {
  setObjectName(QStringLiteral("About"));
  setWindowTitle(QStringLiteral("About Kelvane"));

  auto* icon = new QLabel(this);
  icon->setPixmap(QApplication::windowIcon().pixmap(kIconSize, kIconSize));
  icon->setAlignment(Qt::AlignTop);

  auto* version = TextLabel(VersionLabelText(), "VersionLbl", this);
  QFont font = version->font();
  font.setBold(true);
  font.setPointSize(font.pointSize() + 2);
  version->setFont(font);

  auto* texts = new QVBoxLayout;
  texts->addWidget(version);
  texts->addWidget(
      TextLabel("Corrects and amends the Exif metadata of JPEG photos in bulk: file and photo "
                "times, filename prefixes, restored or created metadata, copyright notices and "
                "image descriptions; exports the metadata of many photos to a table and wipes "
                "files beyond recovery.",
                "DescriptionLbl", this));
  auto* platform = Named(new QLabel(PlatformLabelText(), this), "PlatformLbl");
  texts->addWidget(platform);

  auto* releaseRow = new QHBoxLayout;
  releaseRow->addWidget(Named(new QLabel(QStringLiteral("Tag Library Release Number:"), this), "TagLibLbl",
                              "The installed tag library release number"));
  releaseRow->addWidget(TextLabel(LibraryReleaseText(session.library), "TagLibRelLbl", this), 1);
  texts->addLayout(releaseRow);
  texts->addWidget(TextLabel(LibraryNoticeText(session.library), "TagLibNoticeLbl", this));

  auto* body = new QHBoxLayout;
  body->addWidget(icon);
  body->addLayout(texts, 1);

  auto* close = Named(new QPushButton(QStringLiteral("Close"), this), "CloseBtn", "Return to Kelvane");
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  auto* buttonRow = new QHBoxLayout;
  buttonRow->addStretch(1);
  buttonRow->addWidget(close);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(body);
  layout->addLayout(buttonRow);
  setMinimumWidth(440);

  SetHelpKey([this, &services] { services.help(*this, HelpPage::kTopic, kHelpTopic); });
}

}  // namespace kelvane
