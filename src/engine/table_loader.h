// TableLoader: fast loading of many records into one table, below the cursors (the installer's
// demo stock, work tables of printouts).
#pragma once

#include "engine/types.h"

#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <memory>
#include <vector>

namespace lapiro::engine {

class Engine;

// Fast loading of many records into one table in a single transaction, bypassing cursors but
// storing exactly what a cursor would store: values are converted with toTyped and
// toStorage (dates as ISO text, money in 1/10000 units, logical 0/1, empty as NULL,
// Alpha text cut to size), required fields are checked, and an empty AutoInc key is numbered
// (by SQLite for the rowid key, max + 1 otherwise).
//
// The table is held exclusively from construction until commit() or destruction; the
// destructor rolls back what was not committed. All methods throw EngineError.
class TableLoader {
 public:
  TableLoader(Engine& engine, const QString& tableName);
  ~TableLoader();
  TableLoader(const TableLoader&) = delete;
  TableLoader& operator=(const TableLoader&) = delete;

  const TableDef& def() const;
  int fieldCount() const;
  // Position of a field in def().fields; throws EngineError(FieldMissing) for an unknown name.
  int column(const QString& fieldName) const;

  // An empty record in field order, to be filled by column() position.
  std::vector<QVariant> emptyRow() const;

  // Appends one record. `values` holds one value per field in field order (missing trailing
  // values count as empty). Returns the record's rowid, which is the AutoInc key where the
  // table has one as its sole key.
  qint64 insert(const std::vector<QVariant>& values);
  // Appends one record from field names (case-insensitive); unnamed fields stay empty.
  qint64 insert(const QVariantMap& values);

  // Commits the transaction and releases the table.
  void commit();

 private:
  struct State;
  std::unique_ptr<State> d_;
};

}  // namespace lapiro::engine
