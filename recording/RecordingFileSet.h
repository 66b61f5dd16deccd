// The files of one recording: "<base>.ros" (settings, INI section PARAMETRY), ".rca"/".rcb" (one
// byte per sample of channels A and B), optional ".rcc"/".rcd", and ".roc" (description). Names,
// the ".ros" writer, creation and filling of the sample files, measuring and removal of the set a
// recording writes (the browser's rename and delete live in RecordingManagement). Positions and
// counts are 64-bit. Depends on QtCore, app/SharedState.h and recording/ProfileFile.
#pragma once

#include "app/SharedState.h"

#include <QDateTime>
#include <QFile>
#include <QString>

#include <array>
#include <cstdint>
#include <span>

namespace varnilog {

// The files removed with an empty recording; a ".roc" description is not among them.
inline constexpr std::array<const char*, 5> kRecordingSetExtensions{".ros", ".rca", ".rcb", ".rcc", ".rcd"};

// "yyyy-mm-dd hh.mm.ss" of a local date and time, every field zero-padded, 24-hour clock.
QString recordingBaseName(const QDateTime& time);
// dir + the platform's separator + name (no second separator when dir already ends with one).
QString joinDataPath(const QString& dir, const QString& name);
// The path with the text after the last dot of its file name replaced by extension (".rca"); a
// file name without a dot gets the extension appended.
QString siblingPath(const QString& path, const QString& extension);

class RecordingFileSet {
public:
    RecordingFileSet() = default;
    RecordingFileSet(QString dataDir, QString baseName);
    ~RecordingFileSet();
    RecordingFileSet(const RecordingFileSet&) = delete;
    RecordingFileSet& operator=(const RecordingFileSet&) = delete;

    const QString& baseName() const { return baseName_; }
    const QString& dataDir() const { return dataDir_; }
    QString path(const char* extension) const;
    QString rosPath() const { return path(".ros"); }

    // True when any file of that name exists in dir, the description included, so a new recording
    // never takes over an earlier one's files.
    static bool nameTaken(const QString& dir, const QString& baseName);

    // Writes PODSTAWA, CZULOSCA, CZULOSCB, TRYBA, TRYBB, OFFSETA, OFFSETB, ILOSCKANALOW and START
    // (the base name) in this order; false when the file cannot be written.
    bool writeSettings(const SharedState& state);
    // Creates ".rca" and ".rcb" empty, replacing files of that name; false when either fails.
    bool createSampleFiles();
    bool sampleFilesOpen() const { return fileA_.isOpen() && fileB_.isOpen(); }
    // Appends a.size() samples to ".rca" and as many from b to ".rcb"; they go to the operating
    // system at once, so a crash of the program loses nothing appended. False on a failed or
    // short write (disk full, file size limit, device error).
    bool append(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b);
    std::int64_t samplesAppended() const { return appended_; }
    void closeSampleFiles();
    // Length in bytes of ".rca", -1 when it cannot be opened.
    std::int64_t measureLength() const;
    // Deletes ".ros", ".rca", ".rcb", ".rcc", ".rcd" in this order; missing files are skipped.
    void remove() const;

private:
    QString dataDir_;
    QString baseName_;
    QFile fileA_;
    QFile fileB_;
    std::int64_t appended_ = 0; // samples per channel
};

} // namespace varnilog
