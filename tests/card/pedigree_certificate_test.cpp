// The pedigree certificate "Abstammungsnachweis für Rassekaninchen": its page model against a
// reference file, the fitting of long texts into the small boxes, the colour marks, and what
// is read from the data module.
//
// Run with LAPIRO_UPDATE_REFERENCES=1 to rewrite the reference after a deliberate layout
// change; with LAPIRO_REPORT_PDF_DIR set the PDF is written there for a look at the page.
#include "card/pedigree_certificate.h"

#include "card/pedigree.h"
#include "engine/cursor.h"
#include "reports/data_source.h"
#include "reports/report_layout.h"
#include "shell/system_info.h"
#include "store/data_module.h"
#include "support/page_reference.h"
#include "support/scripted_dialogs.h"
#include "support/stock_fixture.h"

#include <gtest/gtest.h>

namespace lapiro::card {
namespace {

using reports::PageModel;
using reports::ShapeItem;
using reports::TextItem;

QString s(const char16_t* text) { return QString::fromUtf16(text); }

const QDate kPrintDate(2025, 3, 1);

// Every box filled with the widest tattoos the fields hold (8 and 10 characters) and long
// lines, the way a crowded certificate looks. 100 is in boxes 7 and 11, 200 in 15, 16 and 25.
PedigreeCertificate crowdedCertificate() {
  PedigreeCertificate c;
  c.rasse = QStringLiteral("Deutsche Riesen");
  c.farbe = QStringLiteral("grau");
  c.geschlecht = QStringLiteral("Rammler 1.0");
  c.tatoRechts = QStringLiteral("WN 12345");
  c.tatoLinks = QStringLiteral("12.24.1234");
  c.wurfgroesse = QStringLiteral("8");
  c.zuechter = s(u"Müller, Hans-Jürgen");
  c.strasse = s(u"Lindenstraße 12");
  c.plz = QStringLiteral("34117");
  c.wohnort = QStringLiteral("Kassel");
  c.telefon = QStringLiteral("0561 123456");
  c.bewertungen = QStringLiteral("96,50 /95,00 /94,50 /8/5");
  c.erbformel = QStringLiteral("AaBbCcDd");
  for (int slot = 1; slot <= kCertificateBoxes; ++slot) {
    CertificateAncestor& a = c.ancestors[slot];
    a.tattoos = QStringLiteral("WN %1  %2.24.%3").arg(10000 + slot).arg(slot % 12 + 1, 2, 10, QLatin1Char('0')).arg(1000 + slot);
    a.lines = {s(u"Wurfgröße: 8"), s(u"Körnote: 96"), s(u"Züchter: Müller-Lüdenscheidt, Hans-Jürgen"),
               QStringLiteral("Bew: 96,50 /95,00 /94,50"), QStringLiteral("Erbformel: AaBbCcDd")};
  }
  for (int slot : {7, 11}) c.ancestors[slot].group = 1;
  for (int slot : {15, 16, 25}) c.ancestors[slot].group = 2;
  return c;
}

PageModel layout(const PedigreeCertificate& c) {
  return reports::layoutReport(TReportAbstammungsnachweis(c, reports::ReportFont{QStringLiteral("Arial"), 0}),
                               reports::MemoryDataSource{}, kPrintDate);
}

std::vector<const TextItem*> texts(const PageModel& m) {
  std::vector<const TextItem*> result;
  for (const auto& item : m.pages.front().items)
    if (const auto* t = std::get_if<TextItem>(&item)) result.push_back(t);
  return result;
}

const TextItem* textStartingWith(const PageModel& m, const QString& start) {
  for (const TextItem* t : texts(m))
    if (t->text.startsWith(start)) return t;
  return nullptr;
}

TEST(PedigreeCertificate, CrowdedSheetMatchesTheReferenceAndKeepsEveryTattooWhole) {
  const PedigreeCertificate c = crowdedCertificate();
  const PageModel model = layout(c);
  test::writePdfForInspection(model, QStringLiteral("abstammungsnachweis"));
  ASSERT_EQ(model.pageCount(), 1);
  EXPECT_EQ(model.pageSize(), QSizeF(297, 210));
  const reports::Page& page = model.pages.front();
  for (const QString& t : {s(u"Abstammungsnachweis für Rassekaninchen"), QStringLiteral("Rasse:"), QStringLiteral("Farbe:"),
                           QStringLiteral("Geschlecht:"), QStringLiteral("Täto rechts:"), s(u"Täto links:"),
                           s(u"Wurfgröße:"), s(u"Züchter:"), s(u"Straße:"), QStringLiteral("Plz.:"), QStringLiteral("Wohnort:"),
                           QStringLiteral("Tel.:"), QStringLiteral("Bewertungen:"), QStringLiteral("Erbformel:"),
                           s(u"väterlicherseits"), s(u"mütterlicherseits"), QStringLiteral("printed by Lapiro Manager"),
                           QStringLiteral("Ausgestellt am 01.03.2025")})
    EXPECT_TRUE(page.containsText(t)) << t.toStdString();

  // Captions: one father and one mother, two of each grandparent, four, eight.
  QStringList captions;
  for (const TextItem* t : texts(model)) captions << t->text;
  for (auto [caption, count] : {std::pair{QStringLiteral("Vater 1.0"), 1}, std::pair{QStringLiteral("Mutter 0.1"), 1},
                                std::pair{s(u"Großvater 1.0"), 2}, std::pair{s(u"Großmutter 0.1"), 2},
                                std::pair{QStringLiteral("Ur-Vater 1.0"), 4}, std::pair{QStringLiteral("Ur-Mutter 0.1"), 4},
                                std::pair{QStringLiteral("Urur 1.0"), 8}, std::pair{QStringLiteral("Urur 0.1"), 8}})
    EXPECT_EQ(captions.count(caption), count) << caption.toStdString();

  // Every ancestor's tattoos are printed whole, in narrow boxes one ear per line; no text
  // item shows more lines than its rectangle holds.
  for (int slot = 1; slot <= kCertificateBoxes; ++slot) {
    const QString right = c.ancestors[slot].tattoos.section(QStringLiteral("  "), 0, 0);
    const TextItem* t = textStartingWith(model, right);
    ASSERT_NE(t, nullptr) << slot;
    EXPECT_FALSE(t->lines.join(QString()).contains(s(u"…"))) << slot;
    EXPECT_TRUE(t->lines.join(u' ').contains(c.ancestors[slot].tattoos.section(QStringLiteral("  "), 1, 1))) << slot;
  }
  for (const TextItem* t : texts(model)) {
    EXPECT_LE(t->lines.size() * t->lineHeight + 2 * t->padding, t->rect.height() + 0.05) << t->text.toStdString();
    EXPECT_LE(t->rect.right(), 297.0 - 12.5 + 0.01) << t->text.toStdString();
  }
  // The generation-1 box has room for all its lines, uncut.
  const TextItem* fatherLines = nullptr;
  for (const TextItem* t : texts(model))
    if (t->text.startsWith(s(u"Wurfgröße: 8")) && t->rect.width() > 100) fatherLines = t;
  ASSERT_NE(fatherLines, nullptr);
  EXPECT_EQ(fatherLines->lines.size(), 5);
  test::expectMatchesReference(model, QStringLiteral("card/reference/abstammungsnachweis"));
}

TEST(PedigreeCertificate, RepeatedAncestorsAreTintedInTheirGroupColourOnlyWhenAsked) {
  PedigreeCertificate c = crowdedCertificate();
  auto fills = [](const PageModel& m) {
    QStringList f;
    for (const auto& item : m.pages.front().items)
      if (const auto* shape = std::get_if<ShapeItem>(&item); shape && shape->fill.isValid()) f << shape->fill.name();
    return f;
  };
  const QStringList coloured = fills(layout(c));
  // Group 1 is 00FF00, group 2 00FFFF: box and caption tints of green and cyan appear, once
  // per box (two boxes of group 1, three of group 2).
  auto countTint = [&](const QStringList& f, auto pred) {
    return std::count_if(f.begin(), f.end(), [&](const QString& n) { return pred(QColor(n)); });
  };
  auto greenish = [](const QColor& q) { return q.green() == 255 && q.red() < 255 && q.blue() < 255 && q.red() == q.blue(); };
  auto cyanish = [](const QColor& q) { return q.green() == 255 && q.blue() == 255 && q.red() < 255; };
  EXPECT_EQ(countTint(coloured, greenish), 2 * 2);
  EXPECT_EQ(countTint(coloured, cyanish), 3 * 2);

  c.colourRepeated = false;
  const QStringList plain = fills(layout(c));
  EXPECT_EQ(countTint(plain, greenish), 0);
  EXPECT_EQ(countTint(plain, cyanish), 0);
}

TEST(PedigreeCertificate, MarginsComeFromTheSettingsWithAPrintableMinimum) {
  shell::tsysteminfo settings;
  EXPECT_EQ(certificateMargins(settings), QMarginsF(7.0, 7.0, 12.5, 7.0));
  settings.Stammbaum.linkerRand = 200;
  settings.Stammbaum.obererRand = 150;
  EXPECT_EQ(certificateMargins(settings), QMarginsF(20.0, 15.0, 12.5, 7.0));
  // The boxes take the body left by the margins.
  PedigreeCertificate c = crowdedCertificate();
  c.margins = certificateMargins(settings);
  const PageModel model = layout(c);
  for (const TextItem* t : texts(model)) {
    EXPECT_GE(t->rect.left(), 20.0 - 0.01);
    EXPECT_GE(t->rect.top(), 15.0 - 0.01);
  }
}

// ---------------------------------------------------------------- read from the data module

class CertificateReadTest : public ::testing::Test {
 protected:
  void TearDown() override { module.reset(); }
  qint64 animal(const QString& r, const QString& l, const QVariantMap& more = {}) { return stock.animal(r, l, more); }

