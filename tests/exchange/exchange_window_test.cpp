#include "exchange/ui/csv_dialog.h"
#include "exchange/ui/exchange_window.h"

#include "support/scripted_dialogs.h"
#include "support/stock_fixture.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QFile>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace lapiro;
using namespace lapiro::exchange;
using namespace lapiro::exchange::ui;

namespace {

// Saves a picture of `w` when LAPIRO_EXCHANGE_SHOTS names a folder (for looking at the window).
void shoot(QWidget& w, const char* name) {
  const QString dir = qEnvironmentVariable("LAPIRO_EXCHANGE_SHOTS");
  if (dir.isEmpty()) return;
  w.show();
  w.grab().save(QDir(dir).filePath(QString::fromLatin1(name) + QStringLiteral(".png")));
}

struct Seller {
  test::StockDirectory s;
  qint64 father = 0, doe = 0;
  Seller() {
    // Another breeder than the buyer's fixture (whose own user is Jörg Sommer, Kassel).
    s.engine.execute(QStringLiteral("UPDATE \"eigen.DB\" SET Name = 'Brandt', Vorname = 'Karl', Strasse = 'Am Hang 1', "
                                    "Plz = '36037', Ort = 'Fulda'"));
    const qint64 breed = s.add(QStringLiteral("Rasse"), {{QStringLiteral("Name"), QStringLiteral("Widder")}, {QStringLiteral("Code"), QStringLiteral("W")}});
    const qint64 breeder = s.add(QStringLiteral("Adresse"), {{QStringLiteral("Name"), QStringLiteral("Öztürk")}, {QStringLiteral("Ort"), QStringLiteral("Fulda")}});
    father = s.animal(QStringLiteral("F1"), QStringLiteral("1.4.1"), {{QStringLiteral("Geschlecht"), QStringLiteral("1")}, {QStringLiteral("Rasse"), breed}});
    doe = s.animal(QStringLiteral("K1"), QStringLiteral("3.5.12"),
                   {{QStringLiteral("Vater"), father}, {QStringLiteral("Rasse"), breed}, {QStringLiteral("Zuechter"), breeder},
                    {QStringLiteral("Erbformel"), QStringLiteral("A1B1")}});
  }
};

}  // namespace

