#include "recording/RecordingDetails.h"

#include "recording/MarkerFile.h"

#include "recording/RecordingFileSet.h"
#include "recording/RecordingHeader.h"
#include "recording/RecordingLoader.h"
#include "view/ElapsedTime.h"
#include "view/ScaleTables.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace varnilog {

namespace {

float periodOf(std::int32_t timeBaseIndex) {
    return samplingPeriodTable[static_cast<std::size_t>(std::clamp(timeBaseIndex, 1, kTimeBaseCount))];
}

std::int64_t sampleFileLength(const QString& path) {
    // Regular files only: opening a pipe would block the browser until someone writes to it.
    QFile file;
    if (path.isEmpty() || !openSetFileForReading(file, path))
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
    // The browser's own defaults; the loader's ranges, so it shows the values the recording opens
    // with. A header the loader would refuse reads as a missing one: the browser shows no message.
    RecordingHeader header;
    header.timeBaseIndex = currentTimeBaseIndex;
    header.channelCount = 1;
    header.start = QStringLiteral("...");
    if (!rosPath.isEmpty()) {
        header = readRecordingHeader(rosPath, header).values;
        details.sampleCount = sampleFileLength(siblingPath(rosPath, QStringLiteral(".rca")));
    }
    details.start = header.start;
    const float period = periodOf(header.timeBaseIndex);
    details.period = periodText(period, locale);
    details.channels = QString::number(header.channelCount);
    // The browser's length is the single-precision product, as the browser has always shown it (the
    // other lists of times use sampleTimeText).
    details.length = formatElapsedTime(static_cast<float>(details.sampleCount) * period);
    details.markers =
        QString::number(rosPath.isEmpty() ? 0 : readMarkerFile(markerFilePath(rosPath)).markers.size());
    return details;
}

} // namespace varnilog
