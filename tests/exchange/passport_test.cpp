#include "exchange/exchange_import.h"
#include "exchange/passport.h"

#include "card/pedigree_certificate.h"
#include "reports/data_source.h"
#include "reports/report_layout.h"
#include "reports/report_renderer.h"
#include "support/stock_fixture.h"

#include <QBuffer>
#include <QPainter>

#include <gtest/gtest.h>

using namespace lapiro;
using namespace lapiro::exchange;

namespace {

// Four full generations (the animal and 14 ancestors, one of them twice) with long tattoos and
// formulas: the largest passport a stock gives.
struct PedigreeStock {
  test::StockDirectory s;
  qint64 animal = 0;
  PedigreeStock() {
    const qint64 breed = s.add(QStringLiteral("Rasse"), {{QStringLiteral("Name"), QStringLiteral("Deutsche Riesenschecken")},
                                                         {QStringLiteral("Code"), QStringLiteral("DRS")}});
    const qint64 colour = s.add(QStringLiteral("Farbe"), {{QStringLiteral("Rasse"), breed}, {QStringLiteral("Name"), QStringLiteral("schwarz-weiß")}});
    int n = 0;
    // Builds slot s and its ancestors.
    std::function<qint64(int)> build = [&](int slot) -> qint64 {
      qint64 vater = 0, mutter = 0;
      if (2 * slot + 2 < 15) {
        vater = build(2 * slot + 1);
        mutter = build(2 * slot + 2);
      }
      ++n;
      return s.animal(QStringLiteral("RS%1").arg(1000 + slot), QStringLiteral("%1.%2.%3").arg(1 + slot % 12).arg(10 + slot).arg(100 + n),
                      {{QStringLiteral("Geschlecht"), slot == 0 || slot % 2 == 1 ? QStringLiteral("1") : QStringLiteral("2")},
                       {QStringLiteral("Geburtstag"), QDate(2010 + slot % 10, 1 + slot % 12, 1 + slot)},
                       {QStringLiteral("Rasse"), breed},
                       {QStringLiteral("Farbe"), colour},
                       {QStringLiteral("Vater"), vater ? QVariant(vater) : QVariant()},
                       {QStringLiteral("Mutter"), mutter ? QVariant(mutter) : QVariant()},
                       {QStringLiteral("Erbformel"), QStringLiteral("AaBBCchhDdGgSs%1").arg(slot)},
                       {QStringLiteral("Wurfgroesse"), QStringLiteral("%1").arg(5 + slot % 4)},
                       {QStringLiteral("Körnote"), 90 + slot % 7},
                       {QStringLiteral("IDCode"), QStringLiteral("Tier Nr. %1").arg(slot)}});
    };
    animal = build(0);
  }
};

}  // namespace

TEST(Passport, PayloadRoundTripKeepsAnimalAndThreeGenerations) {
  PedigreeStock p;
  const QByteArray payload = passportPayload(p.s.engine, p.animal);
  const PassportRead r = readPassportPayload(payload);
  ASSERT_TRUE(r.file) << r.error.toStdString();
  ASSERT_EQ(r.file->animals.size(), 15u);
  const ExAnimal& a = r.file->animals[0];
  EXPECT_EQ(a.tatoRechts, QStringLiteral("RS1000"));
  EXPECT_EQ(a.geneticFormula, QStringLiteral("AaBBCchhDdGgSs0"));
  EXPECT_EQ(a.koernote, 90);
  EXPECT_EQ(a.colourName, QStringLiteral("schwarz-weiß"));
  ASSERT_EQ(r.file->breeds.size(), 1u);
  EXPECT_EQ(r.file->breeds[0].name, QStringLiteral("Deutsche Riesenschecken"));
  // Parentage follows the slots: the father of slot 1 (slot 3) has the tattoo RS1003.
  QHash<QString, const ExAnimal*> byId;
  for (const ExAnimal& x : r.file->animals) byId.insert(x.id, &x);
  const ExAnimal* father = byId.value(a.sireId);
  ASSERT_TRUE(father);
  EXPECT_EQ(father->tatoRechts, QStringLiteral("RS1001"));
  ASSERT_TRUE(byId.value(father->sireId));
  EXPECT_EQ(byId.value(father->sireId)->tatoRechts, QStringLiteral("RS1003"));

  // Into an empty stock: the 15 animals with their parents.
  test::StockDirectory buyer;
  test::TempDir logs;
  const ImportPlan plan = planImport(buyer.engine, *r.file, {});
  EXPECT_EQ(plan.count(RecordState::New), 15);
  ASSERT_TRUE(runImport(buyer.engine, *r.file, plan, {}, logs.path(), QStringLiteral("Pass")).ok);
  EXPECT_EQ(buyer.rowCount(QStringLiteral("Hasen")), 15);

  // What the QR code must hold stays small.
  int version = 0;
  const QImage code = passportImage(payload, 1, &version);
  ASSERT_FALSE(code.isNull());
  const int modules = code.width() - 8;
  const double moduleMm = 30.0 / code.width();  // the printed 30 mm include the quiet zone
  std::printf("passport: %lld bytes of JSON, %lld bytes in the code, QR version %d (%d modules, %.2f mm at 30 mm)\n",
              static_cast<long long>(passportJson(p.s.engine, p.animal).size()), static_cast<long long>(payload.size()),
              version, modules, moduleMm);
  EXPECT_GE(moduleMm, 0.33);
}

