#include "analysis/EventFinder.h"

#include "analysis/SpanRequest.h"
#include "recording/FileIdentity.h"
#include "recording/RecordingFileSet.h"

#include <algorithm>

namespace varnilog {

EventFinder::Prepared EventFinder::prepare(const QString& recordingPath, const TriggerSpec& triggerSpec,
                                           std::uint8_t sensitivity) {
    Prepared result;
    result.samplePath = siblingPath(
        recordingPath,
        QString::fromLatin1(kRecordingSampleExtensions[static_cast<std::size_t>(triggerSpec.source)]));
    const FileIdentity info = identityOf(result.samplePath);
    if (!info.regular) {
        result.status = Status::NoChannel;
        return result;
    }
    const EventSearchKey key{result.samplePath, info.size, info.modifiedNs / 1000000, triggerSpec,
                             sensitivity};
    if (search_ && key == key_)
        return result;
    // The search runs over the whole channel file (the span of the tab's searches).
    SpanRequest span;
    span.sampleCount = info.size;
    const SampleSpan whole = resolveSpan(span).span;
    search_ = std::make_unique<EventSearch>(result.samplePath, triggerSettingsOf(triggerSpec, sensitivity),
                                            whole.from, whole.to);
    key_ = key;
    lastFound_.reset();
    if (!search_->open(result.error)) {
        search_.reset();
        result.status = Status::OpenFailed;
    }
    return result;
}

std::int64_t EventFinder::stepStart(std::int64_t viewStart, int column, std::int64_t zoom) const {
    // A view kept at the recording's start or end does not put the event at the column: go on from it.
    if (lastFound_ && viewStart == lastViewStart_)
        return *lastFound_;
    return viewStart + column * zoom;
}

EventSearch::Found EventFinder::step(bool forward, std::int64_t from, const WorkProgress& progress) {
    return forward ? search_->next(from, progress) : search_->previous(from, progress);
}

std::int64_t EventFinder::viewStartFor(std::int64_t k, int column, std::int64_t zoom) {
    return std::max<std::int64_t>(0, k - column * zoom);
}

void EventFinder::shown(std::int64_t k, std::int64_t viewStart) {
    lastFound_ = k;
    lastViewStart_ = viewStart;
}

} // namespace varnilog
