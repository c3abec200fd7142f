// Feeds a report from a table cursor or an SQL result: every record the data set visits, in
// its order, with its filter, range and master link, including calculated and lookup fields.
#pragma once

#include "engine/dataset.h"
#include "reports/data_source.h"

namespace lapiro::reports {

class DataSetSource : public ReportDataSource {
 public:
  // Reads all visited records of `dataSet` at construction, without moving its current
  // record. REQUIRES: dataSet is open.
  explicit DataSetSource(engine::DataSet& dataSet);

  int rowCount() const override { return static_cast<int>(rows_.size()); }
  QVariant value(int row, const QString& field) const override;

 private:
  QStringList names_;
  std::vector<engine::DataSet::Row> rows_;
};

}  // namespace lapiro::reports
