// The animal list of the main window: its own cursor on Hasen (not the data module's), its
// columns, sort orders and status filter, the quick search by typing, the recently-shown list
// and the animal commands that need no card (new, duplicate, delete on a given cursor).
//
// Headless: the main window shows the cursor through an engine::CursorModel and forwards
// keys and clicks here. Every message goes through store::dialogs().
#pragma once

#include "engine/cursor.h"
#include "shell/system_info.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

namespace lapiro::shell {

// One order of the list as the options window offers it.
struct ListOrder {
  QString caption;  // option caption with its accelerator, e.g. "T&äto links"
  QString index;    // index name on Hasen, stored in Auswahlfenster/Sortierung
  QString fields;   // the index's fields, ";" separated
};

// The seven orders, in the order the options window lists them.
const std::vector<ListOrder>& listOrders();

// One grid column of the list.
struct ListColumn {
  QString field;
  QString title;
  int width = 0;  // pixels at 96 dpi
  bool visible = true;
};

// The five columns for the given settings: right tattoo, left tattoo, breed code, name, sex;
// with the order TatoLinksRechts the two tattoo columns change places. The breed and name
// columns are hidden when Auswahlfenster/RasseAnzeigen, respectively NameAnzeigen, is false.
std::vector<ListColumn> listColumns(const tsysteminfo& settings);

// Filter expression of the setting Auswahlfenster/Status: empty for "alle" or an empty
// setting; otherwise "Status=n" for each group "/n/" (n one or two digits), joined by " OR ".
// "/1//3/" gives "Status=1 OR Status=3". Text outside such groups is ignored.
QString statusFilter(const QString& setting);


// --- Recently-shown list -----------------------------------------------------------------

using RecentSlots = std::array<QString, tsysteminfo::kLastLapiroCount>;

// The entry of an animal: right tattoo, blank, left tattoo, blank, "{", Nummer, "}".
QString recentEntry(const QString& tatoRechts, const QString& tatoLinks, qlonglong nummer);

// True for an empty slot ("{}" or no text at all).
bool isEmptyRecentSlot(const QString& entry);

// Records that an animal was shown. When no entry holds the same tattoos, the entries move
// down by one (the last is dropped; nothing moves while the first slot is empty) and the new
// entry becomes the first. Returns whether the list changed. The tattoos are compared as a
// whole, so "12 3.5.1" is not taken for "12 3.5.10".
bool addRecent(RecentSlots& recent, const QString& tatoRechts, const QString& tatoLinks, qlonglong nummer);

// Removes every entry of the animal with `nummer` (a deleted animal); the later entries move
// up and the freed slots at the end become empty. Returns whether the list changed.
bool removeRecent(RecentSlots& recent, qlonglong nummer);

// The non-empty slots in order: the menu entries.
QStringList recentMenuEntries(const RecentSlots& recent);

// The Nummer of an entry: the digits between its last "{" and its last character; nullopt for
// an empty slot or a text that holds no number there.
std::optional<qlonglong> recentNummer(const QString& entry);

// --- Dragging an animal -----------------------------------------------------------------

// Dragging a row of the list hands the animal to the windows that accept it: its Nummer and
// its right and left tattoo, under this MIME type (plus the tattoos as plain text).
inline constexpr char kAnimalMimeType[] = "application/x-lapiro-kaninchen";

struct DraggedAnimal {
  qlonglong nummer = 0;
  QString tatoRechts;
  QString tatoLinks;
  bool operator==(const DraggedAnimal&) const = default;
};

QByteArray encodeDraggedAnimal(const DraggedAnimal& animal);
// nullopt for data that was not made by encodeDraggedAnimal (or carries no Nummer).
std::optional<DraggedAnimal> decodeDraggedAnimal(const QByteArray& data);

// --- The list ----------------------------------------------------------------------------

class AnimalList {
 public:
  // The list's cursor is named "MainHasen" (the name the schema upgrade and the index
  // rebuild know it by). It is configured here but not opened.
  explicit AnimalList(engine::Engine& engine);

  engine::Cursor& cursor() { return cursor_; }
  const engine::Cursor& cursor() const { return cursor_; }

  // Set-up from the settings. When Auswahlfenster/Anzeigen is false the filter is removed and
  // nothing else changes. Otherwise the list is closed, opened in the primary order with the
  // status filter, the five list indexes are ensured, and the order of
  // Auswahlfenster/Sortierung is applied; an order whose index the table lacks falls back to
  // the primary order so the list still shows every animal. A table that cannot be opened is
  // reported as message 11 with "Hasen" and leaves the list closed. Returns whether it is open.
  bool setUp(const tsysteminfo& settings);

  // Opens the closed list in its configured order and filter and ensures the five list
  // indexes. Reports a failure as message 11 with "Hasen".
  bool open();

  // --- sorting by a column header ---
  // The index a click on the column of `field` sorts by: the first of listOrders() whose
  // leading field is the column's (the breed column sorts by Rasse). Empty when no index
  // leads with it.
  static QString indexForColumn(const QString& field);
  // Sorts by the clicked column: ascending in the column's index; a click on the column the
  // list is sorted by ascending reverses the order. Nothing changes for a column without an
  // index (returns false). An ascending order is recorded in Auswahlfenster/Sortierung of
  // `settings` (the caller writes the settings file); the current animal stays current.
  bool sortByColumn(const QString& field, tsysteminfo& settings);
  // The index the list is sorted by and whether it is read backwards.
  const QString& sortIndex() const { return sortIndex_; }
  bool descending() const { return descending_; }

  // Re-reads the list after a change made through another cursor.
  void refresh();

  // Number of rows after the filter; 0 while closed.
  qint64 count();
  // The Nummer of every row the list shows (after its filter), in the list's order; empty
  // while closed.
  std::vector<qint64> numbers();

  // Makes the animal with `nummer` the current one: the primary index is used for the search
  // and the list's order is restored afterwards. Returns false (and stays) when there is none.
  bool positionOn(qlonglong nummer);

  // --- quick search ---
  const QString& quickSearchText() const { return quickSearch_; }
  void clearQuickSearch() { quickSearch_.clear(); }
  // Escape empties the text; any other character is appended and the list moves to the
  // nearest row on the first field of its order. When the text does not fit that field
  // (letters on a numeric field), messages 19 to 23 joined by "\r" are shown (information,
  // OK) and the list stays where it was; the text keeps the character until Escape empties
  // it, as message 23 tells the user. Returns whether the search succeeded. The text never
  // grows beyond the size of that first field (40 characters for a non-text field); further
  // characters are ignored.
  bool typeKey(QChar key);
  // Searches for `text` as typed so far; same failure handling as typeKey().
  bool search(const QString& text);

  // The five messages of a failed quick search, joined by carriage returns.
  static QString quickSearchFailureText();
  // The most characters the quick search takes for the current order.
  int quickSearchLimit() const;

 private:
  engine::Engine& engine_;
  engine::Cursor cursor_;
  QString sortIndex_;
  bool descending_ = false;
  QString quickSearch_;
};

}  // namespace lapiro::shell
