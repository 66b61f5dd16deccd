#include "app/SavedSetup.h"

#include "recording/FileIdentity.h"
#include "recording/ProfileFile.h"
#include "recording/SafeFile.h"
#include "view/ScaleTables.h"

namespace varnilog {

namespace {
const QString kSection = QStringLiteral("NASTAWY");

QString channelKey(const char* name, int channel) {
    return QString::fromLatin1(name) + QChar(u'A' + channel);
}

// An integer key within lo..hi into value; anything else leaves value as it was.
template <typename T> void takeInteger(const ProfileFile& ini, const QString& key, int lo, int hi, T& value) {
    const std::int32_t v = ini.readInteger(kSection, key, lo - 1);
    if (v >= lo && v <= hi)
        value = static_cast<T>(v);
}
} // namespace

SavedSetup boardSetupOf(const SharedState& s) {
    SavedSetup setup;
    setup.timeBaseIndex = s.timeBaseIndex;
    setup.sensitivity = s.channelSensitivity;
    setup.coupling = s.channelMode;
    setup.offset = s.channelOffset;
    setup.visible = s.channelVisible;
    return setup;
}

void applyBoardSetup(SharedState& s, const SavedSetup& setup) {
    s.timeBaseIndex = setup.timeBaseIndex;
    s.channelSensitivity = setup.sensitivity;
    s.channelMode = setup.coupling;
    s.channelOffset = setup.offset;
    s.channelVisible = setup.visible;
}

bool putSetup(ProfileFile& ini, const SavedSetup& setup) {
    bool ok = ini.setInteger(kSection, QStringLiteral("PODSTAWA"), setup.timeBaseIndex);
    for (int ch = 0; ch < kChannels; ++ch) {
        const auto c = static_cast<std::size_t>(ch);
        ok &= ini.setInteger(kSection, channelKey("CZULOSC", ch), setup.sensitivity[c]);
        ok &= ini.setInteger(kSection, channelKey("SPRZEZENIE", ch), setup.coupling[c]);
        ok &= ini.setInteger(kSection, channelKey("OFFSET", ch), setup.offset[c]);
        ok &= ini.setInteger(kSection, channelKey("WIDOCZNY", ch), setup.visible[c] ? 1 : 0);
    }
    ok &= ini.setInteger(kSection, QStringLiteral("WYZWALANIE"), static_cast<int>(setup.triggerMode));
    ok &= ini.setString(kSection, QStringLiteral("WARUNEK"), triggerSpecText(setup.trigger));
    ok &= ini.setInteger(kSection, QStringLiteral("PRZEDWYZWOLENIE"), setup.preTriggerPercent);
    ok &= ini.setInteger(kSection, QStringLiteral("ZAKRESPOMIAROW"), static_cast<int>(setup.measurementSpan));
    return ok;
}

bool takeSetup(const ProfileFile& ini, SavedSetup& setup) {
    if (!ini.hasKey(kSection, QStringLiteral("PODSTAWA")))
        return false;
    takeInteger(ini, QStringLiteral("PODSTAWA"), 1, kTimeBaseCount, setup.timeBaseIndex);
    for (int ch = 0; ch < kChannels; ++ch) {
        const auto c = static_cast<std::size_t>(ch);
        takeInteger(ini, channelKey("CZULOSC", ch), 1, kSensitivityCount, setup.sensitivity[c]);
        takeInteger(ini, channelKey("SPRZEZENIE", ch), 0, 2, setup.coupling[c]);
        // 255 would read as the far end of the scale: the knobs never go past 254.
        takeInteger(ini, channelKey("OFFSET", ch), 0, 254, setup.offset[c]);
        takeInteger(ini, channelKey("WIDOCZNY", ch), 0, 1, setup.visible[c]);
    }
    takeInteger(ini, QStringLiteral("WYZWALANIE"), 0, 3, setup.triggerMode);
    TriggerCheck check;
    if (const auto trigger = parseTriggerSpec(ini.readString(kSection, QStringLiteral("WARUNEK"), {}), check))
        setup.trigger = *trigger;
    takeInteger(ini, QStringLiteral("PRZEDWYZWOLENIE"), 0, 100, setup.preTriggerPercent);
    takeInteger(ini, QStringLiteral("ZAKRESPOMIAROW"), 0, 3, setup.measurementSpan);
    return true;
}

bool saveSetupFile(const QString& path, const SavedSetup& setup, CoreError& error) {
    ProfileFile ini{QString()}; // the file holds the setup alone, whatever was there before
    QString reason;
    if (!putSetup(ini, setup) || !writeFileSafely(path, ini.text(), reason)) {
        error = CoreError::of(CoreErrorKind::WriteFailed);
        error.reason = reason;
        error.at(path);
        return false;
    }
    return true;
}

bool loadSetupFile(const QString& path, SavedSetup& setup, CoreError& error) {
    const ProfileFile ini(path);
    if (!ini.exists() || ini.unreadable()) {
        error = CoreError::of(CoreErrorKind::CannotOpenFile);
        error.path = path;
        return false;
    }
    if (!takeSetup(ini, setup)) {
        error = CoreError::of(CoreErrorKind::NoSetup);
        error.path = path;
        return false;
    }
    return true;
}

} // namespace varnilog
