#include "store/lookup_lists.h"

#include "shell/system_info.h"
#include "store/catalogue.h"
#include "store/data_module.h"
#include "store/dialog_service.h"
#include "store/messages.h"

namespace lapiro::store {

using engine::Cursor;
using engine::EngineError;

namespace {

constexpr int kSaveQuestion = 29;
constexpr int kDeleteQuestion = 28;

std::unique_ptr<Cursor> makeCursor(engine::Engine& engine, const QString& name, const QString& table,
                                   const QString& index) {
  auto c = std::make_unique<Cursor>(engine, name);
  c->setTableName(table);
  c->setIndexName(index);
  return c;
}

}  // namespace

const QStringList& breedGroups() {
  static const QStringList groups{QStringLiteral("Große Rassen"), QStringLiteral("Mittelgroße Rassen"),
                                  QStringLiteral("Kleine Rassen"), QStringLiteral("Kurzhaarrassen"),
                                  QStringLiteral("Langhaarrassen")};
  return groups;
}

// ------------------------------------------------------------------ LookupList

LookupList::LookupList(engine::Engine& engine, const shell::tsysteminfo& settings, TDatenStamm* module)
    : engine_(engine), settings_(settings), module_(module) {}

LookupList::~LookupList() = default;

void LookupList::attachSaveQuestion(Cursor& c) {
  c.events.beforePost = [this](engine::DataSet& ds) {
    if (silent_ > 0 || settings_.System.Speichern) return;
    if (dialogs().ask(messageText(kSaveQuestion), DialogKind::Warning)) return;
    ds.cancel();
    throw engine::Abort();
  };
}

void LookupList::add() {
  records().append();
}

bool LookupList::save() {
  Cursor& c = records();
  if (!c.isEditing()) return false;
  try {
    c.post();
  } catch (const engine::Abort&) {
    return false;
  }
  return true;
}

void LookupList::undo() {
  if (records().isEditing()) records().cancel();
}

bool LookupList::remove() {
  Cursor& c = records();
  if (c.state() == engine::DataSetState::Insert) {
    // A record not yet stored is simply dropped.
    if (!dialogs().askDelete(messageText(kDeleteQuestion))) return false;
    c.cancel();
    return true;
  }
  if (!c.hasRecord()) return false;
  if (!dialogs().askDelete(messageText(kDeleteQuestion))) return false;
  if (c.isEditing()) c.cancel();
  c.deleteRecord();
  return true;
}

void LookupList::saveSilently(Cursor& c) {
  if (!c.isOpen() || !c.isEditing()) return;
  if (!c.modified()) {
    c.cancel();
    return;
  }
  ++silent_;
  try {
    c.post();
  } catch (const EngineError& e) {
    dialogs().error(e.message());
  } catch (const engine::Abort&) {
  }
  --silent_;
  if (c.isEditing()) c.cancel();
}

void LookupList::close() {
  Cursor& c = records();
  saveSilently(c);
  c.close();
}

void LookupList::reopenModuleCursor(const QString& name) {
  if (!module_) return;
  Cursor* c = module_->cursor(name);
  if (!c) return;
  try {
    if (c->isOpen()) c->close();
    c->open();
  } catch (const EngineError& e) {
    dialogs().error(e.message());
  } catch (const engine::Abort&) {
  }
}

// ------------------------------------------------------------------ breeds

void TRassenList::open() {
  rasse_ = makeCursor(engine_, QStringLiteral("Rasse"), QStringLiteral("Rasse.db"), {});
  attachSaveQuestion(*rasse_);
  rasse_->open();
  rasse_->setIndexName(QStringLiteral("RasseName"));
  rasse_->first();
}

void TRassenList::close() {
  if (rasse_) LookupList::close();
  reopenModuleCursor(QStringLiteral("Rasse"));
}

// ------------------------------------------------------------------ colours

TFarbeList::~TFarbeList() {
  // The colours follow the breeds: unhook them before the master goes.
  if (farbe_) farbe_->clearMaster();
}

void TFarbeList::open() {
  tmp_ = makeCursor(engine_, QStringLiteral("TMP"), QStringLiteral("TMP.DB"), {});
  rasse_ = makeCursor(engine_, QStringLiteral("FarbeRasse"), QStringLiteral("Rasse.db"), {});
  rasse_->setReadOnly(true);
  farbe_ = makeCursor(engine_, QStringLiteral("Farbe"), QStringLiteral("Farbe.db"), {});
  attachSaveQuestion(*farbe_);
  // The work table is made when missing and kept: the options window uses it too.
  if (!engine_.tableExists(QStringLiteral("TMP.DB")))
    engine_.createTable(QStringLiteral("TMP.DB"), currentLayout(*findTable(QStringLiteral("TMP.DB"))));

  tmp_->open();
  rasse_->open();
  rasse_->setIndexName(QStringLiteral("RasseName"));
  farbe_->open();
  farbe_->setIndexName(QStringLiteral("RasseFarbe"));
  farbe_->setMaster(rasse_.get(), QStringLiteral("Nummer"), QStringLiteral("Rasse"));

  // The drop-down's value: the one record of the work table, kept in edit mode.
  tmp_->first();
  if (tmp_->hasRecord())
    tmp_->edit();
  else
    tmp_->append();
  const qint64 kept = keptBreed();
  rasse_->first();
  if (kept == 0 || !chooseBreed(kept)) keepBreed();
}

void TFarbeList::close() {
  if (farbe_ && farbe_->isOpen()) {
    saveSilently(*farbe_);
    farbe_->clearMaster();
    farbe_->close();
  }
  if (rasse_) rasse_->close();
  if (tmp_ && tmp_->isOpen()) {
    // Never saved: the chosen breed lives only as long as the window.
    if (tmp_->isEditing()) tmp_->cancel();
    tmp_->close();
  }
  reopenModuleCursor(QStringLiteral("Farbe"));
}

QStringList TFarbeList::breedNames() {
  QStringList names;
  const int idx = rasse_->fieldIndex(QStringLiteral("Name"));
  for (const auto& row : rasse_->readRows(0, static_cast<int>(rasse_->recordCount())))
    names << row[idx].toString();
  return names;
}

std::vector<qint64> TFarbeList::breedNumbers() {
  std::vector<qint64> numbers;
  const int idx = rasse_->fieldIndex(QStringLiteral("Nummer"));
  for (const auto& row : rasse_->readRows(0, static_cast<int>(rasse_->recordCount())))
    numbers.push_back(row[idx].toLongLong());
  return numbers;
}

bool TFarbeList::chooseBreed(qint64 nummer) {
  if (!rasse_->hasRecord() || rasse_->field(QStringLiteral("Nummer")).asInteger() != nummer) {
    // A colour being entered is saved before the breed changes (it asks when so set); a
    // change discarded by the answer "Nein" lets the breed change go on.
    try {
      farbe_->checkBrowseMode();
    } catch (const engine::Abort&) {
      if (farbe_->isEditing()) throw;
    }
    if (!rasse_->locate(QStringLiteral("Nummer"), {nummer})) return false;
  }
  keepBreed();
  return true;
}

qint64 TFarbeList::currentBreed() {
  return rasse_->hasRecord() ? rasse_->field(QStringLiteral("Nummer")).asInteger() : 0;
}

qint64 TFarbeList::keptBreed() {
  return tmp_->field(QStringLiteral("Rasse")).asInteger();
}

void TFarbeList::keepBreed() {
  const qint64 breed = currentBreed();
  if (breed)
    tmp_->field(QStringLiteral("Rasse")).setInteger(breed);
  else
    tmp_->field(QStringLiteral("Rasse")).clear();
}

void TFarbeList::add() {
  const qint64 breed = currentBreed();
  if (breed == 0) return;
  farbe_->append();
  farbe_->field(QStringLiteral("Rasse")).setInteger(breed);
}

// ------------------------------------------------------------------ status codes

void TStatusList::open() {
  status_ = makeCursor(engine_, QStringLiteral("Status"), QStringLiteral("Status.db"), {});
  attachSaveQuestion(*status_);
  status_->open();
  status_->first();
}

bool TStatusList::protectedRecord() {
  Cursor& c = *status_;
  if (c.state() == engine::DataSetState::Insert || !c.hasRecord()) return false;
  const QVariant key = c.field(QStringLiteral("Nummer")).value();
  // Position in key order: the records before this one, counted on the stored rows.
  const auto rows = c.readRows(0, 2);
  const int idx = c.fieldIndex(QStringLiteral("Nummer"));
  for (const auto& row : rows)
    if (row[idx] == key) return true;
  return false;
}

bool TStatusList::remove() {
  Cursor& c = *status_;
  if (c.state() == engine::DataSetState::Insert) {
    if (!dialogs().askDelete(QString::fromUtf16(kDatensatzLoeschen), DialogKind::Question)) return false;
    c.cancel();
    return true;
  }
  if (!c.hasRecord()) return false;
  if (protectedRecord()) {
    dialogs().inform(QString::fromUtf16(kNichtMoeglich));
    return false;
  }
  if (!dialogs().askDelete(QString::fromUtf16(kDatensatzLoeschen), DialogKind::Question)) return false;
  if (c.isEditing()) c.cancel();
  c.deleteRecord();
  return true;
}

}  // namespace lapiro::store
