// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/start_message.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/widget_helpers.h"

namespace kelvane {

namespace {

constexpr const char* kParagraphs[] = {
    "The time a photo was taken is stored permanently in the photo's own metadata, and it travels with the "
    "photo wherever it is copied. The file's own date/times, as the file manager shows them, are another "
    "matter: they change whenever the photo is rotated, edited or copied.",
    "Kelvane modifies large numbers of photos with a few inputs. Keep all the photos that are to receive one "
    "modification together in one folder, and apply the function to that folder.",
    "Each function is described by clicking its icon on the left of the Kelvane window; the 'Help' menu (or "
    "F1) explains the selected function in full.",
    "Before using this, or any program that modifies your photos, it is good practice to have made a copy for "
    "security.",
};

}  // namespace

StartMessageWindow::StartMessageWindow(Session& session, DialogServices& services, QWidget* parent)
    : KeptDialog(session.store, "StrtMsgX", "StrtMsgY", parent), session_(session) {
  setObjectName(QStringLiteral("StartMsg"));
  setWindowTitle(QStringLiteral("Kelvane Start-up Message"));

  auto* layout = new QVBoxLayout(this);
  auto* heading = Named(new QLabel(QStringLiteral("Kelvane - Points to note"), this), "HeadingLbl");
  QFont font = heading->font();
  font.setBold(true);
  font.setPointSize(font.pointSize() + 2);
  heading->setFont(font);
  layout->addWidget(heading);
  for (const char* paragraph : kParagraphs) {
    auto* label = new QLabel(QString::fromUtf8(paragraph), this);
    label->setWordWrap(true);
    layout->addWidget(label);
  }
  layout->addSpacing(8);

  box_ =
      Named(new QCheckBox(QStringLiteral("Don't show this window in future (can be accessed from 'Help' menu)."), this),
            "NoShowCkB");
  layout->addWidget(box_);
  // Only the user's clicks change the option, not the box being set up.
  connect(box_, &QCheckBox::clicked, this, &StartMessageWindow::OnBoxClicked);

  auto* close = Named(new QPushButton(QStringLiteral("Close"), this), "CloseBtn", "Return to the Kelvane window");
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  auto* buttonRow = new QHBoxLayout;
  buttonRow->addStretch(1);
  buttonRow->addWidget(close);
  layout->addLayout(buttonRow);
  setMinimumWidth(480);

  SetHelpKey([this, &services] { services.help(*this, HelpPage::kContents, 0); });
}

void StartMessageWindow::Open() {
  LoadControls();
  ShowModal();
}

void StartMessageWindow::LoadControls() {
  box_->setChecked(!session_.settings.Options[ProgramOption::ShowStartMessage]);
  session_.state.StartMessageHandled = true;
}

void StartMessageWindow::OnBoxClicked(bool checked) {
  session_.settings.Options[ProgramOption::ShowStartMessage] = !checked;
  session_.store.WriteSetting(kGeneralSection, OptionKey(1), checked ? "0" : "1");
}

}  // namespace kelvane
