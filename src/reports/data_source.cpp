#include "reports/data_source.h"

namespace lapiro::reports {

QVariant MemoryDataSource::value(int row, const QString& field) const {
  if (row < 0 || row >= rowCount()) return {};
  const QVariantMap& values = rows_[static_cast<size_t>(row)];
  const auto exact = values.constFind(field);
  if (exact != values.cend()) return exact.value();
  for (auto it = values.cbegin(); it != values.cend(); ++it) {
    if (it.key().compare(field, Qt::CaseInsensitive) == 0) return it.value();
  }
  return {};
}

}  // namespace lapiro::reports
