#include "store/messages.h"

#include "store/guarded.h"

namespace lapiro::store {

namespace {

// Texts of the messages the program needs even when the catalogue cannot be read.
QString fallbackText(int number) {
  switch (number) {
    case 11: return QStringLiteral("Folgende Tabelle kann nicht geöffnet werden:");
    case 16: return QStringLiteral("Möchten Sie Lapiro Manager jetzt beenden?");
    default: return {};
  }
}

}  // namespace

MessageCatalogue::MessageCatalogue(engine::Engine& engine) : cursor_(engine, QStringLiteral("Sprmel")) {
  cursor_.setTableName(QStringLiteral("Sprmel.db"));
  cursor_.setReadOnly(true);
}

void MessageCatalogue::open() {
  cache_.clear();
  cursor_.open();
}

void MessageCatalogue::close() { cursor_.close(); }

QString MessageCatalogue::text(int number) {
  if (!cursor_.isOpen()) return fallbackText(number);
  auto it = cache_.find(number);
  if (it != cache_.end()) return *it;
  // Looked up on the primary index; a missing row leaves the text empty.
  QString result;
  try {
    if (cursor_.findKey({QVariant(static_cast<qlonglong>(number))}))
      result = cursor_.field(QStringLiteral("Meldung")).asString();
  } catch (const engine::EngineError& e) {
    showEngineError(e);
    result = fallbackText(number);
  } catch (const engine::Abort&) {
    result = fallbackText(number);
  }
  cache_.insert(number, result);
  return result;
}

namespace {
MessageCatalogue* currentCatalogue = nullptr;
}

MessageCatalogue* messages() { return currentCatalogue; }
void setMessageCatalogue(MessageCatalogue* catalogue) { currentCatalogue = catalogue; }
QString messageText(int number) { return currentCatalogue ? currentCatalogue->text(number) : QString(); }

}  // namespace lapiro::store