TEST(ExchangeWindow, ExportFromOneStockAndImportThroughTheControlViewIntoAnother) {
  test::ScriptedDialogs dialogs;
  test::TempDir target;
  QString path;
  {
    Seller seller;
    TFormDatenaustausch w(seller.s.engine, target.file(QStringLiteral("Austausch")),
                          {[&] { return seller.doe; }, {}, {}});
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Datenaustausch"));
    EXPECT_EQ(w.tabs()->tabText(0), QStringLiteral("Auslagerung"));
    EXPECT_EQ(w.tabs()->tabText(1), QStringLiteral("Einlagerung"));
    EXPECT_EQ(w.generationsBox()->value(), 4);
    EXPECT_EQ(w.generationsBox()->maximum(), 6);
    EXPECT_TRUE(w.addressesBox()->isChecked());
    // Nothing chosen: a warning, no file.
    w.setTargetFolder(target.path());
    EXPECT_TRUE(w.AuslagernClick().isEmpty());
    w.addAnimal(seller.doe);
    w.addAnimal(seller.doe);
    w.addAnimal(999);
    EXPECT_EQ(w.chosenAnimals(), std::vector<qint64>{seller.doe});
    shoot(w, "auslagerung");
    path = w.AuslagernClick();
    ASSERT_FALSE(path.isEmpty()) << dialogs.texts().join(u'\n').toStdString();
    EXPECT_TRUE(dialogs.texts().last().startsWith(QStringLiteral("2 Tiere und 1 Adressen ausgelagert")));
  }
  test::StockDirectory buyer;
  buyer.animal(QStringLiteral("F1"), QStringLiteral("1.4.1"), {{QStringLiteral("Geschlecht"), QStringLiteral("1")}});
  TFormDatenaustausch w(buyer.engine, target.file(QStringLiteral("Austausch")));
  ASSERT_TRUE(w.loadImportFile(path));
  QTreeWidget* tree = w.controlView();
  ASSERT_GE(tree->topLevelItemCount(), 4);
  QTreeWidgetItem* tiere = tree->topLevelItem(0);
  EXPECT_EQ(tiere->text(0), QStringLiteral("Tiere: 1 neu, 0 vorhanden, 1 abweichend"));
  QTreeWidgetItem* f1 = tiere->child(0)->text(0).startsWith(u"F1") ? tiere->child(0) : tiere->child(1);
  EXPECT_EQ(f1->text(1), QStringLiteral("abweichend"));
  ASSERT_GE(f1->childCount(), 1);
  EXPECT_EQ(f1->child(0)->text(0), QStringLiteral("Rasse"));
  EXPECT_EQ(f1->child(0)->text(3), QStringLiteral("Widder"));
  EXPECT_EQ(f1->child(0)->text(4), QStringLiteral("wird ergänzt"));
  w.setAnimalMode(MergeMode::AppendOnly);
  EXPECT_EQ(w.controlView()->topLevelItem(0)->child(0)->text(0).startsWith(u"F1")
                ? w.controlView()->topLevelItem(0)->child(0)->child(0)->text(4)
                : w.controlView()->topLevelItem(0)->child(1)->child(0)->text(4),
            QStringLiteral("bleibt"));
  w.setAnimalMode(MergeMode::FillEmpty);
  w.tabs()->setCurrentIndex(1);
  shoot(w, "einlagerung");
  ASSERT_TRUE(w.EinlagernClick()) << dialogs.texts().join(u'\n').toStdString();
  EXPECT_TRUE(dialogs.texts().last().startsWith(QStringLiteral("Einlagerung abgeschlossen: 3 angelegt, 1 geändert, 0 zugeordnet.")))
      << dialogs.texts().last().toStdString();
  EXPECT_EQ(buyer.rowCount(QStringLiteral("Hasen")), 2);
  EXPECT_EQ(w.plan()->count(RecordState::Present), 2);  // planned again after the import

  // Undo through the window, after the question.
  const QStringList logs = QDir(target.file(QStringLiteral("Austausch"))).entryList({QStringLiteral("*.log")});
  ASSERT_EQ(logs.size(), 1);
  const QString log = QDir(target.file(QStringLiteral("Austausch"))).filePath(logs.front());
  dialogs.no();
  EXPECT_FALSE(w.undo(log));
  EXPECT_EQ(buyer.rowCount(QStringLiteral("Hasen")), 2);
  dialogs.yes();
  EXPECT_TRUE(w.undo(log));
  EXPECT_EQ(buyer.rowCount(QStringLiteral("Hasen")), 1);
  EXPECT_EQ(buyer.rowCount(QStringLiteral("Rasse")), 0);
}

TEST(ExchangeWindow, ABadFileGivesItsMessageAndNoControlView) {
  test::ScriptedDialogs dialogs;
  test::StockDirectory s;
  QFile f(s.dir.file(QStringLiteral("kaputt.json")));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(R"({"format":"lapiro-exchange","version":"1.0","animals":[{"id":"t1","sex":"Male","identifiers":[],"birthDate":"2025-13-01"}]})");
  f.close();
  TFormDatenaustausch w(s.engine, s.dir.file(QStringLiteral("Austausch")));
  EXPECT_FALSE(w.loadImportFile(f.fileName()));
  ASSERT_EQ(dialogs.shown().size(), 1u);
  EXPECT_EQ(dialogs.shown()[0].kind, store::DialogKind::Error);
  EXPECT_TRUE(dialogs.texts()[0].contains(QStringLiteral("animals[0].birthDate")));
  EXPECT_EQ(w.controlView()->topLevelItemCount(), 0);
  EXPECT_FALSE(w.EinlagernClick());
}

