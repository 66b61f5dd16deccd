// The one way the program writes a whole file: an exclusive temporary in the target's folder that
// follows no link (an anonymous O_TMPFILE, or O_CREAT|O_EXCL|O_NOFOLLOW with an unpredictable name),
// every byte checked, fsync, rename into place, fsync of the folder. Until commit() succeeds the old
// file is untouched; a failed or abandoned write leaves no temporary behind, and what a killed one
// left (its named temporary, locked while its writer lives) goes with the next write of the target. A
// QIODevice, so Qt's image, SVG and PDF writers write into it: their ignored short writes still fail the
// commit. Depends on QtCore.
#pragma once

#include "recording/FileIdentity.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

// The POSIX writer, unless a build asks for the portable one (Qt's QSaveFile) to test it on Linux.
#if defined(Q_OS_UNIX) && !defined(VARNILOG_PORTABLE_SAFE_FILE)
#define VARNILOG_POSIX_SAFE_FILE 1
#else
class QSaveFile;
#endif

namespace varnilog {

class SafeFile final : public QIODevice {
public:
    explicit SafeFile(QString targetPath);
    ~SafeFile() override; // an uncommitted file is cancelled

    SafeFile(const SafeFile&) = delete;
    SafeFile& operator=(const SafeFile&) = delete;

    // Creates the temporary (mode must be WriteOnly, optionally with Text). False with errorString set.
    bool open(OpenMode mode = WriteOnly) override;
    // Makes what was written the target's whole content. False with errorString set (the system's
    // reason of the first failed write, flush, sync or rename); the old file then stays as it was.
    bool commit();
    // As commit(), but only when nothing of the target's name exists: the check and the putting in
    // place are one step, so of two writers of one new name exactly one succeeds. targetExisted()
    // then tells a taken name from another failure.
    bool commitNew();
    bool targetExisted() const { return targetExisted_; }
    // Puts several written files in place as one, each as commit() would: all are synced and checked
    // before the first goes in, and when one cannot go in, those before it get back what they held (or
    // go, if they are new). nullptr when all are in place; otherwise the one that failed, with its
    // errorString, and none of them committed.
    static SafeFile* commitTogether(const std::vector<SafeFile*>& files);
    // Drops what was written; the target stays as it was.
    void cancel();
    // Writes size bytes again at offset, within what was written before (containers such as ZIP fill
    // in an entry's sizes after its data). False with errorString set; commit() then fails too.
    bool rewrite(qint64 offset, const char* data, qint64 size);

    // Reads back count bytes at pos of what was written so far (after the writes before it reached
    // the file); -1 on failure.
    qint64 readBack(qint64 pos, char* out, qint64 count);

    // The temporary's identity while open (its inode is the one the target will have).
    FileIdentity identity() const;
    // The temporary's descriptor while open (-1 otherwise), e.g. to lock it before it is in place.
    int handle() const;

    bool isSequential() const override { return true; }
    const QString& targetPath() const { return target_; }
    // True once any write failed: what follows is dropped and commit() will fail.
    bool failed() const { return !error_.isEmpty(); }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    bool commitAs(bool replace);
    // commit's steps: made ready to go in (synced, under a name of its own, the target checked), put
    // in place, then closed.
    bool prepareCommit(bool replace);
    bool putInPlace(bool replace);
    void finishCommit();
    bool flushBuffer();
    bool writeOut(const char* data, qint64 size);
    void fail(const QString& reason);
    void discard();

    QString target_;
    QByteArray tempPath_; // the named temporary as the system names it, empty while it is anonymous
    QString error_;
    QByteArray buffer_; // writes gathered into large checked write(2) calls
    bool targetExisted_ = false;
#ifdef VARNILOG_POSIX_SAFE_FILE
    int fd_ = -1;
    bool anonymous_ = false;
    qint64 written_ = 0, sent_ = 0; // bytes written, and of them handed to the disk before commit
#else
    std::unique_ptr<QSaveFile> save_;
#endif
};

// False with error set (the system's reason) when the file name of path is longer than a folder entry
// can be: a command that writes several files checks every name before it writes the first.
bool fileNameFits(const QString& path, QString& error);

// Writes bytes as path's whole content through a SafeFile. False with error set.
bool writeFileSafely(const QString& path, QByteArrayView bytes, QString& error);
// Lets fill write path's content into a SafeFile; fill returns false to abandon it. False with error
// set to the system's reason, or empty when fill abandoned without a failed write; the old file
// then stays.
bool writeFileSafely(const QString& path, const std::function<bool(QIODevice&)>& fill, QString& error);

// Writes several files (each path's content made by its fill) as one: every one is written whole
// before the first is put in place, so a failure of any (a full disk, a missing folder, a folder at
// its name) leaves none of them written. False with error ("<path>: <reason>").
struct SafeFileContent {
    QString path;
    std::function<bool(QIODevice&)> fill;
};
bool writeFilesSafely(const std::vector<SafeFileContent>& files, QString& error);

} // namespace varnilog
