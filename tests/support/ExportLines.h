// The lines a text export writes for samples at 1 ms with A at 1 V and B at 0 V: 30 bytes each,
// "0000:00:00:000;1.0000;0.0000\r\n" for the first.
#pragma once

#include <QByteArray>

#include <cstdio>

namespace varnilog::test {

inline QByteArray exportLinesOneVoltOnA(int lines) {
    QByteArray text;
    for (int n = 0; n < lines; ++n) {
        char line[40];
        std::snprintf(line, sizeof(line), "%04d:%02d:%02d:%03d;1.0000;0.0000\r\n", n / 3600000,
                      n / 60000 % 60, n / 1000 % 60, n % 1000);
        text.append(line);
    }
    return text;
}

} // namespace varnilog::test
