#include "bookkeeping/amount.h"

#include "core/number_input.h"

namespace lapiro::bookkeeping {

using engine::Money;

namespace {

QString withoutDecoration(const QString& input) {
  QString text = input.trimmed();
  text.remove(u' ');
  text.remove(QChar(0x00A0));
  if (text.endsWith(u'€')) text.chop(1);
  else if (text.endsWith(QStringLiteral("DM"), Qt::CaseInsensitive)) text.chop(2);
  return text;
}

}  // namespace

std::optional<Money> parseAmount(const QString& input) {
  const core::NumberReading r = core::readTypedNumber(withoutDecoration(input));
  if (!r.isNumber() || r.number->whole.size() > 12) return std::nullopt;
  const auto cents = r.number->scaled(2);
  if (!cents) return std::nullopt;
  return Money::fromUnits(*cents * 100);
}

QString amountRefusal(const QString& text) {
  return core::refusalMessage(core::readTypedNumber(withoutDecoration(text)),
                              QStringLiteral("\"%1\" ist kein gültiger Betrag.").arg(text.trimmed()));
}

}  // namespace lapiro::bookkeeping
