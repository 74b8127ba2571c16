// SPDX-License-Identifier: GPL-2.0-or-later
// kelvane: the desktop program.
#include <QApplication>
#include <QIcon>

#include "app/cue_sounds.h"
#include "app/kelvane_dialogs.h"
#include "app/main_window.h"
#include "app/program_files.h"
#include "app/qt_file_dialog.h"
#include "app/session.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Kelvane"));

  // The cues, the help and the icon: beside the program, else in the
  // install data folder.
  const std::string programFolder = kelvane::ProgramFolder();
  const kelvane::ProgramFiles files =
      kelvane::FindProgramFiles(programFolder, kelvane::InstallDataFolder(programFolder));
  QApplication::setWindowIcon(QIcon(QString::fromStdString(files.iconPath)));

  kelvane::Session session(kelvane::DefaultSettingsPath(), files.cueFolder, kelvane::AudioOutputAvailable());
  kelvane::CueSounds sounds(files.cueFolder);
  const auto cue = [&](kelvane::SoundCue played) { CueOrBeep(sounds, session.settings.SoundsEnabled, played); };

  kelvane::KelvaneDialogs dialogs(session, files.helpFolder);
  dialogs.Services().cue = cue;
  kelvane::KelvaneMain window(session, &dialogs, nullptr);
  window.Ui().SetCuePlayer(cue);
  window.SetFileDialog(kelvane::QtFileDialog(&window));
  window.show();
  return QApplication::exec();
}
