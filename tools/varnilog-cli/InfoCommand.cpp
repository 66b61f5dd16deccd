// info: what a recording holds, as text or JSON.
#include "CliSupport.h"

#include "recording/RecordingFileSet.h"
#include "recording/RecordingHeader.h"
#include "view/ElapsedTime.h"
#include "view/ScaleTables.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cstdio>

namespace varnilog::cli {

namespace {

const char* const kModeNames[] = {"AC", "GND", "DC"};

// What info tells beside the state: the header's start, the derived channels' operations, the length.
struct InfoFacts {
    QString start;
    std::array<QString, kChannels> operation; // C and D computed from A and B carry theirs
    std::int64_t sampleCount = 0;
    QString duration; // the time of the sample past the last
};

QJsonObject infoJson(const SharedState& s, const InfoFacts& f) {
    const auto& start = f.start;
    const auto& operation = f.operation;
    const std::int64_t sampleCount = f.sampleCount;
    QJsonObject o;
    o[QStringLiteral("path")] = s.recordingPath;
    o[QStringLiteral("start")] = start;
    o[QStringLiteral("timeBaseIndex")] = s.timeBaseIndex;
    o[QStringLiteral("samplingPeriodMs")] = static_cast<double>(s.samplingPeriodMs);
    o[QStringLiteral("timeBase")] = timeBaseCaption(s.timeBaseIndex);
    o[QStringLiteral("channelCount")] = s.channelCount;
    o[QStringLiteral("sampleCount")] = static_cast<qint64>(sampleCount);
    o[QStringLiteral("duration")] = f.duration;
    QJsonArray channels;
    for (int c = 0; c < kChannels; ++c) {
        QJsonObject ch;
        ch[QStringLiteral("name")] = QString(QLatin1Char(channelName[c]));
        ch[QStringLiteral("file")] = s.sampleFile[c].isOpen();
        if (c < 2) {
            ch[QStringLiteral("sensitivityIndex")] = s.channelSensitivity[c];
            ch[QStringLiteral("voltsPerDivision")] = voltLabel(s.channelSensitivity[c], 6);
            ch[QStringLiteral("coupling")] = QString::fromLatin1(kModeNames[s.channelMode[c] % 3]);
            ch[QStringLiteral("offset")] = s.channelOffset[c];
        } else if (!operation[c].isEmpty()) {
            ch[QStringLiteral("sensitivityIndex")] = s.channelSensitivity[c];
            ch[QStringLiteral("voltsPerDivision")] = voltLabel(s.channelSensitivity[c], 6);
            ch[QStringLiteral("operation")] = operation[c];
        }
        channels.append(ch);
    }
    o[QStringLiteral("channels")] = channels;

    return o;
}

QString infoText(const SharedState& s, const InfoFacts& f) {
    const auto& start = f.start;
    const auto& operation = f.operation;
    const std::int64_t sampleCount = f.sampleCount;
    QString text;
    text += QStringLiteral("recording:   %1\n").arg(printableText(s.recordingPath));
    text += QStringLiteral("start:       %1\n").arg(printableText(start));
    text += QStringLiteral("time base:   %1 (index %2, %3 ms per sample)\n")
                .arg(timeBaseCaption(s.timeBaseIndex))
                .arg(s.timeBaseIndex)
                .arg(static_cast<double>(s.samplingPeriodMs));
    text += QStringLiteral("channels:    %1\n").arg(s.channelCount);
    text += QStringLiteral("samples:     %1\n").arg(sampleCount);
    text += QStringLiteral("duration:    %1\n").arg(f.duration);
    for (int c = 0; c < kChannels; ++c) {
        QString line =
            QStringLiteral("channel %1:   %2")
                .arg(QLatin1Char(channelName[c]))
                .arg(s.sampleFile[c].isOpen()
                         ? QString::fromLatin1(kRecordingSampleExtensions[c]) + QStringLiteral(" present")
                         : QString::fromLatin1(kRecordingSampleExtensions[c]) + QStringLiteral(" missing"));
        if (c < 2)
            line += QStringLiteral(", %1/div, %2, offset %3")
                        .arg(voltLabel(s.channelSensitivity[c], 6),
                             QString::fromLatin1(kModeNames[s.channelMode[c] % 3]))
                        .arg(s.channelOffset[c]);
        else if (!operation[c].isEmpty())
            line += QStringLiteral(", %1/div, derived: %2")
                        .arg(voltLabel(s.channelSensitivity[c], 6), printableText(operation[c]));
        text += line + QLatin1Char('\n');
    }
    return text;
}

} // namespace

int runInfo(const QStringList& args) {
    static constexpr CliOption options[] = {{"json", nullptr, "Print the details as one JSON object."}};
    static constexpr CliCommand info{
        "info", "Shows the settings, length and files of a recording.", 1, "FILE.ros", "ros", options};
    QCommandLineParser parser;
    if (const int rc = parseCommand(parser, args, info); rc >= 0)
        return rc;
    const QString rosPath = parser.positionalArguments().at(0);
    InfoFacts facts;
    const std::unique_ptr<SharedState> state = openRecordingOrEmpty(rosPath, facts.sampleCount);
    if (!state)
        return ExitFailure;
    const SharedState& s = *state;
    const RecordingHeader header =
        readRecordingHeader(siblingPath(s.recordingPath, QStringLiteral(".ros"))).values;
    facts.start = header.start;
    for (int c = kHeaderChannels; c < kChannels; ++c)
        facts.operation[c] = derivedChannelKeys(header, c).operation;
    facts.duration = sampleTimeText(facts.sampleCount, s.samplingPeriodMs);
    if (parser.isSet(QStringLiteral("json"))) {
        std::fputs(QJsonDocument(infoJson(s, facts)).toJson(QJsonDocument::Indented).constData(), stdout);
        return ExitOk;
    }
    std::fputs(printed(infoText(s, facts)).constData(), stdout);
    return ExitOk;
}

} // namespace varnilog::cli
