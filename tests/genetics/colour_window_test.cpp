// The window "Farbvererbung" on a real data directory, and its printout as pages and PDF.
#include "genetics/ui/colour_window.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTableWidget>

#include "reports/report_renderer.h"
#include "support/scripted_dialogs.h"
#include "support/stock_fixture.h"

using namespace lapiro;
using lapiro::genetics::ui::TFormFarbvererbung;

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) {
  *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

QString s(const char16_t* text) {
  return QString::fromUtf16(text);
}

// A black pair whose Thüringer young makes both carry b; the buck is marked C C although a
// Havanna young is recorded for the pair.
struct ColourStock {
  test::StockDirectory d;
  qint64 vater = 0, mutter = 0;

  ColourStock() {
    const qint64 rasse = d.add(s(u"Rasse"), {{s(u"Name"), s(u"Deutsche Kleinwidder")}});
    const auto colour = [&](const char16_t* name, const char16_t* pattern) {
      return d.add(s(u"Farbe"), {{s(u"Rasse"), rasse}, {s(u"Name"), s(name)}, {s(u"Genotyp"), s(pattern)}});
    };
    const qint64 schwarz = colour(u"Schwarz", u"A -/B -/C -/D -/g g");
    const qint64 havanna = colour(u"Havanna", u"A -/B -/c c/D -/g g");
    const qint64 thueringer = colour(u"Thüringerfarbig", u"A -/b b/g g");
    vater =
        d.animal(s(u"1.1"), s(u"V1"),
                 {{s(u"Farbe"), schwarz}, {s(u"Genotyp"), s(u"A A/C C/D D")}, {s(u"Geschlecht"), s(u"1")}});
    mutter = d.animal(s(u"1.2"), s(u"M1"), {{s(u"Farbe"), schwarz}, {s(u"Genotyp"), s(u"A A/C c/D D")}});
    d.animal(s(u"2.1"), s(u"J1"), {{s(u"Farbe"), thueringer}, {s(u"Vater"), vater}, {s(u"Mutter"), mutter}});
    d.animal(s(u"2.2"), s(u"J2"), {{s(u"Farbe"), havanna}, {s(u"Vater"), vater}, {s(u"Mutter"), mutter}});
  }
};

QStringList column(const QTableWidget* t, int c) {
  QStringList out;
  for (int r = 0; r < t->rowCount(); ++r) out << t->item(r, c)->text();
  return out;
}

}  // namespace

TEST(ColourWindow, APairFromTheStockShowsColoursCarriersAndContradictions) {
  ColourStock stock;
  test::ScriptedDialogs dialogs;
  TFormFarbvererbung w(stock.d.engine);
  w.buckTattoo()->setText(s(u"1.1   v1"));  // blanks and case do not matter
  w.doeTattoo()->setText(s(u"1.2 M1"));
  ASSERT_TRUE(w.calculate()) << dialogs.texts().join(u'|').toStdString();
  EXPECT_TRUE(dialogs.texts().isEmpty());

  // The pedigree made both B b; C C x C c; both g g: 3/4 black, 1/4 Thüringer.
  EXPECT_EQ(w.buckGenotype()->text(), s(u"A A/B b/C C/D D/g g"));
  EXPECT_EQ(w.doeGenotype()->text(), s(u"A A/B b/C c/D D/g g"));
  EXPECT_EQ(column(w.outcomes(), 0), (QStringList{s(u"Schwarz"), s(u"Thüringer")}));
  EXPECT_EQ(column(w.outcomes(), 1), (QStringList{s(u"75 %"), s(u"25 %")}));
  EXPECT_EQ(column(w.outcomes(), 2), (QStringList{s(u"3/4"), s(u"1/4")}));
  EXPECT_EQ(column(w.outcomes(), 3),
            (QStringList{s(u"trägt b zu 66,7 %, trägt c zu 50 %"), s(u"trägt c zu 50 %")}));
  EXPECT_TRUE(w.total()->text().startsWith(s(u"Summe: 100 %")));
  ASSERT_EQ(w.contradictions()->count(), 1);
  EXPECT_TRUE(w.contradictions()->item(0)->text().startsWith(s(u"2.2  J2 (Havanna): Vater 1.1  V1 (C C)")));

  // The printout holds the same, on one page, and becomes a PDF.
  const reports::PageModel sheet = w.sheet();
  ASSERT_EQ(sheet.pageCount(), 1);
  for (const char16_t* text :
       {u"Farbvererbung", u"Rammler:", u"1.1  V1, Schwarz – Genotyp: A A/B b/C C/D D/g g", u"Thüringer",
        u"75 %", u"Widersprüche in den Aufzeichnungen"})
    EXPECT_TRUE(sheet.pages[0].containsText(s(text))) << QString::fromUtf16(text).toStdString();
  test::TempDir tmp;
  const QString pdf = tmp.file(s(u"farbvererbung.pdf"));
  ASSERT_TRUE(reports::renderToPdf(sheet, pdf));
  QFile f(pdf);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_TRUE(f.read(5).startsWith("%PDF-"));
  if (const QByteArray dir = qgetenv("LAPIRO_REPORT_PDF_DIR"); !dir.isEmpty())
    reports::renderToPdf(sheet, QString::fromLocal8Bit(dir) + s(u"/farbvererbung.pdf"));
}

TEST(ColourWindow, TypedGenotypesOverrideTheStockAndBadOnesAreRefusedByName) {
  ColourStock stock;
  test::ScriptedDialogs dialogs;
  TFormFarbvererbung w(stock.d.engine);
  ASSERT_TRUE(w.setPair(stock.vater, stock.mutter));

  // An edited genotype counts instead of the pedigree's; the animal's records stay in view.
  w.buckGenotype()->setText(s(u"A A/B B/C C/D D/G g"));
  ASSERT_TRUE(w.calculate());
  EXPECT_EQ(column(w.outcomes(), 0), (QStringList{s(u"Schwarz"), s(u"Wildfarben")}));
  EXPECT_EQ(w.contradictions()->count(), 1);

  // Only typed genotypes, no animals.
  w.buckTattoo()->clear();
  w.doeTattoo()->clear();
  w.buckGenotype()->setText(s(u"A A/B B/C C/D D/G g"));
  w.doeGenotype()->setText(s(u"A A/B B/C C/D D/go g"));
  ASSERT_TRUE(w.calculate());
  EXPECT_EQ(column(w.outcomes(), 1), (QStringList{s(u"50 %"), s(u"25 %"), s(u"25 %")}));
  EXPECT_EQ(w.contradictions()->item(0)->text(), s(u"keine"));

  w.doeGenotype()->setText(s(u"A A/B"));
  EXPECT_FALSE(w.calculate());
  w.doeTattoo()->setText(s(u"9.9 NIX"));
  EXPECT_FALSE(w.calculate());
  EXPECT_EQ(dialogs.texts(),
            (QStringList{
                s(u"Häsin: Der Locus B hat nur ein Allel („B“); es braucht zwei, „-“ für ein unbekanntes."),
                s(u"Kein Tier mit der Tätowierung „9.9 NIX“ im Bestand.")}));
  EXPECT_FALSE(w.setPair(stock.vater, 999));
}
