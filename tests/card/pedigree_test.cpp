// The pedigree: box texts from the data module, the walk over five generations, colours of
// repeated ancestors, the box layout and the card's tab "Stammbaum" with its context menu.
#include "app/modules.h"
#include "card/pedigree.h"

#include "card/ui/animal_card.h"
#include "card/ui/pedigree_page.h"
#include "engine/cursor.h"
#include "shell/system_info.h"
#include "store/ancestor_box_text.h"
#include "store/data_module.h"
#include "support/scripted_dialogs.h"
#include "support/stock_fixture.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTabWidget>

#include <gtest/gtest.h>

namespace lapiro::card {
namespace {

using test::ScriptedDialogs;

QString s(const char16_t* text) { return QString::fromUtf16(text); }

// ---------------------------------------------------------------- colours and layout

PedigreeBoxes boxesWith(std::initializer_list<std::pair<int, qint64>> filled) {
  PedigreeBoxes boxes;
  for (auto [slot, nummer] : filled) {
    boxes[slot].nummer = nummer;
    boxes[slot].lines = {QStringLiteral("x")};
  }
  return boxes;
}

TEST(PedigreeColours, RepeatedAncestorsShareAColourAcrossSidesInOrderOfFirstOccurrence) {
  // 100 is a great-grandparent on both sides; 200 occurs three times; 300 once; box 14 is
  // empty although it names 100 (a slot without lines is not part of a group).
  PedigreeBoxes boxes = boxesWith({{7, 100}, {8, 200}, {11, 100}, {13, 200}, {20, 200}, {9, 300}});
  boxes[14].nummer = 100;
  markRepeatedAncestors(boxes);
  EXPECT_EQ(boxes[7].group, 1);
  EXPECT_EQ(boxes[11].group, 1);
  EXPECT_EQ(boxes[8].group, 2);
  EXPECT_EQ(boxes[13].group, 2);
  EXPECT_EQ(boxes[20].group, 2);  // three occurrences, one palette entry
  EXPECT_EQ(boxes[9].group, 0);
  EXPECT_EQ(boxes[14].group, 0);
  EXPECT_EQ(pedigreeGroupColour(1), QColor(0x00, 0xFF, 0x00));
  EXPECT_EQ(pedigreeGroupColour(2), QColor(0x00, 0xFF, 0xFF));
  EXPECT_EQ(pedigreeGroupColour(0), QColor(Qt::white));
  EXPECT_EQ(pedigreeGroupColour(30), QColor(0xCF, 0xED, 0x30));
}

TEST(PedigreeColours, GroupsBeyondThePaletteTurnSilver) {
  // 31 animals, each twice: in box k and box k + 31 (k = 1..31).
  PedigreeBoxes boxes;
  for (int slot = 1; slot <= kPedigreeBoxes; ++slot) {
    boxes[slot].lines = {QStringLiteral("x")};
    boxes[slot].nummer = 1000 + (slot - 1) % 31;
  }
  markRepeatedAncestors(boxes);
  EXPECT_EQ(boxes[30].group, 30);
  EXPECT_EQ(boxes[61].group, 30);
  EXPECT_EQ(pedigreeGroupColour(30), QColor(0xCF, 0xED, 0x30));
  EXPECT_EQ(boxes[31].group, 31);
  EXPECT_EQ(boxes[62].group, 31);
  EXPECT_EQ(pedigreeGroupColour(boxes[62].group), QColor(0xC0, 0xC0, 0xC0));
}

TEST(PedigreeLayout, FifthGenerationFromFiveHundredPixelsAndBoxesCentredBetweenParents) {
  const PedigreeLayout low = pedigreeLayout(QSize(800, 499));
  EXPECT_FALSE(low.fifthGeneration);
  EXPECT_TRUE(low.rects[31].isEmpty());
  EXPECT_FALSE(low.rects[30].isEmpty());

  const PedigreeLayout high = pedigreeLayout(QSize(800, 500));
  ASSERT_TRUE(high.fifthGeneration);
  // V = 480, V/16 = 30.
  EXPECT_EQ(high.rects[1].height(), 150);
  EXPECT_EQ(high.rects[3].height(), 122);
  EXPECT_EQ(high.rects[7].height(), 61);
  EXPECT_EQ(high.rects[15].height(), 31);
  EXPECT_EQ(high.rects[31].height(), 15);
  for (int slot : {1, 2, 5, 14, 30}) {
    const double mid = (high.rects[2 * slot + 1].center().y() + high.rects[2 * slot + 2].center().y()) / 2.0;
    EXPECT_NEAR(high.rects[slot].center().y(), mid, 1.0) << slot;
    EXPECT_LT(high.rects[slot].right(), high.rects[2 * slot + 1].left()) << slot;  // columns left to right
  }
  EXPECT_EQ(pedigreeGeneration(2), 1);
  EXPECT_EQ(pedigreeGeneration(30), 4);
  EXPECT_EQ(pedigreeGeneration(31), 5);
  EXPECT_TRUE(fatherSide(46));
  EXPECT_FALSE(fatherSide(47));
  EXPECT_TRUE(fatherSide(22));
  EXPECT_FALSE(fatherSide(23));
}

TEST(ShowScoreText, ScoresFromTheHighestThenTheYoungRatingsSeparatorOnlyBetweenParts) {
  store::tBewListe scores;
  scores.add(core::Points::fromHundredths(9250));
  scores.add(core::Points::whole(94));
  scores.add(core::Points::fromHundredths(9250));
  EXPECT_EQ(store::showScoreText(scores, QStringLiteral("8/5")), QStringLiteral("94,00 /92,50 /92,50 /8/5"));
  EXPECT_EQ(store::showScoreText(scores, QString()), QStringLiteral("94,00 /92,50 /92,50"));
  EXPECT_EQ(store::showScoreText(store::tBewListe{}, QStringLiteral("8/5 /6/1")), QStringLiteral("8/5 /6/1"));
  EXPECT_EQ(store::showScoreText(store::tBewListe{}, QString()), QString());
}

// ---------------------------------------------------------------- on a data module

class PedigreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    settings.System.Speichern = true;
    breed = stock.add(QStringLiteral("Rasse.db"), {{QStringLiteral("Name"), QStringLiteral("Widder")}});
    colour = stock.add(QStringLiteral("Farbe.db"), {{QStringLiteral("Rasse"), breed}, {QStringLiteral("Name"), s(u"weiß")}});
    breeder = stock.add(QStringLiteral("Adresse.db"),
                        {{QStringLiteral("Name"), QStringLiteral("Berg")}, {QStringLiteral("Vorname"), QStringLiteral("Anna")}});
    owner = stock.add(QStringLiteral("Adresse.db"), {{QStringLiteral("Name"), QStringLiteral("Kurz")}});
  }
  void TearDown() override {
    card.reset();
    module.reset();
  }

