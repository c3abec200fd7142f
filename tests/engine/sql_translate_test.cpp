#include "engine/sql_translate.h"

#include "support/temp_dir.h"

#include <QDir>
#include <QRandomGenerator>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <map>

using namespace lapiro::engine;

namespace {

QString q(const char* text) { return QString::fromUtf8(text); }

void exec(sqlite3* db, const QString& sql) {
  char* err = nullptr;
  const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &err);
  ASSERT_EQ(rc, SQLITE_OK) << (err ? err : "") << " in " << sql.toStdString();
}

// A data directory with a few table files; the table inside each carries the file's base
// name, as the engine stores them. The resolver finds files without regard to case and with
// or without ".db", and reports each table's columns.
class SqlTranslate : public testing::Test {
 protected:
  void SetUp() override {
    makeTable(q("Hasen.db"),
              q("CREATE TABLE Hasen (Nummer INTEGER PRIMARY KEY, TatoRechts VARCHAR(8), TatoLinks VARCHAR(10),"
                " Vater INTEGER, Mutter INTEGER, Geburtstag DATE, Geschlecht VARCHAR(1), Farbe INTEGER,"
                " Rasse INTEGER, Körnote FLOAT, Besitzer INTEGER, Zuechter INTEGER, IDCode VARCHAR(20),"
                " Stallnummer INTEGER, Erbformel VARCHAR(20), Anomalien VARCHAR(20));"
                "INSERT INTO Hasen (Nummer,TatoRechts,TatoLinks,Vater,Mutter,Geburtstag,Geschlecht,Rasse,Besitzer) VALUES"
                " (1,'R1','1.24.1',NULL,NULL,'2024-01-10','1',7,1),"
                " (2,'H2','2.24.5',NULL,NULL,'2024-02-11','2',7,2),"
                " (3,'K3','3.25.1',1,2,'2025-03-01','1',7,NULL),"
                " (4,'K4','3.25.2',1,2,'2025-03-01','2',3,NULL),"
                " (5,'H5','2.24.9',NULL,NULL,'2024-02-20','2',3,NULL),"
                " (6,'K6','5.25.1',1,5,'2025-05-10','2',3,NULL)"));
    makeTable(q("adresse.db"),
              q("CREATE TABLE adresse (LaufendeNr INTEGER PRIMARY KEY, Name VARCHAR(30), Vorname VARCHAR(30),"
                " Telefon VARCHAR(20), Ort VARCHAR(30), PLZ VARCHAR(5), Land VARCHAR(20), Status VARCHAR(20),"
                " Rasse INTEGER);"
                "INSERT INTO adresse VALUES (1,'Müller','Hans','0891','München','80331','DE','Mitglied',12),"
                " (2,'meier','Anna','030','Berlin','10115','DE','Gast',31),"
                " (3,'Meister','Paul','040','Hamburg','20095','DE','Mitglied',5)"));
    makeTable(q("Zwingreg.db"),
              q("CREATE TABLE Zwingreg (LaufendeNummer INTEGER PRIMARY KEY, Zwinger VARCHAR(10), Züchter VARCHAR(30),"
                " PLZ VARCHAR(5), Ort VARCHAR(30), Land VARCHAR(20), Rasse VARCHAR(30), Verein VARCHAR(30),"
                " Strasse VARCHAR(30), Zuchtfarbe VARCHAR(30));"
                "INSERT INTO Zwingreg (LaufendeNummer,Zwinger,Züchter,Ort) VALUES"
                " (1,'B20','Huber','München'), (2,'A10','Lang','münchen'), (3,'C30','Roth','Mühldorf')"));
    makeTable(q("Buchung.db"),
              q("CREATE TABLE Buchung (BuchungsNr INTEGER PRIMARY KEY, Buchungsdatum DATE, Betrag MONEY,"
                " Kontoname INTEGER, Kategorie VARCHAR(30));"
                "INSERT INTO Buchung VALUES (1,'2025-02-10',-500000,1,'Futter'), (2,'2025-03-05',1200000,2,'Verkauf'),"
                " (3,'2025-07-01',-200000,1,'Futter'), (4,'2024-12-31',-100000,1,'Futter')"));
    makeTable(q("KONTEN.DB"),
              q("CREATE TABLE KONTEN (LaufendeNummer INTEGER PRIMARY KEY, Name VARCHAR(30), EinAus VARCHAR(10));"
                "INSERT INTO KONTEN VALUES (1,'Kasse',''), (2,'Bank',''), (3,'Futter','Ausgabe'),"
                " (4,'Verkauf','Einnahme')"));
  }

