// Protocol decoding: the analog-to-logic conversion of a whole 2 × 2^28-sample recording (read in
// 1 MiB blocks as the decoding reads it, both channels thresholded into one logic byte per sample),
// against `cat` of the same files; decoding 2^26 samples of 2400-baud UART with bytes throughout,
// against sigrok-cli's uart decoder on the same logic as a session file; and ten bytes in an hour of
// idle line at 100 kHz.
#include "bench/CatReference.h"
#include "decode/LogicThreshold.h"
#include "recording/RecordingLoader.h"
#include "support/BigRecording.h"

#include "decode/RecordingDecode.h"
#include "support/ProtocolSignals.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

using namespace varnilog;

constexpr std::int64_t kSamples = std::int64_t{1} << 28;

void BM_LogicOfWholeRecording(benchmark::State& state) {
    const test::BigRecording& r = test::noisyWaves(kSamples);
    constexpr std::size_t kBlock = 1 << 20;
    std::vector<std::uint8_t> codes(kBlock), logic(kBlock);
    for (auto _ : state) {
        QFile a, b;
        if (!openSetFileForReading(a, r.a()) || !openSetFileForReading(b, r.b())) {
            state.SkipWithError("cannot open the recording");
            return;
        }
        LogicThreshold ta({0.0, 0.1}, 4), tb({0.0, 0.1}, 4);
        std::uint64_t ones = 0;
        for (std::int64_t done = 0; done < kSamples; done += kBlock) {
            for (auto [file, t, bit] : {std::tuple{&a, &ta, 0u}, std::tuple{&b, &tb, 1u}}) {
                if (file->read(reinterpret_cast<char*>(codes.data()), kBlock) !=
                    static_cast<qint64>(kBlock)) {
                    state.SkipWithError("short read");
                    return;
                }
                t->convert(codes.data(), kBlock, logic.data(), bit);
            }
            ones += logic[kBlock / 2];
        }
        benchmark::DoNotOptimize(ones);
    }
    state.SetBytesProcessed(state.iterations() * 2 * kSamples);
}

void BM_CatWholeRecording(benchmark::State& state) {
    bench::catReference(
        state, [] { return test::noisyWaves(kSamples).cat(); }, 2 * kSamples);
}

// A channel A of UART at 100 kHz: bytes back to back (or ten of them in an idle hour), written once.
struct UartRecording {
    QTemporaryDir dir;
    QString rca = dir.filePath(QStringLiteral("u.rca"));
    QString sr = dir.filePath(QStringLiteral("u.sr"));
    std::int64_t samples = 0;

    UartRecording(std::int64_t length, bool idle) {
        constexpr double kBit = 100000.0 / 2400;
        std::vector<int> bytes;
        for (int i = 0; i < (idle ? 10 : static_cast<int>(length / (13 * kBit))); ++i)
            bytes.push_back((i * 37 + 11) & 0xFF);
        test::Levels levels = test::uartLevels(bytes, kBit, {}, 10);
        levels.resize(static_cast<std::size_t>(length), 1);
        if (idle) // the bytes in the middle of the hour
            std::rotate(levels.begin(), levels.begin() + static_cast<std::ptrdiff_t>(length / 2),
                        levels.end());
        samples = length;
        QFile out(rca), logic(dir.filePath(QStringLiteral("u.bin")));
        if (!out.open(QIODevice::WriteOnly) || !logic.open(QIODevice::WriteOnly))
            std::abort();
        const std::vector<std::uint8_t> codes = test::analogCodes(levels);
        out.write(reinterpret_cast<const char*>(codes.data()), static_cast<qint64>(codes.size()));
        logic.write(reinterpret_cast<const char*>(levels.data()), static_cast<qint64>(levels.size()));
        logic.close();
        // The same logic as a session, made by sigrok-cli itself.
        QProcess p;
        p.start(QStringLiteral("sigrok-cli"),
                {"-I", "binary:numchannels=1:samplerate=100000", "-i", logic.fileName(), "-o", sr});
        p.waitForFinished(-1);
    }
};

UartRecording& uartRecording(bool idle) {
    static UartRecording busy(std::int64_t{1} << 26, false);
    static UartRecording hour(std::int64_t{360000000}, true);
    return idle ? hour : busy;
}

void decodeUart(benchmark::State& state, bool idle) {
    const UartRecording& r = uartRecording(idle);
    RecordingDecodeRequest request;
    request.sampleFiles[0] = r.rca;
    request.sensitivity = {4, 4, 4, 4};
    request.samplingPeriodMs = 0.01f;
    request.span = {0, r.samples};
    request.stack = {{"uart", {{"baudrate", "2400"}}}};
    request.channels = {{"rx", 0}};
    request.thresholds[0].volts = 0.2;
    std::int64_t bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        const RecordingDecodeResult result =
            decodeRecording(request, [&](const Annotation& a) { bytes += a.annotationClass == 0; });
        if (!result.ok()) {
            state.SkipWithError("the decoding failed");
            return;
        }
    }
    state.counters["bytes"] = static_cast<double>(bytes);
    state.SetItemsProcessed(state.iterations() * r.samples);
}

void BM_DecodeBusyUart(benchmark::State& state) {
    decodeUart(state, false);
}

void BM_SigrokCliBusyUart(benchmark::State& state) {
    if (QStandardPaths::findExecutable(QStringLiteral("sigrok-cli")).isEmpty()) {
        state.SkipWithError("sigrok-cli is missing");
        return;
    }
    const UartRecording& r = uartRecording(false);
    const QByteArray command =
        "sigrok-cli -i '" + r.sr.toLocal8Bit() + "' -P uart:rx=0:baudrate=2400 -A uart=rx-data > /dev/null";
    // Once outside the timing: sigrok-cli decodes every byte (and does not stop at a wrong channel).
    QProcess check;
    check.start(QStringLiteral("sigrok-cli"),
                {"-i", r.sr, "-P", "uart:rx=0:baudrate=2400", "-A", "uart=rx-data"});
    check.waitForFinished(-1);
    const auto lines = check.readAllStandardOutput().count('\n');
    if (lines < r.samples / 600) {
        state.SkipWithError("sigrok-cli decoded too few bytes");
        return;
    }
    state.counters["bytes"] = static_cast<double>(lines);
    for (auto _ : state)
        if (std::system(command.constData()) != 0) {
            state.SkipWithError("sigrok-cli failed");
            return;
        }
    state.SetItemsProcessed(state.iterations() * r.samples);
}

void BM_DecodeIdleHourOfUart(benchmark::State& state) {
    decodeUart(state, true);
}

BENCHMARK(BM_LogicOfWholeRecording)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CatWholeRecording)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DecodeBusyUart)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SigrokCliBusyUart)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DecodeIdleHourOfUart)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
