// The health windows on a real data module: the card tab's button states and save question,
// the medicine drop-down, the pharmacy's delete question, and the certificate window's list.
// With LAPIRO_SHOT_DIR and LAPIRO_SHOT_DATA set, a further case saves screenshots of every
// window on a copy of a demo data directory.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>

#include "contacts/ui/register_windows.h"
#include "engine/cursor.h"
#include "health/ui/certificate_window.h"
#include "health/ui/hygiene_page.h"
#include "health/ui/pharmacy_window.h"
#include "reports/report_layout.h"
#include "reports/report_renderer.h"
#include "reports/dataset_source.h"
#include "shell/system_info.h"
#include "store/data_module.h"
#include "store/messages.h"
#include "support/scripted_dialogs.h"
#include "support/stock_fixture.h"
#include "support/temp_dir.h"

using namespace lapiro;
using namespace lapiro::health;
using test::ScriptedDialogs;

namespace {

class HealthWindowsTest : public ::testing::Test {
 protected:
  HealthWindowsTest() : stock({11, 15, 28, 29, 129, 130}) {}
  void SetUp() override { settings.System.Speichern = true; }
  void TearDown() override { module.reset(); }
  void openModule() {
    module = std::make_unique<store::TDatenStamm>(stock.engine, settings);
    module->setToday(QDate(2025, 6, 1));
    module->open();
  }
  test::StockDirectory stock;
  shell::tsysteminfo settings;
  std::unique_ptr<store::TDatenStamm> module;
};

TEST_F(HealthWindowsTest, NewVaccinationAnsweredNoLeavesNoRowAndDisablesSaveAndUndo) {
  ScriptedDialogs dialogs;
  const qint64 a = stock.animal(QStringLiteral("A1"), QStringLiteral("1.24.1"));
  const qint64 med = stock.add(QStringLiteral("APOTHEKE"), {{QStringLiteral("Medikament"), QStringLiteral("Baycox")}});
  openModule();
  ASSERT_TRUE(module->gotoAnimal(a));
  ui::THygieneSeite page(*module, settings, {});
  QPushButton* neu = page.button(QStringLiteral("BitBtnImpfNeu"));
  QPushButton* sp = page.button(QStringLiteral("BitBtnImpfSp"));
  QPushButton* rue = page.button(QStringLiteral("BitBtnImpfRue"));
  EXPECT_TRUE(neu->isEnabled());
  EXPECT_FALSE(sp->isEnabled());

  settings.System.Speichern = false;
  neu->click();
  EXPECT_FALSE(neu->isEnabled());
  EXPECT_TRUE(sp->isEnabled() && rue->isEnabled());
  page.box(QStringLiteral("Impfung"))->setText(QStringLiteral("RHD"));
  emit page.box(QStringLiteral("Impfung"))->textEdited(QStringLiteral("RHD"));
  dialogs.no();
  sp->click();
  EXPECT_EQ(dialogs.shown().back().text, test::StockDirectory::message(29));
  EXPECT_FALSE(sp->isEnabled());
  EXPECT_FALSE(rue->isEnabled());
  EXPECT_TRUE(neu->isEnabled());
  EXPECT_EQ(stock.rowCount(QStringLiteral("Impfung")), 0);

  // A treatment stores the chosen medicine's number; the grid shows its name.
  settings.System.Speichern = true;
  page.button(QStringLiteral("BitBtnMedNeu"))->click();
  QComboBox* box = page.medicineBox();
  ASSERT_EQ(box->count(), 2);
  box->setCurrentIndex(1);
  emit box->activated(1);
  page.button(QStringLiteral("BitBtnMedSp"))->click();
  ASSERT_EQ(stock.rowCount(QStringLiteral("MedizienHase")), 1);
  EXPECT_EQ(stock.stored(QStringLiteral("MedizienHase"), 1, QStringLiteral("Medikament")).toLongLong(), med);
  EXPECT_EQ(page.grid(ui::THygieneSeite::PageMedikamente)->model()->index(0, 0).data().toString(),
            QStringLiteral("Baycox"));
  // The dose is a free entry: nothing typed is refused or dropped.
  QLineEdit* dose = page.box(QStringLiteral("Dosierung"));
  EXPECT_EQ(dose->validator(), nullptr);
  dose->clear();
  dose->insert(QStringLiteral("1 ml/kg über 3 Tage"));  // as typed: a validator would refuse here
  EXPECT_EQ(dose->text(), QStringLiteral("1 ml/kg über 3 Tage"));
}

TEST_F(HealthWindowsTest, DisinfectionRowsAreAddedChangedAndDeletedInTheGrid) {
  ScriptedDialogs dialogs;
  const qint64 a = stock.animal(QStringLiteral("A1"), QStringLiteral("1.24.1"));
  openModule();
  ASSERT_TRUE(module->gotoAnimal(a));
  ui::THygieneSeite page(*module, settings, {});
  auto* model = static_cast<ui::THygieneGridModel*>(page.grid(ui::THygieneSeite::PageDesinfektion)->model());
  const int row = model->appendRow(QDate(2025, 5, 30));
  ASSERT_EQ(row, 0);
  EXPECT_EQ(model->rowCount(), 1);
  ASSERT_TRUE(model->setData(model->index(0, 1), QStringLiteral("Virkon S")));
  module->at(QStringLiteral("Desinfektion")).checkBrowseMode();  // leaving the row saves it
  ASSERT_EQ(stock.rowCount(QStringLiteral("Desinfektion")), 1);
  EXPECT_EQ(stock.stored(QStringLiteral("Desinfektion"), 1, QStringLiteral("Hase")).toLongLong(), a);
  ASSERT_TRUE(model->setData(model->index(0, 0), QStringLiteral("29.05.2025")));
  EXPECT_EQ(stock.stored(QStringLiteral("Desinfektion"), 1, QStringLiteral("Am")).toDate(), QDate(2025, 5, 29));
  dialogs.yes();
  EXPECT_TRUE(model->deleteRow(0));
  EXPECT_EQ(dialogs.shown().back().text, test::StockDirectory::message(15));
  EXPECT_EQ(stock.rowCount(QStringLiteral("Desinfektion")), 0);
}

TEST_F(HealthWindowsTest, CertificateWindowPrefillsTheHeaderAndKeepsTwelveLines) {
  engine::Cursor eigen(stock.engine);
  eigen.setTableName(QStringLiteral("eigen.DB"));
  eigen.addCalculatedField(QStringLiteral("ortAnzeige"), engine::FieldType::Alpha, 50);
  eigen.events.onCalcFields = [](engine::DataSet& ds) {
    ds.field(QStringLiteral("ortAnzeige")).setValue(QStringLiteral("12345 Fulda"));
  };
  eigen.open();
  eigen.first();
  const qint64 a = stock.animal(QStringLiteral("A1"), QStringLiteral("1.24.1"));
  ui::TFormImpfbescheinigung w(stock.engine, eigen, QDate(2025, 6, 1), {});
  EXPECT_EQ(w.box(QStringLiteral("Datum"))->text(), QStringLiteral("01.06.2025"));
  EXPECT_TRUE(w.box(QStringLiteral("Zuechter"))->text().startsWith(QStringLiteral("Jörg Sommer")));
  EXPECT_TRUE(w.box(QStringLiteral("Zuechter"))->text().endsWith(QStringLiteral(", 12345 Fulda")));
  EXPECT_EQ(w.grid()->rowCount(), 12);
  for (int i = 0; i < 13; ++i) ASSERT_TRUE(w.addAnimal(a));
  EXPECT_EQ(w.grid()->rowCount(), 13);
  w.grid()->setCurrentCell(0, 1);
  w.BitBtn2Click();
  EXPECT_EQ(w.grid()->rowCount(), 12);
  // A line typed by hand gets its number and counts as used.
  w.BitBtn3Click();
  w.grid()->item(0, 1)->setText(QStringLiteral("X9"));
  EXPECT_EQ(w.list().cell(0, ColNr), QStringLiteral("1"));
  EXPECT_TRUE(w.list().isUsed(0));
}

// Screenshots for a look at the windows (not a check): run with LAPIRO_SHOT_DIR=<dir> and
// LAPIRO_SHOT_DATA=<demo data directory>.
TEST(HealthScreens, SaveScreenshots) {
  const QString out = qEnvironmentVariable("LAPIRO_SHOT_DIR");
  const QString data = qEnvironmentVariable("LAPIRO_SHOT_DATA");
  if (out.isEmpty() || data.isEmpty()) GTEST_SKIP() << "LAPIRO_SHOT_DIR / LAPIRO_SHOT_DATA not set";
  test::TempDir copy;
  for (const QString& f : QDir(data).entryList(QDir::Files)) QFile::copy(data + u'/' + f, copy.file(f));
  engine::Engine engine;
  engine.setAlias(QStringLiteral("Hase"), copy.path());
  store::MessageCatalogue messages(engine);
  messages.open();
  store::setMessageCatalogue(&messages);
  shell::tsysteminfo settings;
  settings.System.Speichern = true;
  {
    store::TDatenStamm dm(engine, settings);
    dm.open();
    // The animal with the longest history of treatments.
    engine::Cursor gaben(engine);
    gaben.setTableName(QStringLiteral("MedizienHase"));
    gaben.open();
    QHash<qint64, int> counts;
    for (gaben.first(); !gaben.eof(); gaben.next()) ++counts[gaben.field(QStringLiteral("Hase")).asInteger()];
    qint64 most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
      if (it.value() > counts.value(most)) most = it.key();
    dm.gotoAnimal(most);
    ui::THygieneSeite page(dm, settings, {});
    page.resize(760, 460);
    for (int p = 0; p < 4; ++p) {
      page.pages()->setCurrentIndex(p);
      page.grab().save(out + QStringLiteral("/hygiene-%1.png").arg(p));
    }
  }
  const auto noSave = [] { return true; };
  {
    ui::TFormApotheke w(engine, noSave, {}, {});
    w.resize(900, 560);
    w.grab().save(out + QStringLiteral("/apotheke.png"));
    w.pages()->setCurrentIndex(1);
    w.grab().save(out + QStringLiteral("/apotheke-tabelle.png"));
  }
  {
    contacts::ui::TFormZuechterregister w(engine, noSave, {});
    w.resize(1000, 640);
    w.grab().save(out + QStringLiteral("/zuechterregister.png"));
    w.pages()->setCurrentIndex(1);
    w.grab().save(out + QStringLiteral("/zuechterregister-tabelle.png"));
    auto& dlg = w.searchDialog();
    dlg.prepareForShow();
    dlg.box(3)->setText(QStringLiteral("Mün"));
    dlg.SuchenClick();
    dlg.grab().save(out + QStringLiteral("/zuechtersuche.png"));
  }
  {
    contacts::ui::TFormVereine w(engine, noSave, {});
    w.resize(1000, 640);
    w.grab().save(out + QStringLiteral("/vereine.png"));
  }
  {
    engine::Cursor eigen(engine);
    eigen.setTableName(QStringLiteral("eigen.DB"));
    eigen.addCalculatedField(QStringLiteral("ortAnzeige"), engine::FieldType::Alpha, 50);
    eigen.events.onCalcFields = [](engine::DataSet& ds) {
      ds.field(QStringLiteral("ortAnzeige"))
          .setValue(ds.field(QStringLiteral("Plz")).asString() + u' ' + ds.field(QStringLiteral("Ort")).asString());
    };
    eigen.open();
    eigen.first();
    ui::TFormImpfbescheinigung w(engine, eigen, QDate(2026, 10, 31), {});
    for (qint64 nr = 1; nr <= 5; ++nr) w.addAnimal(nr);
    w.box(QStringLiteral("Impfung"))->setText(QStringLiteral("RHD und Myxomatose"));
    w.box(QStringLiteral("Impfstoff"))->setText(QStringLiteral("Nobivac Myxo-RHD Plus"));
    w.box(QStringLiteral("Chargenbez"))->setText(QStringLiteral("CH-202610"));
    w.box(QStringLiteral("Tierarzt"))->setText(QStringLiteral("Dr. Lang"));
    w.box(QStringLiteral("Impfdatum"))->setText(QStringLiteral("30.10.2026"));
    w.box(QStringLiteral("Ort"))->setText(QStringLiteral("Fulda"));
    w.resize(860, 660);
    w.grab().save(out + QStringLiteral("/impfbescheinigung.png"));
    const reports::PageModel m =
        reports::layoutReport(TReportImpfbescheinigung(w.header()), certificateRows(w.list()));
    reports::renderToPdf(m, out + QStringLiteral("/impfbescheinigung.pdf"));
  }
  store::setMessageCatalogue(nullptr);
}

}  // namespace

