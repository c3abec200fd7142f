#include "bookkeeping/amount.h"

#include <QRegularExpression>

namespace lapiro::bookkeeping {

using engine::Money;

std::optional<Money> parseAmount(const QString& input) {
  QString text = input.trimmed();
  text.remove(u' ');
  text.remove(QChar(0x00A0));
  if (text.endsWith(u'€')) text.chop(1);
  else if (text.endsWith(QStringLiteral("DM"), Qt::CaseInsensitive)) text.chop(2);
  if (text.isEmpty()) return std::nullopt;

  bool negative = false;
  if (text.startsWith(u'-') || text.startsWith(u'+')) {
    negative = text.front() == u'-';
    text.remove(0, 1);
  }
  if (text.isEmpty()) return std::nullopt;

  // Decide which character separates the decimals: the last of comma and point when both
  // occur; a character that occurs more than once groups thousands; a single one is decimal.
  const int commas = int(text.count(u',')), points = int(text.count(u'.'));
  QChar decimal, grouping;
  if (commas > 0 && points > 0) {
    decimal = text.lastIndexOf(u',') > text.lastIndexOf(u'.') ? u',' : u'.';
    grouping = decimal == u',' ? u'.' : u',';
    if (text.count(decimal) != 1) return std::nullopt;
  } else if (commas + points == 1) {
    decimal = commas ? u',' : u'.';
  } else if (commas > 1 || points > 1) {
    grouping = commas ? u',' : u'.';
  }

  QString whole = text, fraction;
  if (!decimal.isNull()) {
    const int at = int(text.indexOf(decimal));
    whole = text.left(at);
    fraction = text.mid(at + 1);
  }
  if (!grouping.isNull() && whole.contains(grouping)) {
    static const QRegularExpression grouped(QStringLiteral(R"(^\d{1,3}(?:[.,]\d{3})+$)"));
    if (!grouped.match(whole).hasMatch()) return std::nullopt;
    whole.remove(grouping);
  }
  if (whole.isEmpty() && fraction.isEmpty()) return std::nullopt;
  if (whole.isEmpty()) whole = QStringLiteral("0");
  for (QChar c : whole)
    if (c < u'0' || c > u'9') return std::nullopt;
  for (QChar c : fraction)
    if (c < u'0' || c > u'9') return std::nullopt;
  if (whole.size() > 12) return std::nullopt;

  // Whole cents, rounded half away from zero on the third decimal.
  qint64 cents = whole.toLongLong() * 100;
  const QString digits = fraction.leftJustified(3, u'0');
  cents += digits.left(2).toLongLong();
  if (digits.at(2) >= u'5') cents += 1;
  return Money::fromUnits((negative ? -cents : cents) * 100);
}

}  // namespace lapiro::bookkeeping
