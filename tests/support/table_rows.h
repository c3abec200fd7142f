// Rows written and read through plain cursors, without any record rules: how tests set up
// and inspect their tables.
#pragma once

#include "engine/engine.h"

#include <QVariant>
#include <QVariantMap>

namespace lapiro::test {

// Appends a row with `values` (field name → value) and returns its first field (the key).
qint64 addRow(engine::Engine& engine, const QString& table, const QVariantMap& values);
// The stored value of `field` in the row whose primary key is `key`; invalid when none.
QVariant storedValue(engine::Engine& engine, const QString& table, qint64 key, const QString& field);
// Number of rows of `table`.
qint64 countRows(engine::Engine& engine, const QString& table);

}  // namespace lapiro::test
