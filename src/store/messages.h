// The message catalogue: message texts by number from the table Sprmel.db.
#pragma once

#include "engine/cursor.h"

#include <QHash>
#include <QString>

namespace lapiro::store {

class MessageCatalogue {
 public:
  explicit MessageCatalogue(engine::Engine& engine);

  // Opens Sprmel.db. Throws engine::EngineError when the table cannot be opened; the
  // catalogue then answers every number with an empty text, but for the few it keeps (text()).
  void open();
  void close();
  bool isOpen() const { return cursor_.isOpen(); }

  // The text of message `number`; empty when there is no such row (or the table is closed).
  // A catalogue that fails when read (a damaged Sprmel.db) throws nothing: the failure is
  // shown once. The messages the program cannot do without (11, the closing question 16)
  // keep a German text of their own for a closed or damaged catalogue.
  QString text(int number);
  // Message 11 followed by a blank and the table name: a table that cannot be opened.
  QString tableOpenFailure(const QString& tableName) { return text(11) + u' ' + tableName; }

 private:
  engine::Cursor cursor_;
  QHash<int, QString> cache_;
};

// The catalogue in force (installed by the main window at start-up); null before that.
MessageCatalogue* messages();
void setMessageCatalogue(MessageCatalogue* catalogue);
// Text of message `number` from the catalogue in force; empty without one.
QString messageText(int number);

}  // namespace lapiro::store