  void makeTable(const QString& file, const QString& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(dir_.file(file).toUtf8().constData(), &db), SQLITE_OK);
    exec(db, QStringLiteral("PRAGMA synchronous = OFF"));
    exec(db, sql);
    sqlite3_close(db);
  }

  std::optional<ResolvedTable> resolve(const QString& ref) const {
    ++resolveCalls_;
    for (const QString& file : QDir(dir_.path()).entryList(QDir::Files)) {
      const QString base = file.section(u'.', 0, 0);
      if (sameName(file, ref) || sameName(base, ref)) {
        ResolvedTable t{dir_.file(file), base, {}};
        if (withColumns_) t.columns = columnsOf(t);
        return t;
      }
    }
    return std::nullopt;
  }

  static QStringList columnsOf(const ResolvedTable& t) {
    QStringList cols;
    sqlite3* db = nullptr;
    sqlite3_open_v2(t.filePath.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, QStringLiteral("PRAGMA table_info(\"%1\")").arg(t.tableName).toUtf8().constData(), -1,
                       &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW) cols << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
    sqlite3_finalize(st);
    sqlite3_close(db);
    return cols;
  }

  TranslatedSql translate(const QString& statement) const {
    return translateSql(statement, [this](const QString& ref) { return resolve(ref); });
  }

  struct Result {
    QStringList columns;  // made unique like the engine names them
    QStringList rows;     // values joined by "|"
  };

  // Runs a translated statement the way the engine does: attach, prepare, bind by name.
  Result run(const QString& statement, const std::map<QString, QString>& params = {},
             bool caseSensitiveLike = false) const {
    const TranslatedSql t = translate(statement);
    Result result;
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    if (caseSensitiveLike) exec(db, QStringLiteral("PRAGMA case_sensitive_like = ON"));
    for (const AttachedFile& a : t.attach) {
      sqlite3_stmt* at = nullptr;
      const QString sql = QStringLiteral("ATTACH DATABASE ?1 AS %1").arg(a.schema);
      EXPECT_EQ(sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &at, nullptr), SQLITE_OK);
      const QByteArray path = a.filePath.toUtf8();
      sqlite3_bind_text(at, 1, path.constData(), -1, SQLITE_TRANSIENT);
      EXPECT_EQ(sqlite3_step(at), SQLITE_DONE);
      sqlite3_finalize(at);
    }
    sqlite3_stmt* st = nullptr;
    const QByteArray sql = t.sql.toUtf8();
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr) != SQLITE_OK) {
      ADD_FAILURE() << sqlite3_errmsg(db) << " in " << t.sql.toStdString();
      sqlite3_close(db);
      return result;
    }
    for (const QString& name : t.parameters) {
      const int index = sqlite3_bind_parameter_index(st, (u':' + name).toUtf8().constData());
      EXPECT_GT(index, 0) << name.toStdString();
      const auto value = params.find(name);
      EXPECT_NE(value, params.end()) << "no value for " << name.toStdString();
      if (value != params.end())
        sqlite3_bind_text(st, index, value->second.toUtf8().constData(), -1, SQLITE_TRANSIENT);
    }
    QStringList used;
    for (int c = 0; c < sqlite3_column_count(st); ++c)
      result.columns << uniqueColumnName(QString::fromUtf8(sqlite3_column_name(st, c)), used);
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
      QStringList values;
      for (int c = 0; c < sqlite3_column_count(st); ++c)
        values << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, c)));
      result.rows << values.join(u'|');
    }
    EXPECT_EQ(rc, SQLITE_DONE) << sqlite3_errmsg(db);
    sqlite3_finalize(st);
    sqlite3_close(db);
    return result;
  }

  // The value of `column` in every row.
  static QStringList column(const Result& r, const QString& name) {
    const auto c = r.columns.indexOf(name);
    QStringList values;
    for (const QString& row : r.rows) values << row.section(u'|', c, c);
    return values;
  }

  lapiro::test::TempDir dir_;
  bool withColumns_ = true;
  mutable int resolveCalls_ = 0;
};

