#include "engine/filter.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <functional>
#include <random>
#include <vector>

using namespace lapiro::engine;
using namespace Qt::StringLiterals;

namespace {

struct Field {
  const char16_t* name;
  FieldType type;
};

// The fields of the test tables: a few of the animal table, of the litter book and of the
// show table, with one of every type the translator converts to.
const Field kFields[] = {
    {u"Nr", FieldType::AutoInc},
    {u"Name", FieldType::Alpha},
    {u"Geschlecht", FieldType::Alpha},
    {u"Geburtstag", FieldType::Date},
    {u"Status", FieldType::Short},
    {u"Mutter", FieldType::Long},
    {u"Betrag", FieldType::Money},
    {u"Gewicht", FieldType::Number},
    {u"Aktiv", FieldType::Logical},
    {u"Min Gewicht", FieldType::Number},
    {u"Info", FieldType::Memo},
    {u"Bild", FieldType::Graphic},
    {u"Titel", FieldType::Alpha},
    {u"Kater", FieldType::Long},
    {u"Wurftag", FieldType::Date},
    {u"WurfStMaennlich", FieldType::Short},
    {u"WurfStWeiblich", FieldType::Short},
    {u"Züchter", FieldType::Alpha},
};

std::optional<FilterColumn> resolveField(const QString& name) {
  for (const Field& f : kFields) {
    const QString fieldName = QString::fromUtf16(f.name);
    if (sameName(fieldName, name)) return FilterColumn{u'"' + fieldName + u'"', f.type};
  }
  return std::nullopt;
}

FilterSql translate(const QString& expression) {
  return translateFilter(expression, resolveField);
}

// An in-memory table holding the fields above, evaluated with the translated filters.
class FilterTable : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(sqlite3_open(":memory:", &db_), SQLITE_OK);
    exec(R"(CREATE TABLE t ("Nr" INTEGER PRIMARY KEY, "Name" VARCHAR(20), "Geschlecht" VARCHAR(1),
              "Geburtstag" DATE, "Status" SMALLINT, "Mutter" INTEGER, "Betrag" MONEY,
              "Gewicht" FLOAT, "Aktiv" BOOLEAN, "Min Gewicht" FLOAT, "Info" TEXT(1), "Bild" BLOB,
              "Titel" VARCHAR(40), "Kater" INTEGER, "Wurftag" DATE, "WurfStMaennlich" SMALLINT,
              "WurfStWeiblich" SMALLINT, "Züchter" VARCHAR(20)))");
    // Nr Name Geschl Geburtstag Status Mutter Betrag Gewicht Aktiv MinGew Titel
    exec(R"(INSERT INTO t ("Nr","Name","Geschlecht","Geburtstag","Status","Mutter","Betrag","Gewicht",
              "Aktiv","Min Gewicht","Titel") VALUES
      (1, 'Anton',     '1', '2025-12-31', 1,    5,    125000, 3.5,  1, 3.0,  'Körung vom Herdbuch'),
      (2, 'Bauer''s',  '2', '2025-10-05', 3,    5,    NULL,   4.25, 0, NULL, 'Landesschau'),
      (3, NULL,        '2', '2026-01-01', 3,    NULL, -30000, NULL, 0, 2.5,  NULL),
      (4, 'Anna',      '1', '2026-02-15', NULL, 5,    0,      2.0,  1, 2.0,  'Körung vom Herdbuch'),
      (5, 'A%x',       NULL,NULL,         2,    7,    1000,   5.0,  NULL, 5.5, 'Kreisschau'),
      (6, 'Ännchen',   '2', '2025-03-01', 1,    5,    NULL,   NULL, 1, NULL, NULL))");
  }
  void TearDown() override { sqlite3_close(db_); }

  void exec(const char* sql) {
    char* err = nullptr;
    ASSERT_EQ(sqlite3_exec(db_, sql, nullptr, nullptr, &err), SQLITE_OK) << (err ? err : "");
  }

  // Prepares "SELECT Nr FROM t WHERE <where>" with the binds; fails the test when SQLite
  // rejects the statement or the number of placeholders does not match.
  sqlite3_stmt* prepare(const FilterSql& f) {
    const QByteArray sql = "SELECT \"Nr\" FROM t WHERE " + f.where.toUtf8() + " ORDER BY \"Nr\"";
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, sql.constData(), -1, &stmt, nullptr) != SQLITE_OK) {
      ADD_FAILURE() << "SQLite rejects: " << sql.constData() << ": " << sqlite3_errmsg(db_);
      return nullptr;
    }
    EXPECT_EQ(sqlite3_bind_parameter_count(stmt), f.binds.size()) << sql.constData();
    for (int i = 0; i < f.binds.size(); ++i) {
      const QVariant& v = f.binds[i];
      switch (v.typeId()) {
        case QMetaType::LongLong:
          sqlite3_bind_int64(stmt, i + 1, v.toLongLong());
          break;
        case QMetaType::Double:
          sqlite3_bind_double(stmt, i + 1, v.toDouble());
          break;
        case QMetaType::QString:
          sqlite3_bind_text(stmt, i + 1, v.toString().toUtf8().constData(), -1, SQLITE_TRANSIENT);
          break;
        default:
          ADD_FAILURE() << "unexpected bind type " << v.typeName();
      }
    }
    return stmt;
  }

  std::vector<int> rows(const QString& expression) {
    std::vector<int> out;
    sqlite3_stmt* stmt = prepare(translate(expression));
    if (!stmt) return out;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) out.push_back(sqlite3_column_int(stmt, 0));
    EXPECT_EQ(rc, SQLITE_DONE) << sqlite3_errmsg(db_);
    sqlite3_finalize(stmt);
    return out;
  }

  sqlite3* db_ = nullptr;
};