namespace {

TEST_F(HealthWindowsTest, PharmacyAsksBeforeSavingOnCloseAndNoDiscardsTheChange) {
  ScriptedDialogs dialogs;
  stock.add(QStringLiteral("APOTHEKE"), {{QStringLiteral("Medikament"), QStringLiteral("Baycox")}});
  settings.System.Speichern = false;
  auto* w = new ui::TFormApotheke(stock.engine, [this] { return settings.System.Speichern; }, {}, {});
  ASSERT_TRUE(w->isUsable());
  QLineEdit* name = w->box(QStringLiteral("Medikament"));
  ASSERT_EQ(name->text(), QStringLiteral("Baycox"));
  name->setText(QStringLiteral("Baycox 5 %"));
  emit name->textEdited(name->text());
  EXPECT_TRUE(w->undoButton()->isEnabled());
  dialogs.no();
  EXPECT_TRUE(w->close());
  EXPECT_EQ(dialogs.shown().back().text, test::StockDirectory::message(29));
  EXPECT_EQ(stock.stored(QStringLiteral("APOTHEKE"), 1, QStringLiteral("Medikament")).toString(), QStringLiteral("Baycox"));
}

// The repeat interval of a vaccine, which the breeding calendar plans from, is edited in the
// pharmacy window; a typed word is refused and the stored number stays.
TEST_F(HealthWindowsTest, PharmacyEditsTheRepeatIntervalOfAVaccine) {
  ScriptedDialogs dialogs;
  stock.add(QStringLiteral("APOTHEKE"), {{QStringLiteral("Medikament"), QStringLiteral("RHD-Impfstoff")}});
  settings.System.Speichern = true;
  ui::TFormApotheke w(stock.engine, [this] { return settings.System.Speichern; }, {}, {});
  ASSERT_TRUE(w.isUsable());
  QLineEdit* months = w.box(QStringLiteral("WiederholungMonate"));
  ASSERT_NE(months, nullptr);
  EXPECT_EQ(months->text(), QString());
  months->setText(QStringLiteral("12"));
  emit months->textEdited(months->text());
  ASSERT_TRUE(w.savePending());
  EXPECT_EQ(stock.stored(QStringLiteral("APOTHEKE"), 1, QStringLiteral("WiederholungMonate")).toInt(), 12);
  months->setText(QStringLiteral("zwölf"));
  emit months->textEdited(months->text());
  EXPECT_FALSE(dialogs.shown().empty());
  w.AbbruchClick();
  EXPECT_EQ(months->text(), QStringLiteral("12"));
  EXPECT_EQ(stock.stored(QStringLiteral("APOTHEKE"), 1, QStringLiteral("WiederholungMonate")).toInt(), 12);
}

}  // namespace

namespace {

TEST_F(HealthWindowsTest, AnUnreadableDateIsReportedAndTheRecordKeepsItsDate) {
  ScriptedDialogs dialogs;
  const qint64 a = stock.animal(QStringLiteral("A1"), QStringLiteral("1.24.1"));
  openModule();
  ASSERT_TRUE(module->gotoAnimal(a));
  ui::THygieneSeite page(*module, settings, {});
  page.button(QStringLiteral("BitBtnImpfNeu"))->click();
  QLineEdit* datum = page.box(QStringLiteral("ImpfDatum"));
  datum->setText(QStringLiteral("03.05.2025"));
  emit datum->textEdited(datum->text());
  datum->setText(QStringLiteral("31.02.2025"));
  emit datum->textEdited(datum->text());
  emit datum->editingFinished();
  ASSERT_FALSE(dialogs.shown().empty());
  EXPECT_EQ(dialogs.shown().back().kind, store::DialogKind::Error);
  EXPECT_EQ(datum->text(), QStringLiteral("03.05.2025"));
  EXPECT_EQ(module->at(QStringLiteral("Impfung")).field(QStringLiteral("Datum")).asDate(), QDate(2025, 5, 3));
}

}  // namespace
