#include "shows/show_lists.h"

#include "engine/cursor.h"
#include "shows/show_score.h"

namespace lapiro::shows {

using engine::Cursor;
using engine::EngineError;

bool isProtectedTitle(const QString& title) { return isYoungAnimalTitle(title) || isOwnJudgingTitle(title); }

// ------------------------------------------------------------------ titles

void ShowTitleList::open() {
  titles_ = std::make_unique<Cursor>(engine_, QStringLiteral("Ausstellungstitel"));
  titles_->setTableName(QStringLiteral("Ausstellungstitel.db"));
  attachSaveQuestion(*titles_);
  titles_->open();
  titles_->setIndexName(QStringLiteral("BezeichnungIDX"));
  titles_->first();
}

void ShowTitleList::close() {
  if (titles_) LookupList::close();
  reopenModuleCursor(QStringLiteral("Ausstellungstitel"));
}

bool ShowTitleList::currentIsProtected() {
  Cursor& c = *titles_;
  if (!c.isOpen() || !c.hasRecord() || c.state() == engine::DataSetState::Insert) return false;
  // The stored title decides, not the one being typed.
  const QVariant key = c.field(QStringLiteral("LaufendeNummer")).value();
  const QVariant stored = c.lookup(QStringLiteral("LaufendeNummer"), {key}, QStringLiteral("Bezeichnung"));
  return isProtectedTitle(stored.toString());
}

// ------------------------------------------------------------------ calendar

QStringList ShowCalendarList::orderCaptions() {
  return {QStringLiteral("Datum"), QStringLiteral("Verein"), QStringLiteral("Ort")};
}

QString ShowCalendarList::indexName(Order order) {
  switch (order) {
    case Order::Verein: return QStringLiteral("VereinDatum");
    case Order::Ort: return QStringLiteral("OrtDatum");
    case Order::Datum: break;
  }
  return QStringLiteral("DatumIdx");
}

QString ShowCalendarList::indexFields(Order order) {
  switch (order) {
    case Order::Verein: return QStringLiteral("Verein;Datum");
    case Order::Ort: return QStringLiteral("Ort;Datum");
    case Order::Datum: break;
  }
  return QStringLiteral("Datum;Ort");
}

void ShowCalendarList::open() {
  shows_ = std::make_unique<Cursor>(engine_, QStringLiteral("Ausstellungstermine"));
  shows_->setTableName(QStringLiteral("AUSSTELT.DB"));
  attachSaveQuestion(*shows_);
  shows_->open();
  order_ = Order::Datum;
  try {
    shows_->setIndexName(indexName(order_));
  } catch (const EngineError& e) {
    if (e.kind() != EngineError::Kind::IndexMissing) throw;
    setOrder(order_);
  }
  shows_->findNearest({QVariant(today_)});
  // Nothing from today on: the last show.
  if (!shows_->hasRecord() || shows_->eof() || shows_->field(QStringLiteral("Datum")).asDate() < today_) shows_->last();
}

void ShowCalendarList::setOrder(Order order) {
  Cursor& c = *shows_;
  if (c.isEditing()) c.post();
  const QVariant mark = c.hasRecord() ? c.bookmark() : QVariant();
  try {
    c.setIndexName(indexName(order));
  } catch (const EngineError& e) {
    if (e.kind() != EngineError::Kind::IndexMissing) throw;
    const QString table = c.tableName();
    c.close();
    try {
      engine_.addIndex(table, engine::IndexDef::fromList(indexName(order), indexFields(order)));
    } catch (...) {
      c.open();
      throw;
    }
    c.open();
    c.setIndexName(indexName(order));
  }
  order_ = order;
  if (!mark.isValid() || !c.gotoBookmark(mark)) c.first();
}

}  // namespace lapiro::shows
