// The real FileWriter: files on disk through QFile (unbuffered, so every write reaches the operating
// system at once) and SafeFile for whole-file replacement. Depends on QtCore.
#pragma once

#include "recording/FileWriter.h"

namespace varnilog {

class DiskFileWriter final : public FileWriter {
public:
    std::unique_ptr<File> create(const QString& path, QString& error) override;
    bool replace(const QString& path, QByteArrayView bytes, QString& error) override;
};

} // namespace varnilog