using Rows = std::vector<int>;

void expectBadFilter(const QString& expression) {
  try {
    translate(expression);
    ADD_FAILURE() << "accepted: " << expression.toStdString();
  } catch (const EngineError& e) {
    EXPECT_EQ(e.kind(), EngineError::Kind::BadFilter) << expression.toStdString();
    EXPECT_TRUE(e.message().startsWith(u"Ungültiger Filter: ")) << e.message().toStdString();
  }
}

QVariant ll(qlonglong v) {
  return QVariant::fromValue(v);
}

}  // namespace

TEST(FilterTranslation, ProgramFiltersGiveBoundSql) {
  FilterSql f = translate(QStringLiteral("Status=1 OR Status=3"));
  EXPECT_EQ(f.where, QStringLiteral(R"(("Status" = ? OR "Status" = ?))"));
  EXPECT_EQ(f.binds, (QVariantList{ll(1), ll(3)}));

  f = translate(QStringLiteral(
      "(Kater = 17) and(Wurftag >= '01.01.2026')and(((WurfStMaennlich>=1)and(WurfStWeiblich>=2))"
      "or(WurfStMaennlich>=3))"));
  EXPECT_EQ(
      f.where,
      QStringLiteral(R"(("Kater" = ? AND "Wurftag" >= ? AND )"
                     R"((("WurfStMaennlich" >= ? AND "WurfStWeiblich" >= ?) OR "WurfStMaennlich" >= ?)))"));
  EXPECT_EQ(f.binds, (QVariantList{ll(17), QStringLiteral("2026-01-01"), ll(1), ll(2), ll(3)}));

  f = translate(QStringLiteral("Titel='Körung vom Herdbuch'"));
  EXPECT_EQ(f.where, QStringLiteral(R"("Titel" = ?)"));
  EXPECT_EQ(f.binds, (QVariantList{QStringLiteral("Körung vom Herdbuch")}));

  f = translate(QStringLiteral("(Mutter=5)and(Geburtstag='01.03.2025')"));
  EXPECT_EQ(f.where, QStringLiteral(R"(("Mutter" = ? AND "Geburtstag" = ?))"));
  EXPECT_EQ(f.binds, (QVariantList{ll(5), QStringLiteral("2025-03-01")}));
}

