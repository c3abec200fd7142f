// Reading typed input into field values: German numbers, whole numbers, money, dates, text.
#include "engine/dataset.h"
#include "engine/field_input.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace lapiro::engine;

namespace {

QString s(const char16_t* text) { return QString::fromUtf16(text); }

FieldInput in(FieldType type, const QString& text, int size = 0) {
  return parseFieldInput(type, size, text, QStringLiteral("Feld"));
}

}  // namespace

TEST(FieldInputNumbers, GermanCommaPointAndThousandsAreReadAsTyped) {
  EXPECT_DOUBLE_EQ(*parseGermanDecimal(QStringLiteral("3,5")), 3.5);
  EXPECT_DOUBLE_EQ(*parseGermanDecimal(QStringLiteral("95,5")), 95.5);
  EXPECT_DOUBLE_EQ(*parseGermanDecimal(QStringLiteral("1.234,5")), 1234.5);
  EXPECT_DOUBLE_EQ(*parseGermanDecimal(QStringLiteral("1.234.567")), 1234567.0);
  EXPECT_DOUBLE_EQ(*parseGermanDecimal(QStringLiteral(" -0,25 ")), -0.25);
  EXPECT_DOUBLE_EQ(*parseGermanDecimal(QStringLiteral(",5")), 0.5);
}

TEST(FieldInputNumbers, APointBeforeThreeDigitsGroupsThousandsAnyOtherPointIsRefusedWithAHint) {
  EXPECT_DOUBLE_EQ(*parseGermanDecimal(QStringLiteral("1.500")), 1500.0);
  EXPECT_EQ(in(FieldType::Number, QStringLiteral("3.500")).value.toDouble(), 3500.0);
  EXPECT_EQ(in(FieldType::Long, QStringLiteral("1.000")).value.toLongLong(), 1000);
  EXPECT_EQ(in(FieldType::Money, QStringLiteral("1.234")).value.value<Money>().units(), 12340000);
  for (FieldType type : {FieldType::Number, FieldType::Long, FieldType::Short, FieldType::Money}) {
    const FieldInput r = in(type, QStringLiteral("3.5"));
    EXPECT_EQ(r.error, QStringLiteral("Bitte Komma als Dezimalzeichen verwenden: 3,5")) << fieldTypeName(type).toStdString();
  }
  EXPECT_EQ(in(FieldType::Number, QStringLiteral("0.500")).error, QStringLiteral("Bitte Komma als Dezimalzeichen verwenden: 0,500"));
  EXPECT_EQ(in(FieldType::Number, QStringLiteral("1.5000")).error, QStringLiteral("Bitte Komma als Dezimalzeichen verwenden: 1,5000"));
  EXPECT_FALSE(parseGermanDecimal(QStringLiteral("3.5")));
  // Engine text given to a number field is read by the same rule.
  EXPECT_THROW(toTyped(FieldType::Number, 0, QVariant(QStringLiteral("3.5")), QStringLiteral("Feld")), EngineError);
  EXPECT_DOUBLE_EQ(toTyped(FieldType::Number, 0, QVariant(QStringLiteral("1.500")), QStringLiteral("Feld")).toDouble(), 1500.0);
}

TEST(FieldInputNumbers, WhatIsNotAGermanNumberIsRefused) {
  for (const QString& bad : {QStringLiteral("inf"), QStringLiteral("nan"), QStringLiteral("-inf"),
                             QStringLiteral("1e5"), QStringLiteral("3,5a"), QStringLiteral("1,2,3"),
                             QStringLiteral("12.34,5"), QStringLiteral("1.23.4"), QStringLiteral("-"),
                             QStringLiteral(","), s(u"\u0663"), s(u"\uFF13,5"), QStringLiteral("0x10")}) {
    EXPECT_FALSE(parseGermanDecimal(bad)) << bad.toStdString();
    const FieldInput r = in(FieldType::Number, bad);
    EXPECT_FALSE(r.ok()) << bad.toStdString();
    EXPECT_EQ(r.error, invalidValueMessage(bad, QStringLiteral("Feld")));
  }
}

