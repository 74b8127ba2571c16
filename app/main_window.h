// SPDX-License-Identifier: GPL-2.0-or-later
// KelvaneMain: the program's window. The function column, the title and
// description, the photos folder (or single photo) with Browse, the
// parameter panel of the selected function, Run / Preview / Cancel / Exit,
// the status bar with its progress bar, and the three menus.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <memory>

#include "app/folder_browse.h"
#include "app/function_memory.h"
#include "app/main_menus.h"
#include "app/qt_user_interface.h"
#include "app/recent_folders.h"
#include "app/run_history.h"
#include "app/session.h"
#include "batch/batch_context.h"
#include "batch/batch_inputs.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace kelvane {

class AdjustmentPanel;
class ExportPanel;
class FunctionColumn;
class NoticePanel;
class PrefixPanel;
class PreviewDialog;
class ShellDialogs;

class KelvaneMain : public QMainWindow {
  Q_OBJECT

 public:
  // The window is 8220 x 8190 twips.
  static constexpr int kWidthTwips = 8220;
  static constexpr int kHeightTwips = 8190;
  static constexpr int kTwipsPerPixel = 15;

  // Starts up: reads the settings, prunes the run history, places the
  // window, sets the panel defaults, builds the recent-folder menu and
  // selects the first function. dialogs may be null: the entries that open
  // other windows are disabled.
  KelvaneMain(Session& session, ShellDialogs* dialogs, QWidget* parent = nullptr);
  ~KelvaneMain() override;

  // Selects function index 0..8 (ignored during a run).
  void SelectFunction(int index);
  // Lays the window out for the current function, mode and parameters and
  // enables Run when the function can run.
  void ArrangeForFunction();

  int HelpContext() const { return helpContext_; }
  QtUserInterface& Ui() { return *ui_; }
  AdjustmentPanel& Adjustment() { return *adjustment_; }
  const MainMenus& Menus() const { return menus_; }
  // The file dialog behind every Browse (a scripted one in tests).
  void SetFileDialog(FileDialog dialog) { fileDialog_ = std::move(dialog); }
  // Chooses a folder (in folder mode) or a photo (in single-photo mode) as
  // Browse chooses one, so that the same checks apply: the program's
  // argument and a folder or photo dropped on the window. Before the
  // window's first activation the choice waits for it (or, when the window
  // isn't activated, for a moment). A path that doesn't exist is reported
  // and changes nothing.
  void ChoosePath(const std::string& path);
  // Ends the program as closing the window does, for SIGTERM and SIGHUP: a
  // run in progress is cancelled and open boxes are closed (a question
  // declined), then the window closes once the run has ended.
  void CloseSoon();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // Construction.
  void BuildControls();
  void ConnectControls();
  void ConnectMenus();
  void PlaceOnScreen();
  void SetDefaults();

  // Activation: the counters reset, the start message once, a new layout.
  void Activated();
  // Asks, for each interrupted run not taken back, whether to undo it now
  // (main_window_history.cpp).
  void OfferInterruptedUndos();
  void KeyPressed(int key, bool& consumed);
  void OpenDialog(void (ShellDialogs::*show)(QWidget&));

  // Function selection and layout (main_window_layout.cpp).
  SharedPanelChoice PanelChoice() const;
  void RestorePanel(SharedPanelChoice choice);
  void ApplyFunctionCaptions(ProgramFunction function);
  void ShowPanelsFor(ProgramFunction function);
  void UpdateRunEnabled();
  // Run and Preview with their menu twins; Preview only for the functions
  // that change photos (an export writes its file, it has nothing to
  // preview).
  void SetRunCommandsEnabled(bool enabled);
  void SetSkipBox(bool checked);
  void OnSkipBoxToggled(bool checked);
  void OnExportTypeChosen(ExportType type, ExportType previous);
  void ClearExportTarget();
  bool ExportTargetFolder() const;

  // A single photo's own copyright or description shown in the panel,
  // choosing the notice type that fits it when asked.
  void ShowPhotoText(bool chooseNoticeType);
  void OnNoticeOptionByUser();

  // Folders (main_window_folders.cpp).
  void BrowseClicked(int index);
  void Browse(int index, const FileDialog& dialog);
  void ChooseNow(const std::string& path);
  // The event of a drag or drop of one local file or folder, with its path;
  // false for anything else.
  bool HandleDrop(QEvent* event);
  void ToggleSinglePhoto();
  void RecentFolderChosen(int index);
  void ShowFileCount(const std::string& path);
  void RebuildRecentMenu();
  static bool IsFolder(const std::string& path);

  void ShowTotalFiles(size_t count);

  // Run (main_window_run.cpp).
  void RunClicked();
  BatchInputs RunInputs() const;
  void ShowRunResults(const BatchInputs& inputs);
  // Runs the selected function on inputs, its boxes shown through dialogs.
  void RunFunction(BatchInputs& inputs, UserDialogs& dialogs, const RunSafety& safety, RunFailures* failures);
  // After every run, preview and undo: Undo Last Run follows the history.
  void RunEnded();

  // Preview (main_window_preview.cpp): a dry run, then the preview window,
  // whose Run carries out exactly what it shows.
  void PreviewClicked();
  std::string PreviewHeading() const;

  // Undo (main_window_history.cpp).
  void UndoLastRunClicked();
  void UndoRun(const std::string& journalPath);
  void UpdateUndoEnabled();

  Session& session_;
  RunState& state_;
  ShellDialogs* dialogs_;
  FunctionMemory memory_;
  RecentFolders recent_;
  BrowseFolders browseFolders_;
  FileDialog fileDialog_;
  int helpContext_ = kStartUpHelpContext;
  bool activatedOnce_ = false;
  std::string pathAtActivation_;  // chosen when the window is first activated
  bool arranging_ = false;
  UndoableRunWatch undoable_;
  QTimer* closeTimer_ = nullptr;  // while the program is asked to end

  FunctionColumn* column_ = nullptr;
  std::array<QLabel*, 2> formLabels_{};
  QLabel* description_ = nullptr;
  QLabel* folderLabel_ = nullptr;
  std::array<QLineEdit*, 2> pathBoxes_{};
  std::array<QPushButton*, 2> browseButtons_{};
  QCheckBox* singlePhoto_ = nullptr;
  QLabel* parametersLabel_ = nullptr;
  QWidget* secondPathRow_ = nullptr;
  QLabel* secondPathLabel_ = nullptr;
  AdjustmentPanel* adjustment_ = nullptr;
  PrefixPanel* prefix_ = nullptr;
  NoticePanel* notice_ = nullptr;
  ExportPanel* export_ = nullptr;
  QCheckBox* skipBox_ = nullptr;
  std::array<QLabel*, 2> functionTexts_{};
  QPushButton* runButton_ = nullptr;
  QPushButton* previewButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
  QPushButton* exitButton_ = nullptr;
  QProgressBar* progress_ = nullptr;
  std::array<QLabel*, 2> statusPanels_{};
  MainMenus menus_;
  std::unique_ptr<QtUserInterface> ui_;
  QPointer<PreviewDialog> previewDialog_;
};

}  // namespace kelvane
