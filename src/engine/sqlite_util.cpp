#include "engine/sqlite_util.h"

#include "engine/dataset.h"
#include "engine/sqlite_errors.h"

#include <QDate>
#include <QFileInfo>

namespace lapiro::engine {

Statement::Statement(sqlite3* db, const QString& sql) : db_(db) {
  const QByteArray utf8 = sql.toUtf8();
  const int rc = sqlite3_prepare_v3(db, utf8.constData(), static_cast<int>(utf8.size()),
                                    SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr);
  if (rc != SQLITE_OK) {
    const QString msg = QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
    throw EngineError(EngineError::Kind::BadStatement,
                      QStringLiteral("Ungültige Abfrage: %1").arg(msg), sql);
  }
}

Statement::~Statement() {
  if (stmt_) sqlite3_finalize(stmt_);
}

Statement::Statement(Statement&& other) noexcept : db_(other.db_), stmt_(other.stmt_) {
  other.stmt_ = nullptr;
}

Statement& Statement::operator=(Statement&& other) noexcept {
  if (this != &other) {
    if (stmt_) sqlite3_finalize(stmt_);
    db_ = other.db_;
    stmt_ = other.stmt_;
    other.stmt_ = nullptr;
  }
  return *this;
}

void Statement::bind(int index, const QVariant& value) {
  int rc = SQLITE_OK;
  if (!value.isValid() || value.isNull()) {
    rc = sqlite3_bind_null(stmt_, index);
  } else {
    switch (value.typeId()) {
      case QMetaType::Bool:
        rc = sqlite3_bind_int64(stmt_, index, value.toBool() ? 1 : 0);
        break;
      case QMetaType::Int:
      case QMetaType::LongLong:
      case QMetaType::UInt:
      case QMetaType::Short:
      case QMetaType::ULongLong:
        rc = sqlite3_bind_int64(stmt_, index, value.toLongLong());
        break;
      case QMetaType::Double:
      case QMetaType::Float:
        rc = sqlite3_bind_double(stmt_, index, value.toDouble());
        break;
      case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        rc = sqlite3_bind_blob64(stmt_, index, bytes.constData(), bytes.size(), SQLITE_TRANSIENT);
        break;
      }
      case QMetaType::QDate:
        rc = sqlite3_bind_text(stmt_, index, value.toDate().toString(Qt::ISODate).toUtf8().constData(), -1,
                               SQLITE_TRANSIENT);
        break;
      default: {
        if (value.metaType() == QMetaType::fromType<Money>()) {
          rc = sqlite3_bind_int64(stmt_, index, value.value<Money>().units());
        } else {
          const QByteArray utf8 = value.toString().toUtf8();
          rc = sqlite3_bind_text(stmt_, index, utf8.constData(), static_cast<int>(utf8.size()),
                                 SQLITE_TRANSIENT);
        }
      }
    }
  }
  if (rc != SQLITE_OK) throwSqliteError(db_, rc, QStringLiteral("bind"));
}

void Statement::bindAll(const QVariantList& values, int first) {
  for (int i = 0; i < values.size(); ++i) bind(first + i, values[i]);
}

bool Statement::step() {
  const int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  sqlite3_reset(stmt_);
  throwSqliteError(db_, rc, QString::fromUtf8(sqlite3_sql(stmt_)));
}

void Statement::reset() {
  if (stmt_) {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
  }
}

int Statement::columnCount() const { return sqlite3_column_count(stmt_); }

QVariant Statement::column(int index) const {
  switch (sqlite3_column_type(stmt_, index)) {
    case SQLITE_INTEGER: return QVariant(static_cast<qlonglong>(sqlite3_column_int64(stmt_, index)));
    case SQLITE_FLOAT: return QVariant(sqlite3_column_double(stmt_, index));
    case SQLITE_TEXT:
      return QVariant(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt_, index)),
                                        sqlite3_column_bytes(stmt_, index)));
    case SQLITE_BLOB: {
      const void* data = sqlite3_column_blob(stmt_, index);
      return QVariant(QByteArray(static_cast<const char*>(data), sqlite3_column_bytes(stmt_, index)));
    }
    default: return QVariant();
  }
}

