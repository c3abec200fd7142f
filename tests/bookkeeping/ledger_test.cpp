// The cash book's rules on a small ledger whose figures were worked out by hand: signs,
// balances, transfers and their counter bookings, deletions, the opening balance, the
// period and both evaluations, and the amounts a user types.
#include "bookkeeping/amount.h"
#include "bookkeeping/ledger.h"
#include "bookkeeping/statements.h"

#include <gtest/gtest.h>

#include "engine/cursor.h"
#include "support/scripted_dialogs.h"
#include "support/stock_fixture.h"

using namespace lapiro;
using namespace lapiro::bookkeeping;
using engine::Money;

namespace {

Money eur(double v) { return Money::fromDouble(v); }

class LedgerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bank = stock.add(QStringLiteral("KONTEN.DB"), account(1, QStringLiteral("Girokonto"), 0));
    cash = stock.add(QStringLiteral("KONTEN.DB"), account(2, QStringLiteral("Kasse"), 0));
    futter = category(QStringLiteral("Futter"), QStringLiteral("Ausgabe"));
    category(QStringLiteral("Tierverkauf"), QStringLiteral("Einnahme"));
    category(QStringLiteral("Tierarzt"), QStringLiteral("Ausgabe"));
  }
  static QVariantMap account(int kind, const QString& name, double opening) {
    return {{QStringLiteral("Kontoart"), kind},
            {QStringLiteral("Name"), name},
            {QStringLiteral("Eroeffnungssaldo"), QVariant::fromValue(eur(opening))},
            {QStringLiteral("Kontostand"), QVariant::fromValue(eur(opening))}};
  }
  qint64 category(const QString& name, const QString& einAus) {
    QVariantMap row = account(0, name, 0);
    row.insert(QStringLiteral("EinAus"), einAus);
    return stock.add(QStringLiteral("KONTEN.DB"), row);
  }
  void setOpening(qint64 nr, double opening) {
    engine::Cursor c(stock.engine);
    c.setTableName(QStringLiteral("KONTEN.DB"));
    Ledger::attachAccountRules(c);
    c.open();
    ASSERT_TRUE(c.findKey({nr}));
    c.edit();
    c.field(QStringLiteral("Eroeffnungssaldo")).setMoney(eur(opening));
    c.post();
  }
  Money balance(qint64 nr) { return ledger.account(nr)->balance; }
  Ledger::SaveOutcome book(qint64 acc, const QDate& d, const QString& cat, std::optional<Money> amount) {
    return ledger.saveBooking(BookingEntry{acc, d, cat, amount, {}}, false);
  }

  test::StockDirectory stock{{133, 134, 135, 136}};
  test::ScriptedDialogs dialogs;
  Ledger ledger{stock.engine};
  qint64 bank = 0, cash = 0, futter = 0;
};
}  // namespace

TEST_F(LedgerTest, ExpenseIsStoredNegativeAndMovesTheBalanceOnce) {
  setOpening(bank, 100);
  EXPECT_EQ(balance(bank), eur(100));
  // Refused for the missing date, then saved: the sign is set once, the balance written once.
  EXPECT_EQ(book(bank, {}, QStringLiteral("Futter"), eur(50)).result, Ledger::SaveResult::MissingField);
  EXPECT_EQ(dialogs.texts().value(0), QStringLiteral("Das Feld Buchungsdatum muss einen Wert haben."));
  EXPECT_EQ(balance(bank), eur(100));
  const auto saved = book(bank, QDate(2025, 3, 1), QStringLiteral("Futter"), eur(50));
  ASSERT_EQ(saved.result, Ledger::SaveResult::Saved);
  EXPECT_EQ(ledger.booking(saved.bookingNr)->amount, eur(-50));
  EXPECT_EQ(ledger.booking(saved.bookingNr)->counter, 0);  // not a transfer: no counter booking
  EXPECT_EQ(balance(bank), eur(50));

  const auto pl = incomeExpense(stock.engine, *periodOf(1, 12, 2025));
  EXPECT_EQ(pl.expenseTotal, eur(50));
  EXPECT_EQ(pl.incomeTotal, eur(0));
  EXPECT_EQ(pl.saldo(), eur(-50));
}

