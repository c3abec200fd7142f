#include "bookkeeping/statement_report.h"

namespace lapiro::bookkeeping {

using reports::Band;
using reports::Element;
using reports::ReportDataSource;

namespace {

const QString kArt = QStringLiteral("Art");
const QString kText = QStringLiteral("Text");
const QString kDatum = QStringLiteral("Datum");
const QString kWert = QStringLiteral("Wert");

// Row kinds; each prints through its own band.
enum Kind { Line, Heading, SubHeading, ColumnHeads, Total, Gap };

std::function<bool(const ReportDataSource&, int)> when(Kind kind) {
  return [kind](const ReportDataSource& d, int row) { return d.value(row, kArt).toInt() == kind; };
}

}  // namespace

StatementPrintout incomeStatementPrintout(const Period& period, const IncomeExpense& figures,
                                          const std::vector<Account>& accounts, const QDate& today,
                                          const QString& accountName, const reports::ReportFont& font) {
  StatementPrintout out;
  reports::Report& r = out.report;
  r.title = QStringLiteral("Gewinn- und Verlustrechnung");
  r.defaultFont = font;
  const double w = r.page.bodyWidth();
  const double valueX = w - 40.0, dateX = w - 80.0;

  // Lines: name, date, value.
  r.detail = Band(6.0);
  r.detail.printWhen = when(Line);
  r.detail.add(Element::dataField({8.0, 0.5, dateX - 10.0, 5.0}, kText).singleLine());
  r.detail.add(Element::dataField({dateX, 0.5, 35.0, 5.0}, kDatum, reports::ValueFormat::date()));
  r.detail.add(Element::dataField({valueX, 0.5, 40.0, 5.0}, kWert, reports::ValueFormat::money()).align(Qt::AlignRight | Qt::AlignTop));

  Band heading(22.0);
  heading.startNewPage = true;
  heading.printWhen = when(Heading);
  heading.add(Element::dataField({0.0, 2.0, w, 10.0}, kText).bold().size(16.0));
  heading.add(Element::hLine(0.0, w, 14.0, 0.5));
  r.children.push_back(heading);

  Band sub(9.0);
  sub.printWhen = when(SubHeading);
  sub.add(Element::dataField({0.0, 2.0, w, 6.0}, kText).bold());
  r.children.push_back(sub);

  Band heads(8.0);
  heads.printWhen = when(ColumnHeads);
  heads.add(Element::dataField({8.0, 1.0, dateX - 10.0, 5.0}, kText).bold());
  heads.add(Element::dataField({dateX, 1.0, 35.0, 5.0}, kDatum).bold());
  heads.add(Element::label({valueX, 1.0, 40.0, 5.0}, kWert).bold().align(Qt::AlignRight | Qt::AlignTop));
  heads.add(Element::hLine(8.0, w, 7.0));
  r.children.push_back(heads);

  Band total(9.0);
  total.printWhen = when(Total);
  total.add(Element::hLine(valueX, w, 0.8));
  total.add(Element::dataField({8.0, 2.0, valueX - 10.0, 5.0}, kText).bold());
  total.add(Element::dataField({valueX, 2.0, 40.0, 5.0}, kWert, reports::ValueFormat::money()).bold().align(Qt::AlignRight | Qt::AlignTop));
  r.children.push_back(total);

  Band gap(6.0);
  gap.printWhen = when(Gap);
  gap.add(Element::label({0.0, 0.0, 1.0, 1.0}, QString()));
  r.children.push_back(gap);
  r.pageFooter = reports::standardPageFooter(w);

  auto row = [&](Kind kind, const QString& text, const QVariant& value = {}, const QVariant& date = {}) {
    out.data.append({{kArt, int(kind)}, {kText, text}, {kWert, value}, {kDatum, date}});
  };
  auto money = [](Money m) { return QVariant::fromValue(m); };
  const QString range = period.start.toString(QStringLiteral("dd.MM.yyyy")) + QStringLiteral(" - ") +
                        period.end.toString(QStringLiteral("dd.MM.yyyy"));

  row(Heading, QStringLiteral("Gewinn- und Verlustrechnung"));
  row(SubHeading, QStringLiteral("gewählter Zeitraum : ") + range);
  if (!accountName.isEmpty()) row(SubHeading, QStringLiteral("Konto : ") + accountName);
  row(Gap, {});
  row(SubHeading, QStringLiteral("Eröffnungssalden :"));
  row(ColumnHeads, QStringLiteral("Konto"), {}, QStringLiteral("zum"));
  Money opening;
  for (const Account& a : accounts) {
    row(Line, a.name, money(a.opening), a.openedOn.isValid() ? QVariant(a.openedOn) : QVariant());
    opening += a.opening;
  }
  row(Total, QStringLiteral("Summe Eröffnungssalden:"), money(opening));

  auto section = [&](const QString& title, const std::vector<StatementLine>& lines, bool negate, Money sum) {
    row(Heading, title);
    row(SubHeading, QStringLiteral("Zeitraum : ") + range);
    row(ColumnHeads, QStringLiteral("Kategorie"));
    const auto sums = sumsByCategory(lines);
    if (sums.empty()) row(Line, QStringLiteral("(keine Buchungen)"));
    for (const CategorySum& c : sums) row(Line, c.category, money(negate ? -c.sum : c.sum));
    row(Total, QStringLiteral("Saldo:"), money(sum));
  };
  section(QStringLiteral("Einnahmen"), figures.income, false, figures.incomeTotal);
  row(Gap, {});
  // Expenses on their own page, as positive figures.
  section(QStringLiteral("Ausgaben"), figures.expenses, true, figures.expenseTotal);

  row(Heading, QStringLiteral("Schlußsalden zum ") + today.toString(QStringLiteral("dd.MM.yyyy")));
  row(ColumnHeads, QStringLiteral("Konto"));
  Money closing;
  for (const Account& a : accounts) {
    row(Line, a.name, money(a.balance));
    closing += a.balance;
  }
  row(Total, QStringLiteral("Summe Schlußsalden:"), money(closing));
  row(Gap, {});
  row(Line, QStringLiteral("Einnahmen gesamt"), money(figures.incomeTotal));
  row(Line, QStringLiteral("Ausgaben gesamt"), money(figures.expenseTotal));
  row(Total, QStringLiteral("Saldo Einnahmen/Ausgaben:"), money(figures.saldo()));
  return out;
}

}  // namespace lapiro::bookkeeping
