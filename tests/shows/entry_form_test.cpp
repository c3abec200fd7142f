// The show entry form: fees, filling lines, the suggested file name, saving and loading ".mel"
// files (gap lines, prices, dates, protected names), the window's tables and the printout.
#include "shows/entry_form.h"
#include "shows/entry_form_report.h"

#include "engine/cursor.h"
#include "reports/report_layout.h"
#include "support/scripted_dialogs.h"
#include "support/stock_fixture.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace lapiro::shows {
namespace {

using engine::Money;
using test::ScriptedDialogs;
using test::StockDirectory;

Money eur(const char* text) { return *Money::parse(QString::fromLatin1(text)); }

QStringList filesOf(const QString& dir) {
  QStringList names = QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
  names.sort();
  return names;
}

TEST(EntryFormFees, PerAnimalFeesAndTotal) {
  EntryForm form;
  form.fillFirstEmptyLine(QStringLiteral("A1"), QStringLiteral("1.5.1"), QStringLiteral("1"));
  form.fillFirstEmptyLine(QStringLiteral("A2"), QStringLiteral("1.5.2"), QStringLiteral("2"));
  form.lines[2].taetoLinks = QStringLiteral("1.5.3");  // a left tattoo alone counts too
  form.header.unkostenTier = eur("2,50");
  form.header.futterTier = eur("1,00");
  form.header.porto = eur("1,00");
  form.header.zgZuschlag = 2;
  form.header.zgBetrag = eur("5,00");
  form.recomputeFees();
  EXPECT_EQ(form.animalCount(), 3);
  EXPECT_EQ(form.header.unkosten.toString(), QStringLiteral("7,50"));
  EXPECT_EQ(form.header.futter.toString(), QStringLiteral("3,00"));
  EXPECT_EQ(form.summe().toString(), QStringLiteral("21,50"));
  EXPECT_EQ(form.lines[0].geschlecht, QStringLiteral("M"));
  EXPECT_EQ(form.lines[1].geschlecht, QStringLiteral("W"));
}

TEST(EntryFormFees, AThirteenthAnimalIsIgnored) {
  EntryForm form;
  for (int i = 0; i < kEntryLines; ++i)
    EXPECT_EQ(form.fillFirstEmptyLine(QStringLiteral("R%1").arg(i), QString(), QStringLiteral("1")), i);
  const EntryForm full = form;
  EXPECT_EQ(form.fillFirstEmptyLine(QStringLiteral("R13"), QString(), QStringLiteral("1")), -1);
  EXPECT_TRUE(form.lines == full.lines);
}

TEST(EntryFormNames, SuggestedNameAndForcedExtension) {
  EXPECT_EQ(suggestedEntryFileName(QStringLiteral("Gemeinschaftsschau auf örtlicher Basis"), QDate(2004, 5, 8),
                                   QDate(2010, 1, 1)),
            QStringLiteral("2004_5_8 Gemeinschaftsschau örtlich"));
  EXPECT_EQ(suggestedEntryFileName(QStringLiteral("Gemeinschaftsschau auf überörtlicher Grundlage"), QDate(),
                                   QDate(2010, 11, 21)),
            QStringLiteral("2010_11_21 Gemeinschaftsschau überörtlich"));
  EXPECT_EQ(QFileInfo(entryFilePath(QStringLiteral("/tmp/x/Hasen"))).fileName(), QStringLiteral("Hasen.mel"));
  EXPECT_EQ(QFileInfo(entryFilePath(QStringLiteral("/tmp/x/Hasen.db"))).fileName(), QStringLiteral("Hasen.db.mel"));
  EXPECT_EQ(QFileInfo(entryFilePath(QStringLiteral("/tmp/x/Schau.MEL"))).fileName(), QStringLiteral("Schau.MEL"));
}

class EntryFormFiles : public ::testing::Test {
 protected:
  EntryFormFiles() : stock({11, 132}) {}

