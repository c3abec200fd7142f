#include "installer/demo_stock.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <array>
#include <cmath>

#include "breeding/wool_performance.h"
#include "engine/cursor.h"
#include "engine/table_loader.h"
#include "installer/demo_health.h"
#include "installer/demo_koerung.h"
#include "installer/demo_shows.h"
#include "lineage/genetic_formula.h"
#include "store/catalogue.h"

namespace lapiro::installer {

namespace {

using engine::EngineError;
using engine::Money;

// splitmix64: small, fast and the same on every platform and standard library, which the
// std distributions are not.
class Random {
 public:
  explicit Random(quint64 seed) : state_(seed) {}
  quint64 next() {
    quint64 z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  int below(int n) { return n <= 0 ? 0 : static_cast<int>(next() % static_cast<quint64>(n)); }
  int between(int lo, int hi) { return lo + below(hi - lo + 1); }  // inclusive
  bool chance(int percent) { return below(100) < percent; }
  double unit() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
  template <class T>
  const T& pick(const std::vector<T>& v) {
    return v[static_cast<size_t>(below(static_cast<int>(v.size())))];
  }

 private:
  quint64 state_;
};

QString s(const char16_t* text) {
  return QString::fromUtf16(text);
}

std::vector<QString> list(std::initializer_list<const char16_t*> texts) {
  std::vector<QString> out;
  for (const char16_t* t : texts) out.push_back(s(t));
  return out;
}

Money cents(qint64 amount) {
  return Money::fromUnits(amount * 100);
}

// ------------------------------------------------------------------------ word lists

const std::vector<QString>& surnames() {
  static const auto l = list(
      {u"Müller",   u"Schmidt",  u"Schneider", u"Fischer",    u"Weber",   u"Meyer",    u"Wagner",   u"Becker",
       u"Schulz",   u"Hoffmann", u"Schäfer",   u"Koch",       u"Bauer",   u"Richter",  u"Klein",    u"Wolf",
       u"Schröder", u"Neumann",  u"Schwarz",   u"Zimmermann", u"Braun",   u"Krüger",   u"Hartmann", u"Lange",
       u"Werner",   u"Krause",   u"Lehmann",   u"Schulze",    u"Köhler",  u"Herrmann", u"König",    u"Walter",
       u"Huber",    u"Kaiser",   u"Fuchs",     u"Peters",     u"Scholz",  u"Möller",   u"Weiß",     u"Jung",
       u"Hahn",     u"Schubert", u"Vogel",     u"Friedrich",  u"Keller",  u"Günther",  u"Frank",    u"Berger",
       u"Winkler",  u"Roth",     u"Beck",      u"Lorenz",     u"Baumann", u"Albrecht", u"Ludwig",   u"Böhm",
       u"Kraus",    u"Seidel",   u"Sauer",     u"Wendt"});
  return l;
}

const std::vector<QString>& givenNames() {
  static const auto l =
      list({u"Hans",    u"Peter",    u"Klaus",   u"Jürgen",   u"Wolfgang", u"Michael", u"Thomas",
            u"Andreas", u"Stefan",   u"Frank",   u"Uwe",      u"Dieter",   u"Günter",  u"Horst",
            u"Manfred", u"Bernd",    u"Ralf",    u"Karl",     u"Heinz",    u"Werner",  u"Monika",
            u"Sabine",  u"Petra",    u"Andrea",  u"Gabriele", u"Ursula",   u"Renate",  u"Birgit",
            u"Karin",   u"Claudia",  u"Susanne", u"Heike",    u"Martina",  u"Anja",    u"Jutta",
            u"Elke",    u"Brigitte", u"Helga",   u"Jörg",     u"Matthias", u"Lukas",   u"Jonas"});
  return l;
}

struct Town {
  const char16_t* plz;
  const char16_t* ort;
  const char16_t* area;  // dialling code
};

const std::vector<Town>& towns() {
  static const std::vector<Town> l = {{u"34117", u"Kassel", u"0561"},
                                      {u"36037", u"Fulda", u"0661"},
                                      {u"35390", u"Gießen", u"0641"},
                                      {u"37073", u"Göttingen", u"0551"},
                                      {u"99084", u"Erfurt", u"0361"},
                                      {u"98527", u"Suhl", u"03681"},
                                      {u"07743", u"Jena", u"03641"},
                                      {u"04109", u"Leipzig", u"0341"},
                                      {u"01067", u"Dresden", u"0351"},
                                      {u"09111", u"Chemnitz", u"0371"},
                                      {u"06108", u"Halle (Saale)", u"0345"},
                                      {u"39104", u"Magdeburg", u"0391"},
                                      {u"30159", u"Hannover", u"0511"},
                                      {u"38100", u"Braunschweig", u"0531"},
                                      {u"49074", u"Osnabrück", u"0541"},
                                      {u"33602", u"Bielefeld", u"0521"},
                                      {u"44135", u"Dortmund", u"0231"},
                                      {u"48143", u"Münster", u"0251"},
                                      {u"50667", u"Köln", u"0221"},
                                      {u"53111", u"Bonn", u"0228"},
                                      {u"54290", u"Trier", u"0651"},
                                      {u"55116", u"Mainz", u"06131"},
                                      {u"66111", u"Saarbrücken", u"0681"},
                                      {u"69117", u"Heidelberg", u"06221"},
                                      {u"70173", u"Stuttgart", u"0711"},
                                      {u"72070", u"Tübingen", u"07071"},
                                      {u"79098", u"Freiburg im Breisgau", u"0761"},
                                      {u"80331", u"München", u"089"},
                                      {u"86150", u"Augsburg", u"0821"},
                                      {u"90403", u"Nürnberg", u"0911"},
                                      {u"93047", u"Regensburg", u"0941"},
                                      {u"94032", u"Passau", u"0851"},
                                      {u"97070", u"Würzburg", u"0931"},
                                      {u"95444", u"Bayreuth", u"0921"},
                                      {u"18055", u"Rostock", u"0381"},
                                      {u"19053", u"Schwerin", u"0385"},
                                      {u"24103", u"Kiel", u"0431"},
                                      {u"23552", u"Lübeck", u"0451"},
                                      {u"28195", u"Bremen", u"0421"},
                                      {u"14467", u"Potsdam", u"0331"},
                                      {u"03046", u"Cottbus", u"0355"},
                                      {u"17489", u"Greifswald", u"03834"},
                                      {u"34369", u"Hofgeismar", u"05671"},
                                      {u"36251", u"Bad Hersfeld", u"06621"},
                                      {u"37269", u"Eschwege", u"05651"},
                                      {u"34497", u"Korbach", u"05631"}};
  return l;
}

const std::vector<QString>& streets() {
  static const auto l =
      list({u"Hauptstraße", u"Bahnhofstraße", u"Gartenstraße",  u"Schulstraße",       u"Dorfstraße",
            u"Lindenweg",   u"Birkenweg",     u"Am Mühlbach",   u"Feldweg",           u"Kirchgasse",
            u"Bergstraße",  u"Ringstraße",    u"Waldstraße",    u"Wiesenweg",         u"Mühlenweg",
            u"Rosenstraße", u"Am Anger",      u"Brunnenstraße", u"Eichendorffstraße", u"Goethestraße",
            u"Hasenwinkel", u"Im Grund"});
  return l;
}

const std::vector<QString>& buckNames() {
  static const auto l = list({u"Max",    u"Moritz", u"Bruno", u"Felix", u"Oskar",  u"Balu",  u"Casper",
                              u"Theo",   u"Paul",   u"Emil",  u"Fritz", u"Hugo",   u"Anton", u"Benno",
                              u"Charly", u"Willi",  u"Jupp",  u"Rocky", u"Samson", u"Lord"});
  return l;
}

const std::vector<QString>& doeNames() {
  static const auto l = list({u"Bella", u"Luna",  u"Lotte", u"Frieda", u"Emma", u"Mia",    u"Lilly",
                              u"Paula", u"Wilma", u"Hanni", u"Nanni",  u"Susi", u"Flocke", u"Daisy",
                              u"Greta", u"Molly", u"Nele",  u"Resi",   u"Toni", u"Elsa"});
  return l;
}

// Fixed show days of a season (October to January): month and day.
constexpr std::array<std::pair<int, int>, 6> kShowDays = {
    {{10, 12}, {11, 9}, {11, 23}, {12, 7}, {12, 28}, {1, 11}}};

// Maximum points of the seven positions of a show judging (positions 4 to 6 together 40).
constexpr std::array<double, 7> kShowMaxima = {10, 20, 15, 15, 15, 10, 15};
// Maximum points of the seven positions of a wool test.
constexpr std::array<double, 7> kWoolMaxima = {20, 20, 15, 15, 15, 10, 5};

// ------------------------------------------------------------------------ model

struct Breed {
  qint64 number = 0;
  QString name;
  bool longHair = false;
  double adultGrams = 3500;
  std::vector<qint64> colours;
  int weight = 1;  // share of the litters
};

struct Address {
  QString name, vorname, strasse, plz, ort, telefon, telefax, handy, email, homepage, mark, status, hbnr,
      bemerkung, mitgliedsNr;
  QDate geburtstag, eintritt;
  qint64 breed = 0;
};

enum class Fate { Living, Sold, Slaughtered, Died };

struct Animal {
  QDate birth;
  QDate end;  // sold, slaughtered or died on; invalid while living
  Fate fate = Fate::Living;
  int breed = 0;  // index into the generator's breeds
  qint64 colour = 0;
  bool buck = false;
  int father = -1;  // indexes into the animals
  int mother = -1;
  QString formula, right, left, name, litterSize, info, anomalies;
  int breeder = 0;       // address index
  int owner = -1;        // address index, -1 for none
  bool foreign = false;  // a stud buck owned by another breeder
  QDate boughtOn;
  qint64 boughtCents = 0;
  qint64 endCents = 0;
  int generation = 0;
  int hutch = 0;
  QDate lastMating;
};

struct Litter {
  int doe = -1;
  int buck = -1;
  QDate mating;
  QDate birth;  // invalid: no litter (yet)
  int bucks = 0, does = 0, dead = 0;
  QString remark;
};

struct WoolTest {
  int animal = -1;
  QString station, ort, judge, interval, llb, remark;
  QDate vom, bis, urteilAm;
  std::array<double, 7> points{};
  qint64 shear1 = 0, shear2 = 0, felt = 0, jwe = 0, wrz = 0;
  double weight = 0;
};

struct ShowRow {
  QDate datum;
  QString titel, ort, preis, code, remark;
  double gewicht = 0;
  std::array<double, 7> points{};
  bool scored = false;
};

class Generator {
 public:
  Generator(engine::Engine& engine, const DemoStockOptions& options)
      : engine_(engine),
        rng_(options.seed),
        target_(std::max(0, options.animals)),
        lastDay_(options.lastDay) {}

