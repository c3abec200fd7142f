// The rules of the show results: calculated fields and record rules of the data module's
// cursor "Ausstellung" (an animal's show rows, a detail of "Hasen" ordered by Hase;Datum),
// the silent filling of older rows and "Letzte erfasste Ausstellung laden".
//
// attachShowRules must run between the data module's construction and its open(): it adds
// the calculated fields Gesamtpunkte, AnzeigeBewertPunkte, PraedikatText and Fehlpunkte and
// sets the cursor's hooks. Messages go through store::dialogs() with the catalogue's texts.
#pragma once

#include <QString>

namespace lapiro::engine {
class Cursor;
class DataSet;
}  // namespace lapiro::engine

namespace lapiro::store {
class TDatenStamm;
}

namespace lapiro::shows {

// Name of the data module's cursor that holds the current animal's show rows.
inline QString showCursorName() { return QStringLiteral("Ausstellung"); }

// Adds the four calculated show fields to `c` (closed) and computes them on every fetch.
// For any view of the show table, e.g. the pedigree's or the litter book's.
void addShowCalculatedFields(engine::Cursor& c);
// Computes the calculated show fields of the current row; call from the calculation hook.
void computeShowFields(engine::DataSet& ds);

// Attaches the show rules to the data module's cursor "Ausstellung":
//  - calculated fields (above);
//  - a change of a position sets EigeneBewertung to the sum of the seven positions (not on
//    "Jungtierbewertung" rows, which hold no points);
//  - a change of Titel clears EigeneBewertung when the new title is "Jungtierbewertung",
//    otherwise clears BewertJungtier;
//  - before a post: no Datum shows message 137 (warning) and refuses the post, the row
//    staying in edit mode; then the save question (message 29 when System/Speichern is off),
//    whose "Nein" cancels the change; both stop silently with engine::Abort;
//  - after a move while the animal card exists: fillOverallPoints(..., true).
// REQUIRES: `dm` is constructed and not yet open; it outlives nothing it does not own.
void attachShowRules(store::TDatenStamm& dm);

// Fills the overall points of an older row (rows written before EigeneBewertung existed):
// when the current row of `c` is not titled "Jungtierbewertung", has a date, an empty
// EigeneBewertung and (when `requireNonZeroPosition`) a position that is not 0, the sum of
// the seven positions is written into EigeneBewertung and posted without the save question.
// Returns true when a row was written. A failing post shows the engine's message.
bool fillOverallPoints(store::TDatenStamm& dm, engine::Cursor& c, bool requireNonZeroPosition);

// "Letzte erfasste Ausstellung laden": takes the show row created last in the whole show
// table (highest Nummer, whatever its animal and date), appends a row for the current animal
// unless the cursor "Ausstellung" is already inserting one, and copies Datum, Titel and Ort
// into it. Nothing is posted. Returns false (changing nothing) when the show table is empty
// or there is no current animal; engine failures are shown and give false.
bool loadLastRecordedShow(store::TDatenStamm& dm);

// "Neu": appends a row for the current animal with today's date (of the data module).
// Returns false when there is no current animal or the engine refuses (message shown).
bool appendShowRow(store::TDatenStamm& dm);

}  // namespace lapiro::shows
