// Writes a small recording for a test: the ".ros" with the given settings and one sample file per
// channel from a list of codes (an empty list leaves that channel without a file).
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace varnilog::test {

using Codes = std::vector<std::uint8_t>;

inline bool writeCodes(const QString& path, const Codes& codes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) &&
           f.write(reinterpret_cast<const char*>(codes.data()), static_cast<qint64>(codes.size())) ==
               static_cast<qint64>(codes.size());
}

struct RecordingContents {
    int timeBase = 10; // PODSTAWA: 10 = 1 ms
    int sensitivityA = 4, sensitivityB = 4;
    int channelCount = 2;
    std::vector<Codes> channels; // A, B, C, D; empty codes: no file
};

// Writes dir/base.ros and its sample files; returns the ".ros" path (empty when a write failed).
inline QString writeRecording(const QString& dir, const QString& base, const RecordingContents& contents) {
    const QString stem = QDir(dir).filePath(base);
    QFile ros(stem + QStringLiteral(".ros"));
    if (!ros.open(QIODevice::WriteOnly))
        return {};
    ros.write(
        QStringLiteral("[PARAMETRY]\r\nPODSTAWA=%1\r\nCZULOSCA=%2\r\nCZULOSCB=%3\r\nILOSCKANALOW=%4\r\n")
            .arg(contents.timeBase)
            .arg(contents.sensitivityA)
            .arg(contents.sensitivityB)
            .arg(contents.channelCount)
            .toLatin1());
    const char* extensions[] = {".rca", ".rcb", ".rcc", ".rcd"};
    for (std::size_t c = 0; c < contents.channels.size() && c < 4; ++c)
        if (!contents.channels[c].empty() &&
            !writeCodes(stem + QString::fromLatin1(extensions[c]), contents.channels[c]))
            return {};
    return stem + QStringLiteral(".ros");
}

} // namespace varnilog::test
