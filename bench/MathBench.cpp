// A math operation over the whole of a 2 x 2^28-sample recording (A and B read, the derived
// channel written and renamed into place, the ".ros" keys updated): A − B at a given sensitivity (one
// pass), the same with "Auto" (a first pass for the extremes), and a moving average of 16 samples of
// A; against `cat` of the same two files to /dev/null in the same run, and A − B also against writing
// as many bytes durably (the disk's share). A is a noisy sine, B a noisy square wave, as in the
// measurement benchmark. Their CPU time is the whole process's (the lookups run on two more threads).
#include "analysis/ChannelMath.h"
#include "analysis/FormulaChannel.h"
#include "bench/CatReference.h"
#include "recording/DiskFileWriter.h"
#include "recording/RecordingHeader.h"
#include "recording/SafeFile.h"
#include "support/BigRecording.h"
#include "view/ScaleTables.h"

#include <benchmark/benchmark.h>

#include <QFile>

#include <vector>

#include <unistd.h>

namespace {

using namespace varnilog;

constexpr std::int64_t kSamples = std::int64_t{1} << 28;

test::BigRecording& recording() {
    return test::noisyWaves(kSamples);
}

// The set's ".ros": a change of the set takes its lock and rewrites its keys, so the set needs one.
QString rosPath() {
    static const QString path = [] {
        const QString ros = recording().dir() + QStringLiteral("/big.ros");
        RecordingHeader header;
        header.sensitivity = {4, 4};
        DiskFileWriter disk;
        QString error;
        if (!writeRecordingHeader(ros, header, disk, error))
            qFatal("%s", qPrintable(error));
        // The sources on the disk before the first figure, which would otherwise wait behind them.
        for (const QString& path : {recording().a(), recording().b()}) {
            QFile source(path);
            if (source.open(QIODevice::ReadOnly))
                ::fsync(source.handle());
        }
        return ros;
    }();
    return path;
}

void run(benchmark::State& state, const Operation& op, int sensitivity, int sources) {
    OperationRequest request;
    request.rosPath = rosPath();
    request.op = op;
    request.target = 2;
    request.sensitivity = sensitivity;
    request.sourceSensitivity = {4, 4};
    request.replaceRecorded = true;
    for (auto _ : state) {
        const OperationResult result = computeDerivedChannel(request);
        if (!result.ok() || result.samples != kSamples) {
            state.SkipWithError(qPrintable(QStringLiteral("the operation failed: ") + result.detail));
            break;
        }
    }
    QFile::remove(recording().dir() + QStringLiteral("/big.rcc"));
    state.SetBytesProcessed(state.iterations() * sources * kSamples);
}

void BM_MathDifference(benchmark::State& state) {
    run(state, Operation{OperationKind::AMinusB, 2}, 3, 2);
}

void BM_MathDifferenceAuto(benchmark::State& state) {
    run(state, Operation{OperationKind::AMinusB, 2}, 0, 2);
}

void BM_MathAverage16(benchmark::State& state) {
    run(state, Operation{OperationKind::AverageA, 16}, 4, 1);
}

// A formula channel over the same recording (A and B read as the expression needs them); items are
// samples of the recording.
void runFormula(benchmark::State& state, const char* expression, int sensitivity) {
    FormulaRequest request;
    request.rosPath = rosPath();
    request.expression = QString::fromLatin1(expression);
    request.target = 2;
    request.sensitivity = sensitivity;
    request.sourceSensitivity = {4, 4, 4, 4};
    request.replaceRecorded = true;
    for (auto _ : state) {
        const FormulaResult result = computeFormulaChannel(request);
        if (!result.ok() || result.result.samples != kSamples) {
            state.SkipWithError(qPrintable(QStringLiteral("the formula failed: ") + result.result.detail));
            break;
        }
    }
    QFile::remove(recording().dir() + QStringLiteral("/big.rcc"));
    state.SetItemsProcessed(state.iterations() * kSamples);
}

// The same bytes as BM_MathDifference, through the expression.
void BM_FormulaDifference(benchmark::State& state) {
    runFormula(state, "A-B", 3);
}

// Ten operations of A and B.
void BM_FormulaTenOperations(benchmark::State& state) {
    runFormula(state, "A*0.5 + B*0.25 - A*B + (A-B)*2 - abs(B)", 1);
}

void BM_FormulaLowpass(benchmark::State& state) {
    runFormula(state, "lowpass(A,50)", 4);
}

// The operation's own write alone: as many bytes through the safe writer (fsync and rename included),
// the part of its time that the disk sets.
void BM_DurableWriteSameBytes(benchmark::State& state) {
    const std::vector<char> block(1 << 20, static_cast<char>(kZeroLine));
    const QString path = recording().dir() + QStringLiteral("/durable.rcc");
    for (auto _ : state) {
        SafeFile out(path);
        bool ok = out.open(QIODevice::WriteOnly);
        for (std::int64_t done = 0; ok && done < kSamples; done += static_cast<std::int64_t>(block.size()))
            ok = out.write(block.data(), static_cast<qint64>(block.size())) ==
                 static_cast<qint64>(block.size());
        if (!ok || !out.commit()) {
            state.SkipWithError(qPrintable(out.errorString()));
            break;
        }
    }
    QFile::remove(path);
    state.SetBytesProcessed(state.iterations() * kSamples);
}

void BM_CatWholeRecording(benchmark::State& state) {
    bench::catReference(
        state, [] { return recording().cat(); }, 2 * kSamples);
}

} // namespace

BENCHMARK(BM_CatWholeRecording)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MathDifference)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_MathDifferenceAuto)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_MathAverage16)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_FormulaDifference)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_FormulaTenOperations)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_FormulaLowpass)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_DurableWriteSameBytes)->Unit(benchmark::kMillisecond)->UseRealTime();
