// Any bytes as a file of a format the import reads (the first byte picks the format):
// the reader must refuse with a one-line reason or deliver 1 to 4 channels of finite values at a
// positive rate, never more frames than asked for.
#include "FuzzCheck.h"
#include "FuzzInput.h"

#include "recording/InterchangeFormats.h"

#include <QBuffer>

#include <cmath>
#include <vector>

using namespace varnilog;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input({data, size});
    const auto formats = dialogFormats(true);
    const auto* format = formats[input.byte() % formats.size()];
    const auto rest = input.rest();
    QByteArray bytes(reinterpret_cast<const char*>(rest.data()), static_cast<qsizetype>(rest.size()));
    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly);
    auto reader = format->reader(in);
    QString error;
    if (!reader->open(error)) {
        FUZZ_CHECK(!error.isEmpty() && !error.contains(QLatin1Char('\n')));
        return 0;
    }
    const int channels = reader->info().channels;
    FUZZ_CHECK(channels >= 1 && channels <= kChannels);
    FUZZ_CHECK(reader->info().sampleRateHz > 0);
    constexpr std::int64_t kBlock = 64;
    std::vector<double> values(kChannels * kBlock);
    std::array<double*, kChannels> rows{};
    for (int c = 0; c < kChannels; ++c)
        rows[c] = values.data() + c * kBlock;
    for (int pass = 0; pass < 2; ++pass) {
        for (std::int64_t n; (n = reader->read(rows, kBlock, error)) != 0;) {
            if (n < 0) {
                FUZZ_CHECK(!error.isEmpty() && !error.contains(QLatin1Char('\n')));
                return 0;
            }
            FUZZ_CHECK(n <= kBlock);
            for (int c = 0; c < channels; ++c)
                for (std::int64_t i = 0; i < n; ++i)
                    FUZZ_CHECK(std::isfinite(rows[c][i]));
        }
        FUZZ_CHECK(reader->rewind(error));
    }
    return 0;
}
