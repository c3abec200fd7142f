#include "breeding/koerung.h"

#include "card/pedigree.h"
#include "core/number_input.h"
#include "engine/cursor.h"
#include "engine/engine.h"
#include "engine/query.h"
#include "shell/system_info.h"
#include "shows/show_score.h"
#include "store/animal_rules.h"
#include "store/data_module.h"
#include "store/dialog_service.h"
#include "store/messages.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace lapiro::breeding {

using engine::Cursor;

namespace {

QString s(const char16_t* t) { return QString::fromUtf16(t); }

QString dayText(const QDate& d) { return d.toString(QStringLiteral("dd.MM.yyyy")); }

using core::Points;

std::optional<Points> optionalPoints(Cursor& c, const QString& name) {
  if (!c.findField(name) || c.field(name).isNull()) return std::nullopt;
  return Points::fromDouble(c.field(name).asFloat());
}
std::optional<int> optionalShort(Cursor& c, const QString& name) {
  if (!c.findField(name) || c.field(name).isNull()) return std::nullopt;
  return static_cast<int>(c.field(name).asInteger());
}
void setOptional(Cursor& c, const QString& name, const std::optional<int>& v) {
  if (v) c.field(name).setInteger(*v);
  else c.field(name).clear();
}
void setText(Cursor& c, const QString& name, const QString& v) {
  if (v.isEmpty()) c.field(name).clear();
  else c.field(name).setString(v);
}

const std::array<QString, 7>& positionNames() { return shows::positionFieldNames(); }

}  // namespace

// ------------------------------------------------------------------ breeding year

QDate breedingYearStart(const QDate& day) {
  if (!day.isValid()) return {};
  return QDate(day.month() >= 11 ? day.year() : day.year() - 1, 11, 1);
}

QString breedingYearFilter(qint64 buck, const QDate& day) {
  return QStringLiteral("(Kater = ") + QString::number(buck) + QStringLiteral(") and") + QStringLiteral("(Wurftag >= '") +
         dayText(breedingYearStart(day)) + QStringLiteral("')and") + QStringLiteral("(Wurftag <= '") + dayText(day) +
         QStringLiteral("')and") + QStringLiteral("(((WurfStMaennlich>=1)and(WurfStWeiblich>=2))or") +
         QStringLiteral("((WurfStMaennlich>=2)and(WurfStWeiblich>=1))or") + QStringLiteral("(WurfStWeiblich>=3)or") +
         QStringLiteral("(WurfStMaennlich>=3))");
}

QString youngOfLitterFilter(qint64 doe, const QDate& wurftag) {
  if (doe <= 0 || !wurftag.isValid()) return QStringLiteral("Mutter=-1");
  return QStringLiteral("(Mutter=%1)and(Geburtstag='%2')").arg(doe).arg(dayText(wurftag));
}

// ------------------------------------------------------------------ score grid

int positionMaximum(int position) {
  // The judging schemes of the breed groups differ in how they weigh weight and grooming, so
  // those two take what the largest scheme gives; body 20, fur 15 and positions 4–6 together
  // 40 are the same everywhere (the missing points are counted from them). The row's total is
  // checked against 100 as well.
  static constexpr std::array<int, 7> kMax{20, 20, 15, kGroupMaximum, kGroupMaximum, kGroupMaximum, 15};
  return position >= 0 && position < 7 ? kMax[static_cast<size_t>(position)] : 0;
}

bool acceptsScoreKey(QChar key) { return key.isDigit() && key.unicode() < 128 ? true : key == u',' || key == u'\b'; }

std::optional<Points> parseScore(const QString& text, int position, QString* error) {
  const QString t = text.trimmed();
  if (t.isEmpty()) return std::nullopt;
  // Digits with one decimal comma only: no sign, no grouping point, at most two decimals.
  const core::NumberReading r = core::readTypedNumber(t);
  const QString where = QStringLiteral("Position %1").arg(position + 1);
  if (!r.isNumber() || t.contains(u'.') || t.startsWith(u',') || t.endsWith(u',') || t.startsWith(u'-') ||
      t.startsWith(u'+') || r.number->fraction.size() > 2 || r.number->whole.size() > 3) {
    if (error)
      *error = core::refusalMessage(r, QStringLiteral("\"%1\" ist keine gültige Punktzahl (%2).").arg(t, where));
    return std::nullopt;
  }
  const Points v = Points::fromHundredths(*r.number->scaled(2));
  if (v > Points::whole(positionMaximum(position))) {
    if (error)
      *error = QStringLiteral("%1: höchstens %2 Punkte, nicht %3.").arg(where).arg(positionMaximum(position)).arg(t);
    return std::nullopt;
  }
  return v;
}

