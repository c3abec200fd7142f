#include "engine/types.h"

#include <gtest/gtest.h>

using namespace lapiro::engine;

TEST(Money, ParsesGermanNotationExactly) {
  EXPECT_EQ(Money::parse(QStringLiteral("12,50"))->units(), 125000);
  EXPECT_EQ(Money::parse(QStringLiteral("1.234,5"))->units(), 12345000);
  EXPECT_EQ(Money::parse(QStringLiteral("-3"))->units(), -30000);
  EXPECT_EQ(Money::parse(QStringLiteral("1.000"))->units(), 10000000);
  EXPECT_EQ(Money::parse(QStringLiteral("0,1 €"))->units(), 1000);
  EXPECT_FALSE(Money::parse(QStringLiteral("0.1")).has_value());  // a point is no decimal sign
  EXPECT_FALSE(Money::parse(QStringLiteral("1,23456")).has_value());
  EXPECT_FALSE(Money::parse(QStringLiteral("12,5x")).has_value());
  EXPECT_FALSE(Money::parse(QStringLiteral("1.23,4")).has_value());
  EXPECT_FALSE(Money::parse(QString()).has_value());
}

TEST(Money, FormatsWithTwoDecimalsAndThousands) {
  EXPECT_EQ(Money::fromUnits(12345000).toString(), QStringLiteral("1.234,50"));
  EXPECT_EQ(Money::fromUnits(-30000).toString(), QStringLiteral("-3,00"));
  EXPECT_EQ(Money::fromUnits(1234567890000).toString(), QStringLiteral("123.456.789,00"));
  // Shown to the cent, half a cent away from zero, the same on both sides of it.
  EXPECT_EQ(Money::fromUnits(12350).toString(), QStringLiteral("1,24"));
  EXPECT_EQ(Money::fromUnits(12349).toString(), QStringLiteral("1,23"));
  EXPECT_EQ(Money::fromUnits(-12350).toString(), QStringLiteral("-1,24"));
  EXPECT_EQ(Money::fromUnits(-12349).toString(), QStringLiteral("-1,23"));
  EXPECT_EQ(Money::fromUnits(-49).toString(), QStringLiteral("0,00"));
  // Sums of tenths stay exact where doubles would drift.
  Money sum;
  for (int i = 0; i < 10; ++i) sum += *Money::parse(QStringLiteral("0,1"));
  EXPECT_EQ(sum, Money::fromUnits(10000));
}

TEST(FieldTypes, DeclaredTypesMapBack) {
  for (FieldType t : {FieldType::Alpha, FieldType::Short, FieldType::Number, FieldType::Money,
                      FieldType::Date, FieldType::Logical, FieldType::Memo, FieldType::Graphic}) {
    int size = 0;
    auto back = typeFromDeclared(declaredType(t, 12), &size);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, t);
  }
  int size = 0;
  EXPECT_EQ(typeFromDeclared(QStringLiteral("CHAR(25)"), &size), FieldType::Alpha);
  EXPECT_EQ(size, 25);
  EXPECT_EQ(typeFromDeclared(QStringLiteral("Integer")), FieldType::Long);
  EXPECT_EQ(typeFromDeclared(QStringLiteral("date")), FieldType::Date);
  EXPECT_EQ(typeFromDeclared(QStringLiteral("Boolean")), FieldType::Logical);
  EXPECT_FALSE(typeFromDeclared(QStringLiteral("WHATEVER")).has_value());
  // A text field without a size is declared and read back with 20 characters.
  EXPECT_EQ(declaredType(FieldType::Alpha, 0), QStringLiteral("VARCHAR(20)"));
  EXPECT_EQ(declaredType(FieldType::Alpha, 1), QStringLiteral("VARCHAR(1)"));
  EXPECT_EQ(typeFromDeclared(QStringLiteral("VARCHAR"), &size), FieldType::Alpha);
  EXPECT_EQ(size, 20);
  // Only text fields have a size; the others read back with none.
  for (const char* word : {"AUTOINC", "INTEGER", "SMALLINT", "FLOAT", "MONEY", "DATE", "BOOLEAN", "BLOB"}) {
    size = -1;
    ASSERT_TRUE(typeFromDeclared(QString::fromLatin1(word), &size).has_value()) << word;
    EXPECT_EQ(size, 0) << word;
  }
  EXPECT_EQ(typeFromDeclared(QStringLiteral("AutoInc"), &size), FieldType::AutoInc);
  EXPECT_EQ(typeFromDeclared(QStringLiteral("Memo"), &size), FieldType::Memo);
  EXPECT_EQ(size, 1);
  EXPECT_EQ(typeFromDeclared(QStringLiteral("NUMBER"), &size), FieldType::Number);
  EXPECT_EQ(typeFromDeclared(QStringLiteral("Double"), &size), FieldType::Number);
}

TEST(Money, AmountsReachFourDecimalsAndFourteenWholeDigits) {
  // Four decimals are the unit; a fifth is refused.
  EXPECT_EQ(Money::parse(QStringLiteral("1,2345"))->units(), 12345);
  EXPECT_FALSE(Money::parse(QStringLiteral("1,23456")).has_value());
  // Fourteen digits before the comma still fit, fifteen are refused even where the units would.
  EXPECT_EQ(Money::parse(QStringLiteral("99999999999999"))->units(), 999999999999990000);
  EXPECT_FALSE(Money::parse(QStringLiteral("100000000000000")).has_value());
  // Exactly one trailing euro sign goes, with or without a blank before it.
  EXPECT_EQ(Money::parse(QStringLiteral("12€"))->units(), 120000);
  EXPECT_EQ(Money::parse(QStringLiteral("12 €"))->units(), 120000);
}

