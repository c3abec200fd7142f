// The show entry form ("Meldebogen"): up to 12 animals of one breed and colour with the fees
// due, kept in the tables Meldebogen (12 line rows, reused for every form) and RasseFarbeTMP
// (one scratch row with the header values and the fees), saved to and loaded from ".mel"
// files (a table file of the engine: a header row, then one row per line).
//
// Money is held in engine::Money. A line's sale price is optional: no price means "not for
// sale" and is kept apart from a price of 0 in the tables and in saved files.
#pragma once

#include "engine/types.h"

#include <QDate>
#include <QString>

#include <array>
#include <optional>

namespace lapiro::engine {
class Engine;
}

namespace lapiro::shows {

constexpr int kEntryLines = 12;

struct EntryLine {
  QString taetoRechts;  // up to 8 characters
  QString taetoLinks;   // up to 10 characters
  QString geschlecht;   // "M", "W" or empty
  bool jungtier = false, zg1 = false, zg2 = false, zg3 = false, ezt = false;
  std::optional<engine::Money> verkaufspreis;  // nullopt: not for sale

  // True when the line holds an animal (a right or, failing that, a left tattoo).
  bool hasAnimal() const { return !taetoRechts.trimmed().isEmpty() || !taetoLinks.trimmed().isEmpty(); }
  bool operator==(const EntryLine&) const = default;
};

// Header values and fees (the row of RasseFarbeTMP plus the header boxes).
struct EntryHeader {
  QString verein;       // "Verein Nummer"
  QString von;          // sender's name
  QString nummer;       // "Nummer der Anmeldung"
  QString ausstellung;  // kind of show
  QString datumText;    // show date as typed
  qint64 rasse = 0, farbe = 0;
  engine::Money unkostenTier, futterTier, porto, katalog, karte, spendeAlt, spendeJung;
  engine::Money unkosten, futter;  // per-animal amounts × number of animals
  qint64 zgZuschlag = 0;
  engine::Money zgBetrag;
  qint64 sonderz = 0;
  engine::Money sonderzTier;
  qint64 futterbecher = 0;
  engine::Money futterbecherTier;
  QString freitext;
  engine::Money freitextBetrag;
  bool operator==(const EntryHeader&) const = default;
};

struct EntryForm {
  EntryHeader header;
  std::array<EntryLine, kEntryLines> lines{};

  // Lines holding an animal.
  int animalCount() const;
  // Unkosten and Futter from the per-animal amounts and the number of animals.
  void recomputeFees();
  engine::Money zgGesamt() const;            // ZGZuschlag × ZGBetrag
  engine::Money sonderzGesamt() const;       // Sonderz × SonderzTier
  engine::Money futterbecherGesamt() const;  // Futterbecher × FutterbecherTier
  engine::Money summe() const;               // "Gesamtbetrag"
  // Puts an animal into the first line without either tattoo ("M" for sex code "1", "W"
  // otherwise). Returns the line index, or -1 when all 12 lines are taken.
  int fillFirstEmptyLine(const QString& rechts, const QString& links, const QString& geschlechtCode);
};

// Multiplies an amount by a count exactly.
engine::Money times(engine::Money amount, qint64 count);

// The name the save dialog suggests: year "_" month "_" day " " kind of show, numbers without
// leading zeros, from `showDate` or `today` when that is invalid; the two long community-show
// names are shortened ("Gemeinschaftsschau örtlich", "Gemeinschaftsschau überörtlich").
QString suggestedEntryFileName(const QString& ausstellung, const QDate& showDate, const QDate& today);

// The kinds of show offered by the drop-down, in their order (the last one empty).
const QStringList& showKinds();

// Where a form chosen as `chosenPath` is written: the chosen folder and name with the
// extension ".mel" (added unless the name already ends in ".mel", any case).
QString entryFilePath(const QString& chosenPath);
// True when `path` names a file that must never be overwritten by a form: a table of the
// data directory `dataDirectory` (any catalogue table, or any existing file there whose
// extension is ".db").
bool isProtectedDataFile(const QString& path, const QString& dataDirectory);

// Writes `form` to the table file `path` (created anew; an existing file is replaced only
// after the new one is complete). Every line holding an animal is written in its place: the
// lines up to the last filled one, empty lines included. A show date that is not a valid
// date is stored empty; `dateRefused` is then set. Throws engine::EngineError on failure.
void saveEntryForm(engine::Engine& engine, const QString& path, const EntryForm& form, bool* dateRefused = nullptr);
// Reads a form saved by saveEntryForm or by older versions. Returns nullopt for a file
// without rows. Lines beyond the stored rows are empty. Throws engine::EngineError when the
// file cannot be read.
std::optional<EntryForm> loadEntryForm(engine::Engine& engine, const QString& path);

// "Speichern" after the save dialog: writes `form` to entryFilePath(chosenPath). Refuses
// (error box) a path that isProtectedDataFile; asks message 132 (information, Yes/No) when
// the file exists and stops on "Nein"; warns when the show date was not a valid date and has
// been stored empty; shows the engine's message when writing fails. Returns the path written,
// or an empty string when nothing was saved.
QString saveEntryFormAs(engine::Engine& engine, const QString& chosenPath, const QString& dataDirectory,
                        const EntryForm& form);

// The window's tables in the data directory.
class EntryFormTables {
 public:
  explicit EntryFormTables(engine::Engine& engine) : engine_(engine) {}
  // Makes sure Meldebogen holds the 12 lines numbered 1 to 12 and clears them; deletes and
  // creates RasseFarbeTMP with one row (breed `rasse`, every amount and count 0). Throws
  // engine::EngineError.
  void reset(qint64 rasse);
  // Reads the lines and the scratch row (header boxes not stored there stay empty).
  EntryForm read();
  // Writes one line / the scratch row (breed, colour, fees).
  void writeLine(int index, const EntryLine& line);
  void writeFees(const EntryHeader& header);
  // Writes every line and the scratch row.
  void write(const EntryForm& form);

 private:
  engine::Engine& engine_;
};

}  // namespace lapiro::shows
