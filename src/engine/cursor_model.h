// A Qt item model over a data set for grids. Rows are read lazily in pages by position
// (DataSet::readRows), so a grid over 100,000 animals reads only what it shows. The model
// follows the data set: a change of order, filter, range or data resets it. A page the data
// set fails to read (EngineError) shows empty cells and is read again when next needed.
#pragma once

#include "engine/dataset.h"

#include <QAbstractTableModel>

#include <map>
#include <vector>

namespace lapiro::engine {

class CursorModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  struct Column {
    QString field;  // a field of the data set (data, calculated or lookup)
    QString title;  // header text
    int width = 0;  // preferred width in characters (0: the view decides)
  };

  // The data set must outlive the model (or be detached with setDataSet(nullptr)).
  explicit CursorModel(DataSet* dataSet = nullptr, QObject* parent = nullptr);
  ~CursorModel() override;

  void setDataSet(DataSet* dataSet);
  DataSet* dataSet() const { return dataSet_; }
  void setColumns(std::vector<Column> columns);
  const std::vector<Column>& columns() const { return columns_; }

  // The number of rows; for a damaged table (EngineError::TableDamaged) the rows that can be
  // read, which the model then shows without gaps.
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

  // The typed value of a cell (as Field::value()); invalid when empty.
  QVariant value(int row, const QString& field) const;
  // Makes the record of `row` the data set's current record. Returns false when the row
  // no longer exists.
  bool moveTo(int row);
  // Row of the data set's current record, -1 when none.
  int currentRow() const;

  // Rows read per page and pages kept; small pages keep scrolling cheap.
  static constexpr int kPageSize = 128;
  static constexpr size_t kMaxPages = 64;

 signals:
  // The data set's current record moved (row as currentRow()).
  void currentChanged(int row);

 protected:
  // With `keep`, a change of the data (a post, a delete) reaches the views as rows inserted or
  // removed at the end of the stored rows and every row changed, never as a reset: a grid that
  // saves inside a cell's commit keeps the editor it is closing and its current cell. A change
  // of order, filter or range still resets. Off by default.
  void keepViewsOnDataChange(bool keep) { keepViews_ = keep; }
  // The rows the data set holds (rowCount() of this class).
  int storedRowCount() const;

 private:
  const DataSet::Row* rowAt(int row) const;
  qint64 readableCount() const;
  qint64 countRows() const;
  void reload();
  void refresh();

  DataSet* dataSet_ = nullptr;
  int listener_ = 0;
  std::vector<Column> columns_;
  mutable std::vector<int> fieldIndexes_;
  mutable qint64 count_ = 0;
  mutable std::map<qint64, std::vector<DataSet::Row>> pages_;
  mutable std::vector<qint64> pageOrder_;  // least recently used first
  bool keepViews_ = false;
};

}  // namespace lapiro::engine
