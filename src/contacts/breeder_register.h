// The breeder register "Züchterregister" and the club list "Vereine": their sort orders, the
// register search of "Suche im Züchterregister" and the configuration of their cursors.
//
// Every typed search text reaches SQLite as a bound parameter and means "the field begins with
// this text": % and _ typed by the user are searched as themselves, quotes and other SQL
// cannot change the statement.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <vector>

#include "engine/cursor.h"
#include "engine/query.h"

namespace lapiro::contacts {

inline constexpr int kMeldungKeinZuechter = 79;
inline constexpr int kHilfeZuechterregister = 25;
inline constexpr int kHilfeVereine = 40;
inline constexpr int kHilfeZuechterSuche = 102;

// One choice of the drop-down "Sortierung nach": caption and index.
struct RegisterOrder {
  QString caption;
  QString index;
};
// "Vereinsnr." (ZwingerRasse, the start), "Rasse", "Züchter", "Verein", "Ort", "PLZ".
const std::vector<RegisterOrder>& registerOrders();

// Configures a cursor on ZWINGREG.DB in the start order (index ZwingerRasse).
void configureRegisterCursor(engine::Cursor& cursor);
// Configures a cursor on VEREINE.DB in the order of index VereinIdx.
void configureClubCursor(engine::Cursor& cursor);

// The boxes of "Suche im Züchterregister", as typed.
struct RegisterSearchBoxes {
  QString zwinger{};  // "&Vereinsnr."
  QString zuechter{};
  QString plz{};
  QString ort{};
  QString rasse{};

  bool isEmpty() const;
  bool operator==(const RegisterSearchBoxes&) const = default;
};

struct RegisterStatement {
  QStringList lines;
  QVariantMap params;
  QString sql() const { return lines.join(u'\n'); }
};

// The register search: the fixed SELECT over "Zwingreg.db z", then for each filled box (in
// the order Züchter, Vereinsnr., PLZ, Ort, Rasse) the condition "the field begins with the
// typed text", compared as typed (case counts), joined by " AND ", and "ORDER BY Zwinger".
// The typed texts are parameters; the statement text never contains them.
RegisterStatement buildRegisterSearch(const RegisterSearchBoxes& boxes);

// Runs the search on `query` (closed first). Returns the number of rows; the first is
// current. Throws engine::EngineError when the statement fails.
qint64 runRegisterSearch(engine::Query& query, const RegisterSearchBoxes& boxes);

// The boxes as the dialog fills them from the current row of a search result.
RegisterSearchBoxes boxesFromRegisterRow(engine::DataSet& row);

// The URL a homepage text opens: "http://" is put before a text without a scheme; an empty
// text gives an empty URL text.
QString homepageUrl(const QString& text);
// The URL "E-Mail schreiben" hands to the mail program: "mailto:" and the address.
QString mailUrl(const QString& address);

}  // namespace lapiro::contacts
