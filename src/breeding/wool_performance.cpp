#include "breeding/wool_performance.h"

#include "core/number_input.h"
#include "engine/cursor.h"
#include "engine/query.h"
#include "store/data_module.h"
#include "store/dialog_service.h"
#include "store/guarded.h"

#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <memory>

namespace lapiro::breeding {

using engine::Cursor;
using engine::DataSet;
using engine::FieldType;

namespace {

const QString kBewertung = QStringLiteral("Bewertung");
const QString kIntervall = QStringLiteral("Schurintervall");
const QString kSchur1 = QStringLiteral("Schurergebnis1");
const QString kSchur2 = QStringLiteral("Schurergebnis2");
const QString kFilz = QStringLiteral("Filz");
const QString kJweInsgesamt = QStringLiteral("JWEInsgesamt");
const QString kWrzInsgesamt = QStringLiteral("WRZInsgesamt");

std::optional<qint64> optInt(DataSet& ds, const QString& name) {
  const engine::Field f = ds.field(name);
  if (f.isNull()) return std::nullopt;
  return f.asInteger();
}

void setOpt(DataSet& ds, const QString& name, std::optional<qint64> v) {
  if (v)
    ds.field(name).setInteger(*v);
  else
    ds.field(name).clear();
}

bool isPosition(const QString& name) {
  for (const WoolPosition& p : woolPositions())
    if (name.compare(QString::fromUtf16(p.field), Qt::CaseInsensitive) == 0) return true;
  return false;
}

// The judging total, summed exactly and stored as a float.
double positionSum(DataSet& ds) {
  core::Points sum;
  for (const WoolPosition& p : woolPositions())
    sum += core::Points::fromDouble(ds.field(QString::fromUtf16(p.field)).asFloat());
  return sum.toDouble();
}

bool currentAnimalIsWhite(store::TDatenStamm& dm) {
  Cursor& h = dm.Hasen();
  if (!h.isOpen() || !(h.hasRecord() || h.isEditing())) return false;
  return isWhiteColour(h.field(QStringLiteral("FarbeAnzeige")).asString());
}

QString oneDecimal(double v) { return QLocale(QLocale::German).toString(v, 'f', 1); }

// A number of at least 0 by the shared typed-number rules ("3.800" is 3800, "3.8" refused).
std::optional<double> parseDecimal(const QString& text) {
  const core::NumberReading r = core::readTypedNumber(text);
  if (!r.isNumber() || r.number->negative) return std::nullopt;
  const double v = r.number->toDouble();
  if (!std::isfinite(v)) return std::nullopt;
  return v;
}

}  // namespace

const std::array<WoolPosition, 7>& woolPositions() {
  static const std::array<WoolPosition, 7> positions = {{{u"Gewicht", u"1. Gewicht", 20},
                                                          {u"Koerper", u"2. Körperform und Bau", 20},
                                                          {u"Wolldichte", u"3. Wolldichte und Länge", 15},
                                                          {u"Ausgeglichenheit", u"4. Ausgeglichenheit der Wolle", 15},
                                                          {u"Wollstruktur", u"5. Wollstruktur", 15},
                                                          {u"Behang", u"6. Kopf- und Fußbehang", 10},
                                                          {u"Pflege", u"7. Pflegezustand", 5}}};
  return positions;
}

qint64 roundHalfEven(qint64 value, qint64 num, qint64 den) {
  const qint64 p = value * num;
  qint64 q = p / den;
  qint64 r = p % den;
  if (r < 0) {  // floor division for negative products
    q -= 1;
    r += den;
  }
  if (2 * r > den || (2 * r == den && (q % 2) != 0)) ++q;
  return q;
}

WoolYields woolYields(const QString& interval, std::optional<qint64> shear1, std::optional<qint64> shear2,
                      std::optional<qint64> felt) {
  WoolYields y;
  const qint64 i = shear1.value_or(0), ii = shear2.value_or(0), f = felt.value_or(0);
  y.schurergebnisInsgesamt = i + ii + f;
  const QString iv = interval.trimmed();
  if (iv == u"91") {
    y.jwe1 = 4 * i;
    y.jwe2 = 4 * ii;
    y.jweFilz = 4 * f;
    y.wrz2 = 3 * ii;
    y.wrzFilz = f;
  } else if (iv == u"84") {
    y.jwe1 = roundHalfEven(i, 435, 100);
    y.jwe2 = roundHalfEven(ii, 435, 100);
    y.jweFilz = roundHalfEven(f, 435, 100);
    y.wrz2 = roundHalfEven(ii, 326, 100);
    y.wrzFilz = f;
  } else {
    return y;
  }
  y.wrz1 = y.jwe1;
  return y;
}

QString animalPoints(qint64 wrz, bool white) {
  // The first band is 1000-1100 (white) or 801-900 (coloured); the next ones are 100 wide.
  const qint64 first = white ? 1000 : 801;
  const qint64 top = white ? 1100 : 900;
  if (wrz < first) return QStringLiteral("NB");
  const qint64 band = wrz <= top ? 0 : std::min<qint64>(3, (wrz - top - 1) / 100 + 1);
  return QString::number(37 + band);
}

QString ancestorPoints(qint64 wrz, bool white) {
  const QString p = animalPoints(wrz, white);
  if (p == u"NB") return p;
  return QString::number(p.toInt() - 10);
}

bool isWhiteColour(const QString& colourName) {
  const QString lower = colourName.toLower();
  return lower.contains(u"weiss") || lower.contains(u"weiß");
}

WoolFigures woolFigures(const WoolRecord& r) {
  WoolFigures f;
  f.yields = woolYields(r.interval, r.shear1, r.shear2, r.felt);
  const WoolYields& y = f.yields;

  f.punkte = animalPoints(r.wrzInsgesamt.value_or(0), r.white);
  f.punkteEltern = ancestorPoints(r.elternWrz.value_or(0), r.white);
  f.punkteGrosseltern = ancestorPoints(r.grosselternWrz.value_or(0), r.white);

  if (f.punkte == u"NB") {
    const bool noTotals = r.jweInsgesamt.value_or(0) == 0 || r.wrzInsgesamt.value_or(0) == 0;
    const bool gradeMissing = !r.shear1 || !r.shear2 || !r.felt;
    const bool anyYield = y.jwe1.value_or(0) != 0 || y.jwe2.value_or(0) != 0 || y.jweFilz.value_or(0) != 0;
    if (noTotals || (gradeMissing && anyYield)) f.punkte.clear();
  }
  if (f.punkteEltern == u"NB" && !r.elternWrz) f.punkteEltern.clear();
  if (f.punkteGrosseltern == u"NB" && !r.grosselternWrz) f.punkteGrosseltern.clear();

  for (const QString* p : {&f.punkte, &f.punkteEltern, &f.punkteGrosseltern})
    if (!p->isEmpty() && *p != u"NB") f.leistungspunkte += p->toInt();
  f.gesamtPunkte = core::Points::fromDouble(r.bewertung.value_or(0.0)) + core::Points::whole(f.leistungspunkte);
  f.gesamtNote = f.gesamtPunkte >= core::Points::whole(196) ? QStringLiteral("vorzüglich") : QStringLiteral("sehr gut");
  return f;
}

WoolRecord woolRecordOf(DataSet& ds, bool white) {
  WoolRecord r;
  r.interval = ds.field(kIntervall).asString();
  r.shear1 = optInt(ds, kSchur1);
  r.shear2 = optInt(ds, kSchur2);
  r.felt = optInt(ds, kFilz);
  r.jweInsgesamt = optInt(ds, kJweInsgesamt);
  r.wrzInsgesamt = optInt(ds, kWrzInsgesamt);
  r.elternWrz = optInt(ds, QStringLiteral("ElternWRZ"));
  r.grosselternWrz = optInt(ds, QStringLiteral("GrosselternWRZ"));
  if (!ds.field(kBewertung).isNull()) r.bewertung = ds.field(kBewertung).asFloat();
  r.white = white;
  return r;
}

QString judgingText(DataSet& ds) {
  QStringList parts;
  for (const WoolPosition& p : woolPositions()) parts << oneDecimal(ds.field(QString::fromUtf16(p.field)).asFloat());
  return parts.join(u'/') + u'=' + oneDecimal(ds.field(kBewertung).asFloat());
}

// ------------------------------------------------------------------ lookups

std::optional<std::pair<qint64, qint64>> WoolLookup::parents(qint64 nummer) {
  if (nummer <= 0) return std::nullopt;
  engine::Query q(engine_);
  q.setSql(QStringLiteral("SELECT Vater, Mutter FROM \"Hasen.db\" WHERE Nummer = :n"));
  q.setParam(QStringLiteral("n"), nummer);
  q.open();
  if (!q.hasRecord()) return std::nullopt;
  return std::pair{q.field(QStringLiteral("Vater")).asInteger(), q.field(QStringLiteral("Mutter")).asInteger()};
}

std::optional<AncestorTest> WoolLookup::test(qint64 nummer, bool newest) {
  if (nummer <= 0) return std::nullopt;
  engine::Query q(engine_);
  q.setSql(newest ? QStringLiteral("SELECT * FROM \"Angora.db\" WHERE Kaninchen = :n "
                                   "ORDER BY Vom DESC, Pruefstelle DESC, LaufendeNummer DESC")
                  : QStringLiteral("SELECT * FROM \"Angora.db\" WHERE Kaninchen = :n "
                                   "ORDER BY Vom, Pruefstelle, LaufendeNummer"));
  q.setParam(QStringLiteral("n"), nummer);
  q.open();
  if (!q.hasRecord()) return std::nullopt;
  AncestorTest t;
  t.jwe = q.field(kJweInsgesamt).asInteger();
  t.wrz = q.field(kWrzInsgesamt).asInteger();
  t.pruefstelle = q.field(QStringLiteral("Pruefstelle")).asString();
  t.llb = q.field(QStringLiteral("LLB")).asString();
  t.judging = judgingText(q);
  return t;
}

namespace {

// ":k0, :k1, ..." for `n` parameters, bound from `values` (0 where there are fewer values).
QString bindList(engine::Query& q, const QList<qint64>& values, int n) {
  QStringList names;
  for (int i = 0; i < n; ++i) {
    const QString name = QStringLiteral("k%1").arg(i);
    names << u':' + name;
    q.setParam(name, i < values.size() ? values[i] : qint64(0));
  }
  return names.join(QStringLiteral(", "));
}

}  // namespace

QHash<qint64, std::pair<qint64, qint64>> WoolLookup::parentsOf(const QList<qint64>& nummern) {
  QHash<qint64, std::pair<qint64, qint64>> result;
  if (nummern.isEmpty()) return result;
  engine::Query q(engine_);
  const QString list = bindList(q, nummern, 6);
  q.setSql(QStringLiteral("SELECT Nummer, Vater, Mutter FROM \"Hasen.db\" WHERE Nummer IN (%1)").arg(list));
  q.open();
  for (; !q.eof() && q.hasRecord(); q.next())
    result.insert(q.field(QStringLiteral("Nummer")).asInteger(),
                  {q.field(QStringLiteral("Vater")).asInteger(), q.field(QStringLiteral("Mutter")).asInteger()});
  return result;
}

QHash<qint64, std::pair<qint64, qint64>> WoolLookup::firstTotals(const QList<qint64>& nummern) {
  QHash<qint64, std::pair<qint64, qint64>> result;
  if (nummern.isEmpty()) return result;
  engine::Query q(engine_);
  const QString list = bindList(q, nummern, 6);
  q.setSql(QStringLiteral("SELECT Kaninchen, JWEInsgesamt, WRZInsgesamt FROM \"Angora.db\" WHERE Kaninchen IN (%1) "
                          "ORDER BY Kaninchen, Vom, Pruefstelle, LaufendeNummer")
               .arg(list));
  q.open();
  for (; !q.eof() && q.hasRecord(); q.next()) {
    const qint64 k = q.field(QStringLiteral("Kaninchen")).asInteger();
    if (!result.contains(k))
      result.insert(k, {q.field(kJweInsgesamt).asInteger(), q.field(kWrzInsgesamt).asInteger()});
  }
  return result;
}

AncestorAverages ancestorAverages(WoolLookup& lookup, qint64 nummer) {
  struct Sum {
    qint64 sum = 0;
    int count = 0;
    void add(qint64 v) {
      if (v == 0) return;
      sum += v;
      ++count;
    }
    std::optional<qint64> average() const { return count > 0 ? std::optional<qint64>(sum / count) : std::nullopt; }
  };
  Sum pJwe, pWrz, gJwe, gWrz;
  const auto self = lookup.parents(nummer);
  if (!self) return {};
  QList<qint64> parents;
  for (qint64 p : {self->first, self->second})
    if (p > 0) parents << p;
  // Parents not in the stock count for nothing, and neither do their parents.
  const QHash<qint64, std::pair<qint64, qint64>> found = lookup.parentsOf(parents);
  QList<qint64> tested;
  for (qint64 p : parents) {
    const auto it = found.constFind(p);
    if (it == found.constEnd()) continue;
    tested << p;
    if (it->first > 0) tested << it->first;
    if (it->second > 0) tested << it->second;
  }
  const QHash<qint64, std::pair<qint64, qint64>> totals = lookup.firstTotals(tested);
  for (qint64 p : parents) {
    const auto it = found.constFind(p);
    if (it == found.constEnd()) continue;
    if (const auto t = totals.constFind(p); t != totals.constEnd()) {
      pJwe.add(t->first);
      pWrz.add(t->second);
    }
    for (qint64 g : {it->first, it->second}) {
      if (g <= 0) continue;
      if (const auto t = totals.constFind(g); t != totals.constEnd()) {
        gJwe.add(t->first);
        gWrz.add(t->second);
      }
    }
  }
  return {pJwe.average(), pWrz.average(), gJwe.average(), gWrz.average()};
}

// ------------------------------------------------------------------ input

std::optional<qint64> parseWoolWeight(const QString& text, bool* ok) {
  *ok = true;
  if (text.trimmed().isEmpty()) return std::nullopt;
  const std::optional<double> v = parseDecimal(text);
  if (!v || *v > 1.0e9) {
    *ok = false;
    return std::nullopt;
  }
  return static_cast<qint64>(std::llround(*v));
}

std::optional<double> parsePositionPoints(int index, const QString& text, bool* ok) {
  *ok = true;
  if (text.trimmed().isEmpty()) return std::nullopt;
  const std::optional<double> v = parseDecimal(text);
  if (!v || *v > woolPositions()[static_cast<size_t>(index)].maximum) {
    *ok = false;
    return std::nullopt;
  }
  return v;
}

QString woolWeightRefusal(const QString& caption, const QString& text) {
  return core::refusalMessage(core::readTypedNumber(text),
                              QStringLiteral("»%1« ist kein gültiges Gewicht für %2: erlaubt sind ganze oder "
                                             "Dezimalzahlen ab 0 (Gramm, mit Dezimalkomma).")
                                  .arg(text.trimmed(), caption));
}

QString positionRefusal(int index, const QString& text) {
  const WoolPosition& p = woolPositions()[static_cast<size_t>(index)];
  return core::refusalMessage(core::readTypedNumber(text),
                              QStringLiteral("»%1« ist für „%2“ nicht zulässig: erlaubt sind 0 bis %3 Punkte.")
                                  .arg(text.trimmed(), QString::fromUtf16(p.caption))
                                  .arg(p.maximum));
}

// ------------------------------------------------------------------ rules

namespace {

// Set while the rules write a record on their own: no question about future dates then.
struct WoolRuleState {
  bool filling = false;
};

void computeFields(store::TDatenStamm& dm, DataSet& ds) {
  const WoolFigures f = woolFigures(woolRecordOf(ds, currentAnimalIsWhite(dm)));
  const WoolYields& y = f.yields;
  ds.field(QStringLiteral("SchurergebnisInsgesamt")).setInteger(y.schurergebnisInsgesamt);
  setOpt(ds, QStringLiteral("JWE1"), y.jwe1);
  setOpt(ds, QStringLiteral("JWE2"), y.jwe2);
  setOpt(ds, QStringLiteral("JWEFilz"), y.jweFilz);
  setOpt(ds, QStringLiteral("WRZ1"), y.wrz1);
  setOpt(ds, QStringLiteral("WRZ2"), y.wrz2);
  setOpt(ds, QStringLiteral("WRZFilz"), y.wrzFilz);
  ds.field(QStringLiteral("Punkte")).setString(f.punkte);
  ds.field(QStringLiteral("PunkteEltern")).setString(f.punkteEltern);
  ds.field(QStringLiteral("PunkteGrosseltern")).setString(f.punkteGrosseltern);
  ds.field(QStringLiteral("Leistungspunkte")).setInteger(f.leistungspunkte);
  ds.field(QStringLiteral("GesamtPunkte")).setFloat(f.gesamtPunkte.toDouble());
  ds.field(QStringLiteral("GesamtNote")).setString(f.gesamtNote);
}

void onFieldChange(DataSet& ds, const QString& name) {
  if (isPosition(name)) {
    ds.field(kBewertung).setFloat(positionSum(ds));
    return;
  }
  for (const QString& n : {kIntervall, kSchur1, kSchur2, kFilz}) {
    if (name.compare(n, Qt::CaseInsensitive) != 0) continue;
    const WoolYields y = woolYields(ds.field(kIntervall).asString(), optInt(ds, kSchur1), optInt(ds, kSchur2),
                                    optInt(ds, kFilz));
    if (y.anyJwe()) ds.field(kJweInsgesamt).setInteger(y.jweSum());
    if (y.anyWrz()) ds.field(kWrzInsgesamt).setInteger(y.wrzSum());
    return;
  }
}

void beforePost(store::TDatenStamm& dm, const WoolRuleState& state, DataSet& ds) {
  if (!state.filling) {
    const QDate today = dm.today();
    for (auto [field, caption] : {std::pair{u"Vom", u"Prüfung vom"}, std::pair{u"Bis", u"Prüfung bis"},
                                  std::pair{u"UrteilAm", u"Urteil am"}}) {
      const QDate d = ds.field(QString::fromUtf16(field)).asDate();
      if (!d.isValid() || d <= today) continue;
      const QString text = QStringLiteral("Das Datum „%1“ (%2) liegt in der Zukunft. Trotzdem speichern?")
                               .arg(QString::fromUtf16(caption), d.toString(QStringLiteral("dd.MM.yyyy")));
      if (!store::dialogs().ask(text, store::DialogKind::Warning)) throw engine::Abort();
    }
  }
  if (!dm.confirmSave()) {
    ds.cancel();
    throw engine::Abort();
  }
}

}  // namespace

void attachWoolRules(store::TDatenStamm& dm) {
  Cursor& c = dm.at(woolCursorName());
  c.addCalculatedField(QStringLiteral("SchurergebnisInsgesamt"), FieldType::Long);
  for (const char16_t* n : {u"JWE1", u"JWE2", u"JWEFilz", u"WRZ1", u"WRZ2", u"WRZFilz"})
    c.addCalculatedField(QString::fromUtf16(n), FieldType::Long);
  for (const char16_t* n : {u"Punkte", u"PunkteEltern", u"PunkteGrosseltern"})
    c.addCalculatedField(QString::fromUtf16(n), FieldType::Alpha, 2);
  c.addCalculatedField(QStringLiteral("Leistungspunkte"), FieldType::Long);
  c.addCalculatedField(QStringLiteral("GesamtPunkte"), FieldType::Number);
  c.addCalculatedField(QStringLiteral("GesamtNote"), FieldType::Alpha, 40);
  c.events.onCalcFields = [&dm](DataSet& ds) { computeFields(dm, ds); };
  c.events.onFieldChange = [](DataSet& ds, const QString& name) { onFieldChange(ds, name); };
  auto state = std::make_shared<WoolRuleState>();
  c.events.beforePost = [&dm, state](DataSet& ds) { beforePost(dm, *state, ds); };
  c.events.afterScroll = [&dm, state](DataSet&) {
    if (state->filling || !dm.card()) return;
    state->filling = true;
    fillOnArrival(dm);
    state->filling = false;
  };
}

bool fillOnArrival(store::TDatenStamm& dm) {
  Cursor& c = dm.at(woolCursorName());
  if (!c.isOpen() || !c.hasRecord() || c.isEditing()) return false;

  std::optional<double> bewertung;
  if (c.field(kBewertung).isNull()) bewertung = positionSum(c);
  const WoolYields y = woolYields(c.field(kIntervall).asString(), optInt(c, kSchur1), optInt(c, kSchur2),
                                  optInt(c, kFilz));
  std::optional<qint64> jwe, wrz;
  if (c.field(kJweInsgesamt).isNull() && y.anyJwe()) jwe = y.jweSum();
  if (c.field(kWrzInsgesamt).isNull() && y.anyWrz()) wrz = y.wrzSum();

  const QString names[4] = {QStringLiteral("ElternJWE"), QStringLiteral("ElternWRZ"), QStringLiteral("GrosselternJWE"),
                            QStringLiteral("GrosselternWRZ")};
  std::optional<qint64> averages[4];
  bool anyEmpty = false;
  for (const QString& n : names) anyEmpty = anyEmpty || c.field(n).isNull();
  if (anyEmpty) {
    const bool read = store::guarded([&] {
      WoolLookup lookup(c.engine());
      const AncestorAverages a = ancestorAverages(lookup, c.field(QStringLiteral("Kaninchen")).asInteger());
      const std::optional<qint64> values[4] = {a.elternJwe, a.elternWrz, a.grosselternJwe, a.grosselternWrz};
      for (int i = 0; i < 4; ++i)
        if (c.field(names[i]).isNull()) averages[i] = values[i];
    });
    if (!read) return false;
  }
  bool changes = bewertung || jwe || wrz;
  for (const auto& a : averages) changes = changes || a.has_value();
  if (!changes) return false;

  bool ok = store::guarded([&] {
    c.edit();
    if (bewertung) c.field(kBewertung).setFloat(*bewertung);
    if (jwe) c.field(kJweInsgesamt).setInteger(*jwe);
    if (wrz) c.field(kWrzInsgesamt).setInteger(*wrz);
    for (int i = 0; i < 4; ++i)
      if (averages[i]) c.field(names[i]).setInteger(*averages[i]);
  });
  if (ok) ok = dm.saveWithoutQuestion(c);
  if (!ok && c.isEditing()) c.cancel();
  return ok;
}

bool appendWoolTest(store::TDatenStamm& dm) {
  Cursor& h = dm.Hasen();
  if (!h.isOpen() || !h.hasRecord() || h.state() == engine::DataSetState::Insert) return false;
  Cursor& c = dm.at(woolCursorName());
  if (!c.isOpen()) return false;
  return store::guarded([&] { c.append(); });
}

}  // namespace lapiro::breeding
