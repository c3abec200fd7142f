// The window "Buchführung" on a small ledger: choosing an account, entering a booking with a
// typed amount, the flag for a date outside the period, saving when the window closes, the
// profit-and-loss page for one account, accounts with their opening balance, and the printed
// statement's pages.
#include "bookkeeping/ui/bookkeeping_window.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>

#include "bookkeeping/statement_report.h"
#include "reports/report_layout.h"
#include "reports/report_renderer.h"
#include "support/scripted_dialogs.h"
#include "support/stock_fixture.h"

using namespace lapiro;
using namespace lapiro::bookkeeping;
using namespace lapiro::bookkeeping::ui;
using engine::Money;

namespace {

class BookkeepingWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bank = stock.add(QStringLiteral("KONTEN.DB"), row(1, QStringLiteral("Girokonto"), 100));
    cash = stock.add(QStringLiteral("KONTEN.DB"), row(2, QStringLiteral("Kasse"), 0));
    QVariantMap futter = row(0, QStringLiteral("Futter"), 0);
    futter.insert(QStringLiteral("EinAus"), QStringLiteral("Ausgabe"));
    stock.add(QStringLiteral("KONTEN.DB"), futter);
    QVariantMap verkauf = row(0, QStringLiteral("Tierverkauf"), 0);
    verkauf.insert(QStringLiteral("EinAus"), QStringLiteral("Einnahme"));
    stock.add(QStringLiteral("KONTEN.DB"), verkauf);
    settings.System.Speichern = true;
  }
  static QVariantMap row(int kind, const QString& name, int opening) {
    const QVariant m = QVariant::fromValue(Money::fromUnits(opening * 10000LL));
    return {{QStringLiteral("Kontoart"), kind}, {QStringLiteral("Name"), name}, {QStringLiteral("Eroeffnungssaldo"), m},
            {QStringLiteral("Kontostand"), m}, {QStringLiteral("Zum"), QDate(2025, 1, 1)}};
  }
  std::unique_ptr<TFormBuchfuehrung> open() {
    auto w = std::make_unique<TFormBuchfuehrung>(stock.engine, settings);
    w->setAttribute(Qt::WA_DeleteOnClose, false);
    w->today = QDate(2025, 12, 31);
    w->setPeriod(*periodOf(1, 12, 2025));
    w->askPeriod = [](const Period& p) { return std::optional<Period>(p); };
    w->resize(1000, 640);
    return w;
  }
  void enter(TFormBuchfuehrung& w, const QString& date, const QString& amount, const QString& category) {
    w.BitBtnHinzufuegenClick();
    ASSERT_TRUE(w.entering());
    w.dateEdit()->setText(date);
    w.amountEdit()->setText(amount);
    w.categoryBox()->setCurrentIndex(w.categoryBox()->findText(category));
  }
  static void snapshot(QWidget& w, const char* name) {
    if (qEnvironmentVariableIsSet("LAPIRO_SNAPSHOTS"))
      w.grab().save(qEnvironmentVariable("LAPIRO_SNAPSHOTS") + u'/' + QString::fromUtf8(name) + QStringLiteral(".png"));
  }

  test::StockDirectory stock{{133, 134, 135, 136}};
  test::ScriptedDialogs dialogs;
  shell::tsysteminfo settings;
  Ledger ledger{stock.engine};
  qint64 bank = 0, cash = 0;
};

}  // namespace

