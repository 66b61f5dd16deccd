#include "view/NumberText.h"

namespace varnilog {

QString generalNumberText(double value, int significantDigits, const QLocale& locale) {
    QLocale format(locale);
    format.setNumberOptions(format.numberOptions() | QLocale::OmitGroupSeparator);
    // A small negative value truncated toward zero is -0.0, which would read "-0".
    if (value == 0.0)
        value = 0.0;
    return format.toString(value, 'g', significantDigits);
}

} // namespace varnilog
