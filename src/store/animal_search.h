// The animal search "Tier suchen" without its window: the query over Hasen built from the
// filled search boxes, the name lookups of breed, colour, address and status, the sex
// condition of the caller's search mode, the sort orders of the result grid and the result
// itself as an engine::Query with the grid's display fields.
//
// Every value the user typed reaches SQLite as a bound parameter: a quote, "%" or "_" in a
// box is searched for literally and can never act as SQL.
#pragma once

#include <QRect>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <functional>
#include <optional>
#include <vector>

#include "engine/cursor.h"
#include "engine/cursor_model.h"
#include "engine/engine.h"
#include "engine/query.h"

namespace lapiro::store {

// Which parent a caller looks for in search modes 1 (inbreeding window) and 3 (animal card).
enum class ParentSearch { None, Father, Mother };

// What the caller sets before showing the search.
struct SearchRequest {
  // 0 none; 1 inbreeding window; 2 and 3 animal card; 4 bucks only; 5 does only.
  int mode = 0;
  ParentSearch parent = ParentSearch::None;  // modes 1 and 3
  qint64 currentAnimal = 0;                  // mode 3: Nummer of the card's animal, excluded; 0 for none
};

// The texts of the search boxes, in box order.
struct SearchBoxes {
  QString tatoRechts;
  QString tatoLinks;
  QString rasse;
  QString farbe;
  QString zuechter;
  QString besitzer;
  QString stallnummer;
  QString status;

  bool operator==(const SearchBoxes&) const = default;
};

// A statement in the program's SQL dialect, line by line, with its bound values.
struct SearchStatement {
  QStringList lines;
  QVariantMap params;  // parameter name (without ":") -> value
  QString text() const { return lines.join(u'\n'); }
};

// The name lists the search looks names up in.
enum class NameList { Rasse, Farbe, Adresse, Status };

struct NamedNumber {
  QString name;
  qint64 number = 0;
};

// The records a box text stands for.
struct NameMatch {
  std::vector<qint64> numbers;  // in name order; empty when no name begins with the text
  qint64 noMatchValue = 1;      // a number above every number of the list
};

// The lookup rule: the names are put in German name order (umlauts as their base letters, "ß"
// as "ss", case ignored; then as written, then by number); the result is the first name not
// below `text` and every following name while it begins with `text`, both compared by the
// same German key. So "brandt" finds "Brandt" among "Böhm" and "Braun", and "Schafer" finds
// "Schäfer". `noMatchValue` is the highest number of the list plus 1 (1 for an empty list),
// whatever gaps the numbers have.
NameMatch matchNames(std::vector<NamedNumber> names, const QString& text);

// The LIKE pattern for "begins with `text`" under ESCAPE '\': "\", "%" and "_" of the text
// are escaped, "%" is appended.
QString likePrefixPattern(const QString& text);

// The sex code ("1" buck, "2" doe) the caller's mode restricts the search to; empty for none.
QString sexCode(const SearchRequest& request);

// The order line that sorts by the grid column of `field` ("ORDER BY ..."), empty for a
// column that does not sort.
QString orderLineForColumn(const QString& field);
inline constexpr char16_t kDefaultOrderLine[] = u"ORDER BY TatoRechts,TatoLinks";

// Resolves a box text against a name list (see matchNames). May throw engine::EngineError.
using NameResolver = std::function<NameMatch(NameList list, const QString& text)>;

// Builds the statement: "SELECT * from "Hasen.db"", then, when a box is filled or the mode
// restricts the sex, " Where " and the conditions in box order joined by " AND " lines, the
// sex condition last, and `orderLine` (kDefaultOrderLine when empty). A box counts as filled
// when its text is not empty. The resolver is asked only for filled name boxes.
SearchStatement buildSearchStatement(const SearchBoxes& boxes, const SearchRequest& request,
                                     const NameResolver& resolve, const QString& orderLine = {});

// Where the dialog goes while the result grid is shown: 150 points to the left of `dialog`
// (not beyond the left edge of `screen`) and at least 700 wide.
QRect placementWithGrid(const QRect& dialog, const QRect& screen);

// The dialog's size without the grid: at least 401 x 255.
inline constexpr int kSearchMinWidth = 401;
inline constexpr int kSearchMinHeight = 255;
inline constexpr int kSearchHelpContext = 17;
inline constexpr int kNoAnimalFound = 50;  // message: no row matched

// The search over one engine. Lifetime: as long as the dialog that uses it.
class AnimalSearch {
 public:
  explicit AnimalSearch(engine::Engine& engine);
  ~AnimalSearch();
  AnimalSearch(const AnimalSearch&) = delete;
  AnimalSearch& operator=(const AnimalSearch&) = delete;

  // Opens the status list, adds its index Name (Name;Nummer) when missing and reads the status
  // names in table order. A status list that cannot be opened or indexed reports message 11
  // and "Status" (error box); the search works on without status names.
  void prepare();
  // Reads the status names anew (silently keeps the old ones when the list cannot be read).
  void refreshStatusNames();
  const QStringList& statusNames() const { return statusNames_; }

  // The lookup of a box text in a name list, read from its table now. Throws EngineError.
  NameMatch resolve(NameList list, const QString& text);

  // Builds the statement for the boxes and opens the result in the default order. Returns
  // the number of rows. Throws EngineError (the result is then closed).
  qint64 run(const SearchBoxes& boxes, const SearchRequest& request);
  // Runs the last statement again with the order of grid column `field`; returns false and
  // changes nothing for a column that does not sort or when nothing was run. Throws
  // EngineError.
  bool sortBy(const QString& field);
  // Closes the result.
  void close();

  const SearchStatement& statement() const { return statement_; }
  // The result: every stored field of Hasen, the lookups RasseAnzeige, RasseCodeAnzeige,
  // FarbeAnzeige, StatusAnzeige, VaterTatorechts, VaterTatolinks, MutterTatoRechts,
  // MutterTatoLinks and the calculated GeschlechtAnzeige, GeschlechtAnzeige2, ZuechterAnzeige
  // and BesitzerAnzeige.
  engine::Query& result() { return query_; }

  // Nummer of the result's current row; nullopt when the result is closed or empty.
  std::optional<qint64> currentNummer();
  // The boxes as the current row fills them: tattoos, breed, colour, breeder's and owner's
  // (last) names and status name, and the hutch number when `withHutch` is set.
  SearchBoxes boxesOfCurrent(bool withHutch);

  // The result grid's columns in order.
  static std::vector<engine::CursorModel::Column> gridColumns();

 private:
  std::vector<NamedNumber> readNames(NameList list);

  engine::Engine& engine_;
  engine::Query query_;
  engine::Cursor status_;
  QStringList statusNames_;
  SearchStatement statement_;
  SearchBoxes boxes_;
  SearchRequest request_;
};

}  // namespace lapiro::store
