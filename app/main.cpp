// kelvane: the desktop program.
#include <QApplication>

#include "app/main_window.h"
#include "app/qt_file_dialog.h"
#include "app/session.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Kelvane"));

  // The cue files are looked for beside the program. Cues are beeps until
  // the program plays sounds, so no audio output is reported.
  kelvane::Session session(kelvane::DefaultSettingsPath(), QApplication::applicationDirPath().toStdString() + "/",
                           false);
  kelvane::KelvaneMain window(session, nullptr);
  window.SetFileDialog(kelvane::QtFileDialog(&window));
  window.show();
  return QApplication::exec();
}
