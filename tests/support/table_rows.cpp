#include "support/table_rows.h"

#include "engine/cursor.h"

namespace lapiro::test {

qint64 addRow(engine::Engine& engine, const QString& table, const QVariantMap& values) {
  engine::Cursor c(engine, QStringLiteral("Anlage"));
  c.setTableName(table);
  c.open();
  c.append();
  for (auto it = values.begin(); it != values.end(); ++it) c.field(it.key()).setValue(it.value());
  c.post();
  return c.field(0).asInteger();
}

QVariant storedValue(engine::Engine& engine, const QString& table, qint64 key, const QString& field) {
  engine::Cursor c(engine, QStringLiteral("Lesen"));
  c.setTableName(table);
  c.open();
  if (!c.findKey({key})) return {};
  return c.field(field).value();
}

qint64 countRows(engine::Engine& engine, const QString& table) {
  engine::Cursor c(engine, QStringLiteral("Zaehler"));
  c.setTableName(table);
  c.open();
  return c.recordCount();
}

}  // namespace lapiro::test
