// The dialog "Tierliste einlesen": a CSV table with a drop-down per column that maps it to an
// animal field, a preview of the first rows, and the row-level errors of the record rules.
// "&Übernehmen" is enabled only while no row has an error; nothing is written here.
#pragma once

#include "engine/engine.h"
#include "exchange/spreadsheet.h"

#include <QDialog>

#include <optional>
#include <vector>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace lapiro::exchange::ui {

class TFormCsvEinlesen : public QDialog {
  Q_OBJECT

 public:
  TFormCsvEinlesen(engine::Engine& engine, CsvTable table, QWidget* parent = nullptr);

  // Sets the mapping of column `column` and checks the rows again.
  void setMapping(int column, CsvColumn field);
  std::vector<CsvColumn> mapping() const;
  // The checked animals, present while there are no row errors.
  const std::optional<ExchangeFile>& result() const { return result_; }
  QListWidget* errorList() const { return errors_; }
  QTableWidget* preview() const { return preview_; }

 private:
  void check();

  engine::Engine& engine_;
  CsvTable table_;
  std::vector<QComboBox*> boxes_;
  QTableWidget* preview_ = nullptr;
  QListWidget* errors_ = nullptr;
  QLabel* info_ = nullptr;
  QPushButton* ok_ = nullptr;
  std::optional<ExchangeFile> result_;
};

}  // namespace lapiro::exchange::ui
