// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/options_dialog.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/cue_files.h"
#include "app/options_rules.h"
#include "app/widget_helpers.h"
#include "engine/utility_functions.h"

namespace kelvane {

namespace {

constexpr std::array<const char*, OptionsDialog::kSwitchCount> kBoxCaptions{
    "Use sounds.",
    "Show Start Message Window on start-up.",
    "Exclude File Date modification with Metadata change.",
    "Use Metadata 'Modified', not 'Original', for file time change.",
    "Exclude automatic 'space' padding with User Description Append or Prefix.",
    "Original Image File copy for error handling.",
    "Confirm each file in Folder with Wipe function.",
};

constexpr std::array<const char*, OptionsDialog::kSwitchCount> kItemCaptions{
    "Use &Sounds",
    "Show Start &Message",
    "Exclude &File Time from Metadata Change",
    "&Date as 'Modified'",
    "Exclude &User Desc Append/Prefix Auto Space",
    "Original &Image File copy for error handling",
    "&Confirm each file in Folder with Wipe function",
};

struct Command {
  const char* button;
  const char* item;
  const char* tooltip;
};

constexpr std::array<Command, 3> kCommands{{
    {"Apply", "&Apply", "Implement changes and return to the Kelvane window"},
    {"Reset Defaults", "&Reset Defaults", "Reset the program default values above (but not implement)"},
    {"Cancel", "&Cancel", "Ignore changes and return to the Kelvane window"},
}};

QLabel* BoldLabel(const char* text, QWidget* parent, int pointSizeStep = 0) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  QFont font = label->font();
  font.setBold(true);
  font.setPointSize(font.pointSize() + pointSizeStep);
  label->setFont(font);
  return label;
}

QAction* MenuItem(QMenu* menu, const char* text, const QString& name, bool checkable) {
  QAction* action = menu->addAction(QString::fromUtf8(text));
  action->setObjectName(name);
  action->setCheckable(checkable);
  return action;
}

}  // namespace

