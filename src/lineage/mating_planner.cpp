#include "lineage/mating_planner.h"

#include "engine/sqlite_util.h"
#include "lineage/genetic_formula.h"
#include "lineage/inbreeding_tree.h"
#include "lineage/pedigree_diversity.h"
#include "lineage/stock_analysis.h"
#include "shows/show_score.h"
#include "store/dialog_service.h"

#include <QSet>

#include <sqlite3.h>

namespace lapiro::lineage {

using engine::EngineError;
using engine::OpenMode;
using engine::Statement;

namespace {

PlanTier rowToTier(Statement& st) {
  sqlite3_stmt* h = st.handle();
  PlanTier t;
  t.nummer = sqlite3_column_int64(h, 0);
  t.tatoRechts = st.column(1).toString();
  t.tatoLinks = st.column(2).toString();
  t.erbformel = st.column(3).toString();
  t.rasse = sqlite3_column_int64(h, 4);
  t.farbe = sqlite3_column_int64(h, 5);
  t.status = sqlite3_column_int(h, 6);
  t.rammler = st.column(7).toString() == QStringLiteral("1");
  return t;
}

const QString kColumns = QStringLiteral("SELECT Nummer, TatoRechts, TatoLinks, Erbformel, Rasse, Farbe, Status, Geschlecht FROM ");

}  // namespace

MatingPlanner::MatingPlanner(engine::Engine& engine) : engine_(engine), stock_(engine) {}

std::vector<PlanTier> MatingPlanner::kandidaten(const PlanFilter& filter, bool rammler) {
  auto table = engine_.acquire(QStringLiteral("Hasen"), OpenMode::Shared);
  QString sql = kColumns + table->sqlName() + (rammler ? QStringLiteral(" WHERE Geschlecht = '1'")
                                                       : QStringLiteral(" WHERE Geschlecht <> '1'"));
  QVariantList values;
  if (filter.rasse) {
    sql += QStringLiteral(" AND Rasse = ?");
    values << *filter.rasse;
  }
  if (filter.farbe) {
    sql += QStringLiteral(" AND Farbe = ?");
    values << *filter.farbe;
  }
  if (filter.status) {
    sql += QStringLiteral(" AND Status = ?");
    values << *filter.status;
  }
  if (filter.geburtsjahr) {
    sql += QStringLiteral(" AND substr(Geburtstag, 1, 4) = ?");
    values << QStringLiteral("%1").arg(*filter.geburtsjahr, 4, 10, QChar(u'0'));
  }
  sql += QStringLiteral(" ORDER BY TatoRechts, TatoLinks, Nummer");
  const QSet<qint64> dead = filter.nurLebende ? toteTiere(engine_) : QSet<qint64>{};
  Statement st(table->db(), sql);
  st.bindAll(values);
  std::vector<PlanTier> list;
  while (st.step()) {
    PlanTier t = rowToTier(st);
    if (!dead.contains(t.nummer)) list.push_back(std::move(t));
  }
  return list;
}

std::optional<PlanTier> MatingPlanner::tier(qint64 nummer) {
  auto table = engine_.acquire(QStringLiteral("Hasen"), OpenMode::Shared);
  Statement st(table->db(), kColumns + table->sqlName() + QStringLiteral(" WHERE Nummer = ?"));
  st.bind(1, nummer);
  if (!st.step()) return std::nullopt;
  return rowToTier(st);
}

PlanFilter MatingPlanner::standardFilter(qint64 current) {
  PlanFilter f;
  f.status = 1;
  f.nurLebende = true;
  if (current != 0)
    if (auto t = tier(current); t && t->rasse != 0) f.rasse = t->rasse;
  return f;
}

std::optional<double> MatingPlanner::besteSchau(qint64 nummer) {
  if (!engine_.tableExists(QStringLiteral("Ausstellung"))) return std::nullopt;
  auto table = engine_.acquire(QStringLiteral("Ausstellung"), OpenMode::Shared);
  const auto& names = shows::positionFieldNames();
  QString sql = QStringLiteral("SELECT Titel");
  for (const QString& n : names) sql += QStringLiteral(", ") + engine::quoteIdent(n);
  const bool hasOwn = table->def().field(QStringLiteral("EigeneBewertung")) != nullptr;
  const bool hasCode = table->def().field(QStringLiteral("BewertJungtier")) != nullptr;
  sql += hasOwn ? QStringLiteral(", EigeneBewertung") : QStringLiteral(", NULL");
  sql += hasCode ? QStringLiteral(", BewertJungtier") : QStringLiteral(", NULL");
  sql += QStringLiteral(" FROM ") + table->sqlName() + QStringLiteral(" WHERE Hase = ?");
  Statement& st = table->statements().get(sql);
  st.bind(1, nummer);
  std::optional<core::Points> best;
  while (st.step()) {
    sqlite3_stmt* h = st.handle();
    shows::ShowPoints p;
    p.titel = st.column(0).toString();
    for (int i = 0; i < 7; ++i)
      if (sqlite3_column_type(h, i + 1) != SQLITE_NULL)
        p.positions[i] = core::Points::fromDouble(sqlite3_column_double(h, i + 1));
    if (sqlite3_column_type(h, 8) != SQLITE_NULL) p.eigeneBewertung = core::Points::fromDouble(sqlite3_column_double(h, 8));
    p.bewertJungtier = st.column(9).toString();
    if (const auto total = shows::showTotal(p); total && (!best || *total > *best)) best = total;
  }
  st.reset();
  return best ? std::optional<double>(best->toDouble()) : std::nullopt;
}

std::optional<std::vector<PlanPaar>> MatingPlanner::rate(const std::vector<PlanTier>& rammler,
                                                         const std::vector<PlanTier>& haesinnen,
                                                         const std::function<bool(qint64, qint64)>& progress) {
  stock_.refresh();
  if (const QString loops = stock_.takeLoopReport(); !loops.isEmpty()) store::dialogs().warn(loops);
  const Pedigree& ped = stock_.pedigree();
  const qint64 total = static_cast<qint64>(rammler.size()) * static_cast<qint64>(haesinnen.size());
  std::vector<PlanPaar> pairs;
  pairs.reserve(static_cast<size_t>(total));

  std::shared_ptr<engine::Table> holdShows;  // one connection for all the look-ups below
  if (engine_.tableExists(QStringLiteral("Ausstellung"))) holdShows = engine_.acquire(QStringLiteral("Ausstellung"), OpenMode::Shared);
  std::vector<std::optional<double>> schauR, schauH;
  for (const PlanTier& t : rammler) schauR.push_back(besteSchau(t.nummer));
  for (const PlanTier& t : haesinnen) schauH.push_back(besteSchau(t.nummer));

  // The mother's side of the 4-generation tree depends only on the doe: fill it once each.
  TBinaerbaum baum(4);
  auto fill = [&](int slot, std::int32_t index) {
    // Slots of one side in pre-order: slot, its parents, their parents.
    std::vector<std::pair<int, std::int32_t>> stack{{slot, index}};
    while (!stack.empty()) {
      auto [s, i] = stack.back();
      stack.pop_back();
      baum[s].nummer = i ? ped.id[i] : 0;
      if (baum[s].vater >= 0) {
        stack.push_back({baum[s].vater, i ? ped.sire[i] : 0});
        stack.push_back({baum[s].mutter, i ? ped.dam[i] : 0});
      }
    }
  };
  std::vector<std::int32_t> doeIndex;
  for (const PlanTier& t : haesinnen) doeIndex.push_back(ped.indexOf(t.nummer));

  // MK with the living stock: one product over the whole pedigree.
  std::vector<double> mk;
  {
    std::vector<std::int32_t> reference;
    for (qint64 n : lebenderBestand(engine_, StockAnalysis(engine_).standardWahl().status))
      if (const std::int32_t i = ped.indexOf(n)) reference.push_back(i);
    mk = meanKinship(ped, stock_.d(), reference);
  }
  auto mkOf = [&](std::int32_t i) { return i ? mk[i] : 0.0; };

  KinshipRows rows(ped, stock_.d());
  std::vector<double> row;
  qint64 done = 0;
  for (int r = 0; r < static_cast<int>(rammler.size()); ++r) {
    const std::int32_t bi = ped.indexOf(rammler[r].nummer);
    if (bi) rows.rowOf(bi, row);
    fill(1, bi);
    for (int h = 0; h < static_cast<int>(haesinnen.size()); ++h) {
      PlanPaar p;
      p.rammler = r;
      p.haesin = h;
      const std::int32_t di = doeIndex[h];
      p.fAlle = bi && di ? 0.5 * row[di] : 0.0;
      if (bi == di && bi) p.fAlle = 0.5 * (1.0 + stock_.f()[bi]);
      fill(2, di);
      p.f4 = inbreedingPaths(baum).koeffizient;
      if (const auto d = deriveFormula(rammler[r].erbformel, haesinnen[h].erbformel)) {
        p.formelnOk = true;
        p.formel = d->stored;
      }
      p.schauRammler = schauR[r];
      p.schauHaesin = schauH[h];
      if (!mk.empty()) p.mkNachkommen = 0.5 * (mkOf(bi) + mkOf(di));
      pairs.push_back(std::move(p));
      if (progress && (++done & 1023) == 0 && !progress(done, total)) return std::nullopt;
    }
  }
  if (progress && !progress(total, total)) return std::nullopt;
  return pairs;
}

std::optional<double> parseSchwelle(const QString& text) {
  QString t = text.trimmed();
  t.replace(u',', u'.');
  if (t.endsWith(u'%')) t = t.chopped(1).trimmed();
  bool ok = false;
  const double v = t.toDouble(&ok);
  if (!ok || v < 0 || v > 100) return std::nullopt;
  return v;
}

}  // namespace lapiro::lineage
