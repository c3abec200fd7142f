#include "shell/animal_list.h"

#include "store/catalogue.h"
#include "store/dialog_service.h"
#include "store/messages.h"
#include "store/schema_upgrade.h"

#include <QRegularExpression>

#include <bitset>

namespace lapiro::shell {

using engine::EngineError;
using engine::FieldType;

namespace {

const QString kHasen = QStringLiteral("Hasen");

QStringList catalogueFields(const QString& table) {
  QStringList names;
  if (const store::CatalogueTable* t = store::findTable(table))
    for (const auto& f : t->def.fields) names << f.name;
  return names;
}

}  // namespace

const std::vector<ListOrder>& listOrders() {
  static const std::vector<ListOrder> orders{
      {QStringLiteral("&Täto rechts"), QStringLiteral("Tato"), QStringLiteral("TatoRechts;TatoLinks;Geburtstag")},
      {QStringLiteral("T&äto links"), QStringLiteral("TatoLinksRechts"), QStringLiteral("TatoLinks;TatoRechts")},
      {QStringLiteral("Rass&e/Täto rechts"), QStringLiteral("RasseTato"), QStringLiteral("Rasse;TatoRechts;TatoLinks")},
      {QStringLiteral("&Status/Täto rechts"), QStringLiteral("StatusTato"),
       QStringLiteral("Status;TatoRechts;TatoLinks")},
      {QStringLiteral("Tät&o re/Geb./Täto li"), QStringLiteral("TatoReGebTatoLi"),
       QStringLiteral("TatoRechts;Geburtstag;TatoLinks")},
      {QStringLiteral("St./Täto re/&Geb./Täto li"), QStringLiteral("StatusTatoReGebTatoLi"),
       QStringLiteral("Status;TatoRechts;Geburtstag;TatoLinks")},
      {QStringLiteral("Status/Name/Rasse"), QStringLiteral("StatusNameRasse"), QStringLiteral("Status;IDCode;Rasse")},
  };
  return orders;
}

std::vector<ListColumn> listColumns(const tsysteminfo& settings) {
  ListColumn rechts{QStringLiteral("TatoRechts"), QStringLiteral("Täto Re"), 48};
  ListColumn links{QStringLiteral("TatoLinks"), QStringLiteral("Täto Li."), 55};
  std::vector<ListColumn> columns;
  if (engine::sameName(settings.Auswahlfenster.Sortierung, QStringLiteral("TatoLinksRechts"))) {
    // The left tattoo leads this order, so it moves to the front; the widths follow the slot.
    links.width = 55;
    rechts.width = 48;
    columns = {links, rechts};
  } else {
    columns = {rechts, links};
  }
  columns.push_back({QStringLiteral("RasseAnzeige"), QStringLiteral("Rasse"), 50,
                     settings.Auswahlfenster.RasseAnzeigen});
  columns.push_back({QStringLiteral("IDCode"), QStringLiteral("Name"), 90, settings.Auswahlfenster.NameAnzeigen});
  columns.push_back({QStringLiteral("GeschlechtAnzeige"), QStringLiteral("Geschl."), 42});
  return columns;
}

QString statusFilter(const QString& setting) {
  if (setting.trimmed().compare(QStringLiteral("alle"), Qt::CaseInsensitive) == 0) return {};
  // ASCII digits only (other scripts' digits are not status numbers); each status once, so a
  // setting that repeats a group thousands of times still gives at most 100 terms.
  static const QRegularExpression group(QStringLiteral("/([0-9]{1,2})/"));
  QStringList terms;
  std::bitset<100> seen;
  auto it = group.globalMatch(setting);
  while (it.hasNext()) {
    const int status = it.next().captured(1).toInt();
    if (seen.test(static_cast<size_t>(status))) continue;
    seen.set(static_cast<size_t>(status));
    terms << QStringLiteral("Status=") + QString::number(status);
  }
  return terms.join(QStringLiteral(" OR "));
}

// ------------------------------------------------------------------ dragging

QByteArray encodeDraggedAnimal(const DraggedAnimal& animal) {
  // Three lines: number, right tattoo, left tattoo. Tattoos never hold a line break.
  return (QString::number(animal.nummer) + u'\n' + animal.tatoRechts + u'\n' + animal.tatoLinks).toUtf8();
}

std::optional<DraggedAnimal> decodeDraggedAnimal(const QByteArray& data) {
  const QStringList parts = QString::fromUtf8(data).split(u'\n');
  if (parts.size() != 3) return std::nullopt;
  bool ok = false;
  const qlonglong nummer = parts[0].toLongLong(&ok);
  if (!ok || nummer <= 0) return std::nullopt;
  return DraggedAnimal{nummer, parts[1], parts[2]};
}

// ------------------------------------------------------------------ recently-shown list

QString recentEntry(const QString& tatoRechts, const QString& tatoLinks, qlonglong nummer) {
  return tatoRechts + u' ' + tatoLinks + QStringLiteral(" {") + QString::number(nummer) + u'}';
}

bool isEmptyRecentSlot(const QString& entry) {
  return entry.isEmpty() || entry == tsysteminfo::emptyLastLapiro();
}

bool addRecent(RecentSlots& recent, const QString& tatoRechts, const QString& tatoLinks, qlonglong nummer) {
  const QString tattoos = tatoRechts + u' ' + tatoLinks;
  for (const QString& entry : recent) {
    if (isEmptyRecentSlot(entry)) continue;
    const qsizetype brace = entry.lastIndexOf(QStringLiteral(" {"));
    if ((brace < 0 ? entry : entry.left(brace)) == tattoos) return false;
  }
  if (!isEmptyRecentSlot(recent[0])) {
    for (size_t i = recent.size() - 1; i > 0; --i) recent[i] = recent[i - 1];
  }
  recent[0] = recentEntry(tatoRechts, tatoLinks, nummer);
  return true;
}

bool removeRecent(RecentSlots& recent, qlonglong nummer) {
  RecentSlots kept;
  kept.fill(tsysteminfo::emptyLastLapiro());
  size_t n = 0;
  for (const QString& entry : recent)
    if (!isEmptyRecentSlot(entry) && recentNummer(entry) != nummer) kept[n++] = entry;
  if (recentMenuEntries(kept) == recentMenuEntries(recent)) return false;
  recent = kept;
  return true;
}

QStringList recentMenuEntries(const RecentSlots& recent) {
  QStringList entries;
  for (const QString& entry : recent)
    if (!isEmptyRecentSlot(entry)) entries << entry;
  return entries;
}

std::optional<qlonglong> recentNummer(const QString& entry) {
  if (isEmptyRecentSlot(entry)) return std::nullopt;
  const qsizetype brace = entry.lastIndexOf(u'{');
  if (brace < 0 || entry.size() - brace < 3) return std::nullopt;
  bool ok = false;
  const qlonglong n = entry.mid(brace + 1, entry.size() - brace - 2).toLongLong(&ok);
  return ok ? std::optional<qlonglong>(n) : std::nullopt;
}

// ------------------------------------------------------------------ the list

AnimalList::AnimalList(engine::Engine& engine)
    : engine_(engine), cursor_(engine, store::mainCursor::Hasen.toString()) {
  cursor_.setTableName(QStringLiteral("Hasen.db"));
  cursor_.setReadOnly(false);
  cursor_.setExpectedFields(catalogueFields(QStringLiteral("Hasen.db")));
  cursor_.addCalculatedField(QStringLiteral("GeschlechtAnzeige"), FieldType::Alpha, 3);
  cursor_.addLookupField(QStringLiteral("RasseAnzeige"), FieldType::Alpha, 9, QStringLiteral("Rasse"),
                         QStringLiteral("Rasse.db"), QStringLiteral("Nummer"), QStringLiteral("Code"));
  cursor_.addLookupField(QStringLiteral("RasseNameAnzeige"), FieldType::Alpha, 25, QStringLiteral("Rasse"),
                         QStringLiteral("Rasse.db"), QStringLiteral("Nummer"), QStringLiteral("Name"));
  cursor_.addLookupField(QStringLiteral("StatusAnzeige"), FieldType::Alpha, 25, QStringLiteral("Status"),
                         QStringLiteral("Status.db"), QStringLiteral("Nummer"), QStringLiteral("Name"));
  cursor_.addLookupField(QStringLiteral("FarbeAnzeige"), FieldType::Alpha, 25, QStringLiteral("Farbe"),
                         QStringLiteral("Farbe.db"), QStringLiteral("Nummer"), QStringLiteral("Name"));
  cursor_.events.onCalcFields = [](engine::DataSet& ds) {
    const bool buck = ds.field(QStringLiteral("Geschlecht")).asString() == u"1";
    ds.field(QStringLiteral("GeschlechtAnzeige")).setValue(buck ? QStringLiteral("1.0") : QStringLiteral("0.1"));
  };
}

bool AnimalList::open() {
  if (cursor_.isOpen()) return true;
  try {
    cursor_.open();
  } catch (const EngineError& e) {
    store::reportOpenFailure(store::failedTableName(e, kHasen));
    return false;
  }
  store::ensureIndexes(engine_, cursor_, store::animalListIndexes(), kHasen);
  return true;
}

bool AnimalList::setUp(const tsysteminfo& settings) {
  if (!settings.Auswahlfenster.Anzeigen) {
    cursor_.setFiltered(false);
    cursor_.setFilter(QString());
    return cursor_.isOpen();
  }
  cursor_.close();
  quickSearch_.clear();
  // Open in the primary order first: the order of the setting may need one of the indexes
  // that the opening adds.
  cursor_.setIndexName(QString());
  const QString filter = statusFilter(settings.Auswahlfenster.Status);
  cursor_.setFilter(filter);
  cursor_.setFiltered(!filter.isEmpty());
  if (!open()) return false;
  sortIndex_ = settings.Auswahlfenster.Sortierung;
  descending_ = false;
  try {
    cursor_.setIndexName(sortIndex_);
  } catch (const EngineError&) {
    sortIndex_.clear();
  }
  cursor_.first();
  return true;
}

QString AnimalList::indexForColumn(const QString& field) {
  const QString key = engine::sameName(field, QStringLiteral("RasseAnzeige")) ? QStringLiteral("Rasse") : field;
  for (const ListOrder& order : listOrders())
    if (engine::sameName(order.fields.section(u';', 0, 0), key)) return order.index;
  return {};
}

bool AnimalList::sortByColumn(const QString& field, tsysteminfo& settings) {
  const QString index = indexForColumn(field);
  if (index.isEmpty() || !cursor_.isOpen()) return false;
  const engine::IndexDef* def = cursor_.tableDef().index(index);
  if (!def) return false;
  const bool reverse = !descending_ && engine::sameName(cursor_.indexName(), index) && cursor_.indexFieldNames().isEmpty();
  try {
    if (reverse) {
      QStringList fields;
      for (const auto& f : def->fields) fields << f.name + QStringLiteral(" desc");
      cursor_.setIndexFieldNames(fields.join(u';'));
    } else {
      cursor_.setIndexName(index);
    }
  } catch (const EngineError&) {
    return false;
  }
  sortIndex_ = index;
  descending_ = reverse;
  if (!reverse) settings.Auswahlfenster.Sortierung = index;
  return true;
}

void AnimalList::refresh() {
  if (!cursor_.isOpen()) return;
  const QVariant mark = cursor_.bookmark();
  // Changing the order to itself makes views re-read everything.
  if (!cursor_.indexFieldNames().isEmpty())
    cursor_.setIndexFieldNames(cursor_.indexFieldNames());
  else
    cursor_.setIndexName(cursor_.indexName());
  if (!mark.isValid() || !cursor_.gotoBookmark(mark)) cursor_.first();
}

qint64 AnimalList::count() { return cursor_.isOpen() ? cursor_.recordCount() : 0; }

std::vector<qint64> AnimalList::numbers() {
  std::vector<qint64> out;
  if (!cursor_.isOpen()) return out;
  const int col = cursor_.fieldIndex(QStringLiteral("Nummer"));
  if (col < 0) return out;
  const auto rows = cursor_.readRows(0, static_cast<int>(cursor_.recordCount()));
  out.reserve(rows.size());
  for (const auto& row : rows) out.push_back(row[col].toLongLong());
  return out;
}

bool AnimalList::positionOn(qlonglong nummer) {
  if (!cursor_.isOpen()) return false;
  const QString order = cursor_.indexName();
  const QString fields = cursor_.indexFieldNames();
  cursor_.setIndexName(QString());
  const bool found = cursor_.findKey({nummer});
  if (!fields.isEmpty())
    cursor_.setIndexFieldNames(fields);
  else
    cursor_.setIndexName(order);
  return found;
}

QString AnimalList::quickSearchFailureText() {
  QStringList parts;
  for (int n = 19; n <= 23; ++n) parts << store::messageText(n);
  return parts.join(u'\r');
}

bool AnimalList::typeKey(QChar key) {
  if (key == QChar(0x1b)) {
    quickSearch_.clear();
    return true;
  }
  // The text searched is the leading key field: more than that field holds finds nothing new.
  if (quickSearch_.size() >= quickSearchLimit()) return true;
  quickSearch_ += key;
  return search(quickSearch_);
}

int AnimalList::quickSearchLimit() const {
  constexpr int kLongestKeyText = 40;
  if (!cursor_.isOpen()) return kLongestKeyText;
  const engine::TableDef& def = cursor_.tableDef();
  QString first;
  if (const engine::IndexDef* index = def.index(cursor_.indexName()); index && !index->fields.empty())
    first = index->fields.front().name;
  else if (const engine::IndexDef* primary = def.primary(); primary && !primary->fields.empty())
    first = primary->fields.front().name;
  const engine::FieldDef* field = def.field(first);
  return field && field->type == FieldType::Alpha && field->size > 0 ? field->size : kLongestKeyText;
}

bool AnimalList::search(const QString& text) {
  if (!cursor_.isOpen()) return false;
  try {
    cursor_.findNearest({text});
    return true;
  } catch (const EngineError&) {
    store::dialogs().inform(quickSearchFailureText());
    return false;
  }
}

}  // namespace lapiro::shell
