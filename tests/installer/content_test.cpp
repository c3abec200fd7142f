#include "installer/content.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <map>
#include <set>

#include "engine/types.h"

using namespace lapiro::installer;
using lapiro::engine::Money;

namespace {

// Every number the program shows from the catalogue.
const std::vector<int> kUsedNumbers = {1,   2,   3,   4,   6,   8,   11,  13,  14,  15,  16,  19,  20,  21,
                                       22,  23,  28,  29,  33,  34,  35,  36,  37,  38,  39,  40,  41,  42,
                                       43,  44,  45,  46,  47,  48,  49,  50,  51,  79,  83,  84,  85,  86,
                                       87,  92,  93,  106, 108, 109, 110, 111, 112, 118, 119, 120, 122, 123,
                                       127, 129, 130, 131, 132, 133, 134, 135, 136, 137, 138, 139};

// Messages shown in a box with the buttons Yes and No.
const std::set<int> kQuestions = {15, 16, 28, 29, 33, 85, 111, 120, 132, 133, 134, 135, 136, 138};

enum class Kind { Int, Num, Money };
struct Field {
  Kind kind = Kind::Int;
  int textSize = 0;  // > 0: an Alpha or Memo field holding at most this many characters
};
Field text(int n) {
  return {Kind::Int, n};
}

// The stored fields of each table the installer fills.
const std::map<QString, std::map<QString, Field>> kTables = {
    {u"Status"_qs, {{u"Nummer"_qs, {}}, {u"Name"_qs, text(25)}}},
    {u"Rasse"_qs,
     {{u"Nummer"_qs, {}},
      {u"Name"_qs, text(25)},
      {u"Code"_qs, text(9)},
      {u"Min Gewicht"_qs, {Kind::Num}},
      {u"Max Gewicht"_qs, {Kind::Num}},
      {u"Rassegruppe"_qs, text(25)}}},
    {u"Farbe"_qs,
     {{u"Nummer"_qs, {}},
      {u"Rasse"_qs, {}},
      {u"Name"_qs, text(25)},
      {u"Code"_qs, text(9)},
      {u"Genotyp"_qs, text(80)}}},
    {u"Ausstellungstitel.db"_qs, {{u"LaufendeNummer"_qs, {}}, {u"Bezeichnung"_qs, text(40)}}},
    // The category text is copied into Adresse.Status, which holds 20 characters.
    {u"StatusAdressen"_qs, {{u"Status"_qs, text(20)}}},
    {u"KONTOART.DB"_qs, {{u"LaufendeNummer"_qs, {}}, {u"Kontoart"_qs, text(20)}}},
    {u"MEHRWERT.DB"_qs, {{u"LaufendeNummer"_qs, {}}, {u"Prozent"_qs, {}}}},
    {u"KONTEN.DB"_qs,
     {{u"LaufendeNummer"_qs, {}},
      {u"Kontoart"_qs, {}},
      {u"Name"_qs, text(30)},
      {u"Kontonummer"_qs, {}},
      {u"Bankleitzahl"_qs, {}},
      {u"Bankname"_qs, text(30)},
      {u"Eroeffnungssaldo"_qs, {Kind::Money}},
      {u"Zum"_qs, {}},
      {u"Kontostand"_qs, {Kind::Money}},
      {u"Mwst"_qs, {}},
      {u"EinAus"_qs, text(9)}}},
    {u"APOTHEKE"_qs,
     {{u"LaufendeNummer"_qs, {}},
      {u"Bereich"_qs, text(50)},
      {u"Krankheit"_qs, text(100)},
      {u"Medikament"_qs, text(50)},
      {u"Verfallsdatum"_qs, {}},
      {u"Info"_qs, text(100000)},
      {u"WiederholungMonate"_qs, {}}}},
};

const std::vector<QVariantMap>& rowsOf(const QString& table) {
  for (const TableRows& t : lookupRows())
    if (t.table == table) return t.rows;
  static const std::vector<QVariantMap> none;
  ADD_FAILURE() << "no rows for " << table.toStdString();
  return none;
}

QStringList column(const QString& table, const QString& field) {
  QStringList values;
  for (const QVariantMap& row : rowsOf(table)) values << row.value(field).toString();
  return values;
}

}  // namespace

TEST(MessageCatalogue, EveryUsedNumberHasAFittingText) {
  for (int n : kUsedNumbers) {
    const QString t = messageText(n);
    SCOPED_TRACE(n);
    EXPECT_FALSE(t.trimmed().isEmpty());
    EXPECT_LE(t.size(), 80);
    EXPECT_EQ(t.endsWith(u'?'), kQuestions.count(n) == 1) << t.toStdString();
    EXPECT_FALSE(t.contains(u'\r') || t.contains(u'\n'));
  }
  EXPECT_TRUE(messageText(7).isEmpty());
  EXPECT_LE(messageText(kMeldungKeineLanghaarrasse).size(), 80);
  EXPECT_FALSE(messageText(kMeldungAdresskategorienVoll).isEmpty());
}

