#include "recording/DiskFileWriter.h"

#include "recording/SafeFile.h"

#include <QFile>

namespace varnilog {

namespace {

class DiskFile final : public FileWriter::File {
public:
    explicit DiskFile(const QString& path) : file_(path) {}

    bool open() { return file_.open(QIODevice::ReadWrite | QIODevice::Truncate | QIODevice::Unbuffered); }

    qint64 write(const char* data, qint64 size) override {
        // A short count carries no error text of its own: writing the rest either goes on (a short
        // write that was no failure) or fails with the system's reason (disk full, size limit).
        qint64 done = 0;
        while (done < size) {
            const qint64 n = file_.write(data + done, size - done);
            if (n <= 0)
                return done > 0 ? done : -1;
            done += n;
        }
        return done;
    }

    bool resize(qint64 size) override { return file_.resize(size); }

    QString errorString() const override { return file_.errorString(); }

private:
    QFile file_;
};

class SafeReplacement final : public FileWriter::File {
public:
    explicit SafeReplacement(const QString& path) : file_(path) {}

    bool open() { return file_.open(QIODevice::WriteOnly); }
    qint64 write(const char* data, qint64 size) override { return file_.write(data, size); }
    bool resize(qint64) override { return false; }
    QString errorString() const override { return file_.errorString(); }
    bool commit() override { return file_.commit(); }
    qint64 readBack(qint64 pos, char* out, qint64 count) override { return file_.readBack(pos, out, count); }

private:
    SafeFile file_;
};

} // namespace

std::unique_ptr<FileWriter::File> FileWriter::createReplacement(const QString& path, QString& error) {
    auto file = std::make_unique<SafeReplacement>(path);
    if (!file->open()) {
        error = file->errorString();
        return nullptr;
    }
    return file;
}

std::unique_ptr<FileWriter::File> DiskFileWriter::create(const QString& path, QString& error) {
    auto file = std::make_unique<DiskFile>(path);
    if (!file->open()) {
        error = file->errorString();
        return nullptr;
    }
    return file;
}

bool DiskFileWriter::replace(const QString& path, QByteArrayView bytes, QString& error) {
    return writeFileSafely(path, bytes, error);
}

} // namespace varnilog
