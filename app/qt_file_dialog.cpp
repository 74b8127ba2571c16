// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/qt_file_dialog.h"

#include <QFileDialog>
#include <QStringList>

namespace kelvane {

FileDialog QtFileDialog(QWidget* parent) {
  return [parent](const DialogRequest& request) -> std::optional<std::string> {
    const QString title = QString::fromStdString(request.title);
    const QString start = QString::fromStdString(request.startFolder);
    if (request.kind == DialogKind::kFolder) {
      QString folder = QFileDialog::getExistingDirectory(parent, title, start);
      if (folder.isEmpty()) return std::nullopt;
      if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
      return folder.toStdString();
    }
    QFileDialog dialog(parent, title, start);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(request.kind == DialogKind::kOpenFile ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    QStringList filters;
    for (const std::string& filter : DialogNameFilters(request.filter)) filters << QString::fromStdString(filter);
    dialog.setNameFilters(filters);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().front().toStdString();
  };
}

}  // namespace kelvane
