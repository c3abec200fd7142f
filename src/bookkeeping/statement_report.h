// The printed income and expense statement ("&Drucken" on the evaluation page): three A4
// portrait parts one after the other, each starting on a new page:
//   "Gewinn- und Verlustrechnung" with the period and the opening balances of the money
//   accounts; "Einnahmen" and "Ausgaben", one line per category with its total, each closed by
//   "Saldo:"; "Schlußsalden zum <date>" with each account's balance, their sum and
//   "Saldo Einnahmen/Ausgaben:".
// Amounts in German notation with two decimals; expenses print as positive figures.
#pragma once

#include "bookkeeping/ledger.h"
#include "bookkeeping/statements.h"
#include "reports/data_source.h"
#include "reports/report.h"

namespace lapiro::bookkeeping {

struct StatementPrintout {
  reports::Report report;
  reports::MemoryDataSource data;
};

// `accounts`: the money accounts to list (all of them, or the one chosen); `accountName`
// names that one in the heading (empty for all accounts); `today` is the closing date.
StatementPrintout incomeStatementPrintout(const Period& period, const IncomeExpense& figures,
                                          const std::vector<Account>& accounts, const QDate& today,
                                          const QString& accountName = {},
                                          const reports::ReportFont& font = {QStringLiteral("Arial"), 10.0});

}  // namespace lapiro::bookkeeping
