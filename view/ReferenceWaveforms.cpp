#include "view/ReferenceWaveforms.h"

#include "recording/ProfileFile.h"
#include "view/Colour.h"
#include "view/SampleCodes.h"
#include "view/ViewBuffers.h"

#include <algorithm>
#include <cmath>

namespace varnilog {

namespace {

const QString kSection = QStringLiteral("WZORCE");

QString key(int slot, const char* name) {
    return QStringLiteral("R%1%2").arg(slot + 1).arg(QLatin1String(name));
}

} // namespace

QString referenceName(const ReferenceSet& references, int slot) {
    const QString& name = references[static_cast<std::size_t>(std::clamp(slot, 0, kReferenceSlots - 1))].name;
    return name.isEmpty() ? QStringLiteral("R%1").arg(slot + 1) : name;
}

ReferenceWaveform captureReference(const SharedState& state, const ViewBuffers& view, int channel) {
    ReferenceWaveform r;
    const auto c = static_cast<std::size_t>(std::clamp(channel, 0, kChannels - 1));
    r.stored = true;
    r.channel = static_cast<int>(c);
    r.sensitivity = state.channelSensitivity[c];
    std::copy_n(state.channelData[c].begin(), kDisplayColumns, r.hi.begin());
    if (state.zoomDivisor >= 2)
        r.lo = view.columnMin[c];
    else
        r.lo = r.hi;
    return r;
}

ReferenceSet readReferences(const QString& configurationPath) {
    ReferenceSet set;
    const ProfileFile ini(configurationPath);
    for (int i = 0; i < kReferenceSlots; ++i) {
        ReferenceWaveform& r = set[static_cast<std::size_t>(i)];
        const QByteArray codes =
            QByteArray::fromHex(ini.readString(kSection, key(i, "DANE"), QString()).toLatin1());
        if (codes.size() != 2 * kDisplayColumns)
            continue;
        r.stored = true;
        r.channel = std::clamp<int>(ini.readInteger(kSection, key(i, "KANAL"), 0), 0, kChannels - 1);
        r.sensitivity = static_cast<std::uint8_t>(
            std::clamp<int>(ini.readInteger(kSection, key(i, "CZULOSC"), 1), 1, kSensitivityCount));
        r.shown = ini.readBool(kSection, key(i, "POKAZ"), true);
        r.name = ini.readString(kSection, key(i, "NAZWA"), QString()).trimmed();
        std::copy_n(codes.constData(), kDisplayColumns, reinterpret_cast<char*>(r.hi.data()));
        std::copy_n(codes.constData() + kDisplayColumns, kDisplayColumns,
                    reinterpret_cast<char*>(r.lo.data()));
    }
    return set;
}

bool writeReferences(const ReferenceSet& references, const QString& configurationPath) {
    ProfileFile ini(configurationPath);
    bool ok = true;
    for (int i = 0; i < kReferenceSlots; ++i) {
        const ReferenceWaveform& r = references[static_cast<std::size_t>(i)];
        if (!r.stored) {
            for (const char* name : {"DANE", "KANAL", "CZULOSC", "POKAZ", "NAZWA"})
                ini.removeKey(kSection, key(i, name));
            continue;
        }
        QByteArray codes(reinterpret_cast<const char*>(r.hi.data()), kDisplayColumns);
        codes.append(reinterpret_cast<const char*>(r.lo.data()), kDisplayColumns);
        ok &= ini.setString(kSection, key(i, "DANE"), QString::fromLatin1(codes.toHex()));
        ok &= ini.setInteger(kSection, key(i, "KANAL"), r.channel);
        ok &= ini.setInteger(kSection, key(i, "CZULOSC"), r.sensitivity);
        ok &= ini.setInteger(kSection, key(i, "POKAZ"), r.shown ? 1 : 0);
        if (r.name.isEmpty())
            ini.removeKey(kSection, key(i, "NAZWA"));
        else
            ok &= ini.setString(kSection, key(i, "NAZWA"), r.name);
    }
    return ok && ini.save();
}

int referenceCode(std::uint8_t code, std::uint8_t recordedSensitivity, std::uint8_t sensitivity) {
    if (recordedSensitivity == sensitivity)
        return code;
    return static_cast<int>(std::clamp(unclippedCode(codeVolts(code, recordedSensitivity), sensitivity),
                                       std::int64_t{-1}, std::int64_t{256}));
}

void drawCodeColumns(QImage& screen, const std::array<std::uint8_t, kDisplayColumns>& hi,
                     const std::array<std::uint8_t, kDisplayColumns>& lo, const bool* present,
                     std::uint8_t recordedSensitivity, std::uint8_t sensitivity, std::int32_t colour) {
    if (screen.width() < kDisplayColumns || screen.height() < kDisplayRows || screen.depth() != 32)
        return;
    const auto rgb = static_cast<QRgb>(toQRgb(colour));
    int previousHi = referenceCode(hi[0], recordedSensitivity, sensitivity);
    int previousLo = referenceCode(lo[0], recordedSensitivity, sensitivity);
    bool previous = false;
    for (int k = 0; k < kDisplayColumns; ++k) {
        const auto i = static_cast<std::size_t>(k);
        if (present != nullptr && !present[i]) {
            previous = false;
            continue;
        }
        const int h = referenceCode(hi[i], recordedSensitivity, sensitivity);
        const int l = referenceCode(lo[i], recordedSensitivity, sensitivity);
        if (!previous) { // the first column drawn: nothing to join it to
            previousHi = h;
            previousLo = l;
        }
        // The rows of the column's own codes and of the step from the column before.
        const int top = std::max(h, previousLo), bottom = std::min(l, previousHi);
        for (int y = std::max(0, kDisplayRows - top); y <= std::min(kDisplayRows - 1, kDisplayRows - bottom);
             ++y)
            reinterpret_cast<QRgb*>(screen.scanLine(y))[k] = rgb;
        previousHi = h;
        previousLo = l;
        previous = true;
    }
}

void drawReferences(QImage& screen, const ReferenceSet& references,
                    const std::array<std::uint8_t, kChannels>& channelSensitivity) {
    for (int i = 0; i < kReferenceSlots; ++i) {
        const ReferenceWaveform& r = references[static_cast<std::size_t>(i)];
        if (r.stored && r.shown)
            drawCodeColumns(screen, r.hi, r.lo, nullptr, r.sensitivity,
                            channelSensitivity[static_cast<std::size_t>(r.channel)],
                            kReferenceColours[static_cast<std::size_t>(i)]);
    }
}

} // namespace varnilog