TEST(FieldInputNumbers, WholeNumberFieldsRefuseFractionsAndValuesOutOfRange) {
  EXPECT_EQ(in(FieldType::Long, QStringLiteral("95")).value.toLongLong(), 95);
  EXPECT_EQ(in(FieldType::Long, QStringLiteral("95,0")).value.toLongLong(), 95);
  EXPECT_EQ(in(FieldType::Long, QStringLiteral("1.234,0")).value.toLongLong(), 1234);
  const FieldInput fraction = in(FieldType::Long, QStringLiteral("95,5"));
  EXPECT_EQ(fraction.error, fractionMessage(QStringLiteral("95,5"), QStringLiteral("Feld")));
  // Short holds -32768 to 32767: both ends and one past each.
  EXPECT_EQ(in(FieldType::Short, QStringLiteral("32767")).value.toLongLong(), 32767);
  EXPECT_FALSE(in(FieldType::Short, QStringLiteral("32768")).ok());
  EXPECT_FALSE(in(FieldType::Short, QStringLiteral("40000")).ok());
  EXPECT_EQ(in(FieldType::Short, QStringLiteral("-32768")).value.toLongLong(), -32768);
  EXPECT_FALSE(in(FieldType::Short, QStringLiteral("-32769")).ok());
  EXPECT_EQ(in(FieldType::Long, QStringLiteral("-3000000000")).value.toLongLong(), -3000000000LL);
  EXPECT_FALSE(in(FieldType::Long, QStringLiteral("99999999999999999999999")).ok());
  EXPECT_FALSE(in(FieldType::Short, s(u"\u0661\u0662")).ok());
  // Values that are not text are held to the same ranges.
  EXPECT_THROW(toTyped(FieldType::Short, 0, QVariant(40000), QStringLiteral("Feld")), EngineError);
  EXPECT_THROW(toTyped(FieldType::Long, 0, QVariant(std::nan("")), QStringLiteral("Feld")), EngineError);
  EXPECT_THROW(toTyped(FieldType::Number, 0, QVariant(INFINITY), QStringLiteral("Feld")), EngineError);
  EXPECT_THROW(toTyped(FieldType::Number, 0, QVariant(QStringLiteral("inf")), QStringLiteral("Feld")), EngineError);
  EXPECT_DOUBLE_EQ(toTyped(FieldType::Number, 0, QVariant(QStringLiteral("1.234,5")), QStringLiteral("Feld")).toDouble(),
                   1234.5);
}

TEST(FieldInputNumbers, MoneyTakesOnlyAsciiDigits) {
  EXPECT_EQ(Money::parse(QStringLiteral("12,50"))->units(), 125000);
  EXPECT_FALSE(Money::parse(s(u"\u0661\u0662,50")));  // Arabic-Indic digits
  EXPECT_FALSE(Money::parse(s(u"\uFF11\uFF12")));      // full-width digits
  EXPECT_FALSE(Money::parse(QStringLiteral("-")));
  EXPECT_FALSE(in(FieldType::Money, s(u"\u0663")).ok());
}

TEST(FieldInputDates, OnlyRealCalendarDaysAreAccepted) {
  EXPECT_EQ(*parseGermanDate(QStringLiteral("29.02.2024")), QDate(2024, 2, 29));
  EXPECT_EQ(*parseGermanDate(QStringLiteral("1.3.2025")), QDate(2025, 3, 1));
  EXPECT_EQ(*parseGermanDate(QStringLiteral("1.3.25")), QDate(2025, 3, 1));
  EXPECT_EQ(*parseGermanDate(QStringLiteral("1.3.75")), QDate(1975, 3, 1));
  EXPECT_EQ(*parseGermanDate(QStringLiteral("2024-04-29")), QDate(2024, 4, 29));
  // Two-digit years up to 49 are this century, from 50 the last one.
  EXPECT_EQ(*parseGermanDate(QStringLiteral("1.3.49")), QDate(2049, 3, 1));
  EXPECT_EQ(*parseGermanDate(QStringLiteral("1.3.50")), QDate(1950, 3, 1));
  // The first and the last day four digits can name.
  EXPECT_EQ(*parseGermanDate(QStringLiteral("0001-01-01")), QDate(1, 1, 1));
  EXPECT_EQ(*parseGermanDate(QStringLiteral("31.12.9999")), QDate(9999, 12, 31));
  for (const QString& bad : {QStringLiteral("31.02.2024"), QStringLiteral("31.04.2024"), QStringLiteral("29.02.2023"),
                             QStringLiteral("-2024-04-29"), QStringLiteral("0000-01-01"), QStringLiteral("32.1.2024"),
                             QStringLiteral("1.13.2024"), QStringLiteral("1.1.-2024"), QStringLiteral("heute"),
                             s(u"\u0661.1.2024")}) {
    EXPECT_FALSE(parseGermanDate(bad)) << bad.toStdString();
    EXPECT_EQ(in(FieldType::Date, bad).error, invalidValueMessage(bad, QStringLiteral("Feld")));
    EXPECT_THROW(toTyped(FieldType::Date, 0, QVariant(bad), QStringLiteral("Feld")), EngineError) << bad.toStdString();
  }
  EXPECT_THROW(toTyped(FieldType::Date, 0, QVariant(QDate(-2024, 4, 29)), QStringLiteral("Feld")), EngineError);
  EXPECT_TRUE(in(FieldType::Date, QStringLiteral("  ")).ok());  // blank clears the date
  EXPECT_EQ(parseFieldInput(FieldType::Date, 0, QStringLiteral("31.02.2024"), QStringLiteral("Geboren")).error,
            QStringLiteral("»31.02.2024« ist kein gültiger Wert für das Feld Geboren."));
}

