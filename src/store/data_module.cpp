#include "store/data_module.h"
#include "store/weight_table.h"

#include "shell/system_info.h"
#include "store/catalogue.h"
#include "store/dialog_service.h"
#include "store/guarded.h"

#include <QFileInfo>

#include <algorithm>
#include <functional>
#include <limits>

namespace lapiro::store {

using engine::Cursor;
using engine::EngineError;
using engine::FieldType;

TDatenStamm::TDatenStamm(engine::Engine& engine, shell::tsysteminfo& settings)
    : engine_(engine), settings_(settings) {
  createCursors();
  attachRules();
}

TDatenStamm::~TDatenStamm() {
  try {
    close();
  } catch (...) {
    // Nothing may escape a destructor; close() has already shown what went wrong.
  }
  // A detail unhooks itself from its master when destroyed, so no master may go first.
  for (auto& e : cursors_) e.cursor->clearMaster();
}

// ---------------------------------------------------------------- construction

void TDatenStamm::createCursors() {
  const auto& cursorDefs = dataModuleCursors();
  cursors_.reserve(cursorDefs.size());
  for (const CursorSpec& cursorDef : cursorDefs) {
    auto c = std::make_unique<Cursor>(engine_, cursorDef.name);
    c->setTableName(cursorDef.table);
    c->setReadOnly(cursorDef.readOnly);
    // An index name orders by that index; a field list that is not an index name orders by
    // the fields themselves (the engine needs no index for that).
    const CatalogueTable* table = findTable(cursorDef.table);
    if (cursorDef.order.isEmpty() || (table && table->def.index(cursorDef.order)))
      c->setIndexName(cursorDef.order);
    else
      c->setIndexFieldNames(cursorDef.order);
    if (!cursorDef.filter.isEmpty()) {
      c->setFilter(cursorDef.filter);
      c->setFiltered(true);
    }
    // The repairs of older tables start from the fields the program expects.
    if (table) {
      QStringList expected;
      for (const auto& f : table->def.fields) expected << f.name;
      c->setExpectedFields(expected);
    }
    byName_.insert(cursorDef.name.toUpper(), static_cast<int>(cursors_.size()));
    cursors_.push_back(Entry{cursorDef.master, std::move(c)});
  }
  for (const CursorSpec& cursorDef : cursorDefs) {
    if (cursorDef.master.isEmpty()) continue;
    Cursor* master = cursor(cursorDef.master);
    if (master) at(cursorDef.name).setMaster(master, cursorDef.masterFields, cursorDef.detailFields);
  }
  hasen_ = &at(QStringLiteral("Hasen"));
  hasen_->setIndexName(settings_.Stammdaten.Sortierung);

  // Lookup fields of the animal: parents, breeder and owner addresses, colour and breed.
  auto lookup = [this](const char16_t* name, int size, const char16_t* key, const char16_t* table,
                       const char16_t* tableKey, const char16_t* result) {
    hasen_->addLookupField(QString::fromUtf16(name), FieldType::Alpha, size, QString::fromUtf16(key),
                           QString::fromUtf16(table), QString::fromUtf16(tableKey), QString::fromUtf16(result));
  };
  lookup(u"VaterTatoRechts", 15, u"Vater", u"Hasen", u"Nummer", u"TatoRechts");
  lookup(u"VaterTatoLinks", 15, u"Vater", u"Hasen", u"Nummer", u"TatoLinks");
  lookup(u"VaterErbformel", 40, u"Vater", u"Hasen", u"Nummer", u"Erbformel");
  lookup(u"MutterTatoRechts", 15, u"Mutter", u"Hasen", u"Nummer", u"TatoRechts");
  lookup(u"MutterTatoLinks", 15, u"Mutter", u"Hasen", u"Nummer", u"TatoLinks");
  lookup(u"MutterErbformel", 40, u"Mutter", u"Hasen", u"Nummer", u"Erbformel");
  lookup(u"ZuechterName", 40, u"Zuechter", u"Adresse", u"LaufendeNr", u"Name");
  lookup(u"ZuechterVorname", 40, u"Zuechter", u"Adresse", u"LaufendeNr", u"Vorname");
  lookup(u"ZuechterStrasse", 50, u"Zuechter", u"Adresse", u"LaufendeNr", u"Straße");
  lookup(u"ZuechterPLZ", 8, u"Zuechter", u"Adresse", u"LaufendeNr", u"PLZ");
  lookup(u"ZuechterOrt", 50, u"Zuechter", u"Adresse", u"LaufendeNr", u"Ort");
  lookup(u"HBNr", 20, u"Zuechter", u"Adresse", u"LaufendeNr", u"HBNr");
  lookup(u"BesitzerName", 40, u"Besitzer", u"Adresse", u"LaufendeNr", u"Name");
  lookup(u"BesitzerVorname", 40, u"Besitzer", u"Adresse", u"LaufendeNr", u"Vorname");
  lookup(u"BesitzerStrasse", 50, u"Besitzer", u"Adresse", u"LaufendeNr", u"Straße");
  lookup(u"BesitzerPLZ", 8, u"Besitzer", u"Adresse", u"LaufendeNr", u"PLZ");
  lookup(u"BesitzerOrt", 50, u"Besitzer", u"Adresse", u"LaufendeNr", u"Ort");
  lookup(u"Vereinsnummer", 10, u"Besitzer", u"Adresse", u"LaufendeNr", u"Vereinskennzeichen");
  lookup(u"FarbeAnzeige", 50, u"Farbe", u"Farbe", u"Nummer", u"Name");
  lookup(u"RasseAnzeige", 25, u"Rasse", u"Rasse", u"Nummer", u"Name");
  lookup(u"Rassegruppe", 25, u"Rasse", u"Rasse", u"Nummer", u"Rassegruppe");

  // Calculated display values (computed by HasenCalcFields).
  const std::pair<const char16_t*, int> calculated[] = {
      {u"Name", 30},          {u"VaterAnzeige", 30},      {u"MutterAnzeige", 30},
      {u"ZuechterAnzeige", 60}, {u"ZuechterAnzeigeAdresse", 150}, {u"BesitzerAnzeige", 60},
      {u"BesitzerAnzeigeAdresse", 150}, {u"GeschlechtAnzeige", 11}, {u"GeschlechtAnzeige2", 9}};
  for (const auto& [name, size] : calculated)
    hasen_->addCalculatedField(QString::fromUtf16(name), FieldType::Alpha, size);

  // The doe lookup of the litter book shows the doe as "right tattoo, blank, left tattoo".
  at(QStringLiteral("HaesinName")).addCalculatedField(QStringLiteral("Name"), FieldType::Alpha, 30);
  // A treatment names its medicine by the pharmacy row's number.
  at(QStringLiteral("MedizienGaben"))
      .addLookupField(QStringLiteral("MedizinAnzeige"), FieldType::Alpha, 50, QStringLiteral("Medikament"),
                      QStringLiteral("APOTHEKE.db"), QStringLiteral("LaufendeNummer"), QStringLiteral("Medikament"));

  defineWeightFields(at(QString::fromUtf16(kGewichtCursor)));

  eigen_ = std::make_unique<Cursor>(engine_, QStringLiteral("eigen"));
  eigen_->setTableName(QStringLiteral("eigen.DB"));
  eigen_->setReadOnly(true);
}

void TDatenStamm::attachRules() {
  auto& h = *hasen_;
  h.events.onCalcFields = [this](engine::DataSet&) { HasenCalcFields(); };
  h.events.afterEdit = [this](engine::DataSet&) { HasenAfterEdit(); };
  h.events.afterInsert = [this](engine::DataSet&) { HasenAfterEdit(); };
  h.events.onFieldChange = [this](engine::DataSet&, const QString& f) { HasenFieldChange(f); };
  h.events.beforePost = [this](engine::DataSet&) { HasenBeforePost(); };
  h.events.afterPost = [this](engine::DataSet&) { HasenAfterPost(); };
  h.events.beforeScroll = [this](engine::DataSet&) { HasenBeforeScroll(); };
  h.events.afterScroll = [this](engine::DataSet&) { HasenAfterScroll(); };
  h.events.beforeClose = [this](engine::DataSet&) { HasenBeforeClose(); };
  h.events.beforeCancel = [this](engine::DataSet&) { HasenBeforeCancel(); };

  at(QStringLiteral("HaesinName")).events.onCalcFields = [this](engine::DataSet&) { HaesinNameCalcFields(); };
  at(QStringLiteral("Rasse")).events.afterScroll = [this](engine::DataSet&) { RasseAfterScroll(); };

  auto& v = at(QStringLiteral("Verkauft"));
  v.events.beforePost = [this](engine::DataSet&) { VerkauftBeforePost(); };
  v.events.beforeClose = [this](engine::DataSet&) { VerkauftBeforeClose(); };

  auto& z = at(QStringLiteral("HasenZusatz"));
  z.events.afterEdit = [this](engine::DataSet&) { HasenZusatzAfterEdit(); };
  z.events.afterInsert = [this](engine::DataSet&) { HasenZusatzAfterEdit(); };
  z.events.beforePost = [this](engine::DataSet&) { HasenZusatzBeforePost(); };
  z.events.afterPost = [this](engine::DataSet&) { HasenZusatzAfterPost(); };
  z.events.beforeClose = [this](engine::DataSet&) { HasenZusatzBeforeClose(); };

  auto& b = at(QStringLiteral("Bilder"));
  b.events.afterScroll = [this](engine::DataSet&) { BilderAfterScroll(); };
  b.events.beforeClose = [this](engine::DataSet&) { BilderBeforeClose(); };

  attachWeightCalculation(at(QString::fromUtf16(kGewichtCursor)),
                          [this] { return cursor(QString::fromUtf16(kGewichtBerechnungCursor)); });
}

// ---------------------------------------------------------------- accessors

Cursor& TDatenStamm::at(const QString& name) {
  Cursor* c = cursor(name);
  if (!c)
    throw EngineError(EngineError::Kind::General,
                      QStringLiteral("Der Datenbestand kennt keine Tabelle %1.").arg(name), name);
  return *c;
}

Cursor* TDatenStamm::cursor(const QString& name) {
  auto it = byName_.constFind(name.toUpper());
  return it == byName_.constEnd() ? nullptr : cursors_[*it].cursor.get();
}

QDate TDatenStamm::today() const { return today_.isValid() ? today_ : QDate::currentDate(); }

void TDatenStamm::setHasenOrder(const QString& indexName) { hasen_->setIndexName(indexName); }

const OwnUser& TDatenStamm::ownUser() {
  try {
    if (!eigen_->isOpen()) {
      if (!engine_.tableExists(eigen_->tableName())) return ownUser_;
      eigen_->open();
    }
    const quint64 version = eigen_->table()->version();
    if (version == ownUserVersion_) return ownUser_;
    eigen_->refresh();
    eigen_->first();
    OwnUser own;
    if (eigen_->hasRecord()) {
      own.name = eigen_->field(QStringLiteral("Name")).asString();
      own.vorname = eigen_->field(QStringLiteral("Vorname")).asString();
      own.strasse = eigen_->field(QStringLiteral("Strasse")).asString();
      own.plz = eigen_->field(QStringLiteral("Plz")).asString();
      own.ort = eigen_->field(QStringLiteral("Ort")).asString();
    }
    ownUser_ = own;
    ownUserVersion_ = version;
  } catch (const EngineError&) {
    // A missing or unreadable own-data table is the main window's failure to report (it
    // ends the program); the owner display then stays empty.
  }
  return ownUser_;
}

// ---------------------------------------------------------------- opening

void TDatenStamm::chooseHasenOrder() {
  hasen_->setIndexName(settings_.Stammdaten.Sortierung);
  // An order setting that names no index of the stored table falls back to the tattoo order.
  try {
    if (!engine_.tableExists(hasen_->tableName())) return;
    const engine::TableDef def = engine_.tableDef(hasen_->tableName());
    if (!settings_.Stammdaten.Sortierung.isEmpty() && !def.index(settings_.Stammdaten.Sortierung))
      hasen_->setIndexName(QStringLiteral("Tato"));
  } catch (const EngineError&) {
    // The opening step reports a table that cannot be read.
  }
}

void TDatenStamm::buildBreedNames() {
  breeds_.clear();
  breedsStamp_ = {};
  Cursor names(engine_, QStringLiteral("Rassennamen"));
  names.setTableName(at(QStringLiteral("StbRasse")).tableName());
  names.setReadOnly(true);
  try {
    names.setIndexName(QStringLiteral("RasseName"));
    names.open();
    for (names.first(); !names.eof(); names.next())
      breeds_.push_back({names.field(QStringLiteral("Nummer")).asInteger(), names.field(QStringLiteral("Name")).asString()});
    breedsStamp_ = {names.table().get(), names.table()->version()};
  } catch (const EngineError&) {
    // The breed table's own opening step reports it.
  }
}

void TDatenStamm::open() {
  closing_ = false;
  // A table file that opens but fails when read (pages overwritten in the middle) is damaged:
  // its message names it and points to the index rebuild and the restore, every cursor on
  // it is closed and the step runs again without it. The program goes on without that table.
  const auto closeCursorsOn = [this](const QString& file) {
    bool closed = false;
    for (auto& e : cursors_) {
      Cursor& c = *e.cursor;
      if (!c.isOpen() || QFileInfo(engine_.resolve(c.tableName())).fileName().compare(file, Qt::CaseInsensitive) != 0)
        continue;
      try {
        c.cancel();
      } catch (const EngineError&) {
      } catch (const engine::Abort&) {
      }
      try {
        c.close();
      } catch (const EngineError&) {
      } catch (const engine::Abort&) {
      }
      closed = true;
    }
    return closed;
  };
  const auto withoutDamagedTables = [&](const std::function<void()>& step) {
    for (size_t attempt = 0; attempt <= cursors_.size(); ++attempt) {
      try {
        step();
        return;
      } catch (const engine::Abort&) {
        return;
      } catch (const EngineError& e) {
        showEngineError(e);
        if (e.kind() != EngineError::Kind::TableDamaged || !closeCursorsOn(QFileInfo(e.detail()).fileName())) return;
      }
    }
  };
  {
    // The rules of "Hasen" wait until every cursor is open: its details open before it.
    struct OpeningScope {
      bool& flag;
      explicit OpeningScope(bool& f) : flag(f) { flag = true; }
      ~OpeningScope() { flag = false; }
    } scope(opening_);
    chooseHasenOrder();
    UpgradeResult steps;
    withoutDamagedTables([&] { steps = upgradeDataModuleTables(engine_, *this, [this] { buildBreedNames(); }); });
    // The litter book opens on the newest litter.
    withoutDamagedTables([this] {
      if (Cursor& wurfbuch = at(QStringLiteral("Wurfbuch")); wurfbuch.isOpen()) wurfbuch.last();
    });
    // Cursors that no step names open last, in the order of the cursor list; a step that
    // failed is not tried (and reported) a second time.
    for (auto& e : cursors_) {
      Cursor& c = *e.cursor;
      if (c.isOpen() || steps.closedCursors.contains(c.name(), Qt::CaseInsensitive)) continue;
      const CatalogueTable* table = findTable(c.tableName());
      withoutDamagedTables([&] { store::openPlain(c, table ? table->def.name : c.tableName()); });
    }
  }
  withoutDamagedTables([this] {
    if (hasen_->isOpen() && hasen_->hasRecord()) HasenAfterScroll();
  });
}

// ---------------------------------------------------------------- closing

int TDatenStamm::masterDepth(const Entry& e) const {
  int depth = 0;
  QString master = e.masterName;
  while (!master.isEmpty() && depth < 16) {
    ++depth;
    auto it = byName_.constFind(master.toUpper());
    if (it == byName_.constEnd()) break;
    master = cursors_[*it].masterName;
  }
  return depth;
}

void TDatenStamm::close() {
  if (closing_) return;
  closing_ = true;
  ++silentSave_;
  // First save the pending changes, masters first: a new animal must be saved before the
  // addition it holds can be written.
  std::vector<Entry*> order;
  for (auto& e : cursors_) order.push_back(&e);
  std::stable_sort(order.begin(), order.end(),
                   [this](const Entry* a, const Entry* b) { return masterDepth(*a) < masterDepth(*b); });
  for (Entry* e : order)
    if (e->cursor->isOpen() && e->cursor->isEditing()) saveOnClose(*e->cursor);
  // Then close, details before their masters, so that no detail re-reads while closing.
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    Cursor& c = *(*it)->cursor;
    if (!c.isOpen()) continue;
    try {
      c.close();
    } catch (const engine::Abort&) {
      c.cancel();
      c.close();
    } catch (const EngineError& e) {
      dialogs().error(e.message());
      c.cancel();
      c.close();
    }
  }
  eigen_->close();
  ownUserVersion_ = ~quint64(0);
  --silentSave_;
  closing_ = false;
}

