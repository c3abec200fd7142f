// Thin RAII helpers over the SQLite C API used inside the engine.
#pragma once

#include "engine/types.h"

#include <QString>
#include <QVariant>

#include <sqlite3.h>

#include <memory>
#include <unordered_map>

namespace lapiro::engine {

// A prepared statement. Reset (and so releases its read lock) when it goes out of scope or
// when reset() is called; every use in the engine runs to completion or is reset at once,
// so no statement holds a lock between two calls into the engine.
class Statement {
 public:
  Statement() = default;
  Statement(sqlite3* db, const QString& sql);  // throws EngineError(BadStatement)
  ~Statement();
  Statement(Statement&& other) noexcept;
  Statement& operator=(Statement&& other) noexcept;
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  sqlite3_stmt* handle() const { return stmt_; }
  void bind(int index, const QVariant& value);  // 1-based; null QVariant binds NULL
  void bindAll(const QVariantList& values, int first = 1);
  // Steps once. Returns true when a row is available, false when done; throws on error.
  bool step();
  void reset();
  int columnCount() const;
  QVariant column(int index) const;  // raw storage value (qlonglong, double, QString, QByteArray)

 private:
  sqlite3* db_ = nullptr;
  sqlite3_stmt* stmt_ = nullptr;
};

// Statement cache keyed by SQL text; statements are reset before they are handed out.
class StatementCache {
 public:
  explicit StatementCache(sqlite3* db) : db_(db) {}
  Statement& get(const QString& sql);
  void clear() { cache_.clear(); }

 private:
  sqlite3* db_;
  std::unordered_map<QString, std::unique_ptr<Statement>> cache_;
};

// Runs a statement without results; throws EngineError on failure.
void execSql(sqlite3* db, const QString& sql);

// Turns the connection's last error into an EngineError of a fitting kind.
[[noreturn]] void throwSqliteError(sqlite3* db, int rc, const QString& context);

// The text of a TableDamaged error: names the table file (when known) and points the user to
// "Indexrekonstruktion" and the backup. A damaged table throws EngineError(TableDamaged) with
// this text and the table's file name as detail().
QString damagedTableMessage(const QString& table);

// Quotes an identifier for SQL: "name" with inner quotes doubled.
QString quoteIdent(const QString& name);

// Registers the engine's SQL functions on a connection: a Unicode-aware UPPER and LOWER.
void registerFunctions(sqlite3* db);

}  // namespace lapiro::engine
