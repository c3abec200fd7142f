#include "bookkeeping/statements.h"

#include "engine/query.h"

#include <map>

namespace lapiro::bookkeeping {

std::optional<Period> periodOf(int fromMonth, int toMonth, int year) {
  if (fromMonth < 1 || fromMonth > 12 || toMonth < 1 || toMonth > 12 || fromMonth > toMonth) return std::nullopt;
  if (year < 1 || year > 9999) return std::nullopt;
  const QDate start(year, fromMonth, 1);
  const QDate first(year, toMonth, 1);
  return Period{start, QDate(year, toMonth, first.daysInMonth())};
}

std::optional<Period> periodOf(const QString& fromMonth, const QString& toMonth, const QString& year) {
  bool ok1 = false, ok2 = false, ok3 = false;
  const int f = fromMonth.trimmed().toInt(&ok1), t = toMonth.trimmed().toInt(&ok2), y = year.trimmed().toInt(&ok3);
  if (!ok1 || !ok2 || !ok3) return std::nullopt;
  return periodOf(f, t, y);
}

namespace {
Money moneyField(engine::DataSet& q, const QString& name) {
  return q.field(name).asMoney();
}

// Income and expense bookings of the period in one pass over the bookings: the statement
// of both lists differs only in K.EinAus, so one query reads both and the rows are split here.
void directionLines(engine::Engine& engine, const Period& period, std::optional<qint64> account,
                    std::vector<StatementLine>& income, std::vector<StatementLine>& expenses) {
  engine::Query q(engine);
  q.setSql(QStringList{
      QStringLiteral("Select B.BuchungsNr,B.Kontoname,B.Kategorie,B.Buchungsdatum,"),
      QStringLiteral("       B.Betrag,K.EinAus,A.Name"),
      QStringLiteral("From Buchung.db B,Konten.db K,Konten.db A"),
      QStringLiteral("Where (B.Kontoname=A.LaufendeNummer)and(B.Kategorie=K.Name)and"),
      QStringLiteral("      (Buchungsdatum>=:Datum1)and(Buchungsdatum<=:Datum2)and"),
      QStringLiteral("      ((K.EinAus=:Einnahme)or(K.EinAus=:Ausgabe))"),
      QStringLiteral("Order By Buchungsdatum")});
  q.setParam(QStringLiteral("Datum1"), period.start);
  q.setParam(QStringLiteral("Datum2"), period.end);
  q.setParam(QStringLiteral("Einnahme"), QStringLiteral("Einnahme"));
  q.setParam(QStringLiteral("Ausgabe"), QStringLiteral("Ausgabe"));
  q.open();
  const int nr = q.fieldIndex(QStringLiteral("BuchungsNr")), konto = q.fieldIndex(QStringLiteral("Kontoname")),
            kategorie = q.fieldIndex(QStringLiteral("Kategorie")), datum = q.fieldIndex(QStringLiteral("Buchungsdatum")),
            betrag = q.fieldIndex(QStringLiteral("Betrag")), einAus = q.fieldIndex(QStringLiteral("EinAus")),
            name = q.fieldIndex(QStringLiteral("Name"));
  const qint64 count = q.recordCount();
  for (qint64 offset = 0; offset < count; offset += 1024) {
    for (const engine::DataSet::Row& row : q.readRows(offset, 1024)) {
      StatementLine l;
      l.account = row[size_t(konto)].toLongLong();
      if (account && l.account != *account) continue;
      l.bookingNr = row[size_t(nr)].toLongLong();
      l.category = row[size_t(kategorie)].toString();
      l.date = row[size_t(datum)].toDate();
      const QVariant& m = row[size_t(betrag)];
      l.amount = m.userType() == qMetaTypeId<Money>() ? m.value<Money>() : Money::fromUnits(m.toLongLong());
      l.accountName = row[size_t(name)].toString();
      (row[size_t(einAus)].toString() == QStringLiteral("Einnahme") ? income : expenses).push_back(std::move(l));
    }
  }
  q.close();
}
}  // namespace

CategoryStatement categoryStatement(engine::Engine& engine, const QString& category, const Period& period) {
  engine::Query q(engine);
  q.setSql(QStringList{QStringLiteral("Select b.BuchungsNr,b.buchungsdatum,b.betrag,k.name,b.kontoname,b.Kategorie,"),
                       QStringLiteral("       k.laufendeNummer  from"), QStringLiteral("Buchung.db b,konten.db k"),
                       QStringLiteral("where"), QStringLiteral("  (b.Kategorie= :Name) and"),
                       QStringLiteral("  (b.Buchungsdatum>=:Datum1) and (b.Buchungsdatum<=:Datum2)and"),
                       QStringLiteral("  (b.Kontoname=k.LaufendeNummer)"), QStringLiteral("order by"),
                       QStringLiteral("  b.buchungsdatum,k.name")});
  q.setParam(QStringLiteral("Name"), category);
  q.setParam(QStringLiteral("Datum1"), period.start);
  q.setParam(QStringLiteral("Datum2"), period.end);
  q.open();
  CategoryStatement out;
  for (q.first(); !q.eof(); q.next()) {
    CategoryLine l;
    l.bookingNr = q.field(0).asInteger();
    l.date = q.field(1).asDate();
    l.amount = moneyField(q, q.field(2).name());
    l.accountName = q.field(3).asString();
    l.account = q.field(4).asInteger();
    out.total += l.amount;
    out.lines.push_back(std::move(l));
  }
  q.close();
  return out;
}

IncomeExpense incomeExpense(engine::Engine& engine, const Period& period, std::optional<qint64> account) {
  IncomeExpense out;
  directionLines(engine, period, account, out.income, out.expenses);
  for (const auto& l : out.income) out.incomeTotal += l.amount;
  for (const auto& l : out.expenses) out.expenseTotal -= l.amount;
  return out;
}

std::vector<CategorySum> sumsByCategory(const std::vector<StatementLine>& lines) {
  std::map<QString, Money> sums;
  for (const auto& l : lines) sums[l.category] += l.amount;
  std::vector<CategorySum> out;
  for (const auto& [name, sum] : sums) out.push_back({name, sum});
  return out;
}

}  // namespace lapiro::bookkeeping