TEST(FieldInputText, AlphaIsCutWithoutSplittingASurrogatePair) {
  const QString rabbit = s(u"ab\U0001F407");  // 4 UTF-16 units
  EXPECT_EQ(cutToSize(rabbit, 3), QStringLiteral("ab"));
  EXPECT_EQ(cutToSize(rabbit, 4), rabbit);
  EXPECT_EQ(cutToSize(QStringLiteral("Ab"), 1), QStringLiteral("A"));
  EXPECT_EQ(cutToSize(QStringLiteral("Ab"), 0), QStringLiteral("Ab"));  // no size: nothing to cut
  EXPECT_EQ(toTyped(FieldType::Alpha, 3, QVariant(rabbit), QStringLiteral("Feld")).toString(), QStringLiteral("ab"));
}

TEST(FieldInputText, EditTextReadsBackAsTheSameValue) {
  for (double v : {3.5, 95.5, 1234.5, 0.1, -12.0, 1e15, 123456789.125}) {
    const QString shown = editText(FieldType::Number, QVariant(v));
    EXPECT_FALSE(shown.contains(u'E')) << shown.toStdString();
    EXPECT_DOUBLE_EQ(in(FieldType::Number, shown).value.toDouble(), v) << shown.toStdString();
  }
  EXPECT_EQ(editText(FieldType::Number, QVariant(3.5)), QStringLiteral("3,5"));
  for (qint64 units : {125000LL, 12345LL, -1LL, 123456780000LL}) {
    const QString shown = editText(FieldType::Money, QVariant::fromValue(Money::fromUnits(units)));
    EXPECT_EQ(in(FieldType::Money, shown).value.value<Money>().units(), units) << shown.toStdString();
  }
  EXPECT_EQ(editText(FieldType::Money, QVariant::fromValue(Money::fromUnits(125000))), QStringLiteral("12,50"));
  EXPECT_EQ(editText(FieldType::Date, QVariant(QDate(2024, 2, 29))), QStringLiteral("29.02.2024"));
  // An empty value shows an empty box, also when it carries a type.
  for (FieldType t : {FieldType::Number, FieldType::Money, FieldType::Long, FieldType::Logical}) {
    EXPECT_TRUE(editText(t, QVariant()).isEmpty());
    EXPECT_TRUE(editText(t, QVariant(QMetaType::fromType<double>())).isEmpty());
  }
}

TEST(FieldInputText, YesNoFieldsTakeEveryCommonSpellingAndRefuseTheRest) {
  for (const char* yes : {"1", "j", "Ja", "T", "true", "Y"}) {
    const FieldInput r = in(FieldType::Logical, QString::fromLatin1(yes));
    ASSERT_TRUE(r.ok()) << yes;
    EXPECT_EQ(r.value, QVariant(true)) << yes;
  }
  for (const char* no : {"0", "n", "NEIN", "f", "False"}) {
    const FieldInput r = in(FieldType::Logical, QString::fromLatin1(no));
    ASSERT_TRUE(r.ok()) << no;
    EXPECT_EQ(r.value, QVariant(false)) << no;
  }
  for (const char* bad : {"2", "jein", "x"}) EXPECT_FALSE(in(FieldType::Logical, QString::fromLatin1(bad)).ok()) << bad;
}

TEST(FieldInputMessages, EveryRefusalNamesTheTextAndThenTheField) {
  const QString field = QStringLiteral("Geboren");
  const QString invalid = QStringLiteral("»%1« ist kein gültiger Wert für das Feld Geboren.");
  const struct {
    FieldType type;
    const char* text;
  } refused[] = {
      {FieldType::Date, "heute"},     {FieldType::Logical, "vielleicht"}, {FieldType::Number, "drei"},
      {FieldType::Short, "40000"},    {FieldType::Long, "x"},             {FieldType::Money, "12 Euro"},
      {FieldType::Graphic, "bild"},
  };
  for (const auto& c : refused)
    EXPECT_EQ(parseFieldInput(c.type, 0, QString::fromUtf8(c.text), field).error, invalid.arg(QString::fromUtf8(c.text)))
        << c.text;
  EXPECT_EQ(parseFieldInput(FieldType::Short, 0, QStringLiteral("2,5"), QStringLiteral("Gewicht")).error,
            QStringLiteral("»2,5« ist keine ganze Zahl. Das Feld Gewicht nimmt nur ganze Zahlen auf."));
  // Money names the ambiguous point after taking away blanks and the euro sign.
  EXPECT_EQ(parseFieldInput(FieldType::Money, 0, QStringLiteral("1.5 €"), field).error,
            QStringLiteral("Bitte Komma als Dezimalzeichen verwenden: 1,5"));
}

