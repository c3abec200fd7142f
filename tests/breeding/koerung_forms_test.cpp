// The two printed forms of a buck's judging: the order of the young on the balance form, the
// values read from a real stock through the data module, and both one-page layouts. With
// LAPIRO_SHOTS set to a directory, the forms are also written there as PDF files.
#include "breeding/koerung_forms.h"

#include "breeding/litter_book.h"
#include "engine/cursor.h"
#include "reports/data_source.h"
#include "reports/report_layout.h"
#include "reports/report_renderer.h"
#include "shell/system_info.h"
#include "store/data_module.h"
#include "support/scripted_dialogs.h"
#include "support/stock_fixture.h"

#include <gtest/gtest.h>

namespace lapiro::breeding {
namespace {

using test::ScriptedDialogs;

QString s(const char16_t* t) { return QString::fromUtf16(t); }
using Totals = std::vector<std::optional<double>>;

// ---------------------------------------------------------------- ranking

TEST(KoerungBalanceOrder, RanksTheFirstTenByTotalRoundedHalfToEvenThenUnjudgedInLitterOrder) {
  // Rounded: 90, -, 94, 96, 94, 0, 96, 96, 0, 2. 95.5, 96.0 and 95.6 all count 96 and keep their
  // litter order; 94.5 rounds down and ties with 94.4; 0.4 and 0.5 count as not judged.
  EXPECT_EQ(balanceFormOrder({90.0, std::nullopt, 94.5, 95.5, 94.4, 0.4, 96.0, 95.6, 0.5, 1.5}),
            (std::vector<int>{3, 6, 7, 2, 4, 0, 9, 1, 5, 8}));
  Totals twelve(12, 90.0);
  twelve[10] = 99.0;  // the eleventh young is not on the form
  twelve[4] = 95.0;
  EXPECT_EQ(balanceFormOrder(twelve), (std::vector<int>{4, 0, 1, 2, 3, 5, 6, 7, 8, 9}));
  EXPECT_EQ(balanceFormOrder({std::nullopt, 0.0, -3.0}), (std::vector<int>{0, 1, 2}));
}

// ---------------------------------------------------------------- readers on a stock

void writeShot(const reports::PageModel& m, const QString& name) {
  const QByteArray dir = qgetenv("LAPIRO_SHOTS");
  if (!dir.isEmpty()) reports::renderToPdf(m, QString::fromLocal8Bit(dir) + u'/' + name);
}

class KoerungFormsTest : public ::testing::Test {
 protected:
  KoerungFormsTest() : stock({11, 29}) {
    settings.System.Speichern = true;
    rasse = stock.add(s(u"Rasse"), {{s(u"Name"), s(u"Deutsche Riesen")}, {s(u"Rassegruppe"), s(u"Große Rassen")}});
    farbe = stock.add(s(u"Farbe"), {{s(u"Rasse"), rasse}, {s(u"Name"), s(u"grau")}});
    owner = stock.add(s(u"Adresse.db"), {{s(u"Name"), s(u"Krause")}, {s(u"Vorname"), s(u"Ute")}, {s(u"PLZ"), s(u"34117")},
                                         {s(u"Ort"), s(u"Kassel")}, {s(u"Straße"), s(u"Am Bach 3")}});
    breeder = stock.add(s(u"Adresse.db"), {{s(u"Name"), s(u"Berg")}, {s(u"Vorname"), s(u"Anna")}, {s(u"PLZ"), s(u"37073")},
                                           {s(u"Ort"), s(u"Göttingen")}, {s(u"Straße"), s(u"Weender Str. 9")}});
    engine::Cursor eigen(stock.engine, s(u"eigenTest"));
    eigen.setTableName(s(u"eigen.DB"));
    eigen.open();
    eigen.edit();
    eigen.field(s(u"Vereinsart")).setString(s(u"Landesverband"));
    eigen.field(s(u"Verband")).setString(s(u"Kurhessen"));
    eigen.post();
  }
  ~KoerungFormsTest() override { module.reset(); }

