#include "recording/SampleSummary.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace varnilog {

namespace {

constexpr char kMagic[8] = {'V', 'L', 'S', 'U', 'M', 'M', 'A', '1'};
constexpr std::int64_t kBuildBlock = 1 << 20; // a whole number of coarse blocks

void putInt64(std::uint8_t* out, std::int64_t v) {
    for (int i = 0; i < 8; ++i)
        out[i] = static_cast<std::uint8_t>(static_cast<std::uint64_t>(v) >> (8 * i));
}

std::int64_t getInt64(const std::uint8_t* in) {
    std::uint64_t v = 0;
    for (int i = 0; i < 8; ++i)
        v |= std::uint64_t{in[i]} << (8 * i);
    return static_cast<std::int64_t>(v);
}

std::int64_t modifiedMs(QFile& file) {
    return file.fileTime(QFileDevice::FileModificationTime).toMSecsSinceEpoch();
}

// True when [pos, end) of the file is all hole (reads as zeros) as far as the system can tell.
bool allHole(QFile& file, std::int64_t pos, std::int64_t end) {
#if defined(SEEK_DATA)
    const int fd = file.handle();
    if (fd < 0)
        return false;
    errno = 0;
    const off_t data = ::lseek(fd, static_cast<off_t>(pos), SEEK_DATA);
    return data < 0 ? errno == ENXIO : data >= end;
#else
    (void)file;
    (void)pos;
    (void)end;
    return false;
#endif
}

} // namespace

QString summaryPathFor(const QString& samplePath) {
    QString path = samplePath;
    const qsizetype n = path.size();
    if (n >= 4 && path.at(n - 4) == u'.' && path.at(n - 3).toLower() == u'r') {
        path[n - 2] = path.at(n - 2).isUpper() ? u'S' : u's';
        return path;
    }
    return path + QStringLiteral(".rs");
}

std::int64_t readAt(QFile& file, std::int64_t pos, std::uint8_t* out, std::int64_t count) {
#if !defined(_WIN32)
    const int fd = file.handle();
    if (fd >= 0) {
        std::int64_t done = 0;
        while (done < count) {
            const ssize_t got =
                ::pread(fd, out + done, static_cast<size_t>(count - done), static_cast<off_t>(pos + done));
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                return done > 0 ? done : -1;
            if (got == 0)
                break;
            done += got;
        }
        return done;
    }
#endif
    if (!file.seek(pos))
        return -1;
    return file.read(reinterpret_cast<char*>(out), count);
}

SummaryLayout readSummaryLayout(QFile& summary, QFile& sample) {
    SummaryLayout layout;
    if (!summary.isOpen() || !sample.isOpen())
        return layout;
    std::uint8_t header[kSummaryHeaderSize];
    if (readAt(summary, 0, header, kSummaryHeaderSize) != kSummaryHeaderSize ||
        std::memcmp(header, kMagic, sizeof kMagic) != 0)
        return layout;
    const std::int64_t length = getInt64(header + 8);
    const std::int64_t coarse = length / kSummaryCoarseBlock;
    const std::int64_t fine = length / kSummaryFineBlock;
    if (length < 0 || length != sample.size() || getInt64(header + 16) != modifiedMs(sample) ||
        summary.size() != kSummaryHeaderSize + 2 * (coarse + fine))
        return layout;
    layout.valid = true;
    layout.length = length;
    layout.coarseOffset = kSummaryHeaderSize;
    layout.fineOffset = kSummaryHeaderSize + 2 * coarse;
    return layout;
}

bool buildSampleSummary(const QString& samplePath, const SummaryProgress& progress) {
    QFile sample(samplePath);
    if (!QFileInfo(samplePath).isFile() || !sample.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return false;
    const std::int64_t length = sample.size();
    const std::int64_t modified = modifiedMs(sample);
    const std::int64_t fineCount = length / kSummaryFineBlock;
    const std::int64_t coarseCount = length / kSummaryCoarseBlock;
    std::vector<std::uint8_t> fine(static_cast<std::size_t>(2 * fineCount));
    std::vector<std::uint8_t> block(kBuildBlock);
    for (std::int64_t pos = 0; pos < fineCount * kSummaryFineBlock; pos += kBuildBlock) {
        const std::int64_t want = std::min(kBuildBlock, fineCount * kSummaryFineBlock - pos);
        if (allHole(sample, pos, pos + want)) {
            std::fill_n(block.begin(), want, std::uint8_t{0});
        } else if (readAt(sample, pos, block.data(), want) != want) {
            return false;
        }
        for (std::int64_t b = 0; b < want; b += kSummaryFineBlock) {
            const auto [lo, hi] =
                std::minmax_element(block.begin() + b, block.begin() + b + kSummaryFineBlock);
            const std::size_t entry = static_cast<std::size_t>(2 * ((pos + b) / kSummaryFineBlock));
            fine[entry] = *lo;
            fine[entry + 1] = *hi;
        }
        if (progress && !progress(pos + want, length))
            return false;
    }
    // A file that changed while it was read would get a summary of neither version.
    if (sample.size() != length || modifiedMs(sample) != modified)
        return false;

    constexpr std::int64_t perCoarse = kSummaryCoarseBlock / kSummaryFineBlock;
    std::vector<std::uint8_t> out(
        static_cast<std::size_t>(kSummaryHeaderSize + 2 * (coarseCount + fineCount)));
    std::memcpy(out.data(), kMagic, sizeof kMagic);
    putInt64(out.data() + 8, length);
    putInt64(out.data() + 16, modified);
    std::uint8_t* coarse = out.data() + kSummaryHeaderSize;
    for (std::int64_t k = 0; k < coarseCount; ++k) {
        std::uint8_t lo = 255, hi = 0;
        for (std::int64_t j = k * perCoarse; j < (k + 1) * perCoarse; ++j) {
            lo = std::min(lo, fine[static_cast<std::size_t>(2 * j)]);
            hi = std::max(hi, fine[static_cast<std::size_t>(2 * j + 1)]);
        }
        coarse[2 * k] = lo;
        coarse[2 * k + 1] = hi;
    }
    std::copy(fine.begin(), fine.end(), coarse + 2 * coarseCount);

    QSaveFile file(summaryPathFor(samplePath));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(reinterpret_cast<const char*>(out.data()), static_cast<qint64>(out.size())) !=
        static_cast<qint64>(out.size())) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace varnilog
