// Numbers as the windows show them: the general floating-point format in the user's locale.
#pragma once

#include <QLocale>
#include <QString>

namespace varnilog {

// value with at most significantDigits significant digits, trailing zeros dropped, the locale's
// decimal separator and no digit grouping. A zero is "0", whatever its sign.
QString generalNumberText(double value, int significantDigits, const QLocale& locale);

} // namespace varnilog
