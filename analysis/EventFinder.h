// "Następne" / "Poprzednie" through a recording: the search of the trigger's source channel, kept
// between steps while the file, the trigger and the sensitivity stay as they were (its checkpoints
// hold only for them), and where each step starts, so that a view held at the recording's start or
// end still moves on to the next event. Depends on QtCore, the recording module and EventSearch.
#pragma once

#include "analysis/EventSearch.h"
#include "analysis/TriggerSpec.h"
#include "app/WorkProgress.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

namespace varnilog {

// What a kept search was made for: the same sample file, unchanged, searched for the same trigger at
// the same sensitivity finds the same events, so its checkpoints still hold.
struct EventSearchKey {
    QString samplePath;
    std::int64_t size = -1;
    std::int64_t modifiedMs = 0;
    TriggerSpec triggerSpec;
    std::uint8_t sensitivity = 0;
    bool operator==(const EventSearchKey&) const = default;
};

class EventFinder {
public:
    enum class Status { Ready, NoChannel, OpenFailed };
    struct Prepared {
        Status status = Status::Ready;
        QString samplePath; // the source channel's file
        CoreError error;    // why it could not be opened (OpenFailed)
    };
    // Makes the search of triggerSpec.source of the recording ready for the next steps.
    Prepared prepare(const QString& recordingPath, const TriggerSpec& triggerSpec, std::uint8_t sensitivity);

    // The sample a step of a view at viewStart with the trigger at column starts from.
    std::int64_t stepStart(std::int64_t viewStart, int column, std::int64_t zoom) const;
    // The next event after / the previous one before from (after prepare succeeded).
    EventSearch::Found step(bool forward, std::int64_t from, const WorkProgress& progress = {});
    // The view start that puts event k at column (never before the recording).
    static std::int64_t viewStartFor(std::int64_t k, int column, std::int64_t zoom);
    // The event at k is on show in the view at viewStart (as the window placed it).
    void shown(std::int64_t k, std::int64_t viewStart);

private:
    std::unique_ptr<EventSearch> search_;
    EventSearchKey key_;
    std::optional<std::int64_t> lastFound_; // k of the event the last step put in view
    std::int64_t lastViewStart_ = -1;       // viewStart it left
};

} // namespace varnilog
