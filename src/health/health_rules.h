// Rules of the health records that need no window: the pharmacy's sort orders (with the
// creation of a missing index), deleting a medicine that treatments still name, and the
// checks before a treatment, vaccination, disinfection or insect-control row is saved.
//
// Every question or message goes through store::dialogs(); texts come from
// store::messageText().
#pragma once

#include <QDate>
#include <QString>
#include <functional>
#include <vector>

#include "engine/cursor.h"
#include "engine/engine.h"

namespace lapiro::store {
class TDatenStamm;
}

namespace lapiro::health {

// Catalogue messages used here.
inline constexpr int kMeldungLoeschenDetail = 15;
inline constexpr int kMeldungLoeschen = 28;
inline constexpr int kMeldungSpeichern = 29;

// Help topics.
inline constexpr int kHilfeApotheke = 140;
inline constexpr int kHilfeDesinfektion = 31;
inline constexpr int kHilfeMedikamente = 32;
inline constexpr int kHilfeInsekten = 33;
inline constexpr int kHilfeImpfung = 34;

// One choice of the pharmacy's drop-down "Sortierreihenfolge bestimmen".
struct PharmacyOrder {
  QString caption;
  QString index;
  QString fields;
};
// "Bereich" (BereichKrankheitIdx, the start), "Medikament" (Medikament), "Verfallsdatum"
// (VerfallsdatumIdx).
const std::vector<PharmacyOrder>& pharmacyOrders();

// Configures a cursor on APOTHEKE for the pharmacy window (editable, order Bereich).
void configurePharmacyCursor(engine::Cursor& cursor);

// Puts the open pharmacy cursor into the order of choice `choice` (index into
// pharmacyOrders(); any other value changes nothing). When the stored table lacks the index,
// closes the cursor, creates the index with its name and fields, reopens the cursor and
// selects it. Returns true when an index was created. Throws engine::EngineError when the
// index cannot be created (the cursor is then reopened in its previous order when possible).
bool applyPharmacyOrder(engine::Engine& engine, engine::Cursor& apotheke, int choice);

// Number of treatments (MedizienHase) that name the pharmacy row `laufendeNummer`.
qint64 treatmentsOfMedicine(engine::Engine& engine, qint64 laufendeNummer);

// "L&öschen" in the pharmacy: asks message 28 (Yes/No); when treatments still name the
// medicine the question says how many and that they keep their entries without the
// medicine's name. On "Ja" deletes the current medicine. Returns whether it was deleted.
bool deleteMedicine(engine::Engine& engine, engine::Cursor& apotheke);

// The checks of a health row before it is saved, in this order:
// 1. the save question (message 29, warning, Yes/No) unless `speichernOhneFrage`: "Nein"
//    cancels the pending change and throws engine::Abort;
// 2. a date field `dateField` after `today` asks whether the date is meant; "Nein" throws
//    engine::Abort and leaves the record in edit so the date can be corrected.
// Dose, date and disease are free entries otherwise ("1 ml/kg über 3 Tage"): nothing else is
// checked.
void checkHealthRowBeforePost(engine::DataSet& row, bool speichernOhneFrage, const QDate& today,
                              const QString& dateField);

// Attaches the health rules to the data module's per-animal cursors ("MedizienGaben",
// "Impfung", "Desinfektion", "Insekten") for as long as it lives: the checks above before
// every post, and each of these lists placed on its last row whenever another animal
// becomes current. `speichernOhneFrage` is read at every save (System/Speichern).
// Detaches them again on destruction.
class THygieneRegeln {
 public:
  THygieneRegeln(store::TDatenStamm& dm, std::function<bool()> speichernOhneFrage);
  ~THygieneRegeln();
  THygieneRegeln(const THygieneRegeln&) = delete;
  THygieneRegeln& operator=(const THygieneRegeln&) = delete;

  // Names of the per-animal cursors, in the order of the card's pages.
  static const QStringList& cursorNames();  // Desinfektion, MedizienGaben, Insekten, Impfung
  // Places every open per-animal list on its last row.
  void showLastRows();

 private:
  store::TDatenStamm& dm_;
  std::function<bool()> speichern_;
  int hasenListener_ = 0;
};

}  // namespace lapiro::health
