#include "analysis/EventSearch.h"

#include "recording/RecordingLoader.h"
#include "recording/SampleSummary.h"

#include <QCoreApplication>

#include <algorithm>

namespace varnilog {

namespace {

constexpr std::int64_t kReadBlock = std::int64_t{1} << 20; // samples read at once without a summary
constexpr std::int64_t kFinePerCoarse = kSummaryCoarseBlock / kSummaryFineBlock;

} // namespace

EventSearch::EventSearch(const QString& samplePath, const TriggerSettings& settings, std::int64_t from,
                         std::int64_t to, bool useSummary)
    : samplePath_(samplePath), settings_(settings), from_(std::max<std::int64_t>(from, 0)), to_(to),
      useSummary_(useSummary) {}

bool EventSearch::open(CoreError& error) {
    if (!openSetFileForReading(sample_, samplePath_)) {
        error = {CoreErrorKind::CannotOpenFile, samplePath_, {}, {}, 0, 0, {}};
        return false;
    }
    const std::int64_t length = sample_.size();
    to_ = to_ < 0 ? length : std::min(to_, length);
    from_ = std::min(from_, to_);
    buffer_.resize(static_cast<std::size_t>(kReadBlock + 1));
    checkpoints_.assign(1, TriggerScanner(settings_, from_));
    if (!useSummary_ || !openSetFileForReading(summary_, summaryPathFor(samplePath_)))
        return true;
    const SummaryLayout layout = readSummaryLayout(summary_, sample_);
    const std::int64_t pairs = layout.length / kSummaryCoarseBlock;
    if (!layout.valid || pairs == 0)
        return true;
    coarse_.resize(static_cast<std::size_t>(2 * pairs));
    if (readAt(summary_, layout.coarseOffset, coarse_.data(), 2 * pairs) != 2 * pairs) {
        coarse_.clear(); // the samples still give the same events
        return true;
    }
    bytesRead_ += 2 * pairs;
    fineOffset_ = layout.fineOffset;
    return true;
}

bool EventSearch::scanFrom(TriggerScanner& scanner, std::int64_t end, const Sink& sink) {
    const std::int64_t pos = scanner.nextIndex();
    const std::int64_t before = scanner.needsPrevious() ? 1 : 0;
    const std::int64_t count = end - pos + before;
    if (readAt(sample_, pos - before, buffer_.data(), count) != count)
        return false;
    bytesRead_ += count;
    if (before)
        scanner.setPrevious(buffer_[0]);
    scanner.scan(buffer_.data() + before, end - pos, sink);
    return true;
}

bool EventSearch::scanCoarseBlock(TriggerScanner& scanner, std::int64_t block, const Sink& sink) {
    std::uint8_t fine[2 * kFinePerCoarse];
    if (readAt(summary_, fineOffset_ + 2 * block * kFinePerCoarse, fine, sizeof fine) != sizeof fine)
        return false;
    bytesRead_ += static_cast<std::int64_t>(sizeof fine);
    const std::int64_t end = (block + 1) * kSummaryCoarseBlock;
    // The samples from the first block that has to be read to the coarse block's end, read once.
    std::int64_t loaded = -1;
    for (std::int64_t f = 0; f < kFinePerCoarse; ++f) {
        if (scanner.skipBlock(kSummaryFineBlock, fine[2 * f], fine[2 * f + 1]))
            continue;
        const std::int64_t pos = scanner.nextIndex();
        if (loaded < 0) {
            loaded = scanner.needsPrevious() ? pos - 1 : pos;
            const std::int64_t count = end - loaded;
            if (readAt(sample_, loaded, buffer_.data(), count) != count)
                return false;
            bytesRead_ += count;
        }
        const std::uint8_t* at = buffer_.data() + (pos - loaded);
        if (scanner.needsPrevious())
            scanner.setPrevious(at[-1]);
        scanner.scan(at, kSummaryFineBlock, sink);
    }
    return true;
}

bool EventSearch::advance(TriggerScanner& scanner, std::int64_t end, const Sink& sink) {
    const auto pairs = static_cast<std::int64_t>(coarse_.size() / 2);
    while (scanner.nextIndex() < end) {
        const std::int64_t pos = scanner.nextIndex();
        const std::int64_t block = pos / kSummaryCoarseBlock;
        if (pairs > 0 && pos % kSummaryCoarseBlock == 0 && block < pairs &&
            pos + kSummaryCoarseBlock <= end) {
            if (scanner.skipBlock(kSummaryCoarseBlock, coarse_[2 * block], coarse_[2 * block + 1]))
                continue;
            if (!scanCoarseBlock(scanner, block, sink))
                return false;
            continue;
        }
        const std::int64_t stop =
            pairs > 0 ? std::min(end, (block + 1) * kSummaryCoarseBlock) : std::min(end, pos + kReadBlock);
        if (!scanFrom(scanner, stop, sink))
            return false;
    }
    return true;
}

std::int64_t EventSearch::segmentCount() const {
    return (to_ - from_ + kCheckpointSamples - 1) / kCheckpointSamples;
}

EventSearch::Outcome EventSearch::forEach(const Sink& sink, const WorkProgress& progress) {
    TriggerScanner scanner(settings_, from_);
    while (scanner.nextIndex() < to_) {
        if (!advance(scanner, std::min(to_, scanner.nextIndex() + kCheckpointSamples), sink))
            return Outcome::ReadFailed;
        if (progress && !progress(scanner.nextIndex() - from_, to_ - from_))
            return Outcome::Cancelled;
    }
    return Outcome::Done;
}

EventSearch::Outcome EventSearch::segments(std::int64_t first, std::int64_t step, const Sink& sink,
                                           const std::function<bool()>& stop, const WorkProgress& progress) {
    const std::int64_t count = segmentCount();
    const std::int64_t total = step > 0 ? count - first : first + 1;
    std::int64_t done = 0;
    const Sink none = [](const TriggerEvent&) {};
    for (std::int64_t seg = first; seg >= 0 && seg < count; seg += step) {
        // The state at the segment's start comes from a forward scan of everything before it.
        while (static_cast<std::int64_t>(checkpoints_.size()) <= seg) {
            TriggerScanner scanner = checkpoints_.back();
            if (!advance(scanner, std::min(to_, scanner.nextIndex() + kCheckpointSamples), none))
                return Outcome::ReadFailed;
            checkpoints_.push_back(scanner);
            if (progress && !progress(done, total + seg))
                return Outcome::Cancelled;
        }
        TriggerScanner scanner = checkpoints_[static_cast<std::size_t>(seg)];
        if (!advance(scanner, std::min(to_, from_ + (seg + 1) * kCheckpointSamples), sink))
            return Outcome::ReadFailed;
        if (seg + 1 == static_cast<std::int64_t>(checkpoints_.size()) && seg + 1 < count)
            checkpoints_.push_back(scanner);
        if (stop())
            return Outcome::Done;
        if (progress && !progress(++done, total))
            return Outcome::Cancelled;
    }
    return Outcome::Done;
}

EventSearch::Found EventSearch::next(std::int64_t after, const WorkProgress& progress) {
    Found found;
    const std::int64_t first = std::max<std::int64_t>(0, (after + 1 - from_) / kCheckpointSamples);
    found.outcome = segments(
        first, 1,
        [&](const TriggerEvent& e) {
            if (!found.event && e.sample > after)
                found.event = e;
        },
        [&] { return found.event.has_value(); }, progress);
    return found;
}

EventSearch::Found EventSearch::previous(std::int64_t before, const WorkProgress& progress) {
    Found found;
    const std::int64_t count = segmentCount();
    std::int64_t first =
        std::min(count - 1, std::max<std::int64_t>(0, (before - 1 - from_) / kCheckpointSamples));
    // An event is reported when its pulse ends: follow a pulse still open at a segment's end.
    if (settings_.width != WidthCondition::None) {
        const Sink none = [](const TriggerEvent&) {};
        while (first + 1 < count) {
            if (const Outcome o = segments(
                    first + 1, 1, none, [] { return true; }, progress);
                o != Outcome::Done)
                return {o, {}};
            if (checkpoints_[static_cast<std::size_t>(first + 1)].phase() != TriggerScanner::Phase::Pulse)
                break;
            ++first;
        }
    }
    found.outcome = segments(
        first, -1,
        [&](const TriggerEvent& e) {
            if (e.sample < before)
                found.event = e;
        },
        [&] { return found.event.has_value(); }, progress);
    return found;
}

} // namespace varnilog