OptionsDialog::OptionsDialog(Session& session, DialogServices& services, QWidget* parent)
    : KeptDialog(session.store, "OptionsX", "OptionsY", parent), session_(session), services_(services) {
  setObjectName(QStringLiteral("Options"));
  setWindowTitle(QStringLiteral("Kelvane Options"));

  auto* layout = new QVBoxLayout(this);
  BuildMenus(*layout);
  layout->addWidget(BoldLabel("Kelvane - Set Options", this, 2));

  for (int i = 0; i < kSwitchCount; ++i) {
    const auto slot = static_cast<size_t>(i);
    boxes_[slot] = Named(new QCheckBox(QString::fromUtf8(kBoxCaptions[slot]), this),
                         qPrintable(QStringLiteral("OptionsCkB%1").arg(i)));
    layout->addWidget(boxes_[slot]);
    connect(boxes_[slot], &QCheckBox::toggled, this, [this, slot](bool on) {
      switchItems_[slot]->setChecked(on);
      MarkChanged();
    });
    connect(switchItems_[slot], &QAction::triggered, boxes_[slot], &QCheckBox::setChecked);
  }

  keepXmpBox_ = Named(new QCheckBox(QStringLiteral("Keep XMP and sidecars in step"), this), "KeepXmpCkB",
                      "Dates, copyright and description edited in the photo's XMP and its .xmp sidecars too");
  layout->addWidget(keepXmpBox_);
  connect(keepXmpBox_, &QCheckBox::toggled, this, [this](bool on) {
    keepXmpItem_->setChecked(on);
    MarkChanged();
  });
  connect(keepXmpItem_, &QAction::triggered, keepXmpBox_, &QCheckBox::setChecked);

  layout->addSpacing(8);
  layout->addWidget(BoldLabel("Export parameters:", this));
  auto* exportGrid = new QGridLayout;
  delimiterList_ = Named(new QComboBox(this), "DelimCmb",
                         "The character used to signify columns in each line of the exported data.");
  for (int i = 0; i < kDelimiterCount; ++i) delimiterList_->addItem(QString::fromUtf8(DelimiterName(i)));
  exportGrid->addWidget(delimiterList_, 0, 0);
  exportGrid->addWidget(new QLabel(QStringLiteral("- as the 'csv' in-line 'delimiter' character"), this), 0, 1);
  limitField_ = Named(new QLineEdit(this), "MxCharsTxt", "Truncates any values exceeding this number characters");
  limitField_->setMaximumWidth(delimiterList_->sizeHint().width());
  exportGrid->addWidget(limitField_, 1, 0);
  exportGrid->addWidget(new QLabel(QStringLiteral("= tag values maximum number of characters"), this), 1, 1);
  exportGrid->setColumnStretch(1, 1);
  layout->addLayout(exportGrid);
  hexBox_ = Named(new QCheckBox(QStringLiteral("Exif tag ID headers as Hex values."), this), "ExpOptnsCkB",
                  "Exported tag numbers in Hex rather than decimal values");
  layout->addWidget(hexBox_);

  connect(delimiterList_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index >= 0 && index < kDelimiterCount) delimiterItems_[static_cast<size_t>(index)]->setChecked(true);
  });
  connect(delimiterList_, &QComboBox::activated, this, [this] { MarkChanged(); });
  for (int i = 0; i < kDelimiterCount; ++i) {
    connect(delimiterItems_[static_cast<size_t>(i)], &QAction::triggered, this, [this, i] {
      delimiterList_->setCurrentIndex(i);
      MarkChanged();
    });
  }
  connect(limitField_, &QLineEdit::textEdited, this, [this] { MarkChanged(); });
  connect(hexBox_, &QCheckBox::toggled, this, [this](bool on) {
    hexItem_->setChecked(on);
    MarkChanged();
  });
  connect(hexItem_, &QAction::triggered, hexBox_, &QCheckBox::setChecked);

  layout->addSpacing(8);
  layout->addWidget(BoldLabel("Run history:", this));
  auto* journalRow = new QHBoxLayout;
  journalDaysField_ = Named(new QLineEdit(this), "JrnlDaysTxt", "Older runs are removed from the history at start");
  journalSizeField_ =
      Named(new QLineEdit(this), "JrnlMBTxt", "Beyond this size the oldest runs are removed from the history at start");
  journalRow->addWidget(new QLabel(QStringLiteral("Keep runs for"), this));
  journalRow->addWidget(journalDaysField_);
  journalRow->addWidget(new QLabel(QStringLiteral("days, up to"), this));
  journalRow->addWidget(journalSizeField_);
  journalRow->addWidget(new QLabel(QStringLiteral("MB"), this));
  journalRow->addStretch(1);
  for (QLineEdit* field : {journalDaysField_, journalSizeField_}) {
    field->setMaximumWidth(delimiterList_->sizeHint().width());
    connect(field, &QLineEdit::textEdited, this, [this] { MarkChanged(); });
  }
  layout->addLayout(journalRow);

  layout->addSpacing(8);
  auto* buttonRow = new QHBoxLayout;
  for (size_t i = 0; i < kCommands.size(); ++i) {
    buttons_[i] = Named(new QPushButton(QString::fromUtf8(kCommands[i].button), this),
                        qPrintable(QStringLiteral("OKCancelBtn%1").arg(i)), kCommands[i].tooltip);
    buttons_[i]->setAutoDefault(false);
    buttonRow->addWidget(buttons_[i]);
  }
  layout->addLayout(buttonRow);
  const std::array<void (OptionsDialog::*)(), 3> commands{&OptionsDialog::Apply, &OptionsDialog::ResetDefaults,
                                                          &OptionsDialog::Cancel};
  for (size_t i = 0; i < commands.size(); ++i) {
    connect(buttons_[i], &QPushButton::clicked, this, commands[i]);
    connect(commandItems_[i], &QAction::triggered, this, commands[i]);
  }

  SetHelpKey([this] { services_.help(*this, HelpPage::kTopic, kHelpTopic); });
}

