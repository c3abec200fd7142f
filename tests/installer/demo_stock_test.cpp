#include "installer/demo_stock.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <map>
#include <memory>

#include "engine/cursor.h"
#include "installer/installer.h"
#include "lineage/genetic_formula.h"
#include "support/temp_dir.h"

using namespace lapiro;

namespace {

using Row = QVariantMap;

// One installation with a demo stock, shared by the tests of this file (it takes a while).
struct DemoInstall {
  test::TempDir tmp;
  installer::InstallResult result;
  QString dataDir;

  explicit DemoInstall(int animals) {
    installer::InstallOptions o;
    o.programDir = tmp.file(u"programm"_qs);
    o.settingsDir = tmp.file(u"config"_qs);
    o.demoAnimals = animals;
    result = installer::install(o);
    dataDir = tmp.file(u"programm/daten"_qs);
  }

  // Every record of a table in its primary order, field name -> typed value.
  std::vector<Row> rows(const QString& table) const {
    engine::Engine engine;
    engine.setAlias(u"Hase"_qs, dataDir);
    engine::Cursor c(engine);
    c.setTableName(table);
    c.setReadOnly(true);
    c.open();
    std::vector<Row> out;
    for (c.first(); !c.eof(); c.next()) {
      Row r;
      for (int i = 0; i < c.fieldCount(); ++i) r.insert(c.field(i).name(), c.field(i).value());
      out.push_back(r);
    }
    return out;
  }
};

class DemoStockTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    demo = std::make_unique<DemoInstall>(500);
    ASSERT_EQ(demo->result.exitCode, installer::kExitOk) << demo->result.message.toStdString();
    for (const Row& r : demo->rows(u"Hasen"_qs)) animals.insert(r[u"Nummer"_qs].toLongLong(), r);
  }
  static void TearDownTestSuite() {
    demo.reset();
    animals.clear();
  }

  static const Row* animal(const QVariant& nummer) {
    if (!nummer.isValid()) return nullptr;
    const auto it = animals.constFind(nummer.toLongLong());
    return it == animals.constEnd() ? nullptr : &*it;
  }
  static QDate birth(const Row& r) { return r[u"Geburtstag"_qs].toDate(); }

  static inline std::unique_ptr<DemoInstall> demo;
  static inline QHash<qlonglong, Row> animals;
};

TEST_F(DemoStockTest, HasTheRequestedNumberOfAnimals) {
  EXPECT_EQ(demo->result.animals, 500);
  EXPECT_EQ(animals.size(), 500);
  EXPECT_TRUE(demo->result.message.contains(u"Demo-Tiere erzeugt: 500"_qs));
}

TEST_F(DemoStockTest, ParentsExistAreOfTheRightSexAndBreedAndAtLeastFiveMonthsOlder) {
  int withParents = 0;
  for (const Row& a : animals) {
    const QVariant vater = a[u"Vater"_qs], mutter = a[u"Mutter"_qs];
    EXPECT_EQ(vater.isValid(), mutter.isValid()) << "animal " << a[u"Nummer"_qs].toLongLong();
    if (!vater.isValid()) continue;
    ++withParents;
    const Row* f = animal(vater);
    const Row* m = animal(mutter);
    ASSERT_TRUE(f && m) << "animal " << a[u"Nummer"_qs].toLongLong();
    EXPECT_EQ((*f)[u"Geschlecht"_qs].toString(), u"1"_qs);
    EXPECT_EQ((*m)[u"Geschlecht"_qs].toString(), u"2"_qs);
    EXPECT_EQ((*f)[u"Rasse"_qs], a[u"Rasse"_qs]);
    EXPECT_EQ((*m)[u"Rasse"_qs], a[u"Rasse"_qs]);
    EXPECT_LE(birth(*f).addMonths(5), birth(a));
    EXPECT_LE(birth(*m).addMonths(5), birth(a));
  }
  EXPECT_GT(withParents, 400);
}

