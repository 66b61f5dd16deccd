#include "analysis/FormulaChannel.h"

#include "analysis/DerivedChannelFiles.h"
#include "recording/DiskFileWriter.h"
#include "recording/FileIdentity.h"
#include "recording/InterchangeExport.h"
#include "recording/RecordingFileSet.h"
#include "recording/RecordingHeader.h"
#include "recording/RecordingLoader.h"
#include "recording/SafeFile.h"
#include "recording/SetChange.h"
#include "recording/SetLock.h"
#include "view/SampleCodes.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <limits>

namespace varnilog {

namespace {

double periodOf(const SharedState& state) {
    const std::int64_t rate = sampleRateHz(state.samplingPeriodMs);
    return rate > 0 ? 1.0 / static_cast<double>(rate) : 1e-3;
}

// The sources' codes block by block; a file shorter than the recording (cut by a crash) reads on as
// the zero line.
class FormulaSources {
public:
    FormulaSources(const QString& rosPath, unsigned channels, std::size_t block) : channels_(channels) {
        for (int c = 0; c < kFormulaChannels; ++c) {
            paths_[static_cast<std::size_t>(c)] = sampleFilePath(rosPath, c);
            if (reads(c))
                buffers_[static_cast<std::size_t>(c)].assign(block, kZeroLine);
        }
    }

    bool open(QString& error) {
        for (int c = 0; c < kFormulaChannels; ++c) {
            QFile& f = files_[static_cast<std::size_t>(c)];
            if (reads(c) && !openSetFileForReading(f, paths_[static_cast<std::size_t>(c)]))
                return fault(f, error);
        }
        return true;
    }

    // Every read channel's next n codes; codes[c] points at them.
    bool read(std::size_t n, std::array<const std::uint8_t*, kFormulaChannels>& codes, QString& error) {
        for (int c = 0; c < kFormulaChannels; ++c) {
            const auto i = static_cast<std::size_t>(c);
            codes[i] = nullptr;
            if (!reads(c))
                continue;
            auto* out = reinterpret_cast<char*>(buffers_[i].data());
            std::size_t got = 0;
            while (got < n) {
                const qint64 r = files_[i].read(out + got, static_cast<qint64>(n - got));
                if (r < 0)
                    return fault(files_[i], error);
                if (r == 0) {
                    std::fill(buffers_[i].begin() + static_cast<std::ptrdiff_t>(got),
                              buffers_[i].begin() + static_cast<std::ptrdiff_t>(n), kZeroLine);
                    break;
                }
                got += static_cast<std::size_t>(r);
            }
            codes[i] = buffers_[i].data();
        }
        return true;
    }

    bool rewind(QString& error, std::int64_t to = 0) {
        for (int c = 0; c < kFormulaChannels; ++c)
            if (reads(c) && !files_[static_cast<std::size_t>(c)].seek(to))
                return fault(files_[static_cast<std::size_t>(c)], error);
        return true;
    }

private:
    bool reads(int c) const { return (channels_ & (1u << c)) != 0; }
    static bool fault(const QFile& f, QString& error) {
        error = QStringLiteral("%1: %2").arg(fileNameOf(f), f.errorString());
        return false;
    }