RowFigures rowFigures(const ScoreRow& row) {
  RowFigures f;
  std::array<Points, 7> v{};
  std::array<bool, 7> set{};
  for (int i = 0; i < 7; ++i) {
    QString error;
    const auto p = parseScore(row.cells[static_cast<size_t>(i)], i, &error);
    if (!error.isEmpty() && f.error.isEmpty()) f.error = row.name.isEmpty() ? error : row.name + QStringLiteral(": ") + error;
    if (p) {
      v[static_cast<size_t>(i)] = *p;
      set[static_cast<size_t>(i)] = true;
    }
  }
  const Points group = v[3] + v[4] + v[5];
  if (f.error.isEmpty() && group > Points::whole(kGroupMaximum))
    f.error = (row.name.isEmpty() ? QString() : row.name + QStringLiteral(": ")) +
              QStringLiteral("Positionen 4 bis 6 zusammen höchstens %1 Punkte, nicht %2.")
                  .arg(kGroupMaximum)
                  .arg(shows::formatPoints(group));
  for (Points x : v) f.total += x;
  if (f.error.isEmpty() && f.total > Points::whole(100))
    f.error = (row.name.isEmpty() ? QString() : row.name + QStringLiteral(": ")) +
              QStringLiteral("Zusammen höchstens 100 Punkte, nicht %1.").arg(shows::formatPoints(f.total));
  if (f.total.isZero()) return f;
  f.totalText = shows::formatPoints(f.total);
  f.grade = shows::gradeForTotal(f.total);
  // The live line puts the group of positions 4 to 6 second (body / 4–6 / fur), unlike the
  // stored rows' body / fur / 4–6; judges read it in the order of the judging card.
  auto rest = [&](int max, Points got, bool any) {
    return any ? shows::formatPoints(Points::whole(max) - got) : QString::number(max);
  };
  f.missing = rest(20, v[1], set[1]) + u'/' + shows::formatPoints(Points::whole(kGroupMaximum) - group) + u'/' +
              rest(15, v[2], set[2]);
  return f;
}

// ------------------------------------------------------------------ Körnote items

AncestorCounts countAncestors(const std::array<bool, 15>& present) {
  auto side = [&](int parent, int grandA, int greatFirst) {
    int n = 0;
    if (!present[static_cast<size_t>(parent)]) return n;
    n = 1;
    n += present[static_cast<size_t>(grandA)] ? 1 : 0;
    n += present[static_cast<size_t>(grandA + 1)] ? 1 : 0;
    if (n == 3)
      for (int k = greatFirst; k < greatFirst + 4; ++k) n += present[static_cast<size_t>(k)] ? 1 : 0;
    return n;
  };
  return {side(1, 3, 7), side(2, 5, 11)};
}

int ancestryPoints(const AncestorCounts& counts) {
  const int n = std::min(counts.vater, counts.mutter);
  if (n <= 0) return 0;
  if (n <= 2) return 4;
  if (n <= 4) return 6;
  if (n <= 6) return 8;
  return 10;
}

std::optional<Points> Presentation::mean() const {
  if (kept.empty()) return std::nullopt;
  Points sum;
  for (const LitterYoung& y : kept) sum += y.total.value_or(Points());
  return Points::mean(sum, count());
}

QString Presentation::countText() const { return QString::number(count()); }

QString Presentation::meanText() const {
  const auto m = mean();
  return m ? m->twoDecimals() : QString();
}

QString Presentation::scoresText(bool secondDoe) const {
  if (kept.empty()) return QStringLiteral("0");
  QString text;
  for (size_t i = 0; i < kept.size(); ++i) {
    const QString total = shows::formatPoints(kept[i].total.value_or(Points()));
    if (i > 0) text += secondDoe ? QStringLiteral(" / ") : QStringLiteral("  /  ");
    text += kept[i].name + (secondDoe ? QStringLiteral("  ") : QStringLiteral("-")) + total;
  }
  return text;
}

