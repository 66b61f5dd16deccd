#include "analysis/ChannelMath.h"

#include "analysis/DerivedChannelFiles.h"
#include "analysis/PairCodes.h"
#include "recording/HalfWorkers.h"

#include "recording/DiskFileWriter.h"
#include "recording/FileIdentity.h"
#include "recording/MappedSpan.h"
#include "recording/ProfileFile.h"
#include "recording/RecordingFileSet.h"
#include "recording/RecordingHeader.h"
#include "recording/RecordingLoader.h"
#include "recording/SafeFile.h"
#include "recording/SetChange.h"
#include "recording/SetLock.h"
#include "view/SampleCodes.h"

#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <numeric>
#include <optional>
#include <vector>

#include <fcntl.h>

namespace varnilog {

bool Operation::needsA() const {
    return kind != OperationKind::NegateB && kind != OperationKind::AverageB;
}

bool Operation::needsB() const {
    return kind != OperationKind::NegateA && kind != OperationKind::AverageA;
}

std::optional<Operation> parseOperation(const QString& text) {
    QString t = text.toUpper();
    t.remove(u' ');
    static const std::array<std::pair<const char*, OperationKind>, 5> plain{{{"A+B", OperationKind::Sum},
                                                                             {"A-B", OperationKind::AMinusB},
                                                                             {"B-A", OperationKind::BMinusA},
                                                                             {"-A", OperationKind::NegateA},
                                                                             {"-B", OperationKind::NegateB}}};
    for (const auto& [name, kind] : plain)
        if (t == QLatin1String(name))
            return Operation{kind, kMinAverageWindow};
    static const QRegularExpression average(QStringLiteral("^(?:AVG|SREDNIA)\\(([AB]),(\\d{1,6})\\)$"));
    const QRegularExpressionMatch m = average.match(t);
    if (!m.hasMatch())
        return std::nullopt;
    const int n = m.captured(2).toInt();
    if (n < kMinAverageWindow || n > kMaxAverageWindow)
        return std::nullopt;
    return Operation{m.captured(1) == u"A" ? OperationKind::AverageA : OperationKind::AverageB, n};
}

QString operationKeyText(const Operation& op) {
    switch (op.kind) {
    case OperationKind::Sum:
        return QStringLiteral("A+B");
    case OperationKind::AMinusB:
        return QStringLiteral("A-B");
    case OperationKind::BMinusA:
        return QStringLiteral("B-A");
    case OperationKind::NegateA:
        return QStringLiteral("-A");
    case OperationKind::NegateB:
        return QStringLiteral("-B");
    case OperationKind::AverageA:
        return QStringLiteral("SREDNIA(A,%1)").arg(op.window);
    case OperationKind::AverageB:
        return QStringLiteral("SREDNIA(B,%1)").arg(op.window);
    }
    return {};
}

double averageVolts(std::int64_t sumOfCodeSteps, int count, int sensitivity) {
    return stepVolts(static_cast<double>(sumOfCodeSteps), sensitivity) / count;
}

double operationVolts(OperationKind kind, std::uint8_t a, std::uint8_t b, int sensitivityA,
                      int sensitivityB) {
    const double va = codeVolts(a, sensitivityA), vb = codeVolts(b, sensitivityB);
    switch (kind) {
    case OperationKind::Sum:
        return va + vb;
    case OperationKind::AMinusB:
        return va - vb;
    case OperationKind::BMinusA:
        return vb - va;
    case OperationKind::NegateA:
    case OperationKind::AverageA:
        return -va;
    case OperationKind::NegateB:
    case OperationKind::AverageB:
        return -vb;
    }
    return 0;
}

OperationRequest operationRequestFor(const SharedState& state, const Operation& op, int target,
                                     int sensitivity) {
    OperationRequest request;
    request.rosPath = siblingPath(state.recordingPath, QStringLiteral(".ros"));
    request.op = op;
    request.target = target;
    request.sensitivity = sensitivity;
    request.sourceSensitivity = {state.channelSensitivity[0], state.channelSensitivity[1]};
    return request;
}

bool holdsRecordedData(const QString& rosPath, int channel) {
    if (!identityOf(sampleFilePath(rosPath, channel)).exists())
        return false;
    return !readDerivedChannelKeys(rosPath, channel).derived();
}

namespace {

// Streams the sources block by block; for every block calls use(a, b, first, n) with the codes of A
// and B (a source the operation does not need, or past the end of its file, reads as the zero line).
class SourceReader {
public:
    SourceReader(const OperationRequest& request, std::int64_t samples)
        : request_(request), samples_(samples),
          block_(static_cast<std::size_t>(std::clamp<std::int64_t>(request.blockSamples, 1, samples))) {
        for (int c = 0; c < 2; ++c) {
            buffer_[c].assign(block_, kZeroLine);
            files_[c].setFileName(sampleFilePath(request.rosPath, c));
        }
    }