TEST_F(BookkeepingWindowTest, BookingEnteredWithTypedAmountMovesTheBalanceAndClosingSavesAnEntry) {
  auto w = open();
  ASSERT_TRUE(w->isUsable());
  EXPECT_FALSE(w->newButton()->isEnabled());
  w->selectAccount(bank);
  EXPECT_TRUE(w->selectionPanel()->isHidden());
  EXPECT_TRUE(w->newButton()->isEnabled());
  EXPECT_FALSE(w->dateEdit()->isEnabled());

  enter(*w, QStringLiteral("03.02.2025"), QStringLiteral("1.234,565"), QStringLiteral("Tierverkauf"));
  EXPECT_TRUE(w->dateEdit()->isEnabled());
  EXPECT_TRUE(w->saveButton()->isEnabled());
  EXPECT_TRUE(w->BitBtnSpeichernClick());
  EXPECT_FALSE(w->entering());
  EXPECT_EQ(w->balanceLabel()->text(), QStringLiteral("1.334,57 DM"));

  // Letters are refused and nothing is written.
  enter(*w, QStringLiteral("04.02.2025"), QStringLiteral("12a"), QStringLiteral("Futter"));
  EXPECT_FALSE(w->BitBtnSpeichernClick());
  EXPECT_TRUE(w->entering());
  EXPECT_EQ(stock.rowCount(QStringLiteral("BUCHUNG")), 1);

  // A date outside the period is allowed but flagged.
  w->dateEdit()->setText(QStringLiteral("15.03.2024"));
  EXPECT_FALSE(w->dateFlag()->isHidden());
  w->amountEdit()->setText(QStringLiteral("-20"));
  w->dateEdit()->setText(QStringLiteral("15.03.2025"));
  EXPECT_TRUE(w->dateFlag()->isHidden());
  snapshot(*w, "buchen");
  // Closing while a booking is entered saves it: an expense of -20 is stored as +20.
  EXPECT_TRUE(w->close());
  EXPECT_EQ(stock.rowCount(QStringLiteral("BUCHUNG")), 2);
  EXPECT_EQ(ledger.account(bank)->balance, Money::fromUnits(13545700));
}

TEST_F(BookkeepingWindowTest, ProfitAndLossForOneAccountAndThePrintedStatement) {
  ledger.saveBooking(BookingEntry{bank, QDate(2025, 3, 1), QStringLiteral("Futter"), Money::fromUnits(500000), {}}, false);
  ledger.saveBooking(BookingEntry{cash, QDate(2025, 4, 1), QStringLiteral("Tierverkauf"), Money::fromUnits(300000), {}}, false);
  ledger.saveBooking(BookingEntry{cash, QDate(2025, 5, 1), QStringLiteral("Girokonto"), Money::fromUnits(-100000), {}}, false);
  auto w = open();
  w->pages()->setCurrentIndex(1);
  w->evaluationTabs()->setCurrentIndex(2);
  EXPECT_EQ(w->incomeTotal()->text(), QStringLiteral("30,00 DM"));
  EXPECT_EQ(w->expenseTotal()->text(), QStringLiteral("50,00 DM"));
  EXPECT_EQ(w->saldoLabel()->text(), QStringLiteral("-20,00 DM"));
  w->setAllAccounts(false);
  w->showAccountFigures(cash);
  EXPECT_EQ(w->incomeGrid()->rowCount(), 1);
  EXPECT_EQ(w->expenseGrid()->rowCount(), 0);
  EXPECT_EQ(w->saldoLabel()->text(), QStringLiteral("30,00 DM"));
  w->showAccountFigures(bank);
  EXPECT_EQ(w->incomeGrid()->rowCount(), 0);
  EXPECT_EQ(w->saldoLabel()->text(), QStringLiteral("-50,00 DM"));
  snapshot(*w, "gewinn_verlust");

  w->evaluationTabs()->setCurrentIndex(1);
  w->showCategory(QStringLiteral("Futter"));
  EXPECT_EQ(w->categoryGrid()->rowCount(), 1);
  EXPECT_EQ(w->categoryTotal()->text(), QStringLiteral("-50,00 DM"));

  w->setAllAccounts(true);
  std::optional<reports::PageModel> printed;
  w->onPrint = [&](const StatementPrintout& p) { printed = reports::layoutReport(p.report, p.data, QDate(2025, 12, 31)); };
  w->printStatement();
  ASSERT_TRUE(printed);
  ASSERT_EQ(printed->pageCount(), 4);
  EXPECT_TRUE(printed->pages[0].containsText(QStringLiteral("gewählter Zeitraum : 01.01.2025 - 31.12.2025")));
  EXPECT_TRUE(printed->pages[0].containsText(QStringLiteral("100,00")));
  EXPECT_TRUE(printed->pages[1].containsText(QStringLiteral("Einnahmen")));
  EXPECT_TRUE(printed->pages[1].containsText(QStringLiteral("30,00")));
  EXPECT_TRUE(printed->pages[2].containsText(QStringLiteral("Ausgaben")));
  EXPECT_TRUE(printed->pages[2].containsText(QStringLiteral("50,00")));
  EXPECT_TRUE(printed->pages[3].containsText(QStringLiteral("Schlußsalden zum 31.12.2025")));
  EXPECT_TRUE(printed->pages[3].containsText(QStringLiteral("Saldo Einnahmen/Ausgaben:")));
  EXPECT_TRUE(printed->pages[3].containsText(QStringLiteral("-20,00")));
  if (qEnvironmentVariableIsSet("LAPIRO_SNAPSHOTS"))
    reports::renderToPdf(*printed, qEnvironmentVariable("LAPIRO_SNAPSHOTS") + QStringLiteral("/guv.pdf"));
  w->close();
}