// A passport carries no export time; a file of this very stock changes nothing; a doubtful
// address is shown as such.
TEST(ExchangeWindow, ControlViewShowsOriginWithoutAMissingDateOwnFilesAndDoubtfulAddresses) {
  test::ScriptedDialogs dialogs;
  test::StockDirectory s;
  s.add(QStringLiteral("Adresse"), {{QStringLiteral("Name"), QStringLiteral("Wagner")},
                                    {QStringLiteral("Vorname"), QStringLiteral("Jonas")},
                                    {QStringLiteral("Straße"), QStringLiteral("Ringstraße 1")},
                                    {QStringLiteral("Ort"), QStringLiteral("Halle (Saale)")}});
  ExchangeFile passport;
  passport.program = QStringLiteral("Abstammungspass");
  ExAnimal a;
  a.id = QStringLiteral("p0");
  a.tatoRechts = QStringLiteral("K1");
  a.sex = QStringLiteral("2");
  a.breederId = QStringLiteral("a1");
  passport.animals.push_back(a);
  ExAddress wagner;
  wagner.id = QStringLiteral("a1");
  wagner.name = QStringLiteral("Wagner");
  wagner.vorname = QStringLiteral("Jonas");
  wagner.strasse = QStringLiteral("Am Markt 9");
  wagner.ort = QStringLiteral("Halle (Saale)");
  passport.addresses.push_back(wagner);
  TFormDatenaustausch w(s.engine, s.dir.file(QStringLiteral("Austausch")));
  w.takeChecked(QStringLiteral("/tmp/pass.png"), passport);
  bool found = false;
  for (const QLabel* l : w.findChildren<QLabel*>())
    if (l->text().contains(QStringLiteral("exportiert von"))) {
      found = true;
      EXPECT_EQ(l->text(), QStringLiteral("pass.png: 1 Tiere, exportiert von Abstammungspass"));
    }
  EXPECT_TRUE(found);
  QTreeWidgetItem* adressen = w.controlView()->topLevelItem(w.controlView()->topLevelItemCount() - 1);
  ASSERT_EQ(adressen->childCount(), 1);
  EXPECT_EQ(adressen->child(0)->text(1), QStringLiteral("zweifelhaft"));
  EXPECT_EQ(adressen->child(0)->text(2), QStringLiteral("{1}?"));
  EXPECT_TRUE(adressen->child(0)->text(4).startsWith(QStringLiteral("Adresse wird neu angelegt (gleicher Name und Ort wie")))
      << adressen->child(0)->text(4).toStdString();

  // The same file as exported by this stock: nothing to do, and the window says so.
  passport.stock = stockIdentity(QStringLiteral("Sommer"), QStringLiteral("Jörg"), QStringLiteral("Lindenweg 3"),
                                 QStringLiteral("34117"), QStringLiteral("Kassel"));
  w.takeChecked(QStringLiteral("/tmp/eigen.json"), passport);
  EXPECT_EQ(w.controlView()->topLevelItem(0)->text(0),
            QStringLiteral("Die Datei wurde aus diesem Bestand ausgelagert: die Einlagerung ändert nichts."));
  ASSERT_TRUE(w.EinlagernClick());
  EXPECT_EQ(dialogs.texts().last(), QStringLiteral("Die Datei wurde aus diesem Bestand ausgelagert; es wurde nichts geändert."));
  EXPECT_EQ(s.rowCount(QStringLiteral("Hasen")), 0);
  EXPECT_EQ(s.rowCount(QStringLiteral("Adresse")), 1);
}

TEST(CsvDialog, MappingDrivesTheCheckAndTakingIsRefusedWhileARowIsWrong) {
  test::StockDirectory s;
  const CsvTable t = readCsv("Ohr rechts;Ohr links;Sex\nK1;3.5.12;0.1\nK2;3.5.13;1.0\n");
  TFormCsvEinlesen d(s.engine, t);
  EXPECT_EQ(d.preview()->rowCount(), 3);  // the mapping row and two rows
  EXPECT_FALSE(d.result());              // nothing mapped yet
  EXPECT_EQ(d.errorList()->count(), 1);
  d.setMapping(0, CsvColumn::TatoRechts);
  d.setMapping(1, CsvColumn::TatoLinks);
  d.setMapping(2, CsvColumn::Geschlecht);
  ASSERT_TRUE(d.result());
  EXPECT_EQ(d.result()->animals.size(), 2u);
  d.setMapping(0, CsvColumn::Geburtstag);  // "K1" is no date
  EXPECT_FALSE(d.result());
  EXPECT_EQ(d.errorList()->item(0)->text(), QStringLiteral("Zeile 2: Geburtstag \"K1\" ist kein Datum"));
  shoot(d, "csv");
}