    bool open(QString& error) {
        for (int c = 0; c < 2; ++c) {
            if (!(c == 0 ? request_.op.needsA() : request_.op.needsB()))
                continue;
            if (!openSetFileForReading(files_[c], sampleFilePath(request_.rosPath, c))) {
                error = QStringLiteral("%1: %2").arg(fileNameOf(files_[c]), files_[c].errorString());
                return false;
            }
            // Mapped where the system can, so the passes read the page cache where it lies; a shorter
            // file (B of a recording cut by a crash) is read, to fill its end with the zero line.
            if (files_[c].size() >= samples_) {
                mapped_[c] = std::make_unique<MappedSpan>(files_[c].handle(), 0, samples_);
                if (!mapped_[c]->valid())
                    mapped_[c].reset();
            }
        }
        return true;
    }

    template <typename Use> bool run(QString& error, Use use) {
        for (int c = 0; c < 2; ++c)
            if (isRead(c) && !files_[c].seek(0)) {
                error = QStringLiteral("%1: %2").arg(fileNameOf(files_[c]), files_[c].errorString());
                return false;
            }
        // With both sources read, A and B are read at the same time, one on each core: the copies out
        // of the page cache are most of an operation's time.
        std::array<QString, 2> errors;
        std::array<bool, 2> ok{true, true};
        std::size_t n = 0;
        std::optional<HalfWorkers> readers;
        if (isRead(0) && isRead(1))
            readers.emplace([&](int c) { ok[static_cast<std::size_t>(c)] = readBlock(c, n, errors[c]); });
        for (std::int64_t first = 0; first < samples_;) {
            n = static_cast<std::size_t>(
                std::min<std::int64_t>(static_cast<std::int64_t>(block_), samples_ - first));
            if (readers) {
                readers->start();
                readers->wait();
            } else {
                for (int c = 0; c < 2; ++c)
                    if (isRead(c))
                        ok[static_cast<std::size_t>(c)] = readBlock(c, n, errors[c]);
            }
            for (std::size_t c = 0; c < 2; ++c)
                if (!ok[c]) {
                    error = errors[c];
                    return false;
                }
            if (!use(codesAt(0, first), codesAt(1, first), first, n))
                return false;
            first += static_cast<std::int64_t>(n);
        }
        return intact(error);
    }

    // Calls use(a, b, n) with the codes of [first, first + n) (n at most the block).
    template <typename Use> bool readAt(std::int64_t first, std::size_t n, QString& error, Use use) {
        for (int c = 0; c < 2; ++c) {
            if (!isRead(c))
                continue;
            if (!files_[c].seek(first)) {
                error = QStringLiteral("%1: %2").arg(fileNameOf(files_[c]), files_[c].errorString());
                return false;
            }
            if (!readBlock(c, n, error))
                return false;
        }
        use(codesAt(0, first), codesAt(1, first), n);
        return intact(error);
    }

