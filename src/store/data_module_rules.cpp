// The rule hooks of TDatenStamm that act on its cursors (declared in data_module.h): saving
// with or without the question, the duplicate check, derived birth dates and formulas, the
// display fields and the details that follow the current animal. The record rules they build
// on are in animal_rules.cpp, which knows nothing of the data module.
#include "engine/dataset.h"
#include "engine/query.h"
#include "lineage/genetic_formula.h"
#include "shell/system_info.h"
#include "store/animal_rules.h"
#include "store/catalogue.h"
#include "store/data_module.h"
#include "store/dialog_service.h"
#include "store/genotype_check.h"
#include "store/messages.h"

namespace lapiro::store {

using engine::Cursor;
using engine::DataSetState;
using engine::EngineError;

namespace {

GenotypeNormaliser& normaliserSlot() {
  static GenotypeNormaliser slot;
  return slot;
}

QString str(engine::DataSet& ds, const char16_t* field) {
  return ds.field(QString::fromUtf16(field)).asString();
}

void setStr(engine::DataSet& ds, const char16_t* field, const QString& value) {
  ds.field(QString::fromUtf16(field)).setString(value);
}

// Message texts by number, for the boxes the rules show.
enum Meldung { kSpeichern = 29, kErbformelFalsch = 118, kDoppelt = 120, kErbformelNeu = 138 };

// Raises and lowers a counter for the life of a scope.
struct CountScope {
  int& counter;
  explicit CountScope(int& c) : counter(c) { ++counter; }
  ~CountScope() { --counter; }
};

}  // namespace

void setGenotypeNormaliser(GenotypeNormaliser normaliser) { normaliserSlot() = std::move(normaliser); }
const GenotypeNormaliser& genotypeNormaliser() { return normaliserSlot(); }

bool TDatenStamm::saveWithoutQuestion(Cursor& c) {
  CountScope silent(silentSave_);
  try {
    c.post();
    return true;
  } catch (const engine::Abort&) {
    return false;  // the rule that stopped the save has said why, or stays silent on purpose
  } catch (const EngineError& e) {
    dialogs().error(e.message());
    return false;
  }
}

bool TDatenStamm::askSave() {
  if (silentSave_ > 0 || settings_.System.Speichern) return true;
  return dialogs().ask(messageText(kSpeichern), DialogKind::Warning);
}

void TDatenStamm::saveOnClose(Cursor& c) {
  if (!c.isEditing()) return;
  if (!c.modified()) {
    c.cancel();
    return;
  }
  // A change that cannot be saved is dropped so that the table can close; its message has
  // been shown.
  if (!saveWithoutQuestion(c) && c.isEditing()) c.cancel();
}

bool TDatenStamm::findInPrimary(Cursor& c, const QVariant& key) {
  const QString index = c.indexName();
  const QString fields = c.indexFieldNames();
  auto restore = [&] {
    if (!fields.isEmpty())
      c.setIndexFieldNames(fields);
    else
      c.setIndexName(index);
  };
  bool found = false;
  try {
    c.setIndexName(QString());
    found = c.findKey({key});
  } catch (...) {
    restore();
    throw;
  }
  restore();
  return found;
}

bool TDatenStamm::gotoAnimal(qint64 nummer) {
  if (!hasen_->isOpen()) return false;
  return findInPrimary(*hasen_, QVariant(nummer));
}

void TDatenStamm::settleDetailsOfHasen() {
  // A pending change of a detail is saved before the animal changes. A rule that stops that
  // save (the save question answered "Nein") has discarded the change; the move goes on.
  for (auto& e : cursors_) {
    if (!engine::sameName(e.masterName, QStringLiteral("Hasen"))) continue;
    Cursor& c = *e.cursor;
    if (!c.isOpen() || !c.isEditing()) continue;
    try {
      c.checkBrowseMode();
    } catch (const engine::Abort&) {
      if (c.isEditing()) c.cancel();
    }
  }
}

bool TDatenStamm::followBreed() {
  // The breed list stands on the animal's breed, so that the colour list shows its colours.
  Cursor& rasse = at(QStringLiteral("Rasse"));
  if (!rasse.isOpen() || !hasen_->hasRecord()) return false;
  const engine::Field breed = hasen_->field(QStringLiteral("Rasse"));
  if (breed.isNull()) return false;
  if (rasse.hasRecord() && rasse.field(QStringLiteral("Nummer")).asInteger() == breed.asInteger())
    return false;
  return findInPrimary(rasse, breed.value());
}

void TDatenStamm::reattachColours() {
  Cursor& farbe = at(QStringLiteral("Farbe"));
  if (!farbe.isOpen()) return;
  const CursorSpec* cursorDef = store::findCursor(QStringLiteral("Farbe"));
  farbe.clearMaster();
  farbe.setMaster(&at(cursorDef->master), cursorDef->masterFields, cursorDef->detailFields);
  if (hasen_->isOpen() && hasen_->hasRecord()) {
    const engine::Field colour = hasen_->field(QStringLiteral("Farbe"));
    if (!colour.isNull()) farbe.locate(QStringLiteral("Nummer"), {colour.value()});
  }
}

void TDatenStamm::showWoolTab() {
  if (card_)
    card_->setWoolTabVisible(isLonghairGroup(hasen_->field(QStringLiteral("Rassegruppe")).asString()));
}

void TDatenStamm::deriveFormulaOnParentChange() {
  const QString father = hasen_->field(QStringLiteral("VaterErbformel")).asString();
  const QString mother = hasen_->field(QStringLiteral("MutterErbformel")).asString();
  if (father.isEmpty() || mother.isEmpty()) return;
  const engine::Field own = hasen_->field(QStringLiteral("Erbformel"));
  if (!own.isNull() && dialogs().show(DialogKind::Information, messageText(kErbformelNeu),
                                      DialogButtons::YesNo) != DialogAnswer::Yes)
    return;
  const auto derived = lineage::deriveOffspringFormula(father, mother);
  if (!derived) {
    dialogs().warn(messageText(kErbformelFalsch));
    return;
  }
  own.setString(*derived);
}

void TDatenStamm::deriveFormulaOnDisplay() {
  if (!hasen_->field(QStringLiteral("Erbformel")).isNull()) return;
  const QString father = hasen_->field(QStringLiteral("VaterErbformel")).asString();
  const QString mother = hasen_->field(QStringLiteral("MutterErbformel")).asString();
  if (father.isEmpty() || mother.isEmpty()) return;
  const auto derived = lineage::deriveOffspringFormula(father, mother);
  if (!derived) {
    dialogs().warn(messageText(kErbformelFalsch));
    return;
  }
  try {
    hasen_->edit();
  } catch (const EngineError& e) {
    dialogs().error(e.message());
    return;
  }
  hasen_->field(QStringLiteral("Erbformel")).setString(*derived);
  saveWithoutQuestion(*hasen_);
}

void TDatenStamm::deriveBirthDate() {
  if (!hasen_->isOpen() || !hasen_->hasRecord()) return;
  const engine::Field geburtstag = hasen_->field(QStringLiteral("Geburtstag"));
  const QString links = hasen_->field(QStringLiteral("TatoLinks")).asString();
  if (!geburtstag.isNull() || links.isEmpty()) return;
  const auto date = birthDateFromTattoo(links, today());
  if (!date) return;
  if (!hasen_->isEditing()) {
    try {
      hasen_->edit();
    } catch (const EngineError& e) {
      dialogs().error(e.message());
      return;
    }
    hasen_->field(QStringLiteral("Geburtstag")).setDate(*date);
    saveWithoutQuestion(*hasen_);
    return;
  }
  hasen_->field(QStringLiteral("Geburtstag")).setDate(*date);
  duplicateCheck();
}

bool TDatenStamm::duplicateCheck() {
  Cursor& stamm = at(QStringLiteral("Stammbaum"));
  if (!stamm.isOpen() || !hasen_->isOpen() || !hasen_->hasRecord()) return false;
  const QVariantList key = {hasen_->field(QStringLiteral("TatoRechts")).value(),
                            hasen_->field(QStringLiteral("TatoLinks")).value(),
                            hasen_->field(QStringLiteral("Geburtstag")).value()};
  const engine::Field ownNummer = hasen_->field(QStringLiteral("Nummer"));
  const qint64 own = ownNummer.isNull() ? 0 : ownNummer.asInteger();

  // Search the stored animals in the tattoo order; the animal itself does not count.
  const QString index = stamm.indexName();
  const QString fields = stamm.indexFieldNames();
  const QVariant mark = stamm.bookmark();
  qint64 found = 0;
  auto sameKey = [&] {
    return stamm.field(QStringLiteral("TatoRechts")).value() == key[0] &&
           stamm.field(QStringLiteral("TatoLinks")).value() == key[1] &&
           stamm.field(QStringLiteral("Geburtstag")).value() == key[2];
  };
  try {
    stamm.setIndexName(QStringLiteral("Tato"));
    if (stamm.findKey(key)) {
      while (sameKey()) {
        const qint64 n = stamm.field(QStringLiteral("Nummer")).asInteger();
        if (n != own) {
          found = n;
          break;
        }
        if (stamm.moveBy(1) == 0) break;
      }
    }
  } catch (...) {
    if (!fields.isEmpty())
      stamm.setIndexFieldNames(fields);
    else
      stamm.setIndexName(index);
    throw;
  }
  if (!fields.isEmpty())
    stamm.setIndexFieldNames(fields);
  else
    stamm.setIndexName(index);
  if (mark.isValid()) stamm.gotoBookmark(mark);

  if (found == 0) return false;
  // The user has already chosen to go on with this very tattoo and birth date.
  if (acceptedDuplicate_ == key) return false;
  if (dialogs().ask(messageText(kDoppelt), DialogKind::Warning)) {
    acceptedDuplicate_ = key;
    return false;
  }
  acceptedDuplicate_.clear();
  hasen_->cancel();
  if (card_) {
    // The card leaves the entry of a new animal: the found one is shown in browse state.
    card_->newRecord = false;
    card_->listRefreshPending = false;
    card_->setUndoButtonEnabled(false);
  }
  gotoAnimal(found);
  if (card_) {
    card_->setEditButtonsEnabled(false);
    card_->positionAnimalList(found);
    card_->updateDisplays();
  }
  return true;
}

bool TDatenStamm::identityChanged() {
  if (hasen_->state() == DataSetState::Insert) return true;
  if (hasen_->state() != DataSetState::Edit) return false;
  const engine::Field nummer = hasen_->field(QStringLiteral("Nummer"));
  if (nummer.isNull()) return true;
  // The stored record, read without moving any cursor the windows show.
  engine::Query q(engine_, QStringLiteral("HasenIdentitaet"));
  q.setSql(QStringLiteral("SELECT TatoRechts, TatoLinks, Geburtstag FROM \"Hasen.db\" WHERE Nummer = :n"));
  q.setParam(QStringLiteral("n"), nummer.asInteger());
  q.open();
  if (!q.hasRecord()) return true;
  for (const char16_t* f : {u"TatoRechts", u"TatoLinks", u"Geburtstag"}) {
    const QString name = QString::fromUtf16(f);
    if (q.field(name).asString() != hasen_->field(name).asString()) return true;
  }
  return false;
}

void TDatenStamm::writePendingAddition() {
  if (!additionPending_) return;
  additionPending_ = false;
  const QString zmnr = pendingZMNr_;
  pendingZMNr_.clear();
  const QVariant nummer = hasen_->field(QStringLiteral("Nummer")).value();
  Cursor& zusatz = at(QStringLiteral("HasenZusatz"));
  try {
    if (zusatz.isOpen()) {
      zusatz.checkBrowseMode();
      zusatz.append();
      zusatz.field(QStringLiteral("Hase")).setValue(nummer);
      zusatz.field(QStringLiteral("ZMNr")).setString(zmnr);
      saveWithoutQuestion(zusatz);
      return;
    }
    Cursor direct(engine_, QStringLiteral("HasenZusatzNeu"));
    direct.setTableName(zusatz.tableName());
    direct.open();
    direct.append();
    direct.field(QStringLiteral("Hase")).setValue(nummer);
    direct.field(QStringLiteral("ZMNr")).setString(zmnr);
    direct.post();
  } catch (const engine::Abort&) {
  } catch (const EngineError& e) {
    dialogs().error(e.message());
  }
}

// ---------------------------------------------------------------- hooks of "Hasen"

void TDatenStamm::HasenCalcFields() {
  computeAnimalDisplayFields(*hasen_, ownUser());
}

void TDatenStamm::HasenAfterEdit() {
  if (card_) card_->setEditButtonsEnabled(true);
}

void TDatenStamm::HasenFieldChange(const QString& fieldName) {
  if (engine::sameName(fieldName, QStringLiteral("TatoRechts")) ||
      engine::sameName(fieldName, QStringLiteral("TatoLinks"))) {
    if (card_) card_->listRefreshPending = true;
  } else if (engine::sameName(fieldName, QStringLiteral("Vater")) ||
             engine::sameName(fieldName, QStringLiteral("Mutter"))) {
    deriveFormulaOnParentChange();
  } else if (engine::sameName(fieldName, QStringLiteral("Rasse"))) {
    // Another breed: the colour belongs to the old breed.
    hasen_->field(QStringLiteral("Farbe")).clear();
    if (!followBreed()) reattachColours();
    showWoolTab();
  }
}

void TDatenStamm::HasenBeforePost() {
  if (!askSave()) {
    hasen_->cancel();
    if (card_) card_->setEditButtonsEnabled(false);
    throw engine::Abort();
  }
  if (hasen_->field(QStringLiteral("Geschlecht")).isNull()) {
    dialogs().error(QStringLiteral("Feld '%1' muss einen Wert haben").arg(QStringLiteral("Geschlecht")));
    throw engine::Abort();
  }
  if (const QString refusal =
          birthDateRefusal(hasen_->field(QStringLiteral("Geburtstag")).asDate(), QStringLiteral("Geboren"));
      !refusal.isEmpty()) {
    dialogs().error(refusal);
    throw engine::Abort();
  }
  // Whatever way the animal is saved (card, list move, closing), a genotype that cannot be
  // read is refused and a readable one is stored in its normal spelling.
  if (const GenotypeNormaliser& normalise = normaliserSlot();
      normalise && hasen_->fieldIndex(QStringLiteral("Genotyp")) >= 0) {
    engine::Field genotyp = hasen_->field(QStringLiteral("Genotyp"));
    if (!genotyp.isNull()) {
      QString error;
      const std::optional<QString> normal = normalise(genotyp.asString(), &error);
      if (!normal) {
        dialogs().error(error);
        throw engine::Abort();
      }
      if (*normal != genotyp.asString()) {
        if (normal->isEmpty()) genotyp.clear();
        else genotyp.setString(*normal);
      }
    }
  }
  // Equal tattoos and birth date mean the same animal: every save of a new animal, and every
  // save that changes a stored animal's tattoos or birth date, looks for another one, however
  // the date was set. The system's own saves of a stored animal (a date or formula derived
  // on display) change nothing the user typed and are not asked about.
  const bool ownSaveOfStored = silentSave_ > 0 && hasen_->state() != DataSetState::Insert;
  if (!ownSaveOfStored && identityChanged() && duplicateCheck()) throw engine::Abort();
}

void TDatenStamm::HasenAfterPost() {
  acceptedDuplicate_.clear();
  if (card_) {
    card_->setEditButtonsEnabled(false);
    QString caption = hasen_->field(QStringLiteral("Name")).asString();
    const QString breed = hasen_->field(QStringLiteral("RasseAnzeige")).asString();
    const QString colour = hasen_->field(QStringLiteral("FarbeAnzeige")).asString();
    if (!breed.isEmpty()) caption += QStringLiteral(", ") + breed;
    if (!colour.isEmpty()) caption += QStringLiteral(", ") + colour;
    card_->setCaption(caption);
    if (card_->listRefreshPending) {
      card_->refreshAnimalList();
      card_->positionAnimalList(hasen_->field(QStringLiteral("Nummer")).asInteger());
      card_->updateDisplays();
      card_->listRefreshPending = false;
    }
  }
  writePendingAddition();
  if (card_) card_->refreshAnimalList();
}

void TDatenStamm::HasenBeforeScroll() {
  settleDetailsOfHasen();
  if (!card_) return;
  card_->hideParentPanels();
  if (!card_->undoingNewRecord && hasen_->hasRecord()) {
    const engine::Field nummer = hasen_->field(QStringLiteral("Nummer"));
    if (!nummer.isNull()) card_->lastShownAnimal = nummer.asInteger();
  }
}

void TDatenStamm::HasenAfterScroll() {
  acceptedDuplicate_.clear();
  if (opening_ || !hasen_->hasRecord()) return;

  // The colour list follows the animal's breed and stands on its colour. (The colour list is
  // detached and attached again here rather than detached before the move: a step past the
  // last animal announces a move that then does not happen.)
  if (!followBreed()) reattachColours();

  if (card_ && card_->leftTattooInParts()) {
    const TattooParts parts = splitLeftTattoo(hasen_->field(QStringLiteral("TatoLinks")).asString());
    card_->tattooPartsGuard = true;
    card_->setTattooParts(parts.month, parts.year, parts.number);
    card_->tattooPartsGuard = false;
  }

  const qint64 nummer = hasen_->field(QStringLiteral("Nummer")).asInteger();
  if (isBuck(hasen_->field(QStringLiteral("Geschlecht")).asString())) {
    Cursor& gedeckte = at(QStringLiteral("GedeckteHaesinnen"));
    gedeckte.setFilter(coveredDoesFilter(nummer, today().year()));
    gedeckte.setFiltered(true);
  }

  Cursor& ausstellung = at(QStringLiteral("Ausstellung"));
  if (ausstellung.isOpen() && !ausstellung.isEmpty()) ausstellung.last();

  deriveFormulaOnDisplay();

  if (card_) {
    card_->resetEvaluationDates(today());
    card_->reshowBreedingTab();
  }

  deriveBirthDate();

  if (card_) card_->focusHygieneDate();
  showWoolTab();

  Cursor& wurfbuch = at(QStringLiteral("Wurfbuch"));
  if (wurfbuch.isOpen()) wurfbuch.last();
  if (card_) {
    card_->rebuildYoungAnimalRows();
    card_->showParents();
  }
}

void TDatenStamm::HasenBeforeClose() {
  saveOnClose(*hasen_);
}

void TDatenStamm::HasenBeforeCancel() {
  acceptedDuplicate_.clear();
  if (hasen_->state() != DataSetState::Insert) return;
  additionPending_ = false;
  pendingZMNr_.clear();
}

void TDatenStamm::HaesinNameCalcFields() {
  Cursor& c = at(QStringLiteral("HaesinName"));
  setStr(c, u"Name", tattooShortDisplay(str(c, u"TatoRechts"), str(c, u"TatoLinks")));
}

// ---------------------------------------------------------------- hooks of the cursors around

void TDatenStamm::RasseAfterScroll() {
  Cursor& farbe = at(QStringLiteral("Farbe"));
  if (!farbe.isOpen()) return;
  const CursorSpec* cursorDef = store::findCursor(QStringLiteral("Farbe"));
  Cursor& rasse = at(cursorDef->master);
  farbe.clearMaster();
  QVariant colour;
  if (hasen_->isOpen() && hasen_->hasRecord()) colour = hasen_->field(QStringLiteral("Farbe")).value();
  if (colour.isValid() && findInPrimary(farbe, colour) && card_) card_->refreshColourBox();
  farbe.setMaster(&rasse, cursorDef->masterFields, cursorDef->detailFields);
  if (colour.isValid()) farbe.locate(QStringLiteral("Nummer"), {colour});
  if (card_) card_->setColourBoxEnabled(!farbe.isEmpty());
}

void TDatenStamm::VerkauftBeforePost() {
  Cursor& verkauft = at(QStringLiteral("Verkauft"));
  // A trade record entered together with a new animal is saved along with it and gets the
  // animal's number that it could not have before.
  const engine::Field katze = verkauft.field(QStringLiteral("Katze"));
  if (katze.isNull() && hasen_->state() == DataSetState::Browse && hasen_->hasRecord() &&
      !hasen_->field(QStringLiteral("Nummer")).isNull()) {
    katze.setValue(hasen_->field(QStringLiteral("Nummer")).value());
    return;
  }
  if (!askSave()) {
    verkauft.cancel();
    throw engine::Abort();
  }
}

void TDatenStamm::VerkauftBeforeClose() {
  saveOnClose(at(QStringLiteral("Verkauft")));
}

void TDatenStamm::HasenZusatzAfterEdit() {
  if (card_) card_->setEditButtonsEnabled(true);
}

void TDatenStamm::HasenZusatzBeforePost() {
  Cursor& zusatz = at(QStringLiteral("HasenZusatz"));
  const bool animalUnsaved = !hasen_->isOpen() || hasen_->state() == DataSetState::Insert ||
                             !hasen_->hasRecord() || hasen_->field(QStringLiteral("Nummer")).isNull();
  if (animalUnsaved) {
    // The animal has no number yet: hold the addition until the animal's save writes it.
    pendingZMNr_ = zusatz.field(QStringLiteral("ZMNr")).asString().left(4);
    additionPending_ = true;
    zusatz.cancel();
    throw engine::Abort();
  }
  const engine::Field hase = zusatz.field(QStringLiteral("Hase"));
  if (hase.isNull()) hase.setValue(hasen_->field(QStringLiteral("Nummer")).value());
}

void TDatenStamm::HasenZusatzAfterPost() {
  if (card_) card_->setEditButtonsEnabled(false);
}

void TDatenStamm::HasenZusatzBeforeClose() {
  saveOnClose(at(QStringLiteral("HasenZusatz")));
}

void TDatenStamm::BilderAfterScroll() {
  if (card_) card_->setPictureHint(at(QStringLiteral("Bilder")).field(QStringLiteral("Bildpfad")).asString());
}

void TDatenStamm::BilderBeforeClose() {
  saveOnClose(at(QStringLiteral("Bilder")));
}

}  // namespace lapiro::store