  DemoStockSummary run();

 private:
  // reading the installed lookups
  void readLookups();

  // the stock
  void makeAddresses();
  Address person(const QString& category);
  QString uniqueMark();
  void makeFounders(int count);
  void breed();
  bool makeLitter(const QDate& day, bool allowRelated);
  int pickDoe(int breedIndex, const QDate& day);
  int pickBuck(int breedIndex, const QDate& day, int doe, bool allowRelated);
  int relatedBuck(int doe, const QDate& day);
  bool buckUsable(int buck, const QDate& day, int doe) const;
  void addPendingMatings();
  void fillUp();
  void decideFate(Animal& a, bool founder);
  QString leftTattoo(const QString& mark, const QDate& birth);
  int geometric();
  void addAnimal(Animal a);
  qint64 colourFor(int breedIndex);

  // writing
  void writeAddresses();
  void writeAnimals();
  void writeTrades();
  void writeLitters();
  void writeWeighings();
  void writeShows();
  void writeWoolTests();
  void writeBookings();
  void writeOwnData();
  void ensureTable(const QString& name);
  std::vector<ShowRow> showsOf(const Animal& a);
  std::array<double, 7> judging(const std::array<double, 7>& maxima, int lowHalfPoints, int highHalfPoints,
                                double minimumShare);
  QDate lastUsefulDay(const Animal& a) const;

  engine::Engine& engine_;
  Random rng_;
  int target_;
  QDate lastDay_;
  QDate start_;
  bool runningPerMonth_ = false;

  std::vector<Breed> breeds_;
  qint64 statusOwn_ = 1, statusNew_ = 2, statusSold_ = 3, statusSlaughtered_ = 4, statusDied_ = 5,
         statusForeign_ = 6;
  std::vector<QString> showTitles_;
  QString titleYoung_ = u"Jungtierbewertung"_qs;
  QString titleOwn_ = u"Eigene Bewertung"_qs;
  QString titleHerdbook_ = u"Körung vom Herdbuch"_qs;

  std::vector<Address> addresses_;
  int breedersBegin_ = 1, breedersEnd_ = 1, buyersBegin_ = 1, buyersEnd_ = 1, judgesBegin_ = 1,
      judgesEnd_ = 1;
  QString ownMark_;
  QSet<QString> marks_;