    std::size_t block() const { return block_; }

private:
    bool isRead(int c) const { return files_[c].isOpen() && !mapped_[c]; }
    // Source c's codes from first on: in its mapping, or in the block just read.
    const std::uint8_t* codesAt(int c, std::int64_t first) const {
        return mapped_[c] ? mapped_[c]->data() + first : buffer_[c].data();
    }
    // False with error set when a mapped source was cut short while it was read.
    bool intact(QString& error) const {
        for (int c = 0; c < 2; ++c)
            if (mapped_[c] && mapped_[c]->damaged()) {
                error = QStringLiteral("%1: the file changed while it was read").arg(fileNameOf(files_[c]));
                return false;
            }
        return true;
    }

    bool readBlock(int c, std::size_t n, QString& error) {
        QFile& f = files_[c];
        auto* out = reinterpret_cast<char*>(buffer_[c].data());
        std::size_t got = 0;
        while (got < n) {
            const qint64 r = f.read(out + got, static_cast<qint64>(n - got));
            if (r < 0) {
                error = QStringLiteral("%1: %2").arg(fileNameOf(f), f.errorString());
                return false;
            }
            if (r == 0) { // a shorter B (a recording cut by a crash) reads as the zero line
                std::fill(buffer_[c].begin() + static_cast<std::ptrdiff_t>(got),
                          buffer_[c].begin() + static_cast<std::ptrdiff_t>(n), kZeroLine);
                break;
            }
            got += static_cast<std::size_t>(r);
        }
        return true;
    }

    const OperationRequest& request_;
    std::int64_t samples_;
    std::size_t block_;
    std::array<QFile, 2> files_;
    std::array<std::unique_ptr<MappedSpan>, 2> mapped_;
    std::array<std::vector<std::uint8_t>, 2> buffer_;
};

// The moving average over the source's codes, sample by sample: onSample(sum of code steps, count).
class RunningSum {
public:
    explicit RunningSum(int window)
        : window_(window), history_(static_cast<std::size_t>(window), kZeroLine) {}

    // warm(i, sum, count) for the first window - 1 samples of the recording, full(i, sum) after them:
    // the hot loop has no division and no branch on the count.
    template <typename Warm, typename Full>
    void add(const std::uint8_t* codes, std::size_t n, Warm warm, Full full) {
        std::size_t i = 0;
        for (; i < n && filled_ < window_; ++i) {
            history_[static_cast<std::size_t>(filled_)] = codes[i];
            sum_ += codes[i] - kZeroLine;
            ++filled_;
            if (filled_ < window_)
                warm(i, sum_, filled_);
            else
                full(i, sum_);
        }
        const std::size_t size = history_.size();
        std::uint8_t* history = history_.data();
        std::int64_t sum = sum_;
        std::size_t pos = pos_;
        for (; i < n; ++i) {
            const std::uint8_t code = codes[i];
            sum += static_cast<int>(code) - static_cast<int>(history[pos]);
            history[pos] = code;
            if (++pos == size)
                pos = 0;
            full(i, sum);
        }
        sum_ = sum;
        pos_ = pos;
    }

private:
    int window_;
    std::vector<std::uint8_t> history_; // the last window codes; pos_ is the oldest once filled
    int filled_ = 0;
    std::size_t pos_ = 0;
    std::int64_t sum_ = 0;
};

// Stretches of samples read for a guess of the automatic sensitivity: 1 MiB of each source.
constexpr std::int64_t kGuessSpots = 64;
constexpr std::int64_t kGuessStretch = 16384;
// Samples looked up, then folded, at a time.
constexpr std::int64_t kFoldStretch = 16384;

class Computation {
public:
    Computation(const OperationRequest& request, std::int64_t samples, const OperationProgress& progress)
        : request_(request), op_(request.op), samples_(samples), progress_(progress),
          reader_(request, samples) {
        sourceSensitivity_ =
            op_.kind == OperationKind::AverageB ? request.sourceSensitivity[1] : request.sourceSensitivity[0];
        total_ = samples;
        factors_ = lineFactors();
        if (request.sensitivity == 0 && !factors_)
            total_ += samples;
    }