TEST(Passport, CodeOnTheCertificatePageReadsBackFromARenderedImage) {
  PedigreeStock p;
  card::PedigreeCertificate c;
  c.tatoRechts = QStringLiteral("RS1000");
  c.tatoLinks = QStringLiteral("1.10.115");
  c.rasse = QStringLiteral("Deutsche Riesenschecken");
  c.bewertungen = QStringLiteral("96,5 / 95,0 / 96,0");
  c.erbformel = QStringLiteral("AaBBCchhDdGgSs0");
  c.zuechter = QStringLiteral("Jürgen Müller");
  c.passport = passportImage(p.s.engine, p.animal);
  ASSERT_FALSE(c.passport.isNull());
  const reports::Report report = card::TReportAbstammungsnachweis(c, reports::ReportFont{QStringLiteral("DejaVu Sans"), 0});
  const reports::PageModel model = reports::layoutReport(report, reports::MemoryDataSource{});
  ASSERT_GE(model.pages.size(), 1u);
  // A 200 dpi scan of the sheet, saved as JPEG like a phone would.
  const QImage page = reports::renderPageImage(model, 0, 200.0);
  if (const QString dir = qEnvironmentVariable("LAPIRO_EXCHANGE_SHOTS"); !dir.isEmpty())
    page.save(dir + QStringLiteral("/certificate.png"));
  QByteArray jpeg;
  QBuffer buffer(&jpeg);
  buffer.open(QIODevice::WriteOnly);
  ASSERT_TRUE(page.save(&buffer, "JPG", 85));
  const PassportRead r = readPassportImage(QImage::fromData(jpeg, "JPG"));
  ASSERT_TRUE(r.file) << r.error.toStdString();
  EXPECT_EQ(r.file->animals.size(), 15u);
  EXPECT_EQ(r.file->animals[0].tatoLinks, QStringLiteral("1.10.115"));
}

TEST(Passport, ForeignOrDamagedCodesAreRefused) {
  EXPECT_FALSE(readPassportPayload("hello").file);
  EXPECT_FALSE(readPassportPayload(qCompress("{\"format\":\"other\"}")).file);
  // A forged size header is refused before anything is expanded.
  QByteArray forged = qCompress("{}");
  forged[0] = char(0x7f);
  EXPECT_FALSE(readPassportPayload(forged).file);
  const PassportRead noCode = readPassportImage(QImage(400, 300, QImage::Format_RGB32));
  EXPECT_FALSE(noCode.file);
  EXPECT_FALSE(noCode.error.isEmpty());
  // A code of another kind of text.
  const QImage other = passportImage(QByteArray("https://example.org"));
  const PassportRead r = readPassportImage(other);
  EXPECT_FALSE(r.file);
  EXPECT_EQ(r.error, QStringLiteral("Der QR-Code ist kein Abstammungspass von Lapiro Manager."));
}
