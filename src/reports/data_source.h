// The rows a report's detail band iterates over.
//
// A report never reads tables itself: the window that prints hands the layout a data source.
// The interface is deliberately small so that a table cursor, an SQL result or a list built in
// memory can all feed a report.
#pragma once

#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <vector>

namespace lapiro::reports {

class ReportDataSource {
 public:
  virtual ~ReportDataSource() = default;

  // Number of rows. The detail band is printed once per row, rows 0 .. rowCount()-1 in order.
  virtual int rowCount() const = 0;

  // Value of the field `field` in row `row`.
  // REQUIRES: 0 <= row < rowCount().
  // Values are plain QVariants: QString, QDate/QDateTime, int/qlonglong, double, bool,
  // lapiro::engine::Money, QImage or QByteArray (pictures). An unknown field must give an
  // invalid QVariant, which prints as an empty text; it is not an error.
  virtual QVariant value(int row, const QString& field) const = 0;
};

// Rows held in memory, one QVariantMap per row (field name -> value). Field names are looked
// up exactly first and then without regard to case, so "Strasse" does not find "Straße" but
// "email" finds "EMail".
class MemoryDataSource : public ReportDataSource {
 public:
  MemoryDataSource() = default;
  explicit MemoryDataSource(std::vector<QVariantMap> rows) : rows_(std::move(rows)) {}

  void append(QVariantMap row) { rows_.push_back(std::move(row)); }

  int rowCount() const override { return static_cast<int>(rows_.size()); }
  // A row outside 0 .. rowCount()-1 gives an invalid QVariant.
  QVariant value(int row, const QString& field) const override;

 private:
  std::vector<QVariantMap> rows_;
};

}  // namespace lapiro::reports