    bool open(QString& error) { return reader_.open(error); }

    // A straight line's automatic sensitivity as stretches spread over the recording show it, to write
    // at while the writing pass finds the whole recording's (foundSensitivity): one pass instead of
    // two when they agree. 0 when the operation is no straight line or the stretches leave it to the
    // table.
    bool guessSensitivity(std::uint8_t& guess, QString& error) {
        guess = 0;
        if (!factors_)
            return true;
        const std::int64_t stretch =
            std::min({static_cast<std::int64_t>(reader_.block()), kGuessStretch, samples_});
        const std::int64_t spots = std::clamp<std::int64_t>(samples_ / stretch, 1, kGuessSpots);
        total_ += spots * stretch;
        int lo = std::numeric_limits<int>::max(), hi = std::numeric_limits<int>::min();
        for (std::int64_t k = 0; k < spots; ++k) {
            // Evenly from the first sample to the last.
            const std::int64_t first = spots == 1 ? 0 : k * (samples_ - stretch) / (spots - 1);
            if (!reader_.readAt(first, static_cast<std::size_t>(stretch), error,
                                [&](const std::uint8_t* a, const std::uint8_t* b, std::size_t n) {
                                    foldLineExtremes(a, b, n, (*factors_)[0], (*factors_)[1], lo, hi);
                                }) ||
                !progressed(stretch))
                return false;
        }
        guess = lineSensitivity(*factors_, lo, hi).value_or(0);
        if (guess != 0) // the pass over the sources finds the whole recording's at the same time
            folding_ = true;
        else
            total_ += samples_;
        return true;
    }

    // After a pass that wrote at a guess: the sensitivity of the whole recording's straight line, or
    // nothing when the table must decide (findSensitivity).
    std::optional<std::uint8_t> foundSensitivity() const {
        return lineSensitivity(*factors_, std::min(foldLo_[0], foldLo_[1]), std::max(foldHi_[0], foldHi_[1]));
    }

    // A guess proved wrong: another pass writes, after one over the table of pairs when the line
    // left it to the table.
    void writeAgain(bool tableDecides) {
        folding_ = false;
        tableDecides_ = tableDecides;
        total_ += samples_ * (tableDecides ? 2 : 1);
    }

    // The first pass: the extremes of the result, for the automatic sensitivity.
    bool findSensitivity(std::uint8_t& sensitivity, QString& error) {
        double vmin = std::numeric_limits<double>::infinity(), vmax = -vmin;
        const auto extend = [&](double v) {
            vmin = std::min(vmin, v);
            vmax = std::max(vmax, v);
        };
        if (op_.isAverage()) {
            RunningSum sums(op_.window);
            std::int64_t lo = std::numeric_limits<std::int64_t>::max(),
                         hi = std::numeric_limits<std::int64_t>::min();
            const bool ok = pass(error, [&](const std::uint8_t* a, const std::uint8_t* b, std::size_t n) {
                sums.add(
                    op_.kind == OperationKind::AverageA ? a : b, n,
                    [&](std::size_t, std::int64_t sum, int count) {
                        extend(averageVolts(sum, count, sourceSensitivity_));
                    },
                    [&](std::size_t, std::int64_t sum) {
                        lo = std::min(lo, sum);
                        hi = std::max(hi, sum);
                    });
            });
            if (!ok)
                return false;
            if (lo <= hi) {
                extend(averageVolts(lo, op_.window, sourceSensitivity_));
                extend(averageVolts(hi, op_.window, sourceSensitivity_));
            }
        } else {
            if (factors_ && !tableDecides_) {
                int lo = std::numeric_limits<int>::max(), hi = std::numeric_limits<int>::min();
                if (!pass(error, [&](const std::uint8_t* a, const std::uint8_t* b, std::size_t n) {
                        foldLineExtremes(a, b, n, (*factors_)[0], (*factors_)[1], lo, hi);
                    }))
                    return false;
                if (const std::optional<std::uint8_t> s = lineSensitivity(*factors_, lo, hi)) {
                    sensitivity = *s;
                    return true;
                }
                total_ += samples_; // the pass over the table of pairs reads the sources again
            }
            std::vector<std::uint8_t> seen(1 << 16, 0);
            if (!pass(error, [&](const std::uint8_t* a, const std::uint8_t* b, std::size_t n) {
                    for (std::size_t i = 0; i < n; ++i)
                        seen[static_cast<std::size_t>(a[i]) << 8 | b[i]] = 1;
                }))
                return false;
            for (std::size_t ab = 0; ab < seen.size(); ++ab)
                if (seen[ab] != 0)
                    extend(volts(static_cast<std::uint8_t>(ab >> 8), static_cast<std::uint8_t>(ab & 255)));
        }
        sensitivity = autoSensitivity(vmin, vmax);
        return true;
    }

