// Brings the tables of an older data directory up to date while the program opens them at
// start-up. There is no version number in the data: every step looks at the stored table
// itself, so a repaired table is left alone on the next start (only the index comparisons
// run every time).
//
// Every message goes through the dialog service; a table that cannot be opened is reported
// as message 11, a blank and the step's table name (error box, OK), and start-up goes on with
// that cursor closed.
#pragma once

#include "engine/cursor.h"
#include "engine/engine.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <vector>

namespace lapiro::store {

// Names under which the main window hands its own cursors to the upgrade (and to the index
// rebuild). The data module's cursors go by their names in dataModuleCursors().
namespace mainCursor {
inline constexpr QStringView Rasse = u"MainRasse";    // breed list, Rasse.db
inline constexpr QStringView Status = u"MainStatus";  // status list, Status.db
inline constexpr QStringView Eigen = u"MainEigen";    // own user data, eigen.DB
inline constexpr QStringView Hasen = u"MainHasen";    // the animal list, Hasen.db
inline constexpr QStringView Farbe = u"MainFarbe";    // colour list, Farbe.db
inline constexpr QStringView Sprmel = u"MainSprmel";  // the message catalogue, Sprmel.db
}  // namespace mainCursor

// Hands out the cursors the upgrade opens. The owners configure them beforehand (table name,
// order, master link, expected fields = the catalogue's current field list); the upgrade only
// opens them. Returning nullptr for a name skips that cursor's step (it counts as closed).
class CursorProvider {
 public:
  virtual ~CursorProvider() = default;
  virtual engine::Cursor* cursor(const QString& name) = 0;
};

// One repair of "open with repair": when the stored table lacks `field`, `statement` (an
// ALTER TABLE of the program's SQL dialect) is executed through Engine::execute.
struct RepairCheck {
  QString field;
  QString statement;
};

// Which failures of the first opening let the repair checks run.
enum class RepairTrigger {
  MissingField,  // only a stored table lacking an expected field (EngineError FieldMissing)
  AnyFailure,    // any failure of the first opening
};

// Shows message 11, a blank and `tableName` as an error box.
// Within an OpenFailureNaming scope each table is named once, however many cursors use it.
void reportOpenFailure(const QString& tableName);

// While one lives, reportOpenFailure() names each table once. Scopes nest: an inner one joins
// the outer, so a start-up that holds one across the main window's and the data module's
// sequences names a table once in all. Each sequence holds its own as well.
class OpenFailureNaming {
 public:
  OpenFailureNaming();
  ~OpenFailureNaming();
  OpenFailureNaming(const OpenFailureNaming&) = delete;
  OpenFailureNaming& operator=(const OpenFailureNaming&) = delete;

