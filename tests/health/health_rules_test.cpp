// The health records on real tables: pharmacy orders and deleting medicines, the checks
// before a health row is saved, and the per-animal lists following the current animal.
#include "health/health_rules.h"

#include <gtest/gtest.h>

#include "engine/cursor.h"
#include "shell/system_info.h"
#include "store/data_module.h"
#include "support/scripted_dialogs.h"
#include "support/stock_fixture.h"

using namespace lapiro;
using namespace lapiro::health;
using engine::Cursor;
using test::ScriptedDialogs;

namespace {

QString msg(int n) { return QStringLiteral("Meldung %1").arg(n); }

class HealthTest : public ::testing::Test {
 protected:
  HealthTest() : stock({11, 15, 28, 29}) {}
  void SetUp() override { settings.System.Speichern = true; }
  void TearDown() override {
    rules.reset();
    module.reset();
  }
  void openModule() {
    module = std::make_unique<store::TDatenStamm>(stock.engine, settings);
    module->setToday(QDate(2025, 6, 1));
    module->open();
    rules = std::make_unique<THygieneRegeln>(*module, [this] { return settings.System.Speichern; });
  }
  qint64 medicine(const QString& name, const QDate& expiry = {}, const QString& bereich = {}) {
    return stock.add(QStringLiteral("APOTHEKE"), {{QStringLiteral("Medikament"), name},
                                                 {QStringLiteral("Verfallsdatum"), expiry},
                                                 {QStringLiteral("Bereich"), bereich}});
  }
  QStringList pharmacyNames(Cursor& c) {
    QStringList out;
    for (c.first(); !c.eof(); c.next()) out << c.field(QStringLiteral("Medikament")).asString();
    return out;
  }

  test::StockDirectory stock;
  shell::tsysteminfo settings;
  std::unique_ptr<store::TDatenStamm> module;
  std::unique_ptr<THygieneRegeln> rules;
};

TEST_F(HealthTest, ExpiryOrderKeepsNumberOrderAndAMissingIndexIsCreatedOnce) {
  medicine(QStringLiteral("C"), QDate(2026, 1, 1));
  medicine(QStringLiteral("A"), QDate(2025, 3, 1));
  medicine(QStringLiteral("B"), QDate(2026, 1, 1));
  stock.engine.deleteIndex(QStringLiteral("APOTHEKE"), QStringLiteral("VerfallsdatumIdx"));
  Cursor c(stock.engine);
  configurePharmacyCursor(c);
  c.open();
  ASSERT_TRUE(applyPharmacyOrder(stock.engine, c, 2));
  EXPECT_EQ(pharmacyNames(c), (QStringList{QStringLiteral("A"), QStringLiteral("C"), QStringLiteral("B")}));
  EXPECT_FALSE(applyPharmacyOrder(stock.engine, c, 2));  // the index exists now
  EXPECT_FALSE(applyPharmacyOrder(stock.engine, c, 3));  // the empty entry changes nothing
  EXPECT_EQ(c.indexName(), QStringLiteral("VerfallsdatumIdx"));
  applyPharmacyOrder(stock.engine, c, 1);
  EXPECT_EQ(pharmacyNames(c), (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}));
}

TEST_F(HealthTest, DeletingAMedicineNamesItsTreatmentsAndTheyKeepTheirEntries) {
  ScriptedDialogs dialogs;
  const qint64 med = medicine(QStringLiteral("Baycox"));
  const qint64 hase = stock.animal(QStringLiteral("A1"), QStringLiteral("1.24.1"));
  for (int i = 0; i < 3; ++i)
    stock.add(QStringLiteral("MedizienHase"), {{QStringLiteral("Hase"), hase},
                                               {QStringLiteral("Medikament"), med},
                                               {QStringLiteral("Dosierung"), QStringLiteral("0,5")},
                                               {QStringLiteral("Krankheit"), QStringLiteral("Kokzidiose")},
                                               {QStringLiteral("Am"), QDate(2025, 5, i + 1)}});
  EXPECT_EQ(treatmentsOfMedicine(stock.engine, med), 3);

  Cursor c(stock.engine);
  configurePharmacyCursor(c);
  c.open();
  c.first();
  dialogs.no();
  EXPECT_FALSE(deleteMedicine(stock.engine, c));
  ASSERT_EQ(dialogs.shown().size(), 1u);
  EXPECT_TRUE(dialogs.shown()[0].text.startsWith(msg(28)));
  EXPECT_TRUE(dialogs.shown()[0].text.contains(QStringLiteral("3 Behandlungen")));
  dialogs.yes();
  EXPECT_TRUE(deleteMedicine(stock.engine, c));
  EXPECT_EQ(stock.rowCount(QStringLiteral("APOTHEKE")), 0);

  openModule();
  Cursor& gaben = module->at(QStringLiteral("MedizienGaben"));
  ASSERT_TRUE(gaben.hasRecord());
  EXPECT_EQ(gaben.field(QStringLiteral("MedizinAnzeige")).asString(), QString());
  EXPECT_EQ(gaben.field(QStringLiteral("Dosierung")).asString(), QStringLiteral("0,5"));
  EXPECT_EQ(gaben.field(QStringLiteral("Krankheit")).asString(), QStringLiteral("Kokzidiose"));

  // An unreferenced medicine asks message 28 alone.
  medicine(QStringLiteral("Frei"));
  c.refresh();
  c.first();
  dialogs.clear();
  dialogs.yes();
  EXPECT_TRUE(deleteMedicine(stock.engine, c));
  EXPECT_EQ(dialogs.shown()[0].text, msg(28));
}