TEST_F(DemoStockTest, TattoosFollowTheBirthDateAndIdentifyEachAnimal) {
  static const QRegularExpression left(u"^(\\d{1,2})\\.(\\d{2})\\.(\\d+)$"_qs);
  static const QRegularExpression right(u"^[A-Z] ?\\d{1,4}$"_qs);
  QSet<QString> identities;
  for (const Row& a : animals) {
    const QString l = a[u"TatoLinks"_qs].toString();
    const auto m = left.match(l);
    ASSERT_TRUE(m.hasMatch()) << l.toStdString();
    EXPECT_LE(l.size(), 10);
    EXPECT_EQ(m.captured(1).toInt(), birth(a).month()) << l.toStdString();
    EXPECT_EQ(m.captured(2).toInt(), birth(a).year() % 100) << l.toStdString();
    EXPECT_GE(birth(a).year(), 2010);  // "0x" years would read back as 20x0
    EXPECT_TRUE(right.match(a[u"TatoRechts"_qs].toString()).hasMatch())
        << a[u"TatoRechts"_qs].toString().toStdString();
    const QString id = a[u"TatoRechts"_qs].toString() + u'|' + l + u'|' + birth(a).toString(Qt::ISODate);
    EXPECT_FALSE(identities.contains(id)) << id.toStdString();
    identities.insert(id);
  }
}

TEST_F(DemoStockTest, FoundersHaveDistinctLettersAndDescendantsDerivedFormulas) {
  QSet<QString> letters;
  int derived = 0;
  for (const Row& a : animals) {
    const QString formula = a[u"Erbformel"_qs].toString();
    if (!a[u"Vater"_qs].isValid()) {
      ASSERT_EQ(formula.size(), 1);
      EXPECT_TRUE(formula.at(0).isLetter());
      EXPECT_FALSE(letters.contains(formula)) << formula.toStdString();
      letters.insert(formula);
      continue;
    }
    const QString f = (*animal(a[u"Vater"_qs]))[u"Erbformel"_qs].toString();
    const QString m = (*animal(a[u"Mutter"_qs]))[u"Erbformel"_qs].toString();
    const QString expected =
        f.isEmpty() || m.isEmpty() ? QString() : lineage::deriveOffspringFormula(f, m).value_or(QString());
    EXPECT_EQ(formula, expected) << "animal " << a[u"Nummer"_qs].toLongLong();
    if (!formula.isEmpty()) ++derived;
  }
  EXPECT_GE(letters.size(), 6);
  EXPECT_GT(derived, 0);
}

TEST_F(DemoStockTest, SpansAtLeastSixGenerationsWithRelatedMatings) {
  // Animals come in order of birth, so parents are numbered before their young.
  QHash<qlonglong, int> generation;
  std::map<qlonglong, const Row*> ordered;
  for (const Row& a : animals) ordered[a[u"Nummer"_qs].toLongLong()] = &a;
  int deepest = 0, related = 0;
  for (const auto& [nummer, a] : ordered) {
    int g = 1;
    const QVariant vater = (*a)[u"Vater"_qs], mutter = (*a)[u"Mutter"_qs];
    if (vater.isValid()) {
      ASSERT_LT(vater.toLongLong(), nummer);
      ASSERT_LT(mutter.toLongLong(), nummer);
      g = std::max(generation.value(vater.toLongLong()), generation.value(mutter.toLongLong())) + 1;
      // Half-siblings share a parent, cousins a grandparent.
      auto ancestors = [&](const QVariant& parent) {
        QSet<qlonglong> set;
        const Row* p = animal(parent);
        for (const char16_t* side : {u"Vater", u"Mutter"}) {
          const QVariant grand = (*p)[QString::fromUtf16(side)];
          if (!grand.isValid()) continue;
          set.insert(grand.toLongLong());
          const Row* gp = animal(grand);
          for (const char16_t* s2 : {u"Vater", u"Mutter"})
            if ((*gp)[QString::fromUtf16(s2)].isValid())
              set.insert((*gp)[QString::fromUtf16(s2)].toLongLong());
        }
        return set;
      };
      if (ancestors(vater).intersects(ancestors(mutter))) ++related;
    }
    generation.insert(nummer, g);
    deepest = std::max(deepest, g);
  }
  EXPECT_GE(deepest, 6);
  EXPECT_GE(related, 1);
}

