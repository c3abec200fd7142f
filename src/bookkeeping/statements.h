// The cash book's evaluations: bookings of a category over a period, and income against
// expenses over a period. Sums are exact in units of 1/10000.
#pragma once

#include "bookkeeping/ledger.h"

#include <QDate>
#include <QString>

#include <optional>
#include <vector>

namespace lapiro::bookkeeping {

// From the first day of month `from` to the last day of month `to` of `year`.
struct Period {
  QDate start;
  QDate end;
  bool contains(const QDate& d) const { return d >= start && d <= end; }
};

// The period of the dialog "Statistik ": months 1 to 12, from <= to, a year 1 to 9999; the
// texts as typed. nullopt when they give no period (a month outside 1 to 12, not a number,
// from after to).
std::optional<Period> periodOf(const QString& fromMonth, const QString& toMonth, const QString& year);
std::optional<Period> periodOf(int fromMonth, int toMonth, int year);

struct CategoryLine {
  qint64 bookingNr = 0;
  QDate date;
  QString accountName;
  qint64 account = 0;
  Money amount;
};

struct CategoryStatement {
  std::vector<CategoryLine> lines;  // by date, then account name
  Money total;                      // "Gesamt"
};

// The bookings whose Kategorie is `category`, dated within the period, joined with their
// account. Throws EngineError.
CategoryStatement categoryStatement(engine::Engine& engine, const QString& category, const Period& period);

struct StatementLine {
  qint64 bookingNr = 0;
  qint64 account = 0;
  QString accountName;
  QString category;
  QDate date;
  Money amount;  // as stored: expenses negative
};

struct IncomeExpense {
  std::vector<StatementLine> income;    // by date
  std::vector<StatementLine> expenses;  // by date
  Money incomeTotal;   // "Einnahmen gesamt"
  Money expenseTotal;  // "Ausgaben gesamt": positive, the negated sum of the expense amounts
  Money saldo() const { return incomeTotal - expenseTotal; }  // "Saldo Einnahmen/Ausgaben"
};

// Income and expense bookings within the period: bookings on a category marked "Einnahme"
// respectively "Ausgabe", joined with their account; transfers and bookings on a name no
// longer in KONTEN.DB are in neither list. With `account` only that account's bookings.
// Throws EngineError.
IncomeExpense incomeExpense(engine::Engine& engine, const Period& period, std::optional<qint64> account = {});

// Income and expense totals per category, for the printout: category name and sum, by name.
struct CategorySum {
  QString category;
  Money sum;
};
std::vector<CategorySum> sumsByCategory(const std::vector<StatementLine>& lines);

}  // namespace lapiro::bookkeeping
