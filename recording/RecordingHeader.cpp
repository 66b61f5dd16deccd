#include "recording/RecordingHeader.h"

#include "recording/ProfileFile.h"
#include "view/ScaleTables.h"

#include <QFileInfo>

#include <algorithm>

namespace varnilog {

namespace {

const QString kSection = QStringLiteral("PARAMETRY");
const QString kStartKey = QStringLiteral("START");

// One numeric key: its name, where its value lives and the range a read brings it into.
struct ByteKey {
    const char* name;
    std::uint8_t& (*field)(RecordingHeader&);
    int lo;
    int hi;
};

// In the order they are written; START follows them.
constexpr ByteKey kByteKeys[] = {
    {"PODSTAWA", [](RecordingHeader& h) -> std::uint8_t& { return h.timeBaseIndex; }, 1, kTimeBaseCount},
    {"CZULOSCA", [](RecordingHeader& h) -> std::uint8_t& { return h.sensitivity[0]; }, 1, kSensitivityCount},
    {"CZULOSCB", [](RecordingHeader& h) -> std::uint8_t& { return h.sensitivity[1]; }, 1, kSensitivityCount},
    {"TRYBA", [](RecordingHeader& h) -> std::uint8_t& { return h.mode[0]; }, ModeAC, ModeDC},
    {"TRYBB", [](RecordingHeader& h) -> std::uint8_t& { return h.mode[1]; }, ModeAC, ModeDC},
    {"OFFSETA", [](RecordingHeader& h) -> std::uint8_t& { return h.offset[0]; }, 0, 255},
    {"OFFSETB", [](RecordingHeader& h) -> std::uint8_t& { return h.offset[1]; }, 0, 255},
    {"ILOSCKANALOW", [](RecordingHeader& h) -> std::uint8_t& { return h.channelCount; }, 1, kChannels},
};

} // namespace

HeaderFile headerFileState(const QString& rosPath) {
    const QFileInfo info(rosPath);
    if (!info.exists())
        return HeaderFile::Missing;
    if (!info.isFile() || !info.isReadable() || info.size() > kHeaderSizeLimit)
        return HeaderFile::Unreadable;
    return HeaderFile::Readable;
}

RecordingHeader loaderDefaults(const SharedState& state) {
    RecordingHeader defaults;
    std::copy_n(state.channelZeroOffset.begin(), kHeaderChannels, defaults.offset.begin());
    return defaults;
}

RecordingHeader headerOfState(const SharedState& state, const QString& start) {
    RecordingHeader header;
    header.timeBaseIndex = state.timeBaseIndex;
    std::copy_n(state.channelSensitivity.begin(), kHeaderChannels, header.sensitivity.begin());
    std::copy_n(state.channelMode.begin(), kHeaderChannels, header.mode.begin());
    std::copy_n(state.channelOffset.begin(), kHeaderChannels, header.offset.begin());
    header.channelCount = state.channelCount;
    header.start = start;
    return header;
}

HeaderReading readRecordingHeader(const QString& rosPath, const RecordingHeader& defaults) {
    HeaderReading reading{headerFileState(rosPath), defaults};
    if (reading.file == HeaderFile::Readable) {
        const ProfileFile ros(rosPath);
        for (const ByteKey& key : kByteKeys) {
            std::uint8_t& value = key.field(reading.values);
            value = ros.readByte(kSection, QString::fromLatin1(key.name), value);
        }
        reading.values.start = ros.readString(kSection, kStartKey, defaults.start);
    }
    for (const ByteKey& key : kByteKeys) {
        std::uint8_t& value = key.field(reading.values);
        value = static_cast<std::uint8_t>(std::clamp<int>(value, key.lo, key.hi));
    }
    return reading;
}

bool writeRecordingHeader(const QString& rosPath, const RecordingHeader& header, FileWriter& writer,
                          QString& error) {
    // Read first: an older header of the same name keeps its other lines.
    ProfileFile ros(rosPath);
    RecordingHeader values = header;
    bool ok = true;
    for (const ByteKey& key : kByteKeys)
        ok = ros.setInteger(kSection, QString::fromLatin1(key.name), key.field(values)) && ok;
    ok = ros.setString(kSection, kStartKey, header.start) && ok;
    if (ros.unreadable()) {
        error = rosPath + QStringLiteral(": cannot be read, so it is not replaced");
        return false;
    }
    const QByteArray text = ros.text();
    if (!ok || text.isEmpty()) {
        error = rosPath + QStringLiteral(": out of memory");
        return false;
    }
    QString reason;
    if (!writer.replace(rosPath, text, reason)) {
        error = rosPath + QStringLiteral(": ") + reason;
        return false;
    }
    return true;
}

} // namespace varnilog
