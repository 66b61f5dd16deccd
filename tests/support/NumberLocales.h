// The two number formats the exports are checked in: a decimal point and the Polish decimal comma.
#pragma once

#include <QLocale>

namespace varnilog::test {

inline const QLocale kPoint(QLocale::English, QLocale::UnitedStates);
inline const QLocale kComma(QLocale::Polish, QLocale::Poland);

} // namespace varnilog::test
