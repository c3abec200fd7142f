#include "shell/number_format.h"

#include <QLocale>

#include <cmath>

namespace lapiro::shell {

QString formatSignificant(double value, int significant, int decimals, QChar separator) {
  if (significant < 1) significant = 1;
  double rounded = 0;
  if (value != 0 && std::isfinite(value)) {
    const int exponent = static_cast<int>(std::floor(std::log10(std::fabs(value))));
    const int shift = significant - 1 - exponent;
    // Scale by an exact power of ten on the side that keeps the product exact where it can.
    if (shift >= 0) {
      const double scale = std::pow(10.0, shift);
      rounded = std::round(value * scale) / scale;
    } else {
      const double scale = std::pow(10.0, -shift);
      rounded = std::round(value / scale) * scale;
    }
  }
  QString text = QString::number(rounded, 'f', decimals);
  if (text.startsWith(u'-') && text.count(u'0') + 1 + (decimals > 0 ? 1 : 0) == text.size())
    text.remove(0, 1);  // no "-0,00"
  if (separator != u'.') text.replace(u'.', separator);
  return text;
}

QString formatSignificant(double value, int significant, int decimals) {
  const QString point = QLocale().decimalPoint();
  return formatSignificant(value, significant, decimals, point.isEmpty() ? QChar(u',') : point.at(0));
}

QString formatFixed(double value, int decimals) {
  const QString point = QLocale().decimalPoint();
  QString text = QString::number(value, 'f', decimals);
  if (!point.isEmpty() && point != QStringLiteral(".")) text.replace(u'.', point.at(0));
  return text;
}

}  // namespace lapiro::shell
