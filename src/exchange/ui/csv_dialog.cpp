#include "exchange/ui/csv_dialog.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace lapiro::exchange::ui {

namespace {
constexpr int kPreviewRows = 20;
}

TFormCsvEinlesen::TFormCsvEinlesen(engine::Engine& engine, CsvTable table, QWidget* parent)
    : QDialog(parent), engine_(engine), table_(std::move(table)) {
  setWindowTitle(QStringLiteral("Tierliste einlesen"));
  auto* layout = new QVBoxLayout(this);
  info_ = new QLabel(this);
  layout->addWidget(info_);

  const QStringList header = table_.rows.empty() ? QStringList() : table_.rows.front();
  const std::vector<CsvColumn> guessed = guessMapping(header);
  preview_ = new QTableWidget(this);
  preview_->setColumnCount(static_cast<int>(header.size()));
  const int shown = std::min<int>(kPreviewRows, std::max<int>(0, static_cast<int>(table_.rows.size()) - 1));
  preview_->setRowCount(shown + 1);
  preview_->setHorizontalHeaderLabels(header);
  QStringList lines{QStringLiteral("Feld")};
  for (int r = 0; r < shown; ++r) lines << QString::number(r + 2);
  preview_->setVerticalHeaderLabels(lines);
  for (int c = 0; c < header.size(); ++c) {
    auto* box = new QComboBox(preview_);
    for (int k = 0; k < kCsvColumnCount; ++k) box->addItem(csvColumnCaption(CsvColumn(k)), k);
    box->setCurrentIndex(static_cast<int>(guessed[c]));
    connect(box, &QComboBox::currentIndexChanged, this, [this] { check(); });
    preview_->setCellWidget(0, c, box);
    boxes_.push_back(box);
    for (int r = 0; r < shown; ++r)
      preview_->setItem(r + 1, c, new QTableWidgetItem(table_.rows[r + 1].value(c)));
  }
  preview_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  preview_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  layout->addWidget(preview_, 2);
  layout->addWidget(new QLabel(QStringLiteral("Fehler:"), this));
  errors_ = new QListWidget(this);
  layout->addWidget(errors_, 1);

  auto* row = new QHBoxLayout;
  row->addStretch();
  ok_ = new QPushButton(QStringLiteral("&Übernehmen"), this);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  auto* cancel = new QPushButton(QStringLiteral("&Abbrechen"), this);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  row->addWidget(ok_);
  row->addWidget(cancel);
  layout->addLayout(row);
  resize(820, 520);
  check();
}

void TFormCsvEinlesen::setMapping(int column, CsvColumn field) {
  boxes_.at(column)->setCurrentIndex(static_cast<int>(field));  // checks again through the signal
}

std::vector<CsvColumn> TFormCsvEinlesen::mapping() const {
  std::vector<CsvColumn> out;
  for (QComboBox* b : boxes_) out.push_back(CsvColumn(b->currentData().toInt()));
  return out;
}

void TFormCsvEinlesen::check() {
  result_.reset();
  errors_->clear();
  const QString encoding = table_.encoding == TextEncoding::Utf8 ? QStringLiteral("UTF-8") : QStringLiteral("Windows-1252");
  const QString separator = table_.separator == u'\t' ? QStringLiteral("Tabulator") : QString(table_.separator);
  try {
    const CsvImport r = csvToExchange(engine_, table_, mapping());
    for (const CsvRowError& e : r.errors)
      errors_->addItem(e.line > 0 ? QStringLiteral("Zeile %1: %2").arg(e.line).arg(e.message) : e.message);
    if (r.errors.empty()) result_ = r.file;
    info_->setText(QStringLiteral("%1 Zeilen, Zeichensatz %2, Trennzeichen \u201E%3\u201C; %4")
                       .arg(r.rows)
                       .arg(encoding, separator,
                            r.errors.empty() ? QStringLiteral("keine Fehler")
                                             : QStringLiteral("%1 Fehler").arg(r.errors.size())));
  } catch (const engine::EngineError& e) {
    errors_->addItem(e.message());
  }
  ok_->setEnabled(result_.has_value());
}

}  // namespace lapiro::exchange::ui
