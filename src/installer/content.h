// The content that lapiro-install writes into a new data directory: the German message
// catalogue, the starting rows of the lookup tables and the help pages. Data only; the
// installer inserts it through the table engine and writes the pages into Help/.
#pragma once

#include "breeding/wool_performance.h"

#include <QString>
#include <QVariantMap>
#include <utility>
#include <vector>

namespace lapiro::installer {

// --- Message catalogue (Sprmel.db: Nummer Long, Meldung Alpha 80) --------------------------

// Every row of the message catalogue, ascending by number, each text at most 80 characters.
// Texts asked with Yes/No end with "?". Composed messages are written to be joined:
// 11 + " " + table name; 19 to 23 with "\r"; 39 ends with a blank because the tattoo
// follows it directly.
const std::vector<std::pair<int, QString>>& messageTexts();

// Text of one message, or an empty text when the catalogue has no such number.
QString messageText(int number);

// Number 134 is the question before deleting a booking. The wool certificate for a breed
// outside "Langhaarrassen" and the limit of ten address categories need texts of their own,
// which the catalogue carries under these numbers.
inline constexpr int kMeldungKeineLanghaarrasse = breeding::kMeldungKeineLanghaarrasse;
inline constexpr int kMeldungAdresskategorienVoll = 141;

// --- Lookup rows ---------------------------------------------------------------------------

// Rows for one table, keyed by field name. Money fields hold engine::Money, dates QDate.
struct TableRows {
  QString table;  // table file name as in the catalogue, e.g. "Rasse", "KONTEN.DB"
  std::vector<QVariantMap> rows;
};

// The starting rows of Status, Rasse, Farbe, Ausstellungstitel.db, StatusAdressen,
// KONTOART.DB, MEHRWERT.DB, KONTEN.DB and APOTHEKE, in the order they must be inserted.
// AutoInc keys are given only where other rows or the program rely on the number:
// Status (1 = own stock, 2 = new animals), Rasse (Nummer = position, referenced by
// Farbe.Rasse), KONTOART.DB (1 = bank account, 2 = cash) and MEHRWERT.DB (referenced by
// KONTEN.DB.Mwst). The installer must insert these keys as given into empty tables.
const std::vector<TableRows>& lookupRows();

// --- Help pages ----------------------------------------------------------------------------

inline constexpr int kHelpIndexContext = 1001;

// One HTML page of the help directory. `fileName` is "<context>.html".
struct HelpPage {
  int context = 0;
  QString fileName;
  QString title;
  QString html;  // a complete UTF-8 HTML document
};

// One page per help context the program's windows use, plus the contents page 1001 that
// links to every other page. Every page links back to the contents page.
std::vector<HelpPage> helpPages();

// File name of the page for a help context ("90.html"). A context without a page yields the
// contents page, so a help button never leads nowhere.
QString helpFileForContext(int context);

}  // namespace lapiro::installer
