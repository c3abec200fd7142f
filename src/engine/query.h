// Query: runs a statement in the program's SQL dialect (table file names as table names,
// named parameters ":Name") and offers its result as a read-only data set.
//
// The stored values of the result are read completely when the query opens, so no statement
// stays active and no table stays locked while the result is shown; they are kept packed
// (a few bytes a value) until the query closes. A row becomes typed values only when it is
// read: by readRows() or when it becomes the current record. Duplicate column names are
// numbered (TatoRechts, TatoRechts_1).
//
// Lookup and calculated fields work as on a table cursor: they are computed for a row each
// time it is read, from the lookup tables as they are then (a lookup table changed after
// open() shows its new values in rows read afterwards). A lookup that cannot be computed (its
// table or a field missing) throws EngineError from open(), which computes the first row, or
// from the read that computes it.
#pragma once

#include "engine/dataset.h"

#include <QStringList>
#include <QVariantMap>

#include <memory>

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
  // cannot be translated or prepared, TableMissing for an unknown table; the query then stays
  // closed.
  void open() override;
  // Closes the result and frees its rows.
  void close() override;
  // Runs a statement without result (ALTER TABLE, UPDATE, DELETE, INSERT).
  void execSql();

  void first() override;
  void last() override;
  void next() override;
  void prior() override;
  int moveBy(int n) override;
  // Rows of the result; 0 when closed.
  qint64 recordCount() override;
  qint64 recordNumber() override { return hasRecord_ ? pos_ : -1; }
  // Rows by position, lookup and calculated fields computed now; positions outside the
  // result are left out. Throws EngineError when a lookup fails.
  std::vector<Row> readRows(qint64 offset, int count) override;
  // Runs the statement again and keeps the position when the result still reaches it.
  void refresh() override;
  QVariant bookmark() const override;
  bool gotoBookmark(const QVariant& bookmark) override;

 private:
  class PackedRows;

  void moveToPos(qint64 pos);
  // The typed row at `pos` with its lookup and calculated fields; the position is its last
  // element (the bookmark).
  Row rowAt(qint64 pos);

  QString sql_;
  QVariantMap params_;
  std::unique_ptr<PackedRows> rows_;
  qint64 pos_ = -1;
};

}  // namespace lapiro::engine
