#include "installer/demo_health.h"

#include <array>

#include "engine/cursor.h"
#include "engine/table_loader.h"
#include "store/catalogue.h"

namespace lapiro::installer {

namespace {

// A small deterministic generator (64-bit LCG, high bits).
class Lcg {
 public:
  explicit Lcg(quint64 seed) : state_(seed ^ 0x9E3779B97F4A7C15ULL) {}
  int below(int n) {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return n <= 0 ? 0 : static_cast<int>((state_ >> 33) % static_cast<quint64>(n));
  }
  int between(int lo, int hi) { return lo + below(hi - lo + 1); }
  bool chance(int percent) { return below(100) < percent; }
  template <class T, size_t N>
  const T& pick(const std::array<T, N>& a) {
    return a[static_cast<size_t>(below(static_cast<int>(N)))];
  }

 private:
  quint64 state_;
};

struct DemoAnimal {
  qint64 nummer = 0;
  QDate birth;
  qint64 status = 0;
};

QString s(const char16_t* text) { return QString::fromUtf16(text); }

const std::array<const char16_t*, 12> kTowns = {u"München", u"Kassel", u"Bremen", u"Göttingen", u"Fulda", u"Erfurt",
                                                u"Würzburg", u"Lübeck", u"Münster", u"Ulm", u"Passau", u"Zwickau"};
const std::array<const char16_t*, 12> kPlz = {u"80331", u"34117", u"28195", u"37073", u"36037", u"99084",
                                              u"97070", u"23552", u"48143", u"89073", u"94032", u"08056"};
const std::array<const char16_t*, 16> kNames = {u"Müller", u"Schmidt", u"Schneider", u"Fischer", u"Weber",
                                                u"Meyer", u"Wagner", u"Becker", u"Schulz", u"Hoffmann",
                                                u"Köhler", u"Bauer", u"Wolf", u"Schäfer", u"Krüger", u"Lange"};
const std::array<const char16_t*, 10> kFirst = {u"Hans", u"Anna", u"Peter", u"Jürgen", u"Monika",
                                                u"Klaus", u"Sabine", u"Uwe", u"Gisela", u"Erwin"};
const std::array<const char16_t*, 10> kBreeds = {u"Deutsche Riesen", u"Alaska", u"Rex", u"Zwergwidder",
                                                 u"Kleinsilber", u"Englische Schecken", u"Angora",
                                                 u"Weiße Wiener", u"Holländer", u"Hermelin"};
const std::array<const char16_t*, 8> kColours = {u"schwarz", u"blau", u"weiß", u"grau", u"havanna",
                                                 u"gelb", u"dreifarben", u"chinchilla"};
const std::array<const char16_t*, 8> kStreets = {u"Hauptstraße", u"Lindenweg", u"Am Anger", u"Bergstraße",
                                                 u"Gartenstraße", u"Mühlweg", u"Schulstraße", u"Feldweg"};

void ensureTable(engine::Engine& engine, const QString& name) {
  if (engine.tableExists(name)) return;
  const store::CatalogueTable* t = store::findTable(name);
  if (!t) throw engine::EngineError(engine::EngineError::Kind::TableMissing, QStringLiteral("Unbekannte Tabelle %1.").arg(name));
  engine.createTable(t->fileName, store::currentLayout(*t));
}

}  // namespace

DemoHealthSummary writeDemoHealthAndRegister(engine::Engine& engine, const DemoStockOptions& options) {
  Lcg rng(options.seed + 8);
  const QDate last = options.lastDay;
  DemoHealthSummary summary;

  // The animals as written by the demo stock.
  std::vector<DemoAnimal> animals;
  {
    engine::Cursor hasen(engine, QStringLiteral("DemoHasen"));
    hasen.setTableName(QStringLiteral("Hasen.db"));
    hasen.setReadOnly(true);
    hasen.open();
    const qint64 n = hasen.recordCount();
    animals.reserve(static_cast<size_t>(n));
    const int nr = hasen.fieldIndex(QStringLiteral("Nummer")), geb = hasen.fieldIndex(QStringLiteral("Geburtstag")),
              st = hasen.fieldIndex(QStringLiteral("Status"));
    for (qint64 off = 0; off < n; off += 4096)
      for (const auto& row : hasen.readRows(off, 4096))
        animals.push_back({row[nr].toLongLong(), row[geb].toDate(), row[st].toLongLong()});
  }

  // Pharmacy: the installed entries plus products with expiry dates.
  std::vector<qint64> medicines;
  {
    engine::TableLoader t(engine, QStringLiteral("APOTHEKE"));
    const struct {
      const char16_t *bereich, *krankheit, *name;
      int months;
      int repeatMonths = 0;  // vaccines: months until the next vaccination
    } products[] = {{u"Impfstoffe", u"RHD", u"Filavac VHD K C+V", 8, 12},
                    {u"Impfstoffe", u"Myxomatose und RHD", u"Nobivac Myxo-RHD Plus", 5, 6},
                    {u"Parasiten", u"Kokzidiose", u"Baycox 2,5 %", 14},
                    {u"Parasiten", u"Würmer", u"Panacur Paste", 3},
                    {u"Vitamine", u"Aufbau nach Krankheit", u"Vitamin-Komplex", 14},
                    {u"Haut und Wunden", u"Wunden", u"Jodsalbe", -2}};
    for (const auto& p : products)
      t.insert(QVariantMap{{QStringLiteral("Bereich"), s(p.bereich)},
                           {QStringLiteral("Krankheit"), s(p.krankheit)},
                           {QStringLiteral("Medikament"), s(p.name)},
                           {QStringLiteral("Verfallsdatum"), last.addMonths(p.months)},
                           {QStringLiteral("WiederholungMonate"), p.repeatMonths > 0 ? QVariant(p.repeatMonths) : QVariant()}});
    t.commit();
    engine::Cursor apo(engine, QStringLiteral("DemoApotheke"));
    apo.setTableName(QStringLiteral("APOTHEKE"));
    apo.setReadOnly(true);
    apo.open();
    for (apo.first(); !apo.eof(); apo.next()) medicines.push_back(apo.field(QStringLiteral("LaufendeNummer")).asInteger());
  }

  ensureTable(engine, QStringLiteral("Impfung"));
  engine::TableLoader gaben(engine, QStringLiteral("MedizienHase"));
  engine::TableLoader impf(engine, QStringLiteral("Impfung"));
  engine::TableLoader des(engine, QStringLiteral("Desinfektion"));
  engine::TableLoader ins(engine, QStringLiteral("Insektenbek"));
  const std::array<const char16_t*, 4> diseases = {u"Kokzidiose", u"Schnupfen", u"Durchfall", u"Milben"};
  const std::array<const char16_t*, 4> doses = {u"0,5", u"1", u"1,5", u"2"};
  const std::array<const char16_t*, 3> agents = {u"Virkon S", u"Branntkalk", u"Kresolseifenlösung"};
  const std::array<const char16_t*, 3> insecticides = {u"Pyrethrum-Spray", u"Neem-Öl", u"Kieselgur"};
  const std::array<const char16_t*, 3> vets = {u"Dr. Lang", u"Dr. Brandt", u"Tierarztpraxis Am Markt"};
  const auto treat = [&](qint64 hase, const QDate& day) {
    gaben.insert(QVariantMap{{QStringLiteral("Hase"), hase},
                             {QStringLiteral("Medikament"), medicines[static_cast<size_t>(rng.below(static_cast<int>(medicines.size())))]},
                             {QStringLiteral("Dosierung"), s(rng.pick(doses))},
                             {QStringLiteral("Krankheit"), s(rng.pick(diseases))},
                             {QStringLiteral("Am"), day}});
    ++summary.treatments;
  };
  const auto vaccinate = [&](qint64 hase, const QDate& day, bool rhd) {
    impf.insert(QVariantMap{{QStringLiteral("Tier"), hase},
                            {QStringLiteral("Datum"), day},
                            {QStringLiteral("Impfung"), rhd ? QStringLiteral("RHD") : QStringLiteral("Myxomatose")},
                            {QStringLiteral("Impfstoff"), rhd ? QStringLiteral("Filavac VHD K C+V")
                                                              : QStringLiteral("Nobivac Myxo-RHD Plus")},
                            {QStringLiteral("Chargenbez"), QStringLiteral("CH-%1").arg(day.year() * 100 + day.month())},
                            {QStringLiteral("Tierarzt"), s(rng.pick(vets))}});
    ++summary.vaccinations;
  };
  const auto hygiene = [&](qint64 hase, const QDate& day, bool insects) {
    if (insects)
      ins.insert(QVariantMap{{QStringLiteral("Hase"), hase}, {QStringLiteral("Am"), day},
                             {QStringLiteral("Insektizied"), s(rng.pick(insecticides))}});
    else
      des.insert(QVariantMap{{QStringLiteral("Hase"), hase}, {QStringLiteral("Am"), day},
                             {QStringLiteral("Desinfektion"), s(rng.pick(agents))}});
    ++summary.hygieneRows;
  };
  const auto dayAfter = [&](const QDate& from, int minDays, int maxDays) {
    const QDate d = from.addDays(rng.between(minDays, maxDays));
    return d > last ? last : d;
  };

  for (const DemoAnimal& a : animals) {
    if (!a.birth.isValid() || a.birth.addDays(56) > last) continue;
    const bool own = a.status == 1;
    if (own && summary.longHistoryAnimal == 0) {
      // 50 rows: 14 treatments, 16 vaccinations, 10 disinfections, 10 insect treatments.
      summary.longHistoryAnimal = a.nummer;
      const int span = static_cast<int>(std::max<qint64>(60, a.birth.daysTo(last)));
      for (int i = 0; i < 14; ++i) treat(a.nummer, a.birth.addDays(56 + span * i / 14 % span));
      for (int i = 0; i < 16; ++i) vaccinate(a.nummer, a.birth.addDays(56 + span * i / 16 % span), i % 2 == 0);
      for (int i = 0; i < 10; ++i) hygiene(a.nummer, a.birth.addDays(56 + span * i / 10 % span), false);
      for (int i = 0; i < 10; ++i) hygiene(a.nummer, a.birth.addDays(60 + span * i / 10 % span), true);
      continue;
    }
    // Young stock: one vaccination against both at eight weeks; the own stock twice a year.
    if (rng.chance(own ? 100 : 35)) {
      QDate day = a.birth.addDays(56);
      for (int k = 0; k < (own ? 6 : 1) && day <= last; ++k) {
        vaccinate(a.nummer, day, true);
        if (own) vaccinate(a.nummer, day.addDays(14) > last ? last : day.addDays(14), false);
        day = day.addMonths(6);
      }
    }
    if (rng.chance(12)) {
      const int n = rng.between(1, 3);
      QDate day = dayAfter(a.birth, 30, 200);
      for (int k = 0; k < n; ++k, day = dayAfter(day, 2, 9)) treat(a.nummer, day);
    }
    if (rng.chance(own ? 40 : 6)) hygiene(a.nummer, dayAfter(a.birth, 20, 120), false);
    if (rng.chance(own ? 30 : 4)) hygiene(a.nummer, dayAfter(a.birth, 60, 200), true);
  }
  gaben.commit();
  impf.commit();
  des.commit();
  ins.commit();

  // Clubs.
  std::vector<QString> clubs;
  {
    engine::TableLoader t(engine, QStringLiteral("VEREINE.DB"));
    for (size_t i = 0; i < kTowns.size(); ++i)
      for (const char16_t* kind : {u"Kaninchenzuchtverein", u"KZV"}) {
        if (s(kind) == QStringLiteral("KZV") && i % 3 != 0) continue;
        const QString town = s(kTowns[i]);
        const QString name = s(kind) + u' ' + town + (s(kind) == QStringLiteral("KZV") ? QStringLiteral("-Land e.V.")
                                                                                        : QStringLiteral(" e.V."));
        clubs.push_back(name);
        t.insert(QVariantMap{{QStringLiteral("Verein"), name},
                             {QStringLiteral("Strasse"), s(rng.pick(kStreets)) + u' ' + QString::number(rng.between(1, 90))},
                             {QStringLiteral("Plz"), s(kPlz[i])},
                             {QStringLiteral("Ort"), town},
                             {QStringLiteral("Land"), QStringLiteral("Deutschland")},
                             {QStringLiteral("Telefon"), QStringLiteral("0%1 %2").arg(rng.between(30, 999)).arg(rng.between(10000, 99999))},
                             {QStringLiteral("Ansprechpartner"), s(rng.pick(kFirst)) + u' ' + s(rng.pick(kNames))},
                             {QStringLiteral("EMail"), QStringLiteral("vorstand@kzv-%1.example.de").arg(i + 1)},
                             {QStringLiteral("Homepage"), QStringLiteral("www.kzv-%1.example.de").arg(i + 1)}});
        ++summary.clubs;
      }
    t.commit();
  }

  // Breeder register: one breeder per ten animals, at least 60.
  {
    engine::TableLoader t(engine, QStringLiteral("ZWINGREG.DB"));
    const int count = std::max(60, static_cast<int>(animals.size()) / 10);
    for (int i = 0; i < count; ++i) {
      const size_t town = static_cast<size_t>(rng.below(static_cast<int>(kTowns.size())));
      const QString name = s(rng.pick(kFirst)) + u' ' + s(rng.pick(kNames));
      QVariantMap row{{QStringLiteral("Zwinger"), QStringLiteral("%1-%2").arg(QChar(static_cast<char16_t>(u'A' + town))).arg(100 + i)},
                      {QStringLiteral("Rasse"), s(rng.pick(kBreeds))},
                      {QStringLiteral("Züchter"), name},
                      {QStringLiteral("Strasse"), s(rng.pick(kStreets)) + u' ' + QString::number(rng.between(1, 120))},
                      {QStringLiteral("PLZ"), s(kPlz[town])},
                      {QStringLiteral("Ort"), s(kTowns[town])},
                      {QStringLiteral("Land"), QStringLiteral("Deutschland")},
                      {QStringLiteral("Verein"), clubs[static_cast<size_t>(rng.below(static_cast<int>(clubs.size())))]},
                      {QStringLiteral("Telefon"), QStringLiteral("0%1 %2").arg(rng.between(30, 999)).arg(rng.between(10000, 999999))},
                      {QStringLiteral("Zuchtfarbe"), s(rng.pick(kColours))}};
      if (rng.chance(40)) row.insert(QStringLiteral("Handy"), QStringLiteral("01%1 %2").arg(rng.between(51, 79)).arg(rng.between(1000000, 9999999)));
      if (rng.chance(50)) row.insert(QStringLiteral("EMail"), QStringLiteral("zuechter%1@example.de").arg(i + 1));
      if (rng.chance(15)) row.insert(QStringLiteral("Homepage"), QStringLiteral("www.zucht-%1.example.de").arg(i + 1));
      t.insert(row);
      ++summary.breeders;
    }
    t.commit();
  }
  return summary;
}

}  // namespace lapiro::installer
