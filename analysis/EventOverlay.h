// "Nałóż zdarzenia": the 500-sample windows around every trigger event of a recording, each with its
// event at the trigger column, overlaid into one persistence picture per channel. The events are the
// event search's (summaries pass over what cannot fire), so the overlay holds exactly the events
// `events` lists. Each window is read from the channels' files through handles of its own. Depends on
// QtCore and the recording module.
#pragma once

#include "analysis/Persistence.h"
#include "analysis/TriggerScanner.h"
#include "app/CoreError.h"
#include "app/SharedState.h"
#include "app/WorkProgress.h"

#include <QString>

#include <array>
#include <cstdint>

namespace varnilog {

struct OverlayRequest {
    QString triggerFile; // the trigger source's sample file
    TriggerSettings trigger;
    std::array<QString, kChannels> sampleFiles{}; // the channels overlaid; empty: not drawn
    int column = kDisplayColumns / 2;             // the event's column in its window
    std::int64_t from = 0, to = -1;               // the span searched; to < 0: the end
    bool useSummary = true;
};

struct OverlayResult {
    bool ok = true;
    bool cancelled = false;
    CoreError error; // why it failed
    std::int64_t events = 0;
};

// Adds every event's window of every channel with a file into its layer (infinite counts, cleared
// first); progress gets samples searched of the span.
OverlayResult overlayEvents(const OverlayRequest& request, std::array<Persistence, kChannels>& layers,
                            const WorkProgress& progress = {});

} // namespace varnilog