TEST(FilterTranslation, LiteralsTakeTheStorageFormOfTheirField) {
  auto bindOf = [](const char16_t* expr) {
    FilterSql f = translate(QString::fromUtf16(expr));
    EXPECT_EQ(f.binds.size(), 1) << f.where.toStdString();
    return f.binds.value(0);
  };
  EXPECT_EQ(bindOf(u"Geschlecht=1"), QVariant(QStringLiteral("1")));
  EXPECT_EQ(bindOf(u"Geburtstag='1.3.2025'"), QVariant(QStringLiteral("2025-03-01")));
  EXPECT_EQ(bindOf(u"Geburtstag=\"2024-02-29\""), QVariant(QStringLiteral("2024-02-29")));
  EXPECT_EQ(bindOf(u"Betrag>'12,50'"), ll(125000));
  EXPECT_EQ(bindOf(u"Betrag>-0.5"), ll(-5000));
  EXPECT_EQ(bindOf(u"Gewicht>'3,75'"), QVariant(3.75));
  EXPECT_EQ(bindOf(u"Gewicht>2.5"), QVariant(2.5));
  EXPECT_EQ(bindOf(u"Aktiv=TRUE"), ll(1));
  EXPECT_EQ(bindOf(u"Aktiv='f'"), ll(0));
  EXPECT_EQ(bindOf(u"Aktiv=1"), ll(1));
  EXPECT_EQ(bindOf(u"Nr<' 12 '"), ll(12));
  EXPECT_EQ(bindOf(u"Status=3").typeId(), QMetaType::LongLong);
  EXPECT_EQ(bindOf(u"Betrag=3").typeId(), QMetaType::LongLong);
  EXPECT_EQ(bindOf(u"Gewicht=3").typeId(), QMetaType::Double);
  // The literal may stand on the left; the operator is mirrored.
  EXPECT_EQ(translate(QStringLiteral("3 < Status")).where, QStringLiteral(R"("Status" > ?)"));
  // Keywords in any case, umlauts in field names, bracketed names, != as <>.
  EXPECT_EQ(
      translate(QStringLiteral("züchter='X' aNd [min gewicht]>1 Or nOt Status!=2")).where,
      QStringLiteral(
          R"((("Züchter" = ? AND "Min Gewicht" > ?) OR (NOT coalesce(("Status" IS NULL OR "Status" <> ?), 0))))"));
}

TEST(FilterTranslation, BlankExpressionRestrictsNothing) {
  EXPECT_TRUE(translate(QString()).where.isEmpty());
  EXPECT_TRUE(translate(QStringLiteral("   ")).where.isEmpty());
}

TEST(FilterTranslation, MalformedInputIsBadFilter) {
  for (const char16_t* bad : {u"Xyz=1",
                              u"Status=",
                              u"Status",
                              u"=1",
                              u"Status=1 AND",
                              u"OR Status=1",
                              u"(Status=1",
                              u"Status=1)",
                              u"((Status=1)",
                              u"Status=1 Status=2",
                              u"Status==1",
                              u"1=1",
                              u"'a'='a'",
                              u"NULL IS NULL",
                              u"Status IS 5",
                              u"Name='offen",
                              u"[Min Gewicht",
                              u"[]=1",
                              u"Status=1;",
                              u"Status=1.5",
                              u"Status='drei'",
                              u"Betrag='12,55555'",
                              u"Gewicht='x'",
                              u"Aktiv='ja'",
                              u"Aktiv=2",
                              u"Name=TRUE",
                              u"Geburtstag='31.02.2025'",
                              u"Geburtstag='2025-13-01'",
                              u"Geburtstag=20250101",
                              u"Geburtstag='01.01.25'",
                              u"Geburtstag='Heute'",
                              u"Bild='x'",
                              u"Status<NULL",
                              u"Geburtstag>''",
                              u"Status=99999999999999999999",
                              u"Gewicht>'1e999'",
                              u"NOT",
                              u"()",
                              u"Status=1 AND AND Status=2",
                              u"Status <> > 1"}) {
    expectBadFilter(QString::fromUtf16(bad));
  }
  try {
    translate(QStringLiteral("Status=1 and Xyz=2"));
    FAIL();
  } catch (const EngineError& e) {
    EXPECT_EQ(e.message(), QStringLiteral("Ungültiger Filter: unbekanntes Feld »Xyz«"));
    EXPECT_EQ(e.detail(), QStringLiteral("Xyz"));
  }
  try {
    translate(QStringLiteral("Status=1 # 2"));
    FAIL();
  } catch (const EngineError& e) {
    EXPECT_TRUE(e.message().endsWith(u"an Position 10")) << e.message().toStdString();
  }
  // A resolver that knows nothing.
  EXPECT_THROW(translateFilter(QStringLiteral("Status=1"), FilterResolver()), EngineError);
}

