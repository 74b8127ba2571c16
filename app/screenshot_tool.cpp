// SPDX-License-Identifier: GPL-2.0-or-later
// kelvane-screenshots [--dark] DIR: renders the main window for each of the
// nine functions, then the Options dialog, the start message, About, the
// calculator (with an example entered), the help window and the preview
// window (a date shift previewed on copies of the sample photos in
// KELVANE_SAMPLES, when set), into PNG files in DIR, in the Fusion style
// with its own light palette or, with --dark, a dark one. The settings and
// the run history are kept in a scratch folder, apart from the user's.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string_view>

#include "app/function_table.h"
#include "app/help_window.h"
#include "app/kelvane_dialogs.h"
#include "app/main_window.h"
#include "app/palette_colours.h"
#include "app/program_files.h"

namespace {

using kelvane::KelvaneDialogs;
using kelvane::KelvaneMain;

// "Photo Time" -> "photo-time".
QString Slug(const char* text) {
  QString slug = QString::fromUtf8(text).toLower();
  slug.replace(QLatin1Char(' '), QLatin1Char('-'));
  return slug;
}

bool Save(QWidget& widget, const QDir& folder, const QString& name) {
  const QString path = folder.filePath(name + QStringLiteral(".png"));
  if (widget.grab().save(path)) {
    std::printf("%s\n", qPrintable(path));
    return true;
  }
  std::fprintf(stderr, "could not write %s\n", qPrintable(path));
  return false;
}

// Opens a modal window through open, and once it shows: prepare runs, the
// window is saved and closed.
bool SaveModal(const QDir& folder, const QString& name, const std::function<void()>& open,
               const std::function<void(QWidget&)>& prepare = {}) {
  bool saved = false;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible()) return;
    timer.stop();
    if (prepare) prepare(*modal);
    QApplication::processEvents();
    saved = Save(*modal, folder, name);
    modal->close();
  });
  timer.start(50);
  open();
  return saved;
}

void Type(QWidget& window, const char* field, const char* text) {
  if (auto* edit = window.findChild<QLineEdit*>(QString::fromUtf8(field))) edit->setText(QString::fromUtf8(text));
}

// Sample photos for the preview: four that a date shift changes (two with
// XMP dates), two it can't.
constexpr const char* kPreviewSamples[] = {"cameras/Canon_40D.jpg", "cameras/Pentax_K10D.jpg", "gps/DSCN0010.jpg",
                                           "cameras/jolla.jpg",     "xmp/BlueSquare.jpg",      "no-exif/branches.jpg"};

// Copies the preview's samples, with their file times, into photos;
// false when they aren't all there.
bool CopySamples(const std::filesystem::path& samples, const std::filesystem::path& photos) {
  namespace fs = std::filesystem;
  std::error_code error;
  fs::create_directories(photos, error);
  for (const char* sample : kPreviewSamples) {
    const fs::path target = photos / fs::path(sample).filename();
    if (!fs::copy_file(samples / sample, target, error)) return false;
    fs::permissions(target, fs::perms::owner_write, fs::perm_options::add, error);
    fs::last_write_time(target, fs::last_write_time(samples / sample, error), error);
  }
  return !error;
}

// The preview window of a shift by a day and an hour over copies of the
// samples; true when there are no samples to show.
bool SavePreview(KelvaneMain& window, const QDir& folder, const QTemporaryDir& scratch) {
  const char* samples = std::getenv("KELVANE_SAMPLES");
  if (samples == nullptr || *samples == '\0') {
    std::fprintf(stderr, "KELVANE_SAMPLES not set: no preview window\n");
    return true;
  }
  const std::string photos = scratch.filePath(QStringLiteral("photos")).toStdString() + "/";
  if (!CopySamples(samples, photos)) {
    std::fprintf(stderr, "could not copy the sample photos from %s\n", samples);
    return false;
  }
  window.Ui().SetMessagePresenter([](const kelvane::Message& message) {
    std::fprintf(stderr, "%s: %s\n", message.title.c_str(), message.text.c_str());
    return kelvane::MessageAnswer::kOk;
  });
  window.SetFileDialog([photos](const kelvane::DialogRequest&) { return std::optional<std::string>(photos); });
  window.SelectFunction(1);
  window.Menus().dirSMu->trigger();
  Type(window, "AdjDaysTxt", "1");
  Type(window, "AdjTimeTxt0", "1");
  QApplication::processEvents();
  auto* preview = window.findChild<QPushButton*>(QStringLiteral("PreviewBtn"));
  if (preview == nullptr || !preview->isEnabled()) {
    std::fprintf(stderr, "Preview is not enabled\n");
    return false;
  }
  return SaveModal(folder, QStringLiteral("preview"), [preview] { preview->click(); });
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const bool dark = argc == 3 && std::string_view(argv[1]) == "--dark";
  if (argc != 2 && !dark) {
    std::fprintf(stderr, "usage: kelvane-screenshots [--dark] DIR\n");
    return 2;
  }
  const char* target = argv[argc - 1];
  const QDir folder(QString::fromLocal8Bit(target));
  if (!folder.mkpath(QStringLiteral("."))) {
    std::fprintf(stderr, "could not make %s\n", target);
    return 1;
  }
  QApplication::setStyle(QStringLiteral("Fusion"));
  QApplication::setPalette(dark ? kelvane::DarkPalette() : QApplication::style()->standardPalette());
  QTemporaryDir scratch;
  if (!scratch.isValid()) return 1;
  qputenv("XDG_STATE_HOME", scratch.filePath(QStringLiteral("state")).toUtf8());

  const std::string programFolder = kelvane::ProgramFolder();
  const kelvane::ProgramFiles files =
      kelvane::FindProgramFiles(programFolder, kelvane::InstallDataFolder(programFolder));
  QApplication::setWindowIcon(QIcon(QString::fromStdString(files.iconPath)));
  kelvane::Session session(scratch.filePath(QStringLiteral("qmre0118.ini")).toStdString(), files.cueFolder, false);
  KelvaneDialogs dialogs(session, files.helpFolder);
  KelvaneMain window(session, &dialogs);
  window.show();
  QApplication::processEvents();

  bool all = true;
  for (int i = 0; i < kelvane::kFunctionCount; ++i) {
    window.SelectFunction(i);
    QApplication::processEvents();
    all = Save(window, folder, QStringLiteral("main-%1-%2").arg(i + 1).arg(Slug(kelvane::TextsOfFunction(i).label))) &&
          all;
  }

  all = SaveModal(folder, QStringLiteral("options"), [&] { dialogs.ShowOptions(window); }) && all;
  all = SaveModal(folder, QStringLiteral("start-message"), [&] { dialogs.ShowStartMessage(window); }) && all;
  all = SaveModal(folder, QStringLiteral("about"), [&] { dialogs.ShowAbout(window); }) && all;
  window.SelectFunction(1);
  all = SaveModal(
            folder, QStringLiteral("calculator"), [&] { dialogs.ShowCalculator(window); },
            [](QWidget& calculator) {
              Type(calculator, "DateTxt0", "20070101");
              Type(calculator, "DateTxt1", "20070111");
              Type(calculator, "TimeTxt0", "235900");
              Type(calculator, "TimeTxt1", "000100");
            }) &&
        all;

  dialogs.ShowHelpTopic(window, kelvane::TextsOfFunction(1).helpContext);
  QApplication::processEvents();
  if (dialogs.Help() != nullptr) all = Save(*dialogs.Help(), folder, QStringLiteral("help")) && all;

  all = SavePreview(window, folder, scratch) && all;

  dialogs.CloseAll();
  return all ? 0 : 1;
}