  store::TDatenStamm& open() {
    settings.updateDerived();
    module = std::make_unique<store::TDatenStamm>(stock.engine, settings);
    module->open();
    return *module;
  }

  // An animal with a complete pedigree of `depth` generations; its ancestors get tattoos
  // named after their slot ("S7" …).
  qint64 withAncestors(int depth, int slot = 0) {
    const qint64 vater = depth > 0 ? withAncestors(depth - 1, 2 * slot + 1) : 0;
    const qint64 mutter = depth > 0 ? withAncestors(depth - 1, 2 * slot + 2) : 0;
    return stock.animal(QStringLiteral("S%1").arg(slot), QStringLiteral("1.1.%1").arg(slot),
                        {{QStringLiteral("Vater"), vater}, {QStringLiteral("Mutter"), mutter},
                         {QStringLiteral("Geschlecht"), slot % 2 == 1 ? QStringLiteral("1") : QStringLiteral("2")},
                         {QStringLiteral("Rasse"), breed}, {QStringLiteral("Farbe"), colour},
                         {QStringLiteral("Wurfgroesse"), QString::number(4 + slot % 5)}});
  }

  test::StockDirectory stock;
  shell::tsysteminfo settings;
  qint64 breed = 0, colour = 0, breeder = 0, owner = 0;
  std::unique_ptr<store::TDatenStamm> module;
  std::unique_ptr<ui::TLapiroStamm> card;
};

