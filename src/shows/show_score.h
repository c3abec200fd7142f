// The judging arithmetic of one show row: the show total, the grade word, the young-animal
// code and the missing points per group. Every window and report that shows a total or a
// grade (card tab, show list, pedigree, litter book, matings overview, buck judging) calls
// these functions, so that one rule holds everywhere. Pure functions, no table access except
// the one reader `showPointsOf` that takes the values of a show row from a data set.
// Points are held as core::Points (exact hundredths), so a total of tenths that lands on a
// threshold gets that threshold's grade.
#pragma once

#include "core/points.h"

#include <QChar>
#include <QString>

#include <array>
#include <optional>

namespace lapiro::engine {
class DataSet;
}

namespace lapiro::shows {

// The two titles with a fixed meaning, spelled exactly as stored.
inline QString youngAnimalTitle() { return QStringLiteral("Jungtierbewertung"); }
inline QString ownJudgingTitle() { return QStringLiteral("Eigene Bewertung"); }

// True when `title` is exactly "Jungtierbewertung" (a row holding a code, not points).
bool isYoungAnimalTitle(const QString& title);
// True when `title` is exactly "Eigene Bewertung" (the breeder's own judging).
bool isOwnJudgingTitle(const QString& title);

// The scoring fields of a show row. An empty field is nullopt.
struct ShowPoints {
  enum Position { Gewicht1, Koerper2, Fell3, Kopf4, Farbe5, Unterfarbe6, Pflege7 };
  QString titel;
  std::array<std::optional<core::Points>, 7> positions{};  // indexed by Position
  std::optional<core::Points> eigeneBewertung;              // overall points, typed or summed
  QString bewertJungtier;                             // young-animal code, up to 3 characters
};

// Field names of the seven positions in the show table, indexed by ShowPoints::Position.
const std::array<QString, 7>& positionFieldNames();
// True when `fieldName` is one of the seven position fields (case-insensitive).
bool isPositionField(const QString& fieldName);

// Reads the scoring fields of the current row of a data set over the show table (fields
// Titel, Gewicht1 … Pflege7, EigeneBewertung, BewertJungtier; a missing field reads empty).
ShowPoints showPointsOf(engine::DataSet& showRows);

// Sum of the seven positions, empty positions counting 0.
core::Points positionSum(const ShowPoints& row);
// True when at least one of the seven positions is set and not 0.
bool hasNonZeroPosition(const ShowPoints& row);

// The show total: EigeneBewertung when it is set and not 0, otherwise the sum of the seven
// positions. nullopt for a "Jungtierbewertung" row, which has no total.
std::optional<core::Points> showTotal(const ShowPoints& row);

// Grade word for a total; thresholds inclusive, tested from the top (97 "vorzüglich",
// 96 "hervorragend", 94 "sehr gut", 92 "gut", 90 "befriedigend", else "nicht befriedigend").
QString gradeForTotal(core::Points total);
// Grade word for a young-animal code (exact comparison): "8/3".."8/7" "sehr gut",
// "6/2" "6/1" "6/0" "gut", "4" "befriedigend", "NB" "nicht befriedigend", anything else "".
QString gradeForYoungAnimalCode(const QString& code);
// Grade word of a row: by code for "Jungtierbewertung" rows, by total otherwise.
QString gradeText(const ShowPoints& row);

// Points missed per group, "(20 − Koerper2)/(15 − Fell3)/(40 − (Kopf4 + Farbe5 +
// Unterfarbe6))", in general number format with `decimalSeparator`. Empty unless at least one
// of Gewicht1, Fell3, Kopf4, Farbe5, Unterfarbe6 is set (also on "Jungtierbewertung" rows).
QString missingPoints(const ShowPoints& row, QChar decimalSeparator = QLatin1Char(','));

// Text of the total column: the total in general number format for scored rows, the
// young-animal code for "Jungtierbewertung" rows; at most 5 characters.
QString displayPoints(const ShowPoints& row, QChar decimalSeparator = QLatin1Char(','));

// Points in general format: no trailing zeros ("86", "1,5", "19,25", "0,8").
QString formatPoints(core::Points value, QChar decimalSeparator = QLatin1Char(','));
// A stored float value in the same format, taken to the hundredth first.
QString formatPoints(double value, QChar decimalSeparator = QLatin1Char(','));

// Parses typed points by the shared typed-number rules ("19,5" is 19,5; "20" is 20; "19.5"
// is refused, see core/number_input.h). Surrounding blanks are ignored. nullopt for an empty
// text, letters, a negative number, an ambiguous point or more than two decimals.
std::optional<core::Points> parsePoints(const QString& text);

// Key filter of the young-animal code editor: with a "Jungtierbewertung" title it accepts
// backspace, "/", the digits, "B" and "N"; with any other title backspace, "." and the
// digits. `key` is the typed character ('\b' for backspace).
bool acceptsCodeKey(QChar key, bool youngAnimalTitle);

// Everything a view shows for one row, computed at once.
struct ShowScore {
  std::optional<core::Points> total;  // nullopt for "Jungtierbewertung" rows
  QString display;              // AnzeigeBewertPunkte
  QString grade;                // PraedikatText
  QString missing;              // Fehlpunkte
};
ShowScore scoreOf(const ShowPoints& row, QChar decimalSeparator = QLatin1Char(','));

}  // namespace lapiro::shows
