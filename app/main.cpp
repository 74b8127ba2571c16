// SPDX-License-Identifier: GPL-2.0-or-later
// kelvane: the desktop program.
#include <QApplication>
#include <QIcon>
#include <iostream>
#include <string>
#include <vector>

#include "app/cue_sounds.h"
#include "app/kelvane_dialogs.h"
#include "app/main_window.h"
#include "app/program_arguments.h"
#include "app/program_files.h"
#include "app/qt_file_dialog.h"
#include "app/session.h"
#include "app/termination_signals.h"
#include "kelvane_version.h"

namespace {

std::vector<std::string> ArgumentsOf(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

// --help and --version answer without a display, before Qt starts.
bool AnsweredWithoutWindow(const kelvane::ProgramArguments& arguments) {
  if (arguments.help) {
    std::cout << kelvane::ProgramUsage();
  } else if (arguments.version) {
    std::cout << "kelvane " << kelvane::kKelvaneVersion << "\n";
  }
  return arguments.help || arguments.version;
}

constexpr int kExitUsage = 64;

}  // namespace

int main(int argc, char** argv) {
  if (AnsweredWithoutWindow(kelvane::ReadProgramArguments(ArgumentsOf(argc, argv)))) return 0;

  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Kelvane"));
  QApplication::setApplicationVersion(QString::fromUtf8(kelvane::kKelvaneVersion));
  // Ties the windows to the desktop entry (Wayland app id, task bars).
  QGuiApplication::setDesktopFileName(QStringLiteral("org.kelvane.Kelvane"));
  // Qt has now taken its own options out of argv.
  const kelvane::ProgramArguments arguments = kelvane::ReadProgramArguments(ArgumentsOf(argc, argv));
  if (!arguments.error.empty()) {
    std::cerr << "kelvane: " << arguments.error << "\nTry 'kelvane --help'.\n";
    return kExitUsage;
  }

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
  if (!arguments.path.empty()) window.ChoosePath(arguments.path);
  // A logout or kill ends a run as Cancel does, never in the middle of a
  // photo, then closes the window.
  kelvane::TerminationSignals terminations;
  QObject::connect(&terminations, &kelvane::TerminationSignals::received, &window, &kelvane::KelvaneMain::CloseSoon);
  window.show();
  return QApplication::exec();
}