TEST_F(BookkeepingWindowTest, NewAccountStartsAtItsOpeningBalanceAndAChangeMovesIt) {
  auto w = open();
  w->pages()->setCurrentIndex(2);
  w->newAccount(kKindCash);
  w->accountField(QStringLiteral("Name"))->setText(QStringLiteral("Vereinskasse"));
  w->accountField(QStringLiteral("Eroeffnungssaldo"))->setText(QStringLiteral("25,50"));
  emit w->accountField(QStringLiteral("Name"))->textEdited(QString());
  EXPECT_TRUE(w->saveAccountForm());
  const auto created = ledger.byName(QStringLiteral("Vereinskasse"));
  ASSERT_TRUE(created);
  EXPECT_EQ(created->kind, kKindCash);
  EXPECT_EQ(created->balance, Money::fromUnits(255000));
  snapshot(*w, "konten");

  ledger.saveBooking(BookingEntry{created->nr, QDate(2025, 2, 1), QStringLiteral("Tierverkauf"), Money::fromUnits(100000), {}}, false);
  w->accountField(QStringLiteral("Eroeffnungssaldo"))->setText(QStringLiteral("30"));
  emit w->accountField(QStringLiteral("Eroeffnungssaldo"))->textEdited(QString());
  EXPECT_TRUE(w->saveAccountForm());
  EXPECT_EQ(ledger.byName(QStringLiteral("Vereinskasse"))->balance, Money::fromUnits(400000));

  dialogs.yes().no();
  w->deleteAccount(created->nr);
  EXPECT_TRUE(ledger.byName(QStringLiteral("Vereinskasse")));
  EXPECT_EQ(dialogs.texts().last(), test::StockDirectory::message(136));
  w->close();
}

TEST_F(BookkeepingWindowTest, CategoriesAndVatRatesAreEditedInTheirLists) {
  stock.add(QStringLiteral("MEHRWERT.DB"), {{QStringLiteral("Prozent"), 7}});
  auto w = open();
  w->pages()->setCurrentIndex(2);
  const int categories = w->categoryList()->count();
  w->newCategory();
  EXPECT_EQ(w->categoryList()->count(), categories + 1);
  ASSERT_TRUE(ledger.byName(QStringLiteral("Neue Kategorie")));

  ASSERT_EQ(w->vatGrid()->rowCount(), 1);
  w->vatGrid()->item(0, 0)->setText(QStringLiteral("19"));
  EXPECT_EQ(stock.stored(QStringLiteral("MEHRWERT.DB"), 1, QStringLiteral("Prozent")).toInt(), 19);
  w->vatGrid()->item(0, 0)->setText(QStringLiteral("neunzehn"));
  EXPECT_EQ(stock.stored(QStringLiteral("MEHRWERT.DB"), 1, QStringLiteral("Prozent")).toInt(), 19);
  EXPECT_EQ(w->vatGrid()->item(0, 0)->text(), QStringLiteral("19"));

  dialogs.clear();
  dialogs.yes();
  w->deleteCategory(ledger.byName(QStringLiteral("Neue Kategorie"))->nr);
  EXPECT_FALSE(ledger.byName(QStringLiteral("Neue Kategorie")));
  EXPECT_EQ(w->categoryList()->count(), categories);
  w->close();
}

