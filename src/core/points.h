// Judging points held exactly, in hundredths.
//
// Show positions come in halves and tenths, means of presented young in hundredths. Summed as
// binary doubles, 18 + 18,1 + 14,5 + 19,5 + 13 + 4,6 + 4,3 gives 91.99999999999999 and a
// total that is shown as "92" falls below the threshold 92. Every sum, difference and
// comparison of points therefore goes through this type; doubles appear only where a value
// is read from or written to a table's float field.
#pragma once

#include <QChar>
#include <QString>
#include <QtGlobal>

#include <compare>
#include <optional>

namespace lapiro::core {

class Points {
 public:
  constexpr Points() = default;

  static constexpr Points fromHundredths(qint64 h) { return Points(h); }
  static constexpr Points whole(qint64 n) { return Points(n * 100); }
  // A stored float value, rounded to the nearest hundredth (half away from zero). Values
  // outside ±9e13 and non-finite values give 0.
  static Points fromDouble(double v);

  constexpr qint64 hundredths() const { return h_; }
  // The value as a float for a table field; exact to the hundredth when read back.
  double toDouble() const { return static_cast<double>(h_) / 100.0; }
  constexpr bool isZero() const { return h_ == 0; }

  constexpr Points operator+(Points o) const { return Points(h_ + o.h_); }
  constexpr Points operator-(Points o) const { return Points(h_ - o.h_); }
  constexpr Points& operator+=(Points o) {
    h_ += o.h_;
    return *this;
  }
  constexpr auto operator<=>(const Points&) const = default;

  // The mean of `sum` over `count` values, rounded to the hundredth (half away from zero).
  // REQUIRES: count > 0.
  static Points mean(Points sum, int count);

  // General number format: no trailing zeros, "92", "0,8", "19,25", "-1,5".
  QString text(QChar decimalSeparator = QLatin1Char(',')) const;
  // Exactly two decimals: "93,60", "95,00".
  QString twoDecimals(QChar decimalSeparator = QLatin1Char(',')) const;

 private:
  constexpr explicit Points(qint64 h) : h_(h) {}
  qint64 h_ = 0;
};

// Convenience for optional table values.
inline std::optional<Points> pointsOf(const std::optional<double>& v) {
  return v ? std::optional<Points>(Points::fromDouble(*v)) : std::nullopt;
}

}  // namespace lapiro::core
