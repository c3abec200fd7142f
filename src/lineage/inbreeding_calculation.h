// The inbreeding calculation "Inzuchtgradberechnung" without its window: choosing the animal
// or the parents, the few-generation calculation over TBinaerbaum with its result texts, the
// ancestor list in the work table Vorfahrenliste.DB, the genetic-formula lines, the
// coefficient over all known generations, and saving and loading through the tables
// Inzuchtgrad and InzuchtgradVorf.
//
// Every message goes through store::dialogs(), with texts from store::messageText().
// Lifetime: one object per window; it borrows the engine. The work table is deleted by
// dropWorkTable() (the window calls it when it closes); no table stays open between calls.
#pragma once

#include "engine/engine.h"
#include "lineage/inbreeding_tree.h"
#include "lineage/stock_pedigree.h"

#include <QStringList>
#include <QVariant>

#include <optional>
#include <vector>

namespace lapiro::lineage {

enum class Berechnungsart { Kaninchen = 0, Eltern = 1 };

// An animal as the window shows it.
struct InzuchtTier {
  qint64 nummer = 0;
  QString text;       // TatoRechts + two blanks + TatoLinks
  QString erbformel;
  bool operator==(const InzuchtTier&) const = default;
};

struct InzuchtEingabe {
  Berechnungsart art = Berechnungsart::Kaninchen;
  InzuchtTier kaninchen;  // nummer 0 in "Eltern" mode
  InzuchtTier vater;
  InzuchtTier mutter;
  int generation = 4;
};

// One row of the ancestor list.
struct Vorfahr {
  qint64 nummer = 0;
  QString name;
  int anzahl = 0;
  QVariant farbe;  // carried through save and load, not filled by the calculation
  QString erbformel;
  QString zuechter;
};

struct InzuchtAusgabe {
  QStringList inzucht;       // path lines, or message 48
  QString prozent;           // coefficient text
  QStringList ahnenverlust;  // ancestor-loss lines
  QString stammbaumkomplett;
  QStringList info;          // missing-ancestor lines
  QStringList erbformel;     // formula tab lines
  QStringList alleGenerationen;  // the coefficient over all known generations
  std::vector<Vorfahr> vorfahren;  // in the order first met
  double koeffizient = 0;
  bool berechnet = false;
};

// One saved calculation as the load panel lists it.
struct GespeicherteBerechnung {
  qint64 laufendeNummer = 0;
  int generation = 0;
  QString name;
  QString vater;
  QString mutter;
};

inline constexpr int kInzuchtHilfe = 181;
inline constexpr char16_t kVorfahrenliste[] = u"Vorfahrenliste.DB";

class InbreedingCalculation {
 public:
  explicit InbreedingCalculation(engine::Engine& engine);
  ~InbreedingCalculation();

  // The animal with this Nummer (nullopt when there is none).
  std::optional<InzuchtTier> tier(qint64 nummer);
  // Father and mother Nummer recorded for an animal ({0, 0} when unknown).
  std::pair<qint64, qint64> eltern(qint64 nummer);

  // Choosing the animal in "Kaninchen" mode: its number, text and formula and its recorded
  // parents. When the animal has no formula and both parents have one, the derived formula
  // is stored in its record at once (failure: message 108, warning). Returns false when the
  // animal does not exist (nothing changes).
  bool waehleKaninchen(qint64 nummer, InzuchtEingabe& eingabe);

  // Runs the calculation. Message 83 (information) and false when the animal number is 0 and
  // either parent number is 0. Otherwise fills `aus` and writes the work table anew; message
  // 106 (information) at the end unless `still`. A work table that cannot be created shows
  // message 11 and the table name (error); the results are still shown. Loops in the stock's
  // parentage are reported once (warning).
  bool berechne(const InzuchtEingabe& ein, InzuchtAusgabe& aus, bool still = false);

  // The lines of the coefficient over all known generations for the animal (or the
  // offspring of the parents in "Eltern" mode).
  QStringList alleGenerationen(const InzuchtEingabe& ein);

  // Deletes the work table (when it exists and is not open).
  void dropWorkTable();

  // --- saving and loading -----------------------------------------------------------------

  // Saves under `name`. When a calculation with the same Name and Generation exists, message
  // 85 asks (Yes/No); No returns false. Message 87 after the save.
  bool speichere(const QString& name, const InzuchtEingabe& ein, const InzuchtAusgabe& aus);
  // The saved calculations ordered by Name and Generation (tables created when missing).
  std::vector<GespeicherteBerechnung> gespeicherte();
  // Restores inputs, texts and the ancestor list of a saved calculation and writes the
  // ancestor list into the work table. The coefficient over all generations is computed anew.
  bool lade(qint64 laufendeNummer, InzuchtEingabe& ein, InzuchtAusgabe& aus);

  StockPedigree& stock() { return stock_; }

 private:
  struct Zeile;
  std::optional<Zeile> lies(qint64 nummer);
  QString zuechterText(qint64 adresse);
  void writeWorkTable(const std::vector<Vorfahr>& rows);
  void ensureSaveTables();

  engine::Engine& engine_;
  StockPedigree stock_;
};

// Text of a coefficient: " " + F + " = " + F x 100 + " %" (no path: " 0%").
QString koeffizientText(double f, bool mitPfad);

}  // namespace lapiro::lineage
