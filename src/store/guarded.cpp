#include "store/guarded.h"

#include <QCoreApplication>
#include <QSet>
#include <QTimer>

namespace lapiro::store {

namespace {

QSet<QString>& reportedDamage() {
  static QSet<QString> tables;
  return tables;
}

// Missing tables named during the current user action: one box per table, however many
// cursors or steps of that action fail on it. Cleared when control is back in the event loop.
QSet<QString>& reportedMissing() {
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
  const bool missing = e.kind() == engine::EngineError::Kind::TableMissing;
  if (missing) {
    const QString key = e.detail().isEmpty() ? e.message() : e.detail().toLower();
    if (reportedMissing().contains(key)) return;
    reportedMissing().insert(key);
  }
  dialogs().error(e.message());
  // Only after the box is closed: its own event loop must not end the action.
  if (missing && QCoreApplication::instance())
    QTimer::singleShot(0, QCoreApplication::instance(), [] { reportedMissing().clear(); });
}

void forgetReportedDamage() {
  reportedDamage().clear();
  reportedMissing().clear();
}

}  // namespace lapiro::store
