// What the file-reading targets share: the offscreen QGuiApplication that text drawing needs, one
// temporary folder for the files each input is written to, and the shared-state range checks.
#pragma once

#include "FuzzCheck.h"

#include "app/SharedState.h"
#include "view/ScaleTables.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdint>
#include <span>

namespace varnilog::fuzz {

inline void ensureGuiApplication() {
    if (QCoreApplication::instance() == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "fuzz";
        static char* argv[] = {name, nullptr};
        static QGuiApplication app(argc, argv);
    }
}

// The folder lives for the whole run; each input overwrites the files it needs. In memory where the
// system has a memory file system for everyone (/dev/shm): the files are rewritten for every input.
inline const QString& scratchFolder() {
    static const QString memory = QStringLiteral("/dev/shm");
    static QTemporaryDir dir(QFileInfo(memory).isDir() && QFileInfo(memory).isWritable()
                                 ? memory + QStringLiteral("/varnilog-fuzz-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/varnilog-fuzz-XXXXXX"));
    FUZZ_CHECK(dir.isValid());
    static const QString path = dir.path();
    return path;
}

inline void writeFile(const QString& path, std::span<const std::uint8_t> bytes) {
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size())) ==
               static_cast<qint64>(bytes.size()));
}

// The settings a loaded recording leaves must all be ones the program can show and send.
inline void checkRecordingSettings(const SharedState& s) {
    FUZZ_CHECK(s.timeBaseIndex >= 1 && s.timeBaseIndex <= kTimeBaseCount);
    for (int c = 0; c < 2; ++c) {
        FUZZ_CHECK(s.channelSensitivity[c] >= 1 && s.channelSensitivity[c] <= kSensitivityCount);
        FUZZ_CHECK(s.channelMode[c] <= ModeDC);
    }
    FUZZ_CHECK(s.channelCount >= 1 && s.channelCount <= kChannels);
    FUZZ_CHECK(s.samplingPeriodMs == samplingPeriodTable[s.timeBaseIndex]);
}

} // namespace varnilog::fuzz