    // The second pass: the codes at the target's sensitivity, block by block to out.
    bool write(std::uint8_t sensitivity, FileWriter::File& out, QString& error) {
        std::vector<std::uint8_t> codes(
            static_cast<std::size_t>(std::clamp<std::int64_t>(request_.blockSamples, 1, samples_)));
        const auto emitCodes = [&](const std::uint8_t* data, std::size_t n) {
            if (out.write(reinterpret_cast<const char*>(data), static_cast<qint64>(n)) ==
                static_cast<qint64>(n))
                return true;
            writeError_ = out.errorString();
            return false;
        };
        const auto emitBlock = [&](std::size_t n) { return emitCodes(codes.data(), n); };
        if (op_.isAverage()) {
            // In steady state every value is one of 255 x N + 1 sums over a full window: a table.
            const int w = op_.window;
            std::vector<std::uint8_t> table(static_cast<std::size_t>(255) * static_cast<std::size_t>(w) + 1);
            for (std::size_t i = 0; i < table.size(); ++i)
                table[i] =
                    derivedCode(averageVolts(static_cast<std::int64_t>(i) - 125LL * w, w, sourceSensitivity_),
                                sensitivity);
            RunningSum sums(w);
            return pass(error, [&](const std::uint8_t* a, const std::uint8_t* b, std::size_t n) {
                const std::uint8_t* shifted = table.data() + 125LL * w; // indexed by the sum itself
                sums.add(
                    op_.kind == OperationKind::AverageA ? a : b, n,
                    [&](std::size_t i, std::int64_t sum, int count) {
                        codes[i] = derivedCode(averageVolts(sum, count, sourceSensitivity_), sensitivity);
                    },
                    [&](std::size_t i, std::int64_t sum) { codes[i] = shifted[sum]; });
                return emitBlock(n);
            });
        }
        std::vector<std::uint8_t> table(kCodePairs);
        for (std::size_t ab = 0; ab < table.size(); ++ab)
            table[ab] = derivedCode(
                volts(static_cast<std::uint8_t>(ab >> 8), static_cast<std::uint8_t>(ab & 255)), sensitivity);
        const double perCode = 255 * voltsPerCode(sensitivity);
        const PairCodes pairs(std::move(table), (volts(255, 0) - volts(0, 0)) / perCode,
                              (volts(0, 255) - volts(0, 0)) / perCode);
        // Both cores look up block k while block k - 1 is written.
        std::array<std::vector<std::uint8_t>, 2> done{codes, codes};
        const std::uint8_t *a = nullptr, *b = nullptr;
        std::size_t n = 0, waiting = 0, k = 0;
        foldLo_ = {std::numeric_limits<int>::max(), std::numeric_limits<int>::max()};
        foldHi_ = {std::numeric_limits<int>::min(), std::numeric_limits<int>::min()};
        HalfWorkers lookUp([&](int half) {
            const auto [from, to] = HalfWorkers::halfOf(static_cast<std::int64_t>(n), half);
            if (!folding_) {
                pairs.map(a + from, b + from, done[k % 2].data() + from, static_cast<std::size_t>(to - from));
                return;
            }
            // In stretches that the fold finds still in the core's cache after the lookup.
            const auto h = static_cast<std::size_t>(half);
            for (std::int64_t i = from; i < to; i += kFoldStretch) {
                const auto m = static_cast<std::size_t>(std::min(kFoldStretch, to - i));
                pairs.map(a + i, b + i, done[k % 2].data() + i, m);
                foldLineExtremes(a + i, b + i, m, (*factors_)[0], (*factors_)[1], foldLo_[h], foldHi_[h]);
            }
        });
        const bool read =
            pass(error, [&](const std::uint8_t* blockA, const std::uint8_t* blockB, std::size_t count) {
                a = blockA, b = blockB, n = count;
                lookUp.start();
                const bool written = waiting == 0 || emitCodes(done[(k + 1) % 2].data(), waiting);
                lookUp.wait();
                waiting = n;
                ++k;
                return written;
            });
        return read && emitCodes(done[(k + 1) % 2].data(), waiting);
    }

