#include "recording/RecentRecording.h"

#include "recording/FileIdentity.h"
#include "recording/RecordingFileSet.h"
#include "recording/SafeFile.h"

namespace varnilog {

bool writeRecentRecording(const QString& rosPath, const RecentSamples& recent, CoreError& error) {
    if (recent.a.isEmpty()) {
        error = CoreError::of(CoreErrorKind::NoSamples);
        error.path = rosPath;
        return false;
    }
    // A new set never takes over the files of an earlier one (its description, markers or C and D).
    bool taken = identityOf(markerFilePath(rosPath)).exists() ||
                 identityOf(siblingPath(rosPath, QStringLiteral(".roc"))).exists();
    for (const char* ext : kRecordingSetExtensions)
        taken = taken || identityOf(siblingPath(rosPath, QLatin1String(ext))).exists();
    if (taken) {
        error = CoreError::of(CoreErrorKind::RecordingExists);
        error.path = rosPath;
        return false;
    }
    const QByteArray header = newRecordingHeaderText(recent.header);
    std::vector<SafeFileContent> files{
        {rosPath, [&header](QIODevice& out) { return out.write(header) == header.size(); }},
        {siblingPath(rosPath, QStringLiteral(".rca")),
         [&recent](QIODevice& out) { return out.write(recent.a) == recent.a.size(); }},
        {siblingPath(rosPath, QStringLiteral(".rcb")),
         [&recent](QIODevice& out) { return out.write(recent.b) == recent.b.size(); }}};
    const QByteArray marks = recent.markers.empty() ? QByteArray() : encodeMarkers(recent.markers);
    if (!marks.isEmpty())
        files.push_back(
            {markerFilePath(rosPath), [&marks](QIODevice& out) { return out.write(marks) == marks.size(); }});
    QString reason;
    if (header.isEmpty() || !writeFilesSafely(files, reason)) {
        error = CoreError::worded(reason.isEmpty() ? rosPath : reason);
        return false;
    }
    return true;
}

} // namespace varnilog
