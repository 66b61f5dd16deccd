// Where the files of a recording are written: the one seam between the file layer and the disk, so
// that a test can make any single write fail as a full disk or a failing device would. The real one
// is DiskFileWriter; the file layer takes another through its constructor. Depends on QtCore.
#pragma once

#include <QByteArrayView>
#include <QString>

#include <memory>

namespace varnilog {

class FileWriter {
public:
    // A file open for writing from its start.
    class File {
    public:
        virtual ~File() = default;
        // Writes size bytes at the end; returns how many went out: size, or fewer / -1 when the write
        // failed part way (errorString says why).
        virtual qint64 write(const char* data, qint64 size) = 0;
        // Cuts the file (or extends it with zeros) to size bytes.
        virtual bool resize(qint64 size) = 0;
        virtual QString errorString() const = 0;
        // A file made by createReplacement: puts it in place of path's file. False with errorString
        // set; the old file then stays. Others are in place from the start.
        virtual bool commit() { return true; }
        // Reads back count bytes at pos of what was written; -1 when the file cannot.
        virtual qint64 readBack(qint64 pos, char* out, qint64 count) {
            (void)pos, (void)out, (void)count;
            return -1;
        }
    };

    virtual ~FileWriter() = default;
    // Creates path empty for writing, replacing a file of that name; nullptr with error set on failure.
    virtual std::unique_ptr<File> create(const QString& path, QString& error) = 0;
    // Makes bytes the whole content of path: afterwards the file holds either its old content or all
    // of bytes, never a part (a temporary file renamed into place). False with error set on failure.
    virtual bool replace(const QString& path, QByteArrayView bytes, QString& error) = 0;
    // A whole new content for path, written through the safe writer: path keeps its old file until
    // commit() (an unnamed temporary that follows no link); dropping the file uncommitted leaves
    // nothing. nullptr with error set on failure.
    virtual std::unique_ptr<File> createReplacement(const QString& path, QString& error);
};

} // namespace varnilog
