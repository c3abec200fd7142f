#include "engine/multi_write.h"

#include "engine/cursor.h"
#include "engine/engine.h"

#include <QFileInfo>

namespace lapiro::engine {

void writeAcrossTables(Engine& engine, const QStringList& tables,
                       const std::function<void(sqlite3* db, const QStringList& names)>& work) {
  struct Connection {
    sqlite3* db = nullptr;
    ~Connection() {
      if (db) sqlite3_close_v2(db);
    }
  } conn;
  QStringList names;
  for (int i = 0; i < tables.size(); ++i) {
    const QString path = engine.resolve(tables[i]);
    if (path.isEmpty() || !QFileInfo::exists(path))
      throw EngineError(EngineError::Kind::TableMissing, QStringLiteral("Die Tabelle %1 fehlt.").arg(tables[i]), tables[i]);
    if (i == 0) {
      const int rc = sqlite3_open_v2(path.toUtf8().constData(), &conn.db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
      if (rc != SQLITE_OK) throwSqliteError(conn.db, rc, path);
      configureConnection(conn.db);
    }
    const QString schema = QStringLiteral("t%1").arg(i);
    if (i > 0) {
      Statement attach(conn.db, QStringLiteral("ATTACH DATABASE ? AS ") + schema);
      attach.bind(1, path);
      attach.step();
    }
    const QString base = QFileInfo(path).completeBaseName();
    names << (i == 0 ? QStringLiteral("main") : schema) + u'.' + quoteIdent(base);
  }
  for (int i = 1; i < tables.size(); ++i)
    execSql(conn.db, QStringLiteral("PRAGMA t%1.journal_mode=DELETE; PRAGMA t%1.synchronous=FULL;").arg(i));

  execSql(conn.db, QStringLiteral("BEGIN IMMEDIATE"));
  try {
    work(conn.db, names);
    execSql(conn.db, QStringLiteral("COMMIT"));
  } catch (...) {
    sqlite3_exec(conn.db, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
  for (const QString& t : tables) {
    const std::vector<Cursor*> cursors = engine.cursorsOn(t);
    if (!cursors.empty() && cursors.front()->table()) cursors.front()->table()->notifyChanged(nullptr);
  }
}

}  // namespace lapiro::engine
