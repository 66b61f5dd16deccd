#include "app/Configuration.h"

#include "recording/ProfileFile.h"
#include "view/ScaleTables.h"

#include <QDir>
#include <QFileInfo>

namespace varnilog {

namespace {
const QString kSection = QStringLiteral("CONFIG");
const char* const kZeroKeys[kChannels] = {"OFFSETZEROA", "OFFSETZEROB", "OFFSETZEROC", "OFFSETZEROD"};
const char* const kColourKeys[kChannels] = {"CL0", "CL1", "CL2", "CL3"};
const QString kLanguageKey = QStringLiteral("LANGUAGE");

Language languageIn(const ProfileFile& ini) {
    return languageFromCode(ini.readString(kSection, kLanguageKey, QString())).value_or(Language::Polish);
}
} // namespace

QString configurationPathFor(const QString& executablePath) {
    const QFileInfo fi(executablePath);
    const QString suffix = fi.suffix();
    if (suffix.isEmpty())
        return executablePath + QStringLiteral(".ini");
    return executablePath.left(executablePath.size() - suffix.size()) + QStringLiteral("ini");
}

void readConfiguration(SharedState& s, const QString& path, const QString& executableDir,
                       QPoint& windowPosition) {
    const ProfileFile ini(path);
    s.comPortName = ini.readString(kSection, QStringLiteral("COMPORT"), QStringLiteral("COM1"));
    for (int ch = 0; ch < kChannels; ++ch)
        s.channelColor[ch] =
            ini.readInteger(kSection, QString::fromLatin1(kColourKeys[ch]), s.channelColor[ch]);
    s.backgroundColor1 = ini.readInteger(kSection, QStringLiteral("CLTLO1"), s.backgroundColor1);
    s.backgroundColor2 = ini.readInteger(kSection, QStringLiteral("CLTLO2"), s.backgroundColor2);
    for (int ch = 0; ch < kChannels; ++ch)
        s.channelZeroOffset[ch] = ini.readByte(kSection, QString::fromLatin1(kZeroKeys[ch]), 100);
    s.dataDir = ini.readString(kSection, QStringLiteral("DATADIR"), QDir::toNativeSeparators(executableDir));
    s.gradientOn = ini.readBool(kSection, QStringLiteral("GRADIENT"), false);
    s.language = languageIn(ini);
    s.deviceModel = ini.readByte(kSection, QStringLiteral("UKLAD"), 1);
    const int top = ini.readInteger(kSection, QStringLiteral("WINTOP"), windowPosition.y());
    const int left = ini.readInteger(kSection, QStringLiteral("WINLEFT"), windowPosition.x());
    windowPosition = QPoint(left, top);
    s.channelOffset = s.channelZeroOffset;
    for (int ch = 0; ch < s.channelCount && ch < kChannels; ++ch)
        std::fill_n(s.channelData[ch].begin(), kDisplayColumns, kZeroLine);
}

Language readConfiguredLanguage(const QString& path) {
    return languageIn(ProfileFile(path));
}

bool writeConfiguration(const SharedState& s, const QString& path, QPoint windowPosition) {
    ProfileFile ini(path);
    bool ok = ini.writeInteger(kSection, QStringLiteral("UKLAD"), s.deviceModel);
    ok &= ini.writeInteger(kSection, QStringLiteral("WINTOP"), windowPosition.y());
    ok &= ini.writeInteger(kSection, QStringLiteral("WINLEFT"), windowPosition.x());
    for (int ch = 0; ch < kChannels; ++ch)
        ok &= ini.writeInteger(kSection, QString::fromLatin1(kZeroKeys[ch]), s.channelZeroOffset[ch]);
    ok &= ini.writeString(kSection, QStringLiteral("DATADIR"), s.dataDir);
    return ok;
}

bool writeSettingsConfiguration(const SharedState& s, const QString& path) {
    ProfileFile ini(path);
    bool ok = ini.writeString(kSection, QStringLiteral("COMPORT"), s.comPortName);
    for (int ch = 0; ch < kChannels; ++ch)
        ok &= ini.writeInteger(kSection, QString::fromLatin1(kColourKeys[ch]), s.channelColor[ch]);
    ok &= ini.writeInteger(kSection, QStringLiteral("CLTLO1"), s.backgroundColor1);
    ok &= ini.writeInteger(kSection, QStringLiteral("CLTLO2"), s.backgroundColor2);
    ok &= ini.writeBool(kSection, QStringLiteral("GRADIENT"), s.gradientOn);
    ok &= ini.writeString(kSection, kLanguageKey, languageCode(s.language));
    return ok;
}

} // namespace varnilog
