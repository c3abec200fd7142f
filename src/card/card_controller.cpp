#include "card/card_controller.h"

#include "engine/cursor.h"
#include "lineage/genetic_formula.h"
#include "store/animal_dependants.h"
#include "store/animal_rules.h"
#include "store/card_state.h"
#include "store/data_module.h"
#include "store/dialog_service.h"
#include "store/guarded.h"
#include "store/messages.h"

namespace lapiro::card {

using engine::Cursor;
using engine::DataSetState;
using engine::EngineError;

namespace {

constexpr int kFormelFalsch = 119;

QString str(Cursor& c, const char16_t* field) { return c.field(QString::fromUtf16(field)).asString(); }

const QString kGenotyp = QStringLiteral("Genotyp");

GenotypeRules& rulesSlot() {
  static GenotypeRules rules;
  return rules;
}

// Moves a lookup cursor (ordered by its primary index) onto `key`; false when not found or
// the cursor is closed.
bool seek(Cursor& c, const QVariant& key) {
  if (!c.isOpen() || !key.isValid() || key.isNull()) return false;
  try {
    return c.findKey({key});
  } catch (const EngineError&) {
    return false;
  }
}

}  // namespace

// ------------------------------------------------------------------ pure rules

QString cardCaption(const QString& rechts, const QString& links, const QString& breed, const QString& colour) {
  QString caption = store::tattooDisplay(rechts, links);
  if (!breed.isEmpty()) caption += QStringLiteral(", ") + breed;
  if (!colour.isEmpty()) caption += QStringLiteral(", ") + colour;
  return caption;
}

QStringList addressBoxLines(const AddressRecord& a) {
  return {a.name + QStringLiteral(", ") + a.vorname, a.strasse, a.plz + u' ' + a.ort, a.telefon, a.telefax};
}

QStringList parentPanelLines(const ParentInfo& p, bool father, const QString& ownName) {
  QStringList lines(7);
  lines[0] = store::tattooDisplay(p.tatoRechts, p.tatoLinks);
  int i = 1;
  if (!p.rasse.isEmpty()) {
    lines[i] = QStringLiteral("Rasse: ") + p.rasse + QStringLiteral("  ");
    if (!p.farbe.isEmpty()) lines[i] += QStringLiteral("Farbe: ") + p.farbe;
    ++i;
  }
  if (father) {
    if (!p.koernote.isEmpty() || !p.stallnummer.isEmpty()) {
      if (!p.koernote.isEmpty()) lines[i] = QStringLiteral("Körnote: ") + p.koernote + QStringLiteral("  ");
      if (!p.stallnummer.isEmpty()) lines[i] += QStringLiteral("Stallnr.: ") + p.stallnummer;
      ++i;
    }
  } else if (!p.stallnummer.isEmpty()) {
    lines[i++] = QStringLiteral("Stallnr.: ") + p.stallnummer;
  }
  if (!p.erbformel.isEmpty() || !p.wurfgroesse.isEmpty()) {
    if (!p.erbformel.isEmpty()) lines[i] = QStringLiteral("Erbenge: ") + p.erbformel + QStringLiteral("  ");
    if (!p.wurfgroesse.isEmpty()) lines[i] += QStringLiteral("Wurfgröße: ") + p.wurfgroesse;
    ++i;
  }
  if (!p.geburtstag.isEmpty()) lines[i++] = QStringLiteral("Geburtstag: ") + p.geburtstag;
  if (p.status == 1) {
    lines[i++] = QStringLiteral("Besitzer: ") + ownName;
  } else if (!p.besitzer.isEmpty()) {
    lines[i++] = QStringLiteral("Besitzer: ") + p.besitzer;
  }
  if (!p.zuechter.isEmpty()) lines[i] = QStringLiteral("Züchter: ") + p.zuechter;
  return lines;
}

int tattooPartBound(TattooPart part) {
  switch (part) {
    case TattooPart::Month: return 12;
    case TattooPart::Year: return 99;
    case TattooPart::Number: return 9999;
  }
  return 0;
}

QString tattooPartMessage(TattooPart part) {
  switch (part) {
    case TattooPart::Month: return QStringLiteral("Nur Werte zwischen 0 und 12 zulässig");
    case TattooPart::Year: return QStringLiteral("Nur Werte zwischen 0 und 99 zulässig");
    case TattooPart::Number: return QStringLiteral("maximal 4-stellige Werte zulässig");
  }
  return {};
}

bool tattooPartInBounds(TattooPart part, const QString& text) {
  if (text.isEmpty()) return true;
  bool ok = false;
  // A pasted run of digits longer than any bound must not wrap around.
  const qulonglong value = text.toULongLong(&ok);
  return ok && value <= static_cast<qulonglong>(tattooPartBound(part));
}

QString joinTattooParts(const QString& month, const QString& year, const QString& number) {
  return month + u'.' + year + u'.' + number;
}

bool formulaFieldAccepts(const QString& text) { return text.isEmpty() || lineage::isValidFormula(text); }

void setGenotypeRules(GenotypeRules rules) { rulesSlot() = std::move(rules); }

const GenotypeRules& genotypeRules() { return rulesSlot(); }

// ------------------------------------------------------------------ controller

CardController::CardController(store::TDatenStamm& dm, NoteShown noteShown)
    : dm_(dm), noteShown_(std::move(noteShown)) {}

Cursor& CardController::hasen() { return dm_.Hasen(); }

store::TCardState* CardController::card() { return dm_.card(); }

bool CardController::hasAnimal() { return hasen().isOpen() && (hasen().hasRecord() || hasen().isEditing()); }

QString CardController::caption() {
  if (!hasAnimal()) return {};
  Cursor& h = hasen();
  // Names are looked up from the buffer, so a record being entered shows its own breed.
  const QString breed = breedName(h.field(QStringLiteral("Rasse")).value());
  return cardCaption(str(h, u"TatoRechts"), str(h, u"TatoLinks"), breed,
                     breed.isEmpty() ? QString() : colourName(h.field(QStringLiteral("Farbe")).value()));
}

QString CardController::breedName(const QVariant& key) {
  Cursor* rasse = dm_.cursor(QStringLiteral("StbRasse"));
  return rasse && seek(*rasse, key) ? str(*rasse, u"Name") : QString();
}

QString CardController::colourName(const QVariant& key) {
  Cursor* farbe = dm_.cursor(QStringLiteral("StbFarbe"));
  return farbe && seek(*farbe, key) ? str(*farbe, u"Name") : QString();
}

QString CardController::parentDisplay(bool father) {
  if (!hasAnimal()) return {};
  const QVariant key = hasen().field(father ? QStringLiteral("Vater") : QStringLiteral("Mutter")).value();
  Cursor* lookup = dm_.cursor(father ? QStringLiteral("Vater") : QStringLiteral("Mutter"));
  if (!lookup || !lookup->isOpen()) return {};
  if (!seek(*lookup, key)) {
    // The parent's record was deleted; the number stays and is shown as such.
    return key.isValid() && !key.isNull() && key.toLongLong() > 0 ? store::deletedAnimalText(key.toLongLong())
                                                                   : QString();
  }
  return store::tattooDisplay(str(*lookup, u"TatoRechts"), str(*lookup, u"TatoLinks"));
}

QStringList CardController::addressLines(const QVariant& nr) {
  if (!nr.isValid() || nr.isNull() || nr.toLongLong() < 0) return {};
  Cursor* adressen = dm_.cursor(QStringLiteral("Adressen"));
  if (!adressen || !seek(*adressen, nr)) return {};
  Cursor& a = *adressen;
  return addressBoxLines({str(a, u"Name"), str(a, u"Vorname"), str(a, u"Straße"), str(a, u"PLZ"), str(a, u"Ort"),
                          str(a, u"Telefon"), str(a, u"Telefax")});
}

QStringList CardController::parentPanel(bool father) {
  if (!hasAnimal()) return {};
  const QVariant key = hasen().field(father ? QStringLiteral("Vater") : QStringLiteral("Mutter")).value();
  Cursor* lookup = dm_.cursor(father ? QStringLiteral("Vater") : QStringLiteral("Mutter"));
  if (!lookup || !seek(*lookup, key)) return {};
  Cursor& p = *lookup;
  ParentInfo info;
  info.tatoRechts = str(p, u"TatoRechts");
  info.tatoLinks = str(p, u"TatoLinks");
  info.rasse = breedName(p.field(QStringLiteral("Rasse")).value());
  if (!info.rasse.isEmpty()) info.farbe = colourName(p.field(QStringLiteral("Farbe")).value());
  info.koernote = str(p, u"Körnote");
  info.stallnummer = str(p, u"Stallnummer");
  info.erbformel = str(p, u"Erbformel");
  info.wurfgroesse = str(p, u"Wurfgroesse");
  info.geburtstag = str(p, u"Geburtstag");
  info.status = static_cast<int>(p.field(QStringLiteral("Status")).asInteger());
  const QVariant besitzer = p.field(QStringLiteral("Besitzer")).value();
  const QVariant zuechter = p.field(QStringLiteral("Zuechter")).value();
  if (Cursor* a = dm_.cursor(QStringLiteral("Adressen"))) {
    if (seek(*a, besitzer)) info.besitzer = store::personDisplay(str(*a, u"Vorname"), str(*a, u"Name"));
    if (seek(*a, zuechter)) info.zuechter = store::personDisplay(str(*a, u"Vorname"), str(*a, u"Name"));
  }
  const store::OwnUser& own = dm_.ownUser();
  return parentPanelLines(info, father, store::personDisplay(own.vorname, own.name));
}

void CardController::noteShownByCommand() {
  if (!noteShown_ || !hasen().isOpen() || !hasen().hasRecord() || hasen().state() == DataSetState::Insert) return;
  const engine::Field nummer = hasen().field(QStringLiteral("Nummer"));
  if (nummer.isNull()) return;
  if (noteShown_(str(hasen(), u"TatoRechts"), str(hasen(), u"TatoLinks"), nummer.asInteger()) && card())
    card()->lastShownAnimal = nummer.asInteger();
}

bool CardController::beginEdit() {
  Cursor& h = hasen();
  if (!h.isOpen()) return false;
  if (h.isEditing()) return true;
  if (!h.hasRecord()) return false;
  return store::guarded([&] { h.edit(); });
}

bool CardController::setFieldText(const QString& field, const QString& text) {
  return beginEdit() && store::guarded([&] { hasen().field(field).setString(text); });
}

bool CardController::setFieldValue(const QString& field, const QVariant& value) {
  return beginEdit() && store::guarded([&] { hasen().field(field).setValue(value); });
}

void CardController::chooseParent(bool father, qint64 nummer) {
  setFieldValue(father ? QStringLiteral("Vater") : QStringLiteral("Mutter"), QVariant(nummer));
}

void CardController::chooseAddress(bool breeder, qint64 laufendeNr) {
  setFieldValue(breeder ? QStringLiteral("Zuechter") : QStringLiteral("Besitzer"), QVariant(laufendeNr));
}

bool CardController::tattooPartsChanged(TattooPart changed, const QString& month, const QString& year,
                                        const QString& number) {
  if (card() && card()->tattooPartsGuard) return true;
  const QString& text = changed == TattooPart::Month ? month : changed == TattooPart::Year ? year : number;
  if (!tattooPartInBounds(changed, text)) {
    store::dialogs().inform(tattooPartMessage(changed));
    return false;
  }
  setFieldValue(QStringLiteral("TatoLinks"), joinTattooParts(month, year, number));
  return true;
}

void CardController::tattooPartsLeft(const QString& month, const QString& year, const QString& number) {
  if (!hasAnimal() || month.isEmpty() || year.isEmpty() || number.isEmpty()) return;
  if (!hasen().field(QStringLiteral("Geburtstag")).isNull()) return;
  dm_.deriveBirthDate();
}

void CardController::leftTattooLeft() {
  if (hasAnimal()) dm_.deriveBirthDate();
}

bool CardController::formulaFieldLeft(const QString& text) {
  if (formulaFieldAccepts(text)) return true;
  store::dialogs().error(store::messageText(kFormelFalsch));
  if (hasAnimal() && !hasen().field(QStringLiteral("Erbformel")).isNull()) setFieldValue(QStringLiteral("Erbformel"), {});
  return false;
}

QString CardController::genotypeHint() {
  const GenotypeRules& rules = genotypeRules();
  if (!rules.hint || !hasAnimal() || !hasen().findField(kGenotyp)) return {};
  QString colour, pattern;
  Cursor* farbe = dm_.cursor(QStringLiteral("StbFarbe"));
  if (farbe && seek(*farbe, hasen().field(QStringLiteral("Farbe")).value())) {
    colour = str(*farbe, u"Name");
    if (farbe->findField(kGenotyp)) pattern = farbe->field(kGenotyp).asString();
  }
  return rules.hint(hasen().field(kGenotyp).asString(), colour, pattern);
}

bool CardController::checkGenotype() {
  const GenotypeRules& rules = genotypeRules();
  Cursor& h = hasen();
  if (!rules.normalise || !h.isOpen() || !h.isEditing() || !h.findField(kGenotyp)) return true;
  const QString text = h.field(kGenotyp).asString();
  QString error;
  const std::optional<QString> normal = rules.normalise(text, &error);
  if (!normal) {
    store::dialogs().error(error);
    return false;
  }
  if (*normal == text) return true;
  return setFieldValue(kGenotyp, normal->isEmpty() ? QVariant() : QVariant(*normal));
}

bool CardController::setDate(const QString& cursorName, const QString& field, const QDate& date) {
  if (cursorName.compare(QStringLiteral("Hasen"), Qt::CaseInsensitive) == 0)
    return setFieldValue(field, date.isValid() ? QVariant(date) : QVariant());
  Cursor* c = dm_.cursor(cursorName);
  if (!c || !c->isOpen()) return false;
  return store::guarded([&] {
    if (!c->isEditing()) {
      if (c->hasRecord())
        c->edit();
      else
        c->append();
    }
    c->field(field).setDate(date);
  });
}

bool CardController::save() {
  for (const QString& name : {QStringLiteral("Hasen"), QStringLiteral("HasenZusatz")}) {
    Cursor* c = dm_.cursor(name);
    if (!c || !c->isOpen() || !c->isEditing()) continue;
    if (c == &hasen() && !checkGenotype()) return false;
    // A rule that stops the save has said why; a refused animal leaves its addition alone.
    store::guarded([&] { c->post(); });
    if (c->isEditing()) return false;
  }
  if (card() && !hasen().isEditing()) card()->setEditButtonsEnabled(false);
  return true;
}

bool CardController::undo() {
  for (const QString& name : {QStringLiteral("Hasen"), QStringLiteral("HasenZusatz")}) {
    Cursor* c = dm_.cursor(name);
    if (!c || !c->isOpen() || !c->isEditing()) continue;
    store::guarded([&] { c->cancel(); });
  }
  store::TCardState* state = card();
  if (state) state->setEditButtonsEnabled(false);
  if (!state || !state->newRecord) return false;
  state->newRecord = false;
  state->listRefreshPending = false;
  const qint64 last = state->lastShownAnimal;
  if (last <= 0) return false;
  state->undoingNewRecord = true;
  bool found = false;
  store::guarded([&] { found = dm_.gotoAnimal(last); });
  state->undoingNewRecord = false;
  return found;
}

bool CardController::settle() {
  Cursor& h = hasen();
  if (!h.isEditing()) return true;
  if (!checkGenotype()) return false;
  store::guarded([&] { h.checkBrowseMode(); });
  return !h.isEditing();
}

bool CardController::move(Move m) {
  Cursor& h = hasen();
  if (!h.isOpen() || !settle()) return false;
  return store::guarded([&] {
    switch (m) {
      case Move::First: h.first(); break;
      case Move::Prior: h.prior(); break;
      case Move::Next: h.next(); break;
      case Move::Last: h.last(); break;
    }
  });
}

void CardController::setMark() {
  if (hasen().isOpen() && hasen().hasRecord()) mark_ = hasen().bookmark();
}

bool CardController::gotoMark() {
  if (!mark_.isValid() || !settle()) return false;
  bool found = false;
  return store::guarded([&] { found = hasen().gotoBookmark(mark_); }) && found;
}

}  // namespace lapiro::card
