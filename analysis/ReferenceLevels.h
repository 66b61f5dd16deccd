// The low and high reference levels of a span, the two codes its edges, rise and fall times are
// taken between: the ⌈n/200⌉-th and the ⌈199n/200⌉-th smallest of its n codes (1-based), so that a
// glitch or a short spike cannot move them (for fewer than 200 samples they are the extremes). Found
// from code counts gathered in the one pass that also sums the span. Depends on the C++ library only.
#pragma once

#include "analysis/SampleScan.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace varnilog {

struct ReferenceCodes {
    std::uint8_t low = 0, high = 0;
    bool operator==(const ReferenceCodes&) const = default;
};

// From the counts of n samples' codes that are exact at least for the codes <= lowCut and >= highCut
// (the defaults: every code); empty when n is 0 or those codes hold too few samples to decide.
std::optional<ReferenceCodes> referenceCodes(const CodeCounts& counts, std::int64_t n,
                                             std::uint8_t lowCut = 255, std::uint8_t highCut = 0);

// What the reference codes need, counted while a span is read block by block: every code of the
// first samples, then only the codes of the two tails they showed (about 2 % of the samples at each
// end), which are all the reference codes can come from unless the span changes much later on.
class ReferenceTally {
public:
    // narrow = false: every code is counted throughout, so codes() always decides.
    explicit ReferenceTally(bool narrow = true) : narrow_(narrow) {}

    void add(const std::uint8_t* codes, std::size_t n) { add(codes, n, nullptr); }
    // The same, adding the codes to stats too, in one pass over them where it can.
    void add(const std::uint8_t* codes, std::size_t n, CodeStatistics& stats) { add(codes, n, &stats); }
    std::int64_t count() const { return count_; }
    // The reference codes of the samples added so far. Empty when none were, or when the tails kept
    // proved too thin: then only counting every code again (narrow = false) decides.
    std::optional<ReferenceCodes> codes() const;

private:
    void add(const std::uint8_t* codes, std::size_t n, CodeStatistics* stats);

    bool narrow_;
    bool narrowed_ = false;
    std::uint8_t lowCut_ = 255, highCut_ = 0;
    std::int64_t count_ = 0;
    CodeCounts counts_{};
};

} // namespace varnilog