  qint64 addBuck(qint64 besitzer, const QVariantMap& more = {}) {
    QVariantMap m{{s(u"Geschlecht"), s(u"1")}, {s(u"Rasse"), rasse}, {s(u"Farbe"), farbe},
                  {s(u"Besitzer"), besitzer}, {s(u"Zuechter"), breeder}};
    for (auto it = more.begin(); it != more.end(); ++it) m.insert(it.key(), it.value());
    return stock.animal(s(u"R1"), s(u"3.3.1"), m);
  }
  void show(qint64 hase, const QDate& day, const QString& titel, std::array<double, 7> p, std::optional<double> total) {
    QVariantMap m{{s(u"Hase"), hase}, {s(u"Datum"), day}, {s(u"Titel"), titel}};
    const char16_t* names[] = {u"Gewicht1", u"Koerper2", u"Fell3", u"Kopf4", u"Farbe5", u"Unterfarbe6", u"Pflege7"};
    for (int i = 0; i < 7; ++i)
      if (p[i] > 0) m.insert(s(names[i]), p[i]);
    if (total) m.insert(s(u"EigeneBewertung"), *total);
    stock.add(s(u"Ausstellung"), m);
  }
  // A litter of `buck` with does's young "K7 3.24.<n>", judged with the given totals.
  void litter(qint64 buck, const Totals& totals) {
    doe = stock.animal(s(u"H2"), s(u"4.3.2"), {{s(u"Rasse"), rasse}});
    show(doe, QDate(2023, 12, 2), s(u"Landesschau"), {9.5, 19, 14, 14.5, 14, 9.5, 4.5}, 95.0);
    stock.add(s(u"Wurfbuch.DB"), {{s(u"Katze"), doe}, {s(u"Kater"), buck}, {s(u"Wurftag"), kBorn},
                                  {s(u"WurfStMaennlich"), 2}, {s(u"WurfStWeiblich"), 3}, {s(u"WurfStTot"), 1}});
    for (size_t i = 0; i < totals.size(); ++i) {
      const qint64 y = stock.animal(s(u"K7"), QStringLiteral("3.24.%1").arg(i + 1),
                                    {{s(u"Geschlecht"), i % 2 ? s(u"2") : s(u"1")}, {s(u"Mutter"), doe},
                                     {s(u"Vater"), buck}, {s(u"Geburtstag"), kBorn}});
      if (totals[i])
        show(y, QDate(2024, 5, 4), s(u"Körung vom Herdbuch"), {9.5, 19.0, 14.0, 14.0, 14.0, 9.0, 4.0}, *totals[i]);
    }
  }
  void open(qint64 buck) {
    module = std::make_unique<store::TDatenStamm>(stock.engine, settings);
    rules = attachLitterRules(*module, settings);
    module->setToday(QDate(2024, 6, 1));
    module->open();
    ASSERT_TRUE(module->gotoAnimal(buck));
    // As the judging page does: the first covered doe's litter, its young filtered.
    engine::Cursor& g = module->at(s(u"GedeckteHaesinnen"));
    g.first();
    engine::Cursor& r = module->at(s(u"RammlerJungtiere"));
    r.setFilter(QStringLiteral("(Mutter=%1)and(Geburtstag='01.03.2024')").arg(doe));
    r.setFiltered(true);
  }