TEST(FieldInputText, BlanksAreAValueOnlyForTextFields) {
  for (FieldType t : {FieldType::Alpha, FieldType::Memo}) {
    const FieldInput r = parseFieldInput(t, 10, QStringLiteral("  "), QStringLiteral("Feld"));
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.value, QVariant(QStringLiteral("  "))) << fieldTypeName(t).toStdString();
  }
  for (FieldType t : {FieldType::Short, FieldType::Long, FieldType::AutoInc, FieldType::Number, FieldType::Money,
                      FieldType::Date, FieldType::Logical, FieldType::Graphic}) {
    const FieldInput r = parseFieldInput(t, 0, QStringLiteral("  "), QStringLiteral("Feld"));
    EXPECT_TRUE(r.ok()) << fieldTypeName(t).toStdString();
    EXPECT_FALSE(r.value.isValid()) << fieldTypeName(t).toStdString();
  }
  // A text that is more than blanks is read as the type says.
  EXPECT_EQ(in(FieldType::Long, QStringLiteral(" 7 ")).value.toLongLong(), 7);
  EXPECT_EQ(in(FieldType::Memo, QStringLiteral(" a ")).value, QVariant(QStringLiteral(" a ")));
  EXPECT_EQ(in(FieldType::Alpha, QStringLiteral("Hasen"), 3).value, QVariant(QStringLiteral("Has")));
}

TEST(FieldInputText, CuttingKeepsTextThatFitsAndNeverHalvesAPair) {
  const QString rabbit = s(u"ab\U0001F407cd");  // a, b, a surrogate pair, c, d
  EXPECT_EQ(cutToSize(rabbit, 2), QStringLiteral("ab"));
  EXPECT_EQ(cutToSize(rabbit, 3), QStringLiteral("ab"));
  EXPECT_EQ(cutToSize(rabbit, 4), s(u"ab\U0001F407"));
  EXPECT_EQ(cutToSize(rabbit, 5), s(u"ab\U0001F407c"));
  EXPECT_EQ(cutToSize(rabbit, 6), rabbit);
  EXPECT_EQ(cutToSize(rabbit, 60), rabbit);
  EXPECT_EQ(cutToSize(QStringLiteral("Ab"), -1), QStringLiteral("Ab"));
  // Text that fits is kept as it is, even a stray first half of a pair at its end.
  const QString stray = QStringLiteral("ab") + QChar(0xD83D);
  EXPECT_EQ(cutToSize(stray, 3), stray);
}

TEST(FieldInputText, MoneyEditTextKeepsEveryDecimalAndTheSign) {
  const struct {
    qint64 units;
    const char* text;
  } cases[] = {
      {0, "0,00"},      {10500, "1,05"},      {10000, "1,00"},        {12345, "1,2345"},   {-12345, "-1,2345"},
      {-500, "-0,05"},  {125000, "12,50"},    {123456780000, "12345678,00"}, {99999, "9,9999"}, {1, "0,0001"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(editText(FieldType::Money, QVariant::fromValue(Money::fromUnits(c.units))), QString::fromUtf8(c.text)) << c.units;
  EXPECT_EQ(editText(FieldType::Logical, QVariant(true)), QStringLiteral("Ja"));
  EXPECT_EQ(editText(FieldType::Logical, QVariant(false)), QStringLiteral("Nein"));
  EXPECT_EQ(editText(FieldType::Long, QVariant(qlonglong(42))), QStringLiteral("42"));
  EXPECT_TRUE(editText(FieldType::Graphic, QVariant(QByteArray("PNG"))).isEmpty());
}

TEST(FieldInputNumbers, WholeNumberRangesAreShortsOrSixtyFourBits) {
  EXPECT_EQ(wholeNumberRange(FieldType::Short), std::make_pair(qlonglong(-32768), qlonglong(32767)));
  for (FieldType t : {FieldType::Long, FieldType::AutoInc})
    EXPECT_EQ(wholeNumberRange(t),
              std::make_pair(std::numeric_limits<qlonglong>::min(), std::numeric_limits<qlonglong>::max()));
  EXPECT_EQ(in(FieldType::Long, QStringLiteral("-9223372036854775808")).value.toLongLong(),
            std::numeric_limits<qlonglong>::min());
  EXPECT_EQ(in(FieldType::AutoInc, QStringLiteral("9223372036854775807")).value.toLongLong(),
            std::numeric_limits<qlonglong>::max());
  EXPECT_FALSE(in(FieldType::Long, QStringLiteral("9223372036854775808")).ok());
}
