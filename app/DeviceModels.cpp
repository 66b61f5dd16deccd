#include "app/DeviceModels.h"

#include <algorithm>

namespace varnilog {

const std::array<DeviceModelInfo, 4> deviceModelTable{{
    {1, "KZ100ATMega321", "KZ100 ATMega32", "Torva Ferrolak KZ100 ver. 5.1 na ATMega32", "KZ100", 2.5f, 2, 15,
     1, 10},
    {2, "KZ200ADuC8411", "KZ200 ADuC841", "Torva Dovrent KZ200 ver. 2.1 na ADuC841", "KZ200", 1.25f, 2, 11, 3,
     7},
    {3, "KZ300LPC21421", "KZ300 LPC2142", "Torva Ferrolak KZ300 ver. 6.1 na LPC2142", "KZ300", 2.5f, 2, 13, 1,
     10},
    {4, "KZ400LPC21441", "KZ400 LPC2144", "Torva Quellin KZ400 ver. 1.1 na LPC2144", "KZ400", 1.25f, 2, 13, 2,
     7},
}};

const DeviceModelInfo* findDeviceModel(int number) {
    if (number < 1 || number > static_cast<int>(deviceModelTable.size()))
        return nullptr;
    return &deviceModelTable[static_cast<size_t>(number - 1)];
}

ModelButtonStates modelButtonStates(int number) {
    ModelButtonStates b;
    const DeviceModelInfo* m = findDeviceModel(number);
    for (int i = 1; i <= 22; ++i)
        b.timeBase[static_cast<size_t>(i)] = !m || i <= m->maxTimeBaseIndex;
    for (int i = 1; i <= 10; ++i)
        b.sensitivity[static_cast<size_t>(i)] =
            !m || (i >= m->minSensitivityIndex && i <= m->maxSensitivityIndex);
    return b;
}

float offsetRange(float referenceVoltage) {
    return 250.0f / referenceVoltage * 0.5f;
}

int offsetWithinRange(std::uint8_t offset, std::uint8_t zeroOffset, float referenceVoltage) {
    const double range = offsetRange(referenceVoltage);
    const double zero = zeroOffset;
    int value = offset == 255 ? 0 : offset;
    if (value < zero - range)
        value = static_cast<int>(zero - range);
    if (value > zero + range)
        value = static_cast<int>(zero + range);
    return value;
}

std::uint8_t offsetInRange(std::uint8_t offset, std::uint8_t zeroOffset, float referenceVoltage) {
    return static_cast<std::uint8_t>(
        std::clamp(offsetWithinRange(offset, zeroOffset, referenceVoltage), 0, 255));
}

const DeviceModelInfo* applyDeviceModelToState(SharedState& s) {
    const DeviceModelInfo* m = findDeviceModel(s.deviceModel);
    if (!m)
        return nullptr;
    s.referenceVoltage = m->referenceVoltage;
    s.channelCount = m->channelCount;
    s.maxTimeBaseIndex = m->maxTimeBaseIndex;
    s.timeBaseIndex = std::min(s.timeBaseIndex, s.maxTimeBaseIndex);
    s.minSensitivityIndex = m->minSensitivityIndex;
    s.maxSensitivityIndex = m->maxSensitivityIndex;
    for (size_t ch = 0; ch < 2; ++ch)
        s.channelSensitivity[ch] =
            std::clamp(s.channelSensitivity[ch], s.minSensitivityIndex, s.maxSensitivityIndex);
    for (size_t ch = 0; ch < 2; ++ch)
        s.channelOffset[ch] = offsetInRange(s.channelOffset[ch], s.channelZeroOffset[ch], s.referenceVoltage);
    s.modelName = QString::fromLatin1(m->modelName);
    return m;
}

} // namespace varnilog
