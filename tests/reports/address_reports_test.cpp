// The address book's printouts "Liste" and "Adresse".
//
// The page models are compared with reference files in tests/reports/reference; run with
// LAPIRO_UPDATE_REFERENCES=1 to rewrite them after a deliberate layout change. With
// LAPIRO_REPORT_PDF_DIR set, the cases also write their PDFs there for a look at the pages.
#include "reports/address_reports.h"

#include <gtest/gtest.h>

#include "reports/data_source.h"
#include "reports/report_layout.h"
#include "support/page_reference.h"

using namespace lapiro::reports;

namespace {

const QDate kPrintDate(2025, 3, 1);

QVariantMap address(const QString& name, const QString& first, const QString& street, const QString& plz,
                    const QString& place) {
  return {{QStringLiteral("LaufendeNr"), 17},
          {QStringLiteral("Name"), name},
          {QStringLiteral("Vorname"), first},
          {QStringLiteral("Straße"), street},
          {QStringLiteral("PLZ"), plz},
          {QStringLiteral("Ort"), place},
          {QStringLiteral("Land"), QStringLiteral("Deutschland")},
          {QStringLiteral("Telefon"), QStringLiteral("0221 123456")},
          {QStringLiteral("Telefax"), QStringLiteral("0221 123457")},
          {QStringLiteral("Handy"), QStringLiteral("0171 9876543")},
          {QStringLiteral("EMail"), QStringLiteral("juergen.mueller@kaninchenzucht-beispiel.de")},
          {QStringLiteral("Homepage"), QStringLiteral("www.kaninchenzucht-beispiel.de")},
          {QStringLiteral("Vereinskennzeichen"), QStringLiteral("R 123")},
          {QStringLiteral("Geburtstag"), QDate(1965, 3, 1)},
          {QStringLiteral("Status"), QStringLiteral("Züchter")},
          {QStringLiteral("Rasse"), 12},
          {QStringLiteral("RasseAnzeige"), QStringLiteral("Deutsche Riesenschecken")},
          {QStringLiteral("HBNr"), QStringLiteral("HB 4711")},
          {QStringLiteral("Bemerkung"),
           QStringLiteral("Kauft gern Häsinnen aus Frühwürfen.\nÜber Ostern verreist.")}};
}

MemoryDataSource sampleAddresses() {
  MemoryDataSource data;
  data.append(address(QStringLiteral("Müller"), QStringLiteral("Jürgen"), QStringLiteral("Hauptstraße 1"),
                      QStringLiteral("50667"), QStringLiteral("Köln")));
  QVariantMap second = address(QStringLiteral("Oberschulte-Weißenböck"), QStringLiteral("Anna-Lena"),
                               QStringLiteral("Am langen Graben 117a"), QStringLiteral("01099"),
                               QStringLiteral("Dresden-Neustadt"));
  second[QStringLiteral("Vorname")] = QString();
  second.remove(QStringLiteral("Homepage"));
  data.append(second);
  QVariantMap third = address(QStringLiteral("Özdemir"), QStringLiteral("Ümit"), QString(), QString(),
                              QStringLiteral("Ürzig"));
  third[QStringLiteral("Geburtstag")] = QStringLiteral("1980-07-14");
  data.append(third);
  return data;
}

}  // namespace

