// Import of an exchange file into the stock: a control plan first (what each animal, breed,
// colour and address will become), then one transaction that writes all of it or nothing,
// a German log file of what was done, and the undo of a whole import from its log.
//
// Identity of animals: equal TatoRechts, TatoLinks and Geburtstag (the stock's duplicate
// rule). Breeds match by code, then by name; colours by name, then code, within their breed.
// Addresses match by name, first name, street and place together (case ignored), never by name
// and place alone: an address that agrees with a stored one only in name, first name and place
// is shown as doubtful and added as a new address instead of merged. Addresses of the file
// that are one person (the same key) become one address. An address that is the importing
// stock's own user never becomes an animal's owner (the animal is the stock's own). An
// animal without any tattoo is always new. A colour genotype the genetics cannot read is not
// stored: the control view and the log name it, and the rest of the animal is imported.
//
// A file exported by this very stock (its stock identity, or in older files its own address
// "eigen", is this stock's own user) changes nothing: the plan says so and the import writes
// nothing.
#pragma once

#include "engine/engine.h"
#include "exchange/exchange_format.h"

#include <QString>
#include <QVariant>

#include <functional>
#include <vector>

namespace lapiro::exchange {

// How a record that exists already takes the file's values. A file value that is empty never
// clears a stored one.
enum class MergeMode {
  FillEmpty,   // "Aktualisieren leerer Felder": only empty stored fields take the file's value
  AppendOnly,  // "nur Anhängen": existing records stay as they are; only new ones are added
  Overwrite,   // "Überschreiben": every field the file gives replaces the stored value
};
QString mergeModeCaption(MergeMode mode);

struct ImportOptions {
  qint64 newStatus = 2;  // Status of the animals created
  MergeMode animalMode = MergeMode::FillEmpty;
  MergeMode addressMode = MergeMode::FillEmpty;
};

enum class RecordState { New, Present, Differing, Doubtful };
// "neu", "vorhanden", "abweichend", "zweifelhaft".
QString recordStateText(RecordState state);

// One field of an existing record whose file value differs from the stored one.
struct FieldDiff {
  QString field;        // column name
  QString caption;      // German caption
  QVariant stored;      // stored value
  QVariant incoming;    // file value in stock terms; a negative key refers to a record created by the import
  QString storedText;   // both shown as the user knows them
  QString incomingText;
  bool apply = false;   // what the chosen mode does with it
  // "wird ergänzt", "wird überschrieben" or "bleibt".
  QString actionText() const;
};

struct RecordPlan {
  int fileIndex = -1;
  RecordState state = RecordState::New;
  qint64 existing = 0;  // key of the matched record
  QString display;      // tattoos, breed name, address name
  std::vector<FieldDiff> diffs;
  // Addresses only: a stored address that agrees only in name, first name and place
  // (Doubtful: the file's address is added as a new one); an earlier address of the file that
  // is the same person (this one becomes the same record); the importing stock's own user.
  qint64 candidate = 0;
  int sameAs = -1;
  bool own = false;
  QString note;  // German, shown in the control view ("" when none)
};

struct ColourPlan {
  int breed = -1;  // index into ImportPlan::breeds
  QString name, code;
  qint64 existing = 0;
  QString display;
};

struct ImportPlan {
  std::vector<RecordPlan> animals;    // in file order
  std::vector<RecordPlan> breeds;     // in file order (no field diffs)
  std::vector<ColourPlan> colours;
  std::vector<RecordPlan> addresses;  // in file order
  // For each animal the index into `colours`, or -1.
  std::vector<int> animalColour;
  // For each animal the colour genotype to store in its written form ("" when the file gives
  // none or it was refused). A refused genotype is named in the animal's note; the animal is
  // imported without it.
  std::vector<QString> animalGenotype;
  // The file was exported by this stock: importing it changes nothing.
  bool sameStock = false;
  int count(RecordState state) const;
};

// Compares the file with the stock. Writes nothing. Throws engine::EngineError when a table
// cannot be read.
ImportPlan planImport(engine::Engine& engine, const ExchangeFile& file, const ImportOptions& options);

struct ImportResult {
  bool ok = false;
  QString error;     // German, when !ok: nothing was written
  QString logPath;   // the log written
  int created = 0, updated = 0, matched = 0, skipped = 0;
};

// The points of runImport at which a test may stop the process.
enum class ImportStep {
  LogWritten,  // the log with its undo records is on disk; the transaction is not committed
  Committed,   // the transaction is committed; the log does not carry its closing line yet
};

// Writes the plan in one transaction (parents before their young, each linked to the created
// or matched parent). The log file goes into `logDir` (created when missing) before the
// commit, flushed to disk, so that every committed import has its log; a line added after
// the commit marks it as committed. When the log cannot be written, nothing is stored.
// `source` names the file in the log. `afterAnimal`, when set, runs after each animal is
// written (tests use it to inject a failure by throwing: the transaction is then rolled
// back); `atStep` runs at the steps above (tests kill the process there).
ImportResult runImport(engine::Engine& engine, const ExchangeFile& file, const ImportPlan& plan,
                       const ImportOptions& options, const QString& logDir, const QString& source,
                       const std::function<void(int)>& afterAnimal = {},
                       const std::function<void(ImportStep)>& atStep = {});

// At start-up: settles the logs in `logDir` that an import killed between writing its log
// and marking it left without the closing line. A log whose writes are in the tables gets
// the line (the import was committed); any other is deleted (its transaction was rolled
// back). Older logs and closed ones are left alone. Returns the number of logs settled.
// Never throws: a log whose tables cannot be read stays as it is.
int settleImportLogs(engine::Engine& engine, const QString& logDir);

// Undoes the import recorded in the log at `logPath`: removes what it created and restores
// what it overwrote, in one transaction. Refused (with a German message, nothing changed)
// when a record has been changed since, when another record now refers to a created one, or
// when the import was undone already. On success the log gets a closing line. Returns an
// empty text on success.
QString undoImport(engine::Engine& engine, const QString& logPath);

}  // namespace lapiro::exchange