Statement& StatementCache::get(const QString& sql) {
  auto it = cache_.find(sql);
  if (it == cache_.end()) it = cache_.emplace(sql, std::make_unique<Statement>(db_, sql)).first;
  it->second->reset();
  return *it->second;
}

void execSql(sqlite3* db, const QString& sql) {
  char* err = nullptr;
  const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &err);
  if (rc != SQLITE_OK) {
    sqlite3_free(err);
    throwSqliteError(db, rc, sql);
  }
}

QString damagedTableMessage(const QString& table) {
  return (table.isEmpty() ? QStringLiteral("Eine Tabellendatei ist beschädigt.")
                          : QStringLiteral("Die Tabelle %1 ist beschädigt.").arg(table)) +
         QStringLiteral(" Bitte bauen Sie die Indexe mit \"Indexrekonstruktion\" neu auf oder spielen Sie "
                        "die letzte Datensicherung zurück. Angezeigt wird, was sich noch lesen lässt.");
}

void throwSqliteError(sqlite3* db, int rc, const QString& context) {
  const QString msg = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
  const int primary = rc & 0xff;
  if (primary == SQLITE_CONSTRAINT) {
    const int ext = db ? sqlite3_extended_errcode(db) : rc;
    if (ext == SQLITE_CONSTRAINT_NOTNULL)
      throw EngineError(EngineError::Kind::RequiredField,
                        QStringLiteral("Ein Pflichtfeld ist leer (%1).").arg(msg), context);
    throw EngineError(EngineError::Kind::KeyViolation,
                      QStringLiteral("Schlüsselverletzung: Der Schlüssel ist bereits vorhanden (%1).").arg(msg),
                      context);
  }
  if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED)
    throw EngineError(EngineError::Kind::Locked,
                      QStringLiteral("Die Tabelle wird gerade von einem anderen Programm benutzt."), context);
  if (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB) {
    // Name the table by its file, so the user knows which one to rebuild or restore.
    const char* file = db ? sqlite3_db_filename(db, "main") : nullptr;
    const QString table = file && *file ? QFileInfo(QString::fromUtf8(file)).fileName() : QString();
    throw EngineError(EngineError::Kind::TableDamaged, damagedTableMessage(table), table.isEmpty() ? context : table);
  }
  // Disk full, write errors, files that cannot be opened or written: German text first, the
  // SQLite text only as a detail line.
  const char* file = db ? sqlite3_db_filename(db, "main") : nullptr;
  QString table = file && *file ? QFileInfo(QString::fromUtf8(file)).fileName() : QString();
  // A connection that failed to open knows no file name; the caller passes the path.
  if (table.isEmpty() && context.startsWith(u'/') && !context.startsWith(QStringLiteral("/*"))) table = QFileInfo(context).fileName();
  const int ext = db && (sqlite3_extended_errcode(db) & 0xff) == primary ? sqlite3_extended_errcode(db) : rc;
  const QString text = sqliteErrorMessage(ext, table, msg);
  if (primary == SQLITE_READONLY) throw EngineError(EngineError::Kind::ReadOnly, text, context);
  throw EngineError(EngineError::Kind::General, text, context);
}

QString quoteIdent(const QString& name) {
  QString q = name;
  q.replace(u'"', QStringLiteral("\"\""));
  return u'"' + q + u'"';
}

namespace {

QString argText(sqlite3_value* v) {
  return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(v)), sqlite3_value_bytes(v));
}

void upperFunc(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
    sqlite3_result_null(ctx);
    return;
  }
  const QByteArray out = argText(argv[0]).toUpper().toUtf8();
  sqlite3_result_text(ctx, out.constData(), static_cast<int>(out.size()), SQLITE_TRANSIENT);
}

void lowerFunc(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
    sqlite3_result_null(ctx);
    return;
  }
  const QByteArray out = argText(argv[0]).toLower().toUtf8();
  sqlite3_result_text(ctx, out.constData(), static_cast<int>(out.size()), SQLITE_TRANSIENT);
}

}  // namespace

void registerFunctions(sqlite3* db) {
  const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
  sqlite3_create_function_v2(db, "UPPER", 1, flags, nullptr, upperFunc, nullptr, nullptr, nullptr);
  sqlite3_create_function_v2(db, "LOWER", 1, flags, nullptr, lowerFunc, nullptr, nullptr, nullptr);
}

}  // namespace lapiro::engine
