#include "analysis/RecordingImport.h"

#include "analysis/WaveformOperations.h"
#include "recording/CsvFormat.h"
#include "recording/DiskFileWriter.h"
#include "recording/RecordingDescription.h"
#include "recording/RecordingFileSet.h"
#include "recording/RecordingHeader.h"
#include "recording/SafeFile.h"
#include "recording/SigrokSession.h"
#include "recording/WavFormat.h"
#include "view/ScaleTables.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

namespace varnilog {

namespace {

constexpr std::uint8_t kDefaultCodeSensitivity = 4; // 1 V/div for codes whose file names none

QString rateText(double hertz) {
    if (hertz >= 1e6)
        return QStringLiteral("%1 MHz").arg(hertz / 1e6, 0, 'g', 7);
    if (hertz >= 1e3)
        return QStringLiteral("%1 kHz").arg(hertz / 1e3, 0, 'g', 7);
    return QStringLiteral("%1 Hz").arg(hertz, 0, 'g', 7);
}

double timeBaseRate(int index) {
    return static_cast<double>(sampleRateHz(samplingPeriodTable[index]));
}

std::unique_ptr<ImportReader> makeReader(ImportFormat format, QIODevice& in) {
    switch (format) {
    case ImportFormat::Wav:
        return makeWavReader(in);
    case ImportFormat::Sigrok:
        return makeSigrokReader(in);
    case ImportFormat::Csv:
        return makeCsvReader(in);
    }
    return nullptr;
}

// The passes over the input with progress in bytes of it.
class Passes {
public:
    Passes(ImportReader& reader, QFile& in, int passes, const WorkProgress& progress, std::int64_t block)
        : reader_(reader), in_(in), total_(std::max<qint64>(in.size(), 1) * passes), progress_(progress),
          values_(kChannels, std::vector<double>(static_cast<std::size_t>(block))), block_(block) {
        for (int c = 0; c < kChannels; ++c)
            rows_[c] = values_[static_cast<std::size_t>(c)].data();
    }

