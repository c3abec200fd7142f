// The two printouts laid out as page models: the show list of an animal and the entry form.
#include "shows/entry_form_report.h"
#include "shows/show_list_report.h"
#include "shows/show_score.h"

#include "reports/report_layout.h"

#include <gtest/gtest.h>

namespace lapiro::shows {
namespace {

using engine::Money;

QVariantMap showRow(const QString& title, const QString& points, const QString& grade, const QString& missing) {
  return {{QStringLiteral("Benutzer"), QStringLiteral("Jörg Sommer")},
          {QStringLiteral("TatoRechts"), QStringLiteral("B12")},
          {QStringLiteral("TatoLinks"), QStringLiteral("3.5.10")},
          {QStringLiteral("Geburtstag"), QDate(2005, 3, 1)},
          {QStringLiteral("RasseAnzeige"), QStringLiteral("Deutsche Riesen")},
          {QStringLiteral("Titel"), title},
          {QStringLiteral("Datum"), QDate(2006, 11, 4)},
          {QStringLiteral("Gewicht1"), QStringLiteral("9,5")},
          {QStringLiteral("AnzeigeBewertPunkte"), points},
          {QStringLiteral("PraedikatText"), grade},
          {QStringLiteral("Fehlpunkte"), missing},
          {QStringLiteral("Ort"), QStringLiteral("Nichtgedruckt")},
          {QStringLiteral("Preis"), QStringLiteral("Ehrenpreis")}};
}

TEST(ShowListReport, TitleBlockAndOneFramedBlockPerShowWithoutPlaceOrPrize) {
  reports::MemoryDataSource data;
  data.append(showRow(QStringLiteral("Kreisschau"), QStringLiteral("86"), QStringLiteral("nicht befriedigend"),
                      QStringLiteral("1/1/2")));
  data.append(showRow(youngAnimalTitle(), QStringLiteral("8/5"), QStringLiteral("sehr gut"), QString()));
  const reports::PageModel model = reports::layoutReport(TReportAusstellung(), data, QDate(2006, 12, 1));
  ASSERT_EQ(model.pageCount(), 1);
  const QStringList texts = model.pages[0].texts();
  for (const char16_t* t : {u"Ausstellungsliste", u"von:", u"Jörg Sommer", u"01.12.2006", u"B12  3.5.10",
                            u"01.03.2005", u"Deutsche Riesen", u"Kreisschau", u"04.11.2006", u"86", u"1/1/2",
                            u"nicht befriedigend", u"Jungtierbewertung", u"8/5", u"sehr gut", u"1.Gewicht",
                            u"7.Pflege", u"Gesamt", u"Fehlp.:", u"Prädikat:", u"Seite 1", u"printed by Lapiro Manager"})
    EXPECT_TRUE(texts.contains(QString::fromUtf16(t))) << QString::fromUtf16(t).toStdString();
  EXPECT_FALSE(model.pages[0].containsText(QStringLiteral("Nichtgedruckt")));
  EXPECT_FALSE(model.pages[0].containsText(QStringLiteral("Ehrenpreis")));
}

TEST(ShowListReport, FiftyShowsRunOverPagesWithWholeBlocks) {
  reports::MemoryDataSource data;
  for (int i = 0; i < 50; ++i)
    data.append(showRow(QStringLiteral("Schau %1").arg(i), QStringLiteral("9%1").arg(i % 8),
                        gradeForTotal(core::Points::whole(90 + i % 8)), QStringLiteral("1/1/2")));
  const reports::PageModel model = reports::layoutReport(TReportAusstellung(), data);
  EXPECT_GT(model.pageCount(), 5);
  int details = 0;
  for (const auto& page : model.pages)
    for (const auto& band : page.bands)
      if (band.kind == reports::BandKind::Detail) {
        ++details;
        EXPECT_FALSE(band.continued);
      }
  EXPECT_EQ(details, 50);
}

int equalsSigns(const reports::Page& page) {
  int n = 0;
  for (const QString& t : page.texts()) n += t == QLatin1String("=") ? 1 : 0;
  return n;
}

TEST(EntryFormReport, LinesFeesAndAnEmptyFreeLineWithoutAmount) {
  EntryForm form;
  form.header.verein = QStringLiteral("K 123");
  form.header.ausstellung = QStringLiteral("Kreisschau");
  form.header.datumText = QStringLiteral("8.11.2006");
  form.header.unkostenTier = *Money::parse(QStringLiteral("2,50"));
  form.header.freitextBetrag = *Money::parse(QStringLiteral("9,99"));  // no text: not printed
  form.fillFirstEmptyLine(QStringLiteral("A1"), QStringLiteral("1.5.1"), QStringLiteral("1"));
  form.lines[0].verkaufspreis = Money();
  form.fillFirstEmptyLine(QStringLiteral("A2"), QStringLiteral("1.5.2"), QStringLiteral("2"));
  form.lines[1].ezt = true;
  form.recomputeFees();
  EntryOwnData own;
  own.benutzer = QStringLiteral("Jörg Sommer");
  own.kontonummer = QStringLiteral("4711");
  const reports::MemoryDataSource data =
      entryFormReportData(form, QStringLiteral("Widder"), QStringLiteral("grau"), own);
  EXPECT_EQ(data.value(0, QStringLiteral("M1")).toString(), QStringLiteral("X"));
  EXPECT_EQ(data.value(0, QStringLiteral("W1")).toString(), QString());
  EXPECT_EQ(data.value(0, QStringLiteral("W2")).toString(), QStringLiteral("X"));
  EXPECT_EQ(data.value(0, QStringLiteral("Preis1")).toString(), QStringLiteral("0,00"));
  EXPECT_EQ(data.value(0, QStringLiteral("Preis2")).toString(), QString());  // not for sale
  EXPECT_EQ(data.value(0, QStringLiteral("EZT2")).toString(), QStringLiteral("X"));

  const reports::PageModel model = reports::layoutReport(TReportAusstellungsmeldung(), data);
  ASSERT_EQ(model.pageCount(), 1);
  const reports::Page& page = model.pages[0];
  for (const char16_t* t : {u"Meldebogen", u"K 123", u"Jörg Sommer", u"Widder", u"grau", u"12.", u"5,00",
                            u"Gesamtbetrag", u"Der Zuchtbuchführer", u"Prüffeld"})
    EXPECT_TRUE(page.texts().contains(QString::fromUtf16(t))) << QString::fromUtf16(t).toStdString();
  EXPECT_TRUE(page.containsText(QStringLiteral("zu der Kreisschau am 8.11.2006 anmelden:")));
  EXPECT_TRUE(page.containsText(QStringLiteral("Konto 4711")));
  EXPECT_FALSE(page.containsText(QStringLiteral("9,99")));
  const int withoutFreeLine = equalsSigns(page);
  EXPECT_EQ(withoutFreeLine, 11);  // ten fee lines and the total

  form.header.freitext = QStringLiteral("Käfigmiete");
  const reports::PageModel withText = reports::layoutReport(
      TReportAusstellungsmeldung(), entryFormReportData(form, QString(), QString(), own));
  EXPECT_EQ(equalsSigns(withText.pages[0]), 12);
  EXPECT_TRUE(withText.pages[0].texts().contains(QStringLiteral("9,99")));
  // Every item stays inside the page body.
  for (const auto& band : withText.pages[0].bands)
    EXPECT_LE(band.rect.bottom(), withText.setup.bodyRect().bottom() + 0.01);
}

}  // namespace
}  // namespace lapiro::shows