TEST(AddressList, ListsEveryAddressOnALandscapePageWithTitleColumnsAndCount) {
  const TReportAdressliste report;
  const PageModel model = layoutReport(report, sampleAddresses(), kPrintDate);
  lapiro::test::writePdfForInspection(model, QStringLiteral("adressenliste"));
  EXPECT_EQ(model.pageSize(), QSizeF(297, 210));
  ASSERT_EQ(model.pageCount(), 1);
  const Page& page = model.pages.front();
  for (const QString& text : {QStringLiteral("Adressenliste vom 01.03.2025"),
                              QStringLiteral("Name"),
                              QStringLiteral("Straße"),
                              QStringLiteral("Ort"),
                              QStringLiteral("Telefon"),
                              QStringLiteral("Fax"),
                              QStringLiteral("E-Mail"),
                              QStringLiteral("Homepage"),
                              QStringLiteral("Geburtstag"),
                              QStringLiteral("Land"),
                              QStringLiteral("Status"),
                              QStringLiteral("Müller, Jürgen"),
                              QStringLiteral("Oberschulte-Weißenböck"),
                              QStringLiteral("Özdemir, Ümit"),
                              QStringLiteral("50667 Köln"),
                              QStringLiteral("Ürzig"),
                              QStringLiteral("01.03.1965"),
                              QStringLiteral("14.07.1980"),
                              QStringLiteral("Anzahl Adressen: 3"),
                              QStringLiteral("Seite 1 von 1"),
                              imprintText()}) {
    EXPECT_TRUE(page.texts().contains(text) || page.containsText(text)) << text.toStdString();
  }
  // Without a first name there is no dangling comma; the long heading breaks at a syllable.
  EXPECT_FALSE(page.containsText(QStringLiteral("Oberschulte-Weißenböck,")));
  EXPECT_TRUE(page.texts().contains(QStringLiteral("Vereinskenn- zeichen")));
  lapiro::test::expectMatchesReference(model, QStringLiteral("reports/reference/adressenliste"));
}

TEST(AddressList, CategoryNamesStayInOnePieceInTheStatusColumn) {
  MemoryDataSource data;
  const QStringList categories{QStringLiteral("Futterhändler"), QStringLiteral("Vereinsmitglied"),
                               QStringLiteral("Preisrichterin"), QStringLiteral("Zuchtfreund")};
  for (const QString& category : categories) {
    QVariantMap row = address(QStringLiteral("Berg"), QStringLiteral("Anna"), QStringLiteral("Weg 1"),
                              QStringLiteral("12345"), QStringLiteral("Ort"));
    row[QStringLiteral("Status")] = category;
    data.append(row);
  }
  for (const double size : {7.5, 12.0}) {
    const PageModel model =
        layoutReport(TReportAdressliste(ReportFont{QStringLiteral("DejaVu Sans"), size}), data, kPrintDate);
    ASSERT_EQ(model.pageCount(), 1);
    for (const QString& category : categories)
      EXPECT_TRUE(model.pages.front().texts().contains(category)) << category.toStdString();
  }
}

TEST(AddressList, RepeatsTheColumnHeaderOnEveryPageAndCountsAllRows) {
  MemoryDataSource data;
  for (int i = 0; i < 150; ++i) {
    data.append(address(QStringLiteral("Name %1").arg(i + 1, 3, 10, QLatin1Char('0')), QStringLiteral("Jörg"),
                        QStringLiteral("Weg %1").arg(i), QStringLiteral("12345"), QStringLiteral("Münster")));
  }
  const PageModel model =
      layoutReport(TReportAdressliste(ReportFont{QStringLiteral("DejaVu Sans"), 12}), data, kPrintDate);
  lapiro::test::writePdfForInspection(model, QStringLiteral("adressenliste-lang"));
  ASSERT_GT(model.pageCount(), 3);
  int details = 0;
  for (int p = 0; p < model.pageCount(); ++p) {
    const Page& page = model.pages[static_cast<size_t>(p)];
    EXPECT_EQ(page.bands[p == 0 ? 1 : 0].kind, BandKind::ColumnHeader);
    EXPECT_TRUE(page.texts().contains(QStringLiteral("Seite %1 von %2").arg(p + 1).arg(model.pageCount())));
    EXPECT_TRUE(page.containsText(imprintText()));
    for (const BandPlacement& band : page.bands) details += band.kind == BandKind::Detail;
  }
  EXPECT_EQ(details, 150);
  EXPECT_TRUE(model.pages.back().containsText(QStringLiteral("Anzahl Adressen: 150")));
}

