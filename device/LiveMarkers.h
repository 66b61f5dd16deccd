// The markers made while recording: a user's mark (key M) at the newest sample and a "strata" marker
// where the frame parser skipped bytes (one marker extended over consecutive ticks). The tick and the
// key only note them in a fixed-size pending list; saving (at most every 5 s and at the stop) turns
// them into labelled markers and writes the set's ".rmk", so a crash loses at most the last seconds
// of marks and never the file. Depends on the marker file and the set lock.
#pragma once

#include "recording/MarkerFile.h"

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

namespace varnilog {

class LiveMarkers {
public:
    static constexpr int kPendingCapacity = 256; // marks noted between two saves
    static constexpr int kSaveEveryTicks = 100;  // 5 s of 50 ms ticks

    // A new recording: nothing noted, nothing saved.
    void begin();
    // One acquisition tick: firstSample is the index of the first sample it appended, skippedBytes the
    // bytes it skipped (0: none). No allocation.
    void noteTick(std::int64_t firstSample, std::int64_t skippedBytes);
    // A user's mark at sample, labelled with the wall-clock time (ms since midnight). False when the
    // pending list is full until the next save. No allocation.
    bool noteMark(std::int64_t sample, int msecsSinceMidnight, MarkerKind kind = MarkerKind::Uwaga);
    // A whole marker found while sampling (a run beyond a trend's limit), saved with the rest. Not for
    // the tick: it allocates.
    void noteMarker(const Marker& marker);
    // A marker with a label of the caller's at sample (where a stream ends or begins; allocates).
    void noteLabelled(std::int64_t sample, const QString& label);
    // Takes the pending marks in without writing them (nothing is recorded): room for more.
    void keep();
    // True when something changed and the last save was kSaveEveryTicks ticks ago or more.
    bool saveDue() const { return changed_ && ticksSinceSave_ >= kSaveEveryTicks; }
    // Writes every marker of this recording to the ".rmk" of rosPath (under the set's lock, without
    // waiting: a busy set is tried again at the next save; lockHeld: the caller holds it already, as
    // the recording does). False with error set when it failed.
    bool save(const QString& rosPath, CoreError& error, bool lockHeld = false);
    // Every marker of this recording noted so far (the saved ones and the pending ones, labelled).
    std::vector<Marker> markers() const;

private:
    struct Pending {
        std::int64_t start = 0, end = 0; // samples
        MarkerKind kind = MarkerKind::Uwaga;
        std::int64_t value = 0; // skipped bytes, or the mark's ms since midnight
    };
    static QString labelOf(const Pending& p);
    void takePending();

    std::array<Pending, kPendingCapacity> pending_{};
    int pendingCount_ = 0;
    std::vector<Marker> saved_; // in the order noted
    // The loss marker of the last tick, extended while the following ticks skip bytes too: its index
    // in pending_ (or -1), else in saved_ (or -1), and the bytes it counts.
    int lossPending_ = -1;
    int lossSaved_ = -1;
    std::int64_t savedLossBytes_ = 0;
    bool lossLastTick_ = false;
    bool changed_ = false;
    int ticksSinceSave_ = 0;
};

} // namespace varnilog