const char* kMatingsSelect =
    "SELECT b.TatoRechts,b.TatoLinks,a.%1,%2,a.TatoRechts,a.TatoLinks,a.Geschlecht,a.nummer,b.nummer,a.Farbe,"
    "a.Rasse,a.Körnote,a.Besitzer,a.Zuechter,a.IDCode,b.Farbe,b.Rasse,b.Körnote,b.Besitzer,b.Zuechter\n"
    "FROM Hasen.db a,Hasen.db b\n"
    "WHERE (a.%3=%4)and\n"
    "      (a.%5=b.Nummer)\n"
    "ORDER BY b.TatoRechts,b.TatoLinks,%2 DESC,a.TatoRechts,a.TatoLinks";

TEST_F(SqlTranslate, SelfJoinOfOneFileAttachesItOnceAndNamesDuplicateColumns) {
  const QString buck = q(kMatingsSelect).arg(q("Mutter"), q("a.Geburtstag"), q("Vater"), q("1"), q("Mutter"));
  const TranslatedSql t = translate(buck);
  EXPECT_EQ(t.kind, TranslatedSql::Kind::Query);
  ASSERT_EQ(t.attach.size(), 1u);
  EXPECT_EQ(t.attach[0].schema, q("t0"));
  EXPECT_TRUE(t.sql.contains(q("FROM t0.\"Hasen\" AS a,t0.\"Hasen\" AS b\n"))) << t.sql.toStdString();

  const Result r = run(buck);
  // Litters of buck 1: with doe H2 (two young), with doe H5 (one young), does in tattoo order.
  EXPECT_EQ(column(r, q("TatoRechts")), (QStringList{q("H2"), q("H2"), q("H5")}));
  EXPECT_EQ(column(r, q("TatoRechts_1")), (QStringList{q("K3"), q("K4"), q("K6")}));
  EXPECT_EQ(r.columns.mid(0, 2), (QStringList{q("TatoRechts"), q("TatoLinks")}));
  EXPECT_TRUE(r.columns.contains(q("Körnote_1")));
}

TEST_F(SqlTranslate, UnqualifiedColumnOfASelfJoinTakesTheFirstTable) {
  // The doe's variant names Geburtstag without a qualifier; both aliases carry it.
  const QString doe = q(kMatingsSelect).arg(q("Vater"), q("Geburtstag"), q("Mutter"), q("2"), q("Vater"));
  const TranslatedSql t = translate(doe);
  EXPECT_TRUE(t.sql.contains(q("a.Vater,a.Geburtstag,"))) << t.sql.toStdString();
  EXPECT_TRUE(t.sql.contains(q("b.TatoLinks,a.Geburtstag DESC"))) << t.sql.toStdString();
  const Result r = run(doe);
  EXPECT_EQ(column(r, q("TatoRechts")), (QStringList{q("R1"), q("R1")}));
  EXPECT_EQ(column(r, q("Geburtstag")), (QStringList{q("2025-03-01"), q("2025-03-01")}));

  // Without column knowledge the statement passes through unchanged.
  withColumns_ = false;
  EXPECT_TRUE(translate(doe).sql.contains(q("a.Vater,Geburtstag,")));
  // Result aliases and single-table columns are never qualified.
  withColumns_ = true;
  const QString aliased = q("SELECT a.Nummer AS TatoLinks FROM Hasen.db a, Buchung.db b ORDER BY TatoLinks");
  EXPECT_TRUE(translate(aliased).sql.endsWith(q("ORDER BY TatoLinks")));
}