  test::StockDirectory stock;
  shell::tsysteminfo settings;
  std::unique_ptr<store::TDatenStamm> module;
};

TEST_F(CertificateReadTest, ReadsOwnDataAncestorsRepeatsAmongThirtyBoxesAndTheChosenPicture) {
  test::ScriptedDialogs dialogs;
  const qint64 breed = stock.add(QStringLiteral("Rasse.db"), {{QStringLiteral("Name"), QStringLiteral("Widder")}});
  const qint64 breeder = stock.add(
      QStringLiteral("Adresse.db"),
      {{QStringLiteral("Name"), QStringLiteral("Berg")}, {QStringLiteral("Vorname"), QStringLiteral("Anna")},
       {s(u"Straße"), QStringLiteral("Am Hang 2")}, {QStringLiteral("PLZ"), QStringLiteral("34117")},
       {QStringLiteral("Ort"), QStringLiteral("Kassel")}, {QStringLiteral("Telefon"), QStringLiteral("0561 1")}});
  // G is the father's father and the mother's father; G5 appears only in generation 5.
  const qint64 g = animal(QStringLiteral("G"), QStringLiteral("1.1.1"), {{QStringLiteral("Geschlecht"), QStringLiteral("1")}});
  const qint64 father = animal(QStringLiteral("F"), QStringLiteral("1.1.2"),
                               {{QStringLiteral("Geschlecht"), QStringLiteral("1")}, {QStringLiteral("Vater"), g},
                                {QStringLiteral("Wurfgroesse"), QStringLiteral("6")}});
  const qint64 mother = animal(QStringLiteral("M"), QStringLiteral("1.1.3"), {{QStringLiteral("Vater"), g}});
  const QString first = stock.dir.file(QStringLiteral("eins.png"));
  const QString second = stock.dir.file(QStringLiteral("zwei.png"));
  QImage(40, 20, QImage::Format_RGB32).save(first);
  QImage(30, 60, QImage::Format_RGB32).save(second);
  const qint64 a = animal(QStringLiteral("A"), QStringLiteral("1.2.3"),
                          {{QStringLiteral("Vater"), father}, {QStringLiteral("Mutter"), mother},
                           {QStringLiteral("Rasse"), breed}, {QStringLiteral("Zuechter"), breeder},
                           {QStringLiteral("Geschlecht"), QStringLiteral("2")}, {QStringLiteral("Druckbild"), 2},
                           {QStringLiteral("Erbformel"), QStringLiteral("Aa")}});
  stock.add(QStringLiteral("Bilder.db"), {{QStringLiteral("KatzeNr"), a}, {QStringLiteral("Bildpfad"), first}});
  stock.add(QStringLiteral("Bilder.db"), {{QStringLiteral("KatzeNr"), a}, {QStringLiteral("Bildpfad"), second}});
  stock.add(QStringLiteral("Ausstellung.db"), {{QStringLiteral("Hase"), a}, {QStringLiteral("Datum"), QDate(2005, 1, 1)},
                                               {QStringLiteral("Titel"), QStringLiteral("Kreisschau")},
                                               {QStringLiteral("EigeneBewertung"), 95.5}});
  settings.Drucken.Bild = true;
  settings.updateDerived();
  module = std::make_unique<store::TDatenStamm>(stock.engine, settings);
  module->open();
  ASSERT_TRUE(module->gotoAnimal(a));

  const PedigreeCertificate c = readPedigreeCertificate(*module, settings);
  EXPECT_EQ(c.rasse, QStringLiteral("Widder"));
  EXPECT_EQ(c.geschlecht, s(u"Häsin 0.1"));
  EXPECT_EQ(c.tatoRechts, QStringLiteral("A"));
  EXPECT_EQ(c.tatoLinks, QStringLiteral("1.2.3"));
  EXPECT_EQ(c.zuechter, QStringLiteral("Berg, Anna"));
  EXPECT_EQ(c.strasse, QStringLiteral("Am Hang 2"));
  EXPECT_EQ(c.wohnort, QStringLiteral("Kassel"));
  EXPECT_EQ(c.bewertungen, QStringLiteral("95,50"));
  EXPECT_EQ(c.erbformel, QStringLiteral("Aa"));
  EXPECT_EQ(c.picture.size(), QSize(30, 60));  // Druckbild 2: the second picture
  EXPECT_EQ(c.ancestors[1].tattoos, QStringLiteral("F  1.1.2"));
  EXPECT_EQ(c.ancestors[1].lines, QStringList{s(u"Wurfgröße: 6")});
  EXPECT_EQ(c.ancestors[3].tattoos, QStringLiteral("G  1.1.1"));
  EXPECT_EQ(c.ancestors[5].tattoos, QStringLiteral("G  1.1.1"));
  EXPECT_EQ(c.ancestors[3].group, 1);
  EXPECT_EQ(c.ancestors[5].group, 1);
  EXPECT_TRUE(c.ancestors[4].tattoos.isEmpty());
  EXPECT_EQ(module->Hasen().field(QStringLiteral("Nummer")).asInteger(), a);

  settings.Drucken.Bild = false;
  EXPECT_TRUE(readPedigreeCertificate(*module, settings).picture.isNull());
  EXPECT_TRUE(dialogs.texts().isEmpty());
}

}  // namespace
}  // namespace lapiro::card