// ---------------------------------------------------------------- lists

namespace {

QStringList namesOf(const std::vector<TDatenStamm::Choice>& choices) {
  QStringList names;
  for (const TDatenStamm::Choice& c : choices) names << c.name;
  return names;
}

}  // namespace

const std::vector<TDatenStamm::Choice>& TDatenStamm::breeds() {
  // The breed window writes through cursors of this process, which count their changes.
  Cursor& rasse = at(QStringLiteral("StbRasse"));
  const std::pair<const void*, quint64> now =
      rasse.isOpen() && rasse.table() ? std::pair<const void*, quint64>{rasse.table().get(), rasse.table()->version()}
                                      : std::pair<const void*, quint64>{};
  if (now != breedsStamp_ || !now.first) buildBreedNames();
  return breeds_;
}

QStringList TDatenStamm::breedNames() { return namesOf(breeds()); }

std::vector<TDatenStamm::Choice> TDatenStamm::colours(qint64 rasse) {
  std::vector<Choice> result;
  Cursor colours(engine_, QStringLiteral("Farbnamen"));
  colours.setTableName(at(QStringLiteral("StbFarbe")).tableName());
  colours.setReadOnly(true);
  try {
    colours.setIndexName(QStringLiteral("FarbeRasse"));
    // A number, not user text: the filter parser binds it as a parameter.
    colours.setFilter(QStringLiteral("Rasse = %1").arg(rasse));
    colours.setFiltered(true);
    colours.open();
    for (colours.first(); !colours.eof(); colours.next())
      result.push_back({colours.field(QStringLiteral("Nummer")).asInteger(), colours.field(QStringLiteral("Name")).asString()});
  } catch (const EngineError&) {
    result.clear();
  }
  return result;
}

QStringList TDatenStamm::colourNames(qint64 rasse) { return namesOf(colours(rasse)); }

std::vector<TDatenStamm::Choice> TDatenStamm::states() {
  std::vector<Choice> result;
  Cursor states(engine_, QStringLiteral("Statusnamen"));
  states.setTableName(at(QStringLiteral("Status")).tableName());
  states.setReadOnly(true);
  try {
    states.open();
    for (states.first(); !states.eof(); states.next())
      result.push_back({states.field(QStringLiteral("Nummer")).asInteger(), states.field(QStringLiteral("Name")).asString()});
  } catch (const EngineError&) {
    result.clear();
  }
  return result;
}

QStringList TDatenStamm::showTitles() {
  QStringList result;
  Cursor& titles = at(QStringLiteral("Ausstellungstitel"));
  if (!titles.isOpen()) return result;
  for (const auto& row : titles.readRows(0, std::numeric_limits<int>::max())) {
    const int idx = titles.fieldIndex(QStringLiteral("Bezeichnung"));
    if (idx < 0) break;
    const QString text = row[idx].toString();
    if (!text.isEmpty()) result << text;
  }
  return result;
}

}  // namespace lapiro::store
