#include "health/health_rules.h"

#include <QRegularExpression>

#include "store/data_module.h"
#include "store/dialog_service.h"
#include "store/messages.h"

namespace lapiro::health {

using engine::Cursor;
using engine::EngineError;

const std::vector<PharmacyOrder>& pharmacyOrders() {
  static const std::vector<PharmacyOrder> orders = {
      {QStringLiteral("Bereich"), QStringLiteral("BereichKrankheitIdx"), QStringLiteral("Bereich;Krankheit")},
      {QStringLiteral("Medikament"), QStringLiteral("Medikament"), QStringLiteral("Medikament")},
      {QStringLiteral("Verfallsdatum"), QStringLiteral("VerfallsdatumIdx"),
       QStringLiteral("Verfallsdatum;LaufendeNummer")},
  };
  return orders;
}

void configurePharmacyCursor(Cursor& cursor) {
  cursor.setTableName(QStringLiteral("APOTHEKE.db"));
  cursor.setExpectedFields({QStringLiteral("LaufendeNummer"), QStringLiteral("Bereich"),
                            QStringLiteral("Krankheit"), QStringLiteral("Medikament"),
                            QStringLiteral("Verfallsdatum"), QStringLiteral("Info")});
}

bool applyPharmacyOrder(engine::Engine& engine, Cursor& apotheke, int choice) {
  if (choice < 0 || choice >= static_cast<int>(pharmacyOrders().size())) return false;
  const PharmacyOrder& order = pharmacyOrders()[choice];
  apotheke.checkBrowseMode();
  try {
    apotheke.setIndexName(order.index);
    return false;
  } catch (const EngineError& e) {
    if (e.kind() != EngineError::Kind::IndexMissing) throw;
  }
  // The index is missing: create it while no cursor of ours holds the table, then reopen.
  const QVariant mark = apotheke.hasRecord() ? apotheke.bookmark() : QVariant();
  apotheke.close();
  try {
    engine.addIndex(apotheke.tableName(), engine::IndexDef::fromList(order.index, order.fields));
  } catch (const EngineError&) {
    apotheke.open();
    throw;
  }
  apotheke.open();
  apotheke.setIndexName(order.index);
  if (mark.isValid()) apotheke.gotoBookmark(mark);
  return true;
}

qint64 treatmentsOfMedicine(engine::Engine& engine, qint64 laufendeNummer) {
  Cursor gaben(engine, QStringLiteral("MedizinVerweise"));
  gaben.setTableName(QStringLiteral("MedizienHase.db"));
  gaben.setReadOnly(true);
  gaben.open();
  // The number is the program's own key, never typed text.
  gaben.setFilter(QStringLiteral("Medikament = %1").arg(laufendeNummer));
  gaben.setFiltered(true);
  return gaben.recordCount();
}

bool deleteMedicine(engine::Engine& engine, Cursor& apotheke) {
  if (!apotheke.isOpen()) return false;
  if (apotheke.state() == engine::DataSetState::Insert) {
    apotheke.cancel();
    return false;
  }
  if (!apotheke.hasRecord()) return false;
  const qint64 nr = apotheke.field(QStringLiteral("LaufendeNummer")).asInteger();
  QString question = store::messageText(kMeldungLoeschen);
  const qint64 refs = treatmentsOfMedicine(engine, nr);
  if (refs > 0) {
    question += QStringLiteral("\n\n") +
                (refs == 1 ? QStringLiteral("Eine Behandlung verweist noch auf dieses Medikament")
                           : QStringLiteral("%1 Behandlungen verweisen noch auf dieses Medikament").arg(refs)) +
                QStringLiteral("; sie behalten Datum, Dosierung und Krankheit, aber keinen Medikamentnamen.");
  }
  if (!store::dialogs().ask(question, store::DialogKind::Warning)) return false;
  if (apotheke.isEditing()) apotheke.cancel();
  apotheke.deleteRecord();
  return true;
}

void checkHealthRowBeforePost(engine::DataSet& row, bool speichernOhneFrage, const QDate& today,
                              const QString& dateField) {
  if (!speichernOhneFrage &&
      !store::dialogs().ask(store::messageText(kMeldungSpeichern), store::DialogKind::Warning)) {
    row.cancel();
    throw engine::Abort();
  }
  const QDate date = row.field(dateField).asDate();
  if (date.isValid() && date > today &&
      !store::dialogs().ask(QStringLiteral("Das Datum %1 liegt in der Zukunft. Trotzdem speichern?")
                                .arg(date.toString(QStringLiteral("dd.MM.yyyy"))),
                            store::DialogKind::Warning))
    throw engine::Abort();
}

const QStringList& THygieneRegeln::cursorNames() {
  static const QStringList names = {QStringLiteral("Desinfektion"), QStringLiteral("MedizienGaben"),
                                    QStringLiteral("Insekten"), QStringLiteral("Impfung")};
  return names;
}

THygieneRegeln::THygieneRegeln(store::TDatenStamm& dm, std::function<bool()> speichernOhneFrage)
    : dm_(dm), speichern_(std::move(speichernOhneFrage)) {
  const struct {
    const char16_t* cursor;
    const char16_t* date;
  } rules[] = {{u"Desinfektion", u"Am"}, {u"MedizienGaben", u"Am"}, {u"Insekten", u"Am"}, {u"Impfung", u"Datum"}};
  for (const auto& r : rules) {
    Cursor* c = dm_.cursor(QString::fromUtf16(r.cursor));
    if (!c) continue;
    const QString date = QString::fromUtf16(r.date);
    c->events.beforePost = [this, date](engine::DataSet& ds) {
      checkHealthRowBeforePost(ds, speichern_ && speichern_(), dm_.today(), date);
    };
  }
  hasenListener_ = dm_.Hasen().addListener([this](engine::Notification n) {
    if (n == engine::Notification::Destroyed) {
      hasenListener_ = 0;
    } else if (n == engine::Notification::Scrolled || n == engine::Notification::Opened) {
      showLastRows();
    }
  });
  showLastRows();
}

THygieneRegeln::~THygieneRegeln() {
  for (const QString& name : cursorNames())
    if (Cursor* c = dm_.cursor(name)) c->events.beforePost = nullptr;
  if (hasenListener_) dm_.Hasen().removeListener(hasenListener_);
}

void THygieneRegeln::showLastRows() {
  for (const QString& name : cursorNames()) {
    Cursor* c = dm_.cursor(name);
    if (c && c->isOpen() && !c->isEditing() && c->hasRecord()) c->last();
  }
}

}  // namespace lapiro::health
