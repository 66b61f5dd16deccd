// markers: lists, adds, removes, exports and imports the markers saved with a recording (its ".rmk").
#include "CliSupport.h"

#include "app/CoreMessages.h"
#include "recording/AudacityLabels.h"
#include "recording/MarkerFile.h"
#include "recording/SafeFile.h"
#include "view/ElapsedTime.h"

#include <QFile>

#include <cstdio>

namespace varnilog::cli {

namespace {

QByteArray jsonList(const QString& path, const std::vector<Marker>& markers) {
    QByteArray out = "{\"recording\": " + jsonString(path) + ", \"markers\": [";
    for (std::size_t i = 0; i < markers.size(); ++i) {
        const Marker& m = markers[i];
        out += (i == 0 ? "" : ", ") + QByteArray("{\"start\": ") + QByteArray::number(m.start) +
               ", \"end\": " + QByteArray::number(m.end) +
               ", \"kind\": " + jsonString(markerKindName(m.kind)) + ", \"label\": " + jsonString(m.label) +
               "}";
    }
    return out + "]}\n";
}

QByteArray table(const std::vector<Marker>& markers, float samplingPeriodMs) {
    QString out = QStringLiteral("%1 %2 %3 %4 %5 %6\n")
                      .arg(QStringLiteral("#"), 5)
                      .arg(QStringLiteral("start"), 12)
                      .arg(QStringLiteral("end"), 12)
                      .arg(QStringLiteral("time"), 15)
                      .arg(QStringLiteral("kind"), -10)
                      .arg(QStringLiteral("label"));
    for (std::size_t i = 0; i < markers.size(); ++i) {
        const Marker& m = markers[i];
        QString label = m.label;
        label.replace(u'\r', u' ').replace(u'\n', u' ');
        out += QStringLiteral("%1 %2 %3 %4 %5 %6\n")
                   .arg(i, 5)
                   .arg(m.start, 12)
                   .arg(m.end, 12)
                   .arg(sampleTimeText(m.start, samplingPeriodMs), 15)
                   .arg(markerKindName(m.kind), -10)
                   .arg(label);
    }
    return out.toUtf8();
}

// "START" or "START:END" as a marker inside a recording of count samples.
bool parseSpan(const QString& text, std::int64_t count, Marker& marker) {
    const QStringList parts = text.split(u':');
    bool okStart = false, okEnd = true;
    marker.start = parts.value(0).toLongLong(&okStart);
    marker.end = parts.size() == 2 ? parts[1].toLongLong(&okEnd) : marker.start;
    return parts.size() <= 2 && okStart && okEnd && marker.start >= 0 && marker.end >= marker.start &&
           marker.end < count;
}

bool refuse(const QString& text, int code = ExitUsage) {
    fail(text, code);
    return false;
}

struct Change {
    std::function<bool(std::vector<Marker>&, QString&)> edit;
    QString done; // what the tool reports after the change
};

// The one change the options ask for (none when they only list or export). False when they are wrong
// (already reported).
bool changeOf(const QCommandLineParser& parser, const QString& addLabel, std::int64_t count,
              float samplingPeriodMs, Change& change, int& usageCode) {
    const QStringList changing{QStringLiteral("add"), QStringLiteral("remove"), QStringLiteral("clear-kind"),
                               QStringLiteral("import-audacity")};
    int given = 0;
    for (const QString& name : changing)
        given += parser.isSet(name) ? 1 : 0;
    usageCode = ExitUsage;
    if (given > 1)
        return refuse(QStringLiteral("give one of --add, --remove, --clear-kind, --import-audacity"));
    if (parser.isSet(QStringLiteral("kind")) && !parser.isSet(QStringLiteral("add")))
        return refuse(QStringLiteral("--kind goes with --add"));
    if (parser.isSet(QStringLiteral("add"))) {
        Marker marker;
        if (!parseSpan(parser.value(QStringLiteral("add")), count, marker))
            return refuse(
                QStringLiteral("--add: expected START[:END], sample indexes from 0 to %1").arg(count - 1));
        marker.kind = marker.isRange() ? MarkerKind::Zakres : MarkerKind::Uwaga;
        if (parser.isSet(QStringLiteral("kind"))) {
            const auto kind = markerKindFromName(parser.value(QStringLiteral("kind")));
            if (kind != MarkerKind::Uwaga && kind != MarkerKind::Zakres)
                return refuse(QStringLiteral("--kind: expected uwaga or zakres"));
            marker.kind = *kind;
        }
        marker.label = addLabel;
        change.edit = [marker](std::vector<Marker>& list, QString&) {
            list.push_back(marker);
            return true;
        };
        change.done = QStringLiteral("added %1 at %2").arg(markerKindName(marker.kind)).arg(marker.start);
    } else if (parser.isSet(QStringLiteral("remove"))) {
        bool ok = false;
        const qlonglong index = parser.value(QStringLiteral("remove")).toLongLong(&ok);
        change.edit = [index, ok](std::vector<Marker>& list, QString& error) {
            if (!ok || index < 0 || index >= static_cast<qlonglong>(list.size())) {
                error = QStringLiteral("--remove: expected an index from 0 to %1")
                            .arg(qlonglong(list.size()) - 1);
                return false;
            }
            list.erase(list.begin() + index);
            return true;
        };
        change.done = QStringLiteral("removed marker %1").arg(index);
    } else if (parser.isSet(QStringLiteral("clear-kind"))) {
        const auto kind = markerKindFromName(parser.value(QStringLiteral("clear-kind")));
        if (!kind)
            return refuse(QStringLiteral(
                "--clear-kind: expected uwaga, strata, wyzwolenie, zakres, przekroczenie or dekoder"));
        change.edit = [kind](std::vector<Marker>& list, QString&) {
            std::erase_if(list, [&](const Marker& m) { return m.kind == *kind; });
            return true;
        };
        change.done = QStringLiteral("removed every %1 marker").arg(markerKindName(*kind));
    } else if (parser.isSet(QStringLiteral("import-audacity"))) {
        const QString in = parser.value(QStringLiteral("import-audacity"));
        QFile file;
        usageCode = ExitFailure;
        if (!openFileByName(file, in))
            return refuse(QStringLiteral("%1: %2").arg(in, file.errorString()), ExitFailure);
        // One byte past the limit tells a track too large from one that just fits, also from a pipe.
        const QByteArray track = file.read(kMarkerFileSizeLimit + 1);
        if (track.size() > kMarkerFileSizeLimit)
            return refuse(QStringLiteral("%1: larger than %2 MiB, nothing was imported")
                              .arg(in)
                              .arg(kMarkerFileSizeLimit >> 20),
                          ExitFailure);
        const AudacityImport imported = parseAudacityLabels(track, samplingPeriodMs, count);
        for (const int line : imported.skippedLines)
            std::fprintf(stderr, "varnilog-cli: %s:%d: outside the recording or unreadable, skipped\n",
                         printed(in).constData(), line);
        change.edit = [markers = imported.markers](std::vector<Marker>& list, QString&) {
            list.insert(list.end(), markers.begin(), markers.end());
            return true;
        };
        change.done = QStringLiteral("imported %1 markers").arg(imported.markers.size());
    }
    return true;
}

constexpr CliOption kMarkersOptions[] = {
    {"json", nullptr, "Print the markers as JSON."},
    {"add", "START[:END] LABEL", "Add a marker at sample START (a range up to END), followed by its LABEL."},
    {"kind", "uwaga|zakres", "Kind of the added marker (default: uwaga for a point, zakres for a range)."},
    {"remove", "INDEX", "Remove marker INDEX (0-based, as listed)."},
    {"clear-kind", "KIND", "Remove every marker of a kind."},
    {"audacity", "OUT.txt", "Write the markers as an Audacity label track."},
    {"import-audacity", "IN.txt", "Add the labels of an Audacity label track."},
};

constexpr CliCommand kMarkers{"markers", "Lists and changes the markers saved with a recording.",
                              1,         "FILE.ros",
                              "ros txt", kMarkersOptions};

// Makes the change under the set's lock and says what was done.
int applyChange(const QString& path, const QString& rosPath, const Change& change) {
    // The core refuses it too, under the lock; this says it in the tool's language.
    if (const MarkerReading before = readMarkerFile(markerFilePath(rosPath)); before.damaged())
        return fail(QStringLiteral("%1: %2 lines of the markers cannot be read: nothing was changed")
                        .arg(path)
                        .arg(before.damagedLines));
    bool refused = false;
    const auto edit = [&](std::vector<Marker>& list, QString& why) {
        refused = !change.edit(list, why);
        return !refused;
    };
    if (CoreError error; !changeMarkers(rosPath, edit, error))
        return fail(refused ? coreMessage(error) : QStringLiteral("%1: %2").arg(path, coreMessage(error)),
                    refused ? ExitUsage : ExitFailure);
    std::fprintf(stderr, "%s: %s\n", printed(path).constData(), printed(change.done).constData());
    return ExitOk;
}

// Lists the markers as they now are (and with --audacity writes them as a label track).
int listMarkers(const QCommandLineParser& parser, const QString& path, const QString& rosPath, float period) {
    const MarkerReading reading = readMarkerFile(markerFilePath(rosPath));
    if (reading.damaged())
        std::fprintf(stderr, "varnilog-cli: %s: %d damaged lines of the markers left out\n",
                     printed(path).constData(), reading.damagedLines);
    if (parser.isSet(QStringLiteral("audacity"))) {
        const QString out = parser.value(QStringLiteral("audacity"));
        if (!outputAllowed(out, path))
            return ExitUsage;
        if (QString error; !writeFileSafely(out, encodeAudacityLabels(reading.markers, period), error))
            return fail(QStringLiteral("%1: %2").arg(out, error));
    }
    const QByteArray listing = parser.isSet(QStringLiteral("json")) ? jsonList(path, reading.markers)
                                                                    : table(reading.markers, period);
    std::fwrite(listing.constData(), 1, static_cast<std::size_t>(listing.size()), stdout);
    return ExitOk;
}

} // namespace

int runMarkers(const QStringList& arguments) {
    // --add takes two values, START[:END] and LABEL: the label is taken out before parsing.
    QStringList args = arguments;
    QString addLabel;
    if (const qsizetype at = args.indexOf(QStringLiteral("--add")); at >= 0 && at + 2 < args.size())
        addLabel = args.takeAt(at + 2);
    QCommandLineParser parser;
    if (const int rc = parseCommand(parser, args, kMarkers); rc >= 0)
        return rc;
    if (parser.isSet(QStringLiteral("add")) && addLabel.isNull())
        return fail(QStringLiteral("--add: expected START[:END] LABEL"), ExitUsage);

    const QString path = parser.positionalArguments().at(0);
    std::int64_t count = 0;
    const std::unique_ptr<SharedState> state = openRecordingOrEmpty(path, count);
    if (!state)
        return ExitFailure;
    Change change;
    int usageCode = ExitUsage;
    if (!changeOf(parser, addLabel, count, state->samplingPeriodMs, change, usageCode))
        return usageCode;
    if (const int rc = change.edit ? applyChange(path, state->recordingPath, change) : ExitOk; rc != ExitOk)
        return rc;
    return listMarkers(parser, path, state->recordingPath, state->samplingPeriodMs);
}

} // namespace varnilog::cli