TEST(MessageCatalogue, NumbersAreUniqueAndAscending) {
  const auto& texts = messageTexts();
  for (size_t i = 1; i < texts.size(); ++i) EXPECT_LT(texts[i - 1].first, texts[i].first);
  for (const auto& [n, t] : texts) EXPECT_LE(t.size(), 80) << n;
}

TEST(MessageCatalogue, ComposedMessagesReadAsOne) {
  const QString tableMessage = messageText(11) + u" "_qs + u"Hasen.db"_qs;
  EXPECT_FALSE(tableMessage.contains(u"  "_qs));
  EXPECT_TRUE(messageText(11).endsWith(u':'));

  QStringList quick;
  for (int n = 19; n <= 23; ++n) quick << messageText(n);
  EXPECT_EQ(quick.join(u'\r').count(u'\r'), 4);
  for (const QString& line : quick) EXPECT_EQ(line, line.trimmed());

  // depth, " ", 39, tattoos, " ", 40 – the tattoo follows message 39 directly.
  const QString info = u"2 "_qs + messageText(39) + u"12  1.5.3 "_qs + messageText(40);
  EXPECT_TRUE(messageText(39).endsWith(u' '));
  EXPECT_FALSE(info.contains(u"   "_qs));
}

TEST(LookupRows, EveryKeyIsAFieldAndEveryValueFits) {
  std::set<QString> seen;
  for (const TableRows& t : lookupRows()) {
    ASSERT_TRUE(kTables.count(t.table)) << t.table.toStdString();
    EXPECT_TRUE(seen.insert(t.table).second) << "listed twice: " << t.table.toStdString();
    EXPECT_FALSE(t.rows.empty());
    const auto& fields = kTables.at(t.table);
    for (const QVariantMap& row : t.rows) {
      for (auto it = row.begin(); it != row.end(); ++it) {
        SCOPED_TRACE(t.table.toStdString() + "." + it.key().toStdString());
        ASSERT_TRUE(fields.count(it.key()));
        const Field& f = fields.at(it.key());
        if (f.textSize > 0) {
          EXPECT_FALSE(it->toString().trimmed().isEmpty());
          EXPECT_LE(it->toString().size(), f.textSize) << it->toString().toStdString();
        } else if (f.kind == Kind::Money) {
          EXPECT_EQ(it->metaType(), QMetaType::fromType<Money>());
        } else {
          bool ok = false;
          it->toString().toDouble(&ok);
          EXPECT_TRUE(ok);
        }
      }
    }
  }
  EXPECT_EQ(seen.size(), kTables.size());
}

TEST(LookupRows, BreedsAndColours) {
  const auto& rassen = rowsOf(u"Rasse"_qs);
  EXPECT_GE(rassen.size(), 25u);
  const QStringList groups = {u"Große Rassen"_qs, u"Mittelgroße Rassen"_qs, u"Kleine Rassen"_qs,
                              u"Kurzhaarrassen"_qs, u"Langhaarrassen"_qs};
  for (size_t i = 0; i < rassen.size(); ++i) {
    const QVariantMap& r = rassen[i];
    SCOPED_TRACE(r.value(u"Name"_qs).toString().toStdString());
    EXPECT_EQ(r.value(u"Nummer"_qs).toInt(), int(i) + 1);
    EXPECT_TRUE(groups.contains(r.value(u"Rassegruppe"_qs).toString()));
    const double min = r.value(u"Min Gewicht"_qs).toDouble();
    const double max = r.value(u"Max Gewicht"_qs).toDouble();
    EXPECT_GT(min, 0.5);
    EXPECT_LT(min, max);
    EXPECT_LT(max, 12.0);
  }
  EXPECT_EQ(column(u"Rasse"_qs, u"Name"_qs).removeDuplicates(), 0);
  EXPECT_EQ(column(u"Rasse"_qs, u"Code"_qs).removeDuplicates(), 0);

  std::set<int> breedsWithColours;
  for (const QVariantMap& f : rowsOf(u"Farbe"_qs)) {
    const int rasse = f.value(u"Rasse"_qs).toInt();
    EXPECT_GE(rasse, 1);
    EXPECT_LE(rasse, int(rassen.size()));
    breedsWithColours.insert(rasse);
  }
  EXPECT_EQ(breedsWithColours.size(), rassen.size()) << "a breed without colours";

  const int angora = column(u"Rasse"_qs, u"Name"_qs).indexOf(u"Angora"_qs);
  ASSERT_GE(angora, 0);
  EXPECT_EQ(rassen[angora].value(u"Rassegruppe"_qs), u"Langhaarrassen"_qs);
}

