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
  // The counter booking first: its own counter is booking 1, the lowest number there is.
  for (bool deleteCounter : {true, false}) {
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
  EXPECT_EQ(units("7€"), 70000);
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

TEST_F(LedgerTest, EveryFieldOfAnAccountAndABookingComesFromItsOwnColumn) {
  const qint64 club = stock.add(QStringLiteral("KONTEN.DB"),
                                {{QStringLiteral("Kontoart"), 3},
                                 {QStringLiteral("Name"), QStringLiteral("Vereinskasse")},
                                 {QStringLiteral("Eroeffnungssaldo"), QVariant::fromValue(eur(12.34))},
                                 {QStringLiteral("Zum"), QDate(2024, 1, 15)},
                                 {QStringLiteral("Kontostand"), QVariant::fromValue(eur(56.78))},
                                 {QStringLiteral("EinAus"), QStringLiteral("Einnahme")}});
  for (const std::optional<Account>& a : {ledger.account(club), ledger.byName(QStringLiteral("Vereinskasse"))}) {
    ASSERT_TRUE(a);
    EXPECT_EQ(a->nr, club);
    EXPECT_EQ(a->kind, 3);
    EXPECT_EQ(a->name, QStringLiteral("Vereinskasse"));
    EXPECT_EQ(a->opening, eur(12.34));
    EXPECT_EQ(a->openedOn, QDate(2024, 1, 15));
    EXPECT_EQ(a->balance, eur(56.78));
    EXPECT_EQ(a->einAus, QStringLiteral("Einnahme"));
  }
  EXPECT_FALSE(ledger.account(club + 100));
  EXPECT_FALSE(ledger.byName(QStringLiteral("Sparbuch")));

  // A category longer than the column's 30 characters is stored cut; the text goes along.
  const QString longCategory = QStringLiteral("Tierverkauf an Züchter aus dem Nachbarverein");
  const auto sold = ledger.saveBooking(
      BookingEntry{club, QDate(2024, 5, 6), longCategory, eur(7.5), QStringLiteral("Zwei Rammler")}, false);
  ASSERT_EQ(sold.result, Ledger::SaveResult::Saved);
  const std::optional<Booking> b = ledger.booking(sold.bookingNr);
  ASSERT_TRUE(b);
  EXPECT_EQ(b->nr, sold.bookingNr);
  EXPECT_EQ(b->account, club);
  EXPECT_EQ(b->date, QDate(2024, 5, 6));
  EXPECT_EQ(b->category, longCategory.left(30));
  EXPECT_EQ(b->amount, eur(7.5));
  EXPECT_EQ(b->description, QStringLiteral("Zwei Rammler"));
  EXPECT_EQ(b->counter, 0);
  EXPECT_EQ(balance(club), eur(56.78 + 7.5));
  EXPECT_FALSE(ledger.booking(sold.bookingNr + 100));
}

TEST_F(LedgerTest, ListsKeepTheirOrderAndOnlyTheirRows) {
  const qint64 depot = stock.add(QStringLiteral("KONTEN.DB"), account(3, QStringLiteral("Aktiendepot"), 0));
  const qint64 spar = stock.add(QStringLiteral("KONTEN.DB"), account(1, QStringLiteral("Bausparen"), 0));
  stock.add(QStringLiteral("KONTEN.DB"), account(4, QStringLiteral("Altes Konto"), 0));
  QStringList names;
  for (const Account& a : ledger.rows()) names << a.name;
  EXPECT_EQ(names.join(u','), QStringLiteral("Aktiendepot,Altes Konto,Bausparen,Futter,Girokonto,Kasse,Tierarzt,Tierverkauf"));
  names.clear();
  for (const Account& a : ledger.moneyAccounts()) names << a.name;
  // Kinds 1 to 3 only, by kind and then by name.
  EXPECT_EQ(names.join(u','), QStringLiteral("Bausparen,Girokonto,Kasse,Aktiendepot"));

  // An account's bookings by date, then in the order they were made; no other account's.
  const qint64 late = book(spar, QDate(2025, 3, 2), QStringLiteral("Futter"), eur(1)).bookingNr;
  const qint64 early = book(spar, QDate(2025, 3, 1), QStringLiteral("Tierverkauf"), eur(20)).bookingNr;
  const qint64 sameDay = book(spar, QDate(2025, 3, 2), QStringLiteral("Tierarzt"), eur(3)).bookingNr;
  book(depot, QDate(2025, 3, 1), QStringLiteral("Tierverkauf"), eur(500));
  QList<qint64> order;
  for (const Booking& b : ledger.bookings(spar)) order << b.nr;
  EXPECT_EQ(order, (QList<qint64>{early, late, sameDay}));
  EXPECT_EQ(ledger.bookedSum(spar), eur(16));
  EXPECT_EQ(ledger.bookedSum(depot), eur(500));
  EXPECT_EQ(ledger.bookedSum(cash), eur(0));
}

TEST_F(LedgerTest, BookingOnACategoryOrAnUnknownAccountIsRefusedAndWritesNothing) {
  // The category's own name as category: not a transfer to itself but a booking without an account.
  for (const qint64 acc : {futter, qint64(9999)}) {
    dialogs.clear();
    EXPECT_EQ(book(acc, QDate(2025, 1, 2), QStringLiteral("Futter"), eur(5)).result, Ledger::SaveResult::Failed);
    EXPECT_EQ(dialogs.texts(), QStringList{QStringLiteral("Das Konto der Buchung ist nicht vorhanden.")});
  }
  EXPECT_EQ(stock.rowCount(QStringLiteral("BUCHUNG")), 0);
  EXPECT_EQ(ledger.account(futter)->balance, eur(0));

  // A booking that is gone deletes nothing; a deletion not asked about asks nothing.
  EXPECT_FALSE(ledger.deleteBooking(4711, false));
  const auto kept = book(bank, QDate(2025, 1, 2), QStringLiteral("Futter"), eur(5));
  const auto gone = book(bank, QDate(2025, 1, 3), QStringLiteral("Tierarzt"), eur(2));
  EXPECT_TRUE(ledger.deleteBooking(gone.bookingNr, false));
  EXPECT_TRUE(dialogs.allAnswersUsed());
  EXPECT_TRUE(ledger.booking(kept.bookingNr));
  EXPECT_EQ(balance(bank), eur(-5));
}

TEST_F(LedgerTest, ABookingNamingItselfAsCounterIsTakenBackOnce) {
  // Damaged rows from elsewhere: a booking whose counter booking is itself.
  stock.add(QStringLiteral("BUCHUNG"), {{QStringLiteral("BuchungsNr"), 50},
                                        {QStringLiteral("Kontoname"), bank},
                                        {QStringLiteral("Buchungsdatum"), QDate(2025, 1, 2)},
                                        {QStringLiteral("Kategorie"), QStringLiteral("Tierverkauf")},
                                        {QStringLiteral("Betrag"), QVariant::fromValue(eur(10))},
                                        {QStringLiteral("Gegenbuchung"), 50}});
  EXPECT_TRUE(ledger.deleteBooking(50, false));
  EXPECT_EQ(stock.rowCount(QStringLiteral("BUCHUNG")), 0);
  EXPECT_EQ(balance(bank), eur(-10));
}
