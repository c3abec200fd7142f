#include "engine/engine.h"

#include "engine/cursor.h"
#include "engine/sql_translate.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace lapiro::engine {

namespace {

QString indexSqlName(const QString& indexName) { return QStringLiteral("ix_") + indexName; }

// The key columns of an index as written in its CREATE INDEX statement, split at the
// top-level commas of the column list.
QStringList indexKeyColumns(sqlite3* db, const QString& sqlName) {
  Statement st(db, QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'index' AND name = ?"));
  st.bindAll({sqlName});
  if (!st.step()) return {};
  const QString sql = st.column(0).toString();
  st.reset();
  // The column list is the first parenthesis after " ON <table>".
  qsizetype i = sql.indexOf(QStringLiteral(" ON "), 0, Qt::CaseInsensitive);
  if (i < 0) return {};
  bool inSingle = false, inDouble = false;
  for (; i < sql.size(); ++i) {
    const QChar c = sql[i];
    if (c == u'"' && !inSingle) inDouble = !inDouble;
    if (c == u'(' && !inDouble) break;
  }
  QStringList parts;
  QString current;
  int depth = 0;
  inSingle = inDouble = false;
  for (++i; i < sql.size(); ++i) {
    const QChar c = sql[i];
    if (c == u'\'' && !inDouble) inSingle = !inSingle;
    else if (c == u'"' && !inSingle) inDouble = !inDouble;
    else if (!inSingle && !inDouble) {
      if (c == u'(') ++depth;
      else if (c == u')' && depth-- == 0) break;
      else if (c == u',' && depth == 0) {
        parts << current.trimmed();
        current.clear();
        continue;
      }
    }
    current += c;
  }
  parts << current.trimmed();
  return parts;
}

// Reads the layout of the table inside an open connection.
TableDef readDefinition(sqlite3* db, const QString& tableName, QString* rowidField) {
  TableDef def;
  def.name = tableName;
  rowidField->clear();
  std::vector<std::pair<int, QString>> pkColumns;
  {
    Statement st(db, QStringLiteral("PRAGMA table_info(%1)").arg(quoteIdent(tableName)));
    while (st.step()) {
      FieldDef f;
      f.name = st.column(1).toString();
      const QString declared = st.column(2).toString();
      int size = 0;
      const auto type = typeFromDeclared(declared, &size);
      f.type = type.value_or(FieldType::Alpha);
      f.size = type ? size : 255;
      f.required = st.column(3).toLongLong() != 0;
      const int pk = static_cast<int>(st.column(5).toLongLong());
      if (pk > 0) pkColumns.emplace_back(pk, f.name);
      def.fields.push_back(f);
    }
  }
  if (def.fields.empty())
    throw EngineError(EngineError::Kind::TableDamaged,
                      QStringLiteral("Die Tabelle %1 ist in ihrer Datei nicht vorhanden.").arg(tableName));
  std::sort(pkColumns.begin(), pkColumns.end());
  if (!pkColumns.empty()) {
    IndexDef pk;
    pk.primary = true;
    pk.unique = true;
    for (const auto& [pos, name] : pkColumns) pk.fields.push_back({name, false, false});
    def.indexes.push_back(pk);
    if (pkColumns.size() == 1) {
      FieldDef* f = nullptr;
      for (auto& fd : def.fields)
        if (fd.name == pkColumns[0].second) f = &fd;
      if (f && (f->type == FieldType::Long || f->type == FieldType::AutoInc)) {
        *rowidField = f->name;
        int autoinc = 0;
        const QByteArray tn = tableName.toUtf8();
        const QByteArray cn = f->name.toUtf8();
        if (sqlite3_table_column_metadata(db, nullptr, tn.constData(), cn.constData(), nullptr, nullptr,
                                          nullptr, nullptr, &autoinc) == SQLITE_OK &&
            autoinc)
          f->type = FieldType::AutoInc;
      }
    }
  }
  // Named secondary indexes.
  Statement list(db, QStringLiteral("PRAGMA index_list(%1)").arg(quoteIdent(tableName)));
  std::vector<std::pair<QString, bool>> names;
  while (list.step()) {
    const QString name = list.column(1).toString();
    const QString origin = list.column(3).toString();
    if (origin != u"c" || !name.startsWith(u"ix_")) continue;
    names.emplace_back(name, list.column(2).toLongLong() != 0);
  }
  list.reset();
  std::reverse(names.begin(), names.end());  // index_list lists the newest first
  for (const auto& [sqlName, unique] : names) {
    IndexDef idx;
    idx.name = sqlName.mid(3);
    idx.unique = unique;
    Statement info(db, QStringLiteral("PRAGMA index_xinfo(%1)").arg(quoteIdent(sqlName)));
    QStringList expressions;  // the written key columns, read only when one is an expression
    int position = 0;
    while (info.step()) {
      if (info.column(5).toLongLong() == 0) continue;  // not a key column (rowid)
      IndexField f;
      f.name = info.column(2).toString();
      if (info.column(1).toLongLong() == -2) {
        // An expression: the German sort key over one column (IndexField::german).
        if (expressions.isEmpty()) expressions = indexKeyColumns(db, sqlName);
        const QString expr = expressions.value(position);
        static const QRegularExpression quoted(QStringLiteral("\"((?:[^\"]|\"\")*)\""));
        const auto m = quoted.match(expr);
        if (expr.startsWith(u"replace(", Qt::CaseInsensitive) && m.hasMatch()) {
          f.name = m.captured(1).replace(QStringLiteral("\"\""), QStringLiteral("\""));
          f.german = true;
        }
      }
      ++position;
      f.descending = info.column(3).toLongLong() != 0;
      f.caseInsensitive = info.column(4).toString().compare(QStringLiteral("NOCASE"), Qt::CaseInsensitive) == 0;
      idx.fields.push_back(f);
    }
    def.indexes.push_back(idx);
  }
  return def;
}

QString createIndexSql(const QString& table, const IndexDef& index) {
  QStringList cols;
  for (const auto& f : index.fields) {
    QString c = f.german ? germanSortKeySql(quoteIdent(f.name)) : quoteIdent(f.name);
    if (f.caseInsensitive || f.german) c += QStringLiteral(" COLLATE NOCASE");
    if (f.descending) c += QStringLiteral(" DESC");
    cols << c;
  }
  return QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
      .arg(index.unique ? QStringLiteral("UNIQUE ") : QString(), quoteIdent(indexSqlName(index.name)),
           quoteIdent(table), cols.join(u", "));
}

// Holds an flock() on a table file for the duration of a structure change.
class FileLock {
 public:
  FileLock(const QString& path, bool exclusive) {
    fd_ = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) return;
    if (::flock(fd_, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
      ::close(fd_);
      fd_ = -1;
      locked_ = false;
      failed_ = true;
    }
  }
  ~FileLock() {
    if (fd_ >= 0) ::close(fd_);
  }
  bool failed() const { return failed_; }

 private:
  int fd_ = -1;
  bool locked_ = true;
  bool failed_ = false;
};

[[noreturn]] void throwLocked(const QString& name) {
  throw EngineError(EngineError::Kind::Locked,
                    QStringLiteral("Die Tabelle %1 ist in Gebrauch und kann nicht exklusiv geöffnet werden.")
                        .arg(name),
                    name);
}

}  // namespace

void configureConnection(sqlite3* db) {
  sqlite3_busy_timeout(db, 3000);
  sqlite3_extended_result_codes(db, 1);
  // cell_size_check: damaged pages are reported as such rather than read past their end.
  execSql(db, QStringLiteral("PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL; PRAGMA foreign_keys=OFF; "
                             "PRAGMA cell_size_check=ON;"));
  registerFunctions(db);
}

// ---------------------------------------------------------------- Table

Table::~Table() {
  cache_.reset();
  if (db_) sqlite3_close_v2(db_);
  // The flock descriptor is closed after SQLite's own descriptors are gone.
  if (lockFd_ >= 0) ::close(lockFd_);
}

void Table::attach(Cursor* cursor) { cursors_.push_back(cursor); }

void Table::detach(Cursor* cursor) { std::erase(cursors_, cursor); }

void Table::notifyChanged(Cursor* origin, qint64 rowid, qint64 previousRowid, bool deleted) {
  ++version_;
  const auto copy = cursors_;
  for (Cursor* c : copy)
    if (c != origin && std::find(cursors_.begin(), cursors_.end(), c) != cursors_.end()) c->tableChanged();
  if (engine_ && !engine_->observers_.empty()) {
    const TableChange change{this, rowid, rowid < 0 ? -1 : (previousRowid < 0 ? rowid : previousRowid), deleted};
    // A copy: an observer may add or remove observers.
    const auto observers = engine_->observers_;
    for (const auto& [id, observer] : observers) observer(change);
  }
}

void Table::reloadDefinition() {
  cache_->clear();
  def_ = readDefinition(db_, baseName_, &rowidField_);
  ++version_;
}

// ---------------------------------------------------------------- Engine

Engine::Engine() = default;

Engine::~Engine() {
  detachAll();
  if (queryDb_) sqlite3_close_v2(queryDb_);
}

void Engine::setAlias(const QString& alias, const QString& directory) {
  aliases_.insert(alias.toUpper(), QDir(directory).absolutePath());
}

QString Engine::aliasDirectory(const QString& alias) const { return aliases_.value(alias.toUpper()); }

QString Engine::resolve(const QString& tableName) const {
  QString name = tableName.trimmed();
  if (name.startsWith(u'"') && name.endsWith(u'"') && name.size() >= 2) name = name.mid(1, name.size() - 2);
  if (name.contains(u'/')) {
    QFileInfo fi(name);
    if (fi.suffix().isEmpty()) return fi.absoluteFilePath() + QStringLiteral(".db");
    return fi.absoluteFilePath();
  }
  const QString dir = aliasDirectory();
  const QString wanted = QFileInfo(name).suffix().isEmpty() ? name + QStringLiteral(".db") : name;
  if (dir.isEmpty()) return QDir::current().absoluteFilePath(wanted);
  QDir d(dir);
  if (QFileInfo::exists(d.filePath(wanted))) return d.filePath(wanted);
  const QStringList entries = d.entryList(QDir::Files);
  for (const QString& e : entries)
    if (sameName(e, wanted)) return d.filePath(e);
  return d.filePath(wanted);
}

bool Engine::tableExists(const QString& tableName) const { return QFileInfo::exists(resolve(tableName)); }

std::shared_ptr<Table> Engine::openFile(const QString& path, OpenMode mode) {
  if (!QFileInfo::exists(path))
    throw EngineError(EngineError::Kind::TableMissing,
                      QStringLiteral("Die Tabelle %1 existiert nicht.").arg(QFileInfo(path).fileName()),
                      QFileInfo(path).fileName());
  auto table = std::shared_ptr<Table>(new Table());
  table->path_ = path;
  table->baseName_ = QFileInfo(path).completeBaseName();
  table->engine_ = this;
  table->sqlName_ = quoteIdent(table->baseName_);
  table->readOnly_ = mode == OpenMode::ReadOnly || !QFileInfo(path).isWritable();
  table->exclusive_ = mode == OpenMode::Exclusive;

  table->lockFd_ = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
  if (table->lockFd_ < 0)
    throw EngineError(EngineError::Kind::TableMissing,
                      QStringLiteral("Die Tabelle %1 kann nicht geöffnet werden.").arg(QFileInfo(path).fileName()));
  if (::flock(table->lockFd_, (table->exclusive_ ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0)
    throwLocked(QFileInfo(path).fileName());

  const int flags = (table->readOnly_ ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
  const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &table->db_, flags, nullptr);
  if (rc != SQLITE_OK) throwSqliteError(table->db_, rc, path);
  try {
    configureConnection(table->db_);
    table->cache_ = std::make_unique<StatementCache>(table->db_);
    table->def_ = readDefinition(table->db_, table->baseName_, &table->rowidField_);
  } catch (const EngineError& e) {
    if (e.kind() == EngineError::Kind::Locked) throw;
    throw EngineError(EngineError::Kind::TableDamaged,
                      QStringLiteral("Die Tabelle %1 ist beschädigt oder keine Tabellendatei.")
                          .arg(QFileInfo(path).fileName()),
                      QFileInfo(path).fileName());
  }
  return table;
}

std::shared_ptr<Table> Engine::acquire(const QString& tableName, OpenMode mode) {
  const QString path = resolve(tableName);
  auto it = open_.find(path);
  if (it != open_.end()) {
    if (auto existing = it->second.lock()) {
      if (mode == OpenMode::Exclusive || existing->exclusive()) throwLocked(QFileInfo(path).fileName());
      return existing;
    }
  }
  // Structure changes need the file to themselves: drop the query connection's handle.
  if (mode == OpenMode::Exclusive) detachAll();
  auto table = openFile(path, mode);
  open_[path] = table;
  return table;
}

bool Engine::isOpen(const QString& tableName) const {
  auto it = open_.find(resolve(tableName));
  return it != open_.end() && !it->second.expired();
}

void Engine::createTable(const QString& tableName, const TableDef& def) {
  const QString path = resolve(tableName);
  if (QFileInfo::exists(path))
    throw EngineError(EngineError::Kind::General,
                      QStringLiteral("Die Tabelle %1 existiert bereits.").arg(QFileInfo(path).fileName()));
  QDir().mkpath(QFileInfo(path).absolutePath());
  const QString base = QFileInfo(path).completeBaseName();
  const IndexDef* pk = def.primary();
  const bool rowidPk = pk && pk->fields.size() == 1 && def.field(pk->fields[0].name) &&
                       (def.field(pk->fields[0].name)->type == FieldType::AutoInc ||
                        def.field(pk->fields[0].name)->type == FieldType::Long);
  QStringList cols;
  for (const auto& f : def.fields) {
    QString c = quoteIdent(f.name) + u' ' + declaredType(f.type, f.size);
    if (rowidPk && sameName(f.name, pk->fields[0].name)) {
      c = quoteIdent(f.name) + QStringLiteral(" INTEGER PRIMARY KEY");
      if (f.type == FieldType::AutoInc) c += QStringLiteral(" AUTOINCREMENT");
    }
    if (f.required) c += QStringLiteral(" NOT NULL");
    cols << c;
  }
  if (pk && !rowidPk) {
    QStringList k;
    for (const auto& f : pk->fields) k << quoteIdent(f.name);
    cols << QStringLiteral("PRIMARY KEY (%1)").arg(k.join(u", "));
  }
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                           SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_close(db);
    QFile::remove(path);
    throw EngineError(EngineError::Kind::General,
                      QStringLiteral("Die Tabelle %1 kann nicht angelegt werden.").arg(QFileInfo(path).fileName()));
  }
  try {
    configureConnection(db);
    execSql(db, QStringLiteral("BEGIN"));
    execSql(db, QStringLiteral("CREATE TABLE %1 (%2)").arg(quoteIdent(base), cols.join(u", ")));
    for (const auto& idx : def.indexes)
      if (!idx.primary) execSql(db, createIndexSql(base, idx));
    execSql(db, QStringLiteral("COMMIT"));
  } catch (...) {
    sqlite3_close(db);
    QFile::remove(path);
    throw;
  }
  sqlite3_close(db);
}

void Engine::deleteTable(const QString& tableName) {
  const QString path = resolve(tableName);
  if (isOpen(tableName)) throwLocked(QFileInfo(path).fileName());
  if (!QFileInfo::exists(path))
    throw EngineError(EngineError::Kind::TableMissing,
                      QStringLiteral("Die Tabelle %1 existiert nicht.").arg(QFileInfo(path).fileName()));
  {
    FileLock lock(path, true);
    if (lock.failed()) throwLocked(QFileInfo(path).fileName());
  }
  detachAll();
  QFile::remove(path);
  QFile::remove(path + QStringLiteral("-journal"));
}

TableDef Engine::tableDef(const QString& tableName) {
  const QString path = resolve(tableName);
  auto it = open_.find(path);
  if (it != open_.end())
    if (auto t = it->second.lock()) return t->def();
  auto table = openFile(path, OpenMode::ReadOnly);
  return table->def();
}

std::vector<IndexDef> Engine::indexes(const QString& tableName) { return tableDef(tableName).indexes; }

namespace {
// Runs a structure change on the shared table when this process has it open, or on a
// short-lived connection otherwise.
template <typename F>
void withStructure(Engine& engine, std::map<QString, std::weak_ptr<Table>>& open, const QString& path, F&& change) {
  (void)engine;
  auto it = open.find(path);
  std::shared_ptr<Table> shared = it != open.end() ? it->second.lock() : nullptr;
  if (shared) {
    change(shared->db(), QFileInfo(path).completeBaseName());
    shared->reloadDefinition();
    return;
  }
  if (!QFileInfo::exists(path))
    throw EngineError(EngineError::Kind::TableMissing,
                      QStringLiteral("Die Tabelle %1 existiert nicht.").arg(QFileInfo(path).fileName()),
                      QFileInfo(path).fileName());
  FileLock lock(path, true);
  if (lock.failed()) throwLocked(QFileInfo(path).fileName());
  sqlite3* db = nullptr;
  const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_close(db);
    throw EngineError(EngineError::Kind::TableDamaged,
                      QStringLiteral("Die Tabelle %1 kann nicht geöffnet werden.").arg(QFileInfo(path).fileName()));
  }
  try {
    configureConnection(db);
    change(db, QFileInfo(path).completeBaseName());
  } catch (...) {
    sqlite3_close(db);
    throw;
  }
  sqlite3_close(db);
}
}  // namespace

void Engine::changeStructure(const QString& tableName, bool requireClosed,
                             const std::function<void(sqlite3*, const QString&, const TableDef&)>& change) {
  const QString path = resolve(tableName);
  if (requireClosed && isOpen(tableName)) throwLocked(QFileInfo(path).fileName());
  detachAll();
  withStructure(*this, open_, path, [&](sqlite3* db, const QString& base) {
    QString rowid;
    change(db, base, readDefinition(db, base, &rowid));
  });
}

void Engine::addIndex(const QString& tableName, const IndexDef& index) {
  changeStructure(tableName, false, [&](sqlite3* db, const QString& base, const TableDef& def) {
    if (def.index(index.name))
      throw EngineError(EngineError::Kind::General,
                        QStringLiteral("Der Index %1 existiert bereits.").arg(index.name));
    for (const auto& f : index.fields)
      if (!def.field(f.name))
        throw EngineError(EngineError::Kind::FieldMissing,
                          QStringLiteral("Das Feld %1 existiert nicht.").arg(f.name), f.name);
    IndexDef fixed = index;
    for (auto& f : fixed.fields) f.name = def.field(f.name)->name;
    execSql(db, createIndexSql(base, fixed));
  });
}

void Engine::deleteIndex(const QString& tableName, const QString& indexName) {
  changeStructure(tableName, false, [&](sqlite3* db, const QString&, const TableDef& def) {
    const IndexDef* idx = def.index(indexName);
    if (!idx)
      throw EngineError(EngineError::Kind::IndexMissing,
                        QStringLiteral("Der Index %1 existiert nicht.").arg(indexName), indexName);
    execSql(db, QStringLiteral("DROP INDEX %1").arg(quoteIdent(indexSqlName(idx->name))));
  });
}

void Engine::reindex(const QString& tableName) {
  changeStructure(tableName, true, [&](sqlite3* db, const QString& base, const TableDef&) {
    execSql(db, QStringLiteral("REINDEX %1").arg(quoteIdent(base)));
  });
}

void Engine::rebuildIndexes(const QString& tableName, const std::vector<IndexDef>& indexes, bool reindexPrimary,
                            const std::function<void()>& step) {
  std::shared_ptr<Table> table = acquire(tableName, OpenMode::Exclusive);
  sqlite3* db = table->db();
  const QString base = QFileInfo(table->path()).completeBaseName();
  // One transaction for the whole table: a single synchronous commit at its end, and a
  // failure leaves the table with the indexes it had.
  execSql(db, QStringLiteral("BEGIN IMMEDIATE"));
  try {
    for (const IndexDef& index : table->def().indexes)
      if (!index.primary) execSql(db, QStringLiteral("DROP INDEX %1").arg(quoteIdent(indexSqlName(index.name))));
    if (reindexPrimary) execSql(db, QStringLiteral("REINDEX %1").arg(quoteIdent(base)));
    QString rowid;
    const TableDef def = readDefinition(db, base, &rowid);
    for (const IndexDef& index : indexes) {
      if (index.primary) continue;
      if (def.index(index.name))
        throw EngineError(EngineError::Kind::General, QStringLiteral("Der Index %1 existiert bereits.").arg(index.name));
      IndexDef fixed = index;
      for (auto& f : fixed.fields) {
        const FieldDef* field = def.field(f.name);
        if (!field)
          throw EngineError(EngineError::Kind::FieldMissing,
                            QStringLiteral("Das Feld %1 existiert nicht.").arg(f.name), f.name);
        f.name = field->name;
      }
      execSql(db, createIndexSql(base, fixed));
      if (step) step();
    }
    execSql(db, QStringLiteral("COMMIT"));
  } catch (...) {
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    table->reloadDefinition();
    throw;
  }
  table->reloadDefinition();
}

std::vector<Cursor*> Engine::cursorsOn(const QString& tableName) const {
  auto it = open_.find(resolve(tableName));
  if (it == open_.end()) return {};
  const std::shared_ptr<Table> table = it->second.lock();
  return table ? table->cursors() : std::vector<Cursor*>{};
}

int Engine::releaseLookups(const QString& tableName) {
  const QString path = resolve(tableName);
  int held = 0;
  for (DataSet* d : std::vector<DataSet*>(dataSets_))
    if (d->releaseLookupTable(path)) ++held;
  return held;
}

void Engine::addField(const QString& tableName, const FieldDef& field) {
  changeStructure(tableName, true, [&](sqlite3* db, const QString& base, const TableDef& def) {
    if (def.field(field.name))
      throw EngineError(EngineError::Kind::General,
                        QStringLiteral("Das Feld %1 existiert bereits.").arg(field.name));
    execSql(db, QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3")
                    .arg(quoteIdent(base), quoteIdent(field.name), declaredType(field.type, field.size)));
  });
}

void Engine::dropField(const QString& tableName, const QString& fieldName) {
  changeStructure(tableName, true, [&](sqlite3* db, const QString& base, const TableDef& def) {
    const FieldDef* f = def.field(fieldName);
    if (!f)
      throw EngineError(EngineError::Kind::FieldMissing,
                        QStringLiteral("Das Feld %1 existiert nicht.").arg(fieldName), fieldName);
    execSql(db, QStringLiteral("BEGIN"));
    try {
      for (const auto& idx : def.indexes) {
        if (idx.primary) continue;
        for (const auto& col : idx.fields)
          if (sameName(col.name, f->name)) {
            execSql(db, QStringLiteral("DROP INDEX %1").arg(quoteIdent(indexSqlName(idx.name))));
            break;
          }
      }
      execSql(db, QStringLiteral("ALTER TABLE %1 DROP COLUMN %2").arg(quoteIdent(base), quoteIdent(f->name)));
      execSql(db, QStringLiteral("COMMIT"));
    } catch (...) {
      sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
      throw;
    }
  });
}

int Engine::addChangeObserver(ChangeObserver observer) {
  const int id = nextObserver_++;
  observers_.emplace(id, std::move(observer));
  return id;
}

void Engine::removeChangeObserver(int id) { observers_.erase(id); }

void Engine::tableChangedOutside(const QString& tableName) {
  auto it = open_.find(resolve(tableName));
  if (it == open_.end()) return;
  if (auto table = it->second.lock()) table->notifyChanged(nullptr);
}

sqlite3* Engine::queryConnection() {
  if (!queryDb_) {
    // The engine is used from one thread only: no per-call connection mutex, which would
    // otherwise be taken for every column of every result row.
    const int rc = sqlite3_open_v2(":memory:", &queryDb_,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) throwSqliteError(queryDb_, rc, QStringLiteral("query connection"));
    sqlite3_busy_timeout(queryDb_, 3000);
    sqlite3_extended_result_codes(queryDb_, 1);
    registerFunctions(queryDb_);
    // LIKE compares case as typed; UPPER() is used where case must not matter.
    execSql(queryDb_, QStringLiteral("PRAGMA case_sensitive_like=ON"));
  }
  return queryDb_;
}

void Engine::attachFiles(const std::vector<std::pair<QString, QString>>& files) {
  sqlite3* db = queryConnection();
  bool same = files.size() == attached_.size();
  for (const auto& [path, schema] : files) {
    auto it = attached_.find(path);
    if (it == attached_.end() || it->second != schema) same = false;
  }
  if (same) return;
  detachAll();
  for (const auto& [path, schema] : files) {
    Statement st(db, QStringLiteral("ATTACH DATABASE ? AS %1").arg(quoteIdent(schema)));
    st.bind(1, path);
    st.step();
    attached_[path] = schema;
  }
}

void Engine::detachAll() {
  if (!queryDb_) return;
  for (const auto& [path, schema] : attached_) {
    const QString sql = QStringLiteral("DETACH DATABASE %1").arg(schema);
    sqlite3_exec(queryDb_, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
  }
  attached_.clear();
}

std::optional<ResolvedTable> Engine::resolveForSql(const QString& tableRef) {
  const QString path = resolve(tableRef);
  if (!QFileInfo::exists(path)) return std::nullopt;
  ResolvedTable r{path, QFileInfo(path).completeBaseName(), {}};
  try {
    for (const auto& f : tableDef(path).fields) r.columns << f.name;
  } catch (const EngineError&) {
    // A damaged file fails later with a clear message when the statement runs.
  }
  return r;
}

void Engine::execute(const QString& statement, const QVariantMap& params) {
  const TableResolver resolver = [this](const QString& ref) { return resolveForSql(ref); };
  const TranslatedSql t = translateSql(statement, resolver);
  if (t.kind == TranslatedSql::Kind::Alter) {
    for (const AlterOp& op : t.alterOps) {
      if (op.kind == AlterOp::Kind::Add)
        addField(t.alterTable.filePath, FieldDef{op.field, op.type, op.size, false});
      else
        dropField(t.alterTable.filePath, op.field);
    }
    return;
  }
  sqlite3* db = queryConnection();
  std::vector<std::pair<QString, QString>> files;
  for (const auto& a : t.attach) files.emplace_back(a.filePath, a.schema);
  attachFiles(files);
  Statement st(db, t.sql);
  for (const QString& p : t.parameters) {
    const int idx = sqlite3_bind_parameter_index(st.handle(), (u':' + p).toUtf8().constData());
    if (idx > 0) st.bind(idx, params.value(p));
  }
  while (st.step()) {
  }
  // Tables changed behind the cursors' backs: let them read anew.
  for (auto& [path, weak] : open_)
    if (auto t2 = weak.lock()) t2->notifyChanged(nullptr);
}

}  // namespace lapiro::engine