TEST(FilterTranslation, DeepNestingIsRefusedNotCrashed) {
  const QString ok = QString(150, u'(') + QStringLiteral("Status=1") + QString(150, u')');
  EXPECT_EQ(translate(ok).where, QStringLiteral(R"("Status" = ?)"));
  expectBadFilter(QString(200, u'(') + QStringLiteral("Status=1") + QString(200, u')'));
  expectBadFilter(QString(100000, u'('));
  expectBadFilter(QStringLiteral("NOT ").repeated(100000) + QStringLiteral("Status=1"));
}

TEST_F(FilterTable, ComparesNumbersTextAndFields) {
  EXPECT_EQ(rows(QStringLiteral("Status=1 OR Status=3")), (Rows{1, 2, 3, 6}));
  EXPECT_EQ(rows(QStringLiteral("Geschlecht=1")), (Rows{1, 4}));
  EXPECT_EQ(rows(QStringLiteral("Titel='Körung vom Herdbuch'")), (Rows{1, 4}));
  EXPECT_EQ(rows(QStringLiteral("Betrag >= '0,10'")), (Rows{1, 5}));
  EXPECT_EQ(rows(QStringLiteral("Gewicht > '3,5'")), (Rows{2, 5}));
  EXPECT_EQ(rows(QStringLiteral("Aktiv = TRUE")), (Rows{1, 4, 6}));
  EXPECT_EQ(rows(QStringLiteral("Aktiv = 'F'")), (Rows{2, 3}));
  EXPECT_EQ(rows(QStringLiteral("[Min Gewicht] < Gewicht")), (Rows{1}));
  EXPECT_EQ(rows(QStringLiteral("[Min Gewicht] = Gewicht")), (Rows{4, 6}));  // two empties are equal
  EXPECT_EQ(rows(QStringLiteral("[Min Gewicht] <> Gewicht")), (Rows{1, 2, 3, 5}));
  EXPECT_EQ(rows(QStringLiteral("(Mutter=5)and(Geburtstag='01.03.2025')")), (Rows{6}));
}

TEST_F(FilterTable, DatesCompareChronologicallyAcrossMonthsAndYears) {
  EXPECT_EQ(rows(QStringLiteral("Geburtstag >= '01.01.2026'")), (Rows{3, 4}));
  EXPECT_EQ(rows(QStringLiteral("Geburtstag < '1.2.2026'")), (Rows{1, 2, 3, 6}));
  // As German text "05.10.2025" would sort before "9.2.2025".
  EXPECT_EQ(rows(QStringLiteral("Geburtstag > '9.2.2025' and Geburtstag <= '2025-12-31'")), (Rows{1, 2, 6}));
  EXPECT_EQ(rows(QStringLiteral("Geburtstag = '31.12.2025'")), (Rows{1}));
}

TEST_F(FilterTable, EmptyFieldsAreNullAndUnequalToValues) {
  EXPECT_EQ(rows(QStringLiteral("Name = ''")), (Rows{3}));
  EXPECT_EQ(rows(QStringLiteral("Name = NULL")), (Rows{3}));
  EXPECT_EQ(rows(QStringLiteral("Status IS NULL")), (Rows{4}));
  EXPECT_EQ(rows(QStringLiteral("Status is not null")), (Rows{1, 2, 3, 5, 6}));
  EXPECT_EQ(rows(QStringLiteral("Geburtstag <> ''")), (Rows{1, 2, 3, 4, 6}));
  EXPECT_EQ(rows(QStringLiteral("Status <> 3")), (Rows{1, 4, 5, 6}));
  EXPECT_EQ(rows(QStringLiteral("Geburtstag <> '01.01.2026'")), (Rows{1, 2, 4, 5, 6}));
  // NOT is the exact complement, also for rows whose compared field is empty.
  EXPECT_EQ(rows(QStringLiteral("NOT Status = 3")), (Rows{1, 4, 5, 6}));
  EXPECT_EQ(rows(QStringLiteral("NOT (Status < 3 AND Mutter = 5)")), (Rows{2, 3, 4, 5}));
  EXPECT_EQ(rows(QStringLiteral("NOT NOT Status < 3")), (Rows{1, 5, 6}));
}

