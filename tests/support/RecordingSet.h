// A small recording for a test: the ".ros" with the given settings and one sample file per channel
// from a list of codes (an empty list leaves that channel without a file).
#pragma once

#include "support/RecordingSetBuilder.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace varnilog::test {

using Codes = std::vector<std::uint8_t>;

inline QByteArray bytesOf(const Codes& codes) {
    return QByteArray(reinterpret_cast<const char*>(codes.data()), static_cast<qsizetype>(codes.size()));
}

// Writes codes as a whole sample file; false when it cannot be written whole.
inline bool writeCodes(const QString& path, const Codes& codes) {
    writeFile(path, bytesOf(codes));
    return !::testing::Test::HasFatalFailure();
}

struct RecordingContents {
    int timeBase = 10; // PODSTAWA: 10 = 1 ms
    int sensitivityA = 4, sensitivityB = 4;
    int channelCount = 2;
    std::vector<Codes> channels; // A, B, C, D; empty codes: no file
};

// Writes dir/base.ros and its sample files (through writeRecording); returns the ".ros" path.
inline QString writeRecording(const QString& dir, const QString& base, const RecordingContents& contents) {
    const QByteArray header =
        QStringLiteral("[PARAMETRY]\r\nPODSTAWA=%1\r\nCZULOSCA=%2\r\nCZULOSCB=%3\r\nILOSCKANALOW=%4\r\n")
            .arg(contents.timeBase)
            .arg(contents.sensitivityA)
            .arg(contents.sensitivityB)
            .arg(contents.channelCount)
            .toLatin1();
    std::vector<QByteArray> samples;
    for (const Codes& codes : contents.channels)
        samples.push_back(codes.empty() ? QByteArray() : bytesOf(codes));
    return writeRecording(dir, base, header, samples);
}

} // namespace varnilog::test
