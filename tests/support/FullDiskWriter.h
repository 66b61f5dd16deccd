// A FileWriter whose files take no bytes, as on a full disk: creating works, every write fails with
// the reason "No space left on device". For tests of what a failed write leaves behind.
#pragma once

#include "recording/DiskFileWriter.h"

namespace varnilog::test {

class FullDiskWriter final : public FileWriter {
public:
    static QString reason() { return QStringLiteral("No space left on device"); }

    std::unique_ptr<File> create(const QString& path, QString& error) override {
        auto real = disk_.create(path, error);
        return real ? std::make_unique<FullFile>(std::move(real)) : nullptr;
    }
    bool replace(const QString&, QByteArrayView, QString& error) override {
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

    private:
        std::unique_ptr<File> real_;
    };

    DiskFileWriter disk_;
};

} // namespace varnilog::test
