// Value formats of data fields (German notation) and the in-memory data source.
#include <gtest/gtest.h>

#include "engine/types.h"
#include "reports/data_source.h"
#include "reports/report.h"

using namespace lapiro::reports;
using lapiro::engine::Money;

TEST(ReportFormat, DatesPrintAsDayMonthYearFromDateDateTimeAndIsoText) {
  EXPECT_EQ(formatValue(QDate(2025, 3, 1), ValueFormat::date()), QStringLiteral("01.03.2025"));
  EXPECT_EQ(formatValue(QDateTime(QDate(1999, 12, 31), QTime(23, 5)), ValueFormat::date()),
            QStringLiteral("31.12.1999"));
  EXPECT_EQ(formatValue(QStringLiteral("2024-02-29"), ValueFormat::date()), QStringLiteral("29.02.2024"));
  EXPECT_EQ(formatValue(QDate(2025, 3, 1), ValueFormat{}), QStringLiteral("01.03.2025"));
  EXPECT_EQ(formatValue(QStringLiteral("kein Datum"), ValueFormat::date()), QString());
  EXPECT_EQ(formatValue(QDate(), ValueFormat::date()), QString());
}

TEST(ReportFormat, MoneyHasTwoDecimalsAndGermanSeparators) {
  EXPECT_EQ(formatValue(1234.5, ValueFormat::money()), QStringLiteral("1.234,50"));
  EXPECT_EQ(formatValue(-0.5, ValueFormat::money()), QStringLiteral("-0,50"));
  EXPECT_EQ(formatValue(QVariant::fromValue(Money::fromUnits(12345678)), ValueFormat::money()),
            QStringLiteral("1.234,57"));
  EXPECT_EQ(formatValue(QVariant::fromValue(Money::fromUnits(1250000)), ValueFormat{}),
            QStringLiteral("125,00"));
  EXPECT_EQ(formatValue(QStringLiteral("12,5"), ValueFormat::money()), QStringLiteral("12,50"));
  EXPECT_EQ(formatValue(QStringLiteral("zwölf"), ValueFormat::money()), QString());
}

TEST(ReportFormat, NumbersUseTheGivenDecimalsWithDecimalComma) {
  EXPECT_EQ(formatValue(0.0313, ValueFormat::number(5)), QStringLiteral("0,03130"));
  EXPECT_EQ(formatValue(4250, ValueFormat::number(1)), QStringLiteral("4.250,0"));
  EXPECT_EQ(formatValue(4250, ValueFormat::number(0, false)), QStringLiteral("4250"));
  EXPECT_EQ(formatValue(1.5, ValueFormat{}), QStringLiteral("1,5"));
}

TEST(ReportFormat, OtherValuesAndEmptyValues) {
  EXPECT_EQ(formatValue(true, ValueFormat{}), QStringLiteral("Ja"));
  EXPECT_EQ(formatValue(false, ValueFormat{}), QStringLiteral("Nein"));
  EXPECT_EQ(formatValue(QStringLiteral("0012"), ValueFormat{}), QStringLiteral("0012"));
  EXPECT_EQ(formatValue(QVariant(), ValueFormat::money()), QString());
  EXPECT_EQ(formatValue(QVariant(QMetaType::fromType<QString>()), ValueFormat{}), QString());
}

TEST(MemoryDataSource, FindsFieldsExactlyThenIgnoringCaseAndGivesInvalidOutside) {
  MemoryDataSource data({{{QStringLiteral("EMail"), QStringLiteral("a@b.de")},
                          {QStringLiteral("Straße"), QStringLiteral("Hauptstraße 1")}}});
  EXPECT_EQ(data.rowCount(), 1);
  EXPECT_EQ(data.value(0, QStringLiteral("email")).toString(), QStringLiteral("a@b.de"));
  EXPECT_EQ(data.value(0, QStringLiteral("STRASSE")), QVariant());
  EXPECT_EQ(data.value(0, QStringLiteral("STRAßE")).toString(), QStringLiteral("Hauptstraße 1"));
  EXPECT_FALSE(data.value(1, QStringLiteral("EMail")).isValid());
  EXPECT_FALSE(data.value(-1, QStringLiteral("EMail")).isValid());
  EXPECT_FALSE(data.value(0, QStringLiteral("Fehlt")).isValid());
}
