// The two list windows around the shows, as lists over their own cursors (store::LookupList:
// save question, add, undo, delete with message 28, silent save on close):
//  - the show calendar "Ausstellungstermine" (AUSSTELT.DB) with its three sort orders and the
//    start on the first show from today on;
//  - the show titles "Ausstellungstitel" (Ausstellungstitel.db, order BezeichnungIDX), where
//    the two titles with a fixed meaning are protected from editing (not from deleting).
#pragma once

#include "store/lookup_lists.h"

#include <QDate>

#include <memory>

namespace lapiro::shows {

// True for "Eigene Bewertung" and "Jungtierbewertung", the titles the grid may not edit.
bool isProtectedTitle(const QString& title);

class ShowTitleList : public store::LookupList {
 public:
  using LookupList::LookupList;
  void open() override;
  // Saves and closes, then reopens the data module's cursor "Ausstellungstitel".
  void close() override;
  engine::Cursor& records() override { return *titles_; }
  // True when the current stored row is one of the two protected titles.
  bool currentIsProtected();

 private:
  std::unique_ptr<engine::Cursor> titles_;
};

class ShowCalendarList : public store::LookupList {
 public:
  // The choices of "Sortierung nach" and the indexes they select.
  enum class Order { Datum, Verein, Ort };
  static QStringList orderCaptions();  // "Datum", "Verein", "Ort"
  static QString indexName(Order order);   // DatumIdx, VereinDatum, OrtDatum
  static QString indexFields(Order order);  // Datum;Ort, Verein;Datum, Ort;Datum

  // `today` decides where the calendar opens (the data module's today in the program).
  ShowCalendarList(engine::Engine& engine, const shell::tsysteminfo& settings, store::TDatenStamm* module,
                   QDate today)
      : LookupList(engine, settings, module), today_(today) {}
  // Opens in date order on the first show whose Datum is today or later, or on the last show
  // when none lies ahead.
  void open() override;
  engine::Cursor& records() override { return *shows_; }
  // Selects the index of `order`, the current show staying current. An index missing from the
  // stored table is created first (the table reopened exclusively for that). Throws
  // engine::EngineError when that fails.
  void setOrder(Order order);
  Order order() const { return order_; }

 private:
  std::unique_ptr<engine::Cursor> shows_;
  QDate today_;
  Order order_ = Order::Datum;
};

}  // namespace lapiro::shows
