#include "store/animal_search.h"

#include <algorithm>
#include <tuple>

#include "store/schema_upgrade.h"

namespace lapiro::store {

using engine::DataSet;
using engine::EngineError;
using engine::FieldType;

namespace {

// The one key the lookups both sort and scan by: German order (umlauts as their base letters)
// with every letter's case folded, not only the ASCII ones. The key maps letter by letter, so
// the key of a name's beginning is the beginning of the name's key.
QString lookupKey(const QString& name) {
  return engine::germanSortKey(name).toCaseFolded();
}

struct KeyedName {
  QString key;
  NamedNumber name;
};

// The name order of the lookups: by key, then as written, then by number.
bool nameBefore(const KeyedName& a, const KeyedName& b) {
  if (const int c = a.key.compare(b.key); c != 0) return c < 0;
  if (const int c = a.name.name.compare(b.name.name, Qt::CaseSensitive); c != 0) return c < 0;
  return a.name.number < b.name.number;
}

QString str(DataSet& ds, const char16_t* field) {
  return ds.field(QString::fromUtf16(field)).asString();
}

void setStr(DataSet& ds, const char16_t* field, const QString& value) {
  ds.field(QString::fromUtf16(field)).setString(value);
}

// "Name, Vorname", or the name alone without a first name.
QString personName(const QString& name, const QString& vorname) {
  return vorname.isEmpty() ? name : name + QStringLiteral(", ") + vorname;
}

// One name box: "(Field = :p0 OR Field = :p1 ...)" for the found records, "Field = :p" with a
// number above every number when none was found.
QString nameCondition(const QString& field, const NameMatch& match, QVariantMap& params) {
  if (match.numbers.empty()) {
    const QString p = field + QStringLiteral("Keiner");
    params.insert(p, match.noMatchValue);
    return field + QStringLiteral(" = :") + p;
  }
  QString line = QStringLiteral("(");
  for (size_t i = 0; i < match.numbers.size(); ++i) {
    const QString p = field + QString::number(i);
    params.insert(p, match.numbers[i]);
    if (i > 0) line += QStringLiteral(" OR ");
    line += field + QStringLiteral(" = :") + p;
  }
  return line + u')';
}

}  // namespace

// ---------------------------------------------------------------- pure rules

NameMatch matchNames(std::vector<NamedNumber> names, const QString& text) {
  NameMatch result;
  std::vector<KeyedName> keyed;
  keyed.reserve(names.size());
  for (NamedNumber& n : names) {
    result.noMatchValue = std::max(result.noMatchValue, n.number + 1);
    keyed.push_back(KeyedName{lookupKey(n.name), std::move(n)});
  }
  std::sort(keyed.begin(), keyed.end(), nameBefore);
  // Sorting and scanning compare the same keys, so the names that begin with the text stand
  // together and the scan starts at the first of them.
  const QString textKey = lookupKey(text);
  auto it = std::lower_bound(keyed.begin(), keyed.end(), textKey,
                             [](const KeyedName& n, const QString& key) { return n.key.compare(key) < 0; });
  for (; it != keyed.end() && it->key.startsWith(textKey); ++it) result.numbers.push_back(it->name.number);
  return result;
}

QString likePrefixPattern(const QString& text) {
  QString pattern;
  pattern.reserve(text.size() + 4);
  for (QChar c : text) {
    if (c == u'\\' || c == u'%' || c == u'_') pattern += u'\\';
    pattern += c;
  }
  return pattern + u'%';
}

QString sexCode(const SearchRequest& request) {
  const QString buck = QStringLiteral("1");
  const QString doe = QStringLiteral("2");
  switch (request.mode) {
    case 1:
    case 3:
      if (request.parent == ParentSearch::Father) return buck;
      if (request.parent == ParentSearch::Mother) return doe;
      return {};
    case 2:
    case 4:
      return buck;
    case 5:
      return doe;
    default:
      return {};
  }
}

QString orderLineForColumn(const QString& field) {
  static const std::pair<const char16_t*, const char16_t*> orders[] = {
      {u"TatoRechts", kDefaultOrderLine},
      {u"TatoLinks", u"ORDER BY TatoLinks,TatoRechts"},
      {u"Stallnummer", u"ORDER BY Stallnummer"},
      {u"GeschlechtAnzeige", u"ORDER BY Geschlecht,TatoRechts,TatoLinks"},
      {u"Geburtstag", u"ORDER BY Geburtstag,TatoRechts,TatoLinks"},
      {u"StatusAnzeige", u"ORDER BY Status,TatoRechts,TatoLinks"},
      {u"Erbformel", u"ORDER BY Erbformel,TatoRechts,TatoLinks"},
      {u"RasseAnzeige", u"ORDER BY Rasse,TatoRechts,TatoLinks"},
      {u"FarbeAnzeige", u"ORDER BY Farbe,TatoRechts,TatoLinks"},
  };
  for (const auto& [column, line] : orders)
    if (engine::sameName(field, QString::fromUtf16(column))) return QString::fromUtf16(line);
  if (engine::sameName(field, QStringLiteral("IDCode")))
    return QStringLiteral("ORDER BY %1 COLLATE NOCASE,IDCode,TatoRechts,TatoLinks")
        .arg(engine::germanSortKeySql(QStringLiteral("IDCode")));
  return {};
}

SearchStatement buildSearchStatement(const SearchBoxes& boxes, const SearchRequest& request,
                                     const NameResolver& resolve, const QString& orderLine) {
  SearchStatement s;
  QStringList conditions;
  if (!boxes.tatoRechts.isEmpty()) {
    s.params.insert(QStringLiteral("TatoRechts"), likePrefixPattern(boxes.tatoRechts));
    conditions << QStringLiteral("TatoRechts like :TatoRechts ESCAPE '\\'");
  }
  if (!boxes.tatoLinks.isEmpty()) {
    s.params.insert(QStringLiteral("TatoLinks"), likePrefixPattern(boxes.tatoLinks));
    conditions << QStringLiteral("TatoLinks like :TatoLinks ESCAPE '\\'");
  }
  const std::tuple<const QString*, NameList, const char16_t*> named[] = {
      {&boxes.rasse, NameList::Rasse, u"Rasse"},
      {&boxes.farbe, NameList::Farbe, u"Farbe"},
      {&boxes.zuechter, NameList::Adresse, u"Zuechter"},
      {&boxes.besitzer, NameList::Adresse, u"Besitzer"},
  };
  for (const auto& [text, list, field] : named)
    if (!text->isEmpty())
      conditions << nameCondition(QString::fromUtf16(field), resolve(list, *text), s.params);
  if (!boxes.stallnummer.isEmpty()) {
    // A hutch number is a number; other text is bound as text and matches nothing.
    bool ok = false;
    const qlonglong number = boxes.stallnummer.trimmed().toLongLong(&ok);
    s.params.insert(QStringLiteral("Stallnummer"), ok ? QVariant(number) : QVariant(boxes.stallnummer));
    conditions << QStringLiteral("Stallnummer = :Stallnummer");
  }
  if (!boxes.status.isEmpty())
    conditions << nameCondition(QStringLiteral("Status"), resolve(NameList::Status, boxes.status), s.params);

  s.lines << QStringLiteral("SELECT * from \"Hasen.db\"");
  if (!conditions.isEmpty()) {
    s.lines << QStringLiteral(" Where ");
    for (int i = 0; i < conditions.size(); ++i) {
      if (i > 0) s.lines << QStringLiteral(" AND ");
      s.lines << conditions[i];
    }
  }
  if (const QString sex = sexCode(request); !sex.isEmpty()) {
    s.lines << (conditions.isEmpty() ? QStringLiteral(" WHERE ") : QStringLiteral(" AND "));
    QString line = QStringLiteral("(Geschlecht='") + sex + QStringLiteral("')");
    if (request.mode == 3 && request.currentAnimal != 0) {
      // The card's own animal cannot be its own parent.
      s.params.insert(QStringLiteral("Nummer"), request.currentAnimal);
      line += QStringLiteral(" AND (Nummer<>:Nummer)");
    }
    s.lines << line;
  }
  s.lines << (orderLine.isEmpty() ? QString::fromUtf16(kDefaultOrderLine) : orderLine);
  return s;
}

QRect placementWithGrid(const QRect& dialog, const QRect& screen) {
  QRect r = dialog;
  r.moveLeft(std::max(dialog.left() - 150, screen.left()));
  r.setWidth(std::max(dialog.width(), 700));
  return r;
}

// ---------------------------------------------------------------- AnimalSearch

AnimalSearch::AnimalSearch(engine::Engine& engine)
    : engine_(engine),
      query_(engine, QStringLiteral("Suche")),
      status_(engine, QStringLiteral("SucheStatus")) {
  status_.setTableName(QStringLiteral("Status.db"));
  status_.setReadOnly(true);

  auto lookup = [this](const char16_t* name, int size, const char16_t* key, const char16_t* table,
                       const char16_t* tableKey, const char16_t* result) {
    query_.addLookupField(QString::fromUtf16(name), FieldType::Alpha, size, QString::fromUtf16(key),
                          QString::fromUtf16(table), QString::fromUtf16(tableKey),
                          QString::fromUtf16(result));
  };
  lookup(u"RasseAnzeige", 25, u"Rasse", u"Rasse", u"Nummer", u"Name");
  lookup(u"RasseCodeAnzeige", 9, u"Rasse", u"Rasse", u"Nummer", u"Code");
  lookup(u"FarbeAnzeige", 25, u"Farbe", u"Farbe", u"Nummer", u"Name");
  lookup(u"StatusAnzeige", 25, u"Status", u"Status", u"Nummer", u"Name");
  lookup(u"VaterTatorechts", 8, u"Vater", u"Hasen", u"Nummer", u"TatoRechts");
  lookup(u"VaterTatolinks", 10, u"Vater", u"Hasen", u"Nummer", u"TatoLinks");
  lookup(u"MutterTatoRechts", 8, u"Mutter", u"Hasen", u"Nummer", u"TatoRechts");
  lookup(u"MutterTatoLinks", 10, u"Mutter", u"Hasen", u"Nummer", u"TatoLinks");
  lookup(u"ZuechterName", 40, u"Zuechter", u"Adresse", u"LaufendeNr", u"Name");
  lookup(u"ZuechterVorname", 40, u"Zuechter", u"Adresse", u"LaufendeNr", u"Vorname");
  lookup(u"BesitzerName", 40, u"Besitzer", u"Adresse", u"LaufendeNr", u"Name");
  lookup(u"BesitzerVorname", 40, u"Besitzer", u"Adresse", u"LaufendeNr", u"Vorname");
  query_.addCalculatedField(QStringLiteral("GeschlechtAnzeige"), FieldType::Alpha, 13);
  query_.addCalculatedField(QStringLiteral("GeschlechtAnzeige2"), FieldType::Alpha, 3);
  // "Name, Vorname" whole: 40 characters, the comma and blank, and 40 more.
  query_.addCalculatedField(QStringLiteral("ZuechterAnzeige"), FieldType::Alpha, 82);
  query_.addCalculatedField(QStringLiteral("BesitzerAnzeige"), FieldType::Alpha, 82);
  query_.events.onCalcFields = [](DataSet& d) {
    const QString g = str(d, u"Geschlecht");
    setStr(d, u"GeschlechtAnzeige",
           g == u"1"   ? QStringLiteral("Rammler 1.0")
           : g == u"2" ? QStringLiteral("Häsin 0.1")
                       : QString());
    setStr(d, u"GeschlechtAnzeige2",
           g == u"1"   ? QStringLiteral("1.0")
           : g == u"2" ? QStringLiteral("0.1")
                       : QString());
    setStr(d, u"ZuechterAnzeige", personName(str(d, u"ZuechterName"), str(d, u"ZuechterVorname")));
    setStr(d, u"BesitzerAnzeige", personName(str(d, u"BesitzerName"), str(d, u"BesitzerVorname")));
  };
}

AnimalSearch::~AnimalSearch() = default;

void AnimalSearch::prepare() {
  if (openPlain(status_, QStringLiteral("Status"))) {
    ensureIndex(engine_, status_, QStringLiteral("Name"), QStringLiteral("Name;Nummer"),
                QStringLiteral("Status"));
    // The dialog does not hold the status list open: other windows may need it to themselves.
    status_.close();
  }
  refreshStatusNames();
}

void AnimalSearch::refreshStatusNames() {
  try {
    engine::Query q(engine_, QStringLiteral("SucheStatusNamen"));
    q.setSql(QStringLiteral("SELECT Name FROM \"Status.db\" ORDER BY Nummer"));
    q.open();
    QStringList names;
    for (const DataSet::Row& row : q.readRows(0, static_cast<int>(q.recordCount())))
      names << row[0].toString();
    statusNames_ = names;
  } catch (const EngineError&) {
    // Already reported when the list was opened; the names stay as they were.
  }
}

std::vector<NamedNumber> AnimalSearch::readNames(NameList list) {
  QString sql;
  switch (list) {
    case NameList::Rasse:
      sql = QStringLiteral("SELECT Nummer, Name FROM \"Rasse.db\"");
      break;
    case NameList::Farbe:
      sql = QStringLiteral("SELECT Nummer, Name FROM \"Farbe.db\"");
      break;
    case NameList::Adresse:
      sql = QStringLiteral("SELECT LaufendeNr, Name FROM \"Adresse.db\"");
      break;
    case NameList::Status:
      sql = QStringLiteral("SELECT Nummer, Name FROM \"Status.db\"");
      break;
  }
  engine::Query q(engine_, QStringLiteral("SucheNamen"));
  q.setSql(sql);
  q.open();
  std::vector<NamedNumber> names;
  names.reserve(static_cast<size_t>(q.recordCount()));
  for (const DataSet::Row& row : q.readRows(0, static_cast<int>(q.recordCount())))
    names.push_back(NamedNumber{row[1].toString(), row[0].toLongLong()});
  return names;
}

NameMatch AnimalSearch::resolve(NameList list, const QString& text) {
  return matchNames(readNames(list), text);
}

qint64 AnimalSearch::run(const SearchBoxes& boxes, const SearchRequest& request) {
  close();
  boxes_ = boxes;
  request_ = request;
  statement_ =
      buildSearchStatement(boxes, request, [this](NameList l, const QString& t) { return resolve(l, t); });
  query_.setSql(statement_.lines);
  query_.clearParams();
  for (auto it = statement_.params.constBegin(); it != statement_.params.constEnd(); ++it)
    query_.setParam(it.key(), it.value());
  query_.open();
  return query_.recordCount();
}

bool AnimalSearch::sortBy(const QString& field) {
  const QString line = orderLineForColumn(field);
  // The statement has lines once a search ran.
  if (line.isEmpty() || statement_.lines.isEmpty()) return false;
  statement_.lines.last() = line;
  query_.setSql(statement_.lines);
  query_.open();
  return true;
}

void AnimalSearch::close() {
  query_.close();
}

std::optional<qint64> AnimalSearch::currentNummer() {
  if (!query_.hasRecord()) return std::nullopt;  // a closed query has no record
  const engine::Field nummer = query_.field(QStringLiteral("Nummer"));
  if (nummer.isNull()) return std::nullopt;
  return nummer.asInteger();
}

SearchBoxes AnimalSearch::boxesOfCurrent(bool withHutch) {
  SearchBoxes b;
  if (!query_.hasRecord()) return b;
  b.tatoRechts = str(query_, u"TatoRechts");
  b.tatoLinks = str(query_, u"TatoLinks");
  b.rasse = str(query_, u"RasseAnzeige");
  b.farbe = str(query_, u"FarbeAnzeige");
  // The breeder's and owner's names, not "Name, Vorname": the boxes look names up by their
  // beginning, so a search with the copied boxes finds the animal again.
  b.zuechter = str(query_, u"ZuechterName");
  b.besitzer = str(query_, u"BesitzerName");
  b.status = str(query_, u"StatusAnzeige");
  if (withHutch) b.stallnummer = str(query_, u"Stallnummer");
  return b;
}

std::vector<engine::CursorModel::Column> AnimalSearch::gridColumns() {
  auto col = [](const char16_t* field, const char16_t* title, int width) {
    return engine::CursorModel::Column{QString::fromUtf16(field), QString::fromUtf16(title), width};
  };
  return {col(u"TatoRechts", u"Täto rechts", 8),
          col(u"TatoLinks", u"Täto links", 10),
          col(u"Geburtstag", u"Geburtstag", 10),
          col(u"Stallnummer", u"Stallnummer", 6),
          col(u"GeschlechtAnzeige", u"Geschlecht", 11),
          col(u"RasseAnzeige", u"Rasse", 20),
          col(u"FarbeAnzeige", u"Farbe", 16),
          col(u"ZuechterAnzeige", u"Züchter", 20),
          col(u"BesitzerAnzeige", u"Besitzer", 20),
          col(u"VaterTatorechts", u"VaterTato ", 8),
          col(u"VaterTatolinks", u"", 10),
          col(u"MutterTatoRechts", u"MutterTato", 8),
          col(u"MutterTatoLinks", u"", 10),
          col(u"StatusAnzeige", u"Status", 14),
          col(u"Erbformel", u"Erbformel", 16)};
}

}  // namespace lapiro::store
