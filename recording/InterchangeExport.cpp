#include "recording/InterchangeExport.h"

#include "view/SampleCodes.h"

#include <QCoreApplication>
#include <QFileDevice>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace varnilog {

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

bool InterchangeBlocks::read(std::int64_t first, std::int64_t n, CoreError& error) {
    for (std::size_t k = 0; k < channels_.size(); ++k) {
        QIODevice* file = request_.source.sampleFiles[channels_[k]];
        auto* row = reinterpret_cast<char*>(buffer_.data() + k * static_cast<std::size_t>(block_));
        qint64 got = 0;
        if (file->seek(from_ + first)) {
            while (got < n) {
                const qint64 r = file->read(row + got, n - got);
                if (r < 0) {
                    // The recording's file that failed, not only its channel: the caller names the output.
                    const auto* named = qobject_cast<const QFileDevice*>(file);
                    error = {CoreErrorKind::PathReason,
                             named != nullptr ? named->fileName() : QString(QChar(channelName[channels_[k]])),
                             {},
                             file->errorString(),
                             0,
                             0,
                             {}};
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

std::int64_t sampleRateHz(float samplingPeriodMs) {
    return samplingPeriodMs > 0 ? std::llround(1000.0 / static_cast<double>(samplingPeriodMs)) : 0;
}

SampleTimeText::SampleTimeText(std::int64_t rate) : rate_(std::max<std::int64_t>(rate, 1)) {
    std::int64_t power = 1;
    for (int e = 0; e <= 12; ++e, power *= 10)
        if (power % rate_ == 0) {
            step_ = power / rate_;
            scale_ = static_cast<std::uint64_t>(power);
            decimals_ = e;
            break;
        }
}

QByteArray SampleTimeText::fixed(std::int64_t n, int minDecimals) const {
    char text[64];
    if (step_ != 0)
        return QByteArray(text, putFraction(text, n, std::max(minDecimals, 1)) - text);
    return QByteArray::number(static_cast<double>(n) / static_cast<double>(rate_), 'f',
                              std::max(minDecimals, 9));
}

std::array<double, 256> exportVoltsTable(std::uint8_t sensitivityIndex) {
    std::array<double, 256> table{};
    for (int s = 0; s < 256; ++s)
        table[s] = codeVolts(static_cast<std::uint8_t>(s), sensitivityIndex);
    return table;
}

bool writeWhole(QIODevice& out, const char* data, qint64 size, CoreError& error) {
    while (size > 0) {
        const qint64 n = out.write(data, size);
        if (n <= 0) {
            error = {CoreErrorKind::WriteFailed, {}, {}, out.errorString(), 0, 0, {}};
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