TEST_F(SqlTranslate, BookkeepingJoinsBindDateParameters) {
  const QString category = q(
      "Select b.BuchungsNr,b.buchungsdatum,b.betrag,k.name,b.kontoname,b.Kategorie,\n"
      "       k.laufendeNummer  from\n"
      "Buchung.db b,konten.db k\n"
      "where\n"
      "  (b.Kategorie= :Name) and\n"
      "  (b.Buchungsdatum>=:Datum1) and (b.Buchungsdatum<=:Datum2)and\n"
      "  (b.Kontoname=k.LaufendeNummer)\n"
      "order by\n"
      "  b.buchungsdatum,k.name");
  const TranslatedSql t = translate(category);
  EXPECT_EQ(t.parameters, (QStringList{q("Name"), q("Datum1"), q("Datum2")}));
  EXPECT_EQ(t.attach.size(), 2u);
  const Result r = run(category, {{q("Name"), q("Futter")}, {q("Datum1"), q("2025-01-01")},
                                  {q("Datum2"), q("2025-06-30")}});
  EXPECT_EQ(r.rows, QStringList{q("1|2025-02-10|-500000|Kasse|1|Futter|1")});

  const QString income = q(
      "Select B.BuchungsNr,B.Kontoname,B.Kategorie,B.Buchungsdatum,\n"
      "       B.Betrag,K.EinAus,A.Name\n"
      "From Buchung.db B,Konten.db K,Konten.db A\n"
      "Where (B.Kontoname=A.LaufendeNummer)and(B.Kategorie=K.Name)and\n"
      "      (Buchungsdatum>=:Datum1)and(Buchungsdatum<=:Datum2)and\n"
      "      (K.EinAus='%1')\n"
      "Order By Buchungsdatum");
  EXPECT_EQ(translate(income.arg(q("Einnahme"))).attach.size(), 2u);  // Konten.db once
  const std::map<QString, QString> year{{q("Datum1"), q("2025-01-01")}, {q("Datum2"), q("2025-12-31")}};
  EXPECT_EQ(column(run(income.arg(q("Einnahme")), year), q("Name")), QStringList{q("Bank")});
  EXPECT_EQ(column(run(income.arg(q("Ausgabe")), year), q("BuchungsNr")), (QStringList{q("1"), q("3")}));
}

TEST_F(SqlTranslate, SingleTableSearchesOfTheWindows) {
  // Young-animal list: a table named without extension, date parameters.
  const QString young = q(
      "Select Geschlecht,TatoRechts,TatoLinks,Erbformel,Anomalien,Farbe,Vater,Mutter,Rasse\n"
      "from Hasen\nWhere (Geburtstag>=:AuswahlAnfang)and(Geburtstag<=:AuswahlEnde)\norder by Rasse,TatoLinks");
  const Result r = run(young, {{q("AuswahlAnfang"), q("2025-01-01")}, {q("AuswahlEnde"), q("2025-04-30")}});
  EXPECT_EQ(column(r, q("TatoRechts")), (QStringList{q("K4"), q("K3")}));

  // Animal search: double-quoted values, OR lists, the doe condition with its blank.
  const QString search = q(
      "SELECT * from \"Hasen.db\"\n Where \nTatoLinks like \"3.25%\"\n AND \n(Rasse = \"3\" OR Rasse = \"7\")\n"
      " AND (Geschlecht=\"2\" ) AND (Nummer<>6)\nORDER BY TatoRechts,TatoLinks");
  EXPECT_EQ(column(run(search), q("TatoRechts")), QStringList{q("K4")});

  // Address search: UPPER ... like UPPER("X%"), the breed list, alias = base name.
  const QString address = q(
      "SELECT * from \"adresse.db\"\n Where \nUPPER(Name) like UPPER(\"me%\")\n AND \n"
      "(Rasse = \"12\" OR Rasse = \"31\")\nORDER BY adresse.Name,Vorname");
  EXPECT_EQ(column(run(address), q("Vorname")), QStringList{q("Anna")});

  // Breeder register: the connection compares LIKE with case, as the window expects.
  const QString reg = q(
      "SELECT z.LaufendeNummer,z.Zwinger,z.Züchter,z.PLZ,Z.Ort,Z.Land,Z.Rasse,z.Verein,z.Strasse,z.Zuchtfarbe\n"
      "from Zwingreg.db z\n Where \nz.Ort like \"Mün%\"\nORDER BY Zwinger");
  EXPECT_EQ(column(run(reg, {}, true), q("Züchter")), QStringList{q("Huber")});
  const QString all = q("SELECT z.Zwinger from Zwingreg.db z ORDER BY Zwinger");
  EXPECT_EQ(run(all).rows, (QStringList{q("A10"), q("B20"), q("C30")}));
}

