// A connection of its own on the tables that an export reads or an import writes, with every
// table file ATTACHed, so that an import is one transaction over all of them: SQLite commits
// attached files atomically (journal_mode=DELETE), so either every table has the import or none.
//
// Values are always bound, never pasted into the SQL. After a write the engine's cursors on
// the changed tables are told to read anew (touched()).
#pragma once

#include "engine/engine.h"
#include "engine/sqlite_util.h"

#include <QHash>
#include <QStringList>

namespace lapiro::exchange {

class StockConnection {
 public:
  // Opens the connection and attaches the tables named (catalogue names such as "Hasen",
  // "Adresse"). Throws engine::EngineError(TableMissing) for a table whose file is missing.
  StockConnection(engine::Engine& engine, const QStringList& tables);
  ~StockConnection();
  StockConnection(const StockConnection&) = delete;
  StockConnection& operator=(const StockConnection&) = delete;

  sqlite3* db() const { return db_; }
  // The qualified table name for SQL: "s0"."Hasen".
  QString table(const QString& name) const;
  // A prepared statement, cached by its text.
  engine::Statement& prepare(const QString& sql) { return cache_->get(sql); }

  // Lets the engine's cursors on every attached table see what this connection wrote.
  void touched();

 private:
  engine::Engine& engine_;
  sqlite3* db_ = nullptr;
  std::unique_ptr<engine::StatementCache> cache_;
  QHash<QString, QString> qualified_;  // upper-case base name -> "sN"."Inner"
  QStringList names_;
};

// RAII transaction on a StockConnection: rolls back unless committed.
class StockTransaction {
 public:
  explicit StockTransaction(StockConnection& c);
  ~StockTransaction();
  void commit();

 private:
  StockConnection& c_;
  bool done_ = false;
};

}  // namespace lapiro::exchange