Presentation choosePresented(const std::vector<LitterYoung>& young) {
  Presentation p;
  for (const LitterYoung& y : young) {
    if (!y.total || *y.total < Points::whole(89)) continue;
    if (p.kept.size() < static_cast<size_t>(kPresentedYoung)) {
      p.kept.push_back(y);
      continue;
    }
    auto lowest = std::min_element(p.kept.begin(), p.kept.end(),
                                   [](const LitterYoung& a, const LitterYoung& b) { return *a.total < *b.total; });
    if (*y.total > *lowest->total) *lowest = y;
  }
  return p;
}

QString shortScoresText(const QString& scores) {
  if (scores.size() <= kShortScoresSize) return scores;
  // Cut at the last separator whose entries before it fit; an entry may end on the field's
  // last character, so the separator itself may lie beyond it.
  int cut = 0;
  for (int i = scores.indexOf(u'/'); i >= 0; i = scores.indexOf(u'/', i + 1)) {
    if (QStringView(scores).left(i).trimmed().size() > kShortScoresSize) break;
    cut = i;
  }
  return cut == 0 ? scores.left(kShortScoresSize) : scores.left(cut).trimmed();
}

int balancePoints(const Presentation& p) {
  const auto m = p.mean();
  if (!m) return 0;
  // Thresholds for 10, 8 and 6 points by the number presented.
  // In hundredths of a point; the mean is compared as shown, two decimals.
  struct Row {
    qint64 ten, eight, six;
  };
  static constexpr Row kRows[] = {{9600, 9500, 9400}, {9550, 9450, 9350}, {9500, 9400, 9300}};
  if (p.count() < 3) return 0;
  const Row& r = kRows[std::min(p.count(), 5) - 3];
  const Points v = *m;
  if (v >= Points::fromHundredths(r.ten)) return 10;
  if (v >= Points::fromHundredths(r.eight)) return 8;
  if (v >= Points::fromHundredths(r.six)) return 6;
  return 0;
}

int buckPoints(std::optional<Points> bestTotal) {
  if (!bestTotal) return 0;
  if (*bestTotal >= Points::whole(96)) return 10;
  if (*bestTotal >= Points::whole(94)) return 8;
  return 0;
}

std::optional<int> woolItemPoints(double lp) {
  if (lp < 94.0) return std::nullopt;
  if (lp < 96.0) return 4;
  if (lp < 98.0) return 6;
  if (lp < 100.0) return 8;
  return 10;
}

int koernoteSum(const std::array<std::optional<int>, 5>& punkte, bool langhaar) {
  int sum = 0;
  for (size_t i = 0; i < (langhaar ? 5u : 4u); ++i) sum += punkte[i].value_or(0);
  return sum;
}

KoernoteResult computeKoernote(const KoernoteInput& in) {
  KoernoteResult r;
  r.counts = countAncestors(in.ancestors);
  r.punkte[0] = ancestryPoints(r.counts);
  r.punkte[1] = 0;
  r.punkte[2] = 0;
  if (in.litter1) {
    r.haesin1 = choosePresented(*in.litter1);
    r.punkte[1] = balancePoints(r.haesin1);
  }
  if (in.litter2) {
    r.haesin2 = choosePresented(*in.litter2);
    r.punkte[2] = balancePoints(r.haesin2);
  }
  r.buckBest = in.buckBest;
  r.punkte[3] = buckPoints(in.buckBest);
  r.langhaar = in.langhaar;
  if (in.langhaar) {
    r.woolLeistungspunkte = in.woolLeistungspunkte;
    if (in.woolLeistungspunkte) r.punkte[4] = woolItemPoints(*in.woolLeistungspunkte);
  }
  r.koernote = koernoteSum(r.punkte, r.langhaar);
  return r;
}

// ------------------------------------------------------------------ TKoerung

void TKoerung::applyBreedingYear(const QDate& day) {
  Cursor& h = dm_.Hasen();
  Cursor& g = dm_.at(QStringLiteral("GedeckteHaesinnen"));
  if (!g.isOpen() || !h.hasRecord() || !day.isValid()) return;
  g.setFilter(breedingYearFilter(h.field(QStringLiteral("Nummer")).asInteger(), day));
  g.setFiltered(true);
}

