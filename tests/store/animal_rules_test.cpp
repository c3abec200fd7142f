// The animal rules that need no tables: tattoo parts, the birth date read from the left
// tattoo with its century rule, display texts and the covered-does filter.
#include "store/animal_rules.h"

#include "engine/filter.h"

#include <gtest/gtest.h>

namespace lapiro::store {
namespace {

QDate birth(const char16_t* tattoo, QDate today) {
  return birthDateFromTattoo(QString::fromUtf16(tattoo), today).value_or(QDate());
}

TEST(BirthDateFromTattoo, CenturyFollowsTheYearPartAndToday) {
  const QDate in2006(2006, 6, 15);
  EXPECT_EQ(birth(u"3.5.12", in2006), QDate(2005, 3, 1));
  EXPECT_EQ(birth(u"3.6.12", in2006), QDate(2006, 3, 1));   // the current year itself
  EXPECT_EQ(birth(u"3.8.12", in2006), QDate(1998, 3, 1));   // above today's last digit
  EXPECT_EQ(birth(u"4.15.2", in2006), QDate(1915, 4, 1));   // two digits above 06
  EXPECT_EQ(birth(u"4.06.2", in2006), QDate(2006, 4, 1));   // "06" is year 6
  EXPECT_EQ(birth(u"12.05.77", in2006), QDate(2005, 12, 1));
  EXPECT_EQ(birth(u"1.0.3", QDate(2010, 2, 1)), QDate(2010, 1, 1));
}

TEST(BirthDateFromTattoo, MonthZeroIsTheEndOfThePreviousYear) {
  EXPECT_EQ(birth(u"0.6.4", QDate(2006, 12, 5)), QDate(2005, 12, 1));
  EXPECT_EQ(birth(u"0.6.4", QDate(2006, 11, 5)), QDate(2005, 11, 1));  // read in November
  // Year part 0 counts back to the year ending in 9, not forward to year 0.
  EXPECT_EQ(birth(u"0.0.4", QDate(2006, 12, 5)), QDate(1999, 12, 1));
  EXPECT_EQ(birth(u"0.0.4", QDate(2010, 12, 5)), QDate(2009, 12, 1));
  EXPECT_EQ(birth(u"0.00.4", QDate(2006, 12, 5)), QDate(1999, 12, 1));
}

TEST(BirthDateFromTattoo, FailsSilentlyOnAnythingElse) {
  const QDate today(2006, 6, 15);
  for (const char16_t* t : {u"3.5", u"", u"3", u"13.5.1", u"x.5.1", u".5.1", u"3..1", u"3.a.1", u"+3.5.1", u" 3.5.1"})
    EXPECT_FALSE(birthDateFromTattoo(QString::fromUtf16(t), today).has_value()) << QString::fromUtf16(t).toStdString();
}

TEST(SplitLeftTattoo, ThreePartsWithMissingPartsEmpty) {
  const TattooParts full = splitLeftTattoo(QStringLiteral("3.5.12"));
  EXPECT_EQ(full.month, u"3");
  EXPECT_EQ(full.year, u"5");
  EXPECT_EQ(full.number, u"12");
  const TattooParts rest = splitLeftTattoo(QStringLiteral("3.5.1.2"));
  EXPECT_EQ(rest.number, u"1.2");  // everything after the second "."
  const TattooParts two = splitLeftTattoo(QStringLiteral("3.5"));
  EXPECT_EQ(two.year, u"5");
  EXPECT_TRUE(two.number.isEmpty());
  const TattooParts none = splitLeftTattoo(QString());
  EXPECT_TRUE(none.month.isEmpty() && none.year.isEmpty() && none.number.isEmpty());
}

TEST(AnimalDisplay, TattoosGenderAndAddresses) {
  EXPECT_EQ(tattooDisplay(QStringLiteral("R1"), QStringLiteral("3.5.12")), u"R1  3.5.12");
  EXPECT_EQ(tattooShortDisplay(QStringLiteral("R1"), QStringLiteral("3.5.12")), u"R1 3.5.12");
  EXPECT_EQ(genderDisplay(QStringLiteral("1")), u"Rammler 1.0");
  EXPECT_EQ(genderDisplayShort(QStringLiteral("1")), u"1.0");
  for (const char16_t* other : {u"2", u"0", u"", u"x"}) {
    EXPECT_EQ(genderDisplay(QString::fromUtf16(other)), u"Häsin 0.1");
    EXPECT_EQ(genderDisplayShort(QString::fromUtf16(other)), u"0.1");
  }
  EXPECT_EQ(personDisplay(QString(), QStringLiteral("Müller")), u"Müller");
  EXPECT_EQ(personDisplay(QStringLiteral("Jörg"), QStringLiteral("Müller")), u"Jörg Müller");
  EXPECT_EQ(addressDisplay(QStringLiteral("A"), QStringLiteral("Weg 1"), QStringLiteral("12345"), QStringLiteral("Ort")),
            u"A, Weg 1, 12345 Ort");
  // Place without postcode keeps the separator and the blank.
  EXPECT_EQ(addressDisplay(QStringLiteral("A"), QString(), QString(), QStringLiteral("Kassel")), u"A,  Kassel");
  EXPECT_EQ(addressDisplay(QStringLiteral("A"), QString(), QString(), QString()), u"A");
}

TEST(CoveredDoesFilter, ExactTextThatTheFilterLanguageAccepts) {
  const QString filter = coveredDoesFilter(42, 2025);
  EXPECT_EQ(filter,
            u"(Kater = 42) and(Wurftag >= '01.01.2025')and(((WurfStMaennlich>=1)and(WurfStWeiblich>=2))or"
            u"((WurfStMaennlich>=2)and(WurfStWeiblich>=1))or(WurfStWeiblich>=3)or(WurfStMaennlich>=3))");
  const auto resolve = [](const QString& name) -> std::optional<engine::FilterColumn> {
    if (name == u"Wurftag") return engine::FilterColumn{QStringLiteral("\"Wurftag\""), engine::FieldType::Date};
    return engine::FilterColumn{u'"' + name + u'"', engine::FieldType::Short};
  };
  const engine::FilterSql sql = engine::translateFilter(filter, resolve);
  EXPECT_TRUE(sql.binds.contains(QVariant(QStringLiteral("2025-01-01"))));
}

}  // namespace
}  // namespace lapiro::store
