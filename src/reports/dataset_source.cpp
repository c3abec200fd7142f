#include "reports/dataset_source.h"

namespace lapiro::reports {

DataSetSource::DataSetSource(engine::DataSet& dataSet) {
  for (const auto& info : dataSet.fieldInfos()) names_ << info.def.name;
  const qint64 count = dataSet.recordCount();
  constexpr int kChunk = 1000;
  for (qint64 offset = 0; offset < count; offset += kChunk) {
    auto chunk = dataSet.readRows(offset, kChunk);
    if (chunk.empty()) break;
    for (auto& r : chunk) rows_.push_back(std::move(r));
  }
}

QVariant DataSetSource::value(int row, const QString& field) const {
  if (row < 0 || row >= rowCount()) return {};
  int idx = names_.indexOf(field);
  if (idx < 0) {
    for (int i = 0; i < names_.size(); ++i)
      if (names_[i].compare(field, Qt::CaseInsensitive) == 0) idx = i;
  }
  if (idx < 0) return {};
  return rows_[static_cast<size_t>(row)][static_cast<size_t>(idx)];
}

}  // namespace lapiro::reports