TEST(PeriodDialog, RefusesMonthsOutsideTheYearAndKeepsAskingUntilCancelled) {
  test::ScriptedDialogs dialogs;
  TStatistikDlg dlg;
  dlg.von()->setText(QStringLiteral("3"));
  dlg.bis()->setText(QStringLiteral("13"));
  dlg.jahr()->setText(QStringLiteral("2025"));
  dlg.show();
  dlg.accept();
  EXPECT_TRUE(dlg.isVisible());
  EXPECT_EQ(dialogs.shown().size(), 1u);
  dlg.bis()->setText(QStringLiteral("2"));
  dlg.accept();  // "von" after "bis"
  EXPECT_TRUE(dlg.isVisible());
  dlg.bis()->setText(QStringLiteral("6"));
  dlg.accept();
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
}

TEST_F(BookkeepingWindowTest, APointBeforeThreeDigitsGroupsThousandsInTheBookingAndTheOpeningBalance) {
  auto w = open();
  w->selectAccount(bank);
  // "1.234" is what the program itself prints for a thousand and more: 1234,00, not 1,23.
  enter(*w, QStringLiteral("03.02.2025"), QStringLiteral("1.234"), QStringLiteral("Tierverkauf"));
  EXPECT_TRUE(w->BitBtnSpeichernClick());
  EXPECT_EQ(ledger.account(bank)->balance, Money::fromUnits((100 + 1234) * 10000LL));
  // A single point before other than three digits is refused with the hint; nothing written.
  enter(*w, QStringLiteral("04.02.2025"), QStringLiteral("1.5"), QStringLiteral("Tierverkauf"));
  EXPECT_FALSE(w->BitBtnSpeichernClick());
  EXPECT_EQ(dialogs.texts().last(), QStringLiteral("Bitte Komma als Dezimalzeichen verwenden: 1,5"));
  EXPECT_EQ(stock.rowCount(QStringLiteral("BUCHUNG")), 1);
  w->BitBtnAbbruchClick();

  w->pages()->setCurrentIndex(2);
  w->newAccount(kKindCash);
  w->accountField(QStringLiteral("Name"))->setText(QStringLiteral("Vereinskasse"));
  w->accountField(QStringLiteral("Eroeffnungssaldo"))->setText(QStringLiteral("1.000"));
  emit w->accountField(QStringLiteral("Name"))->textEdited(QString());
  EXPECT_TRUE(w->saveAccountForm());
  ASSERT_TRUE(ledger.byName(QStringLiteral("Vereinskasse")));
  EXPECT_EQ(ledger.byName(QStringLiteral("Vereinskasse"))->opening, Money::fromUnits(1000 * 10000LL));
  w->accountField(QStringLiteral("Eroeffnungssaldo"))->setText(QStringLiteral("2.5"));
  emit w->accountField(QStringLiteral("Eroeffnungssaldo"))->textEdited(QString());
  EXPECT_FALSE(w->saveAccountForm());
  EXPECT_EQ(dialogs.texts().last(), QStringLiteral("Bitte Komma als Dezimalzeichen verwenden: 2,5"));
  EXPECT_EQ(ledger.byName(QStringLiteral("Vereinskasse"))->opening, Money::fromUnits(1000 * 10000LL));
  w->close();
}
