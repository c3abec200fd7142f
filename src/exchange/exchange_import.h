// Import of an exchange file into the stock: a control plan first (what each animal, breed,
// colour and address will become), then one transaction that writes all of it or nothing,
// a German log file of what was done, and the undo of a whole import from its log.
//
// Identity of animals: equal TatoRechts, TatoLinks and Geburtstag (the stock's duplicate
// rule). Breeds match by code, then by name; colours by name, then code, within their breed;
// addresses by name, first name and place (case ignored). An animal without any tattoo is
// always new.
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

enum class RecordState { New, Present, Differing };
// "neu", "vorhanden", "abweichend".
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

// Writes the plan in one transaction (parents before their young, each linked to the created
// or matched parent), then the log file into `logDir` (created when missing). `source` names
// the file in the log. `afterAnimal`, when set, runs after each animal is written (tests use
// it to inject a failure by throwing: the transaction is then rolled back).
ImportResult runImport(engine::Engine& engine, const ExchangeFile& file, const ImportPlan& plan,
                       const ImportOptions& options, const QString& logDir, const QString& source,
                       const std::function<void(int)>& afterAnimal = {});

// Undoes the import recorded in the log at `logPath`: removes what it created and restores
// what it overwrote, in one transaction. Refused (with a German message, nothing changed)
// when a record has been changed since, when another record now refers to a created one, or
// when the import was undone already. On success the log gets a closing line. Returns an
// empty text on success.
QString undoImport(engine::Engine& engine, const QString& logPath);

}  // namespace lapiro::exchange