TEST(AddressSheet, ShowsEveryFieldWithItsLabelAndTheRemarkOnOnePortraitPage) {
  MemoryDataSource data;
  data.append(address(QStringLiteral("Müller"), QStringLiteral("Jürgen"), QStringLiteral("Hauptstraße 1"),
                      QStringLiteral("50667"), QStringLiteral("Köln")));
  const PageModel model = layoutReport(TReportAdresse(), data, kPrintDate);
  lapiro::test::writePdfForInspection(model, QStringLiteral("adresse"));
  EXPECT_EQ(model.pageSize(), QSizeF(210, 297));
  ASSERT_EQ(model.pageCount(), 1);
  const QStringList texts = model.pages.front().texts();
  for (const QString& text : {QStringLiteral("Müller, Jürgen"),
                              QStringLiteral("Nr. 17"),
                              QStringLiteral("Straße"),
                              QStringLiteral("Hauptstraße 1"),
                              QStringLiteral("PLZ"),
                              QStringLiteral("50667"),
                              QStringLiteral("Ort"),
                              QStringLiteral("Köln"),
                              QStringLiteral("Land"),
                              QStringLiteral("Deutschland"),
                              QStringLiteral("Telefon"),
                              QStringLiteral("Telefax"),
                              QStringLiteral("0221 123457"),
                              QStringLiteral("Handy"),
                              QStringLiteral("E-Mail"),
                              QStringLiteral("juergen.mueller@kaninchenzucht-beispiel.de"),
                              QStringLiteral("Homepage"),
                              QStringLiteral("Geburtstag"),
                              QStringLiteral("01.03.1965"),
                              QStringLiteral("Status"),
                              QStringLiteral("Züchter"),
                              QStringLiteral("Vereinskennz."),
                              QStringLiteral("R 123"),
                              QStringLiteral("Rasse"),
                              QStringLiteral("Deutsche Riesenschecken"),
                              QStringLiteral("HB -Nr."),
                              QStringLiteral("HB 4711"),
                              QStringLiteral("Bemerkung:"),
                              QStringLiteral("Kauft gern Häsinnen aus Frühwürfen. Über Ostern verreist."),
                              QStringLiteral("Seite 1 von 1"),
                              imprintText()}) {
    EXPECT_TRUE(texts.contains(text)) << text.toStdString();
  }
  lapiro::test::expectMatchesReference(model, QStringLiteral("reports/reference/adresse"));
}

TEST(AddressSheet, EachAddressStartsAPageAndALongRemarkContinues) {
  MemoryDataSource data = sampleAddresses();
  QVariantMap wordy =
      address(QStringLiteral("Lang"), QStringLiteral("Läufer"), QString(), QString(), QString());
  QStringList remark;
  for (int i = 1; i <= 90; ++i) remark << QStringLiteral("Notiz %1: Rammler gedeckt, Würfe geprüft.").arg(i);
  wordy[QStringLiteral("Bemerkung")] = remark.join(u'\n');
  wordy[QStringLiteral("RasseAnzeige")] = QString();
  data.append(wordy);
  const PageModel model = layoutReport(TReportAdresse(), data, kPrintDate);
  lapiro::test::writePdfForInspection(model, QStringLiteral("adresse-mehrere"));
  ASSERT_GE(model.pageCount(), 5);
  EXPECT_TRUE(model.pages[0].containsText(QStringLiteral("Müller, Jürgen")));
  EXPECT_TRUE(model.pages[1].containsText(QStringLiteral("Oberschulte-Weißenböck")));
  EXPECT_TRUE(model.pages[2].containsText(QStringLiteral("Özdemir, Ümit")));
  EXPECT_TRUE(model.pages[3].containsText(QStringLiteral("Lang, Läufer")));
  EXPECT_TRUE(model.pages[3].texts().contains(QStringLiteral("12")));  // breed number without a name
  QStringList printed;
  for (int p = 3; p < model.pageCount(); ++p) {
    for (const PageItem& item : model.pages[static_cast<size_t>(p)].items) {
      if (const auto* t = std::get_if<TextItem>(&item); t && t->text.startsWith(QStringLiteral("Notiz")))
        printed << t->lines;
    }
  }
  EXPECT_EQ(printed, remark);
  // No page for the memo frame's leftover bottom padding alone.
  EXPECT_TRUE(model.pages.back().texts().join(u' ').contains(QStringLiteral("Notiz 90:")));
  EXPECT_TRUE(model.pages.back().containsText(QStringLiteral("Seite %1 von %1").arg(model.pageCount())));
}