TEST_F(SqlTranslate, LiteralsCommentsAndQuotedValuesStayUntouched) {
  const QString literal = q("'FROM Nirgends.db x, \"y\" -- it''s :Kein'");
  const QString sql = q("SELECT %1 AS t, \"Hasen.db\" AS u FROM Hasen.db -- FROM Nirgends.db\n"
                        "/* JOIN Nirgends.db */ WHERE TatoRechts <> 'a,b FROM c'")
                          .arg(literal);
  const TranslatedSql t = translate(sql);
  EXPECT_TRUE(t.sql.contains(literal));
  EXPECT_TRUE(t.sql.contains(q("-- FROM Nirgends.db\n/* JOIN Nirgends.db */")));
  EXPECT_TRUE(t.sql.contains(q("\"Hasen.db\" AS u FROM t0.\"Hasen\" AS Hasen -- FROM")));
  EXPECT_TRUE(t.parameters.isEmpty());
  EXPECT_EQ(t.attach.size(), 1u);
  const Result r = run(sql);
  ASSERT_EQ(r.rows.size(), 6);
  EXPECT_EQ(r.rows[0].section(u'|', 0, 0), q("FROM Nirgends.db x, \"y\" -- it's :Kein"));
}

TEST_F(SqlTranslate, SubqueriesJoinsAndChangingStatements) {
  const QString sub = q("SELECT Name FROM \"adresse.db\" WHERE LaufendeNr IN "
                        "(SELECT Besitzer FROM Hasen.db h WHERE Geschlecht='2') ORDER BY Name");
  EXPECT_EQ(run(sub).rows, QStringList{q("meier")});
  const QString join = q("SELECT h.TatoRechts, a.Name FROM Hasen.db h LEFT JOIN Adresse AS a "
                         "ON a.LaufendeNr = h.Besitzer WHERE h.Nummer < 3 ORDER BY h.Nummer");
  EXPECT_EQ(run(join).rows, (QStringList{q("R1|Müller"), q("H2|meier")}));
  const QString derived = q("SELECT x.n FROM (SELECT count(*) AS n FROM Hasen) x, Hasen.db WHERE Hasen.Nummer = 1");
  EXPECT_EQ(run(derived).rows, QStringList{q("6")});

  const TranslatedSql upd = translate(q("UPDATE Hasen.db SET Stallnummer = :Nr WHERE Nummer = 3;"));
  EXPECT_EQ(upd.kind, TranslatedSql::Kind::Other);
  EXPECT_EQ(upd.sql, q("UPDATE t0.\"Hasen\" AS Hasen SET Stallnummer = :Nr WHERE Nummer = 3"));
  EXPECT_EQ(translate(q("INSERT INTO \"KONTEN.DB\" (Name) VALUES ('x')")).sql,
            q("INSERT INTO t0.\"KONTEN\" AS KONTEN (Name) VALUES ('x')"));
  EXPECT_EQ(translate(q("DELETE FROM Buchung WHERE BuchungsNr = 4")).sql,
            q("DELETE FROM t0.\"Buchung\" AS Buchung WHERE BuchungsNr = 4"));
  const TranslatedSql cte = translate(q("WITH j AS (SELECT * FROM Hasen WHERE Vater = 1) SELECT count(*) FROM j"));
  EXPECT_EQ(cte.kind, TranslatedSql::Kind::Query);
  EXPECT_EQ(cte.attach.size(), 1u);
}