TEST(Money, TextShowsCentsWithALeadingZeroAndGroupsOnlyFromAThousand) {
  const struct {
    qint64 units;
    const char* text;
  } cases[] = {
      {0, "0,00"},           {10500, "1,05"},          {1230000, "123,00"},       {-1230000, "-123,00"},
      {9999900, "999,99"},   {10000000, "1.000,00"},   {1234567800, "123.456,78"}, {-12345678900, "-1.234.567,89"},
      {50, "0,01"},          {-50, "-0,01"},           {49, "0,00"},
  };
  for (const auto& c : cases) EXPECT_EQ(Money::fromUnits(c.units).toString(), QString::fromUtf8(c.text)) << c.units;
}

TEST(FieldTypes, EveryDeclaredWordMapsToItsTypeAndSize) {
  const struct {
    const char* declared;
    FieldType type;
    int size;
  } cases[] = {
      {"VARCHAR(30)", FieldType::Alpha, 30}, {"char", FieldType::Alpha, 20},     {"Alpha(8)", FieldType::Alpha, 8},
      {"CHARACTER", FieldType::Alpha, 20},   {"CHAR(0)", FieldType::Alpha, 20},  {"CHAR(1)", FieldType::Alpha, 1},
      {"TEXT(240)", FieldType::Memo, 240},   {"text", FieldType::Memo, 1},       {"MEMO(0)", FieldType::Memo, 1},
      {"CLOB", FieldType::Memo, 1},          {"Memo(2)", FieldType::Memo, 2},    {"SMALLINT", FieldType::Short, 0},
      {"short", FieldType::Short, 0},        {"INTEGER", FieldType::Long, 0},    {"int", FieldType::Long, 0},
      {"LONG", FieldType::Long, 0},          {"AutoInc", FieldType::AutoInc, 0}, {"FLOAT", FieldType::Number, 0},
      {"real", FieldType::Number, 0},        {"DOUBLE", FieldType::Number, 0},   {"Number", FieldType::Number, 0},
      {"NUMERIC", FieldType::Number, 0},     {"money", FieldType::Money, 0},     {"DATE", FieldType::Date, 0},
      {"boolean", FieldType::Logical, 0},    {"LOGICAL", FieldType::Logical, 0}, {"Bool", FieldType::Logical, 0},
      {"BLOB", FieldType::Graphic, 0},       {"graphic", FieldType::Graphic, 0}, {" varchar ( 12 ) ", FieldType::Alpha, 12},
  };
  for (const auto& c : cases) {
    int size = -1;
    const auto type = typeFromDeclared(QString::fromLatin1(c.declared), &size);
    ASSERT_TRUE(type.has_value()) << c.declared;
    EXPECT_EQ(*type, c.type) << c.declared;
    EXPECT_EQ(size, c.size) << c.declared;
  }
  for (const char* unknown : {"", "VARCHAR2", "TINYINT", "12", "CHAR(x)", "DATE TIME(3"})
    EXPECT_FALSE(typeFromDeclared(QString::fromLatin1(unknown)).has_value()) << unknown;
  // Memo is declared with its in-record size, or 1 without one.
  EXPECT_EQ(declaredType(FieldType::Memo, 0), QStringLiteral("TEXT(1)"));
  EXPECT_EQ(declaredType(FieldType::Memo, 240), QStringLiteral("TEXT(240)"));
  EXPECT_EQ(declaredType(FieldType::AutoInc, 0), QStringLiteral("INTEGER"));
  EXPECT_EQ(declaredType(FieldType::Long, 0), QStringLiteral("INTEGER"));
}

TEST(FieldTypes, PrimaryKeyAndIndexLookup) {
  const IndexDef pk = IndexDef::primaryKey(QStringLiteral("Rasse; Nummer"));
  EXPECT_TRUE(pk.primary);
  EXPECT_TRUE(pk.unique);
  EXPECT_TRUE(pk.name.isEmpty());
  EXPECT_EQ(pk.fieldNames(), QStringList({QStringLiteral("Rasse"), QStringLiteral("Nummer")}));
  for (const IndexField& f : pk.fields) EXPECT_FALSE(f.descending || f.caseInsensitive || f.german);

  TableDef t;
  t.fields = {{QStringLiteral("Nummer"), FieldType::AutoInc}, {QStringLiteral("Name"), FieldType::Alpha, 30}};
  t.indexes = {pk, IndexDef::fromList(QStringLiteral("NachName"), QStringLiteral("Name")),
               IndexDef::fromList(QStringLiteral("NachNummer"), QStringLiteral("Nummer"), true)};
  EXPECT_EQ(t.primary(), &t.indexes[0]);
  EXPECT_EQ(t.index(QStringLiteral("nachnummer")), &t.indexes[2]);
  EXPECT_EQ(t.index(QStringLiteral("NACHNAME")), &t.indexes[1]);
  EXPECT_EQ(t.index(QString()), nullptr);  // the primary index has no name to look up
  EXPECT_EQ(t.index(QStringLiteral("Fehlt")), nullptr);
  EXPECT_EQ(t.field(QStringLiteral("name")), &t.fields[1]);
  EXPECT_EQ(t.field(QStringLiteral("Fehlt")), nullptr);
  t.indexes.erase(t.indexes.begin());
  EXPECT_EQ(t.primary(), nullptr);
}

TEST(GermanOrder, SortKeyLowersExactlyTheAsciiCapitals) {
  // The neighbours of "A" and "Z" stay; letters outside ASCII that are not folded stay too.
  EXPECT_EQ(germanSortKey(QStringLiteral("@AMZ[az")), QStringLiteral("@amz[az"));
  EXPECT_EQ(germanSortKey(QString::fromUtf16(u"ŁÄÉß")), QString::fromUtf16(u"Łaess"));
}
