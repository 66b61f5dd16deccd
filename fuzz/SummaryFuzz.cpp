// A view summary made from the input beside a sample file, then judged and, when taken, read by the
// view at a zoom the input picks. Input: the sample file's length (u32, up to 1 MB, a hole of zeros),
// a flags byte (bit 0: the trailer is made to name the real sample file; bit 1: the summary is cut or
// padded to the size its length calls for), a zoom choice, then the summary's bytes.
#include "FuzzEnvironment.h"
#include "FuzzInput.h"

#include "recording/FileIdentity.h"
#include "recording/RecordingLoader.h"
#include "recording/SampleSummary.h"
#include "view/ViewWindow.h"

#include <QFile>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

using namespace varnilog;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ensureGuiApplication();
    fuzz::FuzzInput in(std::span(data, size));
    const std::int64_t length = in.u32() % ((1u << 20) + 1);
    const std::uint8_t flags = in.byte();
    const std::uint8_t zoom = in.byte();
    const std::span<const std::uint8_t> rest = in.rest();

    const QString sample = fuzz::scratchFolder() + QStringLiteral("/sum.rca");
    const QString ros = fuzz::scratchFolder() + QStringLiteral("/sum.ros");
    {
        QFile file(sample);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.resize(length));
    }
    std::vector<std::uint8_t> summary(rest.begin(), rest.end());
    if (flags & 2)
        summary.resize(
            static_cast<std::size_t>(kSummaryMagicSize + kSummaryTrailerSize +
                                     2 * (length / kSummaryFineBlock + length / kSummaryCoarseBlock)));
    if ((flags & 1) && summary.size() >= static_cast<std::size_t>(kSummaryTrailerSize)) {
        const auto trailer = summaryTrailer(identityOf(sample));
        std::memcpy(summary.data() + summary.size() - trailer.size(), trailer.data(), trailer.size());
    }
    fuzz::writeFile(summaryPathFor(sample), summary);
    QFile::remove(ros);

    auto state = std::make_unique<SharedState>();
    state->recordingPath = ros;
    FUZZ_CHECK(loadRecording(*state).ok);
    const SummaryLayout layout = readSummaryLayout(state->summaryFile[0], state->sampleFile[0]);
    if (layout.valid) {
        FUZZ_CHECK(layout.length == length);
        FUZZ_CHECK(layout.coarseOffset + 2 * (length / kSummaryCoarseBlock) + kSummaryTrailerSize ==
                   static_cast<std::int64_t>(summary.size()));
    }
    auto view = std::make_unique<ViewBuffers>();
    state->channelVisible = {true, false, false, false};
    state->zoomDivisor = zoom % 2 ? showAllDivisor(state->sampleCount) : 1 + zoom * 1021;
    refreshView(*state, *view);
    for (int x = 0; x < kDisplayColumns && state->zoomDivisor >= 2; ++x)
        FUZZ_CHECK(view->columnMin[0][x] <= state->channelData[0][x]);
    return 0;
}