 private:
  bool owner_;
};

// The table to name for an open failure: the table whose file the engine could not open or
// read (a lookup table of the cursor's, say), else `fallback`.
QString failedTableName(const engine::EngineError& e, const QString& fallback);

// Opens `cursor`; on failure reports message 11 with `tableName`. Returns whether it is open.
bool openPlain(engine::Cursor& cursor, const QString& tableName);

// Opens `cursor`. When that fails in the way `trigger` names, reads the stored table's fields
// and executes the statement of every check whose field is missing there (a failing
// statement is not reported by itself), then tries once more. Reports message 11 with
// `tableName` once when the cursor does not open in the end, including when the first
// opening fails and no check applies. Returns whether the cursor is open. The repair needs
// the table closed in this process and free of other processes.
bool openWithRepair(engine::Engine& engine, engine::Cursor& cursor, const std::vector<RepairCheck>& checks,
                    const QString& tableName, RepairTrigger trigger = RepairTrigger::MissingField);

// True when one of `indexes` has exactly the fields of `fieldList` (";" separated), compared
// text for text without regard to case. The index's name and options do not matter.
bool hasIndexOn(const std::vector<engine::IndexDef>& indexes, const QString& fieldList);

enum class EnsureResult { Present, Added, Failed };

// Makes sure the cursor's table has an index over `fieldList`. When no stored index has these
// fields, adds one named `indexName`, defined as the catalogue defines that index (fields and
// options), or ascending without options when the catalogue does not know it. The cursor may
// stay open: it stays open and on its current record. A failure (e.g. the table held by
// another process) reports message 11 with `tableName` and returns Failed.
// REQUIRES: cursor.isOpen().
EnsureResult ensureIndex(engine::Engine& engine, engine::Cursor& cursor, const QString& indexName,
                         const QString& fieldList, const QString& tableName);

// A wanted index for ensureIndexes(): name and ";" separated field list.
struct WantedIndex {
  QString name;
  QString fields;
};

// The indexes the animal list's orders rely on, in the order they are ensured; every opening
// of the list makes sure they exist.
const std::vector<WantedIndex>& animalListIndexes();

// Brings the indexes of `tableName` (a catalogue file name) whose name fields the catalogue
// orders the German way (engine::IndexField::german) into that form when the stored index
// still orders by bytes: drops and re-adds it. A failure leaves the table in its former
// order, silently; the next start tries again.
void upgradeGermanOrder(engine::Engine& engine, const QString& tableName);

// ensureIndex() for each wanted index in order; stops at the first failure (reported once).
// Returns false after a failure.
bool ensureIndexes(engine::Engine& engine, engine::Cursor& cursor, const std::vector<WantedIndex>& wanted,
                   const QString& tableName);

// When the cursor's table does not exist, creates it with the catalogue's current layout
// (fields, primary index, secondary indexes). Returns true when it created the table. A table
// the catalogue does not know, or a failed creation, returns false without a message: the
// following open reports it.
bool createWhenMissing(engine::Engine& engine, const engine::Cursor& cursor);

// Outcome of converting the animal table's hutch numbers from text to numbers.
struct HutchNumberConversion {
  int kept = 0;    // values that were whole numbers and became the new number
  int moved = 0;   // other non-empty values, appended to the animal's Info memo
};

// True when the stored table `tableName` holds Stallnummer as text (the older layout).
// False when the field is numeric or missing; throws EngineError when the table cannot be read.
bool hutchNumberIsText(engine::Engine& engine, const QString& tableName);

// Converts the text field Stallnummer of the animal table `tableName` into a numeric field
// without losing a value: a whole number (blanks around it ignored) becomes the new number;
// any other non-empty text is appended to the animal's Info memo as the line
// "Stallnummer: <text>" and the number stays empty. Indexes over Stallnummer are kept.
// All or nothing: the change runs as one transaction on a connection of its own, so a
// failure (or a killed process) leaves the table as it was.
// REQUIRES: hutchNumberIsText(). The table must not be open in this process (EngineError
// Locked otherwise) nor held by another process (Locked).
HutchNumberConversion convertHutchNumbers(engine::Engine& engine, const QString& tableName);

struct UpgradeResult {
  bool endProgram = false;    // the own user data could not be opened (messages 6 and 8)
  QStringList closedCursors;  // cursors that stayed closed, in the order of the steps
};

// The main window's steps at start-up, in this order: the breed list (adds Rassegruppe),
// the status list, the own user data (adds Kreisverband and Vereinsart; failure ends the
// program), the animal list (converts a text Stallnummer, adds a missing Stallnummer,
// Druckbild and Genotyp) and the five list indexes on Hasen. Cursors: mainCursor::Rasse, Status, Eigen,
// Hasen. When endProgram is set, the animal list was not opened.
UpgradeResult upgradeMainWindowTables(engine::Engine& engine, CursorProvider& cursors);

// The data module's 18 steps at start-up, in their fixed order, on the data module's cursors
// (names as in dataModuleCursors()). `buildBreedNames` runs as step 5, after the breed and
// colour lists were opened; it may be empty. endProgram is never set.
UpgradeResult upgradeDataModuleTables(engine::Engine& engine, CursorProvider& cursors,
                                      const std::function<void()>& buildBreedNames);

}  // namespace lapiro::store
