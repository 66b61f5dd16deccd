// The one writer of recording sets for tests: a ".ros" header (any bytes, or none) and the sample
// files of channels A.. (given bytes, or none), in a folder of the test's.
#pragma once

#include "app/SharedState.h"
#include "recording/RecordingFileSet.h"
#include "support/TestFiles.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

namespace varnilog::test {

// A set named base in folder: header as the ".ros" (not written when null), then the sample files
// from A holding the bytes given (a null QByteArray writes no file of that channel). A file that
// cannot be written whole fails the test. Returns the ".ros" path.
inline QString writeRecording(const QString& folder, const QString& base, const QByteArray& header,
                              const std::vector<QByteArray>& samples) {
    const QString stem = QDir(folder).filePath(base);
    if (!header.isNull())
        writeFile(stem + QStringLiteral(".ros"), header);
    for (std::size_t c = 0; c < samples.size() && c < kRecordingSampleExtensions.size(); ++c)
        if (!samples[c].isNull())
            writeFile(stem + QString::fromLatin1(kRecordingSampleExtensions[c]), samples[c]);
    return stem + QStringLiteral(".ros");
}

// The same with channel files of {count, value}: count bytes of value; a negative count writes no file.
inline QString writeRecordingSet(const QString& folder, const QString& base, const QByteArray& header,
                                 std::initializer_list<std::pair<int, int>> channels) {
    std::vector<QByteArray> samples;
    for (const auto& [count, value] : channels)
        samples.push_back(count < 0 ? QByteArray() : QByteArray(count, static_cast<char>(value)));
    return writeRecording(folder, base, header, samples);
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