    // Calls onBlock(rows, n) for every block of one pass; false with error (or cancelled) set.
    template <typename F> bool pass(ImportResult& result, F&& onBlock) {
        if (passIndex_ > 0 && !reader_.rewind(result.error))
            return false;
        const qint64 base = std::max<qint64>(in_.size(), 1) * passIndex_++;
        for (;;) {
            const std::int64_t n = reader_.read(rows_, block_, result.error);
            if (n < 0)
                return false;
            if (n == 0)
                return true;
            if (!onBlock(rows_, n))
                return false;
            if (progress_ && !progress_(std::min<qint64>(base + in_.pos(), total_), total_)) {
                result.cancelled = true;
                result.error = QString::fromUtf8("przerwano");
                return false;
            }
        }
    }

private:
    ImportReader& reader_;
    QFile& in_;
    qint64 total_;
    const WorkProgress& progress_;
    std::vector<std::vector<double>> values_;
    std::array<double*, kChannels> rows_{};
    std::int64_t block_;
    int passIndex_ = 0;
};

QString describe(const ImportRequest& request, const ImportFormatInfo& info, const ImportResult& result) {
    QString text =
        QCoreApplication::translate("varnilog::RecordingImport", "Import z pliku „%1” (%2, kanały: %3, %4).")
            .arg(QFileInfo(request.inputPath).fileName(), info.format)
            .arg(info.channels)
            .arg(rateText(info.sampleRateHz));
    if (info.codesFromComment)
        text += QCoreApplication::translate("varnilog::RecordingImport",
                                            " Plik zapisany ponownie z naszym komentarzem ICMT: próbki "
                                            "wzięte jako kody, czułości z komentarza.");
    if (request.timeBase != 0)
        text += QCoreApplication::translate("varnilog::RecordingImport",
                                            " Podstawa czasu wymuszona: %1 (plik: %2).")
                    .arg(timeBaseCaption(request.timeBase), rateText(info.sampleRateHz));
    QStringList clipped;
    for (int c = 0; c < info.channels; ++c)
        if (result.clipped[c] > 0)
            clipped << QStringLiteral("%1: %2").arg(QChar(channelName[c])).arg(result.clipped[c]);
    if (!clipped.isEmpty())
        text += QCoreApplication::translate("varnilog::RecordingImport", " Obcięte próbki: %1.")
                    .arg(clipped.join(QStringLiteral(", ")));
    return text;
}

} // namespace

bool importFormatFromName(const QString& nameOrPath, ImportFormat& format, bool isPath) {
    const QString name = (isPath ? QFileInfo(nameOrPath).suffix() : nameOrPath).toLower();
    if (name == QLatin1String("wav"))
        format = ImportFormat::Wav;
    else if (name == QLatin1String("sr"))
        format = ImportFormat::Sigrok;
    else if (name == QLatin1String("csv"))
        format = ImportFormat::Csv;
    else
        return false;
    return true;
}

int timeBaseForRate(double hertz) {
    for (int i = 1; i <= kTimeBaseCount; ++i)
        if (withinRateTolerance(hertz, timeBaseRate(i)))
            return i;
    return 0;
}

QString nearestTimeBases(double hertz) {
    int below = 0, above = 0; // the time bases of the next lower and higher rate
    for (int i = 1; i <= kTimeBaseCount; ++i) {
        if (timeBaseRate(i) < hertz)
            below = i;
        else if (above == 0)
            above = i;
    }
    QStringList names;
    for (int i : {below, above})
        if (i != 0)
            names << QStringLiteral("%1 (time base %2, %3)")
                         .arg(rateText(timeBaseRate(i)))
                         .arg(i)
                         .arg(timeBaseCaption(i));
    return names.join(QStringLiteral(" or "));
}

ImportResult importRecording(const ImportRequest& request, const WorkProgress& progress) {
    ImportResult result;
    const auto failed = [&](const QString& why) {
        result.ok = false;
        if (result.error.isEmpty())
            result.error = why;
        return result;
    };
    const QFileInfo target(request.rosPath);
    const QString dir = target.absolutePath(), base = target.completeBaseName();
    if (RecordingFileSet::nameTaken(dir, base))
        return failed(QStringLiteral("%1: a recording of that name exists").arg(request.rosPath));
    QFile in(request.inputPath);
    if (QFileInfo(request.inputPath).isDir() || !in.open(QIODevice::ReadOnly))
        return failed(
            QStringLiteral("%1: %2").arg(request.inputPath, in.isOpen() ? QString() : in.errorString()));
    std::unique_ptr<ImportReader> reader = makeReader(request.format, in);
    QString error;
    if (!reader->open(error))
        return failed(QStringLiteral("%1: %2").arg(request.inputPath, error));
    const ImportFormatInfo& info = reader->info();
    result.channels = info.channels;
    if (!(info.sampleRateHz > 0) || !std::isfinite(info.sampleRateHz))
        return failed(QStringLiteral("%1: sample rate of 0 Hz").arg(request.inputPath));
    result.timeBase = request.timeBase != 0 ? request.timeBase : timeBaseForRate(info.sampleRateHz);
    if (result.timeBase == 0)
        return failed(
            QStringLiteral("%1: the sample rate %2 matches no time base within 0.1 %; nearest: %3 "
                           "(--time-base forces one)")
                .arg(request.inputPath, rateText(info.sampleRateHz), nearestTimeBases(info.sampleRateHz)));

    // Sensitivities: given ones first; codes keep theirs; volts without one are scaled automatically.
    std::array<bool, kChannels> findAuto{};
    bool anyAuto = false;
    for (int c = 0; c < info.channels; ++c) {
        std::uint8_t s = request.sensitivity[c];
        if (s == 0 && info.codes)
            s = info.sensitivity[c] != 0 ? info.sensitivity[c] : kDefaultCodeSensitivity;
        findAuto[c] = s == 0 || (request.autoSensitivity && !info.codes);
        anyAuto = anyAuto || findAuto[c];
        result.sensitivity[c] = s;
    }
    const std::int64_t block = std::max<std::int64_t>(request.blockFrames, 1);
    Passes passes(*reader, in, anyAuto ? 2 : 1, progress, block);
    if (anyAuto) {
        std::array<double, kChannels> lo, hi;
        lo.fill(std::numeric_limits<double>::infinity());
        hi.fill(-std::numeric_limits<double>::infinity());
        const bool scanned =
            passes.pass(result, [&](const std::array<double*, kChannels>& rows, std::int64_t n) {
                for (int c = 0; c < info.channels; ++c)
                    for (std::int64_t i = 0; i < n; ++i) {
                        lo[c] = std::min(lo[c], rows[c][i]);
                        hi[c] = std::max(hi[c], rows[c][i]);
                    }
                return true;
            });
        if (!scanned)
            return failed(QStringLiteral("%1: %2").arg(request.inputPath, result.error));
        for (int c = 0; c < info.channels; ++c)
            if (findAuto[c])
                result.sensitivity[c] =
                    lo[c] <= hi[c] ? autoSensitivity(lo[c], hi[c]) : kDefaultCodeSensitivity;
    }

    RecordingFileSet set(dir, base);
    std::vector<std::unique_ptr<SafeFile>> files;
    for (int c = 0; c < info.channels; ++c) {
        files.push_back(std::make_unique<SafeFile>(set.path(kRecordingSampleExtensions[c])));
        if (!files.back()->open(QIODevice::WriteOnly))
            return failed(
                QStringLiteral("%1: %2").arg(files.back()->targetPath(), files.back()->errorString()));
    }
    std::vector<std::uint8_t> codes(static_cast<std::size_t>(block));
    const bool written = passes.pass(result, [&](const std::array<double*, kChannels>& rows, std::int64_t n) {
        for (int c = 0; c < info.channels; ++c) {
            const double* v = rows[c];
            const int s = result.sensitivity[c];
            for (std::int64_t i = 0; i < n; ++i) {
                const std::int64_t code = info.codes ? std::llround(v[i]) : unclippedCode(v[i], s);
                result.clipped[c] += code < 0 || code > 255;
                codes[static_cast<std::size_t>(i)] =
                    static_cast<std::uint8_t>(std::clamp<std::int64_t>(code, 0, 255));
            }
            if (!writeWhole(*files[static_cast<std::size_t>(c)], reinterpret_cast<const char*>(codes.data()),
                            n, result.error)) {
                result.error = QStringLiteral("%1: %2").arg(files[static_cast<std::size_t>(c)]->targetPath(),
                                                            result.error);
                return false;
            }
        }
        result.samples += n;
        return true;
    });
    if (!written)
        return failed(result.cancelled ? result.error
                                       : QStringLiteral("%1: %2").arg(request.inputPath, result.error));
    if (result.samples == 0)
        return failed(QStringLiteral("%1: no samples").arg(request.inputPath));

    // The sample files first, the header last: a set without its ".ros" is no recording, and on any
    // failure every file made here goes again.
    const auto undo = [&](const QString& why) {
        for (auto& f : files)
            f->cancel();
        set.remove();
        QFile::remove(set.path(".roc"));
        return failed(why);
    };
    for (auto& f : files)
        if (!f->commit())
            return undo(QStringLiteral("%1: %2").arg(f->targetPath(), f->errorString()));
    RecordingHeader header;
    header.timeBaseIndex = static_cast<std::uint8_t>(result.timeBase);
    header.channelCount = static_cast<std::uint8_t>(info.channels);
    header.start = base;
    for (int c = 0; c < info.channels; ++c) {
        if (c < kHeaderChannels) {
            header.sensitivity[c] = result.sensitivity[c];
            header.mode[c] = ModeDC;
        } else {
            header.derivedSensitivity[c - kHeaderChannels] = result.sensitivity[c];
        }
    }
    result.description = describe(request, info, result);
    DiskFileWriter disk;
    QString headerError;
    if (!saveRecordingDescription(set.path(".roc"), result.description, &headerError) ||
        !writeRecordingHeader(set.rosPath(), header, disk, headerError))
        return undo(headerError);
    // The header's own keys stop at B; C and D keep their sensitivity in keys of their own, with no
    // operation: recorded data as far as the waveform operations are concerned.
    for (int c = kHeaderChannels; c < info.channels; ++c)
        if (!writeDerivedChannelKeys(set.rosPath(), c, result.sensitivity[c], QString(), headerError))
            return undo(headerError);
    result.ok = true;
    return result;
}

} // namespace varnilog
