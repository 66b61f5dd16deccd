// The trigger events of one channel of a recording: all of a span, or the next / previous one from a
// sample. The events are always those a forward scan from the span's first sample finds; the search
// keeps the scanner's state every few million samples, so later searches start near their target.
// With a valid view summary beside the sample file, every 65 536- or 256-sample block whose extremes
// cannot arm or fire is passed over without reading its samples. Reads through its own handles.
// Depends on QtCore and the recording module.
#pragma once

#include "analysis/TriggerScanner.h"
#include "analysis/TriggerSpec.h"
#include "app/CoreError.h"
#include "app/WorkProgress.h"

#include <QFile>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace varnilog {

class EventSearch {
public:
    static constexpr std::int64_t kCheckpointSamples = std::int64_t{1} << 22;

    // The span [from, to) of the sample file; to < 0 is its end. useSummary false reads every sample.
    EventSearch(const QString& samplePath, const TriggerSettings& settings, std::int64_t from = 0,
                std::int64_t to = -1, bool useSummary = true);

    // False (with the reason) when the sample file cannot be opened.
    bool open(CoreError& error);
    std::int64_t from() const { return from_; }
    std::int64_t to() const { return to_; }
    bool summaryUsed() const { return !coarse_.empty(); }

    enum class Outcome { Done, Cancelled, ReadFailed };
    using Sink = std::function<void(const TriggerEvent&)>;

    // Every event of the span, in order; progress gets samples done of the span.
    Outcome forEach(const Sink& sink, const WorkProgress& progress = {});

    struct Found {
        Outcome outcome = Outcome::Done;
        std::optional<TriggerEvent> event;
    };
    // The first event whose k is above after; the last one whose k is below before.
    Found next(std::int64_t after, const WorkProgress& progress = {});
    Found previous(std::int64_t before, const WorkProgress& progress = {});

    // Bytes of samples and summaries read so far.
    std::int64_t bytesRead() const { return bytesRead_; }

private:
    // Moves scanner to end (within the span), passing events to sink; false on a read failure.
    bool advance(TriggerScanner& scanner, std::int64_t end, const Sink& sink);
    bool scanFrom(TriggerScanner& scanner, std::int64_t end, const Sink& sink);
    bool scanCoarseBlock(TriggerScanner& scanner, std::int64_t block, const Sink& sink);
    // Scans whole segments from checkpoint segment on until stop() says so; keeps the checkpoints.
    Outcome segments(std::int64_t first, std::int64_t step, const Sink& sink,
                     const std::function<bool()>& stop, const WorkProgress& progress);
    std::int64_t segmentCount() const;

    QString samplePath_;
    TriggerSettings settings_;
    std::int64_t from_, to_;
    bool useSummary_;
    QFile sample_;
    QFile summary_;
    std::int64_t fineOffset_ = 0;
    std::vector<std::uint8_t> coarse_; // (min, max) of every whole 65 536 samples, when used
    std::vector<std::uint8_t> buffer_;
    std::vector<TriggerScanner> checkpoints_; // the state at from + i * kCheckpointSamples
    std::int64_t bytesRead_ = 0;
};

} // namespace varnilog