  std::vector<Animal> animals_;
  std::vector<std::vector<int>> children_;
  std::vector<std::vector<int>> does_, bucks_;  // per breed, in order of birth
  std::vector<Litter> litters_;
  QHash<QString, int> running_;
  int founders_ = 0;
  int woolTests_ = 0, showRows_ = 0, weighings_ = 0, bookings_ = 0;
};

// ------------------------------------------------------------------------ lookups

void Generator::readLookups() {
  // Breeds, their adult weight and colours, as installed.
  std::vector<Breed> all;
  {
    engine::Cursor c(engine_);
    c.setTableName(u"Rasse"_qs);
    c.setReadOnly(true);
    c.open();
    for (c.first(); !c.eof(); c.next()) {
      Breed b;
      b.number = c.field(u"Nummer"_qs).asInteger();
      b.name = c.field(u"Name"_qs).asString();
      b.longHair = c.field(u"Rassegruppe"_qs).asString() == u"Langhaarrassen"_qs;
      const double lo = c.field(u"Min Gewicht"_qs).asFloat();
      const double hi = c.field(u"Max Gewicht"_qs).asFloat();
      if (lo > 0 && hi >= lo) b.adultGrams = (lo + hi) / 2 * 1000;
      all.push_back(b);
    }
  }
  {
    engine::Cursor c(engine_);
    c.setTableName(u"Farbe"_qs);
    c.setReadOnly(true);
    c.open();
    for (c.first(); !c.eof(); c.next()) {
      const qint64 breed = c.field(u"Rasse"_qs).asInteger();
      for (Breed& b : all)
        if (b.number == breed) b.colours.push_back(c.field(u"Nummer"_qs).asInteger());
    }
  }
  std::erase_if(all, [](const Breed& b) { return b.colours.empty(); });
  if (all.empty())
    throw EngineError(EngineError::Kind::General,
                      QStringLiteral("Für den Demobestand fehlen Rassen mit Farben."));

  // The demo breeds in order of preference with their share of the litters; a long-haired
  // breed is always among them so that the wool records have animals.
  const std::vector<std::pair<QString, int>> preferred = {
      {u"Kalifornier"_qs, 3}, {u"Angora"_qs, 2},       {u"Zwergwidder"_qs, 3},  {u"Deutsche Riesen"_qs, 2},
      {u"Holländer"_qs, 2},   {u"Neuseeländer"_qs, 2}, {u"Farbenzwerge"_qs, 2}, {u"Rexe"_qs, 1}};
  std::vector<Breed> chosen;
  for (const auto& [name, weight] : preferred)
    for (const Breed& b : all)
      if (b.name == name) {
        chosen.push_back(b);
        chosen.back().weight = weight;
      }
  for (const Breed& b : all) {
    if (chosen.size() >= preferred.size()) break;
    if (std::none_of(chosen.begin(), chosen.end(), [&](const Breed& c) { return c.number == b.number; }))
      chosen.push_back(b);
  }
  const bool haveLongHair =
      std::any_of(chosen.begin(), chosen.end(), [](const Breed& b) { return b.longHair; });
  if (!haveLongHair)
    for (const Breed& b : all)
      if (b.longHair) {
        chosen.insert(chosen.begin() + std::min<size_t>(1, chosen.size()), b);
        break;
      }
  // Few animals: few breeds, so that each breed still has a long line of generations.
  const int wanted = std::clamp(target_ / 150, 2, 8);
  if (static_cast<int>(chosen.size()) > wanted) chosen.resize(static_cast<size_t>(wanted));
  if (!std::any_of(chosen.begin(), chosen.end(), [](const Breed& b) { return b.longHair; })) {
    for (const Breed& b : all)
      if (b.longHair) {
        chosen.back() = b;
        break;
      }
  }
  breeds_ = chosen;

  {
    engine::Cursor c(engine_);
    c.setTableName(u"Status"_qs);
    c.setReadOnly(true);
    c.open();
    QHash<QString, qint64> byName;
    for (c.first(); !c.eof(); c.next())
      byName.insert(c.field(u"Name"_qs).asString(), c.field(u"Nummer"_qs).asInteger());
    auto number = [&](const char16_t* name, qint64 fallback) { return byName.value(s(name), fallback); };
    statusOwn_ = 1;
    statusNew_ = 2;
    statusSold_ = number(u"Verkauft", 3);
    statusSlaughtered_ = number(u"Geschlachtet", 4);
    statusDied_ = number(u"Verendet", 5);
    statusForeign_ = number(u"Fremdtier", 6);
  }
  {
    engine::Cursor c(engine_);
    c.setTableName(u"Ausstellungstitel.db"_qs);
    c.setReadOnly(true);
    c.open();
    for (c.first(); !c.eof(); c.next()) {
      const QString t = c.field(u"Bezeichnung"_qs).asString();
      if (!t.isEmpty() && t != titleYoung_ && t != titleOwn_ && t != titleHerdbook_) showTitles_.push_back(t);
    }
    if (showTitles_.empty()) showTitles_.push_back(u"Vereinsschau"_qs);
  }
}

// ------------------------------------------------------------------------ addresses

QString Generator::uniqueMark() {
  static const char16_t* regions[] = {u"A", u"B", u"D", u"E", u"H", u"K", u"L", u"N", u"S", u"T", u"W", u"Z"};
  for (;;) {
    const QString region = s(regions[rng_.below(12)]);
    const int number = rng_.chance(70) ? rng_.between(1, 999) : rng_.between(1000, 2999);
    const QString mark =
        rng_.chance(60) ? region + u' ' + QString::number(number) : region + QString::number(number);
    if (!marks_.contains(mark)) {
      marks_.insert(mark);
      return mark;
    }
  }
}

Address Generator::person(const QString& category) {
  Address a;
  a.name = rng_.pick(surnames());
  a.vorname = rng_.pick(givenNames());
  const Town& t = towns()[static_cast<size_t>(rng_.below(static_cast<int>(towns().size())))];
  a.strasse = rng_.pick(streets()) + u' ' + QString::number(rng_.between(1, 120));
  a.plz = s(t.plz);
  a.ort = s(t.ort);
  a.telefon = s(t.area) + u' ' + QString::number(rng_.between(10000, 999999));
  if (rng_.chance(30)) a.telefax = s(t.area) + u' ' + QString::number(rng_.between(10000, 999999));
  if (rng_.chance(55))
    a.handy = QStringLiteral("01%1 %2").arg(rng_.between(51, 79)).arg(rng_.between(1000000, 9999999));
  if (rng_.chance(45)) {
    QString local = (a.vorname.left(1) + u'.' + a.name).toLower();
    local.replace(u"ä"_qs, u"ae"_qs)
        .replace(u"ö"_qs, u"oe"_qs)
        .replace(u"ü"_qs, u"ue"_qs)
        .replace(u"ß"_qs, u"ss"_qs);
    a.email = local + u"@example.de"_qs;
  }
  if (rng_.chance(40))
    a.geburtstag = QDate(rng_.between(1940, 1995), rng_.between(1, 12), rng_.between(1, 28));
  a.status = category;
  return a;
}

void Generator::makeAddresses() {
  // The demo breeder is the first address, so that the own animals name their breeder.
  Address own;
  own.name = u"Brandt"_qs;
  own.vorname = u"Heinrich"_qs;
  own.strasse = u"Am Mühlbach 7"_qs;
  own.plz = u"34369"_qs;
  own.ort = u"Hofgeismar"_qs;
  own.telefon = u"05671 44718"_qs;
  own.email = u"h.brandt@example.de"_qs;
  own.status = u"Züchter"_qs;
  own.mark = u"H 512"_qs;
  own.hbnr = u"HB 4711"_qs;
  own.breed = breeds_.front().number;
  ownMark_ = own.mark;
  marks_.insert(ownMark_);
  addresses_.push_back(own);

  breedersBegin_ = static_cast<int>(addresses_.size());
  const int breeders = std::clamp(target_ / 250, 12, 400);
  for (int i = 0; i < breeders; ++i) {
    Address a = person(u"Züchter"_qs);
    a.mark = uniqueMark();
    a.breed = breeds_[static_cast<size_t>(rng_.below(static_cast<int>(breeds_.size())))].number;
    if (rng_.chance(40)) a.hbnr = QStringLiteral("HB %1").arg(rng_.between(100, 9999));
    if (rng_.chance(30)) {
      a.mitgliedsNr = QString::number(rng_.between(100, 4999));
      a.eintritt = QDate(rng_.between(1975, 2015), rng_.between(1, 12), 1);
    }
    if (rng_.chance(10)) a.homepage = QStringLiteral("www.zucht-%1.example.de").arg(a.name.toLower());
    addresses_.push_back(a);
  }
  breedersEnd_ = static_cast<int>(addresses_.size());

  buyersBegin_ = breedersEnd_;
  const int buyers = std::clamp(target_ / 120, 10, 900);
  for (int i = 0; i < buyers; ++i) {
    Address a = person(rng_.chance(80) ? u"Käufer"_qs : u"Zuchtfreund"_qs);
    if (rng_.chance(5)) a.bemerkung = u"Sucht Zuchttiere für den Neuaufbau."_qs;
    addresses_.push_back(a);
  }
  buyersEnd_ = static_cast<int>(addresses_.size());

  judgesBegin_ = buyersEnd_;
  for (int i = 0; i < 4; ++i) addresses_.push_back(person(u"Preisrichter"_qs));
  judgesEnd_ = static_cast<int>(addresses_.size());
  for (int i = 0; i < 2; ++i) {
    Address vet = person(u"Tierarzt"_qs);
    vet.vorname = u"Dr. "_qs + vet.vorname;
    addresses_.push_back(vet);
  }
  Address club = person(u"Verein"_qs);
  club.name = u"Kaninchenzuchtverein H 512"_qs;
  club.vorname.clear();
  club.plz = own.plz;
  club.ort = own.ort;
  addresses_.push_back(club);
  addresses_.push_back(person(u"Futterhändler"_qs));
}

// ------------------------------------------------------------------------ animals

int Generator::geometric() {
  int g = 0;
  while (g < 64 && rng_.chance(55)) ++g;
  return g;
}

qint64 Generator::colourFor(int breedIndex) {
  return rng_.pick(breeds_[static_cast<size_t>(breedIndex)].colours);
}

// The left tattoo: month, two-digit year and the breeder's running number. The number runs
// per club mark and year, or per month for stocks too large for four digits a year, so that
// the tattoo never exceeds the ten characters of the field.
QString Generator::leftTattoo(const QString& mark, const QDate& birth) {
  QString key = mark + u'|' + QString::number(birth.year());
  if (runningPerMonth_) key += u'|' + QString::number(birth.month());
  const int number = ++running_[key];
  const QString text =
      QStringLiteral("%1.%2.%3").arg(birth.month()).arg(birth.year() % 100, 2, 10, QChar(u'0')).arg(number);
  if (text.size() > 10)
    throw EngineError(EngineError::Kind::General, QStringLiteral("Zu viele Demo-Tiere für die Tätonummern."));
  return text;
}

// Fate from the day of birth: most animals stay in the stock; some are sold, slaughtered or
// die young; animals kept for breeding leave the stock after four to eight years. An end
// after the demo's last day means the animal is still there.
void Generator::decideFate(Animal& a, bool founder) {
  const int r = founder ? 99 : rng_.below(100);
  if (r < 15) {
    a.fate = Fate::Sold;
    a.end = a.birth.addDays(rng_.between(90, 240));
    a.endCents = rng_.between(15, 80) * 100;
    a.owner = rng_.between(buyersBegin_, buyersEnd_ - 1);
  } else if (r < 23) {
    a.fate = Fate::Slaughtered;
    a.end = a.birth.addDays(rng_.between(100, 200));
    a.endCents = rng_.between(8, 18) * 100;
  } else if (r < 26) {
    a.fate = Fate::Died;
    a.end = a.birth.addDays(rng_.between(3, 80));
  } else {
    a.end = a.birth.addDays(rng_.between(4 * 365, 8 * 365));
    if (rng_.chance(50)) {
      a.fate = Fate::Died;
    } else {
      a.fate = Fate::Slaughtered;
      a.endCents = rng_.between(5, 12) * 100;
    }
  }
  if (a.end > lastDay_) {
    a.fate = Fate::Living;
    a.end = QDate();
    a.endCents = 0;
    if (!a.foreign) a.owner = -1;
  }
}

void Generator::addAnimal(Animal a) {
  const int index = static_cast<int>(animals_.size());
  if (a.fate == Fate::Living && a.birth.addDays(180) <= lastDay_ && rng_.chance(25))
    a.name = a.buck ? rng_.pick(buckNames()) : rng_.pick(doeNames());
  if (a.fate == Fate::Living) a.hutch = rng_.between(1, 120);
  if (rng_.chance(2))
    a.info = rng_.chance(50) ? u"Ruhiges, zutrauliches Tier."_qs : u"Sehr gute Mutter, zieht sicher auf."_qs;
  if (rng_.chance(1)) a.anomalies = rng_.chance(50) ? u"Leichte Zahnfehlstellung"_qs : u"Ansatz zur Wamme"_qs;
  (a.buck ? bucks_ : does_)[static_cast<size_t>(a.breed)].push_back(index);
  animals_.push_back(std::move(a));
  children_.emplace_back();
}

void Generator::makeFounders(int count) {
  static const QString letters = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"_qs;
  const int nBreeds = static_cast<int>(breeds_.size());
  std::vector<Animal> founders;
  for (int i = 0; i < count; ++i) {
    Animal a;
    a.breed = i % nBreeds;
    a.buck = (i / nBreeds) % 2 == 0;
    a.birth = start_.addMonths(-7).addDays(-rng_.between(0, 150));
    a.formula = letters.at(i);
    a.colour = colourFor(a.breed);
    a.breeder = rng_.between(breedersBegin_, breedersEnd_ - 1);
    if (a.buck && rng_.chance(25)) {
      a.foreign = true;  // a stud buck of its breeder, lent for matings
      a.owner = a.breeder;
    } else {
      a.boughtOn = a.birth.addDays(rng_.between(90, 150));
      a.boughtCents = rng_.between(25, 90) * 100;
    }
    a.litterSize = QString::number(rng_.between(4, 9));
    decideFate(a, true);
    founders.push_back(a);
  }
  std::stable_sort(founders.begin(), founders.end(),
                   [](const Animal& x, const Animal& y) { return x.birth < y.birth; });
  for (Animal& a : founders) {
    a.right = addresses_[static_cast<size_t>(a.breeder)].mark;
    a.left = leftTattoo(a.right, a.birth);
    addAnimal(std::move(a));
  }
  founders_ = count;
}

bool Generator::buckUsable(int buck, const QDate& day, int doe) const {
  const Animal& b = animals_[static_cast<size_t>(buck)];
  const Animal& d = animals_[static_cast<size_t>(doe)];
  if (b.birth > day.addMonths(-6) || b.birth.addYears(5) < day) return false;
  if (b.end.isValid() && b.end < day) return false;
  if (buck == d.father || b.mother == doe) return false;                            // parent and child
  if (b.father >= 0 && b.father == d.father && b.mother == d.mother) return false;  // full siblings
  return true;
}

int Generator::pickDoe(int breedIndex, const QDate& day) {
  const std::vector<int>& pool = does_[static_cast<size_t>(breedIndex)];
  const QDate latestBirth = day.addMonths(-6);
  const int eligible = static_cast<int>(
      std::upper_bound(pool.begin(), pool.end(), latestBirth,
                       [&](const QDate& d, int i) { return d < animals_[static_cast<size_t>(i)].birth; }) -
      pool.begin());
  if (eligible == 0) return -1;
  auto usable = [&](int i) {
    const Animal& a = animals_[static_cast<size_t>(i)];
    if (a.end.isValid() && a.end < day.addDays(59)) return false;  // she must rear the litter
    if (a.lastMating.isValid() && a.lastMating.addDays(56) > day) return false;
    return a.birth.addYears(4) >= day;
  };
  // Mostly the youngest does that are old enough: that keeps the generations moving.
  for (int t = 0; t < 24; ++t) {
    const int g = geometric();
    if (g >= eligible) continue;
    const int i = pool[static_cast<size_t>(eligible - 1 - g)];
    if (usable(i)) return i;
  }
  for (int j = eligible - 1, n = 0; j >= 0 && n < 4000; --j, ++n)
    if (usable(pool[static_cast<size_t>(j)])) return pool[static_cast<size_t>(j)];
  return -1;
}

// A half-brother or a cousin of the doe that may cover her, or -1.
int Generator::relatedBuck(int doe, const QDate& day) {
  const Animal& d = animals_[static_cast<size_t>(doe)];
  std::vector<int> candidates;
  int scanned = 0;
  auto consider = [&](int c) {
    if (c != doe && animals_[static_cast<size_t>(c)].buck && buckUsable(c, day, doe)) candidates.push_back(c);
  };
  for (int parent : {d.father, d.mother}) {
    if (parent < 0) continue;
    for (int c : children_[static_cast<size_t>(parent)]) {
      if (++scanned > 3000) break;
      consider(c);
    }
    const Animal& p = animals_[static_cast<size_t>(parent)];
    for (int grand : {p.father, p.mother}) {
      if (grand < 0) continue;
      for (int uncle : children_[static_cast<size_t>(grand)]) {
        if (uncle == parent || scanned > 3000) continue;
        for (int cousin : children_[static_cast<size_t>(uncle)]) {
          if (++scanned > 3000) break;
          consider(cousin);
        }
      }
    }
  }
  if (candidates.empty()) return -1;
  return candidates[static_cast<size_t>(rng_.below(static_cast<int>(candidates.size())))];
}

int Generator::pickBuck(int breedIndex, const QDate& day, int doe, bool allowRelated) {
  if (allowRelated && rng_.chance(10)) {
    const int related = relatedBuck(doe, day);
    if (related >= 0) return related;
  }
  const std::vector<int>& pool = bucks_[static_cast<size_t>(breedIndex)];
  const QDate latestBirth = day.addMonths(-6);
  const int eligible = static_cast<int>(
      std::upper_bound(pool.begin(), pool.end(), latestBirth,
                       [&](const QDate& d, int i) { return d < animals_[static_cast<size_t>(i)].birth; }) -
      pool.begin());
  if (eligible == 0) return -1;
  // Breeders avoid mating siblings; only when no other buck is at hand does a half-brother
  // cover the doe.
  const Animal& d = animals_[static_cast<size_t>(doe)];
  auto unrelated = [&](int i) {
    const Animal& b = animals_[static_cast<size_t>(i)];
    return (b.father < 0 || b.father != d.father) && (b.mother < 0 || b.mother != d.mother);
  };
  for (int t = 0; t < 24; ++t) {
    const int g = geometric();
    if (g >= eligible) continue;
    const int i = pool[static_cast<size_t>(eligible - 1 - g)];
    if (unrelated(i) && buckUsable(i, day, doe)) return i;
  }
  for (int pass = 0; pass < 2; ++pass)
    for (int j = eligible - 1, n = 0; j >= 0 && n < 4000; --j, ++n) {
      const int i = pool[static_cast<size_t>(j)];
      if ((pass == 1 || unrelated(i)) && buckUsable(i, day, doe)) return i;
    }
  return -1;
}

bool Generator::makeLitter(const QDate& day, bool allowRelated) {
  // Breeds in a random order weighted by their share.
  std::vector<int> order;
  {
    std::vector<int> weights;
    for (const Breed& b : breeds_) weights.push_back(b.weight);
    int total = 0;
    for (int w : weights) total += w;
    while (total > 0) {
      int r = rng_.below(total);
      for (size_t i = 0; i < weights.size(); ++i) {
        if (r < weights[i]) {
          order.push_back(static_cast<int>(i));
          total -= weights[i];
          weights[i] = 0;
          break;
        }
        r -= weights[i];
      }
    }
  }
  for (int b : order) {
    const int doe = pickDoe(b, day);
    if (doe < 0) continue;
    const int buck = pickBuck(b, day, doe, allowRelated);
    if (buck < 0) continue;

    Litter litter;
    litter.doe = doe;
    litter.buck = buck;
    litter.mating = day;
    animals_[static_cast<size_t>(doe)].lastMating = day;
    static const std::vector<QString> remarks =
        list({u"Nest gut gebaut, ruhige Häsin.", u"Ein Jungtier kümmerte.", u"Sehr ausgeglichener Wurf.",
              u"Häsin nervös, Wurf verlegt.", u"Jungtiere ab der 8. Woche getrennt."});
    if (rng_.chance(5)) {  // the doe stayed empty
      litter.remark = u"Häsin ist leer geblieben."_qs;
      litters_.push_back(litter);
      return true;
    }
    litter.birth = day.addDays(31);
    const int born = 3 + rng_.below(4) + rng_.below(5);
    litter.dead = rng_.chance(60) ? 0 : rng_.between(1, std::min(2, born - 1));
    const int reared = born - litter.dead;
    if (rng_.chance(12)) litter.remark = rng_.pick(remarks);

    const Animal& mother = animals_[static_cast<size_t>(doe)];
    const Animal& father = animals_[static_cast<size_t>(buck)];
    QString formula;
    if (!mother.formula.isEmpty() && !father.formula.isEmpty())
      formula = lineage::deriveOffspringFormula(father.formula, mother.formula).value_or(QString());
    const int generation = std::max(mother.generation, father.generation) + 1;
    const int breedIndex = mother.breed;
    const qint64 motherColour = mother.colour, fatherColour = father.colour;

    for (int k = 0; k < reared; ++k) {
      const bool isBuck = rng_.chance(50);
      (isBuck ? litter.bucks : litter.does)++;
      if (static_cast<int>(animals_.size()) >= target_) continue;  // counted, not recorded
      Animal a;
      a.birth = litter.birth;
      a.breed = breedIndex;
      a.buck = isBuck;
      const int c = rng_.below(100);
      a.colour = c < 45 ? motherColour : c < 90 ? fatherColour : colourFor(breedIndex);
      a.father = buck;
      a.mother = doe;
      a.formula = formula;
      a.breeder = 0;
      a.right = ownMark_;
      a.left = leftTattoo(ownMark_, a.birth);
      a.litterSize = QString::number(born);
      a.generation = generation;
      decideFate(a, false);
      const int index = static_cast<int>(animals_.size());
      children_[static_cast<size_t>(doe)].push_back(index);
      children_[static_cast<size_t>(buck)].push_back(index);
      addAnimal(std::move(a));
    }
    litters_.push_back(litter);
    return true;
  }
  return false;
}

// Litters spread over the months so that the stock reaches its size by the last day: each
// month takes its share of the animals still to come, as far as the does allow.
void Generator::breed() {
  const QDate lastMating = lastDay_.addDays(-45);
  int months = 0;
  for (QDate d = start_; d <= lastMating; d = d.addMonths(1)) ++months;
  constexpr double kYoungPerLitter = 5.5;
  double due = 0;  // litters owed so far, as a fraction
  for (int m = 0; m < months && static_cast<int>(animals_.size()) < target_; ++m) {
    const QDate monthStart = start_.addMonths(m);
    const int remaining = target_ - static_cast<int>(animals_.size());
    due += remaining / kYoungPerLitter / (months - m);
    const int quota = static_cast<int>(due);
    if (quota == 0) continue;
    due -= quota;  // litters the does cannot give this month are spread over the months left
    const int days =
        static_cast<int>(std::min<qint64>(monthStart.daysInMonth(), monthStart.daysTo(lastMating) + 1));
    for (int k = 0; k < quota && static_cast<int>(animals_.size()) < target_; ++k) {
      // One mating in each equal part of the month, so that the days keep their order.
      const int slot = std::max(1, days / quota);
      const QDate day = monthStart.addDays(std::min(days - 1, k * days / quota + rng_.below(slot)));
      if (day > lastMating) break;
      if (!makeLitter(day, true)) break;  // no doe left this month
    }
  }
}

// A few does covered in the last weeks, whose litters are still to come.
void Generator::addPendingMatings() {
  int added = 0;
  for (int b = 0; b < static_cast<int>(breeds_.size()) && added < 6; ++b) {
    const QDate day = lastDay_.addDays(-rng_.between(5, 25));
    const int doe = pickDoe(b, day);
    if (doe < 0) continue;
    const int buck = pickBuck(b, day, doe, false);
    if (buck < 0) continue;
    Litter litter;
    litter.doe = doe;
    litter.buck = buck;
    litter.mating = day;
    animals_[static_cast<size_t>(doe)].lastMating = day;
    litters_.push_back(litter);
    ++added;
  }
}

// Should the does not have sufficed, the rest are adult animals bought in without papers.
void Generator::fillUp() {
  while (static_cast<int>(animals_.size()) < target_) {
    Animal a;
    a.breed = rng_.below(static_cast<int>(breeds_.size()));
    a.buck = rng_.chance(50);
    a.birth = lastDay_.addDays(-rng_.between(200, 500));
    a.colour = colourFor(a.breed);
    a.breeder = rng_.between(breedersBegin_, breedersEnd_ - 1);
    a.boughtOn = a.birth.addDays(rng_.between(90, 150));
    a.boughtCents = rng_.between(25, 90) * 100;
    a.right = addresses_[static_cast<size_t>(a.breeder)].mark;
    a.left = leftTattoo(a.right, a.birth);
    a.fate = Fate::Living;
    addAnimal(std::move(a));
  }
}

// ------------------------------------------------------------------------ writing

void Generator::ensureTable(const QString& name) {
  if (engine_.tableExists(name)) return;
  const store::CatalogueTable* t = store::findTable(name);
  if (!t)
    throw EngineError(EngineError::Kind::TableMissing, QStringLiteral("Unbekannte Tabelle %1.").arg(name));
  engine_.createTable(t->fileName, store::currentLayout(*t));
}

void Generator::writeAddresses() {
  engine::TableLoader t(engine_, u"Adresse"_qs);
  const int nr = t.column(u"LaufendeNr"_qs), name = t.column(u"Name"_qs), vorname = t.column(u"Vorname"_qs),
            strasse = t.column(u"Straße"_qs), plz = t.column(u"PLZ"_qs), ort = t.column(u"Ort"_qs),
            land = t.column(u"Land"_qs), telefon = t.column(u"Telefon"_qs), telefax = t.column(u"Telefax"_qs),
            handy = t.column(u"Handy"_qs), homepage = t.column(u"Homepage"_qs),
            mark = t.column(u"Vereinskennzeichen"_qs), geburtstag = t.column(u"Geburtstag"_qs),
            bemerkung = t.column(u"Bemerkung"_qs), email = t.column(u"EMail"_qs),
            rasse = t.column(u"Rasse"_qs), status = t.column(u"Status"_qs), hbnr = t.column(u"HBNr"_qs),
            mitglied = t.column(u"MitgliedsNr"_qs), eintritt = t.column(u"Eintritt"_qs);
  for (size_t i = 0; i < addresses_.size(); ++i) {
    const Address& a = addresses_[i];
    std::vector<QVariant> row = t.emptyRow();
    row[nr] = static_cast<qlonglong>(i + 1);
    row[name] = a.name;
    row[vorname] = a.vorname;
    row[strasse] = a.strasse;
    row[plz] = a.plz;
    row[ort] = a.ort;
    row[land] = u"Deutschland"_qs;
    row[telefon] = a.telefon;
    row[telefax] = a.telefax;
    row[handy] = a.handy;
    row[homepage] = a.homepage;
    row[mark] = a.mark;
    row[geburtstag] = a.geburtstag;
    row[bemerkung] = a.bemerkung;
    row[email] = a.email;
    if (a.breed > 0) row[rasse] = a.breed;
    row[status] = a.status;
    row[hbnr] = a.hbnr;
    row[mitglied] = a.mitgliedsNr;
    row[eintritt] = a.eintritt;
    t.insert(row);
  }
  t.commit();
}

void Generator::writeAnimals() {
  engine::TableLoader t(engine_, u"Hasen"_qs);
  const int nummer = t.column(u"Nummer"_qs), right = t.column(u"TatoRechts"_qs),
            left = t.column(u"TatoLinks"_qs), sex = t.column(u"Geschlecht"_qs), rasse = t.column(u"Rasse"_qs),
            farbe = t.column(u"Farbe"_qs), stall = t.column(u"Stallnummer"_qs), vater = t.column(u"Vater"_qs),
            mutter = t.column(u"Mutter"_qs), zuechter = t.column(u"Zuechter"_qs),
            besitzer = t.column(u"Besitzer"_qs), status = t.column(u"Status"_qs), info = t.column(u"Info"_qs),
            formel = t.column(u"Erbformel"_qs), wurf = t.column(u"Wurfgroesse"_qs),
            anomalien = t.column(u"Anomalien"_qs), idcode = t.column(u"IDCode"_qs),
            geburtstag = t.column(u"Geburtstag"_qs);
  for (size_t i = 0; i < animals_.size(); ++i) {
    const Animal& a = animals_[i];
    std::vector<QVariant> row = t.emptyRow();
    row[nummer] = static_cast<qlonglong>(i + 1);
    row[right] = a.right;
    row[left] = a.left;
    row[sex] = a.buck ? u"1"_qs : u"2"_qs;
    row[rasse] = breeds_[static_cast<size_t>(a.breed)].number;
    row[farbe] = a.colour;
    if (a.hutch > 0) row[stall] = a.hutch;
    if (a.father >= 0) row[vater] = a.father + 1;
    if (a.mother >= 0) row[mutter] = a.mother + 1;
    row[zuechter] = a.breeder + 1;
    if (a.owner >= 0) row[besitzer] = a.owner + 1;
    qint64 st = statusOwn_;
    switch (a.fate) {
      case Fate::Sold:
        st = statusSold_;
        break;
      case Fate::Slaughtered:
        st = statusSlaughtered_;
        break;
      case Fate::Died:
        st = statusDied_;
        break;
      case Fate::Living:
        st = a.foreign ? statusForeign_ : a.birth.addDays(60) > lastDay_ ? statusNew_ : statusOwn_;
        break;
    }
    row[status] = st;
    row[info] = a.info;
    row[formel] = a.formula;
    row[wurf] = a.litterSize;
    row[anomalien] = a.anomalies;
    row[idcode] = a.name;
    row[geburtstag] = a.birth;
    t.insert(row);
  }
  t.commit();
}

void Generator::writeTrades() {
  engine::TableLoader t(engine_, u"VERKAUFT"_qs);
  const int katze = t.column(u"Katze"_qs), gekauft = t.column(u"Gekauftam"_qs),
            preisGekauft = t.column(u"Preisgekauft"_qs), verkauft = t.column(u"Verkauftam"_qs),
            preisVerkauft = t.column(u"Preisverkauft"_qs), geschlachtet = t.column(u"Geschlachtetam"_qs),
            preisGeschlachtet = t.column(u"Preisgeschlachtet"_qs), gestorben = t.column(u"Gestorbenam"_qs);
  for (size_t i = 0; i < animals_.size(); ++i) {
    const Animal& a = animals_[i];
    if (!a.boughtOn.isValid() && a.fate == Fate::Living) continue;
    std::vector<QVariant> row = t.emptyRow();
    row[katze] = static_cast<qlonglong>(i + 1);
    if (a.boughtOn.isValid()) {
      row[gekauft] = a.boughtOn;
      row[preisGekauft] = QVariant::fromValue(cents(a.boughtCents));
    }
    switch (a.fate) {
      case Fate::Sold:
        row[verkauft] = a.end;
        row[preisVerkauft] = QVariant::fromValue(cents(a.endCents));
        break;
      case Fate::Slaughtered:
        row[geschlachtet] = a.end;
        row[preisGeschlachtet] = QVariant::fromValue(cents(a.endCents));
        break;
      case Fate::Died:
        row[gestorben] = a.end;
        break;
      case Fate::Living:
        break;
    }
    t.insert(row);
  }
  t.commit();
}

void Generator::writeLitters() {
  engine::TableLoader t(engine_, u"Wurfbuch.DB"_qs);
  const int nr = t.column(u"LaufendeNummer"_qs), katze = t.column(u"Katze"_qs),
            deck = t.column(u"Decktermin"_qs), wurftag = t.column(u"Wurftag"_qs),
            kater = t.column(u"Kater"_qs), bemerkung = t.column(u"Bemerkung"_qs),
            m = t.column(u"WurfStMaennlich"_qs), w = t.column(u"WurfStWeiblich"_qs),
            tot = t.column(u"WurfStTot"_qs);
  engine::TableLoader j(engine_, u"Jungtiere"_qs);
  const int jWurf = j.column(u"Wurf"_qs), jDatum = j.column(u"Datum"_qs), jGewicht = j.column(u"Gewicht"_qs);
  static constexpr std::array<int, 5> kAges = {21, 28, 35, 42, 56};
  for (size_t i = 0; i < litters_.size(); ++i) {
    const Litter& l = litters_[i];
    std::vector<QVariant> row = t.emptyRow();
    row[nr] = static_cast<qlonglong>(i + 1);
    row[katze] = l.doe + 1;
    row[deck] = l.mating;
    row[wurftag] = l.birth;
    row[kater] = l.buck + 1;
    row[bemerkung] = l.remark;
    if (l.birth.isValid()) {
      row[m] = l.bucks;
      row[w] = l.does;
      row[tot] = l.dead;
    }
    t.insert(row);

    const int reared = l.bucks + l.does;
    if (!l.birth.isValid() || reared == 0 || !rng_.chance(60)) continue;
    const double adult = breeds_[static_cast<size_t>(animals_[static_cast<size_t>(l.doe)].breed)].adultGrams;
    for (int age : kAges) {
      const QDate day = l.birth.addDays(age);
      if (day > lastDay_) break;
      const double each = adult * (0.06 + 0.004 * (age - 21)) * (0.95 + 0.1 * rng_.unit());
      std::vector<QVariant> weighing = j.emptyRow();
      weighing[jWurf] = static_cast<qlonglong>(i + 1);
      weighing[jDatum] = day;
      weighing[jGewicht] = std::round(reared * each / 10.0) * 10.0;
      j.insert(weighing);
    }
  }
  t.commit();
  j.commit();
}

// The last day an animal can be weighed, shown or tested: the demo's last day, or the day
// before it left the stock.
QDate Generator::lastUsefulDay(const Animal& a) const {
  if (a.end.isValid()) return std::min(lastDay_, a.end.addDays(-1));
  return lastDay_;
}

void Generator::writeWeighings() {
  ensureTable(u"Gewichtstabelle.DB"_qs);
  engine::TableLoader t(engine_, u"Gewichtstabelle.DB"_qs);
  const int hase = t.column(u"Hase"_qs), datum = t.column(u"Datum"_qs), gewicht = t.column(u"Gewicht"_qs);
  static constexpr std::array<int, 6> kWeeks = {8, 10, 12, 16, 20, 24};
  for (size_t i = 0; i < animals_.size(); ++i) {
    const Animal& a = animals_[i];
    if (!rng_.chance(20)) continue;
    const double adult = breeds_[static_cast<size_t>(a.breed)].adultGrams;
    const QDate last = lastUsefulDay(a);
    for (int week : kWeeks) {
      const QDate day = a.birth.addDays(7 * week);
      if (day > last) break;
      std::vector<QVariant> row = t.emptyRow();
      row[hase] = static_cast<qlonglong>(i + 1);
      row[datum] = day;
      row[gewicht] =
          std::round(adult * (1.0 - std::exp(-week / 11.0)) * (0.95 + 0.1 * rng_.unit()) / 10.0) * 10.0;
      t.insert(row);
      ++weighings_;
    }
  }
  t.commit();
}

// Points of a judging in half points: each position starts at its maximum and loses half
// points at random until the total lies between the two bounds, no position falling below
// `minimumShare` of its maximum.
std::array<double, 7> Generator::judging(const std::array<double, 7>& maxima, int lowHalfPoints,
                                         int highHalfPoints, double minimumShare) {
  std::array<double, 7> points = maxima;
  int full = 0;
  for (double m : maxima) full += static_cast<int>(m * 2);
  const int total = lowHalfPoints + rng_.below((highHalfPoints - lowHalfPoints) / 2 + 1) +
                    rng_.below((highHalfPoints - lowHalfPoints + 1) / 2 + 1);
  int deduct = full - std::min(total, highHalfPoints);
  int guard = 0;
  while (deduct > 0 && guard++ < 10000) {
    const size_t p = static_cast<size_t>(rng_.below(7));
    if (points[p] - 0.5 >= maxima[p] * minimumShare) {
      points[p] -= 0.5;
      --deduct;
    }
  }
  return points;
}

std::vector<ShowRow> Generator::showsOf(const Animal& a) {
  std::vector<ShowRow> rows;
  const QDate last = std::min(lastUsefulDay(a), a.birth.addYears(3));
  const double adult = breeds_[static_cast<size_t>(a.breed)].adultGrams;
  static const std::vector<QString> codes =
      list({u"8/3", u"8/4", u"8/5", u"8/6", u"8/7", u"6/2", u"6/1", u"6/0", u"4", u"NB"});
  static const std::vector<QString> remarks =
      list({u"Sehr gutes Fell, Unterfarbe etwas matt.", u"Ohren etwas lang.", u"Hervorragender Typ.",
            u"Deckfarbe nicht ganz rein.", u"Leichte Wamme.", u"Gute Körperform, Pflege verbessern."});

  // A young-animal evaluation at about three months.
  if (rng_.chance(8)) {
    const QDate day = a.birth.addDays(rng_.between(84, 98));
    if (day <= last) {
      ShowRow r;
      r.datum = day;
      r.titel = titleYoung_;
      r.ort = s(rng_.pick(towns()).ort);
      r.code = rng_.pick(codes);
      rows.push_back(r);
    }
  }
  // A herd-book judging or the breeder's own judging of the young animal.
  if (rng_.chance(6)) {
    const QDate day = a.birth.addDays(rng_.between(150, 200));
    if (day <= last) {
      ShowRow r;
      r.datum = day;
      r.titel = rng_.chance(50) ? titleHerdbook_ : titleOwn_;
      r.ort = r.titel == titleOwn_ ? u"Hofgeismar"_qs : s(rng_.pick(towns()).ort);
      r.points = judging(kShowMaxima, 180, 194, 0.6);
      r.scored = true;
      r.gewicht = std::round(adult * (0.85 + 0.1 * rng_.unit()) / 10.0) * 10.0;
      rows.push_back(r);
    }
  }
  // Shows of the seasons after the animal is five months old.
  if (rng_.chance(30)) {
    std::vector<QDate> candidates;
    const QDate first = a.birth.addMonths(5);
    for (int year = first.year() - 1; year <= last.year(); ++year)
      for (const auto& [month, dayOfMonth] : kShowDays) {
        const QDate day(month == 1 ? year + 1 : year, month, dayOfMonth);
        if (day >= first && day <= last) candidates.push_back(day);
      }
    std::sort(candidates.begin(), candidates.end());
    if (!candidates.empty()) {
      const int shows = 1 + rng_.below(2) + (rng_.chance(30) ? 1 : 0);
      size_t index = static_cast<size_t>(rng_.below(static_cast<int>(candidates.size())));
      for (int k = 0; k < shows && index < candidates.size(); ++k) {
        ShowRow r;
        r.datum = candidates[index];
        r.titel = rng_.pick(showTitles_);
        r.ort = s(rng_.pick(towns()).ort);
        r.points = judging(kShowMaxima, 180, 194, 0.6);
        r.scored = true;
        r.gewicht = std::round(adult * (0.9 + 0.2 * rng_.unit()) / 10.0) * 10.0;
        double total = 0;
        for (double p : r.points) total += p;
        if (total >= 97)
          r.preis = u"Ehrenpreis"_qs;
        else if (total >= 96)
          r.preis = u"Leistungspreis"_qs;
        else if (total >= 95 && rng_.chance(50))
          r.preis = u"Zuchtpreis"_qs;
        if (rng_.chance(15)) r.remark = rng_.pick(remarks);
        rows.push_back(r);
        index += 1 + static_cast<size_t>(rng_.below(2));
      }
    }
  }
  std::stable_sort(rows.begin(), rows.end(),
                   [](const ShowRow& x, const ShowRow& y) { return x.datum < y.datum; });
  return rows;
}

void Generator::writeShows() {
  engine::TableLoader t(engine_, u"Ausstellung"_qs);
  const int hase = t.column(u"Hase"_qs), datum = t.column(u"Datum"_qs), titel = t.column(u"Titel"_qs),
            ort = t.column(u"Ort"_qs), gewicht = t.column(u"Gewicht"_qs), preis = t.column(u"Preis"_qs),
            bemerkung = t.column(u"Bemerkung"_qs), code = t.column(u"BewertJungtier"_qs),
            total = t.column(u"EigeneBewertung"_qs);
  const std::array<int, 7> positions = {
      t.column(u"Gewicht1"_qs), t.column(u"Koerper2"_qs),    t.column(u"Fell3"_qs),  t.column(u"Kopf4"_qs),
      t.column(u"Farbe5"_qs),   t.column(u"Unterfarbe6"_qs), t.column(u"Pflege7"_qs)};
  for (size_t i = 0; i < animals_.size(); ++i) {
    for (const ShowRow& r : showsOf(animals_[i])) {
      std::vector<QVariant> row = t.emptyRow();
      row[hase] = static_cast<qlonglong>(i + 1);
      row[datum] = r.datum;
      row[titel] = r.titel;
      row[ort] = r.ort;
      row[preis] = r.preis;
      row[bemerkung] = r.remark;
      if (r.gewicht > 0) row[gewicht] = r.gewicht;
      if (r.scored) {
        double sum = 0;
        for (size_t p = 0; p < 7; ++p) {
          row[positions[p]] = r.points[p];
          sum += r.points[p];
        }
        row[total] = sum;
      } else {
        row[code] = r.code;
      }
      t.insert(row);
      ++showRows_;
    }
  }
  t.commit();
}

void Generator::writeWoolTests() {
  ensureTable(u"Angora"_qs);
  static const std::vector<QString> stations = list({u"Leistungsprüfstelle Nord", u"Leistungsprüfstelle Süd",
                                                     u"Prüfstelle Hessen", u"Prüfstelle Thüringen"});
  static const std::vector<QString> remarks =
      list({u"Wolle sehr dicht, gute Struktur.", u"Behang könnte voller sein.", u"Leichte Filzneigung."});

  std::vector<WoolTest> tests;
  QHash<int, size_t> testOf;  // animal -> its (only) test
  for (size_t i = 0; i < animals_.size(); ++i) {
    const Animal& a = animals_[i];
    if (!breeds_[static_cast<size_t>(a.breed)].longHair || !rng_.chance(55)) continue;
    WoolTest w;
    w.animal = static_cast<int>(i);
    w.interval = rng_.chance(85) ? u"91"_qs : u"84"_qs;
    const int interval = w.interval.toInt();
    w.vom = a.birth.addMonths(8).addDays(rng_.between(0, 30));
    w.bis = w.vom.addDays(4 * interval);
    w.urteilAm = w.bis.addDays(rng_.between(3, 21));
    if (w.urteilAm > lastUsefulDay(a)) continue;
    w.station = rng_.pick(stations);
    w.ort = s(rng_.pick(towns()).ort);
    const Address& judge = addresses_[static_cast<size_t>(rng_.between(judgesBegin_, judgesEnd_ - 1))];
    w.judge = judge.vorname + u' ' + judge.name;
    w.points = judging(kWoolMaxima, 170, 194, 0.5);
    w.shear1 = rng_.between(200, 320);
    w.shear2 = rng_.between(40, 110);
    w.felt = rng_.between(5, 35);
    // The totals as the test record's rules compute them.
    const breeding::WoolYields y = breeding::woolYields(w.interval, w.shear1, w.shear2, w.felt);
    w.jwe = y.jweSum();
    w.wrz = y.wrzSum();
    w.weight =
        std::round(breeds_[static_cast<size_t>(a.breed)].adultGrams * (0.9 + 0.2 * rng_.unit()) / 10.0) *
        10.0;
    w.llb = QString::number(1000000 + static_cast<int>(tests.size()) * 37 + rng_.below(37));
    if (rng_.chance(20)) w.remark = rng_.pick(remarks);
    testOf.insert(w.animal, tests.size());
    tests.push_back(w);
  }

  engine::TableLoader t(engine_, u"Angora"_qs);
  const int kaninchen = t.column(u"Kaninchen"_qs), pruef = t.column(u"Pruefstelle"_qs),
            bis = t.column(u"Bis"_qs), vom = t.column(u"Vom"_qs), ort = t.column(u"Ort"_qs),
            am = t.column(u"UrteilAm"_qs), von = t.column(u"UrteilVon"_qs),
            bewertung = t.column(u"Bewertung"_qs), intervall = t.column(u"Schurintervall"_qs),
            s1 = t.column(u"Schurergebnis1"_qs), s2 = t.column(u"Schurergebnis2"_qs),
            filz = t.column(u"Filz"_qs), eJwe = t.column(u"ElternJWE"_qs), eWrz = t.column(u"ElternWRZ"_qs),
            gJwe = t.column(u"GrosselternJWE"_qs), gWrz = t.column(u"GrosselternWRZ"_qs),
            gewichtHase = t.column(u"GewichtHase"_qs), jwe = t.column(u"JWEInsgesamt"_qs),
            wrz = t.column(u"WRZInsgesamt"_qs), llb = t.column(u"LLB"_qs),
            bemerkung = t.column(u"Bemerkung"_qs);
  const std::array<int, 7> positions = {t.column(u"Gewicht"_qs),      t.column(u"Koerper"_qs),
                                        t.column(u"Wolldichte"_qs),   t.column(u"Ausgeglichenheit"_qs),
                                        t.column(u"Wollstruktur"_qs), t.column(u"Behang"_qs),
                                        t.column(u"Pflege"_qs)};
  for (const WoolTest& w : tests) {
    // The parents' and grandparents' averages as the test card computes them: the first
    // test of each ancestor, values of 0 not counted, integer division.
    qint64 parentJwe = 0, parentWrz = 0, grandJwe = 0, grandWrz = 0;
    int parentJweN = 0, parentWrzN = 0, grandJweN = 0, grandWrzN = 0;
    auto add = [&](int animal, qint64& jweSum, int& jweN, qint64& wrzSum, int& wrzN) {
      const auto it = testOf.constFind(animal);
      if (it == testOf.constEnd()) return;
      const WoolTest& other = tests[*it];
      if (other.jwe != 0) {
        jweSum += other.jwe;
        ++jweN;
      }
      if (other.wrz != 0) {
        wrzSum += other.wrz;
        ++wrzN;
      }
    };
    const Animal& a = animals_[static_cast<size_t>(w.animal)];
    for (int parent : {a.father, a.mother}) {
      if (parent < 0) continue;
      add(parent, parentJwe, parentJweN, parentWrz, parentWrzN);
      const Animal& p = animals_[static_cast<size_t>(parent)];
      for (int grand : {p.father, p.mother})
        if (grand >= 0) add(grand, grandJwe, grandJweN, grandWrz, grandWrzN);
    }
    std::vector<QVariant> row = t.emptyRow();
    row[kaninchen] = w.animal + 1;
    row[pruef] = w.station;
    row[bis] = w.bis;
    row[vom] = w.vom;
    row[ort] = w.ort;
    row[am] = w.urteilAm;
    row[von] = w.judge;
    double sum = 0;
    for (size_t p = 0; p < 7; ++p) {
      row[positions[p]] = w.points[p];
      sum += w.points[p];
    }
    row[bewertung] = sum;
    row[intervall] = w.interval;
    row[s1] = w.shear1;
    row[s2] = w.shear2;
    row[filz] = w.felt;
    if (parentJweN > 0) row[eJwe] = parentJwe / parentJweN;
    if (parentWrzN > 0) row[eWrz] = parentWrz / parentWrzN;
    if (grandJweN > 0) row[gJwe] = grandJwe / grandJweN;
    if (grandWrzN > 0) row[gWrz] = grandWrz / grandWrzN;
    row[gewichtHase] = w.weight;
    row[jwe] = w.jwe;
    row[wrz] = w.wrz;
    row[llb] = w.llb;
    row[bemerkung] = w.remark;
    t.insert(row);
  }
  t.commit();
  woolTests_ = static_cast<int>(tests.size());
}

// A cash book over the demo's years: feed, bedding, fees and the vet from the accounts,
// the month's animal sales into the cash box, and transfers from the cash box to the bank
// with their counter bookings. Each account's balance is its opening balance plus its
// bookings, as the bookkeeping keeps it.
void Generator::writeBookings() {
  struct Account {
    qint64 number = 0;
    QString name;
    qint64 kind = 0;
  };
  std::vector<Account> accounts;
  QHash<QString, QString> direction;  // category name -> "Einnahme" / "Ausgabe"
  {
    engine::Cursor c(engine_);
    c.setTableName(u"KONTEN.DB"_qs);
    c.setReadOnly(true);
    c.open();
    for (c.first(); !c.eof(); c.next()) {
      Account a{c.field(u"LaufendeNummer"_qs).asInteger(), c.field(u"Name"_qs).asString(),
                c.field(u"Kontoart"_qs).asInteger()};
      if (a.kind == 0) direction.insert(a.name, c.field(u"EinAus"_qs).asString());
      accounts.push_back(a);
    }
  }
  const auto bank =
      std::find_if(accounts.begin(), accounts.end(), [](const Account& a) { return a.kind == 1; });
  const auto cash =
      std::find_if(accounts.begin(), accounts.end(), [](const Account& a) { return a.kind == 2; });
  if (bank == accounts.end() || cash == accounts.end()) return;  // no money accounts to book on

  const Money bankOpening = cents(50000), cashOpening = cents(10000);
  Money bankBalance = bankOpening, cashBalance = cashOpening;

  // Sales per month, from the trade records.
  QHash<int, std::pair<qint64, int>> salesByMonth;  // year * 12 + month -> cents, animals
  for (const Animal& a : animals_)
    if (a.fate == Fate::Sold) {
      auto& [sum, n] = salesByMonth[a.end.year() * 12 + a.end.month() - 1];
      sum += a.endCents;
      ++n;
    }

  engine::TableLoader t(engine_, u"BUCHUNG"_qs);
  const int nr = t.column(u"BuchungsNr"_qs), konto = t.column(u"Kontoname"_qs),
            datum = t.column(u"Buchungsdatum"_qs), kategorie = t.column(u"Kategorie"_qs),
            betrag = t.column(u"Betrag"_qs), beschreibung = t.column(u"Beschreibung"_qs),
            gegen = t.column(u"Gegenbuchung"_qs);
  qint64 next = 1;
  auto book = [&](const Account& account, const QDate& day, const QString& category, qint64 amountCents,
                  const QString& text, qint64 counter = 0) {
    // An expense category stores the amount entered with the opposite sign.
    Money amount = cents(amountCents);
    if (direction.value(category) == u"Ausgabe"_qs) amount = -amount;
    std::vector<QVariant> row = t.emptyRow();
    row[nr] = next;
    row[konto] = account.number;
    row[datum] = day;
    row[kategorie] = category;
    row[betrag] = QVariant::fromValue(amount);
    row[beschreibung] = text;
    if (counter > 0) row[gegen] = counter;
    t.insert(row);
    (account.number == bank->number ? bankBalance : cashBalance) += amount;
    ++bookings_;
    return next++;
  };
  auto known = [&](const char16_t* category) { return direction.contains(s(category)); };
  const QLocale german(QLocale::German, QLocale::Germany);

  for (QDate month = start_; month <= lastDay_; month = month.addMonths(1)) {
    const QString monthName = german.toString(month, u"MMMM yyyy"_qs);
    const QDate lastOfMonth = std::min(lastDay_, QDate(month.year(), month.month(), month.daysInMonth()));
    if (known(u"Futter"))
      book(*bank, std::min(lastOfMonth, month.addDays(2)), u"Futter"_qs, rng_.between(35, 140) * 100,
           u"Futter "_qs + monthName);
    if (known(u"Einstreu und Heu") && month.month() % 2 == 0)
      book(*cash, std::min(lastOfMonth, month.addDays(9)), u"Einstreu und Heu"_qs, rng_.between(15, 45) * 100,
           u"Stroh und Heu"_qs);
    if (known(u"Vereinsbeiträge") && month.month() == 1)
      book(*bank, std::min(lastOfMonth, month.addDays(14)), u"Vereinsbeiträge"_qs, 3600,
           u"Jahresbeitrag Verein"_qs);
    if (known(u"Tierarzt") && rng_.chance(10))
      book(*bank, std::min(lastOfMonth, month.addDays(rng_.between(3, 25))), u"Tierarzt"_qs,
           rng_.between(25, 90) * 100, u"Impfung RHD und Myxomatose"_qs);
    if (known(u"Ausstellungsgebühren") && (month.month() >= 10 || month.month() == 1))
      book(*cash, std::min(lastOfMonth, month.addDays(5)), u"Ausstellungsgebühren"_qs,
           rng_.between(10, 40) * 100, u"Standgeld und Katalog"_qs);
    const auto sales = salesByMonth.value(month.year() * 12 + month.month() - 1);
    if (known(u"Tierverkauf") && sales.first > 0)
      book(*cash, lastOfMonth, u"Tierverkauf"_qs, sales.first,
           QStringLiteral("Verkauf von %1 Tieren, %2").arg(sales.second).arg(monthName));
    // At the end of a quarter the cash box keeps 100 and the rest goes to the bank.
    if (month.month() % 3 == 0 && cashBalance > cents(30000)) {
      const qint64 amount = (cashBalance.units() / 100 - 10000) / 5000 * 5000;
      if (amount > 0) {
        const qint64 first =
            book(*cash, lastOfMonth, bank->name, -amount, u"Einzahlung auf das Girokonto"_qs, next + 1);
        book(*bank, lastOfMonth, cash->name, amount, u"Einzahlung aus der Kasse"_qs, first);
      }
    }
  }
  t.commit();

  engine::Cursor konten(engine_);
  konten.setTableName(u"KONTEN.DB"_qs);
  konten.open();
  for (konten.first(); !konten.eof(); konten.next()) {
    const qint64 number = konten.field(u"LaufendeNummer"_qs).asInteger();
    if (number != bank->number && number != cash->number) continue;
    const bool isBank = number == bank->number;
    konten.edit();
    konten.field(u"Eroeffnungssaldo"_qs).setMoney(isBank ? bankOpening : cashOpening);
    konten.field(u"Zum"_qs).setDate(start_);
    konten.field(u"Kontostand"_qs).setMoney(isBank ? bankBalance : cashBalance);
    if (isBank) {
      konten.field(u"Kontonummer"_qs).setInteger(4711081);
      konten.field(u"Bankleitzahl"_qs).setInteger(52012345);
      konten.field(u"Bankname"_qs).setString(u"Raiffeisenbank am Mühlbach"_qs);
    }
    konten.post();
  }
  konten.close();
}

void Generator::writeOwnData() {
  const Address& own = addresses_.front();
  engine::TableLoader t(engine_, u"eigen.DB"_qs);
  t.insert(QVariantMap{{u"Name"_qs, own.name},
                       {u"Vorname"_qs, own.vorname},
                       {u"Zwinger"_qs, u"vom Mühlbach"_qs},
                       {u"Strasse"_qs, own.strasse},
                       {u"Plz"_qs, own.plz},
                       {u"Ort"_qs, own.ort},
                       {u"Telefon"_qs, own.telefon},
                       {u"land"_qs, u"Deutschland"_qs},
                       {u"EMail"_qs, own.email},
                       {u"Verband"_qs, u"Landesverband Hessen der Rassekaninchenzüchter"_qs},
                       {u"Vereinsnummer"_qs, own.mark},
                       {u"Kontonummer"_qs, u"4711081"_qs},
                       {u"Kontoname"_qs, u"Heinrich Brandt"_qs},
                       {u"KontoIn"_qs, u"Raiffeisenbank"_qs},
                       {u"Bankleitzahl"_qs, u"52012345"_qs},
                       {u"Kreisverband"_qs, u"Kreisverband Kassel"_qs},
                       {u"Vereinsart"_qs, u"Rassekaninchenzuchtverein"_qs}});
  t.commit();
}

DemoStockSummary Generator::run() {
  // The stock's history: at least eight years for the generations, longer for big stocks,
  // but never born before 2010, whose two-digit tattoo years would read as 20x0s.
  const int years = std::clamp((target_ + 6999) / 7000, 8, std::max(8, lastDay_.year() - 2011));
  start_ = QDate(lastDay_.year() - years, lastDay_.month(), 1);
  runningPerMonth_ = target_ / years > 8000;

  readLookups();
  does_.assign(breeds_.size(), {});
  bucks_.assign(breeds_.size(), {});
  makeAddresses();
  makeFounders(std::min({target_, static_cast<int>(breeds_.size()) * 6, 52}));
  breed();
  addPendingMatings();
  fillUp();

  writeOwnData();
  writeAddresses();
  writeAnimals();
  writeTrades();
  writeLitters();
  writeWeighings();
  writeShows();
  writeDemoShowCalendarAndForm(engine_, lastDay_);
  writeWoolTests();
  writeBookings();

  DemoStockSummary summary;
  summary.animals = static_cast<int>(animals_.size());
  summary.founders = founders_;
  summary.litters = static_cast<int>(litters_.size());
  for (const Animal& a : animals_) summary.generations = std::max(summary.generations, a.generation + 1);
  for (const Litter& l : litters_) {
    const Animal& d = animals_[static_cast<size_t>(l.doe)];
    const Animal& b = animals_[static_cast<size_t>(l.buck)];
    auto parents = [&](const Animal& a) { return std::array<int, 2>{a.father, a.mother}; };
    std::vector<int> ancestorsOfDoe, ancestorsOfBuck;
    for (int p : parents(d))
      if (p >= 0) {
        ancestorsOfDoe.push_back(p);
        for (int g : parents(animals_[static_cast<size_t>(p)]))
          if (g >= 0) ancestorsOfDoe.push_back(g);
      }
    for (int p : parents(b))
      if (p >= 0) {
        ancestorsOfBuck.push_back(p);
        for (int g : parents(animals_[static_cast<size_t>(p)]))
          if (g >= 0) ancestorsOfBuck.push_back(g);
      }
    const bool related = std::any_of(ancestorsOfDoe.begin(), ancestorsOfDoe.end(), [&](int x) {
      return std::find(ancestorsOfBuck.begin(), ancestorsOfBuck.end(), x) != ancestorsOfBuck.end();
    });
    if (related) ++summary.relatedMatings;
  }
  summary.addresses = static_cast<int>(addresses_.size());
  summary.showResults = showRows_;
  summary.weighings = weighings_;
  summary.woolTests = woolTests_;
  summary.bookings = bookings_;
  return summary;
}

}  // namespace

DemoStockSummary writeDemoStock(engine::Engine& engine, const DemoStockOptions& options) {
  Generator generator(engine, options);
  const DemoStockSummary summary = generator.run();
  writeDemoHealthAndRegister(engine, options);
  writeDemoKoerung(engine, options);
  return summary;
}

}  // namespace lapiro::installer
