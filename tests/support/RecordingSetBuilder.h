// Writes recording sets as tests need them: a ".ros" header (any bytes, or none) and sample files of
// given lengths and values, in a folder of the test's.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <initializer_list>
#include <utility>

namespace varnilog::test {

inline constexpr char kSampleExtensions[4][5] = {".rca", ".rcb", ".rcc", ".rcd"};

// Writes bytes to path (replacing it); false when the file cannot be written whole.
inline bool writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// A set named base in folder: header as the ".ros" (not written when null), then one entry per
// channel from A: {count, value} writes count bytes of value, a negative count writes no file.
// Returns the ".ros" path.
inline QString writeRecordingSet(const QString& folder, const QString& base, const QByteArray& header,
                                 std::initializer_list<std::pair<int, int>> channels) {
    const QString stem = QDir(folder).filePath(base);
    if (!header.isNull())
        writeBytes(stem + QStringLiteral(".ros"), header);
    int c = 0;
    for (const auto& [count, value] : channels) {
        if (count >= 0)
            writeBytes(stem + QString::fromLatin1(kSampleExtensions[c]),
                       QByteArray(count, static_cast<char>(value)));
        ++c;
    }
    return stem + QStringLiteral(".ros");
}

} // namespace varnilog::test