TEST_F(LedgerTest, MissingFieldsAndDeclinedQuestionWriteNothing) {
  EXPECT_EQ(book(bank, QDate(2025, 1, 2), QString(), eur(5)).result, Ledger::SaveResult::MissingField);
  EXPECT_EQ(book(bank, QDate(2025, 1, 2), QStringLiteral("Futter"), std::nullopt).result,
            Ledger::SaveResult::MissingField);
  dialogs.no();
  EXPECT_EQ(ledger.saveBooking(BookingEntry{bank, QDate(2025, 1, 2), QStringLiteral("Futter"), eur(5), {}}, true).result,
            Ledger::SaveResult::Declined);
  EXPECT_EQ(dialogs.texts().last(), test::StockDirectory::message(135));
  EXPECT_EQ(stock.rowCount(QStringLiteral("BUCHUNG")), 0);
  EXPECT_EQ(balance(bank), eur(0));
}

TEST_F(LedgerTest, TransferCreatesLinkedCounterBookingAndDeletingEitherRestoresBoth) {
  for (bool deleteCounter : {false, true}) {
    const auto t = book(cash, QDate(2025, 6, 30), QStringLiteral("Girokonto"), eur(-200));
    ASSERT_EQ(t.result, Ledger::SaveResult::Saved);
    EXPECT_EQ(balance(cash), eur(-200));
    EXPECT_EQ(balance(bank), eur(200));
    const Booking first = *ledger.booking(t.bookingNr), counter = *ledger.booking(t.counterNr);
    EXPECT_EQ(counter.account, bank);
    EXPECT_EQ(counter.category, QStringLiteral("Kasse"));
    EXPECT_EQ(counter.amount, eur(200));
    EXPECT_EQ(first.counter, counter.nr);
    EXPECT_EQ(counter.counter, first.nr);

    dialogs.yes();
    EXPECT_TRUE(ledger.deleteBooking(deleteCounter ? counter.nr : first.nr));
    EXPECT_EQ(stock.rowCount(QStringLiteral("BUCHUNG")), 0);
    EXPECT_EQ(balance(cash), eur(0));
    EXPECT_EQ(balance(bank), eur(0));
  }
}

TEST_F(LedgerTest, TransferToTheBookedAccountItselfIsRefusedBeforeTheQuestionAndWritesNothing) {
  setOpening(bank, 100);
  // Asked first or not: the refusal comes before the save question, nothing is stored.
  for (bool ask : {false, true}) {
    dialogs.clear();
    const auto out = ledger.saveBooking(BookingEntry{bank, QDate(2025, 6, 30), QStringLiteral("Girokonto"), eur(40), {}}, ask);
    EXPECT_EQ(out.result, Ledger::SaveResult::Failed);
    EXPECT_EQ(dialogs.texts(), QStringList{QStringLiteral("Eine Umbuchung auf dasselbe Konto ist nicht möglich")});
    EXPECT_EQ(stock.rowCount(QStringLiteral("BUCHUNG")), 0);
    EXPECT_EQ(balance(bank), eur(100));
  }
  // The same category on the other account is an ordinary transfer.
  EXPECT_EQ(book(cash, QDate(2025, 6, 30), QStringLiteral("Girokonto"), eur(-40)).result, Ledger::SaveResult::Saved);
  EXPECT_EQ(balance(bank), eur(140));
}

