// The card's tab "Angora Leistungsnachweis" as a user works with it, the tab's visibility by
// breed group, the two print commands' checks and the printed certificate's page.
#include "app/modules.h"
#include "breeding/ui/wool_tab.h"

#include "breeding/wool_certificate.h"
#include "breeding/wool_performance.h"
#include "card/ui/animal_card.h"
#include "engine/cursor.h"
#include "installer/content.h"
#include "reports/report_layout.h"
#include "reports/ui/report_preview.h"
#include "shell/system_info.h"
#include "store/data_module.h"
#include "support/scripted_dialogs.h"
#include "support/stock_fixture.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace lapiro::breeding {
namespace {

using test::ScriptedDialogs;

class WoolTabTest : public ::testing::Test {
 protected:
  WoolTabTest() : stock({11, 29, 127, installer::kMeldungKeineLanghaarrasse}) {
    settings.System.Speichern = true;
    angoraBreed = stock.add(QStringLiteral("Rasse.db"), {{QStringLiteral("Name"), QStringLiteral("Angora")},
                                                         {QStringLiteral("Rassegruppe"), QStringLiteral("Langhaarrassen")}});
    rex = stock.add(QStringLiteral("Rasse.db"), {{QStringLiteral("Name"), QStringLiteral("Rex")},
                                                 {QStringLiteral("Rassegruppe"), QStringLiteral("Kleine Rassen")}});
    blau = stock.add(QStringLiteral("Farbe.db"),
                     {{QStringLiteral("Rasse"), angoraBreed}, {QStringLiteral("Name"), QStringLiteral("blau")}});
    breeder = stock.add(QStringLiteral("Adresse.db"),
                        {{QStringLiteral("Name"), QStringLiteral("Berg")}, {QStringLiteral("Vorname"), QStringLiteral("Anna")}});
    father = stock.animal(QStringLiteral("V7"), QStringLiteral("2.4.3"),
                          {{QStringLiteral("Rasse"), angoraBreed}, {QStringLiteral("Geschlecht"), QStringLiteral("1")},
                           {QStringLiteral("Zuechter"), breeder}});
    doe = stock.animal(QStringLiteral("A1"), QStringLiteral("3.5.12"),
                       {{QStringLiteral("Rasse"), angoraBreed}, {QStringLiteral("Farbe"), blau},
                        {QStringLiteral("Vater"), father}, {QStringLiteral("Zuechter"), breeder},
                        {QStringLiteral("Geburtstag"), QDate(2005, 3, 12)}});
    other = stock.animal(QStringLiteral("R1"), QStringLiteral("1.5.1"), {{QStringLiteral("Rasse"), rex}});
    module = std::make_unique<store::TDatenStamm>(stock.engine, settings);
    attachWoolRules(*module);
    module->setToday(QDate(2006, 6, 15));
    module->open();
    fatherTest = stock.add(QStringLiteral("Angora.db"),
                           {{QStringLiteral("Kaninchen"), father}, {QStringLiteral("Pruefstelle"), QStringLiteral("Prüfstelle Nord")},
                            {QStringLiteral("JWEInsgesamt"), 1400}, {QStringLiteral("WRZInsgesamt"), 1260},
                            {QStringLiteral("LLB"), QStringLiteral("1000042")}, {QStringLiteral("Gewicht"), 18.0},
                            {QStringLiteral("Koerper"), 17.5}, {QStringLiteral("Wolldichte"), 13.0},
                            {QStringLiteral("Ausgeglichenheit"), 14.0}, {QStringLiteral("Wollstruktur"), 13.5},
                            {QStringLiteral("Behang"), 9.0}, {QStringLiteral("Pflege"), 4.5},
                            {QStringLiteral("Bewertung"), 89.5}});
    card = std::make_unique<card::ui::TLapiroStamm>(*module, settings, card::ui::CardServices{},
                                                  app::featureCardPages());
    card->resize(1000, 760);
  }
  ~WoolTabTest() override {
    card.reset();
    module.reset();
  }

  void show(qint64 nummer) {
    ASSERT_TRUE(module->gotoAnimal(nummer));
    card->refreshCard(true);
  }
  bool woolTabVisible() const { return card->tabs()->isTabVisible(card::ui::TLapiroStamm::TabLeistungsnachweis); }
  ui::TabAngora& tab() { return *ui::woolTabOf(*card); }
  void type(const QString& field, const QString& text) {
    QLineEdit* e = tab().box(field);
    ASSERT_NE(e, nullptr) << field.toStdString();
    e->setText(text);
    e->setModified(true);
    emit e->editingFinished();
  }
  engine::Cursor& wool() { return module->at(woolCursorName()); }

