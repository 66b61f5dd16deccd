#include "recording/RecordingInput.h"

#include "recording/FileIdentity.h"
#include "recording/RecordingLoader.h"

namespace varnilog {

RecordingInput::RecordingInput(const SharedState& state)
    : sampleCount_(state.sampleCount), channelCount_(state.channelCount),
      channelSensitivity_(state.channelSensitivity), samplingPeriodMs_(state.samplingPeriodMs) {
    for (int c = 0; c < kChannels; ++c) {
        const QFile& shown = state.sampleFile[c];
        if (!shown.isOpen())
            continue;
        // Unbuffered, as the loader's: the readers take large blocks into buffers of their own.
        openSetFileForReading(files_[c], fileNameOf(shown));
    }
}

std::array<QIODevice*, kChannels> RecordingInput::files() {
    std::array<QIODevice*, kChannels> open{};
    for (int c = 0; c < kChannels; ++c)
        open[c] = files_[c].isOpen() ? &files_[c] : nullptr;
    return open;
}

} // namespace varnilog