TEST_F(LedgerTest, DeletingFindsTheCounterBookingByKeyNotByName) {
  const auto t = book(cash, QDate(2025, 6, 30), QStringLiteral("Girokonto"), eur(-200));
  // The bank account is renamed and another row takes its old name: the counter booking is
  // still found, and each balance loses exactly its own booking.
  {
    engine::Cursor c(stock.engine);
    c.setTableName(QStringLiteral("KONTEN.DB"));
    c.open();
    ASSERT_TRUE(c.findKey({bank}));
    c.edit();
    c.field(QStringLiteral("Name")).setString(QStringLiteral("Sparkasse"));
    c.post();
  }
  const qint64 other = stock.add(QStringLiteral("KONTEN.DB"), account(1, QStringLiteral("Girokonto"), 0));
  dialogs.no();
  EXPECT_FALSE(ledger.deleteBooking(t.bookingNr));
  EXPECT_EQ(stock.rowCount(QStringLiteral("BUCHUNG")), 2);
  dialogs.yes();
  EXPECT_TRUE(ledger.deleteBooking(t.bookingNr));
  EXPECT_EQ(stock.rowCount(QStringLiteral("BUCHUNG")), 0);
  EXPECT_EQ(balance(bank), eur(0));
  EXPECT_EQ(balance(cash), eur(0));
  EXPECT_EQ(balance(other), eur(0));
}

TEST_F(LedgerTest, OpeningBalanceChangeMovesTheBalanceByTheDifference) {
  book(bank, QDate(2025, 2, 1), QStringLiteral("Tierverkauf"), eur(30));
  setOpening(bank, 100);
  EXPECT_EQ(balance(bank), eur(130));
  setOpening(bank, 80);
  EXPECT_EQ(balance(bank), eur(110));
  EXPECT_EQ(balance(bank), ledger.account(bank)->opening + ledger.bookedSum(bank));

  // A new account starts at its opening balance.
  engine::Cursor c(stock.engine);
  c.setTableName(QStringLiteral("KONTEN.DB"));
  Ledger::attachAccountRules(c);
  c.open();
  c.append();
  c.field(QStringLiteral("Kontoart")).setInteger(2);
  c.field(QStringLiteral("Name")).setString(QStringLiteral("Vereinskasse"));
  c.field(QStringLiteral("Eroeffnungssaldo")).setString(QStringLiteral("12,50"));
  c.post();
  EXPECT_EQ(ledger.byName(QStringLiteral("Vereinskasse"))->balance, eur(12.5));

  // An account row written without a balance (as other tools leave it) holds exactly nothing.
  const qint64 bare = stock.add(QStringLiteral("KONTEN.DB"),
                                {{QStringLiteral("Kontoart"), 1},
                                 {QStringLiteral("Name"), QStringLiteral("Sparbuch")},
                                 {QStringLiteral("Eroeffnungssaldo"), QVariant::fromValue(eur(0))}});
  ASSERT_FALSE(stock.stored(QStringLiteral("KONTEN.DB"), bare, QStringLiteral("Kontostand")).isValid());
  EXPECT_EQ(ledger.account(bare)->balance.units(), 0);
}

TEST_F(LedgerTest, EvaluationsOverAPeriodAddExactly) {
  // 0.10 + 0.20 income, 29 February of a leap year inside a period ending in February.
  book(bank, QDate(2024, 1, 31), QStringLiteral("Tierverkauf"), eur(0.1));
  book(cash, QDate(2024, 2, 29), QStringLiteral("Tierverkauf"), eur(0.2));
  book(bank, QDate(2024, 3, 1), QStringLiteral("Tierverkauf"), eur(99));  // after the period
  book(bank, QDate(2024, 2, 10), QStringLiteral("Futter"), eur(12.34));
  book(bank, QDate(2024, 2, 11), QStringLiteral("Kasse"), eur(-40));  // transfer: in no list
  book(bank, QDate(2024, 2, 12), QStringLiteral("Gelöschte Kategorie"), eur(7));  // unknown name

  const Period feb = *periodOf(QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("2024"));
  EXPECT_EQ(feb.end, QDate(2024, 2, 29));
  const auto sales = categoryStatement(stock.engine, QStringLiteral("Tierverkauf"), feb);
  ASSERT_EQ(sales.lines.size(), 2u);
  EXPECT_EQ(sales.lines[1].date, QDate(2024, 2, 29));
  EXPECT_EQ(sales.lines[1].accountName, QStringLiteral("Kasse"));
  EXPECT_EQ(formatAmount(sales.total), QStringLiteral("0,30"));

  const auto all = incomeExpense(stock.engine, feb);
  EXPECT_EQ(all.income.size(), 2u);
  EXPECT_EQ(all.expenses.size(), 1u);
  EXPECT_EQ(formatAmount(all.incomeTotal), QStringLiteral("0,30"));
  EXPECT_EQ(formatAmount(all.expenseTotal), QStringLiteral("12,34"));
  EXPECT_EQ(formatAmount(all.saldo()), QStringLiteral("-12,04"));
  // One account only: the cash box has the 0.20 and no expense.
  const auto kasse = incomeExpense(stock.engine, feb, cash);
  EXPECT_EQ(formatAmount(kasse.incomeTotal), QStringLiteral("0,20"));
  EXPECT_EQ(kasse.expenses.size(), 0u);
  EXPECT_EQ(formatAmount(kasse.saldo()), QStringLiteral("0,20"));
}

