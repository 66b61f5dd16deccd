#include "recording/SampleSummary.h"

#include "recording/DiskFileWriter.h"
#include "recording/RecordingLoader.h"
#include "recording/SafeFile.h"
#include "recording/SampleSummaryWriter.h"

#include <QDateTime>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace varnilog {

namespace {

constexpr char kMagic[8] = {'V', 'L', 'S', 'U', 'M', 'M', 'A', '3'};
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

std::array<std::uint8_t, kSummaryMagicSize> summaryMagic() {
    std::array<std::uint8_t, kSummaryMagicSize> out{};
    std::memcpy(out.data(), kMagic, sizeof kMagic);
    return out;
}

std::array<std::uint8_t, kSummaryTrailerSize> summaryTrailer(const FileIdentity& sample) {
    std::array<std::uint8_t, kSummaryTrailerSize> out{};
    std::memcpy(out.data(), kMagic, sizeof kMagic);
    putInt64(out.data() + 8, sample.size);
    putInt64(out.data() + 16, sample.modifiedNs);
    putInt64(out.data() + 24, sample.changedNs);
    putInt64(out.data() + 32, static_cast<std::int64_t>(sample.inode));
    putInt64(out.data() + 40, static_cast<std::int64_t>(sample.device));
    return out;
}

FileIdentity summaryTrailerIdentity(const std::uint8_t* trailer) {
    FileIdentity id;
    if (std::memcmp(trailer, kMagic, sizeof kMagic) != 0)
        return id;
    id.size = getInt64(trailer + 8);
    id.modifiedNs = getInt64(trailer + 16);
    id.changedNs = getInt64(trailer + 24);
    id.inode = static_cast<std::uint64_t>(getInt64(trailer + 32));
    id.device = static_cast<std::uint64_t>(getInt64(trailer + 40));
    return id;
}

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
    const std::int64_t size = summary.size();
    std::uint8_t magic[kSummaryMagicSize];
    std::uint8_t trailer[kSummaryTrailerSize];
    if (size < kSummaryMagicSize + kSummaryTrailerSize ||
        readAt(summary, 0, magic, kSummaryMagicSize) != kSummaryMagicSize ||
        std::memcmp(magic, kMagic, sizeof kMagic) != 0 ||
        readAt(summary, size - kSummaryTrailerSize, trailer, kSummaryTrailerSize) != kSummaryTrailerSize)
        return layout;
    const FileIdentity described = summaryTrailerIdentity(trailer);
    const std::int64_t length = described.size;
    const std::int64_t coarse = length / kSummaryCoarseBlock;
    const std::int64_t fine = length / kSummaryFineBlock;
    if (length < 0 || described != identityOf(sample.handle()) ||
        size != kSummaryMagicSize + 2 * (fine + coarse) + kSummaryTrailerSize)
        return layout;
    layout.valid = true;
    layout.length = length;
    layout.fineOffset = kSummaryMagicSize;
    layout.coarseOffset = kSummaryMagicSize + 2 * fine;
    return layout;
}

bool buildSampleSummary(const QString& samplePath, const SummaryProgress& progress) {
    QFile sample;
    if (!openSetFileForReading(sample, samplePath))
        return false;
    const FileIdentity before = identityOf(sample.handle());
    const std::int64_t length = before.size;
    const std::int64_t whole = length / kSummaryFineBlock * kSummaryFineBlock;
    DiskFileWriter disk;
    SampleSummaryWriter writer;
    if (!writer.start(samplePath, disk))
        return false;
    std::vector<std::uint8_t> block(kBuildBlock);
    for (std::int64_t pos = 0; pos < whole; pos += kBuildBlock) {
        const std::int64_t want = std::min(kBuildBlock, whole - pos);
        if (allHole(sample, pos, pos + want)) {
            std::fill_n(block.begin(), want, std::uint8_t{0});
        } else if (readAt(sample, pos, block.data(), want) != want) {
            return false;
        }
        writer.add(std::span(block.data(), static_cast<std::size_t>(want)));
        if (progress && !progress(pos + want, length))
            return false;
    }
    // The partial block at the end has no pair: it is counted, not read.
    std::fill_n(block.begin(), length - whole, std::uint8_t{0});
    writer.add(std::span(block.data(), static_cast<std::size_t>(length - whole)));
    // A file that changed while it was read would get a summary of neither version.
    if (identityOf(sample.handle()) != before)
        return false;
    return writer.finish(before);
}

bool restampSummary(const QString& samplePath, const FileIdentity& before) {
    const QString path = summaryPathFor(samplePath);
    QFile summary;
    if (!openSetFileForReading(summary, path, {}))
        return false;
    QByteArray bytes = summary.readAll();
    const FileIdentity now = identityOf(samplePath);
    if (bytes.size() < kSummaryMagicSize + kSummaryTrailerSize || !now.sameFile(before) ||
        now.size != before.size)
        return false;
    auto* trailer = reinterpret_cast<std::uint8_t*>(bytes.data() + bytes.size() - kSummaryTrailerSize);
    if (summaryTrailerIdentity(trailer) != before)
        return false;
    const auto stamped = summaryTrailer(now);
    std::memcpy(trailer, stamped.data(), stamped.size());
    QString error;
    return writeFileSafely(path, bytes, error);
}

} // namespace varnilog