TEST(LookupRows, FixedStatusTitlesAndCategories) {
  const auto& status = rowsOf(u"Status"_qs);
  ASSERT_GE(status.size(), 2u);
  EXPECT_EQ(status[0].value(u"Nummer"_qs).toInt(), 1);
  EXPECT_EQ(status[1].value(u"Nummer"_qs).toInt(), 2);

  const QStringList titles = column(u"Ausstellungstitel.db"_qs, u"Bezeichnung"_qs);
  for (const QString& fixed : {u"Jungtierbewertung"_qs, u"Körung vom Herdbuch"_qs, u"Eigene Bewertung"_qs})
    EXPECT_TRUE(titles.contains(fixed)) << fixed.toStdString();

  EXPECT_LE(rowsOf(u"StatusAdressen"_qs).size(), 10u);
  EXPECT_EQ(column(u"StatusAdressen"_qs, u"Status"_qs).removeDuplicates(), 0);
}

TEST(LookupRows, BookkeepingIsConsistent) {
  std::set<int> vatKeys;
  for (const QVariantMap& v : rowsOf(u"MEHRWERT.DB"_qs))
    vatKeys.insert(v.value(u"LaufendeNummer"_qs).toInt());
  const auto& kinds = rowsOf(u"KONTOART.DB"_qs);
  ASSERT_EQ(kinds.size(), 2u);
  EXPECT_EQ(kinds[0].value(u"Kontoart"_qs), u"Bankkonto"_qs);
  EXPECT_EQ(kinds[1].value(u"Kontoart"_qs), u"Bargeld / Kasse"_qs);

  int income = 0, expense = 0;
  for (const QVariantMap& k : rowsOf(u"KONTEN.DB"_qs)) {
    SCOPED_TRACE(k.value(u"Name"_qs).toString().toStdString());
    EXPECT_TRUE(k.contains(u"Eroeffnungssaldo"_qs));  // required field
    const int kind = k.value(u"Kontoart"_qs).toInt();
    if (kind == 0) {
      const QString einAus = k.value(u"EinAus"_qs).toString();
      EXPECT_TRUE(einAus == u"Einnahme"_qs || einAus == u"Ausgabe"_qs);
      (einAus == u"Einnahme"_qs ? income : expense)++;
      EXPECT_TRUE(vatKeys.count(k.value(u"Mwst"_qs).toInt()));
    } else {
      EXPECT_TRUE(kind == 1 || kind == 2);
      EXPECT_FALSE(k.contains(u"EinAus"_qs));
    }
  }
  EXPECT_GT(income, 0);
  EXPECT_GT(expense, 0);
  // Bookings name their category by text: names must be unique, accounts included.
  EXPECT_EQ(column(u"KONTEN.DB"_qs, u"Name"_qs).removeDuplicates(), 0);
}

TEST(HelpPages, EveryContextHasAPageAndTheIndexLinksAll) {
  const std::vector<int> used = {11,  12,  13,  14,  16,  17,  21,  25,  26,  31,  32,  33,  34,  40,
                                 41,  50,  51,  60,  70,  80,  90,  100, 101, 102, 110, 120, 130, 131,
                                 140, 150, 160, 170, 180, 181, 194, 195, 196, 210, 215, 220};
  const std::vector<HelpPage> pages = helpPages();
  std::map<int, const HelpPage*> byContext;
  for (const HelpPage& p : pages) {
    EXPECT_TRUE(byContext.emplace(p.context, &p).second) << p.context;
    EXPECT_EQ(p.fileName, QString::number(p.context) + u".html"_qs);
    EXPECT_FALSE(p.title.isEmpty());
    EXPECT_TRUE(p.html.contains(u"<html"_qs) && p.html.contains(u"</html>"_qs));
    EXPECT_TRUE(p.html.contains(u"<title>"_qs + p.title.toHtmlEscaped() + u"</title>"_qs));
    EXPECT_EQ(p.html.count(u"<p>"_qs), p.html.count(u"</p>"_qs)) << p.context;
  }
  ASSERT_TRUE(byContext.count(kHelpIndexContext));
  EXPECT_EQ(byContext.size(), used.size() + 1);
  const QString& index = byContext.at(kHelpIndexContext)->html;
  for (int n : used) {
    ASSERT_TRUE(byContext.count(n)) << n;
    EXPECT_TRUE(index.contains(u"href=\""_qs + helpFileForContext(n) + u'"')) << n;
    EXPECT_TRUE(byContext.at(n)->html.contains(u"href=\"1001.html\""_qs)) << n;
  }
  EXPECT_EQ(helpFileForContext(90), u"90.html"_qs);
  EXPECT_EQ(helpFileForContext(4711), u"1001.html"_qs);
}

// The installed vaccines come with the usual repeat intervals; other medicines have none.
TEST(LookupRows, VaccinesRepeatAfterTheUsualMonths) {
  std::map<QString, int> months;
  for (const QVariantMap& row : rowsOf(u"APOTHEKE"_qs))
    months[row.value(u"Medikament"_qs).toString()] = row.value(u"WiederholungMonate"_qs).toInt();
  EXPECT_EQ(months.at(u"RHD-Impfstoff"_qs), 12);
  EXPECT_EQ(months.at(u"Myxomatose-Impfstoff"_qs), 6);
  EXPECT_EQ(months.at(u"Wundsalbe"_qs), 0);
}
