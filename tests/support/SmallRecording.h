// A small recording set written by a test into a folder: three samples at 1 ms (PODSTAWA=10), channel
// A at 1 V/div DC with samples 125, 150, 100, channel B at 10 mV/div AC, offsets at their zero, and a
// description (".roc") when one is given; and the text of a PDF for checks of printed pages.
#pragma once

#include "support/RecordingSetBuilder.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>

#include <optional>

namespace varnilog::test {

inline constexpr char kSmallRecordingName[] = "2024-03-07 14.05.09";

// Writes the set into dir and returns the path of its ".ros".
inline QString writeSmallRecording(const QString& dir, const QString& description = {}) {
    const QString ros = writeRecording(
        dir, QString::fromLatin1(kSmallRecordingName),
        "[PARAMETRY]\r\nPODSTAWA=10\r\nCZULOSCA=4\r\nCZULOSCB=10\r\nTRYBA=2\r\nTRYBB=0\r\n"
        "OFFSETA=100\r\nOFFSETB=100\r\nILOSCKANALOW=2\r\nSTART=2024-03-07 14.05.09\r\n",
        {QByteArray("\x7d\x96\x64", 3), QByteArray("\x7e\x7d\x7c", 3)}); // A 125 150 100, B 126 125 124
    if (!description.isEmpty())
        writeFile(siblingPath(ros, QStringLiteral(".roc")),
                  description.toUtf8().replace("\n", "\r\n") + "\r\n");
    return ros;
}

// The text of a PDF's first page as poppler's pdftotext extracts it, or nothing when the tool is not
// installed (scripts/install-deps installs it).
inline std::optional<QByteArray> pdfText(const QString& pdfPath) {
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (tool.isEmpty())
        return std::nullopt;
    QProcess p;
    p.start(tool, {QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"),
                   QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdfPath, QStringLiteral("-")});
    p.waitForFinished(30000);
    return p.readAllStandardOutput();
}

} // namespace varnilog::test