TEST_F(SqlTranslate, AlterTableSplitsIntoOperations) {
  const TranslatedSql angora = translate(q("ALTER TABLE \"Hasen.db\" ADD  JWEInsgesamt INTEGER,ADD WRZInsgesamt INTEGER"));
  EXPECT_EQ(angora.kind, TranslatedSql::Kind::Alter);
  EXPECT_EQ(angora.alterTable.tableName, q("Hasen"));
  EXPECT_TRUE(angora.sql.isEmpty());
  ASSERT_EQ(angora.alterOps.size(), 2u);
  EXPECT_EQ(angora.alterOps[0].field, q("JWEInsgesamt"));
  EXPECT_EQ(angora.alterOps[1].field, q("WRZInsgesamt"));
  EXPECT_EQ(angora.alterOps[1].type, FieldType::Long);

  const TranslatedSql adr = translate(
      q("ALTER TABLE \"Adresse.db\" ADD  MitgliedsNr CHAR(20),ADD Eintritt date,ADD Gekuendigt date,"
        "ADD Austritt date,ADD Abonnent Boolean"));
  EXPECT_EQ(adr.alterTable.filePath, dir_.file(q("adresse.db")));
  ASSERT_EQ(adr.alterOps.size(), 5u);
  EXPECT_EQ(adr.alterOps[0].type, FieldType::Alpha);
  EXPECT_EQ(adr.alterOps[0].size, 20);
  EXPECT_EQ(adr.alterOps[3].type, FieldType::Date);
  EXPECT_EQ(adr.alterOps[4].field, q("Abonnent"));
  EXPECT_EQ(adr.alterOps[4].type, FieldType::Logical);

  const std::vector<std::pair<const char*, FieldType>> single = {
      {"ALTER TABLE \"Hasen.db\" ADD Druckbild SMALLINT", FieldType::Short},
      {"ALTER TABLE \"Hasen.db\" ADD EigeneBewertung FLOAT", FieldType::Number},
      {"ALTER TABLE \"Hasen.db\" ADD Bewertung float", FieldType::Number},
      {"alter table Hasen add Kreisverband CHAR ( 50 )", FieldType::Alpha}};
  for (const auto& [sql, type] : single) {
    const TranslatedSql t = translate(q(sql));
    ASSERT_EQ(t.alterOps.size(), 1u) << sql;
    EXPECT_EQ(t.alterOps[0].kind, AlterOp::Kind::Add) << sql;
    EXPECT_EQ(t.alterOps[0].type, type) << sql;
  }
  const TranslatedSql drop = translate(q("ALTER TABLE \"Hasen.db\" DROP Stallnummer"));
  ASSERT_EQ(drop.alterOps.size(), 1u);
  EXPECT_EQ(drop.alterOps[0].kind, AlterOp::Kind::Drop);
  EXPECT_EQ(drop.alterOps[0].field, q("Stallnummer"));
}

void expectBadStatement(const std::function<TranslatedSql()>& translate, const QString& sql,
                        const QString& messageStart) {
  try {
    translate();
    ADD_FAILURE() << "accepted: " << sql.toStdString();
  } catch (const EngineError& e) {
    EXPECT_EQ(e.kind(), EngineError::Kind::BadStatement) << sql.toStdString();
    EXPECT_TRUE(e.message().startsWith(messageStart)) << e.message().toStdString() << " for " << sql.toStdString();
  }
}

