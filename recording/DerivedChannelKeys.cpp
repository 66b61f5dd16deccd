#include "recording/DerivedChannelKeys.h"

#include "recording/ProfileFile.h"
#include "recording/RecordingLoader.h"
#include "view/ScaleTables.h"

#include <algorithm>

namespace varnilog {

namespace {

const QString section = QStringLiteral("PARAMETRY");
const QString countKey = QStringLiteral("ILOSCKANALOW");

QString sensitivityKey(int channel) {
    return QStringLiteral("CZULOSC") + QChar(channelName[static_cast<std::size_t>(channel)]);
}

QString operationKey(int channel) {
    return QStringLiteral("OPERACJA") + QChar(channelName[static_cast<std::size_t>(channel)]);
}

bool saveOrSay(ProfileFile& ros, QString& error) {
    if (ros.save())
        return true;
    error = ros.unreadable() ? QStringLiteral("%1: cannot be read").arg(ros.path())
                             : QStringLiteral("%1: cannot be written").arg(ros.path());
    return false;
}

} // namespace

DerivedChannelKeys readDerivedChannelKeys(const ProfileFile& ros, int channel) {
    DerivedChannelKeys keys;
    if (ros.hasKey(section, sensitivityKey(channel))) {
        const std::uint8_t s = ros.readByte(section, sensitivityKey(channel), 1);
        keys.sensitivity = static_cast<std::uint8_t>(std::clamp<int>(s, 1, kSensitivityCount));
    }
    keys.operation = ros.readString(section, operationKey(channel), QString());
    return keys;
}

bool writeDerivedChannelKeys(const QString& rosPath, int channel, std::uint8_t sensitivity,
                             const QString& operation, QString& error) {
    ProfileFile ros(rosPath);
    const int count = std::max<int>(headerChannelCount(ros, 2), channel + 1);
    ros.setInteger(section, sensitivityKey(channel), sensitivity);
    ros.setString(section, operationKey(channel), operation);
    ros.setInteger(section, countKey, count);
    return saveOrSay(ros, error);
}

bool removeDerivedChannelKeys(const QString& rosPath, int channel, unsigned channelsWithData,
                              QString& error) {
    ProfileFile ros(rosPath);
    ros.removeKey(section, sensitivityKey(channel));
    ros.removeKey(section, operationKey(channel));
    int count = 2;
    for (int c = 2; c < 4; ++c)
        if (c != channel && (channelsWithData & (1u << c)) != 0)
            count = c + 1;
    ros.setInteger(section, countKey, count);
    return saveOrSay(ros, error);
}

} // namespace varnilog
