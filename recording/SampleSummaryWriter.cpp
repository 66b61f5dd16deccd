#include "recording/SampleSummaryWriter.h"

#include "recording/CodeRange.h"
#include "recording/SampleSummary.h"

#include <QFile>

#include <algorithm>

namespace varnilog {

namespace {

// Fine pairs gathered before a write (8 Mi samples), and the piece of them read back at the end: a
// whole number of coarse blocks.
constexpr std::size_t kPairBufferBytes = 1 << 16;
constexpr std::int64_t kFinePerCoarse = kSummaryCoarseBlock / kSummaryFineBlock;
static_assert(kPairBufferBytes % (2 * kFinePerCoarse) == 0);

} // namespace

SampleSummaryWriter::SampleSummaryWriter() : pairs_(kPairBufferBytes) {}

SampleSummaryWriter::~SampleSummaryWriter() {
    abandon();
}

bool SampleSummaryWriter::start(const QString& samplePath, FileWriter& writer) {
    abandon();
    samples_ = 0;
    pairBytes_ = 0;
    lo_ = 255;
    hi_ = 0;
    finalPath_ = summaryPathFor(samplePath);
    // An unnamed temporary that follows no link: nothing shows in the folder while the recording runs,
    // and nothing planted at a name can be written through.
    QString error;
    file_ = writer.createReplacement(finalPath_, error);
    // The magic goes out with the first pairs: a short recording writes its summary only at the end.
    const auto magic = summaryMagic();
    std::copy(magic.begin(), magic.end(), pairs_.begin());
    pairBytes_ = magic.size();
    return file_ != nullptr;
}

void SampleSummaryWriter::add(std::span<const std::uint8_t> samples) {
    samples_ += static_cast<std::int64_t>(samples.size());
    if (!file_)
        return;
    const std::uint8_t* p = samples.data();
    std::size_t left = samples.size();
    const auto fine = static_cast<std::size_t>(kSummaryFineBlock);
    std::size_t inBlock =
        static_cast<std::size_t>((samples_ - static_cast<std::int64_t>(left)) % kSummaryFineBlock);
    while (left > 0) {
        const std::size_t take = std::min(left, fine - inBlock);
        extendRange(p, take, lo_, hi_);
        p += take;
        left -= take;
        inBlock += take;
        if (inBlock < fine)
            break;
        pairs_[pairBytes_++] = lo_;
        pairs_[pairBytes_++] = hi_;
        lo_ = 255;
        hi_ = 0;
        inBlock = 0;
        if (pairBytes_ == pairs_.size() && !flushPairs())
            return;
    }
}

bool SampleSummaryWriter::flushPairs() {
    const auto size = static_cast<qint64>(pairBytes_);
    pairBytes_ = 0;
    if (size == 0 || file_->write(reinterpret_cast<const char*>(pairs_.data()), size) == size)
        return true;
    abandon();
    return false;
}

bool SampleSummaryWriter::appendCoarsePairs() {
    // The fine pairs are on disk by now; the coarse ones are made from them rather than kept for a
    // recording of any length.
    const std::int64_t coarseBytes = 2 * (samples_ / kSummaryCoarseBlock);
    const auto chunk = static_cast<std::int64_t>(pairs_.size());
    std::uint8_t coarse[2 * (kPairBufferBytes / (2 * kFinePerCoarse))];
    for (std::int64_t pos = 0; pos < coarseBytes * kFinePerCoarse; pos += chunk) {
        const std::int64_t want = std::min(chunk, coarseBytes * kFinePerCoarse - pos);
        if (file_->readBack(kSummaryMagicSize + pos, reinterpret_cast<char*>(pairs_.data()), want) != want)
            return false;
        std::size_t n = 0;
        for (std::int64_t k = 0; k < want; k += 2 * kFinePerCoarse) {
            std::uint8_t lo = 255, hi = 0;
            for (std::int64_t j = k; j < k + 2 * kFinePerCoarse; j += 2) {
                lo = std::min(lo, pairs_[static_cast<std::size_t>(j)]);
                hi = std::max(hi, pairs_[static_cast<std::size_t>(j + 1)]);
            }
            coarse[n++] = lo;
            coarse[n++] = hi;
        }
        if (file_->write(reinterpret_cast<const char*>(coarse), static_cast<qint64>(n)) !=
            static_cast<qint64>(n))
            return false;
    }
    return true;
}

bool SampleSummaryWriter::finish(const FileIdentity& sample) {
    if (!file_)
        return false;
    const auto trailer = summaryTrailer(sample);
    const bool written =
        sample.size == samples_ && flushPairs() && appendCoarsePairs() &&
        file_->write(reinterpret_cast<const char*>(trailer.data()), static_cast<qint64>(trailer.size())) ==
            static_cast<qint64>(trailer.size()) &&
        file_->commit();
    file_.reset(); // uncommitted: nothing is left behind
    return written;
}

void SampleSummaryWriter::abandon() {
    file_.reset();
}

FileIdentity SampleSummaryWriter::identify(const QString& samplePath) {
    return identityOf(samplePath);
}

} // namespace varnilog
