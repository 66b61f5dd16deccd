// Any bytes as the configuration file and as a recording's ".ros": reading either must leave every
// setting of the shared state within its range.
#include "FuzzEnvironment.h"

#include "app/Configuration.h"
#include "recording/ProfileFile.h"
#include "recording/RecordingLoader.h"

#include <memory>

using namespace varnilog;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ensureGuiApplication();
    const std::span<const std::uint8_t> bytes(data, size);
    const QString folder = fuzz::scratchFolder();

    // The state is 3 MB: on the heap, new for each input so no input depends on the one before.
    auto state = std::make_unique<SharedState>();
    const SharedState defaults;
    const QString ini = folder + QStringLiteral("/varnilog.ini");
    fuzz::writeFile(ini, bytes);
    QPoint position(10, 20);
    readConfiguration(*state, ini, folder, position);
    // The configuration holds no recording settings: those keep their start-up values.
    FUZZ_CHECK(state->timeBaseIndex == defaults.timeBaseIndex);
    FUZZ_CHECK(state->channelCount == defaults.channelCount);
    FUZZ_CHECK(state->channelOffset == state->channelZeroOffset);

    state->recordingPath = folder + QStringLiteral("/rec.ros");
    fuzz::writeFile(state->recordingPath, bytes);
    const LoadResult loaded = loadRecording(*state);
    FUZZ_CHECK(loaded.ok);
    FUZZ_CHECK(state->sampleCount == -1); // no sample files in this folder
    fuzz::checkRecordingSettings(*state);

    // The integer reader on the raw text: it must only answer, whatever the text.
    std::int32_t value = 0;
    (void)parseProfileInteger(
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)), value);
    return 0;
}
