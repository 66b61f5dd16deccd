#include "analysis/ReferenceLevels.h"

namespace varnilog {

namespace {

// Samples counted code by code before only the tails are.
constexpr std::int64_t kWholeCounted = std::int64_t{1} << 16;
// A kept tail holds at least 1 / kTailShare of the samples when it is chosen: four times what the
// reference codes need, so a span that drifts a little still has them inside.
constexpr std::int64_t kTailShare = 50;

} // namespace

std::optional<ReferenceCodes> referenceCodes(const CodeCounts& counts, std::int64_t n, std::uint8_t lowCut,
                                             std::uint8_t highCut) {
    if (n <= 0)
        return std::nullopt;
    const auto known = [&](int c) { return c <= lowCut || c >= highCut; };
    const std::int64_t lowRank = (n + 199) / 200; // ⌈n/200⌉
    // The ⌈199n/200⌉-th smallest, n - ⌊n/200⌋, is the (⌊n/200⌋ + 1)-th largest.
    const std::int64_t highRankFromTop = n / 200 + 1;
    std::optional<int> low, high;
    std::int64_t seen = 0;
    for (int c = 0; c < 256 && known(c); ++c)
        if ((seen += counts[static_cast<std::size_t>(c)]) >= lowRank) {
            low = c;
            break;
        }
    seen = 0;
    for (int c = 255; c >= 0 && known(c); --c)
        if ((seen += counts[static_cast<std::size_t>(c)]) >= highRankFromTop) {
            high = c;
            break;
        }
    if (!low || !high)
        return std::nullopt;
    return ReferenceCodes{static_cast<std::uint8_t>(*low), static_cast<std::uint8_t>(*high)};
}

void ReferenceTally::add(const std::uint8_t* codes, std::size_t n, CodeStatistics* stats) {
    if (narrowed_ && stats != nullptr) {
        addTailCountsAndStatistics(codes, n, lowCut_, highCut_, counts_, *stats);
    } else {
        if (stats != nullptr)
            stats->add(codes, n);
        if (narrowed_)
            addTailCounts(codes, n, lowCut_, highCut_, counts_);
        else
            addCodeCounts(codes, n, counts_);
    }
    count_ += static_cast<std::int64_t>(n);
    if (!narrow_ || count_ < kWholeCounted)
        return;
    // A tail that grew heavy is cut back, from the codes still counted exactly; a cut never moves
    // inwards, since the codes past it are no longer counted.
    const std::int64_t share = (count_ + kTailShare - 1) / kTailShare;
    std::int64_t seen = 0;
    for (int c = 0; c <= lowCut_; ++c)
        if ((seen += counts_[static_cast<std::size_t>(c)]) >= share) {
            lowCut_ = static_cast<std::uint8_t>(c);
            break;
        }
    seen = 0;
    for (int c = 255; c >= highCut_; --c)
        if ((seen += counts_[static_cast<std::size_t>(c)]) >= share) {
            highCut_ = static_cast<std::uint8_t>(c);
            break;
        }
    narrowed_ = true;
}

std::optional<ReferenceCodes> ReferenceTally::codes() const {
    return narrowed_ ? referenceCodes(counts_, count_, lowCut_, highCut_) : referenceCodes(counts_, count_);
}

} // namespace varnilog