std::optional<Points> TKoerung::positionBestShowRow() {
  bestTotal_.reset();
  Cursor& a = dm_.at(QStringLiteral("Ausstellung"));
  if (!a.isOpen() || a.isEmpty()) return bestTotal_;
  // The winning row is kept by its key, so two rows of the same day cannot be mixed up.
  std::optional<qint64> bestKey;
  for (a.first(); !a.eof() && a.hasRecord(); a.next()) {
    const shows::ShowPoints p = shows::showPointsOf(a);
    if (shows::isOwnJudgingTitle(p.titel)) continue;
    const auto total = shows::showTotal(p);
    if (!total || total->isZero()) continue;
    if (!bestTotal_ || *total > *bestTotal_) {
      bestTotal_ = *total;
      bestKey = a.field(QStringLiteral("Nummer")).asInteger();
    }
  }
  if (bestKey) a.locate(QStringLiteral("Nummer"), {*bestKey});
  else a.last();
  return bestTotal_;
}

KoerungRecord TKoerung::record() {
  KoerungRecord r;
  Cursor& k = dm_.at(QStringLiteral("Koernote"));
  if (!k.isOpen() || k.isEmpty()) return r;
  if (!k.isEditing()) k.first();
  r.exists = true;
  r.saved = k.field(QStringLiteral("Druck")).asBool();
  r.datum = k.field(QStringLiteral("Datum")).asDate();
  if (!k.field(QStringLiteral("Haesin1")).isNull()) r.haesin1 = k.field(QStringLiteral("Haesin1")).asInteger();
  if (!k.field(QStringLiteral("Haesin2")).isNull()) r.haesin2 = k.field(QStringLiteral("Haesin2")).asInteger();
  r.anzahlVater = k.field(QStringLiteral("AnzahlVater")).asString();
  r.anzahlMutter = k.field(QStringLiteral("AnzahlMutter")).asString();
  for (int i = 0; i < 5; ++i) r.punkte[static_cast<size_t>(i)] = optionalShort(k, QStringLiteral("Punkte%1").arg(i + 1));
  r.vorgestellt1 = k.field(QStringLiteral("Vorgestellt1")).asString();
  r.vorgestellt2 = k.field(QStringLiteral("Vorgestellt2")).asString();
  r.mittel1 = k.field(QStringLiteral("Mittel1")).asString();
  r.mittel2 = k.field(QStringLiteral("Mittel2")).asString();
  // The full scores live in the wide fields; files written before them hold only the short ones.
  auto scores = [&](int n) {
    const QString wide = QStringLiteral("BewertungText%1").arg(n);
    if (k.findField(wide) && !k.field(wide).isNull()) return k.field(wide).asString();
    return k.field(QStringLiteral("Bewertung%1").arg(n)).asString();
  };
  r.bewertung1 = scores(1);
  r.bewertung2 = scores(2);
  r.rammlerPunkte = optionalPoints(k, QStringLiteral("RammlerPunkte"));
  r.wollwert = optionalShort(k, QStringLiteral("Wollwert"));
  return r;
}

std::optional<CoveredLitter> TKoerung::coveredLitter(qint64 laufendeNummer) {
  Cursor& g = dm_.at(QStringLiteral("GedeckteHaesinnen"));
  if (!g.isOpen() || !g.locate(QStringLiteral("LaufendeNummer"), {laufendeNummer})) return std::nullopt;
  return CoveredLitter{laufendeNummer, g.field(QStringLiteral("NameHaesin")).asString(),
                       g.field(QStringLiteral("Wurftag")).asDate()};
}

