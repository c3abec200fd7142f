#include "lineage/stock_analysis.h"

#include "engine/sqlite_util.h"
#include "store/dialog_service.h"

#include <QSet>

#include <sqlite3.h>

#include <algorithm>

namespace lapiro::lineage {

using engine::OpenMode;
using engine::Statement;

namespace {

// A date column as stored (ISO text "yyyy-MM-dd..."); invalid when empty or unreadable.
QDate storedDate(sqlite3_stmt* h, int column) {
  const unsigned char* text = sqlite3_column_text(h, column);
  if (!text) return {};
  const QString s = QString::fromUtf8(reinterpret_cast<const char*>(text)).left(10);
  return QDate::fromString(s, Qt::ISODate);
}

std::vector<AnalyseTier> readAnimals(engine::Engine& engine) {
  auto table = engine.acquire(QStringLiteral("Hasen"), OpenMode::Shared);
  std::vector<AnalyseTier> list;
  {
    Statement count(table->db(), QStringLiteral("SELECT count(*) FROM ") + table->sqlName());
    if (count.step()) list.reserve(static_cast<size_t>(sqlite3_column_int64(count.handle(), 0)));
  }
  Statement st(table->db(), QStringLiteral("SELECT Nummer, TatoRechts, TatoLinks, IDCode, Geschlecht, Geburtstag, Status FROM ") +
                                table->sqlName() + QStringLiteral(" ORDER BY Nummer"));
  while (st.step()) {
    sqlite3_stmt* h = st.handle();
    AnalyseTier t;
    t.nummer = sqlite3_column_int64(h, 0);
    t.tatoRechts = st.column(1).toString();
    t.tatoLinks = st.column(2).toString();
    t.name = st.column(3).toString();
    t.rammler = st.column(4).toString() == QStringLiteral("1");
    t.geburtstag = storedDate(h, 5);
    t.status = sqlite3_column_int(h, 6);
    list.push_back(std::move(t));
  }
  return list;
}

bool isMember(const AnalyseTier& t, const ReferenzWahl& wahl, const QSet<int>& status, const QSet<qint64>& dead,
              const QSet<qint64>& listed) {
  switch (wahl.art) {
    case ReferenzArt::Bestand:
      return status.contains(t.status) && !dead.contains(t.nummer);
    case ReferenzArt::Geburtsjahre:
      return t.geburtstag.isValid() && t.geburtstag.year() >= wahl.vonJahr && t.geburtstag.year() <= wahl.bisJahr;
    case ReferenzArt::Liste:
      return listed.contains(t.nummer);
  }
  return false;
}

void markReference(engine::Engine& engine, std::vector<AnalyseTier>& animals, const ReferenzWahl& wahl) {
  const QSet<int> status(wahl.status.begin(), wahl.status.end());
  const QSet<qint64> dead = wahl.art == ReferenzArt::Bestand ? toteTiere(engine) : QSet<qint64>{};
  const QSet<qint64> listed(wahl.nummern.begin(), wahl.nummern.end());
  for (AnalyseTier& t : animals) t.referenz = isMember(t, wahl, status, dead, listed);
}

QString choiceText(const ReferenzWahl& wahl, const std::vector<StatusEintrag>& list) {
  switch (wahl.art) {
    case ReferenzArt::Bestand: {
      QStringList names;
      for (int s : wahl.status) {
        QString name = QString::number(s);
        for (const StatusEintrag& e : list)
          if (e.nummer == s) name = e.name;
        names << name;
      }
      return QStringLiteral("Lebender Bestand (Status: ") + names.join(QStringLiteral(", ")) + u')';
    }
    case ReferenzArt::Geburtsjahre:
      return wahl.vonJahr == wahl.bisJahr
                 ? QStringLiteral("Geboren %1").arg(wahl.vonJahr)
                 : QStringLiteral("Geboren %1 bis %2").arg(wahl.vonJahr).arg(wahl.bisJahr);
    case ReferenzArt::Liste:
      return QStringLiteral("Gewählte Tiere");
  }
  return {};
}

}  // namespace

QString leereReferenzText() {
  return QStringLiteral("Die Referenzpopulation ist leer: kein Tier entspricht der Auswahl.\n"
                        "Bitte wählen Sie andere Status, Geburtsjahre oder Tiere.");
}

QSet<qint64> toteTiere(engine::Engine& engine) {
  QSet<qint64> dead;
  if (!engine.tableExists(QStringLiteral("VERKAUFT"))) return dead;
  auto table = engine.acquire(QStringLiteral("VERKAUFT"), OpenMode::Shared);
  const bool withDeath = table->def().field(QStringLiteral("Gestorbenam")) != nullptr;
  Statement st(table->db(), QStringLiteral("SELECT Katze FROM ") + table->sqlName() +
                                QStringLiteral(" WHERE Geschlachtetam IS NOT NULL") +
                                (withDeath ? QStringLiteral(" OR Gestorbenam IS NOT NULL") : QString()));
  while (st.step()) dead.insert(sqlite3_column_int64(st.handle(), 0));
  return dead;
}

std::vector<qint64> lebenderBestand(engine::Engine& engine, const std::vector<int>& status) {
  std::vector<qint64> out;
  if (status.empty()) return out;
  const QSet<qint64> dead = toteTiere(engine);
  auto table = engine.acquire(QStringLiteral("Hasen"), OpenMode::Shared);
  QString sql = QStringLiteral("SELECT Nummer FROM ") + table->sqlName() + QStringLiteral(" WHERE Status IN (");
  QVariantList values;
  for (int s : status) {
    sql += values.isEmpty() ? QStringLiteral("?") : QStringLiteral(",?");
    values << s;
  }
  Statement st(table->db(), sql + QStringLiteral(") ORDER BY Nummer"));
  st.bindAll(values);
  while (st.step()) {
    const qint64 n = sqlite3_column_int64(st.handle(), 0);
    if (!dead.contains(n)) out.push_back(n);
  }
  return out;
}

const AnalyseTier* Bestandsanalyse::tier(qint64 nummer) const {
  const auto it = std::lower_bound(tiere.begin(), tiere.end(), nummer,
                                   [](const AnalyseTier& t, qint64 n) { return t.nummer < n; });
  return it != tiere.end() && it->nummer == nummer ? &*it : nullptr;
}

QString Bestandsanalyse::ahnText(const AncestorContribution& a, const Pedigree& ped) const {
  const qint64 id = ped.id[a.animal];
  const AnalyseTier* t = tier(id);
  const QString own = t ? t->text() : QStringLiteral("Nr. ") + QString::number(id);
  return a.phantom ? QStringLiteral("unbekannter Elternteil von ") + own : own;
}

StockAnalysis::StockAnalysis(engine::Engine& engine) : engine_(engine), stock_(engine) {}

std::vector<StatusEintrag> StockAnalysis::statusListe() {
  std::vector<StatusEintrag> list;
  if (!engine_.tableExists(QStringLiteral("Status"))) return list;
  auto table = engine_.acquire(QStringLiteral("Status"), OpenMode::Shared);
  Statement st(table->db(), QStringLiteral("SELECT Nummer, Name FROM ") + table->sqlName() + QStringLiteral(" ORDER BY Nummer"));
  static const QStringList kept{QStringLiteral("bestand"), QStringLiteral("zucht"), QStringLiteral("jungtier"),
                                QStringLiteral("eigen")};
  static const QStringList gone{QStringLiteral("verkauft"),  QStringLiteral("geschlachtet"), QStringLiteral("verendet"),
                                QStringLiteral("tot"),       QStringLiteral("gestorben"),    QStringLiteral("abgegeben"),
                                QStringLiteral("fremd")};
  while (st.step()) {
    StatusEintrag e;
    e.nummer = sqlite3_column_int(st.handle(), 0);
    e.name = st.column(1).toString();
    const QString lower = e.name.toLower();
    auto any = [&](const QStringList& words) {
      return std::any_of(words.begin(), words.end(), [&](const QString& w) { return lower.contains(w); });
    };
    e.standard = e.nummer == 1 || (any(kept) && !any(gone));
    list.push_back(e);
  }
  return list;
}

ReferenzWahl StockAnalysis::standardWahl() {
  ReferenzWahl w;
  for (const StatusEintrag& e : statusListe())
    if (e.standard) w.status.push_back(e.nummer);
  if (w.status.empty()) w.status.push_back(1);
  return w;
}

std::vector<qint64> StockAnalysis::referenz(const ReferenzWahl& wahl) {
  std::vector<AnalyseTier> animals = readAnimals(engine_);
  markReference(engine_, animals, wahl);
  std::vector<qint64> out;
  for (const AnalyseTier& t : animals)
    if (t.referenz) out.push_back(t.nummer);
  return out;
}

std::optional<Bestandsanalyse> StockAnalysis::berechne(const ReferenzWahl& wahl, const QDate& stichtag,
                                                       const DiversityProgress& progress) {
  // Progress on one scale of 1000: reading 0-100, the per-animal figures 100-200, the
  // ancestors' contributions 200-1000.
  auto step = [&](std::int64_t done) { return !progress || progress(done, 1000); };
  stock_.refresh();
  if (const QString loops = stock_.takeLoopReport(); !loops.isEmpty()) store::dialogs().warn(loops);
  Bestandsanalyse a;
  a.stichtag = stichtag;
  a.tiere = readAnimals(engine_);
  markReference(engine_, a.tiere, wahl);
  a.referenzText = choiceText(wahl, wahl.art == ReferenzArt::Bestand ? statusListe() : std::vector<StatusEintrag>{});
  if (!step(100)) return std::nullopt;

  const Pedigree& ped = stock_.pedigree();
  const std::int32_t n = ped.size();
  std::vector<std::int32_t> reference;
  std::vector<std::int32_t> indexOf(a.tiere.size(), 0);
  std::vector<std::int64_t> birthDay(static_cast<size_t>(n) + 1, 0);
  std::vector<int> birthYear(static_cast<size_t>(n) + 1, 0);
  for (size_t k = 0; k < a.tiere.size(); ++k) {
    const AnalyseTier& t = a.tiere[k];
    const std::int32_t i = ped.indexOf(t.nummer);
    indexOf[k] = i;
    if (!i) continue;
    if (t.geburtstag.isValid()) {
      birthDay[i] = t.geburtstag.toJulianDay();
      birthYear[i] = t.geburtstag.year();
    }
    if (t.referenz) reference.push_back(i);
  }
  if (reference.empty()) {
    store::dialogs().inform(leereReferenzText());
    return std::nullopt;
  }

  const std::vector<double> mk = meanKinship(ped, stock_.d(), reference);
  const std::vector<double> completeness = pedigreeCompleteness(ped, kVollstaendigkeitGenerationen);
  const std::vector<std::int32_t> offspring = offspringCounts(ped);
  a.werte = populationFigures(ped, stock_.f(), stock_.generations(), mk, completeness, reference, birthDay);
  a.jahre = figuresByYear(birthYear, stock_.f(), stock_.generations());
  if (!step(200)) return std::nullopt;

  auto c = contributions(ped, reference, [&](std::int64_t done, std::int64_t total) {
    return step(200 + 800 * done / std::max<std::int64_t>(1, total));
  });
  if (!c) return std::nullopt;
  a.beitraege = std::move(*c);
  for (const AncestorContribution& anc : a.beitraege.ancestors) {
    if (static_cast<int>(a.hauptahnen.size()) == kHauptahnen) break;
    a.hauptahnen.push_back({a.ahnText(anc, ped), anc.marginal, anc.raw});
  }

  // Per animal, and the ranking of R's animals of breeding age by rising MK.
  const QDate youngest = stichtag.addMonths(-kZuchtreifMonate);
  const QDate oldest = stichtag.addYears(-kZuchtHoechstJahre);
  std::vector<size_t> ranked;
  for (size_t k = 0; k < a.tiere.size(); ++k) {
    AnalyseTier& t = a.tiere[k];
    const std::int32_t i = indexOf[k];
    if (!i) continue;
    t.f = stock_.f()[i];
    t.mk = mk[i];
    t.vollstaendigkeit = completeness[i];
    t.generationen = stock_.generations()[i];
    t.nachkommen = offspring[i];
    if (t.referenz && t.geburtstag.isValid() && t.geburtstag <= youngest && t.geburtstag >= oldest) ranked.push_back(k);
  }
  std::stable_sort(ranked.begin(), ranked.end(), [&](size_t x, size_t y) { return a.tiere[x].mk < a.tiere[y].mk; });
  for (size_t r = 0; r < ranked.size(); ++r) a.tiere[ranked[r]].rang = static_cast<int>(r) + 1;
  a.zuchtfaehige = static_cast<int>(ranked.size());
  if (!step(1000)) return std::nullopt;
  return a;
}

}  // namespace lapiro::lineage
