// SPDX-License-Identifier: GPL-2.0-or-later
// The main window's three menus. Each item that twins a control is
// checkable where its control is; the window keeps the two in step.
#pragma once

#include <QString>
#include <array>

#include "app/function_table.h"

class QAction;
class QActionGroup;
class QMenu;
class QMenuBar;

namespace kelvane {

struct MainMenus {
  static constexpr int kRecentCount = 10;

  // "&File"
  QMenu* fileMenu = nullptr;
  QAction* dirSMu = nullptr;
  QAction* runSMu = nullptr;
  QAction* previewSMu = nullptr;
  QAction* undoSMu = nullptr;
  QAction* exitSMn = nullptr;
  QAction* fileSepPrevDir = nullptr;
  std::array<QAction*, kRecentCount> prevDir{};

  // "&Select"
  QAction* singleFileSMu = nullptr;
  std::array<QAction*, kFunctionCount> modeSMu{};
  QMenu* daysAdjustMenu = nullptr;
  std::array<QAction*, 3> dateAdjSMu{};
  QMenu* timeAdjustMenu = nullptr;
  std::array<QAction*, 2> timeAdjSMu{};
  QAction* daysDiffSMu = nullptr;
  QAction* remChrSMu = nullptr;
  QMenu* remChrQtyMenu = nullptr;
  std::array<QAction*, 9> remChrQtySMu{};
  QMenu* addPrefixMenu = nullptr;
  std::array<QAction*, 4> addPrefixOptSMu{};
  QMenu* crIdTypMenu = nullptr;
  std::array<QAction*, 3> crIdTypSMu{};
  QAction* crIdSkipSMu = nullptr;
  QAction* crYearSMu = nullptr;
  QAction* crInsertSMu = nullptr;
  QAction* crSetStdSMu = nullptr;
  QMenu* exportAsMenu = nullptr;
  std::array<QAction*, 5> exportAsSMu{};
  QAction* filePerPhotoSMu = nullptr;
  QAction* expExclTechSMu = nullptr;
  QAction* optionsSMu = nullptr;

  // "&Help"
  QAction* helpSMu = nullptr;
  QAction* helpContSmu = nullptr;
  QAction* helpIndexSmu = nullptr;
  QAction* startMsgSmu = nullptr;
  QAction* aboutSmu = nullptr;
};

// Builds the menus into bar; the actions belong to bar.
MainMenus BuildMainMenus(QMenuBar& bar);

// The caption of the removal count sub-menu for count.
QString RemoveCountCaption(int count);

}  // namespace kelvane