std::optional<CoveredLitter> TKoerung::litterByNumber(qint64 laufendeNummer) {
  engine::Query q(dm_.Hasen().engine());
  q.setSql(QStringList{QStringLiteral("SELECT w.Wurftag,h.TatoRechts,h.TatoLinks FROM \"Wurfbuch.DB\" w,\"Hasen.db\" h"),
                       QStringLiteral("WHERE (w.LaufendeNummer=:Wurf)and(h.Nummer=w.Katze)")});
  q.setParam(QStringLiteral("Wurf"), laufendeNummer);
  q.open();
  if (q.isEmpty()) return std::nullopt;
  q.first();
  return CoveredLitter{laufendeNummer,
                       store::tattooShortDisplay(q.field(QStringLiteral("TatoRechts")).asString(),
                                                 q.field(QStringLiteral("TatoLinks")).asString()),
                       q.field(QStringLiteral("Wurftag")).asDate()};
}

void TKoerung::showYoungOfCurrentLitter() {
  Cursor& g = dm_.at(QStringLiteral("GedeckteHaesinnen"));
  Cursor& r = dm_.at(QStringLiteral("RammlerJungtiere"));
  if (!r.isOpen()) return;
  const bool has = g.isOpen() && g.hasRecord() && !g.isEmpty();
  r.setFilter(has ? youngOfLitterFilter(g.field(QStringLiteral("Katze")).asInteger(), g.field(QStringLiteral("Wurftag")).asDate())
                  : youngOfLitterFilter(0, {}));
  r.setFiltered(true);
}

std::vector<ScoreRow> TKoerung::scoreRows(QDate* evaluationDay) {
  std::vector<ScoreRow> rows;
  if (evaluationDay) *evaluationDay = QDate();
  Cursor& r = dm_.at(QStringLiteral("RammlerJungtiere"));
  if (!r.isOpen()) return rows;
  for (r.first(); !r.eof() && r.hasRecord(); r.next()) {
    ScoreRow row;
    row.nummer = r.field(QStringLiteral("Nummer")).asInteger();
    row.name = r.field(QStringLiteral("Name")).asString();
    row.geschlecht = r.field(QStringLiteral("GeschlechtAnzeige")).asString();
    for (int i = 0; i < 7; ++i) {
      const auto v = optionalPoints(r, positionNames()[static_cast<size_t>(i)]);
      row.cells[static_cast<size_t>(i)] = v ? shows::formatPoints(*v) : QString();
    }
    if (rows.empty() && evaluationDay) *evaluationDay = r.field(QStringLiteral("DatumBewertung")).asDate();
    rows.push_back(row);
  }
  r.first();
  return rows;
}

bool TKoerung::saveScores(const std::vector<ScoreRow>& rows, const QDate& day, bool askFirst) {
  // Check every row that would be saved before anything is written.
  std::vector<std::pair<const ScoreRow*, RowFigures>> toSave;
  for (size_t i = 0; i < rows.size() && i < static_cast<size_t>(kScoreGridRows); ++i) {
    const RowFigures f = rowFigures(rows[i]);
    if (!f.error.isEmpty()) {
      store::dialogs().warn(f.error);
      return false;
    }
    if (!f.total.isZero() && rows[i].nummer > 0) toSave.emplace_back(&rows[i], f);
  }
  if (toSave.empty()) return true;
  if (askFirst && !dm_.confirmSave()) return false;

  Cursor& b = dm_.at(QStringLiteral("BewertungJungtiere"));
  try {
    for (const auto& [row, f] : toSave) {
      if (b.locate(QStringLiteral("Hase"), {row->nummer})) {
        b.edit();
      } else {
        b.append();
        b.field(QStringLiteral("Hase")).setInteger(row->nummer);
        if (day.isValid()) b.field(QStringLiteral("Datum")).setDate(day);
        b.field(QStringLiteral("Titel")).setString(koerungTitle());
      }
      for (int i = 0; i < 7; ++i) {
        QString ignored;
        const auto v = parseScore(row->cells[static_cast<size_t>(i)], i, &ignored);
        const QString& name = positionNames()[static_cast<size_t>(i)];
        if (v) b.field(name).setFloat(v->toDouble());
        else b.field(name).clear();
      }
      b.field(QStringLiteral("EigeneBewertung")).setFloat(f.total.toDouble());
      b.post();
    }
  } catch (const engine::EngineError& e) {
    if (b.isEditing()) b.cancel();
    store::dialogs().error(e.message());
    return false;
  }
  // The young animals' looked-up scores are read anew.
  dm_.at(QStringLiteral("RammlerJungtiere")).refresh();
  return true;
}