TEST_F(HealthTest, EachAnimalShowsOnlyItsOwnRowsPositionedOnTheLast) {
  const qint64 a = stock.animal(QStringLiteral("A1"), QStringLiteral("1.24.1"));
  const qint64 b = stock.animal(QStringLiteral("B1"), QStringLiteral("1.24.2"));
  const qint64 med = medicine(QStringLiteral("Baycox"));
  for (int i = 1; i <= 3; ++i) {
    stock.add(QStringLiteral("Desinfektion"), {{QStringLiteral("Hase"), a}, {QStringLiteral("Am"), QDate(2025, 1, i)},
                                               {QStringLiteral("Desinfektion"), QStringLiteral("D%1").arg(i)}});
    stock.add(QStringLiteral("Insektenbek"), {{QStringLiteral("Hase"), b}, {QStringLiteral("Am"), QDate(2025, 2, i)},
                                              {QStringLiteral("Insektizied"), QStringLiteral("I%1").arg(i)}});
    stock.add(QStringLiteral("MedizienHase"), {{QStringLiteral("Hase"), b}, {QStringLiteral("Medikament"), med},
                                               {QStringLiteral("Am"), QDate(2025, 3, i)}});
  }
  openModule();
  stock.add(QStringLiteral("Impfung"), {{QStringLiteral("Tier"), b}, {QStringLiteral("Datum"), QDate(2025, 4, 1)},
                                        {QStringLiteral("Impfung"), QStringLiteral("RHD")}});
  stock.add(QStringLiteral("Impfung"), {{QStringLiteral("Tier"), b}, {QStringLiteral("Datum"), QDate(2025, 4, 2)},
                                        {QStringLiteral("Impfung"), QStringLiteral("Myxo")}});
  ASSERT_TRUE(module->gotoAnimal(a));
  Cursor& des = module->at(QStringLiteral("Desinfektion"));
  EXPECT_EQ(des.recordCount(), 3);
  EXPECT_EQ(des.field(QStringLiteral("Desinfektion")).asString(), QStringLiteral("D3"));
  EXPECT_EQ(module->at(QStringLiteral("Insekten")).recordCount(), 0);
  EXPECT_EQ(module->at(QStringLiteral("Impfung")).recordCount(), 0);

  ASSERT_TRUE(module->gotoAnimal(b));
  EXPECT_EQ(des.recordCount(), 0);
  EXPECT_EQ(module->at(QStringLiteral("Insekten")).field(QStringLiteral("Insektizied")).asString(), QStringLiteral("I3"));
  Cursor& gaben = module->at(QStringLiteral("MedizienGaben"));
  EXPECT_EQ(gaben.field(QStringLiteral("Am")).asDate(), QDate(2025, 3, 3));
  EXPECT_EQ(gaben.field(QStringLiteral("MedizinAnzeige")).asString(), QStringLiteral("Baycox"));
  EXPECT_EQ(module->at(QStringLiteral("Impfung")).field(QStringLiteral("Impfung")).asString(), QStringLiteral("Myxo"));
}

TEST_F(HealthTest, SaveQuestionFutureDatesAndDosesAreCheckedBeforePosting) {
  ScriptedDialogs dialogs;
  const qint64 a = stock.animal(QStringLiteral("A1"), QStringLiteral("1.24.1"));
  openModule();
  ASSERT_TRUE(module->gotoAnimal(a));
  settings.System.Speichern = false;

  // "Nein" to the save question: no new vaccination remains.
  Cursor& impf = module->at(QStringLiteral("Impfung"));
  impf.append();
  impf.field(QStringLiteral("Datum")).setDate(QDate(2025, 5, 1));
  dialogs.no();
  EXPECT_THROW(impf.post(), engine::Abort);
  EXPECT_FALSE(impf.isEditing());
  EXPECT_EQ(stock.rowCount(QStringLiteral("Impfung")), 0);
  EXPECT_EQ(dialogs.shown().back().text, msg(29));

  // A date after today asks; "Nein" keeps the row in edit for correction.
  settings.System.Speichern = true;
  Cursor& des = module->at(QStringLiteral("Desinfektion"));
  des.append();
  des.field(QStringLiteral("Am")).setDate(QDate(2025, 6, 2));
  dialogs.no();
  EXPECT_THROW(des.post(), engine::Abort);
  EXPECT_TRUE(des.isEditing());
  EXPECT_TRUE(dialogs.shown().back().text.contains(QStringLiteral("02.06.2025")));
  des.field(QStringLiteral("Am")).setDate(QDate(2025, 6, 1));  // today needs no question
  des.post();
  EXPECT_EQ(stock.rowCount(QStringLiteral("Desinfektion")), 1);
  EXPECT_EQ(des.field(QStringLiteral("Hase")).asInteger(), a);

  // The dose is a free entry: units and instructions are kept as typed.
  Cursor& gaben = module->at(QStringLiteral("MedizienGaben"));
  gaben.append();
  gaben.field(QStringLiteral("Dosierung")).setValue(QStringLiteral("1 ml/kg über 3 Tage"));
  const auto before = dialogs.shown().size();
  gaben.post();
  EXPECT_EQ(dialogs.shown().size(), before);
  EXPECT_EQ(stock.rowCount(QStringLiteral("MedizienHase")), 1);
  EXPECT_EQ(gaben.field(QStringLiteral("Dosierung")).asString(), QStringLiteral("1 ml/kg über 3 Tage"));
}

}  // namespace