    bool cancelled() const { return cancelled_; }
    const QString& writeError() const { return writeError_; }

private:
    double volts(std::uint8_t a, std::uint8_t b) const {
        return operationVolts(op_.kind, a, b, request_.sourceSensitivity[0], request_.sourceSensitivity[1]);
    }

    // Sums, differences and inversions are the straight line fa * a + fb * b in whole steps of
    // 0.01 V/div x 0.04 (every sensitivity is a whole number of hundredths of a volt per division),
    // with factors small enough for 16 bits. Nothing otherwise.
    std::optional<std::array<int, 2>> lineFactors() const {
        std::array<int, 2> sign{};
        switch (op_.kind) {
        case OperationKind::Sum:
            sign = {1, 1};
            break;
        case OperationKind::AMinusB:
            sign = {1, -1};
            break;
        case OperationKind::BMinusA:
            sign = {-1, 1};
            break;
        case OperationKind::NegateA:
            sign = {-1, 0};
            break;
        case OperationKind::NegateB:
            sign = {0, -1};
            break;
        default:
            return std::nullopt;
        }
        std::array<int, 2> factor{};
        for (std::size_t c = 0; c < 2; ++c) {
            const double hundredths =
                sensitivityTable[static_cast<std::size_t>(
                    std::clamp(static_cast<int>(request_.sourceSensitivity[c]), 1, kSensitivityCount))] *
                100;
            if (std::abs(hundredths - std::round(hundredths)) > 1e-9)
                return std::nullopt;
            factor[c] = sign[c] * static_cast<int>(std::round(hundredths));
        }
        const int common = std::gcd(std::abs(factor[0]), std::abs(factor[1]));
        factor = {factor[0] / common, factor[1] / common};
        if (std::abs(factor[0]) + std::abs(factor[1]) > 128)
            return std::nullopt;
        return factor;
    }

    // The sensitivity of a straight line whose samples reach the steps lo..hi. Distinct steps lie at
    // least 0.0004 V apart, far beyond rounding, so they keep their order in volts; the pairs of one
    // step may differ in the last bits of their volts, so the answer stands only when it is the same
    // for the lowest and the highest volts of the pairs at lo and at hi, whichever of them the samples
    // hold. Nothing: the table decides.
    std::optional<std::uint8_t> lineSensitivity(const std::array<int, 2>& factor, int lo, int hi) const {
        if (lo > hi)
            return std::nullopt;
        constexpr double inf = std::numeric_limits<double>::infinity();
        double minLow = inf, minHigh = -inf, maxLow = inf, maxHigh = -inf;
        for (std::size_t ab = 0; ab < kCodePairs; ++ab) {
            const auto a = static_cast<std::uint8_t>(ab >> 8), b = static_cast<std::uint8_t>(ab & 255);
            const int s = factor[0] * a + factor[1] * b;
            if (s != lo && s != hi)
                continue;
            const double v = volts(a, b);
            if (s == lo) {
                minLow = std::min(minLow, v);
                minHigh = std::max(minHigh, v);
            }
            if (s == hi) {
                maxLow = std::min(maxLow, v);
                maxHigh = std::max(maxHigh, v);
            }
        }
        const std::uint8_t widest = autoSensitivity(minLow, maxHigh);
        if (widest != autoSensitivity(minHigh, maxLow))
            return std::nullopt;
        return widest;
    }