bool TKoerung::editRecord() {
  Cursor& k = dm_.at(QStringLiteral("Koernote"));
  Cursor& h = dm_.Hasen();
  if (!k.isOpen() || !h.hasRecord()) return false;
  if (k.isEditing()) return true;
  if (k.isEmpty()) {
    k.append();
    k.field(QStringLiteral("Hase")).setInteger(h.field(QStringLiteral("Nummer")).asInteger());
  } else {
    k.first();
    k.edit();
  }
  return true;
}

bool TKoerung::assignLitter(int panel, qint64 laufendeNummer) {
  if (panel != 1 && panel != 2) return false;
  const KoerungRecord rec = record();
  const std::optional<qint64>& other = panel == 1 ? rec.haesin2 : rec.haesin1;
  if (other && *other == laufendeNummer) {
    store::dialogs().warn(QStringLiteral("Dieser Wurf ist bereits als %1. Häsin gewählt. Bitte einen anderen Wurf wählen.")
                              .arg(panel == 1 ? 2 : 1));
    return false;
  }
  if (rec.saved && !store::dialogs().ask(store::messageText(kMeldungKoerungUeberschreiben), store::DialogKind::Information))
    return false;
  if (!dm_.confirmSave()) return false;
  Cursor& k = dm_.at(QStringLiteral("Koernote"));
  try {
    if (!editRecord()) return false;
    k.field(panel == 1 ? QStringLiteral("Haesin1") : QStringLiteral("Haesin2")).setInteger(laufendeNummer);
    k.post();
  } catch (const engine::EngineError& e) {
    if (k.isEditing()) k.cancel();
    store::dialogs().error(e.message());
    return false;
  }
  return true;
}

std::optional<std::vector<LitterYoung>> TKoerung::litterYoung(qint64 laufendeNummer) {
  Cursor& g = dm_.at(QStringLiteral("GedeckteHaesinnen"));
  Cursor& r = dm_.at(QStringLiteral("RammlerJungtiere"));
  if (!r.isOpen() || !coveredLitter(laufendeNummer)) return std::nullopt;
  r.setFilter(youngOfLitterFilter(g.field(QStringLiteral("Katze")).asInteger(), g.field(QStringLiteral("Wurftag")).asDate()));
  r.setFiltered(true);
  std::vector<LitterYoung> young;
  for (r.first(); !r.eof() && r.hasRecord(); r.next())
    young.push_back({r.field(QStringLiteral("Name")).asString(), shows::parsePoints(r.field(QStringLiteral("GesamtPunkteAnzeige")).asString())});
  return young;
}

KoernoteResult TKoerung::compute(const QDate& day) {
  Cursor& h = dm_.Hasen();
  KoernoteInput in;
  if (!h.hasRecord()) return computeKoernote(in);

  const card::PedigreeBoxes boxes =
      card::buildPedigree(dm_, h.field(QStringLiteral("Vater")).asInteger(), h.field(QStringLiteral("Mutter")).asInteger(),
                          settings_.AnzeigeReihenfolge, 3);
  for (int k = 1; k <= 14; ++k) in.ancestors[static_cast<size_t>(k)] = boxes[static_cast<size_t>(k)].nummer != 0;

  applyBreedingYear(day);
  const KoerungRecord rec = record();
  if (rec.haesin1) in.litter1 = litterYoung(*rec.haesin1);
  if (rec.haesin2) in.litter2 = litterYoung(*rec.haesin2);
  Cursor& g = dm_.at(QStringLiteral("GedeckteHaesinnen"));
  if (g.isOpen()) g.first();
  showYoungOfCurrentLitter();

  in.buckBest = positionBestShowRow();
  in.langhaar = store::isLonghairGroup(h.field(QStringLiteral("Rassegruppe")).asString());
  if (in.langhaar) {
    Cursor& angora = dm_.at(QStringLiteral("Angora"));
    if (angora.isOpen() && angora.hasRecord() && !angora.isEmpty() && angora.findField(QStringLiteral("Leistungspunkte")))
      in.woolLeistungspunkte = static_cast<double>(angora.field(QStringLiteral("Leistungspunkte")).asInteger());
  }
  return computeKoernote(in);
}

