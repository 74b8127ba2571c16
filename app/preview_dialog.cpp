// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/preview_dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/widget_helpers.h"

namespace kelvane {

namespace {

enum Column { kPhoto = 0, kWhat, kNow, kAfter, kColumnCount };

// The table asks for room for some twenty rows of four columns: the window is
// first sized from it.
class PreviewTable : public QTableWidget {
 public:
  using QTableWidget::QTableWidget;
  QSize sizeHint() const override { return {820, 440}; }
};

QTableWidgetItem* Cell(const std::string& text) {
  auto* item = new QTableWidgetItem(QString::fromStdString(text));
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  item->setToolTip(item->text());
  return item;
}

}  // namespace

PreviewDialog::PreviewDialog(SettingsStore& store, std::function<void()> openHelp, QWidget* parent)
    : KeptDialog(store, "PreviewX", "PreviewY", parent) {
  setObjectName(QStringLiteral("Preview"));
  setWindowTitle(QStringLiteral("Kelvane Preview"));
  setSizeGripEnabled(true);

  heading_ = Named(new QLabel(this), "PreviewHdrLbl");
  QFont font = heading_->font();
  font.setBold(true);
  heading_->setFont(font);
  heading_->setWordWrap(true);
  summary_ = Named(new QLabel(this), "PreviewSumLbl");
  summary_->setWordWrap(true);

  table_ = Named(new PreviewTable(0, kColumnCount, this), "PreviewTbl");
  table_->setHorizontalHeaderLabels(
      {QStringLiteral("Photo"), QStringLiteral("What"), QStringLiteral("Now"), QStringLiteral("After")});
  table_->verticalHeader()->setVisible(false);
  table_->verticalHeader()->setDefaultSectionSize(fontMetrics().lineSpacing() + 8);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setAlternatingRowColors(true);
  table_->setWordWrap(false);
  table_->horizontalHeader()->setStretchLastSection(true);

  runButton_ = Named(new QPushButton(QStringLiteral("Run"), this), "PreviewRunBtn",
                     "Carry out exactly the changes shown; a photo changed since is left as it is and listed.");
  closeButton_ = Named(new QPushButton(QStringLiteral("Close"), this), "PreviewCloseBtn",
                       "Close the preview without changing anything.");
  closeButton_->setDefault(true);
  connect(runButton_, &QPushButton::clicked, this, [this] {
    runChosen_ = true;
    accept();
  });
  connect(closeButton_, &QPushButton::clicked, this, &QDialog::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(runButton_);
  buttons->addWidget(closeButton_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(heading_);
  layout->addWidget(summary_);
  layout->addWidget(table_, 1);
  layout->addLayout(buttons);

  if (openHelp) SetHelpKey(std::move(openHelp));
}

bool PreviewDialog::Present(const std::string& heading, const PreviewResult& result) {
  heading_->setText(QString::fromStdString(heading));
  Fill(result);
  // Nothing to carry out when no photo would change.
  runButton_->setEnabled(!result.plan.empty());
  runChosen_ = false;
  closeButton_->setFocus();
  ShowModal();
  return runChosen_;
}

void PreviewDialog::Fill(const PreviewResult& result) {
  summary_->setText(QString::fromStdString(PreviewSummary(result)));
  table_->clearSpans();
  table_->setRowCount(0);
  table_->setRowCount(static_cast<int>(result.rows.size()));
  const QIcon failed = style()->standardIcon(QStyle::SP_MessageBoxWarning);
  for (int row = 0; row < table_->rowCount(); ++row) {
    const PreviewRow& shown = result.rows[static_cast<size_t>(row)];
    table_->setItem(row, kPhoto, Cell(shown.photo));
    table_->setItem(row, kWhat, Cell(shown.what));
    if (shown.failed) {
      // The list message takes the row's three value columns.
      table_->item(row, kPhoto)->setIcon(failed);
      table_->setSpan(row, kWhat, 1, kColumnCount - kWhat);
      continue;
    }
    table_->setItem(row, kNow, Cell(shown.now));
    table_->setItem(row, kAfter, Cell(shown.after));
  }
  table_->resizeColumnsToContents();
  // Long values (descriptions) are cut in the table; their cells' tooltips
  // hold them whole.
  for (int column = kPhoto; column < kAfter; ++column) {
    table_->setColumnWidth(column, std::min(table_->columnWidth(column), 260));
  }
}

}  // namespace kelvane