    // One pass over the sources; use returns false (or nothing) per block. False on a read error, a
    // failed use or a stop.
    template <typename Use> bool pass(QString& error, Use use) {
        return reader_.run(error,
                           [&](const std::uint8_t* a, const std::uint8_t* b, std::int64_t, std::size_t n) {
                               if constexpr (std::is_same_v<decltype(use(a, b, n)), bool>) {
                                   if (!use(a, b, n))
                                       return false;
                               } else {
                                   use(a, b, n);
                               }
                               return progressed(static_cast<std::int64_t>(n));
                           });
    }

    // Counts n samples read; false when the work must stop.
    bool progressed(std::int64_t n) {
        done_ += n;
        if (progress_ && !progress_(done_, total_)) {
            cancelled_ = true;
            return false;
        }
        return true;
    }

    const OperationRequest& request_;
    Operation op_;
    std::int64_t samples_;
    const OperationProgress& progress_;
    SourceReader reader_;
    int sourceSensitivity_ = 1;
    std::optional<std::array<int, 2>> factors_; // of the straight line, when the operation is one
    bool folding_ = false;                      // the writing pass also finds the line's extremes
    bool tableDecides_ = false; // the line's extremes are known to leave the sensitivity to the table
    std::array<int, 2> foldLo_{}, foldHi_{}; // per half of the lookup
    std::int64_t done_ = 0, total_ = 0;
    bool cancelled_ = false;
    QString writeError_;
};

} // namespace

OperationResult computeDerivedChannel(const OperationRequest& request, const OperationProgress& progress) {
    SetLock lock;
    if (OperationResult busy = lockSetForChange(request.rosPath, lock); !busy.ok())
        return busy;
    const QString target = sampleFilePath(request.rosPath, request.target);
    const FileIdentity a = identityOf(sampleFilePath(request.rosPath, 0));
    const std::int64_t samples = a.regular ? a.size : 0;
    if (samples <= 0)
        return operationFailed(OperationFailure::NoSamples);
    if (request.op.needsB() && !identityOf(sampleFilePath(request.rosPath, 1)).regular)
        return operationFailed(OperationFailure::NoChannelB);
    if (notRegular(target))
        return operationFailed(OperationFailure::WriteFailed,
                               QStringLiteral("%1: not a regular file").arg(target));
    if (!request.replaceRecorded && holdsRecordedData(request.rosPath, request.target))
        return operationFailed(OperationFailure::RecordedTarget);

    Computation computation(request, samples, progress);
    QString error;
    if (!computation.open(error))
        return operationFailed(OperationFailure::ReadFailed, error);
    const auto readFailed = [&] {
        return computation.cancelled() ? operationFailed(OperationFailure::Cancelled)
                                       : operationFailed(OperationFailure::ReadFailed, error);
    };
    std::uint8_t sensitivity =
        static_cast<std::uint8_t>(std::clamp(request.sensitivity, 0, kSensitivityCount));
    std::uint8_t guess = 0;
    if (sensitivity == 0 && !computation.guessSensitivity(guess, error))
        return readFailed();
    if (sensitivity == 0 && guess == 0 && !computation.findSensitivity(sensitivity, error))
        return readFailed();

    // Samples first, at a pending name tied to the next header; the header's rename decides. The
    // header's text follows the samples, which may settle the sensitivity it names.
    SafeFile header(request.rosPath);
    if (!header.open(QIODevice::WriteOnly))
        return operationFailed(OperationFailure::WriteFailed,
                               QStringLiteral("%1: %2").arg(header.targetPath(), header.errorString()));
    const QString pending = pendingChannelPath(target, header.identity().inode, ChannelChangeKind::Replace);
    DiskFileWriter disk;
    FileWriter& writer = request.writer != nullptr ? *request.writer : disk;
    dropCachedSamples(target);
    std::unique_ptr<FileWriter::File> out;
    for (;;) {
        out = writer.createReplacement(pending, error);
        if (!out)
            return operationFailed(OperationFailure::WriteFailed,
                                   QStringLiteral("%1: %2").arg(target, error));
        if (!computation.write(guess != 0 ? guess : sensitivity, *out, error)) {
            if (!computation.cancelled() && !computation.writeError().isEmpty())
                return operationFailed(OperationFailure::WriteFailed,
                                       QStringLiteral("%1: %2").arg(target, computation.writeError()));
            return readFailed();
        }
        if (guess == 0)
            break;
        const std::optional<std::uint8_t> found = computation.foundSensitivity();
        if (found == guess) {
            sensitivity = guess;
            break;
        }
        // The stretches missed the recording's extremes: what was written goes, and all is written
        // again at the sensitivity found.
        out.reset();
        guess = 0;
        computation.writeAgain(!found);
        if (found)
            sensitivity = *found;
        else if (!computation.findSensitivity(sensitivity, error))
            return readFailed();
    }
    const QString keyText = request.keyText.isEmpty() ? operationKeyText(request.op) : request.keyText;
    if (!openHeader(header,
                    headerWithDerivedKeys(request.rosPath, request.target, sensitivity, keyText, error),
                    error))
        return operationFailed(OperationFailure::WriteFailed, error);
    if (!out->commit())
        return operationFailed(OperationFailure::WriteFailed,
                               QStringLiteral("%1: %2").arg(target, out->errorString()));
    if (!commitChannelChange(lock, header, pending, target, ChannelChangeKind::Replace, error))
        return operationFailed(OperationFailure::WriteFailed, error);
    OperationResult result;
    result.sensitivity = sensitivity;
    result.samples = samples;
    result.operation = keyText;
    return result;
}

OperationResult removeDerivedChannel(const QString& rosPath, int channel, bool allowRecorded) {
    SetLock lock;
    if (OperationResult busy = lockSetForChange(rosPath, lock); !busy.ok())
        return busy;
    const QString target = sampleFilePath(rosPath, channel);
    const bool hasFile = anythingNamed(target);
    const DerivedChannelKeys keys = readDerivedChannelKeys(rosPath, channel);
    if (!hasFile && !keys.derived())
        return operationFailed(OperationFailure::NoChannel);
    if (hasFile && notRegular(target))
        return operationFailed(OperationFailure::WriteFailed,
                               QStringLiteral("%1: not a regular file").arg(target));
    if (hasFile && !keys.derived() && !allowRecorded)
        return operationFailed(OperationFailure::RecordedTarget);
    unsigned withData = 0;
    for (int c = 0; c < kChannels; ++c)
        if (identityOf(sampleFilePath(rosPath, c)).exists())
            withData |= 1u << c;
    QString error;
    SafeFile header(rosPath);
    if (!openHeader(header, headerWithoutDerivedKeys(rosPath, channel, withData, error), error))
        return operationFailed(OperationFailure::WriteFailed, error);
    const QString pending = pendingChannelPath(target, header.identity().inode, ChannelChangeKind::Remove);
    if ((hasFile && !prepareChannelRemoval(target, pending, error)) ||
        !commitChannelChange(lock, header, hasFile ? pending : QString(), target,
                             hasFile ? ChannelChangeKind::Remove : ChannelChangeKind::Replace, error))
        return operationFailed(OperationFailure::WriteFailed, error);
    OperationResult result;
    result.operation = keys.operation;
    return result;
}

} // namespace varnilog