bool TKoerung::save(const QDate& day, const KoernoteResult& r) {
  Cursor& h = dm_.Hasen();
  Cursor& k = dm_.at(QStringLiteral("Koernote"));
  if (!h.hasRecord() || !k.isOpen()) return false;
  const KoerungRecord before = record();
  if (before.saved && !store::dialogs().ask(store::messageText(kMeldungKoerungUeberschreiben), store::DialogKind::Information))
    return false;
  if (!dm_.confirmSave()) return false;
  try {
    if (!editRecord()) return false;
    if (day.isValid()) k.field(QStringLiteral("Datum")).setDate(day);
    else k.field(QStringLiteral("Datum")).clear();
    k.field(QStringLiteral("AnzahlVater")).setString(QString::number(r.counts.vater));
    k.field(QStringLiteral("AnzahlMutter")).setString(QString::number(r.counts.mutter));
    for (int i = 0; i < 4; ++i) setOptional(k, QStringLiteral("Punkte%1").arg(i + 1), r.punkte[static_cast<size_t>(i)]);
    const std::array<const Presentation*, 2> does{&r.haesin1, &r.haesin2};
    for (int n = 1; n <= 2; ++n) {
      const Presentation& p = *does[static_cast<size_t>(n - 1)];
      const QString scores = p.scoresText(n == 2);
      setText(k, QStringLiteral("Vorgestellt%1").arg(n), p.countText());
      // The short field keeps what fits for older readers; the wide one keeps every score.
      setText(k, QStringLiteral("Bewertung%1").arg(n), shortScoresText(scores));
      if (k.findField(QStringLiteral("BewertungText%1").arg(n))) setText(k, QStringLiteral("BewertungText%1").arg(n), scores);
      setText(k, QStringLiteral("Mittel%1").arg(n), p.meanText());
    }
    if (r.buckBest) k.field(QStringLiteral("RammlerPunkte")).setFloat(r.buckBest->toDouble());
    else k.field(QStringLiteral("RammlerPunkte")).clear();
    if (r.langhaar) {
      setOptional(k, QStringLiteral("Punkte5"), r.punkte[4]);
      std::optional<int> wool;
      if (r.woolLeistungspunkte) wool = static_cast<int>(std::lround(*r.woolLeistungspunkte));
      setOptional(k, QStringLiteral("Wollwert"), wool);
    }
    k.field(QStringLiteral("Druck")).setBool(true);
    k.post();
  } catch (const engine::EngineError& e) {
    if (k.isEditing()) k.cancel();
    store::dialogs().error(e.message());
    return false;
  }

  // Only now that the record is stored does the buck get his Körnote. Pending changes of the
  // card are saved with it later; otherwise the animal is saved at once.
  try {
    const bool pending = h.isEditing();
    if (!pending) h.edit();
    h.field(QStringLiteral("Körnote")).setInteger(r.koernote);
    if (!pending && !dm_.saveWithoutQuestion(h)) {
      if (h.isEditing()) h.cancel();
      return false;
    }
  } catch (const engine::EngineError& e) {
    if (h.isEditing()) h.cancel();
    store::dialogs().error(e.message());
    return false;
  }
  return true;
}

bool TKoerung::clear() {
  Cursor& k = dm_.at(QStringLiteral("Koernote"));
  if (!k.isOpen() || k.isEmpty()) return true;
  if (!dm_.confirmSave()) return false;
  try {
    editRecord();
    for (const char16_t* f : {u"Datum", u"Haesin1", u"Haesin2", u"AnzahlVater", u"AnzahlMutter", u"Punkte1", u"Punkte2",
                              u"Punkte3", u"Punkte4", u"Punkte5", u"Vorgestellt1", u"Vorgestellt2", u"Bewertung1",
                              u"Bewertung2", u"BewertungText1", u"BewertungText2", u"Mittel1", u"Mittel2",
                              u"RammlerPunkte", u"Wollwert", u"Anzahl1", u"Anzahl2"})
      if (k.findField(s(f))) k.field(s(f)).clear();
    k.field(QStringLiteral("Druck")).setBool(false);
    k.post();
  } catch (const engine::EngineError& e) {
    if (k.isEditing()) k.cancel();
    store::dialogs().error(e.message());
    return false;
  }
  return true;
}

}  // namespace lapiro::breeding