  EntryForm sample() {
    EntryForm f;
    f.header.verein = QStringLiteral("K 123");
    f.header.von = QStringLiteral("Jörg Sommer");
    f.header.nummer = QStringLiteral("A-7");
    f.header.ausstellung = QStringLiteral("Kreisschau");
    f.header.datumText = QStringLiteral("8.11.2006");
    f.header.rasse = 4;
    f.header.farbe = 9;
    f.header.unkostenTier = eur("2,50");
    f.header.futterTier = eur("1,00");
    f.header.zgZuschlag = 1;
    f.header.zgBetrag = eur("5,00");
    f.header.freitext = QStringLiteral("Käfigmiete");
    f.header.freitextBetrag = eur("3,20");
    f.header.karte = eur("4,00");
    f.lines[0] = {QStringLiteral("A1"), QStringLiteral("1.5.1"), QStringLiteral("M"), true, false, false, false, true, std::nullopt};
    f.lines[1] = {QStringLiteral("A2"), QStringLiteral("1.5.2"), QStringLiteral("W"), false, true, false, false, false, eur("0")};
    // Line 3 is a gap; line 4 has only a left tattoo and a price.
    f.lines[3] = {QString(), QStringLiteral("2.5.4"), QStringLiteral("W"), false, false, true, true, false, eur("25,00")};
    f.recomputeFees();
    return f;
  }

  QString elsewhere() {
    const QString dir = stock.dir.file(QStringLiteral("formulare"));
    QDir().mkpath(dir);
    return dir;
  }

  StockDirectory stock;
};

TEST_F(EntryFormFiles, RoundTripKeepsHeaderFeesGapLinesAndPrices) {
  ScriptedDialogs dialogs;
  const EntryForm form = sample();
  const QString written = saveEntryFormAs(stock.engine, elsewhere() + QStringLiteral("/Kreisschau"), stock.dir.path(), form);
  ASSERT_EQ(written, elsewhere() + QStringLiteral("/Kreisschau.mel"));
  EXPECT_TRUE(dialogs.shown().empty());

  const std::optional<EntryForm> back = loadEntryForm(stock.engine, written);
  ASSERT_TRUE(back);
  EntryHeader expected = form.header;
  expected.datumText = QStringLiteral("08.11.2006");
  EXPECT_TRUE(back->header == expected);
  EXPECT_TRUE(back->lines == form.lines);
  EXPECT_FALSE(back->lines[0].verkaufspreis);  // not for sale stays apart from 0
  ASSERT_TRUE(back->lines[1].verkaufspreis);
  EXPECT_EQ(back->lines[1].verkaufspreis->units(), 0);
  EXPECT_EQ(back->lines[3].taetoLinks, QStringLiteral("2.5.4"));
  EXPECT_EQ(back->summe().toString(), form.summe().toString());
}

TEST_F(EntryFormFiles, NoSaveNameTouchesTheDataDirectoryTables) {
  ScriptedDialogs dialogs;
  const QString data = stock.dir.path();
  const QStringList before = filesOf(data);
  const qint64 animals = stock.rowCount(QStringLiteral("Hasen"));
  stock.animal(QStringLiteral("Z9"), QStringLiteral("9.9.9"));
  for (const char* name : {"Hasen", "Hasen.db", "HASEN.DB", "Meldebogen", "Sprmel.db"}) {
    const QString written = saveEntryFormAs(stock.engine, data + u'/' + QString::fromLatin1(name), data, sample());
    EXPECT_TRUE(written.endsWith(QLatin1String(".mel"))) << name;
  }
  // Every table file is still there and still a table; only the forms were added.
  QStringList after = filesOf(data);
  for (const QString& f : before) EXPECT_TRUE(after.contains(f)) << f.toStdString();
  after.removeIf([&](const QString& f) { return before.contains(f); });
  EXPECT_EQ(after, (QStringList{QStringLiteral("HASEN.DB.mel"), QStringLiteral("Hasen.db.mel"),
                                QStringLiteral("Hasen.mel"), QStringLiteral("Meldebogen.mel"),
                                QStringLiteral("Sprmel.db.mel")}));
  EXPECT_EQ(stock.rowCount(QStringLiteral("Hasen")), animals + 1);
  EXPECT_TRUE(isProtectedDataFile(data + QStringLiteral("/Hasen.db"), data));
  EXPECT_TRUE(isProtectedDataFile(data + QStringLiteral("/Wurfbuch.DB"), data));
  EXPECT_FALSE(isProtectedDataFile(data + QStringLiteral("/Hasen.mel"), data));
  EXPECT_FALSE(isProtectedDataFile(elsewhere() + QStringLiteral("/Hasen.db"), data));
}

TEST_F(EntryFormFiles, ExistingFileIsReplacedOnlyAfterYes) {
  ScriptedDialogs dialogs;
  const QString target = elsewhere() + QStringLiteral("/Schau.mel");
  EntryForm first = sample();
  ASSERT_FALSE(saveEntryFormAs(stock.engine, target, stock.dir.path(), first).isEmpty());
  EntryForm second = sample();
  second.header.nummer = QStringLiteral("B-8");
  dialogs.no();
  EXPECT_TRUE(saveEntryFormAs(stock.engine, target, stock.dir.path(), second).isEmpty());
  EXPECT_EQ(loadEntryForm(stock.engine, target)->header.nummer, QStringLiteral("A-7"));
  dialogs.yes();
  EXPECT_EQ(saveEntryFormAs(stock.engine, target, stock.dir.path(), second), target);
  EXPECT_EQ(loadEntryForm(stock.engine, target)->header.nummer, QStringLiteral("B-8"));
  EXPECT_EQ(dialogs.texts(), (QStringList{StockDirectory::message(132), StockDirectory::message(132)}));
  EXPECT_EQ(filesOf(elsewhere()), QStringList{QStringLiteral("Schau.mel")});  // no work files left
}

TEST_F(EntryFormFiles, AnInvalidShowDateIsStoredEmptyWithAWarning) {
  ScriptedDialogs dialogs;
  int n = 0;
  for (const char* typed : {"31.02.2006", "1.1.1850", "Pfingsten"}) {
    dialogs.clear();
    EntryForm form = sample();
    form.header.datumText = QString::fromLatin1(typed);
    const QString written =
        saveEntryFormAs(stock.engine, elsewhere() + QStringLiteral("/Datum%1").arg(++n), stock.dir.path(), form);
    ASSERT_FALSE(written.isEmpty()) << typed;
    EXPECT_TRUE(loadEntryForm(stock.engine, written)->header.datumText.isEmpty()) << typed;
    ASSERT_EQ(dialogs.shown().size(), 1u) << typed;
    EXPECT_EQ(dialogs.shown()[0].kind, store::DialogKind::Warning);
    EXPECT_TRUE(dialogs.shown()[0].text.contains(QString::fromLatin1(typed)));
  }
}

TEST_F(EntryFormFiles, FormsOfOlderVersionsInTheDataDirectoryStillLoad) {
  // Older versions wrote into the data directory, stopped at a gap and wrote 0 for no price.
  const QString old = stock.dir.file(QStringLiteral("2004_5_8 Ortsschau.mel"));
  ASSERT_FALSE(saveEntryFormAs(stock.engine, old, QString(), sample()).isEmpty());
  const std::optional<EntryForm> back = loadEntryForm(stock.engine, old);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->header.ausstellung, QStringLiteral("Kreisschau"));
  EXPECT_EQ(back->animalCount(), 3);
}