TEST_F(PedigreeTest, BoxTextFollowsThePositionsOfTheItemWordsNotTheirCodes) {
  const qint64 a = stock.animal(QStringLiteral("A1"), QStringLiteral("3.5.10"),
                                {{QStringLiteral("Rasse"), breed}, {QStringLiteral("Erbformel"), QStringLiteral("AaBb")}});
  settings.Stammbaum.Anzeige = QStringLiteral("Erbformel,Rasse");
  store::TDatenStamm& dm = open();
  EXPECT_EQ(dm.ancestorBoxText(a), (QStringList{QStringLiteral("A1  3.5.10 {%1}").arg(a),
                                                 QStringLiteral("Erbformel: AaBb"), QStringLiteral("Rasse: Widder")}));
  // The default "Titel,Farbe" names only the colour, which this animal lacks.
  settings.Stammbaum.Anzeige = QStringLiteral("Titel,Farbe");
  settings.updateDerived();
  EXPECT_EQ(dm.ancestorBoxText(a), QStringList{QStringLiteral("A1  3.5.10 {%1}").arg(a)});
  EXPECT_TRUE(dm.ancestorBoxText(a + 999).isEmpty());
  EXPECT_TRUE(dm.ancestorBoxText(0).isEmpty());
}

TEST_F(PedigreeTest, BoxTextShowsEveryItemWhoseConditionHolds) {
  const qint64 a = stock.animal(
      QStringLiteral("A1"), QStringLiteral("3.5.10"),
      {{QStringLiteral("Rasse"), breed}, {QStringLiteral("Farbe"), colour}, {QStringLiteral("Geschlecht"), QStringLiteral("1")},
       {QStringLiteral("Wurfgroesse"), QStringLiteral("7")}, {QStringLiteral("Zuechter"), breeder},
       {QStringLiteral("Besitzer"), owner}, {QStringLiteral("Stallnummer"), 12}, {QStringLiteral("Erbformel"), QStringLiteral("Aa")},
       {s(u"Körnote"), 95}});
  // Missing breed, colour and addresses, hutch 0, empty litter size: those lines are left out.
  const qint64 b = stock.animal(QStringLiteral("B2"), QStringLiteral("1.1.1"),
                                {{QStringLiteral("Rasse"), 77}, {QStringLiteral("Zuechter"), 99}, {QStringLiteral("Stallnummer"), 0}});
  stock.add(QStringLiteral("Ausstellung.db"), {{QStringLiteral("Hase"), a}, {QStringLiteral("Datum"), QDate(2005, 1, 1)},
                                               {QStringLiteral("Titel"), QStringLiteral("Landesschau")},
                                               {QStringLiteral("Gewicht1"), 9.5}, {QStringLiteral("Koerper2"), 18.0},
                                               {QStringLiteral("Fell3"), 14.0}, {QStringLiteral("Kopf4"), 14.5},
                                               {QStringLiteral("Farbe5"), 14.0}, {QStringLiteral("Unterfarbe6"), 13.5},
                                               {QStringLiteral("Pflege7"), 9.0}});  // 92.5 by the positions
  stock.add(QStringLiteral("Ausstellung.db"), {{QStringLiteral("Hase"), a}, {QStringLiteral("Datum"), QDate(2005, 2, 1)},
                                               {QStringLiteral("Titel"), QStringLiteral("Kreisschau")},
                                               {QStringLiteral("EigeneBewertung"), 94.0}});
  stock.add(QStringLiteral("Ausstellung.db"), {{QStringLiteral("Hase"), a}, {QStringLiteral("Datum"), QDate(2004, 9, 1)},
                                               {QStringLiteral("Titel"), QStringLiteral("Jungtierbewertung")},
                                               {QStringLiteral("BewertJungtier"), QStringLiteral("8/5")}});
  stock.add(QStringLiteral("Ausstellung.db"), {{QStringLiteral("Hase"), b}, {QStringLiteral("Datum"), QDate(2004, 9, 1)},
                                               {QStringLiteral("Titel"), QStringLiteral("Jungtierbewertung")},
                                               {QStringLiteral("BewertJungtier"), QStringLiteral("6/1")}});
  settings.Stammbaum.Anzeige = s(u"Täto rechts,Täto links,Rasse,Farbe,Geschlecht,Wurfgröße,Züchter,Besitzer,"
                                 u"Stallnummer,Bewertung,Erbformel,Körnote");
  store::TDatenStamm& dm = open();
  EXPECT_EQ(dm.ancestorBoxText(a),
            (QStringList{QStringLiteral("A1  3.5.10 {%1}").arg(a), QStringLiteral("Rasse: Widder"), s(u"Farbe: weiß"),
                         QStringLiteral("Geschlecht: Rammler 1.0"), s(u"Wurfgröße: 7"), s(u"Züchter: Berg, Anna"),
                         QStringLiteral("Besitzer: Kurz"), QStringLiteral("Stallnummer: 12"),
                         QStringLiteral("Bew: 94,00 /92,50 /8/5"), QStringLiteral("Erbformel: Aa"), s(u"Körnote: 95")}));
  EXPECT_EQ(dm.ancestorBoxText(b), (QStringList{QStringLiteral("B2  1.1.1 {%1}").arg(b), s(u"Geschlecht: Häsin 0.1"),
                                                 QStringLiteral("Bew: 6/1")}));
}

