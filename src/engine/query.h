// Query: runs a statement in the program's SQL dialect (table file names as table names,
// named parameters ":Name") and offers its result as a read-only data set.
//
// The result is read completely when the query opens, so no statement stays active and no
// table stays locked while the result is shown. Duplicate column names are numbered
// (TatoRechts, TatoRechts_1). Lookup and calculated fields work as on a table cursor.
#pragma once

#include "engine/dataset.h"

#include <QStringList>
#include <QVariantMap>

namespace lapiro::engine {

class Query : public DataSet {
 public:
  explicit Query(Engine& engine, QString name = {});
  ~Query() override;

  // The statement, as one text or as lines joined with line breaks. Changing it closes the
  // query.
  void setSql(const QString& statement);
  void setSql(const QStringList& lines) { setSql(lines.join(u'\n')); }
  const QString& sql() const { return sql_; }
  // Named parameters (without the colon). Every value is bound, never pasted into the text.
  // QDate values compare with Date fields.
  void setParam(const QString& name, const QVariant& value) { params_.insert(name, value); }
  void clearParams() { params_.clear(); }

  // Runs a SELECT and opens its result. Throws EngineError(BadStatement) for a statement that
  // cannot be translated or prepared, TableMissing for an unknown table.
  void open() override;
  // Runs a statement without result (ALTER TABLE, UPDATE, DELETE, INSERT).
  void execSql();

  void first() override;
  void last() override;
  void next() override;
  void prior() override;
  int moveBy(int n) override;
  qint64 recordCount() override { return static_cast<qint64>(rows_.size()); }
  qint64 recordNumber() override { return hasRecord_ ? pos_ : -1; }
  std::vector<Row> readRows(qint64 offset, int count) override;
  void refresh() override;
  QVariant bookmark() const override;
  bool gotoBookmark(const QVariant& bookmark) override;

 private:
  void moveToPos(qint64 pos);

  QString sql_;
  QVariantMap params_;
  std::vector<Row> rows_;
  qint64 pos_ = -1;
};

}  // namespace lapiro::engine
