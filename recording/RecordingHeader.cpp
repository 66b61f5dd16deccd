#include "recording/RecordingHeader.h"

#include "recording/SafeFile.h"

#include "recording/ProfileFile.h"
#include "view/ScaleTables.h"

#include <QFileInfo>

#include <algorithm>

#include <unistd.h>

namespace varnilog {

namespace {

const QString kSection = QStringLiteral("PARAMETRY");
const QString kStartKey = QStringLiteral("START");
constexpr char kChannelCountKey[] = "ILOSCKANALOW";

// CZULOSCC/CZULOSCD and OPERACJAC/OPERACJAD of derived channel 2 (C) or 3 (D).
QString derivedSensitivityKey(int channel) {
    return QStringLiteral("CZULOSC") + QChar(channelName[static_cast<std::size_t>(channel)]);
}
QString derivedOperationKey(int channel) {
    return QStringLiteral("OPERACJA") + QChar(channelName[static_cast<std::size_t>(channel)]);
}

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
    {kChannelCountKey, [](RecordingHeader& h) -> std::uint8_t& { return h.channelCount; }, 1, kChannels},
};

} // namespace

HeaderFile headerFileState(const QString& rosPath) {
    const FileIdentity info = identityOf(rosPath);
    if (!info.exists())
        return HeaderFile::Missing;
    if (!info.regular || ::access(nativeFileName(rosPath).constData(), R_OK) != 0 ||
        info.size > kHeaderSizeLimit)
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
    HeaderReading reading{headerFileState(rosPath), defaults, identityOf(rosPath)};
    if (reading.file == HeaderFile::Readable) {
        const ProfileFile ros(rosPath);
        for (const ByteKey& key : kByteKeys) {
            std::uint8_t& value = key.field(reading.values);
            value = ros.readByte(kSection, QString::fromLatin1(key.name), value);
        }
        reading.values.start = ros.readString(kSection, kStartKey, defaults.start);
        for (int d = 0; d < 2; ++d) {
            const int channel = kHeaderChannels + d;
            if (ros.hasKey(kSection, derivedSensitivityKey(channel))) {
                const std::uint8_t s = ros.readByte(kSection, derivedSensitivityKey(channel), 1);
                reading.values.derivedSensitivity[d] =
                    static_cast<std::uint8_t>(std::clamp<int>(s, 1, kSensitivityCount));
            }
            reading.values.derivedOperation[d] =
                ros.readString(kSection, derivedOperationKey(channel), defaults.derivedOperation[d]);
        }
        if (identityOf(rosPath) != reading.identity)
            reading.identity.size = -2;
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

QByteArray newRecordingHeaderText(const RecordingHeader& header) {
    ProfileFile ros{QString()};
    RecordingHeader values = header;
    bool ok = true;
    for (const ByteKey& key : kByteKeys)
        ok = ros.setInteger(kSection, QString::fromLatin1(key.name), key.field(values)) && ok;
    ok = ros.setString(kSection, kStartKey, header.start) && ok;
    for (int d = 0; d < 2; ++d)
        if (header.derivedSensitivity[d]) {
            const int channel = kHeaderChannels + d;
            ok =
                ros.setInteger(kSection, derivedSensitivityKey(channel), *header.derivedSensitivity[d]) && ok;
            ok = ros.setString(kSection, derivedOperationKey(channel), header.derivedOperation[d]) && ok;
        }
    return ok ? ros.text() : QByteArray();
}

DerivedChannelKeys derivedChannelKeys(const RecordingHeader& header, int channel) {
    if (channel < kHeaderChannels || channel >= kChannels)
        return {};
    const std::size_t d = static_cast<std::size_t>(channel - kHeaderChannels);
    return {header.derivedSensitivity[d], header.derivedOperation[d]};
}

DerivedChannelKeys readDerivedChannelKeys(const QString& rosPath, int channel) {
    return derivedChannelKeys(readRecordingHeader(rosPath).values, channel);
}

namespace {

// The text of the header with its ILOSCKANALOW and a derived channel's keys changed by change; empty
// with error set when the header cannot be read.
template <typename Change>
QByteArray changedHeaderText(const QString& rosPath, QString& error, Change change) {
    ProfileFile ros(rosPath);
    if (ros.unreadable()) {
        error = QStringLiteral("%1: cannot be read").arg(rosPath);
        return {};
    }
    change(ros);
    QByteArray text = ros.text();
    if (text.isEmpty())
        error = QStringLiteral("%1: cannot be written").arg(rosPath);
    return text;
}

bool saveText(const QString& rosPath, const QByteArray& text, QString& error) {
    if (text.isEmpty())
        return false;
    QString reason;
    if (writeFileSafely(rosPath, text, reason))
        return true;
    error = QStringLiteral("%1: %2").arg(rosPath, reason);
    return false;
}

} // namespace

QByteArray headerWithDerivedKeys(const QString& rosPath, int channel, std::uint8_t sensitivity,
                                 const QString& operation, QString& error) {
    const std::uint8_t count = readRecordingHeader(rosPath).values.channelCount;
    return changedHeaderText(rosPath, error, [&](ProfileFile& ros) {
        ros.setInteger(kSection, derivedSensitivityKey(channel), sensitivity);
        ros.setString(kSection, derivedOperationKey(channel), operation);
        ros.setInteger(kSection, QString::fromLatin1(kChannelCountKey),
                       std::max(count, static_cast<std::uint8_t>(channel + 1)));
    });
}

QByteArray headerWithoutDerivedKeys(const QString& rosPath, int channel, unsigned channelsWithData,
                                    QString& error) {
    return changedHeaderText(rosPath, error, [&](ProfileFile& ros) {
        ros.removeKey(kSection, derivedSensitivityKey(channel));
        ros.removeKey(kSection, derivedOperationKey(channel));
        int count = kHeaderChannels;
        for (int c = kHeaderChannels; c < kChannels; ++c)
            if (c != channel && (channelsWithData & (1u << c)) != 0)
                count = c + 1;
        // A removal only lowers the count: a one-channel set stays one.
        count = std::min(count, ros.readInteger(kSection, QString::fromLatin1(kChannelCountKey), count));
        ros.setInteger(kSection, QString::fromLatin1(kChannelCountKey), count);
    });
}

bool writeDerivedChannelKeys(const QString& rosPath, int channel, std::uint8_t sensitivity,
                             const QString& operation, QString& error) {
    return saveText(rosPath, headerWithDerivedKeys(rosPath, channel, sensitivity, operation, error), error);
}

bool removeDerivedChannelKeys(const QString& rosPath, int channel, unsigned channelsWithData,
                              QString& error) {
    return saveText(rosPath, headerWithoutDerivedKeys(rosPath, channel, channelsWithData, error), error);
}

} // namespace varnilog