TEST_F(DemoStockTest, LittersArePlausibleAndHoldTheirYoung) {
  QHash<QString, std::pair<int, int>> found;  // doe|Wurftag -> bucks, does recorded
  for (const Row& a : animals)
    if (a[u"Mutter"_qs].isValid()) {
      auto& [bucks, does] = found[a[u"Mutter"_qs].toString() + u'|' + birth(a).toString(Qt::ISODate)];
      (a[u"Geschlecht"_qs].toString() == u"1"_qs ? bucks : does)++;
    }
  int litters = 0, withLitter = 0, young = 0;
  QSet<QString> litterKeys;
  for (const Row& w : demo->rows(u"Wurfbuch.DB"_qs)) {
    ++litters;
    const Row* doe = animal(w[u"Katze"_qs]);
    const Row* buck = animal(w[u"Kater"_qs]);
    ASSERT_TRUE(doe && buck);
    EXPECT_EQ((*doe)[u"Geschlecht"_qs].toString(), u"2"_qs);
    EXPECT_EQ((*buck)[u"Geschlecht"_qs].toString(), u"1"_qs);
    const QDate mating = w[u"Decktermin"_qs].toDate();
    ASSERT_TRUE(mating.isValid());
    const QDate day = w[u"Wurftag"_qs].toDate();
    if (!day.isValid()) {
      EXPECT_FALSE(w[u"WurfStMaennlich"_qs].isValid());
      continue;
    }
    ++withLitter;
    EXPECT_EQ(mating.daysTo(day), 31);
    const int m = w[u"WurfStMaennlich"_qs].toInt(), f = w[u"WurfStWeiblich"_qs].toInt(),
              dead = w[u"WurfStTot"_qs].toInt();
    EXPECT_GE(m, 0);
    EXPECT_GE(f, 0);
    EXPECT_GE(dead, 0);
    EXPECT_GE(m + f, 1);
    EXPECT_LE(m + f + dead, 14);
    const QString key = w[u"Katze"_qs].toString() + u'|' + day.toString(Qt::ISODate);
    litterKeys.insert(key);
    const auto [bucks, does] = found.value(key);
    EXPECT_LE(bucks, m) << key.toStdString();
    EXPECT_LE(does, f) << key.toStdString();
    young += bucks + does;
  }
  EXPECT_GT(withLitter, 50);
  EXPECT_LT(withLitter, litters);  // a few matings without a litter yet
  // Every animal with parents is the young of a recorded litter.
  for (auto it = found.cbegin(); it != found.cend(); ++it) EXPECT_TRUE(litterKeys.contains(it.key()));
  int withMother = 0;
  for (const Row& a : animals) withMother += a[u"Mutter"_qs].isValid() ? 1 : 0;
  EXPECT_EQ(young, withMother);

  // Litter weighings belong to litters and come after the birth.
  QHash<qlonglong, QDate> litterDay;
  for (const Row& w : demo->rows(u"Wurfbuch.DB"_qs))
    litterDay.insert(w[u"LaufendeNummer"_qs].toLongLong(), w[u"Wurftag"_qs].toDate());
  const auto weighings = demo->rows(u"Jungtiere"_qs);
  EXPECT_FALSE(weighings.empty());
  for (const Row& j : weighings) {
    ASSERT_TRUE(litterDay.contains(j[u"Wurf"_qs].toLongLong()));
    EXPECT_GT(j[u"Datum"_qs].toDate(), litterDay.value(j[u"Wurf"_qs].toLongLong()));
    EXPECT_GT(j[u"Gewicht"_qs].toDouble(), 0);
  }
}

