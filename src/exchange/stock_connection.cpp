#include "exchange/stock_connection.h"


namespace lapiro::exchange {

namespace {
QString upperBase(const QString& name) {
  QString base = name.trimmed();
  if (base.endsWith(u".db", Qt::CaseInsensitive)) base.chop(3);
  return base.toUpper();
}
}  // namespace

StockConnection::StockConnection(engine::Engine& engine, const QStringList& tables) : engine_(engine) {
  // The first table's file is the main database: SQLite commits several attached files
  // atomically (through a super-journal) only when the main database is a file of its own.
  int n = 0;
  for (const QString& name : tables) {
    const auto resolved = engine.resolveForSql(name);
    if (!resolved || !engine.tableExists(name))
      throw engine::EngineError(engine::EngineError::Kind::TableMissing,
                                QStringLiteral("Die Tabelle %1 fehlt.").arg(name), name);
    QString schema;
    if (n == 0) {
      const int rc = sqlite3_open_v2(resolved->filePath.toUtf8().constData(), &db_,
                                     SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
      if (rc != SQLITE_OK) engine::throwSqliteError(db_, rc, QStringLiteral("exchange connection"));
      engine::configureConnection(db_);
      cache_ = std::make_unique<engine::StatementCache>(db_);
      schema = QStringLiteral("main");
      // An import of many animals touches every index of Hasen: keep their pages in memory.
      engine::execSql(db_, QStringLiteral("PRAGMA main.cache_size=-65536"));
    } else {
      schema = QStringLiteral("s%1").arg(n);
      engine::Statement st(db_, QStringLiteral("ATTACH DATABASE ? AS %1").arg(schema));
      st.bind(1, resolved->filePath);
      st.step();
      engine::execSql(db_, QStringLiteral("PRAGMA %1.journal_mode=DELETE; PRAGMA %1.synchronous=FULL; "
                                          "PRAGMA %1.cache_size=-16384;")
                               .arg(schema));
    }
    ++n;
    qualified_.insert(upperBase(name), schema + u'.' + engine::quoteIdent(resolved->tableName));
    names_ << name;
  }
}

StockConnection::~StockConnection() {
  cache_.reset();
  if (db_) sqlite3_close_v2(db_);
}

QString StockConnection::table(const QString& name) const { return qualified_.value(upperBase(name)); }

void StockConnection::touched() {
  // Every holder of a table in this process (cursors and lookups) shares one Table object:
  // bumping its change count makes cursors read anew and cached lists rebuild.
  for (const QString& name : names_) {
    try {
      if (auto t = engine_.acquire(name, engine::OpenMode::Shared)) t->notifyChanged(nullptr);
    } catch (const engine::EngineError&) {
      // Held exclusively elsewhere: nothing of this process caches it.
    }
  }
}

StockTransaction::StockTransaction(StockConnection& c) : c_(c) {
  engine::execSql(c_.db(), QStringLiteral("BEGIN IMMEDIATE"));
}

StockTransaction::~StockTransaction() {
  if (!done_) sqlite3_exec(c_.db(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void StockTransaction::commit() {
  engine::execSql(c_.db(), QStringLiteral("COMMIT"));
  done_ = true;
}

}  // namespace lapiro::exchange
