#include "core/points.h"

#include <cmath>

namespace lapiro::core {

Points Points::fromDouble(double v) {
  if (!std::isfinite(v) || std::fabs(v) > 9.0e13) return Points();
  return Points(static_cast<qint64>(std::llround(v * 100.0)));
}

Points Points::mean(Points sum, int count) {
  const qint64 n = count;
  const qint64 a = sum.h_ < 0 ? -sum.h_ : sum.h_;
  const qint64 q = (2 * a + n) / (2 * n);  // half away from zero
  return Points(sum.h_ < 0 ? -q : q);
}

namespace {

QString digits(qint64 h, int minDecimals, QChar separator) {
  const bool negative = h < 0;
  const qint64 a = negative ? -h : h;
  QString s = QString::number(a / 100);
  QString frac = QStringLiteral("%1").arg(a % 100, 2, 10, QLatin1Char('0'));
  while (frac.size() > minDecimals && frac.endsWith(QLatin1Char('0'))) frac.chop(1);
  if (!frac.isEmpty()) s += separator + frac;
  return negative ? QLatin1Char('-') + s : s;
}

}  // namespace

QString Points::text(QChar decimalSeparator) const { return digits(h_, 0, decimalSeparator); }

QString Points::twoDecimals(QChar decimalSeparator) const { return digits(h_, 2, decimalSeparator); }

}  // namespace lapiro::core
