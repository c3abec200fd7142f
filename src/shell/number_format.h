// Fixed-point numbers as the inbreeding results show them: the value is first rounded to a
// number of significant digits and then written with a fixed number of decimals, missing
// digits as zeros. So 0.03125 at 3 significant digits and 5 decimals is "0,03130" and 21.43
// at 2 significant digits and 2 decimals is "21,00" (German separator).
#pragma once

#include <QChar>
#include <QString>

namespace lapiro::shell {

// Rounds `value` to `significant` digits (halves away from zero) and writes it with
// `decimals` decimals and `separator` as the decimal separator. 0 is written as zeros;
// `significant` below 1 counts as 1.
QString formatSignificant(double value, int significant, int decimals, QChar separator);

// The same with the decimal separator of the program's locale (German, set at start-up).
QString formatSignificant(double value, int significant, int decimals);

// `value` with exactly `decimals` decimals and the program locale's decimal separator ("6,25").
QString formatFixed(double value, int decimals);

}  // namespace lapiro::shell