TEST_F(PedigreeTest, AnimalWithoutParentsShowsEmptyBoxesAndADeletedMotherIsNamedWithHerNumber) {
  const qint64 full = withAncestors(5);
  store::TDatenStamm& dm = open();
  const PedigreeBoxes none = buildPedigree(dm, 0, 0, settings.AnzeigeReihenfolge);
  for (int slot = 1; slot <= kPedigreeBoxes; ++slot) EXPECT_TRUE(none[slot].lines.isEmpty()) << slot;

  const qint64 vater = stock.stored(QStringLiteral("Hasen"), full, QStringLiteral("Vater")).toLongLong();
  // The mother is a deleted record: her box says so with her number, the boxes behind her
  // stay empty, and a second box naming the same number is the same ancestor.
  const PedigreeBoxes boxes = buildPedigree(dm, vater, 987654, settings.AnzeigeReihenfolge);
  for (int slot = 1; slot <= kPedigreeBoxes; ++slot) {
    if (fatherSide(slot)) {
      ASSERT_FALSE(boxes[slot].lines.isEmpty()) << slot;
      EXPECT_TRUE(boxes[slot].lines.front().startsWith(QStringLiteral("S%1  ").arg(slot))) << slot;
    } else if (slot == 2) {
      EXPECT_EQ(boxes[slot].lines, QStringList{s(u"gelöscht (Nr. 987654)")});
      EXPECT_EQ(boxes[slot].nummer, 987654);
    } else {
      EXPECT_TRUE(boxes[slot].lines.isEmpty()) << slot;
    }
  }
  const PedigreeBoxes twice = buildPedigree(dm, 987654, 987654, settings.AnzeigeReihenfolge);
  EXPECT_EQ(twice[1].lines, twice[2].lines);
  EXPECT_NE(twice[1].group, 0);
  EXPECT_EQ(twice[1].group, twice[2].group);
}

TEST_F(PedigreeTest, LoopInRecordedParentageEndsAtTheFifthGenerationAndHasenStaysPut) {
  // A is recorded as its own father; its mother M has A as her father.
  const qint64 a = stock.animal(QStringLiteral("A"), QStringLiteral("1.1.1"), {{QStringLiteral("Geschlecht"), QStringLiteral("1")}});
  const qint64 m = stock.animal(QStringLiteral("M"), QStringLiteral("1.1.2"), {{QStringLiteral("Vater"), a}});
  const qint64 other = stock.animal(QStringLiteral("Z"), QStringLiteral("9.9.9"));
  {
    engine::Cursor c(stock.engine);
    c.setTableName(QStringLiteral("Hasen"));
    c.open();
    ASSERT_TRUE(c.findKey({a}));
    c.edit();
    c.field(QStringLiteral("Vater")).setValue(a);
    c.field(QStringLiteral("Mutter")).setValue(m);
    c.post();
  }
  store::TDatenStamm& dm = open();
  ASSERT_TRUE(dm.gotoAnimal(other));
  const PedigreeBoxes boxes = buildPedigree(dm, a, m, settings.AnzeigeReihenfolge);
  // Every father slot along the top line is A; the walk ended after five generations.
  for (int slot : {1, 3, 7, 15, 31}) EXPECT_EQ(boxes[slot].nummer, a) << slot;
  EXPECT_EQ(boxes[2].nummer, m);
  EXPECT_EQ(boxes[5].nummer, a);
  EXPECT_EQ(boxes[1].group, boxes[3].group);
  EXPECT_GT(boxes[1].group, 0);
  EXPECT_EQ(dm.Hasen().field(QStringLiteral("Nummer")).asInteger(), other);
}

