// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>
#include <utility>

#include "app/adjustment_panel.h"
#include "app/cue_files.h"
#include "app/export_panel.h"
#include "app/function_column.h"
#include "app/notice_panel.h"
#include "app/prefix_panel.h"
#include "app/preview_dialog.h"
#include "app/shell_dialogs.h"
#include "app/widget_helpers.h"
#include "app/window_position.h"

namespace kelvane {

namespace {

constexpr const char* kFormsSection = "FORMS";

QLabel* WrappedLabel(QWidget* parent, const char* name) {
  auto* label = Named(new QLabel(parent), name);
  label->setWordWrap(true);
  return label;
}

}  // namespace

KelvaneMain::KelvaneMain(Session& session, ShellDialogs* dialogs, QWidget* parent)
    : QMainWindow(parent),
      session_(session),
      state_(session.state),
      dialogs_(dialogs),
      recent_(session.store),
      browseFolders_(session.store),
      undoable_(session.journalFolder) {
  setObjectName(QStringLiteral("KelvaneMain"));
  setWindowTitle(QStringLiteral("Kelvane"));

  session_.settings =
      LoadSettings(session_.store, session_.soundDevicesAvailable && AllCuesPresent(session_.programFolder));
  state_.StdCopyrightAvailable = session_.settings.StdCopyrightAvailable;
  // The workbook writer is the program's own, so the workbook export is
  // always offered.
  session_.exportOptions.workbookAvailable = true;
  if (!session_.journalFolder.empty()) {
    PruneJournals(session_.journalFolder, session_.settings.JournalDays,
                  int64_t{session_.settings.JournalMegabytes} << 20);
  }

  BuildControls();
  menus_ = BuildMainMenus(*menuBar());
  ConnectControls();
  ConnectMenus();
  ui_->AttachWindowCommands({[this](bool enabled) { SetRunCommandsEnabled(enabled); },
                             [this](bool enabled) { cancelButton_->setEnabled(enabled); },
                             [this] { ArrangeForFunction(); }});
  PlaceOnScreen();
  SetDefaults();

  recent_.LoadAtStartUp(&KelvaneMain::IsFolder);
  RebuildRecentMenu();
  UpdateUndoEnabled();

  if (!state_.FieldEditing) SelectFunction(0);
  state_.RunInProgress = false;
  state_.FieldEditing = false;
  // The window sees keys, focus changes and drops before its controls.
  setAcceptDrops(true);
  qApp->installEventFilter(this);
}

KelvaneMain::~KelvaneMain() = default;

void KelvaneMain::BuildControls() {
  auto* central = new QWidget(this);
  setCentralWidget(central);

  // The status bar and progress bar come first: the user-interface port
  // that the panels report through works on them.
  progress_ = Named(new QProgressBar(central), "ProgressBar1");
  progress_->setRange(0, 100);
  progress_->setValue(0);
  progress_->setTextVisible(false);
  statusPanels_[0] =
      Named(new QLabel(QString::fromUtf8(kFilesProcessedText) + QStringLiteral("0")), "StatusBar1Panel1");
  statusPanels_[1] = Named(new QLabel(QString::fromUtf8(kTotalFilesText) + QStringLiteral("0")), "StatusBar1Panel2");
  statusBar()->setObjectName(QStringLiteral("StatusBar1"));
  statusBar()->setToolTip(QStringLiteral("Files processed so far from the total number of files in the folder above"));
  statusBar()->addWidget(statusPanels_[0], 1);
  statusBar()->addWidget(statusPanels_[1], 1);
  ui_ = std::make_unique<QtUserInterface>(*this, state_, *progress_, *statusPanels_[0], *statusPanels_[1]);

  column_ = new FunctionColumn(central);

  formLabels_[0] = Named(new QLabel(QStringLiteral("Kelvane"), central), "FormLbl0");
  formLabels_[1] = Named(new QLabel(central), "FormLbl1");
  for (QLabel* label : formLabels_) {
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
  }
  description_ = WrappedLabel(central, "FuncDescLbl");

  folderLabel_ = Named(new QLabel(QStringLiteral("The Photos to Amend Folder (Directory):"), central), "DirSelLbl");
  pathBoxes_[0] = Named(new QLineEdit(central), "SrceDirTxt0", "The photo folder to be amended");
  browseButtons_[0] = Named(new QPushButton(QStringLiteral("Browse . ."), central), "DirBtn0",
                            "Open window to select the folder with the photos to amend");
  singlePhoto_ = Named(new QCheckBox(QStringLiteral("Single Photo Only"), central), "SingleFileCBLbl",
                       "To select just one photo instead of all photos in a folder.");

  parametersLabel_ = WrappedLabel(central, "ParamsLbl");
  adjustment_ = new AdjustmentPanel(state_, *ui_, central);
  prefix_ = new PrefixPanel(*ui_, central);
  notice_ = new NoticePanel(state_, session_.store, central);
  export_ = new ExportPanel(session_.exportOptions, central);
  skipBox_ = Named(new QCheckBox(QStringLiteral("Skip if text already present"), central), "CRIDSkipCkB");

  secondPathRow_ = new QWidget(central);
  secondPathLabel_ = Named(new QLabel(secondPathRow_), "DirSel2Lbl");
  pathBoxes_[1] = Named(new QLineEdit(secondPathRow_), "SrceDirTxt1");
  browseButtons_[1] = Named(new QPushButton(QStringLiteral("Browse . ."), secondPathRow_), "DirBtn1");
  auto* secondRow = new QHBoxLayout(secondPathRow_);
  secondRow->setContentsMargins(0, 0, 0, 0);
  secondRow->addWidget(secondPathLabel_);
  secondRow->addWidget(pathBoxes_[1], 1);
  secondRow->addWidget(browseButtons_[1]);

  functionTexts_[0] = WrappedLabel(central, "FunctionText1Lbl");
  functionTexts_[1] = WrappedLabel(central, "FunctionText2Lbl");

  runButton_ = Named(new QPushButton(central), "RunBtn", "Start processing.");
  previewButton_ = Named(new QPushButton(QStringLiteral("Preview"), central), "PreviewBtn",
                         "See what the run would change, without changing anything.");
  cancelButton_ = Named(new QPushButton(QStringLiteral("Cancel"), central), "CancelBtn", "Abort current processing.");
  exitButton_ = Named(new QPushButton(QStringLiteral("Exit"), central), "ExitBtn", "Close Kelvane");

  auto* folderRow = new QHBoxLayout;
  folderRow->addWidget(pathBoxes_[0], 1);
  folderRow->addWidget(browseButtons_[0]);
  auto* buttonRow = new QHBoxLayout;
  buttonRow->addWidget(runButton_, 2);
  buttonRow->addWidget(previewButton_, 1);
  buttonRow->addWidget(cancelButton_, 1);
  buttonRow->addWidget(exitButton_, 1);

  auto* right = new QVBoxLayout;
  right->addWidget(formLabels_[0]);
  right->addWidget(formLabels_[1]);
  right->addWidget(description_);
  right->addSpacing(4);
  right->addWidget(folderLabel_);
  right->addLayout(folderRow);
  right->addWidget(singlePhoto_);
  right->addSpacing(4);
  right->addWidget(parametersLabel_);
  right->addWidget(adjustment_);
  right->addWidget(prefix_);
  right->addWidget(notice_);
  right->addWidget(export_);
  right->addWidget(skipBox_);
  right->addWidget(secondPathRow_);
  right->addWidget(functionTexts_[0]);
  right->addWidget(functionTexts_[1]);
  right->addStretch(1);
  right->addWidget(progress_);
  right->addLayout(buttonRow);

  auto* layout = new QHBoxLayout(central);
  layout->addWidget(column_, 0, Qt::AlignTop);
  layout->addLayout(right, 1);
}

void KelvaneMain::ConnectControls() {
  connect(column_, &FunctionColumn::functionChosen, this, &KelvaneMain::SelectFunction);
  for (int i = 0; i < 2; ++i) {
    connect(browseButtons_[static_cast<size_t>(i)], &QPushButton::clicked, this, [this, i] { BrowseClicked(i); });
  }
  connect(singlePhoto_, &QCheckBox::clicked, this, [this] { ToggleSinglePhoto(); });
  connect(skipBox_, &QCheckBox::toggled, this, &KelvaneMain::OnSkipBoxToggled);
  connect(runButton_, &QPushButton::clicked, this, &KelvaneMain::RunClicked);
  connect(previewButton_, &QPushButton::clicked, this, &KelvaneMain::PreviewClicked);
  connect(cancelButton_, &QPushButton::clicked, this, [this] { state_.CancelRequested = true; });
  connect(exitButton_, &QPushButton::clicked, this, &QWidget::close);

  connect(adjustment_, &AdjustmentPanel::daysDirectionChanged, this, [this](int direction) {
    menus_.dateAdjSMu[static_cast<size_t>(direction)]->setChecked(true);
    menus_.daysDiffSMu->setText(direction == AdjustmentPanel::kAsDate ? QStringLiteral("From Ti&mes")
                                                                      : QStringLiteral("From Date/Ti&mes"));
  });
  connect(adjustment_, &AdjustmentPanel::timeDirectionChanged, this,
          [this](int direction) { menus_.timeAdjSMu[static_cast<size_t>(direction)]->setChecked(true); });
  connect(adjustment_, &AdjustmentPanel::entryChanged, this, &KelvaneMain::UpdateRunEnabled);
  connect(adjustment_, &AdjustmentPanel::modeChanged, this, &KelvaneMain::ArrangeForFunction);
  connect(adjustment_, &AdjustmentPanel::calculatorRequested, this,
          [this] { OpenDialog(&ShellDialogs::ShowCalculator); });

  connect(prefix_, &PrefixPanel::removeFirstToggled, this, [this](bool on) {
    menus_.remChrSMu->setChecked(on);
    menus_.remChrQtyMenu->setEnabled(on);
  });
  connect(prefix_, &PrefixPanel::removeCountChosen, this, [this](int count) {
    menus_.remChrQtySMu[static_cast<size_t>(count - 1)]->setChecked(true);
    menus_.remChrQtyMenu->setTitle(RemoveCountCaption(count));
  });
  connect(prefix_, &PrefixPanel::addOptionChosen, this,
          [this](int option) { menus_.addPrefixOptSMu[static_cast<size_t>(option)]->setChecked(true); });
  connect(prefix_, &PrefixPanel::changed, this, &KelvaneMain::ArrangeForFunction);

  connect(notice_, &NoticePanel::optionChosen, this,
          [this](int option) { menus_.crIdTypSMu[static_cast<size_t>(option)]->setChecked(true); });
  connect(notice_, &NoticePanel::optionClicked, this, &KelvaneMain::OnNoticeOptionByUser);
  connect(notice_, &NoticePanel::yearFromPhotoToggled, menus_.crYearSMu, &QAction::setChecked);
  connect(notice_, &NoticePanel::standardTextAvailabilityChanged, menus_.crInsertSMu, &QAction::setEnabled);
  connect(notice_, &NoticePanel::changed, this, &KelvaneMain::ArrangeForFunction);

  connect(export_, &ExportPanel::exportTypeChosen, this, &KelvaneMain::OnExportTypeChosen);
  connect(export_, &ExportPanel::excludeTechnicalToggled, menus_.expExclTechSMu, &QAction::setChecked);
}

void KelvaneMain::ConnectMenus() {
  const MainMenus& m = menus_;
  connect(m.dirSMu, &QAction::triggered, browseButtons_[0], &QPushButton::click);
  connect(m.runSMu, &QAction::triggered, runButton_, &QPushButton::click);
  connect(m.previewSMu, &QAction::triggered, previewButton_, &QPushButton::click);
  connect(m.undoSMu, &QAction::triggered, this, &KelvaneMain::UndoLastRunClicked);
  // Another program (kelvane-cli) may have run or undone meanwhile.
  connect(m.fileMenu, &QMenu::aboutToShow, this, &KelvaneMain::UpdateUndoEnabled);
  connect(m.exitSMn, &QAction::triggered, exitButton_, &QPushButton::click);
  for (int i = 0; i < MainMenus::kRecentCount; ++i) {
    connect(m.prevDir[static_cast<size_t>(i)], &QAction::triggered, this, [this, i] { RecentFolderChosen(i); });
  }

  connect(m.singleFileSMu, &QAction::triggered, this, [this] { ToggleSinglePhoto(); });
  for (int i = 0; i < kFunctionCount; ++i) {
    connect(m.modeSMu[static_cast<size_t>(i)], &QAction::triggered, this, [this, i] { SelectFunction(i); });
  }
  for (int i = 0; i < 3; ++i) {
    connect(m.dateAdjSMu[static_cast<size_t>(i)], &QAction::triggered, this,
            [this, i] { adjustment_->SetDaysDirection(i); });
  }
  for (int i = 0; i < 2; ++i) {
    connect(m.timeAdjSMu[static_cast<size_t>(i)], &QAction::triggered, this,
            [this, i] { adjustment_->SetTimeDirection(i); });
  }
  connect(m.daysDiffSMu, &QAction::triggered, this, [this] { OpenDialog(&ShellDialogs::ShowCalculator); });
  connect(m.remChrSMu, &QAction::triggered, prefix_, &PrefixPanel::SetRemoveFirst);
  for (int i = 0; i < 9; ++i) {
    connect(m.remChrQtySMu[static_cast<size_t>(i)], &QAction::triggered, this,
            [this, i] { prefix_->SetRemoveCount(i + 1); });
  }
  for (int i = 0; i < 4; ++i) {
    connect(m.addPrefixOptSMu[static_cast<size_t>(i)], &QAction::triggered, this,
            [this, i] { prefix_->SetAddOption(i); });
  }
  for (int i = 0; i < 3; ++i) {
    connect(m.crIdTypSMu[static_cast<size_t>(i)], &QAction::triggered, this, [this, i] {
      notice_->SetOption(i);
      OnNoticeOptionByUser();
    });
  }
  connect(m.crIdSkipSMu, &QAction::triggered, skipBox_, &QCheckBox::setChecked);
  connect(m.filePerPhotoSMu, &QAction::triggered, skipBox_, &QCheckBox::setChecked);
  connect(m.crYearSMu, &QAction::triggered, notice_, &NoticePanel::SetYearFromPhoto);
  connect(m.crInsertSMu, &QAction::triggered, notice_, &NoticePanel::InsertStandardText);
  connect(m.crSetStdSMu, &QAction::triggered, notice_, &NoticePanel::SetStandardText);
  for (int i = 0; i < static_cast<int>(m.exportAsSMu.size()); ++i) {
    connect(m.exportAsSMu[static_cast<size_t>(i)], &QAction::triggered, this,
            [this, i] { export_->SetExportType(static_cast<ExportType>(i)); });
  }
  connect(m.expExclTechSMu, &QAction::triggered, export_, &ExportPanel::SetExcludeTechnical);

  connect(m.optionsSMu, &QAction::triggered, this, [this] { OpenDialog(&ShellDialogs::ShowOptions); });
  connect(m.helpSMu, &QAction::triggered, this, [this] {
    if (dialogs_ != nullptr) dialogs_->ShowHelpTopic(*this, helpContext_);
  });
  connect(m.helpContSmu, &QAction::triggered, this, [this] { OpenDialog(&ShellDialogs::ShowHelpContents); });
  connect(m.helpIndexSmu, &QAction::triggered, this, [this] { OpenDialog(&ShellDialogs::ShowHelpIndex); });
  connect(m.startMsgSmu, &QAction::triggered, this, [this] { OpenDialog(&ShellDialogs::ShowStartMessage); });
  connect(m.aboutSmu, &QAction::triggered, this, [this] { OpenDialog(&ShellDialogs::ShowAbout); });

  const bool haveDialogs = dialogs_ != nullptr;
  for (QAction* action :
       {m.daysDiffSMu, m.optionsSMu, m.helpSMu, m.helpContSmu, m.helpIndexSmu, m.startMsgSmu, m.aboutSmu}) {
    action->setEnabled(haveDialogs);
  }
  adjustment_->findChild<QPushButton*>(QStringLiteral("FmDatesBtn"))->setEnabled(haveDialogs);
}

void KelvaneMain::PlaceOnScreen() {
  resize(kWidthTwips / kTwipsPerPixel, kHeightTwips / kTwipsPerPixel);
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->geometry();
  const WindowPosition position =
      PlaceWindow(session_.store.ReadSetting(kFormsSection, "StdFormX"),
                  session_.store.ReadSetting(kFormsSection, "StdFormY"), area.width() * kTwipsPerPixel,
                  area.height() * kTwipsPerPixel, width() * kTwipsPerPixel, height() * kTwipsPerPixel);
  move(position.left / kTwipsPerPixel, position.top / kTwipsPerPixel);
}

void KelvaneMain::SetDefaults() {
  progress_->setMaximum(100);
  SetSkipBox(true);
  state_.OverwriteExisting = false;
  notice_->SetOption(NoticePanel::kPhotographer);
  prefix_->SetAddOption(PrefixPanel::kNone);
  adjustment_->SetDaysDirection(AdjustmentPanel::kLater);
  adjustment_->SetTimeDirection(AdjustmentPanel::kLater);
  prefix_->SetRemoveCount(1);
  export_->SetExportType(ExportType::SheetCsv);
  export_->SetInitialFileNumber(QStringLiteral("1"));
  state_.NoticeForPhotographer = true;
}

void KelvaneMain::Activated() {
  if (state_.RunInProgress) return;
  ui_->SetStatus(1, std::string(kFilesProcessedText) + "0");
  ui_->SetStatus(2, std::string(kTotalFilesText) + "0");
  ui_->SetProgress(0);
  if (session_.settings.Options[ProgramOption::ShowStartMessage] && !state_.StartMessageHandled &&
      dialogs_ != nullptr) {
    dialogs_->ShowStartMessage(*this);
  }
  state_.StartMessageHandled = true;
  ArrangeForFunction();
}

void KelvaneMain::OpenDialog(void (ShellDialogs::*show)(QWidget&)) {
  if (dialogs_ == nullptr || state_.RunInProgress) return;
  (dialogs_->*show)(*this);
  Activated();
}

bool KelvaneMain::eventFilter(QObject* watched, QEvent* event) {
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget == nullptr || widget->window() != this) return QMainWindow::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::FocusIn:
      if (qobject_cast<QLineEdit*>(widget) != nullptr) state_.FieldEditing = true;
      break;
    case QEvent::FocusOut:
      if (qobject_cast<QLineEdit*>(widget) != nullptr) state_.FieldEditing = false;
      break;
    case QEvent::KeyPress: {
      bool consumed = false;
      KeyPressed(static_cast<QKeyEvent*>(event)->key(), consumed);
      if (consumed) return true;
      break;
    }
    case QEvent::MouseButtonRelease:
      if (widget == centralWidget()) browseButtons_[0]->setFocus();
      break;
    case QEvent::WindowActivate:
      // The first activation only: message boxes and other programs hand
      // the focus back without it counting as the window's activation.
      if (widget == this && !activatedOnce_) {
        activatedOnce_ = true;
        Activated();
        OfferInterruptedUndos();
        if (!pathAtActivation_.empty()) ChooseNow(std::exchange(pathAtActivation_, std::string()));
      }
      break;
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
      // The whole window, its fields included, takes a folder or photo.
      if (HandleDrop(event)) return true;
      break;
    default:
      break;
  }
  return QMainWindow::eventFilter(watched, event);
}