  test::StockDirectory stock;
  shell::tsysteminfo settings;
  qint64 angoraBreed = 0, rex = 0, blau = 0, breeder = 0, father = 0, doe = 0, other = 0, fatherTest = 0;
  std::unique_ptr<store::TDatenStamm> module;
  std::unique_ptr<card::ui::TLapiroStamm> card;
};

TEST_F(WoolTabTest, TabIsShownOnlyForLongHairedBreeds) {
  ScriptedDialogs dialogs;
  show(other);
  EXPECT_FALSE(woolTabVisible());
  show(doe);
  EXPECT_TRUE(woolTabVisible());
  show(other);
  EXPECT_FALSE(woolTabVisible());
}

TEST_F(WoolTabTest, EnteringATestShowsItsFiguresAndRefusesBadInput) {
  ScriptedDialogs dialogs;
  show(doe);
  card->tabs()->setCurrentIndex(card::ui::TLapiroStamm::TabLeistungsnachweis);
  EXPECT_FALSE(tab().saveButton()->isEnabled());
  tab().NeuClick();
  EXPECT_TRUE(tab().saveButton()->isEnabled());
  EXPECT_TRUE(tab().undoButton()->isEnabled());
  EXPECT_FALSE(tab().newButton()->isEnabled());

  tab().intervalBox()->setCurrentIndex(0);  // "91 Tage"
  emit tab().intervalBox()->activated(0);
  type(QStringLiteral("Schurergebnis1"), QStringLiteral("250"));
  type(QStringLiteral("Schurergebnis2"), QStringLiteral("80,0"));
  type(QStringLiteral("Filz"), QStringLiteral("20"));
  EXPECT_EQ(tab().box(QStringLiteral("JWE1"))->text(), u"1000");
  EXPECT_EQ(tab().box(QStringLiteral("WRZ2"))->text(), u"240");
  EXPECT_EQ(tab().box(QStringLiteral("JWEInsgesamt"))->text(), u"1400");
  EXPECT_EQ(tab().box(QStringLiteral("WRZInsgesamt"))->text(), u"1260");
  EXPECT_EQ(tab().box(QStringLiteral("Punkte"))->text(), u"40");  // coloured, above 1100

  // A negative weight and points above a position's maximum are refused, nothing is written.
  type(QStringLiteral("Filz"), QStringLiteral("-3"));
  type(QStringLiteral("Pflege"), QStringLiteral("5,5"));
  ASSERT_EQ(dialogs.shown().size(), 2u);
  EXPECT_TRUE(dialogs.shown()[0].text.contains(u"-3"));
  EXPECT_TRUE(dialogs.shown()[1].text.contains(u"0 bis 5"));
  EXPECT_EQ(wool().field(QStringLiteral("Filz")).asInteger(), 20);
  EXPECT_TRUE(wool().field(QStringLiteral("Pflege")).isNull());

  // A point in a weight or in points is explained; a thousands point is read as such.
  type(QStringLiteral("Filz"), QStringLiteral("2.5"));
  ASSERT_EQ(dialogs.shown().size(), 3u);
  EXPECT_EQ(dialogs.shown()[2].text, QStringLiteral("Bitte Komma als Dezimalzeichen verwenden: 2,5"));
  EXPECT_EQ(wool().field(QStringLiteral("Filz")).asInteger(), 20);
  type(QStringLiteral("GewichtHase"), QStringLiteral("3.800"));
  EXPECT_DOUBLE_EQ(wool().field(QStringLiteral("GewichtHase")).asFloat(), 3800.0);

  type(QStringLiteral("Filz"), QStringLiteral("20"));
  type(QStringLiteral("Gewicht"), QStringLiteral("19"));
  type(QStringLiteral("Pflege"), QStringLiteral("4,5"));
  EXPECT_EQ(tab().box(QStringLiteral("Bewertung"))->text(), u"23,5");
  tab().SpeichernClick();
  EXPECT_FALSE(wool().isEditing());
  EXPECT_TRUE(tab().newButton()->isEnabled());
  EXPECT_EQ(stock.rowCount(QStringLiteral("Angora.db")), 2);
  // The father's test gives the parents' average on the next arrival.
  show(other);
  show(doe);
  EXPECT_EQ(tab().box(QStringLiteral("ElternWRZ"))->text(), u"1260");
  EXPECT_EQ(tab().box(QStringLiteral("PunkteEltern"))->text(), u"30");
}

TEST_F(WoolTabTest, PrintingWithoutATestShowsMessage127AndOtherBreedsAreToldFirst) {
  {
    ScriptedDialogs dialogs;
    show(doe);
    ui::printCurrentWoolTest(nullptr, tab(), *module, settings);
    EXPECT_EQ(dialogs.texts(), QStringList{test::StockDirectory::message(127)});
  }
  {
    ScriptedDialogs dialogs;
    show(other);
    ui::Leistungsnachweis1Click(nullptr, *card, *module, settings);
    EXPECT_EQ(dialogs.texts(), (QStringList{test::StockDirectory::message(installer::kMeldungKeineLanghaarrasse),
                                            test::StockDirectory::message(127)}));
  }
}

TEST_F(WoolTabTest, TextTypedIntoABoxSurvivesTheWriteOfAnotherAndIsSavedWithIt) {
  ScriptedDialogs dialogs;
  show(doe);
  tab().NeuClick();
  QLineEdit* felt = tab().box(QStringLiteral("Filz"));
  felt->setText(QStringLiteral("17"));  // typed, the box not yet left
  felt->setModified(true);
  type(QStringLiteral("Schurergebnis1"), QStringLiteral("200"));
  EXPECT_EQ(felt->text(), u"17");
  tab().SpeichernClick();
  EXPECT_FALSE(wool().isEditing());
  EXPECT_EQ(wool().field(QStringLiteral("Filz")).asInteger(), 17);
  EXPECT_EQ(wool().field(QStringLiteral("Schurergebnis1")).asInteger(), 200);
}

TEST_F(WoolTabTest, MenuPrintsTheNewestTestOfTheAnimal) {
  ScriptedDialogs dialogs;
  for (auto [vom, llb] : {std::pair{QDate(2005, 1, 10), u"1000001"}, std::pair{QDate(2006, 2, 1), u"1000002"}})
    stock.add(QStringLiteral("Angora.db"), {{QStringLiteral("Kaninchen"), doe}, {QStringLiteral("Vom"), vom},
                                            {QStringLiteral("LLB"), QString::fromUtf16(llb)}});
  show(other);
  show(doe);
  wool().first();
  ASSERT_EQ(wool().field(QStringLiteral("LLB")).asString(), u"1000001");
  QStringList printed;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (auto* preview = qobject_cast<reports::TReportVorschau*>(QApplication::activeModalWidget())) {
      printed = preview->model().pages.at(0).texts();
      preview->reject();
    }
  });
  poll.start(20);
  ui::Leistungsnachweis1Click(nullptr, *card, *module, settings);
  poll.stop();
  EXPECT_TRUE(dialogs.shown().empty());
  EXPECT_EQ(wool().field(QStringLiteral("LLB")).asString(), u"1000002");
  EXPECT_TRUE(printed.contains(QStringLiteral("1000002")));
}