TEST_F(DemoStockTest, StatusTradesPeopleAndColoursAreConsistent) {
  QSet<qlonglong> addresses;
  for (const Row& a : demo->rows(u"Adresse"_qs)) {
    addresses.insert(a[u"LaufendeNr"_qs].toLongLong());
    EXPECT_FALSE(a[u"Name"_qs].toString().isEmpty());
    EXPECT_EQ(a[u"PLZ"_qs].toString().size(), 5);
  }
  QHash<qlonglong, qlonglong> breedOfColour;
  for (const Row& c : demo->rows(u"Farbe"_qs))
    breedOfColour.insert(c[u"Nummer"_qs].toLongLong(), c[u"Rasse"_qs].toLongLong());
  QHash<qlonglong, Row> trade;
  for (const Row& v : demo->rows(u"VERKAUFT"_qs)) {
    EXPECT_FALSE(trade.contains(v[u"Katze"_qs].toLongLong()));  // at most one per animal
    trade.insert(v[u"Katze"_qs].toLongLong(), v);
  }
  QHash<qlonglong, int> statusCount;
  for (const Row& a : animals) {
    const qlonglong nummer = a[u"Nummer"_qs].toLongLong();
    const qlonglong status = a[u"Status"_qs].toLongLong();
    ++statusCount[status];
    EXPECT_TRUE(addresses.contains(a[u"Zuechter"_qs].toLongLong()));
    if (a[u"Besitzer"_qs].isValid()) {
      EXPECT_TRUE(addresses.contains(a[u"Besitzer"_qs].toLongLong()));
    }
    EXPECT_EQ(breedOfColour.value(a[u"Farbe"_qs].toLongLong()), a[u"Rasse"_qs].toLongLong());
    const Row v = trade.value(nummer);
    EXPECT_EQ(status == 3, v[u"Verkauftam"_qs].isValid()) << nummer;
    EXPECT_EQ(status == 4, v[u"Geschlachtetam"_qs].isValid()) << nummer;
    EXPECT_EQ(status == 5, v[u"Gestorbenam"_qs].isValid()) << nummer;
    if (status == 3) {
      EXPECT_TRUE(a[u"Besitzer"_qs].isValid());  // the buyer
    }
  }
  const int living = statusCount.value(1) + statusCount.value(2) + statusCount.value(6);
  EXPECT_GT(statusCount.value(1), living / 2);
  EXPECT_GT(statusCount.value(3) + statusCount.value(4) + statusCount.value(5), 0);

  const auto own = demo->rows(u"eigen.DB"_qs);
  ASSERT_EQ(own.size(), 1u);
  EXPECT_FALSE(own[0][u"Name"_qs].toString().isEmpty());
  EXPECT_FALSE(own[0][u"Verband"_qs].toString().isEmpty());
}

TEST_F(DemoStockTest, ShowResultsAndWoolTestsAreInRange) {
  QSet<QString> titles;
  for (const Row& t : demo->rows(u"Ausstellungstitel.db"_qs)) titles.insert(t[u"Bezeichnung"_qs].toString());
  const QStringList positions = {u"Gewicht1"_qs, u"Koerper2"_qs,    u"Fell3"_qs,  u"Kopf4"_qs,
                                 u"Farbe5"_qs,   u"Unterfarbe6"_qs, u"Pflege7"_qs};
  int scored = 0;
  for (const Row& s : demo->rows(u"Ausstellung"_qs)) {
    const Row* a = animal(s[u"Hase"_qs]);
    ASSERT_TRUE(a);
    EXPECT_TRUE(titles.contains(s[u"Titel"_qs].toString())) << s[u"Titel"_qs].toString().toStdString();
    EXPECT_GT(s[u"Datum"_qs].toDate(), birth(*a));
    if (s[u"Titel"_qs].toString() == u"Jungtierbewertung"_qs) {
      EXPECT_FALSE(s[u"BewertJungtier"_qs].toString().isEmpty());
      EXPECT_FALSE(s[u"EigeneBewertung"_qs].isValid());
      continue;
    }
    ++scored;
    double sum = 0;
    for (const QString& p : positions) {
      EXPECT_GE(s[p].toDouble(), 6.0);
      EXPECT_LE(s[p].toDouble(), 20.0);
      sum += s[p].toDouble();
    }
    EXPECT_DOUBLE_EQ(s[u"EigeneBewertung"_qs].toDouble(), sum);
    EXPECT_GE(sum, 90.0);
    EXPECT_LE(sum, 97.0);
    EXPECT_LE(s[u"Koerper2"_qs].toDouble(), 20.0);
    EXPECT_LE(s[u"Fell3"_qs].toDouble(), 15.0);
    EXPECT_LE(s[u"Kopf4"_qs].toDouble() + s[u"Farbe5"_qs].toDouble() + s[u"Unterfarbe6"_qs].toDouble(), 40.0);
  }
  EXPECT_GT(scored, 10);

  QSet<qlonglong> longHaired;
  for (const Row& r : demo->rows(u"Rasse"_qs))
    if (r[u"Rassegruppe"_qs].toString() == u"Langhaarrassen"_qs)
      longHaired.insert(r[u"Nummer"_qs].toLongLong());
  const auto tests = demo->rows(u"Angora"_qs);
  EXPECT_FALSE(tests.empty());
  for (const Row& w : tests) {
    const Row* a = animal(w[u"Kaninchen"_qs]);
    ASSERT_TRUE(a);
    EXPECT_TRUE(longHaired.contains((*a)[u"Rasse"_qs].toLongLong()));
    EXPECT_LT(w[u"Vom"_qs].toDate(), w[u"Bis"_qs].toDate());
    const qlonglong i = w[u"Schurergebnis1"_qs].toLongLong(), ii = w[u"Schurergebnis2"_qs].toLongLong(),
                    felt = w[u"Filz"_qs].toLongLong();
    if (w[u"Schurintervall"_qs].toString() == u"91"_qs) {
      EXPECT_EQ(w[u"JWEInsgesamt"_qs].toLongLong(), 4 * (i + ii + felt));
      EXPECT_EQ(w[u"WRZInsgesamt"_qs].toLongLong(), 4 * i + 3 * ii + felt);
    } else {
      EXPECT_EQ(w[u"Schurintervall"_qs].toString(), u"84"_qs);
    }
    double sum = 0;
    for (const char16_t* p :
         {u"Gewicht", u"Koerper", u"Wolldichte", u"Ausgeglichenheit", u"Wollstruktur", u"Behang", u"Pflege"})
      sum += w[QString::fromUtf16(p)].toDouble();
    EXPECT_DOUBLE_EQ(w[u"Bewertung"_qs].toDouble(), sum);
  }
}