void OptionsDialog::BuildMenus(QLayout& layout) {
  auto* bar = new QMenuBar(this);
  layout.setMenuBar(bar);

  QMenu* action = bar->addMenu(QStringLiteral("&Action"));
  for (size_t i = 0; i < kCommands.size(); ++i) {
    commandItems_[i] = MenuItem(action, kCommands[i].item, QStringLiteral("ExitSMu%1").arg(i), false);
  }

  QMenu* options = bar->addMenu(QStringLiteral("&Options"));
  for (size_t i = 0; i < kItemCaptions.size(); ++i) {
    switchItems_[i] = MenuItem(options, kItemCaptions[i], QStringLiteral("OptionSmu%1").arg(i), true);
  }
  keepXmpItem_ = MenuItem(options, "Keep &XMP and sidecars in step", QStringLiteral("KeepXmpSmu"), true);
  options->addSeparator();
  QMenu* delimiters = options->addMenu(QStringLiteral("CS&V Delimiter"));
  delimiters->setObjectName(QStringLiteral("DelimSMu"));
  auto* group = new QActionGroup(delimiters);
  for (int i = 0; i < kDelimiterCount; ++i) {
    QAction* item = MenuItem(delimiters, DelimiterName(i), QStringLiteral("DelimSMu%1").arg(i), true);
    group->addAction(item);
    delimiterItems_[static_cast<size_t>(i)] = item;
  }
  hexItem_ = MenuItem(options, "Exif ID's as &Hex", QStringLiteral("ExpOptnsSmu"), true);

  QMenu* help = bar->addMenu(QStringLiteral("&Help"));
  connect(MenuItem(help, "H&elp...", QStringLiteral("HelpSmu"), false), &QAction::triggered, this,
          [this] { services_.help(*this, HelpPage::kTopic, kHelpTopic); });
  connect(MenuItem(help, "&Contents...", QStringLiteral("HelpContSmu"), false), &QAction::triggered, this,
          [this] { services_.help(*this, HelpPage::kContents, 0); });
  connect(MenuItem(help, "&Index...", QStringLiteral("HelpIndexSmu"), false), &QAction::triggered, this,
          [this] { services_.help(*this, HelpPage::kIndex, 0); });
}

void OptionsDialog::Open() {
  LoadControls();
  ShowModal();
}

void OptionsDialog::LoadControls() {
  const Settings& settings = session_.settings;
  for (int i = 0; i < kSwitchCount; ++i) SetSwitch(i, settings.Options.switches[static_cast<size_t>(i)]);
  delimiterIndex_ = DelimiterIndexOf(settings.CsvDelimiter);
  delimiterList_->setCurrentIndex(delimiterIndex_);
  limitField_->setText(QString::number(settings.ValueCharLimit));
  SetHex(settings.HexTagIds);
  SetKeepXmp(settings.KeepXmpInStep);
  journalDaysField_->setText(QString::number(settings.JournalDays));
  journalSizeField_->setText(QString::number(settings.JournalMegabytes));
  // Without a sound output or a cue file the box keeps its state but can't
  // be changed.
  const bool soundPossible = SoundPossible();
  boxes_[0]->setEnabled(soundPossible);
  switchItems_[0]->setEnabled(soundPossible);
  changesPending_ = false;
  buttons_[kApply]->setEnabled(false);
  commandItems_[kApply]->setEnabled(false);
}

void OptionsDialog::SetSwitch(int index, bool on) {
  boxes_[static_cast<size_t>(index)]->setChecked(on);
  switchItems_[static_cast<size_t>(index)]->setChecked(on);
}

void OptionsDialog::SetHex(bool on) {
  hexBox_->setChecked(on);
  hexItem_->setChecked(on);
}

void OptionsDialog::SetKeepXmp(bool on) {
  keepXmpBox_->setChecked(on);
  keepXmpItem_->setChecked(on);
}

void OptionsDialog::MarkChanged() {
  changesPending_ = true;
  buttons_[kApply]->setEnabled(true);
  commandItems_[kApply]->setEnabled(true);
}

bool OptionsDialog::SoundPossible() const {
  return session_.soundDevicesAvailable && AllCuesPresent(session_.programFolder);
}