TEST_F(FilterTable, StarMeansBeginsWithAndMatchesLiterally) {
  EXPECT_EQ(rows(QStringLiteral("Name = 'An*'")), (Rows{1, 4}));
  EXPECT_EQ(rows(QStringLiteral("Name = 'Än*'")), (Rows{6}));
  EXPECT_EQ(rows(QStringLiteral("Name = 'A%*'")), (Rows{5}));  // % is no wildcard
  EXPECT_EQ(rows(QStringLiteral("Name = 'A_*'")), Rows{});
  EXPECT_EQ(rows(QStringLiteral("Name <> 'An*'")), (Rows{2, 3, 5, 6}));
  EXPECT_EQ(rows(QStringLiteral("Name = '*'")), (Rows{1, 2, 4, 5, 6}));
  // Only = and <> know the star; elsewhere it is an ordinary character.
  EXPECT_EQ(rows(QStringLiteral("Name > 'B*'")), (Rows{2, 6}));
}

TEST_F(FilterTable, QuotesInLiteralsNeverReachTheSql) {
  EXPECT_EQ(rows(QStringLiteral("Name = 'Bauer''s'")), (Rows{2}));
  EXPECT_EQ(rows(QStringLiteral("Name = \"Bauer's\"")), (Rows{2}));
  EXPECT_EQ(rows(QStringLiteral("Name = '\" OR 1=1 --'")), Rows{});
  EXPECT_EQ(rows(QStringLiteral("Name = \"\"\" OR 1=1 --\"")), Rows{});
  EXPECT_EQ(rows(QStringLiteral("Name = ''' OR 1=1 --'")), Rows{});
  EXPECT_EQ(rows(QStringLiteral("Name = 'x'') OR (1=1'")), Rows{});
}

TEST_F(FilterTable, LitterSizeFilterOfTheCoveredDoes) {
  exec(R"(INSERT INTO t ("Nr","Kater","Wurftag","WurfStMaennlich","WurfStWeiblich") VALUES
      (10, 17, '2026-03-01', 1, 2), (11, 17, '2026-04-01', 3, 0), (12, 17, '2026-05-01', 1, 1),
      (13, 17, '2025-12-31', 2, 2), (14, 18, '2026-03-01', 4, 4), (15, 17, '2026-06-01', NULL, 5))");
  EXPECT_EQ(rows(QStringLiteral(
                "(Kater = 17) and(Wurftag >= '01.01.2026')and(((WurfStMaennlich>=1)and(WurfStWeiblich>=2))"
                "or(WurfStMaennlich>=3))")),
            (Rows{10, 11}));
}