// ---------------------------------------------------------------- the tab on the card

TEST_F(PedigreeTest, TabShowsTheBoxesAndLoadAndReturnMoveTheCardOneStep) {
  ScriptedDialogs dialogs;
  const qint64 animal = withAncestors(2);
  store::TDatenStamm& dm = open();
  ui::CardServices services;
  std::vector<qint64> listPositions;
  services.positionAnimalList = [&](qint64 n) { listPositions.push_back(n); };
  card = std::make_unique<ui::TLapiroStamm>(dm, settings, services, app::featureCardPages());
  card->resize(1000, 700);
  ASSERT_TRUE(dm.gotoAnimal(animal));
  card->refreshCard(false);
  card->tabs()->setCurrentIndex(ui::TLapiroStamm::TabStammbaum);
  card->show();
  ui::TPedigreePage& page = *card->pedigreePage();
  EXPECT_TRUE(page.box(1)->toPlainText().startsWith(QStringLiteral("S1  1.1.1 {")));
  EXPECT_TRUE(page.box(6)->toPlainText().startsWith(QStringLiteral("S6  1.1.6 {")));
  EXPECT_TRUE(page.box(7)->toPlainText().isEmpty());
  EXPECT_FALSE(page.hasReturnPoint());

  page.setClickedBox(4);
  page.loadClickedAncestor();
  EXPECT_EQ(dm.Hasen().field(QStringLiteral("TatoRechts")).asString(), QStringLiteral("S4"));
  EXPECT_EQ(listPositions.back(), dm.Hasen().field(QStringLiteral("Nummer")).asInteger());
  EXPECT_TRUE(page.hasReturnPoint());
  EXPECT_TRUE(page.box(1)->toPlainText().isEmpty());  // S4 has no recorded parents

  page.goBack();
  EXPECT_EQ(dm.Hasen().field(QStringLiteral("Nummer")).asInteger(), animal);
  EXPECT_EQ(listPositions.back(), animal);
  EXPECT_FALSE(page.hasReturnPoint());
  EXPECT_TRUE(page.box(1)->toPlainText().startsWith(QStringLiteral("S1  ")));

  // An empty box keeps the animal, which becomes the return point.
  page.setClickedBox(20);
  page.loadClickedAncestor();
  EXPECT_EQ(dm.Hasen().field(QStringLiteral("Nummer")).asInteger(), animal);
  EXPECT_TRUE(page.hasReturnPoint());

  // A move of "Hasen" from elsewhere while the tab shows rebuilds the boxes once back in the
  // event loop.
  page.goBack();
  ASSERT_TRUE(dm.gotoAnimal(page.boxes()[3].nummer));  // S3: no recorded parents
  QApplication::processEvents();
  EXPECT_TRUE(page.box(1)->toPlainText().isEmpty());
  ASSERT_TRUE(dm.gotoAnimal(animal));
  QApplication::processEvents();
  EXPECT_TRUE(page.box(1)->toPlainText().startsWith(QStringLiteral("S1  ")));

  page.openInfo(6);
  EXPECT_TRUE(page.infoPanel()->isVisible());
  EXPECT_EQ(page.infoText()->toPlainText(), page.box(6)->toPlainText());
  EXPECT_LE(page.infoPanel()->geometry().bottom(), page.height() - 21);
  EXPECT_TRUE(dialogs.texts().isEmpty());
}

