#include "contacts/address_search.h"

#include "engine/field_input.h"

#include "engine/cursor.h"

namespace lapiro::contacts {

namespace engine = lapiro::engine;

bool AddressSearchBoxes::isEmpty() const {
  return name.isEmpty() && vorname.isEmpty() && telefon.isEmpty() && rasse.isEmpty() && ort.isEmpty() &&
         plz.isEmpty() && land.isEmpty() && status.isEmpty();
}

QList<qint64> breedsBeginningWith(engine::Engine& engine, const QString& text) {
  engine::Cursor rasse(engine, QStringLiteral("SuchRasse"));
  rasse.setTableName(QStringLiteral("Rasse.db"));
  rasse.setReadOnly(true);
  rasse.open();
  rasse.setIndexName(QStringLiteral("RasseName"));
  const QString wanted = text.toUpper();
  const auto begins = [&] {
    return rasse.field(QStringLiteral("Name")).asString().left(text.size()).toUpper() == wanted;
  };
  QList<qint64> numbers;
  rasse.first();
  while (rasse.hasRecord() && !begins()) {
    rasse.next();
    if (rasse.eof()) return numbers;
  }
  while (rasse.hasRecord() && begins()) {
    numbers.append(rasse.field(QStringLiteral("Nummer")).asInteger());
    rasse.next();
    if (rasse.eof()) break;
  }
  return numbers;
}

SearchStatement buildAddressSearch(const AddressSearchBoxes& boxes, const QList<qint64>& breeds) {
  SearchStatement s;
  s.lines << QStringLiteral("SELECT * from \"adresse.db\"");
  QStringList conditions;
  const auto prefix = [&](const QString& field, const QString& box, int size, bool ignoreCase) {
    const QString typed = engine::cutToSize(box, size);
    if (typed.isEmpty()) return;
    const QString param = QStringLiteral("Such") + field;
    s.params.insert(param, QString(typed + u'%'));
    conditions << (ignoreCase ? QStringLiteral("UPPER(%1) like UPPER(:%2)") : QStringLiteral("%1 like :%2"))
                      .arg(field, param);
  };
  prefix(QStringLiteral("Name"), boxes.name, address_search_size::kName, true);
  prefix(QStringLiteral("Vorname"), boxes.vorname, address_search_size::kVorname, true);
  prefix(QStringLiteral("Telefon"), boxes.telefon, address_search_size::kTelefon, false);
  prefix(QStringLiteral("Ort"), boxes.ort, address_search_size::kOrt, true);
  prefix(QStringLiteral("PLZ"), boxes.plz, address_search_size::kPlz, false);
  if (!boxes.rasse.isEmpty()) {
    if (breeds.isEmpty()) {
      // No breed name begins with the text: the search must find nothing.
      conditions << QStringLiteral("(1 = 0)");
    } else {
      QStringList alternatives;
      for (int i = 0; i < breeds.size(); ++i) {
        const QString param = QStringLiteral("SuchRasse%1").arg(i);
        s.params.insert(param, breeds[i]);
        alternatives << QStringLiteral("Rasse = :") + param;
      }
      conditions << u'(' + alternatives.join(QStringLiteral(" OR ")) + u')';
    }
  }
  prefix(QStringLiteral("Land"), boxes.land, address_search_size::kLand, true);
  prefix(QStringLiteral("Status"), boxes.status, address_search_size::kStatus, false);
  if (!conditions.isEmpty()) {
    s.lines << QStringLiteral(" Where ");
    for (int i = 0; i < conditions.size(); ++i) {
      if (i > 0) s.lines << QStringLiteral(" AND ");
      s.lines << conditions[i];
    }
  }
  // German order of names (umlauts as their base letters, case ignored), then as written.
  s.lines << QStringLiteral("ORDER BY %1 COLLATE NOCASE,%2 COLLATE NOCASE,Name,Vorname")
                 .arg(engine::germanSortKeySql(QStringLiteral("Name")), engine::germanSortKeySql(QStringLiteral("Vorname")));
  return s;
}

void prepareSearchQuery(engine::Query& query) {
  query.addCalculatedField(QStringLiteral("Anzeige"), engine::FieldType::Alpha, 50);
  query.addLookupField(QStringLiteral("RasseAnzeige"), engine::FieldType::Alpha, 25, QStringLiteral("Rasse"),
                       QStringLiteral("Rasse.db"), QStringLiteral("Nummer"), QStringLiteral("Name"));
  query.events.onCalcFields = [](engine::DataSet& ds) {
    ds.field(QStringLiteral("Anzeige"))
        .setValue(ds.field(QStringLiteral("Name")).asString() + QStringLiteral(", ") +
                  ds.field(QStringLiteral("Vorname")).asString());
  };
}

qint64 runAddressSearch(engine::Engine& engine, engine::Query& query, const AddressSearchBoxes& boxes) {
  query.close();
  const QString rasse = engine::cutToSize(boxes.rasse, address_search_size::kRasse);
  const QList<qint64> breeds = rasse.isEmpty() ? QList<qint64>{} : breedsBeginningWith(engine, rasse);
  const SearchStatement s = buildAddressSearch(boxes, breeds);
  query.clearParams();
  query.setSql(s.lines);
  for (auto it = s.params.cbegin(); it != s.params.cend(); ++it) query.setParam(it.key(), it.value());
  query.open();
  return query.recordCount();
}

AddressSearchBoxes boxesFromRow(engine::DataSet& row) {
  const auto text = [&](const QString& f) { return row.field(f).asString(); };
  AddressSearchBoxes b;
  b.name = text(QStringLiteral("Name"));
  b.vorname = text(QStringLiteral("Vorname"));
  b.telefon = text(QStringLiteral("Telefon"));
  b.rasse = text(QStringLiteral("RasseAnzeige"));
  b.ort = text(QStringLiteral("Ort"));
  b.plz = text(QStringLiteral("PLZ"));
  b.land = text(QStringLiteral("Land"));
  b.status = text(QStringLiteral("Status"));
  return b;
}

}  // namespace lapiro::contacts
