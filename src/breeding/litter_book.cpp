#include "breeding/litter_book.h"

#include "engine/cursor.h"
#include "shell/date_arith.h"
#include "shell/system_info.h"
#include "shows/show_score.h"
#include "store/animal_rules.h"
#include "store/catalogue.h"
#include "store/data_module.h"
#include "store/dialog_service.h"
#include "store/messages.h"

#include <map>

namespace lapiro::breeding {

using engine::Cursor;
using engine::DataSet;
using engine::DataSetState;
using engine::FieldType;

namespace {

QString str(DataSet& ds, const char16_t* field) { return ds.field(QString::fromUtf16(field)).asString(); }
bool isNull(DataSet& ds, const char16_t* field) { return ds.field(QString::fromUtf16(field)).isNull(); }
qint64 integer(DataSet& ds, const char16_t* field) { return ds.field(QString::fromUtf16(field)).asInteger(); }
void setCalc(DataSet& ds, const char16_t* field, const QVariant& v) { ds.field(QString::fromUtf16(field)).setValue(v); }

std::map<const store::TDatenStamm*, std::weak_ptr<TWurfbuch>>& registry() {
  static std::map<const store::TDatenStamm*, std::weak_ptr<TWurfbuch>> r;
  return r;
}

// Field sizes of the display texts: the longest tattoos (8 right, 10 left) must fit whole,
// or two distinct animals would show the same cut text.
constexpr int kTattooShortSize = 8 + 1 + 10;
constexpr int kTattooDisplaySize = 8 + 2 + 10;

}  // namespace

// ---------------------------------------------------------------- pure arithmetic

QDate expectedLitterDay(const QDate& decktermin, int gestationDays) {
  if (!decktermin.isValid()) return {};
  return shell::addDays(gestationDays, decktermin);
}

WeightFigures weightFigures(const std::vector<double>& weights, int index) {
  WeightFigures f;
  if (index < 0 || index >= static_cast<int>(weights.size())) return f;
  double previous = weights.front();
  double gain = 0.0;
  for (int i = 1; i <= index; ++i) {
    gain += weights[i] - previous;
    if (i < index) previous = weights[i];
  }
  f.differenz = weights[index] - previous;
  if (index == 0) f.differenz = 0.0;
  if (index >= 1) f.mittelwert = gain / index;
  return f;
}

std::optional<int> parseLitterFigure(const QString& text, QString* error) {
  const QString t = text.trimmed();
  if (t.isEmpty()) return std::nullopt;
  bool ok = false;
  const int v = t.toInt(&ok);
  if (!ok || v < 0 || v > 99) {
    if (error)
      *error = QStringLiteral("'%1' ist keine gültige Anzahl. Bitte eine ganze Zahl von 0 bis 99 eingeben.").arg(t);
    return std::nullopt;
  }
  return v;
}

QString implausibleLitterDayQuestion(const QDate& decktermin, const QDate& wurftag, int gestationDays) {
  if (!decktermin.isValid() || !wurftag.isValid()) return {};
  if (wurftag < decktermin)
    return QStringLiteral("Der Wurftag %1 liegt vor dem Deckdatum %2. Trotzdem speichern?")
        .arg(wurftag.toString(QStringLiteral("dd.MM.yyyy")), decktermin.toString(QStringLiteral("dd.MM.yyyy")));
  const QDate expected = expectedLitterDay(decktermin, gestationDays);
  if (expected.isValid() && wurftag > expected.addDays(40))
    return QStringLiteral("Der Wurftag %1 liegt mehr als 40 Tage nach dem errechneten Wurftermin %2. Trotzdem speichern?")
        .arg(wurftag.toString(QStringLiteral("dd.MM.yyyy")), expected.toString(QStringLiteral("dd.MM.yyyy")));
  return {};
}

QString judgingMissingPoints(core::Points koerper, core::Points fell, core::Points kopf, core::Points farbe,
                             core::Points unterfarbe) {
  using core::Points;
  return shows::formatPoints(Points::whole(20) - koerper) + u'/' + shows::formatPoints(Points::whole(15) - fell) + u'/' +
         shows::formatPoints(Points::whole(40) - (kopf + farbe + unterfarbe));
}

// ---------------------------------------------------------------- rules

Cursor& TWurfbuch::wurfbuch() { return dm_.at(QStringLiteral("Wurfbuch")); }

void TWurfbuch::WurfbuchCalcFields() {
  Cursor& w = wurfbuch();
  const QDate deck = w.field(QStringLiteral("Decktermin")).asDate();
  setCalc(w, u"Wurftermin", deck.isValid() ? QVariant(expectedLitterDay(deck, settings_.Stammdaten.TageTraechtigkeit)) : QVariant());
  setCalc(w, u"HaseName",
          isNull(w, u"Kater") ? QVariant() : QVariant(store::tattooDisplay(str(w, u"HaseTatoRechts"), str(w, u"HaseTatoLinks"))));
}

void TWurfbuch::countYoungAnimals() {
  Cursor& w = wurfbuch();
  if (!w.isOpen() || !w.hasRecord()) {
    foundBucks_ = foundDoes_ = 0;
    return;
  }
  if (w.field(QStringLiteral("Wurftag")).isNull()) return;
  foundBucks_ = foundDoes_ = 0;
  Cursor& young = dm_.at(QStringLiteral("JungtiereWurfbuch"));
  if (!young.isOpen()) return;
  // The master link follows an edited litter day only on the next move: read the range anew.
  young.refresh();
  qint64 lastFather = 0;
  for (young.first(); !young.eof() && young.hasRecord(); young.next()) {
    if (store::isBuck(young.field(QStringLiteral("Geschlecht")).asString()))
      ++foundBucks_;
    else
      ++foundDoes_;
    lastFather = young.field(QStringLiteral("Vater")).asInteger();
  }
  young.first();

  filling_ = true;
  try {
    bool changed = false;
    auto fill = [&](const char16_t* field, int found) {
      if (found < 1 || !isNull(w, field)) return;
      if (!w.isEditing()) w.edit();
      w.field(QString::fromUtf16(field)).setInteger(found);
      changed = true;
    };
    fill(u"WurfStMaennlich", foundBucks_);
    fill(u"WurfStWeiblich", foundDoes_);
    if (changed && integer(w, u"Kater") < 1 && lastFather > 0) w.field(QStringLiteral("Kater")).setInteger(lastFather);
  } catch (...) {
    filling_ = false;
    throw;
  }
  filling_ = false;
}

void TWurfbuch::WurfbuchAfterScroll() { countYoungAnimals(); }

void TWurfbuch::countCheck(const QString& field) {
  Cursor& w = wurfbuch();
  const bool male = field.compare(QStringLiteral("WurfStMaennlich"), Qt::CaseInsensitive) == 0;
  const int found = male ? foundBucks_ : foundDoes_;
  const engine::Field f = w.field(field);
  if (!f.isNull() && f.asInteger() < found &&
      store::dialogs().show(store::DialogKind::Information,
                            QStringLiteral("Es wurden mehr Jungtiere gefunden als eingegeben! Soll die Anzahl angepasst werden?"),
                            store::DialogButtons::YesNo) == store::DialogAnswer::Yes) {
    filling_ = true;
    f.setInteger(found);
    filling_ = false;
  }
  if (store::TCardState* card = dm_.card()) card->rebuildYoungAnimalRows();
}

void TWurfbuch::WurfbuchFieldChange(const QString& field) {
  if (filling_) return;
  if (field.compare(QStringLiteral("Wurftag"), Qt::CaseInsensitive) == 0) {
    // The young animals' link follows the litter only on moves and saves; a typed litter day
    // must reach it now.
    Cursor& young = dm_.at(QStringLiteral("JungtiereWurfbuch"));
    if (const store::CursorSpec* link = store::findCursor(young.name()); link && young.isOpen())
      young.setMaster(&wurfbuch(), link->masterFields, link->detailFields);
    countYoungAnimals();
  } else if (field.compare(QStringLiteral("WurfStMaennlich"), Qt::CaseInsensitive) == 0 ||
             field.compare(QStringLiteral("WurfStWeiblich"), Qt::CaseInsensitive) == 0) {
    countCheck(field);
  }
}

void TWurfbuch::WurfbuchBeforePost() {
  Cursor& w = wurfbuch();
  if (w.field(QStringLiteral("Katze")).isNull() && dm_.Hasen().hasRecord())
    w.field(QStringLiteral("Katze")).setValue(dm_.Hasen().field(QStringLiteral("Nummer")).value());
  for (const char16_t* f : {u"WurfStMaennlich", u"WurfStWeiblich", u"WurfStTot"}) {
    if (!isNull(w, f) && integer(w, f) < 0) {
      store::dialogs().warn(QStringLiteral("Die Wurfstärke darf nicht negativ sein."));
      throw engine::Abort();
    }
  }
  if (!dm_.confirmSave()) {
    w.cancel();
    throw engine::Abort();
  }
  const QString question = implausibleLitterDayQuestion(w.field(QStringLiteral("Decktermin")).asDate(),
                                                        w.field(QStringLiteral("Wurftag")).asDate(),
                                                        settings_.Stammdaten.TageTraechtigkeit);
  if (!question.isEmpty() && !store::dialogs().ask(question, store::DialogKind::Warning)) {
    w.cancel();
    throw engine::Abort();
  }
}

void TWurfbuch::WurfbuchAfterPost() {}

bool TWurfbuch::addLitter() {
  Cursor& w = wurfbuch();
  if (!w.isOpen() || !dm_.Hasen().hasRecord() || dm_.Hasen().field(QStringLiteral("Nummer")).isNull()) return false;
  try {
    if (w.isEditing()) w.post();
    w.append();
  } catch (const engine::Abort&) {
    return false;
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
    return false;
  }
  foundBucks_ = foundDoes_ = 0;
  return true;
}

bool TWurfbuch::deleteLitter() {
  Cursor& w = wurfbuch();
  if (!w.isOpen() || !w.hasRecord()) return false;
  if (!store::dialogs().askDelete(store::messageText(28))) return false;
  try {
    if (w.state() == DataSetState::Insert) {
      w.cancel();
    } else {
      if (w.isEditing()) w.cancel();
      w.deleteRecord();
    }
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
    return false;
  }
  if (w.isOpen() && !w.isEmpty()) w.last();
  return true;
}

void TWurfbuch::undoLitter() {
  Cursor& w = wurfbuch();
  if (!w.isOpen() || !w.isEditing()) return;
  w.cancel();
  if (!w.isEmpty()) countYoungAnimals();
}

void TWurfbuch::setBuck(qint64 nummer) {
  Cursor& w = wurfbuch();
  if (!w.isOpen()) return;
  if (!w.hasRecord() && !addLitter()) return;
  if (!w.isEditing()) w.edit();
  w.field(QStringLiteral("Kater")).setInteger(nummer);
}

bool TWurfbuch::deleteWeightRow() {
  Cursor& j = dm_.at(QStringLiteral("Jungtiere"));
  if (!j.isOpen() || !j.hasRecord()) return false;
  if (!store::dialogs().askDelete(store::messageText(15))) return false;
  try {
    if (j.state() == DataSetState::Insert) {
      j.cancel();
    } else {
      if (j.isEditing()) j.cancel();
      j.deleteRecord();
    }
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
    return false;
  }
  return true;
}

void TWurfbuch::JungtiereCalcFields() {
  Cursor& j = dm_.at(QStringLiteral("Jungtiere"));
  Cursor& walk = dm_.at(QStringLiteral("JungtiereBerechnung"));
  if (!walk.isOpen()) {
    store::dialogs().warn(store::messageText(kMeldungGewichteNichtBerechenbar));
    return;
  }
  // The rows before the shown one come from the walking cursor, in date order; the shown
  // row's weight is its own (it may be being edited).
  const QDate datum = j.field(QStringLiteral("Datum")).asDate();
  const qint64 nummer = j.field(QStringLiteral("Nummer")).asInteger();
  // The walking cursor is kept on the shown row's litter here rather than by a master link:
  // a link would follow the litter only after this cursor has already read its rows anew.
  const QString litterFilter = QStringLiteral("Wurf=%1").arg(j.field(QStringLiteral("Wurf")).asInteger());
  if (walk.filter() != litterFilter || !walk.filtered()) {
    walk.setFilter(litterFilter);
    walk.setFiltered(true);
  }
  std::vector<double> weights;
  const int dIdx = walk.fieldIndex(QStringLiteral("Datum"));
  const int gIdx = walk.fieldIndex(QStringLiteral("Gewicht"));
  const int nIdx = walk.fieldIndex(QStringLiteral("Nummer"));
  for (const auto& row : walk.readRows(0, 10000)) {
    const QDate d = row[dIdx].toDate();
    const qint64 n = row[nIdx].toLongLong();
    if (n == nummer) break;
    if (datum.isValid() && d.isValid() && d > datum) break;
    weights.push_back(row[gIdx].toDouble());
  }
  weights.push_back(j.field(QStringLiteral("Gewicht")).asFloat());
  const WeightFigures f = weightFigures(weights, static_cast<int>(weights.size()) - 1);
  setCalc(j, u"Differenz", f.differenz);
  setCalc(j, u"Mittelwert", f.mittelwert ? QVariant(*f.mittelwert) : QVariant());
}

void TWurfbuch::JungtiereBeforePost() {
  Cursor& j = dm_.at(QStringLiteral("Jungtiere"));
  if (!dm_.confirmSave()) {
    j.cancel();
    throw engine::Abort();
  }
}

void TWurfbuch::GedeckteHaesinnenCalcFields() {
  Cursor& g = dm_.at(QStringLiteral("GedeckteHaesinnen"));
  const qint64 reared = integer(g, u"WurfStMaennlich") + integer(g, u"WurfStWeiblich");
  setCalc(g, u"aufgezogen", reared);
  setCalc(g, u"Geboren", reared + integer(g, u"WurfStTot"));
  setCalc(g, u"NameHaesin",
          isNull(g, u"Katze") ? QVariant() : QVariant(store::tattooShortDisplay(str(g, u"HaesinTatoRechts"), str(g, u"HaesinTatoLinks"))));

  // The doe's best show result (own judgings left out); the winning row's values are kept
  // as it is met, so two rows of the same day cannot be mixed up.
  Cursor& shows = dm_.at(QStringLiteral("Haesinausstellung"));
  std::optional<shows::ShowPoints> best;
  if (shows.isOpen() && !isNull(g, u"Katze")) {
    shows.setFilter(QStringLiteral("Hase=%1").arg(integer(g, u"Katze")));
    shows.setFiltered(true);
    for (shows.first(); !shows.eof() && shows.hasRecord(); shows.next()) {
      const shows::ShowPoints p = shows::showPointsOf(shows);
      if (shows::isOwnJudgingTitle(p.titel)) continue;
      const core::Points value = p.eigeneBewertung.value_or(core::Points());
      if (!best || value > best->eigeneBewertung.value_or(core::Points())) best = p;
    }
  }
  static const char16_t* const kNames[] = {u"Gewicht1", u"Koerper2", u"Fell3", u"Kopf4", u"Farbe5", u"Unterfarbe6", u"Pflege7"};
  if (!best || best->eigeneBewertung.value_or(core::Points()).isZero()) {
    for (const char16_t* n : kNames) setCalc(g, n, QVariant());
    setCalc(g, u"GesamtPunkte", QVariant());
    setCalc(g, u"Fehlpunkte", QVariant());
    setCalc(g, u"PraedikatText", QVariant());
    return;
  }
  for (int i = 0; i < 7; ++i)
    setCalc(g, kNames[i], best->positions[i] ? QVariant(best->positions[i]->toDouble()) : QVariant());
  setCalc(g, u"GesamtPunkte", best->eigeneBewertung->toDouble());
  auto pos = [&](int i) { return best->positions[i].value_or(core::Points()); };
  using P = shows::ShowPoints;
  setCalc(g, u"Fehlpunkte", judgingMissingPoints(pos(P::Koerper2), pos(P::Fell3), pos(P::Kopf4), pos(P::Farbe5), pos(P::Unterfarbe6)));
  setCalc(g, u"PraedikatText", shows::gradeForTotal(*best->eigeneBewertung));
}

void TWurfbuch::RammlerJungtiereCalcFields() {
  Cursor& r = dm_.at(QStringLiteral("RammlerJungtiere"));
  const QString sex = str(r, u"Geschlecht");
  setCalc(r, u"GeschlechtAnzeige",
          sex == QStringLiteral("1") ? QStringLiteral("1.0") : sex == QStringLiteral("2") ? QStringLiteral("0.1") : QString());
  setCalc(r, u"Name", store::tattooDisplay(str(r, u"TatoRechts"), str(r, u"TatoLinks")));

  static const char16_t* const kNames[] = {u"Gewicht1", u"Koerper2", u"Fell3", u"Kopf4", u"Farbe5", u"Unterfarbe6", u"Pflege7"};
  Cursor& judged = dm_.at(QStringLiteral("BewertungJungtiere"));
  std::array<std::optional<core::Points>, 7> pos{};
  QVariant datum, gesamt;
  if (judged.isOpen() && !isNull(r, u"Nummer")) {
    const QVariantList key{integer(r, u"Nummer")};
    for (int i = 0; i < 7; ++i) {
      const QVariant v = judged.lookup(QStringLiteral("Hase"), key, QString::fromUtf16(kNames[i]));
      if (v.isValid() && !v.isNull()) pos[i] = core::Points::fromDouble(v.toDouble());
    }
    datum = judged.lookup(QStringLiteral("Hase"), key, QStringLiteral("Datum"));
    gesamt = judged.lookup(QStringLiteral("Hase"), key, QStringLiteral("EigeneBewertung"));
  }
  for (int i = 0; i < 7; ++i) setCalc(r, kNames[i], pos[i] ? QVariant(pos[i]->toDouble()) : QVariant());
  setCalc(r, u"DatumBewertung", datum);
  setCalc(r, u"Gesamtpunkte", gesamt);
  const bool hasTotal = gesamt.isValid() && !gesamt.isNull();
  auto p = [&](int i) { return pos[i].value_or(core::Points()); };
  using P = shows::ShowPoints;
  setCalc(r, u"Fehlpunkte",
          hasTotal ? QVariant(judgingMissingPoints(p(P::Koerper2), p(P::Fell3), p(P::Kopf4), p(P::Farbe5), p(P::Unterfarbe6)))
                   : QVariant());
  core::Points total = hasTotal ? core::Points::fromDouble(gesamt.toDouble()) : core::Points();
  if (total.isZero())
    for (int i = 0; i < 7; ++i) total += p(i);
  // Without any judging row there is nothing to show.
  const bool anything = hasTotal || std::any_of(pos.begin(), pos.end(), [](const auto& v) { return v.has_value(); });
  setCalc(r, u"GesamtPunkteAnzeige", anything ? QVariant(shows::formatPoints(total)) : QVariant());
  setCalc(r, u"Praedikat", anything ? QVariant(shows::gradeForTotal(total)) : QVariant());
}

// ---------------------------------------------------------------- attaching

std::shared_ptr<TWurfbuch> attachLitterRules(store::TDatenStamm& dm, shell::tsysteminfo& settings) {
  auto rules = std::make_shared<TWurfbuch>(dm, settings);
  registry()[&dm] = rules;

  Cursor& w = dm.at(QStringLiteral("Wurfbuch"));
  w.addCalculatedField(QStringLiteral("Wurftermin"), FieldType::Date);
  w.addLookupField(QStringLiteral("HaseTatoRechts"), FieldType::Alpha, 15, QStringLiteral("Kater"), QStringLiteral("Hasen"),
                   QStringLiteral("Nummer"), QStringLiteral("TatoRechts"));
  w.addLookupField(QStringLiteral("HaseTatoLinks"), FieldType::Alpha, 15, QStringLiteral("Kater"), QStringLiteral("Hasen"),
                   QStringLiteral("Nummer"), QStringLiteral("TatoLinks"));
  w.addCalculatedField(QStringLiteral("HaseName"), FieldType::Alpha, 30);
  w.events.onCalcFields = [rules](DataSet&) { rules->WurfbuchCalcFields(); };
  w.events.afterScroll = [rules](DataSet&) { rules->WurfbuchAfterScroll(); };
  w.events.onFieldChange = [rules](DataSet&, const QString& f) { rules->WurfbuchFieldChange(f); };
  w.events.beforePost = [rules](DataSet&) { rules->WurfbuchBeforePost(); };
  w.events.afterPost = [rules](DataSet&) { rules->WurfbuchAfterPost(); };

  // The young-animal rows show each young animal's breed name.
  dm.at(QStringLiteral("JungtiereWurfbuch"))
      .addLookupField(QStringLiteral("RasseAnzeige"), FieldType::Alpha, 25, QStringLiteral("Rasse"), QStringLiteral("Rasse"),
                      QStringLiteral("Nummer"), QStringLiteral("Name"));

  dm.at(QStringLiteral("JungtiereBerechnung")).clearMaster();
  Cursor& j = dm.at(QStringLiteral("Jungtiere"));
  j.addCalculatedField(QStringLiteral("Differenz"), FieldType::Number);
  j.addCalculatedField(QStringLiteral("Mittelwert"), FieldType::Number);
  j.events.onCalcFields = [rules](DataSet&) { rules->JungtiereCalcFields(); };
  j.events.beforePost = [rules](DataSet&) { rules->JungtiereBeforePost(); };

  Cursor& g = dm.at(QStringLiteral("GedeckteHaesinnen"));
  g.addLookupField(QStringLiteral("HaesinTatoRechts"), FieldType::Alpha, 15, QStringLiteral("Katze"), QStringLiteral("Hasen"),
                   QStringLiteral("Nummer"), QStringLiteral("TatoRechts"));
  g.addLookupField(QStringLiteral("HaesinTatoLinks"), FieldType::Alpha, 15, QStringLiteral("Katze"), QStringLiteral("Hasen"),
                   QStringLiteral("Nummer"), QStringLiteral("TatoLinks"));
  g.addCalculatedField(QStringLiteral("NameHaesin"), FieldType::Alpha, kTattooShortSize);
  g.addCalculatedField(QStringLiteral("aufgezogen"), FieldType::Long);
  g.addCalculatedField(QStringLiteral("Geboren"), FieldType::Long);
  for (const char16_t* n : {u"Gewicht1", u"Koerper2", u"Fell3", u"Kopf4", u"Farbe5", u"Unterfarbe6", u"Pflege7", u"GesamtPunkte"})
    g.addCalculatedField(QString::fromUtf16(n), FieldType::Number);
  g.addCalculatedField(QStringLiteral("Fehlpunkte"), FieldType::Alpha, 20);
  g.addCalculatedField(QStringLiteral("PraedikatText"), FieldType::Alpha, 20);
  g.events.onCalcFields = [rules](DataSet&) { rules->GedeckteHaesinnenCalcFields(); };

  Cursor& r = dm.at(QStringLiteral("RammlerJungtiere"));
  for (const char16_t* n : {u"Gewicht1", u"Koerper2", u"Fell3", u"Kopf4", u"Farbe5", u"Unterfarbe6", u"Pflege7", u"Gesamtpunkte"})
    r.addCalculatedField(QString::fromUtf16(n), FieldType::Number);
  r.addCalculatedField(QStringLiteral("DatumBewertung"), FieldType::Date);
  r.addCalculatedField(QStringLiteral("GeschlechtAnzeige"), FieldType::Alpha, 3);
  r.addCalculatedField(QStringLiteral("Name"), FieldType::Alpha, kTattooDisplaySize);
  r.addCalculatedField(QStringLiteral("GesamtPunkteAnzeige"), FieldType::Alpha, 10);
  r.addCalculatedField(QStringLiteral("Fehlpunkte"), FieldType::Alpha, 20);
  r.addCalculatedField(QStringLiteral("Praedikat"), FieldType::Alpha, 20);
  r.events.onCalcFields = [rules](DataSet&) { rules->RammlerJungtiereCalcFields(); };
  return rules;
}

TWurfbuch* litterBookOf(const store::TDatenStamm& dm) {
  auto it = registry().find(&dm);
  if (it == registry().end()) return nullptr;
  return it->second.lock().get();
}

}  // namespace lapiro::breeding
