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