TEST_F(DemoStockTest, AccountBalancesMatchTheirBookings) {
  std::map<qlonglong, engine::Money> sums;
  QHash<qlonglong, Row> byNumber;
  for (const Row& b : demo->rows(u"BUCHUNG"_qs)) {
    sums[b[u"Kontoname"_qs].toLongLong()] += b[u"Betrag"_qs].value<engine::Money>();
    byNumber.insert(b[u"BuchungsNr"_qs].toLongLong(), b);
  }
  EXPECT_GT(byNumber.size(), 50);
  // Transfers and their counter bookings point to each other with opposite amounts.
  int transfers = 0;
  for (const Row& b : byNumber) {
    if (!b[u"Gegenbuchung"_qs].isValid()) continue;
    ++transfers;
    const Row counter = byNumber.value(b[u"Gegenbuchung"_qs].toLongLong());
    EXPECT_EQ(counter[u"Gegenbuchung"_qs].toLongLong(), b[u"BuchungsNr"_qs].toLongLong());
    EXPECT_EQ(counter[u"Betrag"_qs].value<engine::Money>(), -b[u"Betrag"_qs].value<engine::Money>());
  }
  EXPECT_GT(transfers, 0);
  int accounts = 0;
  for (const Row& k : demo->rows(u"KONTEN.DB"_qs)) {
    if (k[u"Kontoart"_qs].toLongLong() == 0) continue;
    ++accounts;
    EXPECT_EQ(k[u"Kontostand"_qs].value<engine::Money>(),
              k[u"Eroeffnungssaldo"_qs].value<engine::Money>() + sums[k[u"LaufendeNummer"_qs].toLongLong()])
        << k[u"Name"_qs].toString().toStdString();
  }
  EXPECT_EQ(accounts, 2);
}

TEST(DemoStockDeterminismTest, TwoRunsWriteIdenticalFiles) {
  DemoInstall first(150), second(150);
  ASSERT_EQ(first.result.exitCode, installer::kExitOk);
  ASSERT_EQ(second.result.exitCode, installer::kExitOk);
  const QStringList files = QDir(first.dataDir).entryList(QDir::Files, QDir::Name);
  EXPECT_EQ(files, QDir(second.dataDir).entryList(QDir::Files, QDir::Name));
  for (const QString& name : files) {
    QFile a(first.dataDir + u'/' + name), b(second.dataDir + u'/' + name);
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    EXPECT_TRUE(a.readAll() == b.readAll()) << name.toStdString();
  }
}

}  // namespace