TEST_F(SqlTranslate, MalformedStatementsAreRejectedWithPosition) {
  const QString at = q("Fehler in der SQL-Anweisung an Position ");
  const std::vector<std::pair<const char*, QString>> cases = {
      {"", at + q("1:")},
      {";", at + q("1:")},
      {"SELECT * FROM", at + q("14:")},
      {"SELECT * FROM Hasen.db, WHERE Nummer = 1", at + q("25:")},
      {"SELECT 'abc FROM Hasen", at + q("8:")},
      {"SELECT \"abc FROM Hasen", at + q("8:")},
      {"SELECT [abc FROM Hasen", at + q("8:")},
      {"SELECT * FROM Hasen /* open", at + q("21:")},
      {"SELECT (1 FROM Hasen", at + q("8:")},
      {"SELECT 1) FROM Hasen", at + q("9:")},
      {"SELECT 1 FROM Hasen; DROP TABLE Hasen", at + q("20:")},
      {"SELECT # FROM Hasen", at + q("8:")},
      {"SELECT : FROM Hasen", at + q("8:")},
      {"SELECT * FROM Nirgends.db", q("Tabelle nicht gefunden: Nirgends.db")},
      {"SELECT * FROM Hasen JOIN \"Nirgends\" ON 1", q("Tabelle nicht gefunden: Nirgends")},
      {"ALTER TABLE Nirgends.db ADD x INTEGER", q("Tabelle nicht gefunden: Nirgends.db")},
      {"ALTER TABLE \"Hasen.db\" ADD x WHATEVER", at + q("30:")},
      {"ALTER TABLE \"Hasen.db\" ADD", at + q("27:")},
      {"ALTER TABLE \"Hasen.db\" ADD x INTEGER, y INTEGER", at + q("39:")},
      {"ALTER TABLE \"Hasen.db\" DROP x INTEGER", at + q("31:")},
      {"ALTER TABLE \"Hasen.db\" RENAME TO y", at + q("24:")},
      {"ALTER VIEW x", at + q("7:")},
  };
  for (const auto& [sql, message] : cases)
    expectBadStatement([&] { return translate(q(sql)); }, q(sql), message);
}

TEST_F(SqlTranslate, JunkNeverCrashes) {
  const QStringList pieces = {q("SELECT"), q("FROM"), q("Hasen.db"), q("a"), q(","), q("("), q(")"), q("'x"),
                              q("'"), q("\""), q("["), q("]"), q(":p"), q(":"), q("."), q("db"), q("JOIN"),
                              q("ALTER"), q("TABLE"), q("ADD"), q("DROP"), q("CHAR(5)"), q("--"), q("/*"),
                              q("*/"), q("WHERE"), q("AS"), q(";"), q("ü"), q("UPDATE"), q("INTO"), q("WITH")};
  QRandomGenerator rng(4711);
  int accepted = 0;
  for (int round = 0; round < 3000; ++round) {
    QString sql;
    const int n = rng.bounded(1, 12);
    for (int i = 0; i < n; ++i) sql += pieces[rng.bounded(int(pieces.size()))] + (rng.bounded(2) ? q(" ") : QString());
    try {
      translate(sql);
      ++accepted;
    } catch (const EngineError& e) {
      EXPECT_EQ(e.kind(), EngineError::Kind::BadStatement) << sql.toStdString();
    }
  }
  EXPECT_GT(accepted, 0);
}

TEST(SqlUniqueColumnName, NumbersRepeatedNamesWithoutRegardToCase) {
  QStringList used;
  EXPECT_EQ(uniqueColumnName(QStringLiteral("TatoRechts"), used), QStringLiteral("TatoRechts"));
  EXPECT_EQ(uniqueColumnName(QStringLiteral("tatorechts"), used), QStringLiteral("tatorechts_1"));
  EXPECT_EQ(uniqueColumnName(QStringLiteral("TatoRechts"), used), QStringLiteral("TatoRechts_2"));
  // A name that already looks numbered is not confused with a generated one.
  EXPECT_EQ(uniqueColumnName(QStringLiteral("TatoRechts_1"), used), QStringLiteral("TatoRechts_1_1"));
  EXPECT_EQ(used.size(), 4);
}

}  // namespace
