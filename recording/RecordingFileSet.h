// The files of one recording: "<base>.ros" (settings, see RecordingHeader), ".rca"/".rcb" (one
// byte per sample of channels A and B), optional ".rcc"/".rcd", and ".roc" (description). Names,
// the ".ros" writer, creation and filling of the sample files, measuring and removal of the set a
// recording writes (the browser's rename and delete live in RecordingManagement). Positions and
// counts are 64-bit. Every write goes through a FileWriter (the disk unless one is given). Depends
// on QtCore, app/SharedState.h and recording/ (RecordingHeader, FileWriter).
#pragma once

#include "app/SharedState.h"
#include "recording/DiskFileWriter.h"
#include "recording/SampleSummaryWriter.h"

#include <QDateTime>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <span>

namespace varnilog {

// The sample files of channels A..D.
inline constexpr std::array<const char*, 4> kRecordingSampleExtensions{".rca", ".rcb", ".rcc", ".rcd"};
// A decode's settings and annotations beside the set (decode/DecodeResultsFile.h), stamped with the
// sample files it read (recording/SampleStamp.h).
inline constexpr char kDecodeResultsExtension[] = ".rdk";
// The files removed with an empty recording; a ".roc" description is not among them.
inline constexpr std::array<const char*, 5> kRecordingSetExtensions{
    ".ros", kRecordingSampleExtensions[0], kRecordingSampleExtensions[1], kRecordingSampleExtensions[2],
    kRecordingSampleExtensions[3]};

// "yyyy-mm-dd hh.mm.ss" of a local date and time, every field zero-padded, 24-hour clock.
QString recordingBaseName(const QDateTime& time);
// dir + the platform's separator + name (no second separator when dir already ends with one).
QString joinDataPath(const QString& dir, const QString& name);
// The path with the text after the last dot of its file name replaced by extension (".rca"); a
// file name without a dot gets the extension appended.
QString siblingPath(const QString& path, const QString& extension);
// The sample file of channel 0..3 (A..D) beside any file of a set.
QString sampleFilePath(const QString& pathInSet, int channel);

class RecordingFileSet {
public:
    RecordingFileSet() = default;
    // writer: where the files go; nullptr is the disk. A given writer must outlive the set.
    RecordingFileSet(QString dataDir, QString baseName, FileWriter* writer = nullptr);
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

    // Writes the header of state with the base name as its start time, all in one replacement of
    // the file (writeRecordingHeader): an older ".ros" of the name keeps its other lines, and a
    // failure or a crash leaves that older file (or none), never a part of the keys. False when the
    // file cannot be written (writeError says why).
    bool writeSettings(const SharedState& state);
    // Creates ".rca" and ".rcb" empty, replacing files of that name; false when either fails. Their
    // summaries are begun too (see append and finishSummaries); a summary that cannot be begun only
    // means the recording has none.
    bool createSampleFiles();
    bool sampleFilesOpen() const { return fileA_ != nullptr && fileB_ != nullptr; }
    // Appends a.size() samples to ".rca" and as many from b to ".rcb"; they go to the operating
    // system at once, so a crash of the program loses nothing appended. ".rcb" is written first:
    // a crash between the two writes leaves ".rcb" longer, and the length of ".rca" still counts
    // only whole pairs. False on a failed or short write (disk full, file size limit, device
    // error): both files are cut back to the pairs written before (when the device refuses that
    // too, ".rca" stays no longer than ".rcb"), and every later append fails too, so a recording
    // never has a gap in its time line. The samples appended also extend the summaries.
    bool append(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b);
    std::int64_t samplesAppended() const { return appended_; }
    // Why the last writeSettings, createSampleFiles or append failed ("<file>: <reason>").
    const QString& writeError() const { return writeError_; }
    void closeSampleFiles();
    // After closeSampleFiles: puts the summaries of ".rca" and ".rcb" in place, with the lengths and
    // modification times the files have now, so the recording has them the moment it is loaded.
    // Nothing is left of a summary that failed; the sample files are not touched.
    void finishSummaries();
    // Length in bytes of ".rca", -1 when it cannot be opened.
    std::int64_t measureLength() const;
    // Deletes ".ros", ".rca", ".rcb", ".rcc", ".rcd" in this order and then the summaries of the sample
    // files (a summary begun is dropped); missing files are skipped.
    void remove();

private:
    bool writeBoth(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b);
    bool writeOne(FileWriter::File& file, const char* extension, std::span<const std::uint8_t> bytes);
    void cutBack();

    QString dataDir_;
    QString baseName_;
    DiskFileWriter disk_;
    FileWriter* writer_ = &disk_;
    std::unique_ptr<FileWriter::File> fileA_;
    std::unique_ptr<FileWriter::File> fileB_;
    std::array<SampleSummaryWriter, 2> summaries_; // of ".rca" and ".rcb"
    std::int64_t appended_ = 0;                    // samples per channel, both files
    bool appendFailed_ = false;
    QString writeError_;
};

} // namespace varnilog
