// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/main_menus.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

namespace kelvane {

namespace {

QAction* Item(QMenu* menu, const char* text, const QString& name, bool checkable = false) {
  QAction* action = menu->addAction(QString::fromUtf8(text));
  action->setObjectName(name);
  action->setCheckable(checkable);
  return action;
}

QAction* Item(QMenu* menu, const char* text, const char* name, bool checkable = false) {
  return Item(menu, text, QString::fromUtf8(name), checkable);
}

// A sub-menu of mutually exclusive items named name + index.
template <size_t N>
QMenu* ExclusiveMenu(QMenu* parent, const char* title, const char* name, const char* const (&texts)[N],
                     std::array<QAction*, N>& items) {
  QMenu* menu = parent->addMenu(QString::fromUtf8(title));
  auto* group = new QActionGroup(menu);
  for (size_t i = 0; i < N; ++i) {
    items[i] = Item(menu, texts[i], QString::fromUtf8(name) + QString::number(i), true);
    group->addAction(items[i]);
  }
  items[0]->setChecked(true);
  return menu;
}

}  // namespace

QString RemoveCountCaption(int count) { return QStringLiteral(" - leading characters - remove %1").arg(count); }

MainMenus BuildMainMenus(QMenuBar& bar) {
  MainMenus m;

  QMenu* file = bar.addMenu(QStringLiteral("&File"));
  m.fileMenu = file;
  m.dirSMu = Item(file, "&Open Folder...", "DirSMu");
  m.runSMu = Item(file, "&Run", "RunSMu");
  m.previewSMu = Item(file, "Pre&view", "PreviewSMu");
  m.undoSMu = Item(file, "&Undo Last Run...", "UndoSMu");
  m.undoSMu->setEnabled(false);
  m.exitSMn = Item(file, "E&xit", "ExitSMn");
  m.fileSepPrevDir = file->addSeparator();
  m.fileSepPrevDir->setObjectName(QStringLiteral("FileSepPrevDir"));
  for (int i = 0; i < MainMenus::kRecentCount; ++i) {
    m.prevDir[static_cast<size_t>(i)] = Item(file, "", QStringLiteral("PrevDir%1").arg(i));
  }

  QMenu* select = bar.addMenu(QStringLiteral("&Select"));
  m.singleFileSMu = Item(select, "&Single Photo Processing", "SingleFileSMu", true);
  select->addSeparator();
  auto* functions = new QActionGroup(select);
  for (int i = 0; i < kFunctionCount; ++i) {
    m.modeSMu[static_cast<size_t>(i)] =
        Item(select, TextsOfFunction(i).menuText, QStringLiteral("ModeSMu%1").arg(i), true);
    functions->addAction(m.modeSMu[static_cast<size_t>(i)]);
  }
  select->addSeparator();
  m.daysAdjustMenu = ExclusiveMenu(select, "Days adjust", "DateAdjSMu", {"Later", "Earlier", "As Date"}, m.dateAdjSMu);
  m.timeAdjustMenu = ExclusiveMenu(select, "Time adjust", "TimeAdjSMu", {"Later", "Earlier"}, m.timeAdjSMu);
  m.daysDiffSMu = Item(select, "From Date/Ti&mes...", "DaysDiffSMu");
  m.remChrSMu = Item(select, "Remove Leading Characters", "RemChrSMu", true);
  m.remChrQtyMenu =
      ExclusiveMenu(select, "", "RemChrQtySMu", {"1", "2", "3", "4", "5", "6", "7", "8", "9"}, m.remChrQtySMu);
  m.remChrQtyMenu->setTitle(RemoveCountCaption(1));
  m.remChrQtyMenu->setEnabled(false);
  m.addPrefixMenu = ExclusiveMenu(select, "Add Prefix", "AddPrefixOptSMu",
                                  {"None", "Add Fixed Prefix", "Time Sequence Prefix", "Time Seq. + Add combined"},
                                  m.addPrefixOptSMu);
  m.crIdTypMenu =
      ExclusiveMenu(select, "Copyright for", "CR_IDTypSMu", {"Photographer", "Editor", "Both"}, m.crIdTypSMu);
  m.crIdSkipSMu = Item(select, "&Skip if text already present", "CRIDSkipSMu", true);
  m.crIdSkipSMu->setChecked(true);
  m.crYearSMu = Item(select, "Copyright &Year from Photo", "CRYearSMu", true);
  m.crInsertSMu = Item(select, "&Insert Standard Copyright Text", "CRInsertSMu");
  m.crInsertSMu->setEnabled(false);
  m.crSetStdSMu = Item(select, "Set as &New Standard Copyright Text", "CRSetStdSMu");
  m.exportAsMenu =
      ExclusiveMenu(select, "&Export as", "ExportAsSMu",
                    {"Spreadsheet 'csv'", "Database 'csv'", "Workbook (.xlsx) Sheet", "SQLite Tables", "JSON (.json)"},
                    m.exportAsSMu);
  m.filePerPhotoSMu = Item(select, "&File per photo", "FilePerPhotoSMu", true);
  m.expExclTechSMu = Item(select, "Exclude &Technical", "ExpExclTechSMu", true);
  select->addSeparator();
  m.optionsSMu = Item(select, "&Options...", "OptionsSMu");

  QMenu* help = bar.addMenu(QStringLiteral("&Help"));
  m.helpSMu = Item(help, "H&elp...", "HelpSMu");
  m.helpContSmu = Item(help, "&Contents...", "HelpContSmu");
  m.helpIndexSmu = Item(help, "&Index...", "HelpIndexSmu");
  help->addSeparator();
  m.startMsgSmu = Item(help, "Start &Message...", "StartMsgSmu");
  m.aboutSmu = Item(help, "&About...", "AboutSmu");
  return m;
}

}  // namespace kelvane
