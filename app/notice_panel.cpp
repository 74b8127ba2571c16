// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/notice_panel.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/widget_helpers.h"
#include "batch/copyright_notice.h"
#include "engine/settings.h"
#include "engine/utility_functions.h"

namespace kelvane {

namespace {

struct OptionTexts {
  const char* caption;
  const char* tooltip;
};

constexpr OptionTexts kCopyrightOptions[] = {
    {"Photographer", "Copyright notice as that for the Photographer."},
    {"Editor", "Copyright notice as that for the Editor."},
    {"Both", "2 Copyright notices for each the Photographer and the Editor."},
};
constexpr OptionTexts kDescriptionOptions[] = {
    {"Add/Replace", "New text relplaces all existing text."},
    {"Append", "New text placed after any existing text."},
    {"Prefix", "New text placed before any existing text."},
};

bool Blank(const QLineEdit* box) { return Trim(box->text().toStdString()).empty(); }

}  // namespace

NoticePanel::NoticePanel(RunState& state, SettingsStore& store, QWidget* parent)
    : QWidget(parent), state_(state), store_(store) {
  frame_ = Named(new QGroupBox(this), "CR_IDTypFme");
  options_ = new QButtonGroup(this);
  auto* frameLayout = new QHBoxLayout(frame_);
  for (int i = 0; i < 3; ++i) frameLayout->addWidget(NewOption(options_, "CR_IDTypOpt", i, "", nullptr, frame_));
  options_->button(kPhotographer)->setChecked(true);

  yearFromPhoto_ = Named(new QCheckBox(QStringLiteral("Year from photo"), this), "CRYearCkB",
                         "Use photo's metadata as year source, 'Taken' for Photographer, 'Modified' for Editor.");

  copyrightBoxes_ = new QWidget(this);
  auto* grid = new QGridLayout(copyrightBoxes_);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->addWidget(Named(new QLabel(QStringLiteral("Name"), copyrightBoxes_), "CRColLbl0"), 0, 1);
  grid->addWidget(Named(new QLabel(QStringLiteral("Year"), copyrightBoxes_), "CRColLbl1"), 0, 2);
  static constexpr const char* kRows[] = {"Photographer:", "Editor:"};
  for (int i = 0; i < 2; ++i) {
    const std::string index = std::to_string(i);
    grid->addWidget(Named(new QLabel(QString::fromUtf8(kRows[i]), copyrightBoxes_), ("CRDataLbl" + index).c_str()),
                    i + 1, 0);
    names_[static_cast<size_t>(i)] = Named(new QLineEdit(copyrightBoxes_), ("CRNameTxt" + index).c_str(),
                                           "Copyright name as company, or person in first to last name sequence.");
    years_[static_cast<size_t>(i)] =
        Named(new QLineEdit(copyrightBoxes_), ("CRYearTxt" + index).c_str(), "Copyright year as 4 digit year number.");
    years_[static_cast<size_t>(i)]->setMaximumWidth(60);
    grid->addWidget(names_[static_cast<size_t>(i)], i + 1, 1);
    grid->addWidget(years_[static_cast<size_t>(i)], i + 1, 2);
  }
  standardText_ = Named(new QPushButton(QStringLiteral("Insert Standard Text"), this), "CopyrightStdTextBtn");
  standardText_->setEnabled(false);
  description_ = Named(new QLineEdit(this), "FunctionTextTxt");

  auto* row = new QHBoxLayout;
  row->addWidget(yearFromPhoto_);
  row->addStretch();
  row->addWidget(standardText_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(frame_);
  layout->addLayout(row);
  layout->addWidget(copyrightBoxes_);
  layout->addWidget(description_);

  connect(options_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
    if (checked) OnOption(id);
  });
  connect(options_, &QButtonGroup::idClicked, this, &NoticePanel::optionClicked);
  connect(yearFromPhoto_, &QCheckBox::toggled, this, [this](bool on) {
    state_.YearFromPhoto = on;
    if (on) {
      for (QLineEdit* year : years_) year->clear();
    }
    state_.TextEditedByUser = true;
    emit yearFromPhotoToggled(on);
    emit changed();
  });
  for (QLineEdit* box : {names_[0], names_[1], years_[0], years_[1], description_}) {
    connect(box, &QLineEdit::textEdited, this, [this] { OnTextEdited(); });
  }
  connect(standardText_, &QPushButton::clicked, this, &NoticePanel::InsertStandardText);
  SetMode(Mode::kCopyright);
}

void NoticePanel::SetMode(Mode mode) {
  mode_ = mode;
  const bool copyright = mode == Mode::kCopyright;
  frame_->setTitle(copyright ? QStringLiteral("Copyright for") : QStringLiteral("Amend as"));
  frame_->setToolTip(copyright ? QStringLiteral("Set to whom Copyright notice applies.")
                               : QStringLiteral("Set how to handle new text."));
  const OptionTexts* texts = copyright ? kCopyrightOptions : kDescriptionOptions;
  for (int i = 0; i < 3; ++i) {
    options_->button(i)->setText(QString::fromUtf8(texts[i].caption));
    options_->button(i)->setToolTip(QString::fromUtf8(texts[i].tooltip));
  }
  yearFromPhoto_->setVisible(copyright);
  copyrightBoxes_->setVisible(copyright);
  standardText_->setVisible(copyright);
  description_->setVisible(!copyright);
}

int NoticePanel::Option() const { return options_->checkedId(); }

void NoticePanel::SetOption(int option) {
  QAbstractButton* button = options_->button(option);
  if (button == nullptr) return;
  if (button->isChecked()) {
    OnOption(option);
  } else {
    button->setChecked(true);
  }
}

void NoticePanel::SetYearFromPhoto(bool on) { yearFromPhoto_->setChecked(on); }

void NoticePanel::SetStandardTextAvailable(bool available) { standardText_->setEnabled(available); }

void NoticePanel::OnOption(int option) {
  if (mode_ == Mode::kCopyright) {
    state_.NoticeForPhotographer = option == kPhotographer || option == kBoth;
    state_.NoticeForEditor = option == kEditor || option == kBoth;
  } else {
    // Append and Prefix.
    state_.NoticeForPhotographer = option == 1;
    state_.NoticeForEditor = option == 2;
  }
  UpdateTextsEmpty();
  emit optionChosen(option);
  emit changed();
}

void NoticePanel::OnTextEdited() {
  UpdateTextsEmpty();
  state_.TextEditedByUser = true;
  emit changed();
}

void NoticePanel::UpdateTextsEmpty() {
  if (mode_ == Mode::kCopyright) {
    state_.FirstTextEmpty = state_.NoticeForPhotographer && Blank(names_[0]);
    state_.SecondTextEmpty = state_.NoticeForEditor && Blank(names_[1]);
  } else {
    state_.FirstTextEmpty = !state_.NoticeForPhotographer && !state_.NoticeForEditor && Blank(description_);
    state_.SecondTextEmpty = false;
  }
}

void NoticePanel::InsertStandardText() {
  CopyrightEntries entries;
  kelvane::InsertStandardText(store_, entries, state_);
  ShowEntries(entries);
  emit changed();
}

void NoticePanel::SetStandardText() {
  kelvane::SetStandardText(store_, Entries(), state_);
  SetStandardTextAvailable(state_.StdCopyrightAvailable);
  emit standardTextAvailabilityChanged(state_.StdCopyrightAvailable);
}

CopyrightEntries NoticePanel::Entries() const {
  return {names_[0]->text().toStdString(), years_[0]->text().toStdString(), names_[1]->text().toStdString(),
          years_[1]->text().toStdString()};
}

void NoticePanel::ShowEntries(const CopyrightEntries& entries) {
  names_[0]->setText(QString::fromStdString(entries.photographerName));
  years_[0]->setText(QString::fromStdString(entries.photographerYear));
  names_[1]->setText(QString::fromStdString(entries.editorName));
  years_[1]->setText(QString::fromStdString(entries.editorYear));
}

std::string NoticePanel::DescriptionText() const { return description_->text().toStdString(); }

void NoticePanel::ShowDescription(const std::string& text) { description_->setText(QString::fromStdString(text)); }

PanelTexts NoticePanel::Texts() const {
  return {names_[0]->text().toStdString(), names_[1]->text().toStdString(), description_->text().toStdString()};
}

}  // namespace kelvane
