#include "store/guarded.h"

#include <QSet>

namespace lapiro::store {

namespace {

QSet<QString>& reportedDamage() {
  static QSet<QString> tables;
  return tables;
}

}  // namespace

void showEngineError(const engine::EngineError& e) {
  if (e.kind() == engine::EngineError::Kind::TableDamaged && !e.detail().isEmpty()) {
    const QString table = e.detail().toLower();
    if (reportedDamage().contains(table)) return;
    reportedDamage().insert(table);
  }
  dialogs().error(e.message());
}

void forgetReportedDamage() { reportedDamage().clear(); }

}  // namespace lapiro::store
