// The young-animal rows of page "Nachzucht": one row per expected young animal of the current
// litter (the litter figures give the number of buck and doe rows), each standing for a
// recorded young animal or for a new one. The model builds the rows from the stored records,
// applies the edits with their bounds and the running-number fill, saves the changed rows as
// ordinary animal records and deletes the litter's young animals. The page draws it.
//
// Saving writes the litter row's pending change and every animal record in one transaction
// over Hasen.db and Wurfbuch.DB: a failure or a killed process leaves all of it or none of it.
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace lapiro::engine {
class Engine;
}

namespace lapiro::shell {
class tsysteminfo;
}

namespace lapiro::store {
class TDatenStamm;
}

namespace lapiro::breeding {

enum class RowStatus { Vorhanden, Neu, Geaendert, Gespeichert, Fehler };
// "vorh.", "neu", "geänd.", "gesp.", "FEHLER".
QString statusText(RowStatus status);

struct YoungRow {
  qint64 satzInDatei = 0;  // Nummer of the animal the row stands for, 0 for a new row
  bool buck = false;
  QString tatoRechts;
  QString month, year, number;  // left tattoo in parts mode
  QString whole;                // left tattoo in whole mode
  QString rasse;                // breed name
  QString farbe;                // colour name
  QStringList farben;           // the colour names of the row's breed
  bool farbeEnabled = false;
  RowStatus status = RowStatus::Neu;
  QString reason;  // why the save refused the row ("FEHLER"); empty otherwise

  QString sexText() const { return buck ? QStringLiteral("Rammler 1.0") : QStringLiteral("Häsin 0.1"); }
};

// Month and year preset of a new young animal's left tattoo from the litter day: the year's
// last two digits (2005 → 5); November and December count as month 0 of the next year.
struct TattooPreset {
  int month = 0;
  int year = 0;
};
TattooPreset tattooPreset(const QDate& wurftag);

// Wurfgroesse text "bucks/does/dead", an empty figure empty ("3/4/").
QString litterSizeText(const QVariant& maennlich, const QVariant& weiblich, const QVariant& tot);

// The own club number (Vereinsnummer of eigen.DB); empty when there is none.
QString ownClubNumber(engine::Engine& engine);

// The own address: LaufendeNr of the address book entry with the own data's (eigen.DB) name,
// first name, street and place, the lowest number when there are several; 0 when there is
// none.
qint64 ownAddressNumber(engine::Engine& engine);

// Why a row is refused.
inline constexpr char16_t kRowIncomplete[] = u"Tätonummer unvollständig";
inline constexpr char16_t kRowDuplicate[] = u"Tier mit diesen Tätonummern und Geburtstag schon vorhanden";

class TNachzucht {
 public:
  enum class Part { Month, Year, Number };

  TNachzucht(store::TDatenStamm& dm, shell::tsysteminfo& settings) : dm_(dm), settings_(settings) {}

  // Left tattoo in three parts (setting Stammdaten/TaetoLinksEinzeln) or whole.
  bool partsMode() const;

  // Builds the rows of the current litter from its figures and recorded young animals.
  void build();
  // Removes every row.
  void clear();

  int rowCount() const { return static_cast<int>(rows_.size()); }
  const YoungRow& row(int i) const { return rows_.at(i); }
  const std::vector<YoungRow>& rows() const { return rows_; }
  bool saveEnabled() const { return saveEnabled_; }
  bool deleteEnabled() const { return deleteEnabled_; }

  // Edits of row `i` (0-based); each marks the row "geänd." and enables "Speichern".
  void setRightTattoo(int i, const QString& text);
  // A left-tattoo part. Returns false when the value is over its bound: the message has been
  // shown and the part emptied.
  bool setPart(int i, Part part, const QString& text);
  void setWhole(int i, const QString& text);
  // Leaving the running number (or the whole left tattoo): fills the following rows with the
  // following numbers when a number was typed.
  void leaveNumber(int i);
  void setBreed(int i, const QString& name);
  void setColour(int i, const QString& name);

  // The status new young animals are saved with (Status.Nummer; 0 for none). Starts as the
  // default status of new animals (Stammdaten/Status).
  qint64 statusForNew() const;
  void setStatusForNew(qint64 status) { statusForNew_ = status; }

  // "Speichern". Returns the number of records written; -1 when nothing could be written
  // (message shown). A changed row that is incomplete, or whose tattoos another stored animal
  // of the litter day (or another row) already has, is not written: it gets "FEHLER" and the
  // reason. New animals get the own address as breeder (the doe's owner when the own address
  // is not in the address book), the doe's owner as owner and statusForNew() as status.
  int save();
  // "Löschen": asks, then deletes every young animal of the litter and rebuilds the rows.
  bool deleteYoung();

  // Called after each animal record written inside the save transaction (index of the row);
  // lets tests stop the process in the middle of a save.
  std::function<void(int)> afterRowWritten;
  // Called after rows were written or deleted (the main list is refreshed by the window).
  std::function<void()> animalsChanged;
  // Called when the save or delete state or any row changed.
  std::function<void()> changed;

 private:
  void touch(int i);
  void notify() {
    if (changed) changed();
  }
  QStringList coloursOf(const QString& breedName);

  store::TDatenStamm& dm_;
  shell::tsysteminfo& settings_;
  std::vector<YoungRow> rows_;
  bool building_ = false;
  bool numbering_ = false;
  bool saveEnabled_ = false;
  bool deleteEnabled_ = false;
  qint64 statusForNew_ = -1;  // -1: the default of the settings
};

}  // namespace lapiro::breeding
