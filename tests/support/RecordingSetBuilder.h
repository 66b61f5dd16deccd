// Writes recording sets as tests need them: a ".ros" header (any bytes, or none) and sample files of
// given lengths and values, in a folder of the test's.
#pragma once

#include "app/SharedState.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
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

// A set named base in folder: header as the ".ros" (not written when null), then the sample files
// from A holding the bytes given. A file that cannot be written whole fails the test. Returns the
// ".ros" path.
inline QString writeRecording(const QString& folder, const QString& base, const QByteArray& header,
                              std::initializer_list<QByteArray> samples) {
    const QString stem = QDir(folder).filePath(base);
    if (!header.isNull()) {
        EXPECT_TRUE(writeBytes(stem + QStringLiteral(".ros"), header)) << stem.toStdString();
    }
    int c = 0;
    for (const QByteArray& bytes : samples) {
        const QString path = stem + QString::fromLatin1(kSampleExtensions[c++]);
        EXPECT_TRUE(writeBytes(path, bytes)) << path.toStdString();
    }
    return stem + QStringLiteral(".ros");
}

// A state whose settings make the header "PODSTAWA=13, CZULOSCA=4, CZULOSCB=10, TRYBA=2, TRYBB=1,
// OFFSETA=255, OFFSETB=0, ILOSCKANALOW=2": every key differs from its default.
inline std::unique_ptr<SharedState> headerSettingsState() {
    auto state = std::make_unique<SharedState>();
    state->timeBaseIndex = 13;
    state->channelSensitivity = {4, 10, 1, 1};
    state->channelMode = {ModeDC, ModeGND, ModeAC, ModeAC};
    state->channelOffset = {255, 0, 7, 7};
    state->channelCount = 2;
    return state;
}

} // namespace varnilog::test