TEST(StatementPeriod, MonthsOutsideTheYearOrTextGiveNoPeriod) {
  EXPECT_EQ(periodOf(4, 4, 2025)->end, QDate(2025, 4, 30));
  EXPECT_EQ(periodOf(2, 2, 2023)->end, QDate(2023, 2, 28));
  EXPECT_EQ(periodOf(1, 12, 2025)->end, QDate(2025, 12, 31));
  EXPECT_FALSE(periodOf(0, 3, 2025));
  EXPECT_FALSE(periodOf(1, 13, 2025));
  EXPECT_FALSE(periodOf(5, 4, 2025));
  EXPECT_FALSE(periodOf(QStringLiteral("Jan"), QStringLiteral("3"), QStringLiteral("2025")));
}

TEST(TypedAmounts, CommaPointSeparatorsSignAndRounding) {
  auto units = [](const char* text) -> qint64 {
    const auto m = parseAmount(QString::fromUtf8(text));
    return m ? m->units() : -999999999;
  };
  EXPECT_EQ(units("12,50"), 125000);
  EXPECT_EQ(units("1.234,56"), 12345600);
  EXPECT_EQ(units("1.234.567"), 12345670000);
  // A point before exactly three digits groups thousands, as the program prints amounts.
  EXPECT_EQ(units("1.000"), 10000000);
  EXPECT_EQ(units("1.234"), 12340000);
  EXPECT_EQ(units("1.000 €"), 10000000);
  EXPECT_EQ(units("-50"), -500000);
  EXPECT_EQ(units(" +7 € "), 70000);
  EXPECT_EQ(units(",5"), 5000);
  // The currency may follow, euro sign or "DM" in any case, with or without a space.
  EXPECT_EQ(units("12,50€"), 125000);
  EXPECT_EQ(units("12,50 DM"), 125000);
  EXPECT_EQ(units("3dm"), 30000);
  // Twelve whole digits are the most an amount holds.
  EXPECT_EQ(units("999999999999"), 9999999999990000);
  EXPECT_EQ(units("1000000000000"), -999999999);
  // Beyond two decimals: rounded half away from zero.
  EXPECT_EQ(units("12,345"), 123500);
  EXPECT_EQ(units("-12,345"), -123500);
  EXPECT_EQ(units("12,3449"), 123400);
  EXPECT_EQ(units("0,005"), 100);
  // Refused.
  for (const char* bad : {"", "-", "abc", "12a", "1.23.4", "12,50,1", "1.2345,00", "5-", "1 2x", ",", "12.50", "1,234.56",
                          "0.500", "1.5"})
    EXPECT_FALSE(parseAmount(QString::fromUtf8(bad))) << bad;
  // An ambiguous point is explained; other refusals name the text.
  EXPECT_EQ(amountRefusal(QStringLiteral("1.5")), QStringLiteral("Bitte Komma als Dezimalzeichen verwenden: 1,5"));
  EXPECT_EQ(amountRefusal(QStringLiteral("12.50 €")), QStringLiteral("Bitte Komma als Dezimalzeichen verwenden: 12,50"));
  EXPECT_EQ(amountRefusal(QStringLiteral("abc")), QStringLiteral("\"abc\" ist kein gültiger Betrag."));
}
