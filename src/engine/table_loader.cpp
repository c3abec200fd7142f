#include "engine/table_loader.h"

#include "engine/dataset.h"
#include "engine/engine.h"
#include "engine/sqlite_util.h"

#include <sqlite3.h>

namespace lapiro::engine {

struct TableLoader::State {
  std::shared_ptr<Table> table;
  Statement insert;
  std::vector<FieldDef> fields;
  int rowidColumn = -1;
  std::vector<std::pair<int, qint64>> numbered;  // AutoInc fields outside the rowid: next number
  int previousCacheSize = 0;
  bool inTransaction = false;
};

TableLoader::TableLoader(Engine& engine, const QString& tableName) : d_(std::make_unique<State>()) {
  d_->table = engine.acquire(tableName, OpenMode::Exclusive);
  sqlite3* db = d_->table->db();
  d_->fields = d_->table->def().fields;
  if (d_->fields.empty())
    throw EngineError(EngineError::Kind::TableDamaged,
                      QStringLiteral("Die Tabelle %1 hat keine Felder.").arg(tableName));

  // A larger page cache keeps the indexes of big tables in memory while they are loaded.
  {
    Statement cache(db, QStringLiteral("PRAGMA cache_size"));
    if (cache.step()) d_->previousCacheSize = static_cast<int>(cache.column(0).toLongLong());
  }
  execSql(db, QStringLiteral("PRAGMA cache_size = -65536"));

  QStringList cols, marks;
  for (int i = 0; i < static_cast<int>(d_->fields.size()); ++i) {
    const FieldDef& f = d_->fields[i];
    cols << quoteIdent(f.name);
    marks << QStringLiteral("?");
    if (sameName(f.name, d_->table->rowidField())) d_->rowidColumn = i;
  }
  execSql(db, QStringLiteral("BEGIN IMMEDIATE"));
  d_->inTransaction = true;
  for (int i = 0; i < static_cast<int>(d_->fields.size()); ++i) {
    if (d_->fields[i].type != FieldType::AutoInc || i == d_->rowidColumn) continue;
    Statement max(db, QStringLiteral("SELECT coalesce(max(%1), 0) + 1 FROM %2")
                                  .arg(quoteIdent(d_->fields[i].name), d_->table->sqlName()));
    max.step();
    d_->numbered.emplace_back(i, max.column(0).toLongLong());
  }
  d_->insert = Statement(db, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                         .arg(d_->table->sqlName(), cols.join(u", "), marks.join(u", ")));
}

TableLoader::~TableLoader() {
  if (!d_ || !d_->table) return;
  d_->insert = Statement();
  sqlite3* db = d_->table->db();
  if (d_->inTransaction) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
  const QByteArray restore = QStringLiteral("PRAGMA cache_size = %1").arg(d_->previousCacheSize).toUtf8();
  sqlite3_exec(db, restore.constData(), nullptr, nullptr, nullptr);
}

const TableDef& TableLoader::def() const {
  return d_->table->def();
}

int TableLoader::fieldCount() const {
  return static_cast<int>(d_->fields.size());
}

int TableLoader::column(const QString& fieldName) const {
  for (int i = 0; i < static_cast<int>(d_->fields.size()); ++i)
    if (sameName(d_->fields[i].name, fieldName)) return i;
  throw EngineError(EngineError::Kind::FieldMissing,
                    QStringLiteral("Das Feld %1 fehlt in der Tabelle %2.").arg(fieldName, def().name),
                    fieldName);
}

std::vector<QVariant> TableLoader::emptyRow() const {
  return std::vector<QVariant>(d_->fields.size());
}

qint64 TableLoader::insert(const std::vector<QVariant>& values) {
  if (!d_->inTransaction)
    throw EngineError(EngineError::Kind::State,
                      QStringLiteral("Die Tabelle %1 ist bereits abgeschlossen.").arg(def().name));
  const int n = fieldCount();
  for (int i = 0; i < n; ++i) {
    const FieldDef& f = d_->fields[i];
    QVariant typed =
        i < static_cast<int>(values.size()) ? toTyped(f.type, f.size, values[i], f.name) : QVariant();
    if (!typed.isValid() && f.type == FieldType::AutoInc) {
      for (auto& [column, next] : d_->numbered)
        if (column == i) typed = QVariant(next);
    }
    if (!typed.isValid() && f.required && f.type != FieldType::AutoInc)
      throw EngineError(EngineError::Kind::RequiredField,
                        QStringLiteral("Das Feld %1 muss einen Wert haben.").arg(f.name), f.name);
    d_->insert.bind(i + 1, toStorage(f.type, typed));
    if (typed.isValid() && f.type == FieldType::AutoInc) {
      for (auto& [column, next] : d_->numbered)
        if (column == i) next = std::max(next, typed.toLongLong() + 1);
    }
  }
  d_->insert.step();
  d_->insert.reset();
  return sqlite3_last_insert_rowid(d_->table->db());
}

qint64 TableLoader::insert(const QVariantMap& values) {
  std::vector<QVariant> row = emptyRow();
  for (auto it = values.cbegin(); it != values.cend(); ++it) row[column(it.key())] = it.value();
  return insert(row);
}

void TableLoader::commit() {
  d_->insert = Statement();
  execSql(d_->table->db(), QStringLiteral("COMMIT"));
  d_->inTransaction = false;
  const QByteArray restore = QStringLiteral("PRAGMA cache_size = %1").arg(d_->previousCacheSize).toUtf8();
  sqlite3_exec(d_->table->db(), restore.constData(), nullptr, nullptr, nullptr);
  d_->table.reset();
}

}  // namespace lapiro::engine
