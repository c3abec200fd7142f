#include "installer/demo_shows.h"

#include <QDir>

#include "engine/cursor.h"
#include "engine/table_loader.h"
#include "shows/entry_form.h"

namespace lapiro::installer {

namespace {

struct DemoShow {
  int month, day, days;  // start relative to the season, length in days
  const char16_t* verein;
  const char16_t* strasse;
  const char16_t* plz;
  const char16_t* ort;
  const char16_t* info;
};

// The season from September to February, dated in the year of `lastDay` (the winter months
// in the following year).
const DemoShow kSeason[] = {
    {9, 13, 1, u"K 12 Baunatal", u"Am Sportplatz 3", u"34225", u"Baunatal", u"Jungtierschau mit Bewertung"},
    {10, 18, 2, u"H 401 Melsungen", u"Schlachthofstraße 7", u"34212", u"Melsungen", u"Ortsschau"},
    {11, 8, 2, u"K 40 Kassel-Nord", u"Mehrzweckhalle, Ihringshäuser Str. 1", u"34125", u"Kassel",
     u"Kreisschau, Meldeschluss drei Wochen vorher"},
    {11, 22, 2, u"Z 9 Fritzlar", u"Domplatz 2", u"34560", u"Fritzlar", u"Gemeinschaftsschau"},
    {12, 6, 2, u"LV Hessen", u"Messeplatz 1", u"36037", u"Fulda", u"Landesschau, Katalog bestellen"},
    {12, 13, 3, u"Bundesverband", u"Messe Leipzig", u"04356", u"Leipzig", u"Bundesschau"},
    {1, 10, 2, u"K 77 Hofgeismar", u"Stadthalle", u"34369", u"Hofgeismar", u"Kreisschau"},
    {2, 7, 1, u"Klub der Widderzüchter", u"Bürgerhaus", u"37269", u"Eschwege", u"Klubschau"},
};

QDate dateOf(const DemoShow& s, int seasonYear) {
  return QDate(s.month >= 9 ? seasonYear : seasonYear + 1, s.month, s.day);
}

}  // namespace

void writeDemoShowCalendarAndForm(engine::Engine& engine, const QDate& lastDay) {
  // The season that is running on the last day (it starts in September).
  const int seasonYear = lastDay.month() >= 9 ? lastDay.year() : lastDay.year() - 1;
  {
    engine::TableLoader t(engine, QStringLiteral("AUSSTELT.DB"));
    for (const DemoShow& s : kSeason) {
      const QDate from = dateOf(s, seasonYear);
      t.insert(QVariantMap{{QStringLiteral("Datum"), from},
                           {QStringLiteral("Datum2"), from.addDays(s.days - 1)},
                           {QStringLiteral("Verein"), QString::fromUtf16(s.verein)},
                           {QStringLiteral("Strasse"), QString::fromUtf16(s.strasse)},
                           {QStringLiteral("Plz"), QString::fromUtf16(s.plz)},
                           {QStringLiteral("Ort"), QString::fromUtf16(s.ort)},
                           {QStringLiteral("Land"), QStringLiteral("Deutschland")},
                           {QStringLiteral("Info"), QString::fromUtf16(s.info)}});
    }
    t.commit();
  }

  // The entry form for the county show: the demo breeder's newest own animals of one breed.
  const DemoShow& county = kSeason[2];
  const QDate showDay = dateOf(county, seasonYear);
  shows::EntryForm form;
  engine::Cursor own(engine, QStringLiteral("eigen"));
  own.setTableName(QStringLiteral("eigen.DB"));
  own.setReadOnly(true);
  own.open();
  own.first();
  if (own.hasRecord()) {
    form.header.verein = own.field(QStringLiteral("Vereinsnummer")).asString();
    form.header.von = own.field(QStringLiteral("Vorname")).asString() + u' ' + own.field(QStringLiteral("Name")).asString();
  }
  own.close();
  form.header.nummer = QStringLiteral("1");
  form.header.ausstellung = QStringLiteral("Kreisschau");
  form.header.datumText = showDay.toString(QStringLiteral("dd.MM.yyyy"));
  form.header.unkostenTier = engine::Money::fromUnits(25000);  // 2,50
  form.header.futterTier = engine::Money::fromUnits(10000);
  form.header.porto = engine::Money::fromUnits(10000);
  form.header.katalog = engine::Money::fromUnits(50000);
  form.header.zgZuschlag = 1;
  form.header.zgBetrag = engine::Money::fromUnits(50000);

  engine::Cursor hasen(engine, QStringLiteral("Hasen"));
  hasen.setTableName(QStringLiteral("Hasen"));
  hasen.setReadOnly(true);
  hasen.open();
  qint64 breed = 0;
  int taken = 0;
  for (hasen.last(); hasen.hasRecord() && !hasen.bof() && taken < 6; hasen.prior()) {
    if (hasen.field(QStringLiteral("Status")).asInteger() != 1) continue;
    const QDate born = hasen.field(QStringLiteral("Geburtstag")).asDate();
    if (!born.isValid() || born.daysTo(showDay) < 120) continue;
    const qint64 rasse = hasen.field(QStringLiteral("Rasse")).asInteger();
    if (breed == 0) {
      breed = rasse;
      form.header.rasse = rasse;
      form.header.farbe = hasen.field(QStringLiteral("Farbe")).asInteger();
    }
    if (rasse != breed) continue;
    const int line = form.fillFirstEmptyLine(hasen.field(QStringLiteral("TatoRechts")).asString(),
                                             hasen.field(QStringLiteral("TatoLinks")).asString(),
                                             hasen.field(QStringLiteral("Geschlecht")).asString());
    form.lines[line].jungtier = born.daysTo(showDay) < 270;
    form.lines[line].zg1 = taken < 4;
    if (taken == 5) form.lines[line].verkaufspreis = engine::Money::fromUnits(400000);  // 40,00
    ++taken;
  }
  hasen.close();
  form.recomputeFees();
  const QString name = shows::suggestedEntryFileName(form.header.ausstellung, showDay, showDay);
  shows::saveEntryForm(engine, QDir(engine.aliasDirectory()).filePath(name + QStringLiteral(".mel")), form);
}

}  // namespace lapiro::installer
