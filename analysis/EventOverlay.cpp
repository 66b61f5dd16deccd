#include "analysis/EventOverlay.h"

#include "analysis/EventSearch.h"
#include "recording/RecordingLoader.h"

#include <QFile>

#include <algorithm>

#include <unistd.h>

namespace varnilog {

OverlayResult overlayEvents(const OverlayRequest& request, std::array<Persistence, kChannels>& layers,
                            const WorkProgress& progress) {
    OverlayResult result;
    std::array<QFile, kChannels> files;
    std::array<std::int64_t, kChannels> sizes{};
    for (int c = 0; c < kChannels; ++c) {
        layers[static_cast<std::size_t>(c)].setMode(PersistenceMode::Infinite);
        layers[static_cast<std::size_t>(c)].clear();
        const QString& path = request.sampleFiles[static_cast<std::size_t>(c)];
        if (!path.isEmpty() && !openSetFileForReading(files[static_cast<std::size_t>(c)], path)) {
            result.ok = false;
            result.error = CoreError::worded(files[static_cast<std::size_t>(c)].errorString()).at(path);
            return result;
        }
        sizes[static_cast<std::size_t>(c)] = files[static_cast<std::size_t>(c)].size();
    }
    EventSearch search(request.triggerFile, request.trigger, request.from, request.to, request.useSummary);
    if (!search.open(result.error)) {
        result.ok = false;
        return result;
    }
    std::array<std::uint8_t, kDisplayColumns> window{};
    bool readFailed = false;
    const EventSearch::Outcome outcome = search.forEach(
        [&](const TriggerEvent& event) {
            ++result.events;
            const std::int64_t start = event.sample - request.column;
            for (int c = 0; c < kChannels; ++c) {
                QFile& file = files[static_cast<std::size_t>(c)];
                if (!file.isOpen())
                    continue;
                // Only the columns the file has samples for.
                const std::int64_t first = std::max<std::int64_t>(start, 0);
                const std::int64_t end =
                    std::min<std::int64_t>(start + kDisplayColumns, sizes[static_cast<std::size_t>(c)]);
                if (end <= first)
                    continue;
                const auto offset = static_cast<std::size_t>(first - start);
                if (::pread(file.handle(), window.data() + offset, static_cast<std::size_t>(end - first),
                            static_cast<off_t>(first)) != end - first) {
                    readFailed = true;
                    continue;
                }
                layers[static_cast<std::size_t>(c)].addFrame(
                    window.data(), window.data(), static_cast<int>(offset), static_cast<int>(end - start));
            }
        },
        [&](std::int64_t done, std::int64_t total) {
            return !readFailed && (!progress || progress(done, total));
        });
    if (outcome == EventSearch::Outcome::ReadFailed || readFailed) {
        result.ok = false;
        result.error = CoreError::worded(QStringLiteral("read error")).at(request.triggerFile);
    } else if (outcome == EventSearch::Outcome::Cancelled) {
        result.ok = false;
        result.cancelled = true;
    }
    return result;
}

} // namespace varnilog
