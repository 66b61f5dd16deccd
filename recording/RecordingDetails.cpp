#include "recording/RecordingDetails.h"

#include "recording/ProfileFile.h"
#include "recording/RecordingFileSet.h"
#include "recording/RecordingLoader.h"
#include "view/ElapsedTime.h"
#include "view/ScaleTables.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace varnilog {

namespace {
const QString kSection = QStringLiteral("PARAMETRY");

float periodOf(std::int32_t timeBaseIndex) {
    return samplingPeriodTable[static_cast<std::size_t>(std::clamp(timeBaseIndex, 1, kTimeBaseCount))];
}

std::int64_t sampleFileLength(const QString& path) {
    // Regular files only: opening a pipe would block the browser until someone writes to it.
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return -1;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    return file.size();
}
} // namespace

QString periodText(float ms, const QLocale& locale) {
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    return plain.toString(static_cast<double>(ms), 'g', 4);
}

RecordingDetails readRecordingDetails(const QString& rosPath, std::uint8_t currentTimeBaseIndex,
                                      const QLocale& locale) {
    RecordingDetails details;
    std::int32_t timeBase = currentTimeBaseIndex;
    std::int32_t channels = 1;
    details.start = QStringLiteral("...");
    if (!rosPath.isEmpty()) {
        // A header the loader would refuse reads as a missing one: the browser shows no message.
        if (headerFileState(rosPath) == HeaderFile::Readable) {
            const ProfileFile ini(rosPath);
            // The loader's rules, so the browser shows the values the recording opens with.
            timeBase = headerTimeBaseIndex(ini, currentTimeBaseIndex);
            channels = headerChannelCount(ini, 1);
            details.start = ini.readString(kSection, QStringLiteral("START"), details.start);
        }
        details.sampleCount = sampleFileLength(siblingPath(rosPath, QStringLiteral(".rca")));
    }
    const float period = periodOf(timeBase);
    details.period = periodText(period, locale);
    details.channels = QString::number(channels);
    details.length = formatElapsedTime(static_cast<float>(details.sampleCount) * period);
    return details;
}

} // namespace varnilog