void KelvaneMain::KeyPressed(int key, bool& consumed) {
  if (state_.RunInProgress || state_.FieldEditing) return;
  switch (key) {
    case Qt::Key_F1:
      if (dialogs_ != nullptr) dialogs_->ShowHelpTopic(*this, helpContext_);
      consumed = true;
      break;
    case Qt::Key_Up:
    case Qt::Key_Down:
      SelectFunction(WrappedFunctionIndex(column_->Selected(), key == Qt::Key_Up));
      consumed = true;
      break;
    default:
      break;
  }
}

void KelvaneMain::CloseSoon() {
  constexpr int kTickMilliseconds = 50;
  state_.CancelRequested = true;
  if (closeTimer_ != nullptr) return;
  closeTimer_ = new QTimer(this);
  connect(closeTimer_, &QTimer::timeout, this, [this] {
    // A box closed answers with its escape button: No or Cancel. The run
    // then ends at its next check for Cancel.
    if (QWidget* modal = QApplication::activeModalWidget()) {
      modal->close();
      return;
    }
    if (state_.RunInProgress) {
      state_.CancelRequested = true;
      return;
    }
    closeTimer_->stop();
    close();
  });
  closeTimer_->start(kTickMilliseconds);
}

void KelvaneMain::closeEvent(QCloseEvent* event) {
  // Closing in the middle of a run would pull the window from under it: the
  // run is asked to stop instead, and the window closes afterwards.
  if (state_.RunInProgress) {
    state_.CancelRequested = true;
    event->ignore();
    return;
  }
  session_.store.WriteSetting(kFormsSection, "StdFormX", std::to_string(pos().x() * kTwipsPerPixel));
  session_.store.WriteSetting(kFormsSection, "StdFormY", std::to_string(pos().y() * kTwipsPerPixel));
  if (previewDialog_) previewDialog_->SavePosition();
  if (dialogs_ != nullptr) dialogs_->CloseAll();
  event->accept();
}

}  // namespace kelvane
