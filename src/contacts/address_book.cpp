#include "contacts/address_book.h"

#include "store/catalogue.h"
#include "store/dialog_service.h"
#include "store/messages.h"

namespace lapiro::contacts {

namespace engine = lapiro::engine;
using store::dialogs;
using store::messageText;

namespace {

const QString kAdresse = QStringLiteral("Adresse.db");

// A text above every name that begins with `letter`: the letter followed by the highest code
// point, so an inclusive range end acts as the exclusive bound "next letter".
QString afterNamesBeginningWith(QChar letter) {
  const char32_t highest = 0x10FFFF;
  return QString(letter) + QString::fromUcs4(&highest, 1);
}

}  // namespace

const QStringList& fixedTabs() {
  static const QStringList tabs{QStringLiteral("ABC"), QStringLiteral("DEF"), QStringLiteral("GHI"),
                                QStringLiteral("JKL"), QStringLiteral("MNO"), QStringLiteral("PQR"),
                                QStringLiteral("STU"), QStringLiteral("V-Z"), QStringLiteral("Suche"),
                                QStringLiteral("Neu"), QStringLiteral("A-Z")};
  return tabs;
}

void applyLetterTab(engine::Cursor& adressen, int tab) {
  adressen.setIndexName(QStringLiteral("AdrName"));
  if (tab < 0 || tab > 7) {
    adressen.cancelRange();
    adressen.first();
    return;
  }
  const QString caption = fixedTabs().at(tab);
  const QChar from = caption.front();
  const QChar last = tab == 7 ? QChar(u'Z') : caption.back();
  adressen.setRange({QString(from)}, {afterNamesBeginningWith(last)});
  adressen.first();
}

void applyCategoryTab(engine::Cursor& adressen, const QString& category) {
  adressen.setIndexName(QStringLiteral("AdrStatusName"));
  // Compare with the name as Adresse.Status stores it (cut to 20 characters), so that the
  // addresses of a category with a longer name are still found.
  const QString stored = storedCategory(category);
  adressen.setRange({stored}, {stored});
  adressen.first();
}

QStringList categoryNames(engine::Engine& engine) {
  engine::Cursor c(engine, QStringLiteral("StatusAdressenListe"));
  c.setTableName(QStringLiteral("StatusAdressen.db"));
  c.setReadOnly(true);
  c.open();
  QStringList names;
  for (c.first(); !c.eof(); c.next()) names << c.field(QStringLiteral("Status")).asString();
  return names;
}

bool mayAddCategory(int count) {
  if (count < kMaxCategories) return true;
  dialogs().inform(messageText(kMeldungKategorienVoll));
  return false;
}

bool confirmSave(engine::DataSet& cursor, bool speichernOhneFrage) {
  if (speichernOhneFrage) return true;
  if (dialogs().ask(messageText(kMeldungSpeichern), store::DialogKind::Warning)) return true;
  if (cursor.isEditing()) cursor.cancel();
  return false;
}

bool saveAddress(engine::DataSet& cursor, bool speichernOhneFrage) {
  if (!cursor.isEditing()) return true;
  if (!confirmSave(cursor, speichernOhneFrage)) return false;
  try {
    cursor.post();
  } catch (const engine::Abort&) {
    return false;
  } catch (const engine::EngineError& e) {
    dialogs().error(e.message());
    return false;
  }
  return true;
}

bool deleteCurrent(engine::DataSet& cursor) {
  if (!dialogs().askDelete(messageText(kMeldungLoeschen), store::DialogKind::Question)) return false;
  if (cursor.isEditing()) cursor.cancel();
  if (!cursor.hasRecord()) return false;
  cursor.deleteRecord();
  return true;
}

bool duplicateNameCheck(engine::Cursor& adressen, engine::Cursor& view, bool checkOn,
                        const std::function<bool()>& keepNew) {
  if (!checkOn || adressen.state() != engine::DataSetState::Insert) return false;
  const QString name = adressen.field(QStringLiteral("Name")).asString();
  const QString vorname = adressen.field(QStringLiteral("Vorname")).asString();
  view.setIndexName(QStringLiteral("AdrName"));
  view.refresh();
  if (!view.findKey(
          {name.isEmpty() ? QVariant() : QVariant(name), vorname.isEmpty() ? QVariant() : QVariant(vorname)}))
    return false;
  if (keepNew && keepNew()) return false;
  const QVariant nr = view.field(QStringLiteral("LaufendeNr")).value();
  adressen.cancel();
  adressen.locate(QStringLiteral("LaufendeNr"), {nr});
  return true;
}

void configureAddressCursor(engine::Cursor& cursor) {
  cursor.setTableName(kAdresse);
  QStringList fields;
  if (const auto* t = store::findTable(kAdresse)) {
    for (const auto& f : t->def.fields) fields << f.name;
  }
  cursor.setExpectedFields(fields);
  cursor.setIndexName(QStringLiteral("AdrName"));
}

bool openWithMembershipUpgrade(engine::Engine& engine, engine::Cursor& own, engine::Cursor* shared) {
  try {
    own.open();
    return true;
  } catch (const engine::EngineError& e) {
    const bool membershipMissing =
        e.kind() == engine::EngineError::Kind::FieldMissing &&
        e.detail().compare(QStringLiteral("MitgliedsNr"), Qt::CaseInsensitive) == 0;
    if (!membershipMissing) {
      dialogs().error(messageText(kMeldungTabelleFehlt) + QStringLiteral(" Adresse"));
      return false;
    }
  }
  const bool reopenShared = shared && shared->isOpen();
  if (reopenShared) shared->close();
  try {
    const engine::TableDef stored = engine.tableDef(kAdresse);
    const QStringList membership{QStringLiteral("MitgliedsNr"), QStringLiteral("Eintritt"),
                                 QStringLiteral("Gekuendigt"), QStringLiteral("Austritt"),
                                 QStringLiteral("Abonnent")};
    int present = 0;
    for (const auto& f : membership) present += stored.field(f) ? 1 : 0;
    if (present == 0) {
      engine.execute(
          QStringLiteral("ALTER TABLE \"Adresse.db\" ADD  MitgliedsNr CHAR(20),ADD Eintritt date,"
                         "ADD Gekuendigt date,ADD Austritt date,ADD Abonnent Boolean"));
    } else {
      // A table that holds some of the fields already: add only the missing ones, as the
      // statement above would fail on the first field present.
      const auto* t = store::findTable(kAdresse);
      for (const auto& f : membership) {
        if (!stored.field(f) && t && t->def.field(f)) engine.addField(kAdresse, *t->def.field(f));
      }
    }
  } catch (const engine::EngineError&) {
    // Reported below when the table still does not open.
  }
  if (reopenShared) {
    try {
      shared->open();
    } catch (const engine::EngineError&) {
    }
  }
  try {
    own.open();
    return true;
  } catch (const engine::EngineError&) {
    dialogs().error(messageText(kMeldungTabelleFehlt) + QStringLiteral(" Adresse"));
    return false;
  }
}

}  // namespace lapiro::contacts
