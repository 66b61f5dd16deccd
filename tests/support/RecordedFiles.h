// What tests check in the files a recording left (read whole with TestFiles.h's readFile): the counter
// ramp the simulated board sends (channel A the low byte, B the high byte of the sample number) and
// the bytes this process has read so far.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include "support/TestFiles.h"

#include <algorithm>
#include <cstdint>

namespace varnilog::test {

// -1 when a and b are both the counter ramp 0..size-1, else the first sample that breaks it or that
// only one of the files has.
inline qsizetype firstBrokenSample(const QByteArray& a, const QByteArray& b) {
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype n = 0; n < common; ++n)
        if (static_cast<std::uint8_t>(a[n]) != (n & 0xFF) ||
            static_cast<std::uint8_t>(b[n]) != ((n >> 8) & 0xFF))
            return n;
    return a.size() == b.size() ? -1 : common;
}

// Bytes this process has read through read calls so far (Linux), -1 when unknown.
inline qint64 bytesReadSoFar() {
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : io.readAll().split('\n'))
        if (line.startsWith("rchar:"))
            return line.mid(6).trimmed().toLongLong();
    return -1;
}

} // namespace varnilog::test