    unsigned channels_;
    std::array<QString, kFormulaChannels> paths_;
    std::array<QFile, kFormulaChannels> files_;
    std::array<std::vector<std::uint8_t>, kFormulaChannels> buffers_;
};

FormulaResult fileFailure(OperationResult r) {
    FormulaResult result;
    result.result = std::move(r);
    return result;
}

} // namespace

FormulaRequest formulaRequestFor(const SharedState& state, const QString& expression, int target,
                                 int sensitivity) {
    FormulaRequest request;
    request.rosPath = siblingPath(state.recordingPath, QStringLiteral(".ros"));
    request.expression = expression;
    request.target = target;
    request.sensitivity = sensitivity;
    request.sourceSensitivity = state.channelSensitivity;
    request.periodSeconds = periodOf(state);
    return request;
}

FormulaContext formulaContextFor(const SharedState& state, int target) {
    FormulaContext context;
    context.withSamples = 0;
    for (int c = 0; c < kFormulaChannels; ++c)
        if (c != target && channelHasData(state, c))
            context.withSamples |= 1u << c;
    context.target = target;
    context.sensitivity = state.channelSensitivity;
    context.periodSeconds = periodOf(state);
    return context;
}

// The context of the set's files as they are now: every channel but the target with a sample file.
FormulaContext contextOfSet(const FormulaRequest& request) {
    FormulaContext context;
    context.withSamples = 0;
    for (int c = 0; c < kFormulaChannels; ++c)
        if (c != request.target && identityOf(sampleFilePath(request.rosPath, c)).regular)
            context.withSamples |= 1u << c;
    context.target = request.target;
    context.sensitivity = request.sourceSensitivity;
    context.periodSeconds = request.periodSeconds;
    return context;
}

std::vector<std::uint8_t> formulaPreview(const FormulaRequest& request, std::int64_t from, std::int64_t count,
                                         CoreError& error, const OperationProgress& progress) {
    const std::unique_ptr<Formula> formula =
        Formula::compile(request.expression, contextOfSet(request), error);
    if (!formula || count <= 0)
        return {};
    const std::int64_t start = formula->hasFilters() ? 0 : from;
    const auto block =
        static_cast<std::size_t>(std::clamp<std::int64_t>(request.blockSamples, 1, from + count - start));
    FormulaSources sources(request.rosPath, formula->channelsRead(), block);
    QString readError;
    std::vector<double> values(static_cast<std::size_t>(count)), part(block);
    std::array<const std::uint8_t*, kFormulaChannels> codes{};
    bool ok = sources.open(readError) && sources.rewind(readError, start);
    for (std::int64_t first = start; ok && first < from + count;) {
        const auto n = static_cast<std::size_t>(
            std::min<std::int64_t>(static_cast<std::int64_t>(block), from + count - first));
        ok = sources.read(n, codes, readError);
        if (!ok)
            break;
        formula->evaluate(codes, first, n, part.data());
        for (std::size_t i = 0; i < n; ++i)
            if (const std::int64_t k = first + static_cast<std::int64_t>(i); k >= from)
                values[static_cast<std::size_t>(k - from)] = part[i];
        first += static_cast<std::int64_t>(n);
        if (progress && !progress(first - start, from + count - start)) {
            error = CoreError::of(CoreErrorKind::Cancelled);
            return {};
        }
    }
    if (!ok) {
        error = CoreError::worded(readError);
        return {};
    }
    int sensitivity = request.sensitivity;
    if (sensitivity < 1 || sensitivity > kSensitivityCount) {
        double lo = std::numeric_limits<double>::infinity(), hi = -lo;
        for (const double v : values)
            if (std::isfinite(v)) {
                lo = std::min(lo, v);
                hi = std::max(hi, v);
            }
        sensitivity = lo <= hi ? autoSensitivity(lo, hi) : autoSensitivity(0, 0);
    }
    std::vector<std::uint8_t> result(values.size());
    formulaCodes(values.data(), values.size(), sensitivity, result.data());
    return result;
}

FormulaResult computeFormulaChannel(const FormulaRequest& request, const OperationProgress& progress) {
    // Today's operations, written as expressions, run on the operation's own engine (its lookup tables
    // and one pass): the same codes, at the operation's speed, under the expression's key.
    if (const std::optional<Operation> op = parseOperation(request.expression)) {
        FormulaResult result;
        if (Formula::compile(request.expression, contextOfSet(request), result.formula)) {
            OperationRequest operation;
            operation.rosPath = request.rosPath;
            operation.op = *op;
            operation.target = request.target;
            operation.sensitivity = request.sensitivity;
            operation.sourceSensitivity = {request.sourceSensitivity[0], request.sourceSensitivity[1]};
            operation.replaceRecorded = request.replaceRecorded;
            operation.blockSamples = request.blockSamples;
            operation.writer = request.writer;
            operation.keyText = request.expression;
            result.result = computeDerivedChannel(operation, progress);
            return result;
        }
        if (result.formula.kind != CoreErrorKind::FormulaNoSamples)
            return result;
    }
    SetLock lock;
    if (OperationResult busy = lockSetForChange(request.rosPath, lock); !busy.ok())
        return fileFailure(busy);
    const QString target = sampleFilePath(request.rosPath, request.target);
    const FileIdentity a = identityOf(sampleFilePath(request.rosPath, 0));
    const std::int64_t samples = a.regular ? a.size : 0;
    if (samples <= 0)
        return fileFailure(operationFailed(OperationFailure::NoSamples));

    FormulaResult result;
    const std::unique_ptr<Formula> formula =
        Formula::compile(request.expression, contextOfSet(request), result.formula);
    if (!formula)
        return result;
    if (notRegular(target))
        return fileFailure(operationFailed(OperationFailure::WriteFailed,
                                           QStringLiteral("%1: not a regular file").arg(target)));
    if (!request.replaceRecorded && holdsRecordedData(request.rosPath, request.target))
        return fileFailure(operationFailed(OperationFailure::RecordedTarget));

    const auto block = static_cast<std::size_t>(std::clamp<std::int64_t>(request.blockSamples, 1, samples));
    FormulaSources sources(request.rosPath, formula->channelsRead(), block);
    QString error;
    if (!sources.open(error))
        return fileFailure(operationFailed(OperationFailure::ReadFailed, error));
    const bool automatic = request.sensitivity < 1 || request.sensitivity > kSensitivityCount;
    const std::int64_t total = samples * (automatic ? 2 : 1);
    std::int64_t done = 0;
    bool cancelled = false;
    std::vector<double> values(block);
    // One pass from the first sample: use(values, n) per block; false on a read error, a failed use
    // or a stop.
    const auto pass = [&](auto use) {
        formula->restart();
        if (!sources.rewind(error))
            return false;
        std::array<const std::uint8_t*, kFormulaChannels> codes{};
        for (std::int64_t first = 0; first < samples;) {
            const auto n = static_cast<std::size_t>(
                std::min<std::int64_t>(static_cast<std::int64_t>(block), samples - first));
            if (!sources.read(n, codes, error))
                return false;
            formula->evaluate(codes, first, n, values.data());
            if (!use(n))
                return false;
            first += static_cast<std::int64_t>(n);
            done += static_cast<std::int64_t>(n);
            if (progress && !progress(done, total)) {
                cancelled = true;
                return false;
            }
        }
        return true;
    };
    const auto readFailed = [&] {
        return fileFailure(cancelled || error.isEmpty()
                               ? operationFailed(OperationFailure::Cancelled)
                               : operationFailed(OperationFailure::ReadFailed, error));
    };

    auto sensitivity = static_cast<std::uint8_t>(automatic ? 0 : request.sensitivity);
    if (automatic) {
        double lo = std::numeric_limits<double>::infinity(), hi = -lo;
        if (!pass([&](std::size_t n) {
                for (std::size_t i = 0; i < n; ++i)
                    if (std::isfinite(values[i])) {
                        lo = std::min(lo, values[i]);
                        hi = std::max(hi, values[i]);
                    }
                return true;
            }))
            return readFailed();
        sensitivity = lo <= hi ? autoSensitivity(lo, hi) : autoSensitivity(0, 0);
    }

    // Samples first, at a pending name tied to the next header; the header's rename decides.
    SafeFile header(request.rosPath);
    if (!header.open(QIODevice::WriteOnly))
        return fileFailure(
            operationFailed(OperationFailure::WriteFailed,
                            QStringLiteral("%1: %2").arg(header.targetPath(), header.errorString())));
    const QString pending = pendingChannelPath(target, header.identity().inode, ChannelChangeKind::Replace);
    DiskFileWriter disk;
    FileWriter& writer = request.writer != nullptr ? *request.writer : disk;
    dropCachedSamples(target);
    const std::unique_ptr<FileWriter::File> out = writer.createReplacement(pending, error);
    if (!out)
        return fileFailure(
            operationFailed(OperationFailure::WriteFailed, QStringLiteral("%1: %2").arg(target, error)));
    std::vector<std::uint8_t> codes(block);
    QString writeError;
    if (!pass([&](std::size_t n) {
            result.nonFinite += formulaCodes(values.data(), n, sensitivity, codes.data());
            if (out->write(reinterpret_cast<const char*>(codes.data()), static_cast<qint64>(n)) ==
                static_cast<qint64>(n))
                return true;
            writeError = out->errorString();
            return false;
        })) {
        if (!cancelled && !writeError.isEmpty())
            return fileFailure(operationFailed(OperationFailure::WriteFailed,
                                               QStringLiteral("%1: %2").arg(target, writeError)));
        return readFailed();
    }
    if (!openHeader(
            header,
            headerWithDerivedKeys(request.rosPath, request.target, sensitivity, request.expression, error),
            error))
        return fileFailure(operationFailed(OperationFailure::WriteFailed, error));
    if (!out->commit())
        return fileFailure(operationFailed(OperationFailure::WriteFailed,
                                           QStringLiteral("%1: %2").arg(target, out->errorString())));
    if (!commitChannelChange(lock, header, pending, target, ChannelChangeKind::Replace, error))
        return fileFailure(operationFailed(OperationFailure::WriteFailed, error));
    result.result.sensitivity = sensitivity;
    result.result.samples = samples;
    result.result.operation = request.expression;
    return result;
}

} // namespace varnilog