TEST_F(EntryFormFiles, WindowTablesHoldTwelveClearedLinesAndOneScratchRow) {
  // A stray line and a filled line from an earlier form.
  stock.add(QStringLiteral("Meldebogen"), {{QStringLiteral("Nummer"), 1.0}, {QStringLiteral("TaetoRechts"), QStringLiteral("X1")}});
  stock.add(QStringLiteral("Meldebogen"), {{QStringLiteral("Nummer"), 30.0}});
  EntryFormTables tables(stock.engine);
  tables.reset(7);
  EXPECT_EQ(stock.rowCount(QStringLiteral("Meldebogen")), kEntryLines);
  EntryForm form = tables.read();
  EXPECT_EQ(form.animalCount(), 0);
  EXPECT_EQ(form.header.rasse, 7);
  EXPECT_EQ(form.summe().units(), 0);

  EntryForm written = sample();
  written.header.verein.clear();  // header boxes live in the window, not in the tables
  written.header.von.clear();
  written.header.nummer.clear();
  written.header.ausstellung.clear();
  written.header.datumText.clear();
  tables.write(written);
  const EntryForm back = tables.read();
  EXPECT_TRUE(back.lines == written.lines);
  EXPECT_TRUE(back.header == written.header);
}

}  // namespace
}  // namespace lapiro::shows
