#include "recording/InterchangeExport.h"

#include "view/ScaleTables.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <algorithm>
#include <cstring>

namespace varnilog {

bool exportFormatFromName(const QString& nameOrPath, ExportFormat& format, bool isPath) {
    const QString name = (isPath ? QFileInfo(nameOrPath).suffix() : nameOrPath).toLower();
    if (name == QLatin1String("txt"))
        format = ExportFormat::Text;
    else if (name == QLatin1String("csv"))
        format = ExportFormat::Csv;
    else if (name == QLatin1String("wav"))
        format = ExportFormat::Wav;
    else if (name == QLatin1String("sr"))
        format = ExportFormat::Sigrok;
    else
        return false;
    return true;
}

InterchangeBlocks::InterchangeBlocks(const InterchangeRequest& request) : request_(request) {
    const int count = std::clamp(request.source.channelCount, 0, kChannels);
    for (int c = 0; c < count; ++c) {
        QIODevice* file = request.source.sampleFiles[c];
        if ((request.channelMask >> c & 1u) && file != nullptr && file->isOpen() && file->isReadable())
            channels_.push_back(c);
    }
    const std::int64_t total = std::max<std::int64_t>(request.source.sampleCount, 0);
    from_ = std::clamp<std::int64_t>(request.from, 0, total);
    const std::int64_t to = request.to < 0 ? total : std::clamp<std::int64_t>(request.to, from_, total);
    count_ = to - from_;
    block_ = std::max<std::int64_t>(request.blockSamples, 1);
    buffer_.resize(channels_.size() * static_cast<std::size_t>(block_));
}

bool InterchangeBlocks::read(std::int64_t first, std::int64_t n, QString& error) {
    for (std::size_t k = 0; k < channels_.size(); ++k) {
        QIODevice* file = request_.source.sampleFiles[channels_[k]];
        auto* row = reinterpret_cast<char*>(buffer_.data() + k * static_cast<std::size_t>(block_));
        qint64 got = 0;
        if (file->seek(from_ + first)) {
            while (got < n) {
                const qint64 r = file->read(row + got, n - got);
                if (r < 0) {
                    error =
                        QStringLiteral("%1: %2").arg(QChar(channelName[channels_[k]]), file->errorString());
                    return false;
                }
                if (r == 0)
                    break;
                got += r;
            }
        }
        std::memset(row + got, kZeroLine, static_cast<std::size_t>(n - got));
    }
    return true;
}

std::array<double, 256> exportVoltsTable(std::uint8_t sensitivityIndex) {
    std::array<double, 256> table{};
    for (int s = 0; s < 256; ++s)
        table[s] = codeVolts(static_cast<std::uint8_t>(s), sensitivityIndex);
    return table;
}

bool writeWhole(QIODevice& out, const char* data, qint64 size, QString& error) {
    while (size > 0) {
        const qint64 n = out.write(data, size);
        if (n <= 0) {
            error = out.errorString().isEmpty()
                        ? QCoreApplication::translate("varnilog::InterchangeExport", "zapis nie powiódł się")
                        : out.errorString();
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

bool reportProgress(const WorkProgress& progress, std::int64_t done, std::int64_t total,
                    InterchangeResult& result) {
    if (!progress || progress(done, total))
        return true;
    result.ok = false;
    result.cancelled = true;
    return false;
}

} // namespace varnilog
