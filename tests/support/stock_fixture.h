// A data directory with every table the installer supplies, a few message texts and the own
// user, on a real engine: the base of tests that run the data module and the windows on it.
#pragma once

#include "engine/engine.h"
#include "store/messages.h"
#include "support/temp_dir.h"

#include <QVariantMap>

#include <memory>

namespace lapiro::test {

class StockDirectory {
 public:
  // Creates the tables, the message texts "Meldung <n>" for `messageNumbers`, the own user
  // "Jörg Sommer" and installs the message catalogue; the catalogue is removed again on
  // destruction.
  explicit StockDirectory(std::initializer_list<int> messageNumbers = {11, 14, 15, 29, 118, 119, 120, 138});
  ~StockDirectory();

  // The text the catalogue holds for message `n`.
  static QString message(int n);

  // Adds a row through a plain cursor (no rules) and returns its key (the first field).
  qint64 add(const QString& table, const QVariantMap& values);
  // Adds an animal; Geschlecht is "2" unless given.
  qint64 animal(const QString& rechts, const QString& links, const QVariantMap& more = {});
  // The stored value of `field` in the row with primary key `key`; invalid when none.
  QVariant stored(const QString& table, qint64 key, const QString& field);
  qint64 rowCount(const QString& table);

  TempDir dir;
  engine::Engine engine;
  std::unique_ptr<store::MessageCatalogue> messages;
};

}  // namespace lapiro::test