TEST_F(WoolTabTest, CertificateShowsTheTestAndTheAncestorTableOnOnePage) {
  ScriptedDialogs dialogs;
  stock.add(QStringLiteral("Angora.db"),
            {{QStringLiteral("Kaninchen"), doe}, {QStringLiteral("Schurintervall"), QStringLiteral("84")},
             {QStringLiteral("Schurergebnis1"), 230}, {QStringLiteral("Schurergebnis2"), 50},
             {QStringLiteral("Filz"), 20}, {QStringLiteral("Vom"), QDate(2006, 1, 2)},
             {QStringLiteral("Ort"), QStringLiteral("Kassel")}, {QStringLiteral("Bewertung"), 90.0},
             {QStringLiteral("LLB"), QStringLiteral("1000777")}});
  show(other);
  show(doe);
  ASSERT_TRUE(wool().hasRecord());
  const WoolCertificate c = readWoolCertificate(*module, QDate(2006, 6, 15));
  EXPECT_EQ(c.farbHinweis, u"( für farbige )");
  EXPECT_EQ(c.jwe[0], u"1000");
  EXPECT_EQ(c.wrz[1], u"163");
  EXPECT_EQ(c.llbVater, u"1000042");
  EXPECT_EQ(c.ahnen[0].tato, u"V7 2.4.3");
  EXPECT_EQ(c.ahnen[0].zuechter, u"Anna Berg");
  EXPECT_EQ(c.ahnen[0].bewertung, u"18,0/17,5/13,0/14,0/13,5/9,0/4,5=89,5");
  EXPECT_TRUE(c.ahnen[1].tato.isEmpty());  // no mother recorded
  EXPECT_TRUE(c.ortDatum.endsWith(u", den 15.06.2006"));

  const reports::PageModel model = reports::layoutReport(TReportWollleistung(c), reports::MemoryDataSource{});
  ASSERT_EQ(model.pageCount(), 1);
  const reports::Page& page = model.pages[0];
  for (const char16_t* t : {u"Angora-Leistungsnachweis", u"( für farbige )", u"1000777", u"Kassel",
                            u"18,0/17,5/13,0/14,0/13,5/9,0/4,5=89,5", u"Großelternleistung im Durchschnitt",
                            u"Unterschrift Züchter", u"printed by Lapiro Manager"})
    EXPECT_TRUE(page.containsText(QString::fromUtf16(t))) << QString::fromUtf16(t).toStdString();
  // Everything stays inside the page body.
  const QRectF body = model.setup.bodyRect();
  for (const reports::BandPlacement& b : page.bands) EXPECT_LE(b.rect.bottom(), body.bottom() + 0.01);
}

}  // namespace
}  // namespace lapiro::breeding
