// A FileWriter whose files take no bytes, as on a full disk: creating works, every write fails with
// the reason "No space left on device". For tests of what a failed write leaves behind. Given a
// test of the path, only the files it picks are full; the others are written to disk.
#pragma once

#include "recording/DiskFileWriter.h"

#include <functional>

namespace varnilog::test {

class FullDiskWriter final : public FileWriter {
public:
    static QString reason() { return QStringLiteral("No space left on device"); }

    FullDiskWriter() = default;
    explicit FullDiskWriter(std::function<bool(const QString&)> full) : full_(std::move(full)) {}

    std::unique_ptr<File> create(const QString& path, QString& error) override {
        auto real = disk_.create(path, error);
        if (!real || (full_ && !full_(path)))
            return real;
        return std::make_unique<FullFile>(std::move(real));
    }
    std::unique_ptr<File> createReplacement(const QString& path, QString& error) override {
        auto real = disk_.createReplacement(path, error);
        if (!real || (full_ && !full_(path)))
            return real;
        return std::make_unique<FullFile>(std::move(real));
    }
    bool replace(const QString& path, QByteArrayView bytes, QString& error) override {
        if (full_ && !full_(path))
            return disk_.replace(path, bytes, error);
        error = reason();
        return false;
    }

private:
    class FullFile final : public File {
    public:
        explicit FullFile(std::unique_ptr<File> real) : real_(std::move(real)) {}
        qint64 write(const char*, qint64) override { return -1; }
        bool resize(qint64 size) override { return real_->resize(size); }
        QString errorString() const override { return reason(); }
        bool commit() override { return false; }

    private:
        std::unique_ptr<File> real_;
    };

    DiskFileWriter disk_;
    std::function<bool(const QString&)> full_;
};

} // namespace varnilog::test
