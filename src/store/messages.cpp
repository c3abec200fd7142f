#include "store/messages.h"

namespace lapiro::store {

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
  if (!cursor_.isOpen()) return {};
  auto it = cache_.find(number);
  if (it != cache_.end()) return *it;
  // Looked up on the primary index; a missing row leaves the text empty.
  QString result;
  if (cursor_.findKey({QVariant(static_cast<qlonglong>(number))}))
    result = cursor_.field(QStringLiteral("Meldung")).asString();
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