TEST_F(PedigreeTest, SmallCardHidesTheFifthGenerationLargeCardShowsIt) {
  // With LAPIRO_SCREENSHOT_DIR set the tab is saved as PNG at both sizes for a look.
  ScriptedDialogs dialogs;
  const qint64 animal = withAncestors(5);
  {
    // The mother's father is also the father's father's father: a repeated ancestor.
    engine::Cursor c(stock.engine);
    c.setTableName(QStringLiteral("Hasen"));
    c.open();
    ASSERT_TRUE(c.locate(QStringLiteral("TatoRechts"), {QStringLiteral("S7")}));
    const qint64 s7 = c.field(QStringLiteral("Nummer")).asInteger();
    ASSERT_TRUE(c.locate(QStringLiteral("TatoRechts"), {QStringLiteral("S2")}));
    c.edit();
    c.field(QStringLiteral("Vater")).setValue(s7);
    c.post();
  }
  settings.Stammbaum.Anzeige = s(u"Rasse,Farbe,Wurfgröße,Züchter,Erbformel");
  store::TDatenStamm& dm = open();
  card = std::make_unique<ui::TLapiroStamm>(dm, settings, ui::CardServices{}, app::featureCardPages());
  ASSERT_TRUE(dm.gotoAnimal(animal));
  card->refreshCard(false);
  card->tabs()->setCurrentIndex(ui::TLapiroStamm::TabStammbaum);
  const QString dir = qEnvironmentVariable("LAPIRO_SCREENSHOT_DIR");
  for (QSize size : {QSize(800, 600), QSize(1280, 1000), QSize(800, 520)}) {
    card->resize(size);
    card->show();
    QApplication::processEvents();
    ui::TPedigreePage& page = *card->pedigreePage();
    const bool fifth = page.height() >= 500;
    EXPECT_EQ(page.fifthGenerationShown(), fifth) << size.height();
    EXPECT_EQ(page.boxPanel(31)->isVisible(), fifth);
    EXPECT_TRUE(page.box(62)->toPlainText().startsWith(QStringLiteral("S62  ")));
    EXPECT_TRUE(page.box(5)->toPlainText().startsWith(QStringLiteral("S7  ")));
    EXPECT_GT(page.boxes()[5].group, 0);
    EXPECT_EQ(page.boxes()[5].group, page.boxes()[7].group);
    EXPECT_EQ(page.box(7)->palette().color(QPalette::Base), pedigreeGroupColour(page.boxes()[7].group));
    if (!dir.isEmpty()) card->grab().save(QStringLiteral("%1/stammbaum-%2.png").arg(dir).arg(size.width()));
  }
}

// Every box shows its first two lines whole, at any card size with the pinned test fonts: the
// small boxes of the last column take a smaller font.
TEST_F(PedigreeTest, EveryBoxShowsItsFirstTwoLinesWholeAtEveryCardSize) {
  ScriptedDialogs dialogs;
  const QString longColour = s(u"schwarzgrau-weißgescheckt");  // as long as a colour name may be
  colour = stock.add(QStringLiteral("Farbe.db"), {{QStringLiteral("Rasse"), breed}, {QStringLiteral("Name"), longColour}});
  const qint64 animal = withAncestors(5);
  settings.Stammbaum.Anzeige = QStringLiteral("Titel,Farbe");
  store::TDatenStamm& dm = open();
  card = std::make_unique<ui::TLapiroStamm>(dm, settings, ui::CardServices{});
  ASSERT_TRUE(dm.gotoAnimal(animal));
  card->refreshCard(false);
  card->tabs()->setCurrentIndex(ui::TLapiroStamm::TabStammbaum);
  for (QSize size : {QSize(800, 600), QSize(1000, 720), QSize(1280, 1000), QSize(800, 540)}) {
    card->resize(size);
    card->show();
    QApplication::processEvents();
    ui::TPedigreePage& page = *card->pedigreePage();
    int checked = 0;
    for (int slot = 1; slot <= kPedigreeBoxes; ++slot) {
      if (!page.boxPanel(slot)->isVisible()) continue;
      QPlainTextEdit* box = page.box(slot);
      const QString where = QStringLiteral("box %1 at %2x%3").arg(slot).arg(size.width()).arg(size.height());
      ASSERT_GE(box->document()->blockCount(), 2) << where.toStdString();
      const QRect second = box->cursorRect(QTextCursor(box->document()->findBlockByNumber(1)));
      EXPECT_LE(second.bottom(), box->viewport()->height() - 1) << where.toStdString();
      const QStringList lines = box->toPlainText().split(u'\n');
      EXPECT_TRUE(lines[0].startsWith(QStringLiteral("S%1  ").arg(slot))) << where.toStdString();
      EXPECT_EQ(lines[1], QStringLiteral("Farbe: ") + longColour) << where.toStdString();
      ++checked;
    }
    EXPECT_EQ(checked, page.fifthGenerationShown() ? 62 : 30) << size.width();
  }
}

}  // namespace
}  // namespace lapiro::card
