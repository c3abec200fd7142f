#include "engine/field_input.h"

#include "core/number_input.h"

#include <QLocale>
#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace lapiro::engine {

namespace {

}  // namespace

QString invalidValueMessage(const QString& text, const QString& fieldName) {
  return QStringLiteral("»%1« ist kein gültiger Wert für das Feld %2.").arg(text, fieldName);
}

QString fractionMessage(const QString& text, const QString& fieldName) {
  return QStringLiteral("»%1« ist keine ganze Zahl. Das Feld %2 nimmt nur ganze Zahlen auf.").arg(text, fieldName);
}

std::pair<qlonglong, qlonglong> wholeNumberRange(FieldType type) {
  if (type == FieldType::Short) return {-32768, 32767};
  return {std::numeric_limits<qlonglong>::min(), std::numeric_limits<qlonglong>::max()};
}

QString cutToSize(const QString& text, int size) {
  if (size <= 0 || text.size() <= size) return text;
  qsizetype cut = size;
  if (text.at(cut - 1).isHighSurrogate()) --cut;
  return text.left(cut);
}

std::optional<double> parseGermanDecimal(const QString& text) {
  const core::NumberReading r = core::readTypedNumber(text);
  if (!r.isNumber()) return std::nullopt;
  const double v = r.number->toDouble();
  if (!std::isfinite(v)) return std::nullopt;
  return v;
}

std::optional<QDate> parseGermanDate(const QString& input) {
  const QString t = input.trimmed();
  static const QRegularExpression german(QStringLiteral(R"(^([0-9]{1,2})\.([0-9]{1,2})\.([0-9]{2}|[0-9]{4})$)"));
  static const QRegularExpression iso(QStringLiteral(R"(^([0-9]{4})-([0-9]{2})-([0-9]{2})$)"));
  int day = 0, month = 0, year = 0;
  if (const auto m = german.match(t); m.hasMatch()) {
    day = m.captured(1).toInt();
    month = m.captured(2).toInt();
    year = m.captured(3).toInt();
    if (m.capturedLength(3) == 2) year += year < 50 ? 2000 : 1900;
  } else if (const auto m2 = iso.match(t); m2.hasMatch()) {
    year = m2.captured(1).toInt();
    month = m2.captured(2).toInt();
    day = m2.captured(3).toInt();
  } else {
    return std::nullopt;
  }
  if (year < 1 || year > 9999 || !QDate::isValid(year, month, day)) return std::nullopt;
  return QDate(year, month, day);
}

FieldInput parseFieldInput(FieldType type, int size, const QString& text, const QString& fieldName) {
  // Text fields keep blanks as typed (a single blank is a value, e.g. "no sex recorded");
  // for every other type a box holding only blanks is empty.
  if (text.isEmpty()) return {};
  if (type != FieldType::Alpha && type != FieldType::Memo && text.trimmed().isEmpty()) return {};
  const auto refuse = [&] { return FieldInput{QVariant(), invalidValueMessage(text, fieldName)}; };
  // Numbers: an ambiguous point is refused with the hint to type a comma.
  const auto number = [&]() -> std::optional<core::TypedNumber> { return core::readTypedNumber(text).number; };
  const auto refuseNumber = [&] {
    return FieldInput{QVariant(), core::refusalMessage(core::readTypedNumber(text), invalidValueMessage(text, fieldName))};
  };
  switch (type) {
    case FieldType::AutoInc:
    case FieldType::Short:
    case FieldType::Long: {
      const auto parts = number();
      if (!parts) return refuseNumber();
      if (!parts->isWhole()) return {QVariant(), fractionMessage(text, fieldName)};
      bool fits = false;
      qlonglong v = (parts->negative ? u'-' + parts->whole : parts->whole).toLongLong(&fits);
      if (!fits) return refuse();
      const auto [low, high] = wholeNumberRange(type);
      if (v < low || v > high) return refuse();
      return {QVariant(v), {}};
    }
    case FieldType::Number: {
      const auto v = parseGermanDecimal(text);
      if (!v) return refuseNumber();
      return {QVariant(*v), {}};
    }
    case FieldType::Money: {
      const auto m = Money::parse(text);
      if (!m) {
        QString plain = text;
        plain.remove(u' ').remove(u'€');
        return {QVariant(), core::refusalMessage(core::readTypedNumber(plain), invalidValueMessage(text, fieldName))};
      }
      return {QVariant::fromValue(*m), {}};
    }
    case FieldType::Date: {
      const auto d = parseGermanDate(text);
      if (!d) return refuse();
      return {QVariant(*d), {}};
    }
    case FieldType::Logical: {
      const QString t = text.trimmed().toUpper();
      if (t == u"1" || t == u"J" || t == u"JA" || t == u"T" || t == u"TRUE" || t == u"Y") return {QVariant(true), {}};
      if (t == u"0" || t == u"N" || t == u"NEIN" || t == u"F" || t == u"FALSE") return {QVariant(false), {}};
      return refuse();
    }
    case FieldType::Alpha: return {QVariant(cutToSize(text, size)), {}};
    case FieldType::Memo: return {QVariant(text), {}};
    case FieldType::Graphic: return refuse();
  }
  return refuse();
}

QString editText(FieldType type, const QVariant& typed) {
  if (!typed.isValid() || typed.isNull()) return {};
  switch (type) {
    case FieldType::Number: {
      QLocale german(QLocale::German, QLocale::Germany);
      german.setNumberOptions(QLocale::OmitGroupSeparator);
      return german.toString(typed.toDouble(), 'f', QLocale::FloatingPointShortest);
    }
    case FieldType::Money: {
      // Two decimals as usual, all four when the amount has them, so nothing is rounded away.
      const std::int64_t units = typed.value<Money>().units();
      const std::int64_t magnitude = units < 0 ? -units : units;
      QString text = QStringLiteral("%1%2,%3")
                         .arg(units < 0 ? QStringLiteral("-") : QString())
                         .arg(magnitude / 10000)
                         .arg(magnitude % 10000, 4, 10, QLatin1Char('0'));
      if (text.endsWith(QStringLiteral("00"))) text.chop(2);
      return text;
    }
    case FieldType::Date: return typed.toDate().toString(QStringLiteral("dd.MM.yyyy"));
    case FieldType::Logical: return typed.toBool() ? QStringLiteral("Ja") : QStringLiteral("Nein");
    case FieldType::Graphic: return {};
    default: return typed.toString();
  }
}

}  // namespace lapiro::engine