void OptionsDialog::Apply() {
  if (!changesPending_) {
    CloseStep();
    return;
  }
  Settings& settings = session_.settings;
  SettingsStore& store = session_.store;

  for (int i = 0; i < kSwitchCount; ++i) {
    const bool on = switchItems_[static_cast<size_t>(i)]->isChecked();
    settings.Options.switches[static_cast<size_t>(i)] = on;
    // Sounds are on unless switched off by "0"; the other options are on
    // only with "1".
    store.WriteSetting(kGeneralSection, OptionKey(i), on ? "1" : (i == 0 ? "0" : ""));
  }
  settings.SoundsEnabled = settings.Options[ProgramOption::UseSounds] && SoundPossible();
  settings.KeepXmpInStep = keepXmpItem_->isChecked();
  store.WriteSetting(kGeneralSection, kKeepXmpKey, settings.KeepXmpInStep ? "1" : "0");

  const int index = delimiterList_->currentIndex();
  if (index != delimiterIndex_) {
    delimiterIndex_ = index;
    settings.CsvDelimiter = DelimiterCodeOf(index);
    store.WriteSetting(kGeneralSection, "CSVDelim", std::to_string(settings.CsvDelimiter));
  }

  const LimitCheck limit = CheckValueLimit(limitField_->text().toStdString());
  if (limit.message) {
    const bool refused = limit.verdict != LimitVerdict::kNeedsConfirmation;
    services_.cue(refused ? SoundCue::Error : SoundCue::Attention);
    const MessageAnswer answer = services_.show(*this, *limit.message);
    if (refused || answer != MessageAnswer::kOk) {
      limitField_->setFocus();
      return;
    }
  }
  settings.ValueCharLimit = static_cast<int16_t>(limit.value);
  store.WriteSetting(kGeneralSection, "ValCharLim", std::to_string(limit.value));
  limitField_->setText(QString::number(limit.value));

  settings.HexTagIds = hexItem_->isChecked();
  store.WriteSetting(kGeneralSection, "ExpOpt0", settings.HexTagIds ? "1" : "");
  if (!ApplyJournalFields()) return;
  CloseStep();
}

bool OptionsDialog::ApplyJournalFields() {
  struct Field {
    QLineEdit* field;
    RangeCheck (*check)(std::string_view);
    int Settings::*value;
    const char* key;
  };
  const std::array<Field, 2> fields{{
      {journalDaysField_, &CheckJournalDays, &Settings::JournalDays, kJournalDaysKey},
      {journalSizeField_, &CheckJournalMegabytes, &Settings::JournalMegabytes, kJournalMegabytesKey},
  }};
  for (const Field& f : fields) {
    const RangeCheck check = f.check(f.field->text().toStdString());
    if (check.message) {
      services_.cue(SoundCue::Error);
      services_.show(*this, *check.message);
      f.field->setFocus();
      return false;
    }
    session_.settings.*f.value = check.value;
    session_.store.WriteSetting(kGeneralSection, f.key, std::to_string(check.value));
    f.field->setText(QString::number(check.value));
  }
  return true;
}

void OptionsDialog::ResetDefaults() {
  for (int i = 0; i < kSwitchCount; ++i) SetSwitch(i, i == 0);
  delimiterList_->setCurrentIndex(0);
  limitField_->setText(QString::number(Settings::kDefaultValueCharLimit));
  SetHex(false);
  SetKeepXmp(true);
  journalDaysField_->setText(QString::number(Settings::kDefaultJournalDays));
  journalSizeField_->setText(QString::number(Settings::kDefaultJournalMegabytes));
  MarkChanged();
}

void OptionsDialog::Cancel() {
  if (changesPending_) LoadControls();
  CloseStep();
}

void OptionsDialog::reject() { Cancel(); }

void OptionsDialog::CloseStep() {
  delimiterList_->setCurrentIndex(delimiterIndex_);
  changesPending_ = false;
  buttons_[kApply]->setEnabled(false);
  commandItems_[kApply]->setEnabled(false);
  done(QDialog::Accepted);
}

}  // namespace kelvane
