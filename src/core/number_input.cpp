#include "core/number_input.h"

#include <QRegularExpression>

#include <limits>

namespace lapiro::core {

namespace {

bool asciiDigits(QStringView s) {
  for (QChar c : s)
    if (c < u'0' || c > u'9') return false;
  return true;
}

// "1.000", "12.345.678": groups of three after a first group of one to three digits that
// does not start with 0 ("0.500" reads as a decimal, so it is not a group).
bool isGrouped(const QString& s) {
  static const QRegularExpression grouped(QStringLiteral(R"(^[1-9][0-9]{0,2}(\.[0-9]{3})+$)"));
  return grouped.match(s).hasMatch();
}

}  // namespace

bool TypedNumber::isWhole() const {
  for (QChar c : fraction)
    if (c != u'0') return false;
  return true;
}

double TypedNumber::toDouble() const {
  const QString plain = whole + (fraction.isEmpty() ? QString() : u'.' + fraction);
  const double v = plain.toDouble();  // ASCII digits and one point: read the same in any locale
  return negative ? -v : v;
}

std::optional<qint64> TypedNumber::scaled(int decimals) const {
  const QString digits = fraction.leftJustified(decimals + 1, u'0');
  qint64 v = 0;
  const qint64 limit = std::numeric_limits<qint64>::max() / 10 - 10;
  for (QChar c : whole + digits.left(decimals)) {
    if (v > limit) return std::nullopt;
    v = v * 10 + (c.unicode() - u'0');
  }
  if (digits.at(decimals) >= u'5') ++v;
  return negative ? -v : v;
}

NumberReading readTypedNumber(const QString& input) {
  NumberReading r;
  QString text = input.trimmed();
  if (text.isEmpty()) return r;
  r.kind = NumberReading::Kind::Invalid;
  TypedNumber n;
  if (text.startsWith(u'-') || text.startsWith(u'+')) {
    n.negative = text.front() == u'-';
    text.remove(0, 1);
  }
  if (text.isEmpty() || text.count(u',') > 1) return r;
  QString whole = text, fraction;
  if (const qsizetype comma = text.indexOf(u','); comma >= 0) {
    whole = text.left(comma);
    fraction = text.mid(comma + 1);
    if (whole.contains(u'.')) {
      if (!isGrouped(whole)) return r;
      whole.remove(u'.');
    }
  } else if (text.contains(u'.')) {
    if (isGrouped(text)) {
      whole.remove(u'.');
    } else {
      const qsizetype dot = text.indexOf(u'.');
      if (text.count(u'.') == 1 && asciiDigits(QStringView(text).left(dot)) &&
          asciiDigits(QStringView(text).mid(dot + 1)) && text.size() > 1) {
        r.kind = NumberReading::Kind::Ambiguous;
        r.message = decimalCommaHint(input);
      }
      return r;
    }
  }
  if (whole.isEmpty() && fraction.isEmpty()) return r;
  if (!asciiDigits(whole) || !asciiDigits(fraction)) return r;
  n.whole = whole.isEmpty() ? QStringLiteral("0") : whole;
  n.fraction = fraction;
  r.kind = NumberReading::Kind::Number;
  r.number = n;
  return r;
}

QString decimalCommaHint(const QString& text) {
  return QStringLiteral("Bitte Komma als Dezimalzeichen verwenden: %1").arg(text.trimmed().replace(u'.', u','));
}

QString refusalMessage(const NumberReading& reading, const QString& otherwise) {
  return reading.kind == NumberReading::Kind::Ambiguous ? reading.message : otherwise;
}

}  // namespace lapiro::core
