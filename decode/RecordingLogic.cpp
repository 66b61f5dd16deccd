#include "decode/RecordingLogic.h"

#include "analysis/SampleScan.h"
#include "recording/RecordingLoader.h"
#include "view/ScaleTables.h"

#include <algorithm>
#include <cstring>

namespace varnilog {

struct RecordingLogic::Reader {
    int channel = 0;
    QFile file;
    std::vector<std::uint8_t> codes;

    bool read(std::int64_t first, std::size_t n, QString& error) {
        if (!file.seek(first)) {
            error = QStringLiteral("%1: %2").arg(file.fileName(), file.errorString());
            return false;
        }
        for (std::size_t got = 0; got < n;) {
            const qint64 r =
                file.read(reinterpret_cast<char*>(codes.data() + got), static_cast<qint64>(n - got));
            if (r <= 0) {
                error = QStringLiteral("%1: %2").arg(
                    file.fileName(), r < 0 ? file.errorString() : QStringLiteral("the file ended early"));
                return false;
            }
            got += static_cast<std::size_t>(r);
        }
        return true;
    }
};

RecordingLogic::RecordingLogic(const std::array<QString, 4>& files, const std::array<int, 4>& sensitivity,
                               const std::vector<LogicInput>& inputs, std::size_t blockSamples)
    : files_(files), inputs_(inputs), block_(std::max<std::size_t>(blockSamples, 1)) {
    for (const LogicInput& in : inputs_) {
        thresholds_.emplace_back(in.level, sensitivity[static_cast<std::size_t>(in.channel)]);
        std::size_t k = 0;
        while (k < readers_.size() && readers_[k]->channel != in.channel)
            ++k;
        if (k == readers_.size()) {
            readers_.push_back(std::make_unique<Reader>());
            readers_.back()->channel = in.channel;
            readers_.back()->codes.resize(block_);
        }
        readerOf_.push_back(k);
    }
}

RecordingLogic::~RecordingLogic() = default;

bool RecordingLogic::open(QString& error) {
    for (const auto& r : readers_) {
        const QString& path = files_[static_cast<std::size_t>(r->channel)];
        if (!openSetFileForReading(r->file, path)) {
            error = QStringLiteral("%1: cannot be opened").arg(path);
            return false;
        }
    }
    return true;
}

std::array<FileIdentity, 4> RecordingLogic::identities() const {
    std::array<FileIdentity, 4> out;
    for (const auto& r : readers_)
        if (r->file.isOpen())
            out[static_cast<std::size_t>(r->channel)] = identityOf(r->file.handle());
    return out;
}

bool RecordingLogic::read(std::int64_t first, std::int64_t n, std::uint8_t* logic, QString& error) {
    std::memset(logic, 0, static_cast<std::size_t>(n));
    for (std::int64_t done = 0; done < n;) {
        const auto m =
            static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(block_), n - done));
        for (const auto& r : readers_)
            if (!r->read(first + done, m, error))
                return false;
        for (std::size_t i = 0; i < inputs_.size(); ++i)
            thresholds_[i].convert(readers_[readerOf_[i]]->codes.data(), m, logic + done, inputs_[i].bit);
        done += static_cast<std::int64_t>(m);
    }
    return true;
}

bool codeExtremes(const QString& path, std::int64_t from, std::int64_t to, std::uint8_t& lo, std::uint8_t& hi,
                  QString& error) {
    QFile file;
    if (!openSetFileForReading(file, path) || !file.seek(from)) {
        error = QStringLiteral("%1: cannot be opened").arg(path);
        return false;
    }
    CodeStatistics stats;
    std::vector<std::uint8_t> block(1 << 16);
    for (std::int64_t at = from; at < to;) {
        const qint64 r = file.read(reinterpret_cast<char*>(block.data()),
                                   std::min<qint64>(static_cast<qint64>(block.size()), to - at));
        if (r <= 0) {
            error = QStringLiteral("%1: %2").arg(path, r < 0 ? file.errorString()
                                                             : QStringLiteral("the file ended early"));
            return false;
        }
        stats.add(block.data(), static_cast<std::size_t>(r));
        at += r;
    }
    lo = stats.count ? stats.lo : kZeroLine;
    hi = stats.count ? stats.hi : kZeroLine;
    return true;
}

} // namespace varnilog
