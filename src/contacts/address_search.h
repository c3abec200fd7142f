// The address search of "Suche aus der Adressendatei": builds the SELECT over the address
// table from the filled search boxes and runs it.
//
// Every typed text reaches SQLite as a bound parameter: % and _ typed by the user still act
// as wildcards of the LIKE pattern, but quotes and other SQL cannot change the statement.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include "engine/engine.h"
#include "engine/query.h"

namespace lapiro::contacts {

// The search boxes of the dialog, as typed.
struct AddressSearchBoxes {
  QString name{};
  QString vorname{};
  QString telefon{};
  QString rasse{};  // beginning of a breed name
  QString ort{};
  QString plz{};
  QString land{};
  QString status{};

  bool isEmpty() const;
};

// The sizes of the fields the boxes search (table Adresse; Rasse is a breed name). The dialog
// limits its boxes to them, and buildAddressSearch cuts longer text to them, since no stored
// value is longer (SQLite also refuses LIKE patterns beyond 50,000 bytes).
namespace address_search_size {
inline constexpr int kName = 40, kVorname = 40, kTelefon = 20, kRasse = 25, kOrt = 50, kPlz = 8, kLand = 20,
                     kStatus = 20;
}

// A statement of the program's SQL dialect with its named parameters.
struct SearchStatement {
  QStringList lines;
  QVariantMap params;
  QString sql() const { return lines.join(u'\n'); }
};

// The Nummer of every breed whose name begins with `text` (compared in upper case): the first
// such breed in the order of Rasse's index RasseName and every following one whose name also
// begins with it. Empty when none does. Throws engine::EngineError when Rasse cannot be read.
QList<qint64> breedsBeginningWith(engine::Engine& engine, const QString& text);

// The search statement: "SELECT * from "adresse.db"", then, when a box is filled, " Where "
// and one condition per filled box (Name, Vorname, Telefon, Ort, PLZ, Rasse, Land, Status)
// joined by " AND ", then "ORDER BY Name,Vorname". Name, Vorname, Ort and Land begin with the
// text regardless of case; Telefon, PLZ and Status begin with it as typed. `breeds` are the
// numbers for a filled Rasse box (breedsBeginningWith); an empty list matches no address.
SearchStatement buildAddressSearch(const AddressSearchBoxes& boxes, const QList<qint64>& breeds);

// Prepares a closed query for the search result: the calculated field Anzeige
// (Name + ", " + Vorname, 50 characters) and the lookup field RasseAnzeige (breed name).
// Call once per query.
void prepareSearchQuery(engine::Query& query);

// Builds and runs the search on a prepared query (closing it first). Returns the number of
// rows found; the first row is current. Throws engine::EngineError when the statement fails.
qint64 runAddressSearch(engine::Engine& engine, engine::Query& query, const AddressSearchBoxes& boxes);

// The boxes as the dialog fills them from the current row of a search result (breed as its
// name).
AddressSearchBoxes boxesFromRow(engine::DataSet& row);

}  // namespace lapiro::contacts
