#include "installer/demo_koerung.h"

#include "breeding/koerung.h"
#include "breeding/wool_performance.h"
#include "engine/cursor.h"
#include "engine/query.h"
#include "shows/show_score.h"
#include "store/animal_rules.h"

#include <algorithm>
#include <map>

namespace lapiro::installer {

namespace {

struct DemoLitter {
  qint64 laufendeNummer = 0, katze = 0, kater = 0;
  QDate wurftag;
};

struct Young {
  qint64 nummer = 0;
  QString name;
  std::optional<core::Points> total;
};

// A small deterministic generator (64-bit LCG, high bits).
class Lcg {
 public:
  explicit Lcg(quint64 seed) : state_(seed ^ 0x2545F4914F6CDD1DULL) {}
  int below(int n) {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return n <= 0 ? 0 : static_cast<int>((state_ >> 33) % static_cast<quint64>(n));
  }

 private:
  quint64 state_;
};

std::vector<DemoLitter> littersOfTheYear(engine::Engine& engine, const QDate& from, const QDate& to) {
  engine::Query q(engine);
  q.setSql(QStringList{QStringLiteral("SELECT LaufendeNummer,Katze,Kater,Wurftag,WurfStMaennlich,WurfStWeiblich"),
                       QStringLiteral("FROM \"Wurfbuch.DB\""),
                       QStringLiteral("WHERE (Wurftag >= :Von)and(Wurftag <= :Bis)and(Kater > 0)and(Katze > 0)"),
                       QStringLiteral("ORDER BY Kater,Wurftag,LaufendeNummer")});
  q.setParam(QStringLiteral("Von"), from);
  q.setParam(QStringLiteral("Bis"), to);
  q.open();
  std::vector<DemoLitter> litters;
  const qint64 n = q.recordCount();
  if (n == 0) return litters;
  for (const auto& r : q.readRows(0, static_cast<int>(n))) {
    const qint64 m = r[4].toLongLong(), w = r[5].toLongLong();
    // The litters the judging pages list: at least three reared young.
    if (!((m >= 1 && w >= 2) || (m >= 2 && w >= 1) || w >= 3 || m >= 3)) continue;
    litters.push_back({r[0].toLongLong(), r[1].toLongLong(), r[2].toLongLong(), r[3].toDate()});
  }
  return litters;
}

std::vector<Young> youngOf(engine::Engine& engine, const DemoLitter& l) {
  engine::Query q(engine);
  q.setSql(QStringList{QStringLiteral("SELECT Nummer,TatoRechts,TatoLinks FROM \"Hasen.db\""),
                       QStringLiteral("WHERE (Mutter=:Mutter)and(Geburtstag=:Tag) ORDER BY Nummer")});
  q.setParam(QStringLiteral("Mutter"), l.katze);
  q.setParam(QStringLiteral("Tag"), l.wurftag);
  q.open();
  std::vector<Young> young;
  const qint64 n = q.recordCount();
  if (n == 0) return young;
  for (const auto& r : q.readRows(0, static_cast<int>(n)))
    young.push_back({r[0].toLongLong(), store::tattooDisplay(r[1].toString(), r[2].toString()), std::nullopt});
  return young;
}

std::optional<core::Points> existingJudging(engine::Engine& engine, qint64 hase) {
  engine::Query q(engine);
  q.setSql(QStringLiteral("SELECT EigeneBewertung FROM \"Ausstellung.db\" WHERE (Hase=:Hase)and(Titel=:Titel)"));
  q.setParam(QStringLiteral("Hase"), hase);
  q.setParam(QStringLiteral("Titel"), breeding::koerungTitle());
  q.open();
  if (q.isEmpty()) return std::nullopt;
  q.first();
  return core::Points::fromDouble(q.field(QStringLiteral("EigeneBewertung")).asFloat());
}

std::pair<qint64, qint64> parentsOf(engine::Engine& engine, qint64 nummer) {
  if (nummer <= 0) return {0, 0};
  engine::Query q(engine);
  q.setSql(QStringLiteral("SELECT Vater,Mutter FROM \"Hasen.db\" WHERE Nummer=:Nummer"));
  q.setParam(QStringLiteral("Nummer"), nummer);
  q.open();
  if (q.isEmpty()) return {0, 0};
  q.first();
  return {q.field(QStringLiteral("Vater")).asInteger(), q.field(QStringLiteral("Mutter")).asInteger()};
}

std::optional<core::Points> bestShowTotal(engine::Engine& engine, qint64 buck) {
  engine::Query q(engine);
  q.setSql(QStringList{QStringLiteral("SELECT Titel,Gewicht1,Koerper2,Fell3,Kopf4,Farbe5,Unterfarbe6,Pflege7,"
                                      "EigeneBewertung,BewertJungtier FROM \"Ausstellung.db\""),
                       QStringLiteral("WHERE Hase=:Hase ORDER BY Datum,Nummer")});
  q.setParam(QStringLiteral("Hase"), buck);
  q.open();
  std::optional<core::Points> best;
  for (q.first(); q.hasRecord(); q.next()) {
    const shows::ShowPoints p = shows::showPointsOf(q);
    const auto total = shows::showTotal(p);
    if (!shows::isOwnJudgingTitle(p.titel) && total && *total > core::Points() && (!best || *total > *best)) best = total;
    if (q.eof()) break;
  }
  return best;
}

bool isLonghaired(engine::Engine& engine, qint64 buck) {
  engine::Query q(engine);
  q.setSql(QStringLiteral("SELECT r.Rassegruppe FROM \"Hasen.db\" h,\"Rasse.db\" r WHERE (h.Nummer=:Hase)and(r.Nummer=h.Rasse)"));
  q.setParam(QStringLiteral("Hase"), buck);
  q.open();
  if (q.isEmpty()) return false;
  q.first();
  return store::isLonghairGroup(q.field(QStringLiteral("Rassegruppe")).asString());
}

// The wool performance points of the buck's newest test, as the wool tab computes them.
std::optional<double> woolPoints(engine::Engine& engine, qint64 buck) {
  if (!engine.tableExists(QStringLiteral("Angora.db"))) return std::nullopt;
  engine::Query colour(engine);
  colour.setSql(QStringLiteral("SELECT f.Name FROM \"Hasen.db\" h,\"Farbe.db\" f WHERE (h.Nummer=:Hase)and(f.Nummer=h.Farbe)"));
  colour.setParam(QStringLiteral("Hase"), buck);
  colour.open();
  bool white = false;
  if (!colour.isEmpty()) {
    colour.first();
    white = breeding::isWhiteColour(colour.field(QStringLiteral("Name")).asString());
  }
  engine::Query q(engine);
  q.setSql(QStringLiteral("SELECT * FROM \"Angora.db\" WHERE Kaninchen = :n ORDER BY Vom DESC, Pruefstelle DESC, LaufendeNummer DESC"));
  q.setParam(QStringLiteral("n"), buck);
  q.open();
  if (q.isEmpty()) return std::nullopt;
  q.first();
  return static_cast<double>(breeding::woolFigures(breeding::woolRecordOf(q, white)).leistungspunkte);
}

}  // namespace

QDate demoKoerungDay(const QDate& lastDay) {
  const QDate start = breeding::breedingYearStart(lastDay);
  return std::min(lastDay, QDate(start.year() + 1, 10, 10));
}

DemoKoerungSummary writeDemoKoerung(engine::Engine& engine, const DemoStockOptions& options) {
  DemoKoerungSummary summary;
  Lcg rng(options.seed + 17);
  // The newest breeding year (of the last four) in which a buck sired two such litters.
  QDate day;
  std::vector<std::pair<qint64, std::vector<DemoLitter>>> bucks;
  for (int back = 0; back < 4 && bucks.empty(); ++back) {
    day = demoKoerungDay(options.lastDay).addYears(-back);
    std::map<qint64, std::vector<DemoLitter>> byBuck;
    for (const DemoLitter& l : littersOfTheYear(engine, breeding::breedingYearStart(day), day.addDays(-90)))
      byBuck[l.kater].push_back(l);
    bucks.assign(byBuck.begin(), byBuck.end());
    std::stable_sort(bucks.begin(), bucks.end(), [](const auto& a, const auto& b) { return a.second.size() > b.second.size(); });
    while (!bucks.empty() && bucks.back().second.size() < 2) bucks.pop_back();
  }
  if (bucks.size() > 3) bucks.resize(3);
  if (bucks.empty()) return summary;

  engine::Cursor shows(engine, QStringLiteral("DemoKoerungAusstellung"));
  shows.setTableName(QStringLiteral("Ausstellung.db"));
  shows.open();
  // The scheme of the demo's other judgings.
  static constexpr std::array<double, 7> kMaxima{10, 20, 15, 15, 15, 10, 15};
  static const std::array<QString, 7>& names = shows::positionFieldNames();

  std::vector<std::vector<Young>> firstBuckLitters;
  for (size_t b = 0; b < bucks.size(); ++b) {
    ++summary.bucks;
    for (const DemoLitter& l : bucks[b].second) {
      std::vector<Young> young = youngOf(engine, l);
      for (Young& y : young) {
        y.total = existingJudging(engine, y.nummer);
        if (y.total) continue;
        // Half points deducted from the maxima: totals from 91 to 97.
        std::array<double, 7> points = kMaxima;
        int deduct = 6 + rng.below(13);
        for (int guard = 0; deduct > 0 && guard < 200; ++guard) {
          const size_t p = static_cast<size_t>(rng.below(7));
          if (points[p] - 0.5 >= std::max(6.0, kMaxima[p] * 0.7)) {
            points[p] -= 0.5;
            --deduct;
          }
        }
        double total = 0;
        shows.append();
        shows.field(QStringLiteral("Hase")).setInteger(y.nummer);
        shows.field(QStringLiteral("Datum")).setDate(day);
        shows.field(QStringLiteral("Titel")).setString(breeding::koerungTitle());
        for (size_t p = 0; p < 7; ++p) {
          shows.field(names[p]).setFloat(points[p]);
          total += points[p];
        }
        shows.field(QStringLiteral("EigeneBewertung")).setFloat(total);
        shows.post();
        y.total = core::Points::fromDouble(total);
        ++summary.judgings;
      }
      if (b == 0) firstBuckLitters.push_back(young);
    }
  }

  // The first buck's Körung, computed as the judging page computes it, and saved.
  const qint64 buck = bucks.front().first;
  const std::vector<DemoLitter>& chosen = bucks.front().second;
  breeding::KoernoteInput in;
  const auto [vater, mutter] = parentsOf(engine, buck);
  std::array<qint64, 15> box{};
  box[1] = vater;
  box[2] = mutter;
  for (int k = 1; k <= 6; ++k) {
    const auto [f, m] = parentsOf(engine, box[static_cast<size_t>(k)]);
    box[static_cast<size_t>(2 * k + 1)] = f;
    box[static_cast<size_t>(2 * k + 2)] = m;
  }
  for (int k = 1; k <= 14; ++k) in.ancestors[static_cast<size_t>(k)] = box[static_cast<size_t>(k)] > 0;
  auto asLitter = [](const std::vector<Young>& young) {
    std::vector<breeding::LitterYoung> v;
    for (const Young& y : young) v.push_back({y.name, y.total});
    return v;
  };
  in.litter1 = asLitter(firstBuckLitters[0]);
  in.litter2 = asLitter(firstBuckLitters[1]);
  in.buckBest = bestShowTotal(engine, buck);
  in.langhaar = isLonghaired(engine, buck);
  if (in.langhaar) in.woolLeistungspunkte = woolPoints(engine, buck);
  const breeding::KoernoteResult r = breeding::computeKoernote(in);

  engine::Cursor k(engine, QStringLiteral("DemoKoernote"));
  k.setTableName(QStringLiteral("Koernote.db"));
  k.open();
  k.append();
  k.field(QStringLiteral("Hase")).setInteger(buck);
  k.field(QStringLiteral("Datum")).setDate(day);
  k.field(QStringLiteral("Haesin1")).setInteger(chosen[0].laufendeNummer);
  k.field(QStringLiteral("Haesin2")).setInteger(chosen[1].laufendeNummer);
  k.field(QStringLiteral("AnzahlVater")).setString(QString::number(r.counts.vater));
  k.field(QStringLiteral("AnzahlMutter")).setString(QString::number(r.counts.mutter));
  for (int i = 0; i < 4; ++i)
    k.field(QStringLiteral("Punkte%1").arg(i + 1)).setInteger(r.punkte[static_cast<size_t>(i)].value_or(0));
  const std::array<const breeding::Presentation*, 2> does{&r.haesin1, &r.haesin2};
  for (int n = 1; n <= 2; ++n) {
    const breeding::Presentation& p = *does[static_cast<size_t>(n - 1)];
    k.field(QStringLiteral("Vorgestellt%1").arg(n)).setString(p.countText());
    k.field(QStringLiteral("Bewertung%1").arg(n)).setString(breeding::shortScoresText(p.scoresText(n == 2)));
    k.field(QStringLiteral("BewertungText%1").arg(n)).setString(p.scoresText(n == 2));
    k.field(QStringLiteral("Mittel%1").arg(n)).setString(p.meanText());
  }
  if (r.buckBest) k.field(QStringLiteral("RammlerPunkte")).setFloat(r.buckBest->toDouble());
  if (r.langhaar) {
    if (r.punkte[4]) k.field(QStringLiteral("Punkte5")).setInteger(*r.punkte[4]);
    if (r.woolLeistungspunkte) k.field(QStringLiteral("Wollwert")).setInteger(static_cast<qint64>(*r.woolLeistungspunkte));
  }
  k.field(QStringLiteral("Druck")).setBool(true);
  k.post();

  engine::Cursor hasen(engine, QStringLiteral("DemoKoerungHasen"));
  hasen.setTableName(QStringLiteral("Hasen.db"));
  hasen.open();
  if (hasen.locate(QStringLiteral("Nummer"), {buck})) {
    hasen.edit();
    hasen.field(QStringLiteral("Körnote")).setInteger(r.koernote);
    hasen.post();
  }
  summary.savedBuck = buck;
  summary.koernote = r.koernote;
  return summary;
}

}  // namespace lapiro::installer