  static inline const QDate kBorn{2024, 3, 1};
  test::StockDirectory stock;
  shell::tsysteminfo settings;
  std::unique_ptr<store::TDatenStamm> module;
  std::shared_ptr<TWurfbuch> rules;
  qint64 rasse = 0, farbe = 0, owner = 0, breeder = 0, doe = 0;
};

TEST_F(KoerungFormsTest, BalanceFormReadsBuckDoeLitterAndRankedYoung) {
  ScriptedDialogs dialogs;
  const qint64 buck = addBuck(owner);
  show(buck, QDate(2023, 11, 5), s(u"Kreisschau"), {9.5, 18.5, 13.5, 14, 14, 9.5, 4.5}, 93.5);
  show(buck, QDate(2024, 1, 7), s(u"Eigene Bewertung"), {10, 20, 15, 15, 14, 9, 5}, 98.0);
  litter(buck, {94.5, std::nullopt, 95.5, 0.4, 96.0});
  open(buck);
  engine::Cursor& shows = module->at(s(u"Ausstellung"));
  ASSERT_TRUE(shows.locate(s(u"Titel"), {s(u"Kreisschau")}));
  engine::Cursor& r = module->at(s(u"RammlerJungtiere"));
  r.first();
  r.next();
  const qint64 where = r.recordNumber();

  const BalanceForm f = readBalanceForm(*module, s(u"15.06.2024"));
  EXPECT_EQ(r.recordNumber(), where);  // the young's cursor stays where the page had it
  EXPECT_EQ((QStringList{f.herdbuch, f.datum, f.besitzer, f.besitzerAdresse, f.rasse, f.farbe, f.wurfdatum, f.geboren,
                         f.aufgezogen, f.tot}),
            (QStringList{s(u"Landesverband Kurhessen"), s(u"15.06.2024"), s(u"Ute Krause"), s(u"34117 Kassel, Am Bach 3"),
                         s(u"Deutsche Riesen"), s(u"grau"), s(u"01.03.2024"), s(u"6"), s(u"5"), s(u"1")}));
  // The buck's line is the show row the page chose, not his better own judging.
  EXPECT_EQ((QStringList{f.vater.name, f.vater.positionen[1], f.vater.insgesamt, f.vater.praedikat, f.vater.fehlpunkte}),
            (QStringList{s(u"R1  3.3.1"), s(u"18,5"), s(u"93,5"), s(u"gut"), s(u"1,5/1,5/2,5")}));
  EXPECT_EQ((QStringList{f.mutter.name, f.mutter.positionen[6], f.mutter.insgesamt, f.mutter.praedikat}),
            (QStringList{s(u"H2 4.3.2"), s(u"4,5"), s(u"95"), s(u"sehr gut")}));

  // 95.5 and 96 both count 96 (the earlier first), then 94.5 as 94; then the unjudged.
  QStringList names;
  for (const JudgingLine& l : f.nachzucht) names << l.name;
  EXPECT_EQ(names, (QStringList{s(u"K7  3.24.3"), s(u"K7  3.24.5"), s(u"K7  3.24.1"), s(u"K7  3.24.2"), s(u"K7  3.24.4"),
                                {}, {}, {}, {}, {}}));
  const JudgingLine& best = f.nachzucht[0];
  EXPECT_EQ((QStringList{best.geschlecht, best.positionen[0], best.insgesamt, best.praedikat, best.fehlpunkte}),
            (QStringList{s(u"1.0"), s(u"9,5"), s(u"95,5"), s(u"sehr gut"), s(u"1/1/3")}));
  // A total of 0.4 is no judging: sex and name only.
  const JudgingLine& none = f.nachzucht[4];
  EXPECT_EQ(none.geschlecht, s(u"0.1"));
  EXPECT_TRUE(none.insgesamt.isEmpty() && none.positionen[0].isEmpty() && none.praedikat.isEmpty());
  writeShot(reports::layoutReport(TReportAusgeglichenheit(f), reports::MemoryDataSource{}), s(u"ausgeglichenheit_bestand.pdf"));
}

TEST_F(KoerungFormsTest, BuckWithoutShowRowsAndOwnerWithoutFirstName) {
  ScriptedDialogs dialogs;
  const qint64 plainOwner = stock.add(s(u"Adresse.db"), {{s(u"Name"), s(u"Zuchtgemeinschaft Nord")}, {s(u"Ort"), s(u"Kiel")}});
  const qint64 buck = addBuck(plainOwner);
  litter(buck, {96.0, 95.0});
  open(buck);
  const BalanceForm f = readBalanceForm(*module, QString());
  EXPECT_EQ(f.besitzer, s(u"Zuchtgemeinschaft Nord"));
  EXPECT_EQ(f.besitzerAdresse, s(u"Kiel"));  // no stray separators for the missing parts
  EXPECT_EQ(f.vater.geschlecht + u'|' + f.vater.name, s(u"1.0|R1  3.3.1"));
  for (const QString& t : f.vater.positionen) EXPECT_TRUE(t.isEmpty());
  EXPECT_EQ(f.vater.insgesamt + f.vater.praedikat, QString());
  EXPECT_EQ(f.mutter.insgesamt + u'|' + f.nachzucht[0].insgesamt, s(u"95|96"));
}

TEST_F(KoerungFormsTest, OwnStockShowsTheOwnUserAndKoernoteHeaderNamesTheBreeder) {
  ScriptedDialogs dialogs;
  const qint64 buck = addBuck(owner, {{s(u"Status"), 1}});
  litter(buck, {});
  open(buck);
  const BalanceForm f = readBalanceForm(*module, QString());
  EXPECT_EQ(f.besitzer, s(u"Jörg Sommer"));
  EXPECT_EQ(f.besitzerAdresse, s(u"34117 Kassel, Lindenweg 3"));
  EXPECT_TRUE(f.nachzucht[0].name.isEmpty());

  KoernoteForm k;
  k.datum = s(u"20.06.2024");
  readKoernoteHeader(*module, k);
  EXPECT_EQ((QStringList{k.herdbuch, k.rammler, k.datum, k.zuechter, k.strasse, k.plz, k.wohnort, k.rasseFarbe,
                         k.vereinstato, k.tatoLinks}),
            (QStringList{s(u"Landesverband Kurhessen"), s(u"R1 3.3.1"), s(u"20.06.2024"), s(u"Anna Berg"),
                         s(u"Weender Str. 9"), s(u"37073"), s(u"Göttingen"), s(u"Deutsche Riesen, grau"), s(u"R1"),
                         s(u"3.3.1")}));
  EXPECT_FALSE(k.langhaar);
}

// ---------------------------------------------------------------- layouts

// The longest texts the forms meet.
const QString kVerband = s(u"Rassekaninchenzuchtverband Landesverband Kurhessen-Waldeck");
const QString kPerson = s(u"Hans-Joachim Müller-Lüdenscheidt");

BalanceForm fullBalanceForm() {
  auto line = [](const QString& sex, const QString& name, const QString& grade) {
    return JudgingLine{sex, name, {s(u"9,5"), s(u"19,5"), s(u"13,5"), s(u"14,5"), s(u"14,5"), s(u"9,5"), s(u"4,5")},
                       s(u"85,5"), grade, s(u"19,5/13,5/36")};
  };
  BalanceForm f{kVerband, s(u"15.10.2024"), kPerson, s(u"34117 Kassel-Wilhelmshöhe, Friedrich-Ebert-Straße 123"),
                s(u"Deutsche Riesenschecken"), s(u"schwarz-weiß"), s(u"01.03.2024"), s(u"11"), s(u"10"), s(u"1"),
                line(s(u"1.0"), s(u"ABCDEFGH  12.24.1234"), s(u"vorzüglich")),
                line(s(u"0.1"), s(u"ABCDEFGH 11.23.9999"), s(u"hervorragend")), {}};
  for (int i = 0; i < 10; ++i)
    f.nachzucht[i] = line(i % 2 ? s(u"0.1") : s(u"1.0"), QStringLiteral("ABCDEFGH  12.24.%1").arg(1000 + i),
                          s(u"nicht befriedigend"));
  return f;
}

KoernoteForm fullKoernoteForm(bool langhaar) {
  return KoernoteForm{kVerband, s(u"ABCDEFGH 12.24.1234"), s(u"15.10.2024"), kPerson, s(u"Friedrich-Ebert-Straße 123"),
                      s(u"34117"), s(u"Kassel-Wilhelmshöhe"), s(u"Deutsche Riesenschecken, schwarz-weiß"),
                      s(u"ABCDEFGH"), s(u"12.24.1234"), s(u"7"), s(u"3"),
                      {s(u"6"), s(u"10"), s(u"8"), s(u"8"), s(u"6")},
                      {s(u"H2 4.3.2"), s(u"5"),
                       s(u"3.24.1-96  /  3.24.2-95,5  /  3.24.3-95  /  3.24.4-94,5  /  3.24.5-94  /  3.24.11-93,5"),
                       s(u"95,00")},
                      {s(u"H7 5.3.8"), s(u"4"), s(u"4.24.1  96 / 4.24.2  95 / 4.24.3  95 / 4.24.4  94"), s(u"95,00")},
                      s(u"95,5"), s(u"96"), langhaar, s(u"38")};
}

// Every "|"-separated text is on the page.
void expectTexts(const reports::Page& p, const QString& texts) {
  for (const QString& t : texts.split(u'|')) EXPECT_TRUE(p.containsText(t)) << t.toStdString();
}

// One page; every band inside the body; no text cut short.
void expectWholeOnePage(const reports::PageModel& m) {
  ASSERT_EQ(m.pageCount(), 1);
  const QRectF body = m.setup.bodyRect();
  for (const reports::BandPlacement& b : m.pages[0].bands) EXPECT_LE(b.rect.bottom(), body.bottom() + 0.01);
  for (const reports::PageItem& item : m.pages[0].items) {
    const auto* t = std::get_if<reports::TextItem>(&item);
    if (!t || t->text.isEmpty()) continue;
    EXPECT_FALSE(t->lines.join(QString()).contains(u'…')) << "cut: " << t->text.toStdString();
    EXPECT_LE(t->rect.right(), body.right() + 0.01) << t->text.toStdString();
  }
}

TEST(KoerungFormLayout, BalanceFormIsOnePageWithEveryHeadingAndValue) {
  const reports::MemoryDataSource none;
  const reports::PageModel m = reports::layoutReport(TReportAusgeglichenheit(fullBalanceForm()), none);
  expectWholeOnePage(m);
  writeShot(m, s(u"ausgeglichenheit.pdf"));
  const reports::Page& p = m.pages[0];
  expectTexts(p, s(u"Pos. 3 Ausgeglichenheit eines Wurfes bei der Körung am: 15.10.2024|Plz, Wohnort, Str.:|"
                   u"Täto re    li|Insges|Prädikat|Fehlpunkte|Nachzucht|ABCDEFGH  12.24.1009|nicht befriedigend|"
                   u"19,5/13,5/36|Die Körkommission:|Leistungspunkte|printed by Lapiro Manager") + u'|' + kVerband);
  const QStringList texts = p.texts();
  for (const char16_t* t : {u"1.0", u"0.1", u"1", u"7", u"10"}) EXPECT_TRUE(texts.contains(s(t))) << s(t).toStdString();
  EXPECT_EQ(texts.count(s(u"Körrichter:")), 2);
}

TEST(KoerungFormLayout, KoernoteFormIsOnePageAndLeavesItemFiveEmptyForShortHair) {
  const reports::MemoryDataSource none;
  const reports::PageModel longHair = reports::layoutReport(TReportKoernote(fullKoernoteForm(true)), none);
  expectWholeOnePage(longHair);
  writeShot(longHair, s(u"koernote.pdf"));
  const reports::Page& p = longHair.pages[0];
  expectTexts(p, s(u"Berechnung der Körnote für den Rammler:|Deutsche Riesenschecken, schwarz-weiß|"
                   u"(väterlicherseits           / mütterlicherseits           )|1. Häsin Täto :|2. Häsin Täto:|"
                   u"Zur Körung vorgestellt (        )|3.24.11-93,5|Ermittelte Körnote:|(Siegel)|Abteilungsleiter|"
                   u"printed by Lapiro Manager"));
  QStringList texts = p.texts();
  EXPECT_EQ(texts.count(s(u"Körrichter")), 2);
  EXPECT_EQ(texts.count(s(u"Leistungspunkte")), 5);
  EXPECT_TRUE(texts.contains(s(u"96")));  // wool points
  EXPECT_TRUE(texts.contains(s(u"38")));

  const reports::PageModel shortHair = reports::layoutReport(TReportKoernote(fullKoernoteForm(false)), none);
  expectWholeOnePage(shortHair);
  texts = shortHair.pages[0].texts();
  EXPECT_TRUE(shortHair.pages[0].containsText(s(u"Wollwertrichtzahl")));
  EXPECT_FALSE(texts.contains(s(u"96")));
  EXPECT_EQ(texts.count(s(u"6")), 1);  // item 1's points; item 5's are not printed
}

}  // namespace
}  // namespace lapiro::breeding