// Random filters, well-formed and damaged: the translator either gives SQL that SQLite accepts
// with the right number of parameters, or reports BadFilter.
TEST_F(FilterTable, RandomInputNeverCrashesAndValidSqlPrepares) {
  std::mt19937 rng(4711);
  auto pick = [&](const QStringList& list) { return list[static_cast<qsizetype>(rng() % list.size())]; };
  const QStringList fields = {u"Status"_s,        u"name"_s,    u"Geburtstag"_s,
                              u"[Min Gewicht]"_s, u"Aktiv"_s,   u"Betrag"_s,
                              u"Info"_s,          u"Züchter"_s, u"Xyz"_s};
  const QStringList ops = {u"="_s, u"<>"_s, u"!="_s, u"<"_s, u"<="_s, u">"_s, u">="_s};
  const QStringList values = {u"1"_s,    u"2.5"_s, u"'1.2.2025'"_s, u"'An*'"_s,      u"''"_s,      u"NULL"_s,
                              u"TRUE"_s, u"'T'"_s, u"'12,50'"_s,    u"\"x\"\"y\""_s, u"Gewicht"_s, u"-3"_s};
  const QStringList junk = {u"("_s,          u")"_s,     u"'"_s,    u"\""_s,           u"["_s,
                            u"]"_s,          u" AND "_s, u" or "_s, u"NOT "_s,         u"*"_s,
                            u";"_s,          u"--"_s,    u"="_s,    QString(QChar(0)), QString(QChar(0xD800)),
                            u"\U0001F407"_s, u"ß"_s,     u"\t"_s};
  std::function<QString(int)> gen = [&](int depth) -> QString {
    switch (depth > 4 ? 0 : rng() % 6) {
      case 1:
        return u"NOT "_s + gen(depth + 1);
      case 2:
        return u'(' + gen(depth + 1) + u')';
      case 3:
        return gen(depth + 1) + u" AND "_s + gen(depth + 1);
      case 4:
        return gen(depth + 1) + u")or("_s + gen(depth + 1);
      case 5:
        return pick(fields) + (rng() % 2 ? u" IS NULL"_s : u" is not null"_s);
      default:
        return pick(fields) + pick(ops) + pick(values);
    }
  };
  int accepted = 0;
  int refused = 0;
  for (int round = 0; round < 5000; ++round) {
    QString input = gen(0);
    const int damage = static_cast<int>(rng() % 4);  // some inputs stay intact
    for (int k = 0; k < damage; ++k) {
      const auto at = static_cast<qsizetype>(rng() % (input.size() + 1));
      if (rng() % 2)
        input.insert(at, rng() % 3 ? pick(junk) : QString(QChar(static_cast<char16_t>(rng() % 0x3000))));
      else
        input.remove(at, 1 + static_cast<qsizetype>(rng() % 3));
    }
    try {
      FilterSql f = translate(input);
      if (f.where.isEmpty()) continue;
      ++accepted;
      sqlite3_stmt* stmt = prepare(f);
      ASSERT_NE(stmt, nullptr) << input.toStdString();
      while (sqlite3_step(stmt) == SQLITE_ROW) {
      }
      sqlite3_finalize(stmt);
    } catch (const EngineError& e) {
      ASSERT_EQ(e.kind(), EngineError::Kind::BadFilter) << input.toStdString();
      ++refused;
    }
  }
  // The generator reaches both paths.
  EXPECT_GT(accepted, 500);
  EXPECT_GT(refused, 500);
}

// SQLite's parser gives up at about 30 nested parentheses: whatever the translator accepts
// must still prepare, and deeper alternation is refused as BadFilter.
TEST_F(FilterTable, NestingStaysWithinSqliteLimits) {
  EXPECT_EQ(rows(QStringLiteral("NOT ").repeated(199) + QStringLiteral("Status=1")), (Rows{2, 3, 4, 5}));
  EXPECT_EQ(rows(QStringLiteral("NOT ").repeated(198) + QStringLiteral("Status=1")), (Rows{1, 6}));
  const QString redundant = QString(120, u'(') + QStringLiteral("Status=1") + QString(120, u')') +
                            QStringLiteral(" or ((Status=2))");
  EXPECT_EQ(translate(redundant).where, QStringLiteral(R"(("Status" = ? OR "Status" = ?))"));

  bool refused = false;
  for (int levels = 1; levels < 60 && !refused; ++levels) {
    QString alternating = QStringLiteral("Status=0");
    for (int k = 0; k < levels; ++k)
      alternating = (k % 2 ? u"Status=1 OR (%1)"_s : u"NOT Name <> 'A*' AND (%1)"_s).arg(alternating);
    try {
      rows(alternating);  // fails the test if SQLite rejects it
    } catch (const EngineError& e) {
      EXPECT_EQ(e.kind(), EngineError::Kind::BadFilter);
      EXPECT_GT(levels, 8);  // ordinary nesting is never refused
      refused = true;
    }
  }
  EXPECT_TRUE(refused);

  QStringList many;
  for (int i = 0; i < 3000; ++i) many << QStringLiteral("Status=%1").arg(i + 100);
  many << QStringLiteral("Status=2");
  EXPECT_EQ(rows(many.join(QStringLiteral(" OR "))), (Rows{5}));
}
