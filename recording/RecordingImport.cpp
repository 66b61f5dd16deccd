#include "recording/RecordingImport.h"

#include "recording/CsvFormat.h"
#include "recording/FileIdentity.h"
#include "recording/MarkerFile.h"
#include "recording/RecordingDescription.h"
#include "recording/RecordingFileSet.h"
#include "recording/RecordingHeader.h"
#include "recording/RecordingLoader.h"
#include "recording/SafeFile.h"
#include "recording/SampleSummary.h"
#include "recording/SetChange.h"
#include "recording/SigrokSession.h"
#include "recording/WavFormat.h"
#include "view/SampleCodes.h"
#include "view/ScaleTables.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

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

CoreError pathError(CoreErrorKind kind, const QString& path) {
    CoreError e = CoreError::of(kind);
    e.path = path;
    return e;
}

double timeBaseRate(int index) {
    return static_cast<double>(sampleRateHz(samplingPeriodTable[index]));
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
        QString reason;
        if (passIndex_ > 0 && !reader_.rewind(reason)) {
            result.error = CoreError::worded(reason);
            return false;
        }
        const qint64 base = std::max<qint64>(in_.size(), 1) * passIndex_++;
        for (;;) {
            const std::int64_t n = reader_.read(rows_, block_, reason);
            if (n < 0) {
                result.error = CoreError::worded(reason);
                return false;
            }
            if (n == 0)
                return true;
            if (!onBlock(rows_, n))
                return false;
            if (progress_ && !progress_(std::min<qint64>(base + in_.pos(), total_), total_)) {
                result.cancelled = true;
                result.error = CoreError::of(CoreErrorKind::Cancelled);
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

// The files of a set an import may leave or find beside it, pending or left by a deleted set.
constexpr std::array<const char*, 11> kSetFileExtensions{
    ".rca", ".rcb", ".rcc", ".rcd", ".roc", ".rmk", ".rsa", ".rsb", ".rsc", ".rsd", kDecodeResultsExtension};

// True when anything (a file, a folder, a link) has the name path, as the system names it.
bool nameInUse(const QString& path) {
    struct stat any {};
    return ::lstat(nativeFileName(path).constData(), &any) == 0;
}

// True when nobody holds a lock on the file at path (its writer is gone).
bool abandoned(const QString& path) {
    const int fd = ::open(nativeFileName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return true;
    const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return free;
}

// Removes the pending files of imports into base that were killed before their ".ros" was linked in:
// those of one header inode go together once none of them is locked by a live import any more.
void removeAbandonedImports(const QString& dir, const QString& base) {
    const QRegularExpression pendingRest(
        QStringLiteral("^([0-9a-f]+)\\.(?:new|del)(?:\\.[0-9a-f]{16}\\.part)?$"));
    std::map<QString, QStringList> byHeader;
    for (const QString& name : fileNamesIn(dir)) {
        for (const char* ext : kSetFileExtensions)
            for (const QString& prefix : {QStringLiteral(".%1%2.").arg(base, QLatin1String(ext)),
                                          QStringLiteral("..%1%2.").arg(base, QLatin1String(ext))})
                if (name.startsWith(prefix))
                    if (const auto m = pendingRest.match(QStringView(name).mid(prefix.size())); m.hasMatch())
                        byHeader[m.captured(1)] << dir + u'/' + name;
    }
    for (const auto& [header, paths] : byHeader)
        if (std::all_of(paths.begin(), paths.end(), abandoned))
            for (const QString& path : paths)
                ::unlink(nativeFileName(path).constData());
}

// The pending files of one import: locked while it runs, removed unless settled.
class ImportFiles {
public:
    ImportFiles() = default;
    ImportFiles(const ImportFiles&) = delete;
    ImportFiles& operator=(const ImportFiles&) = delete;
    ~ImportFiles() {
        for (std::size_t i = 0; i < pendingPaths.size() && !settled_; ++i)
            ::unlink(nativeFileName(pendingPaths[i]).constData());
        for (int fd : held_)
            ::close(fd);
    }

    void add(const QString& target, const QString& pending,
             ChannelChangeKind kind = ChannelChangeKind::Replace) {
        targets.push_back(target);
        pendingPaths.push_back(pending);
        kinds_.push_back(kind);
    }
    // Keeps the lock of the open file fd (taken by the safe writer) after the writer closes it.
    void hold(int fd) {
        const int own = fd >= 0 ? ::fcntl(fd, F_DUPFD_CLOEXEC, 0) : -1;
        if (own >= 0)
            held_.push_back(own);
    }
    // After the ".ros" is in place: every file takes its name (or a leftover goes), as the recovery
    // of a set would after a kill.
    void settle() {
        for (std::size_t i = 0; i < targets.size(); ++i) {
            const QByteArray target = nativeFileName(targets[i]), pending = nativeFileName(pendingPaths[i]);
            if (kinds_[i] == ChannelChangeKind::Replace) {
                ::rename(pending.constData(), target.constData());
            } else {
                ::unlink(target.constData());
                ::unlink(pending.constData());
            }
        }
        settled_ = true;
        if (!targets.empty()) {
            const int folder = ::open(nativeFileName(folderOfName(targets.front())).constData(),
                                      O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (folder >= 0) {
                ::fsync(folder);
                ::close(folder);
            }
        }
    }

    std::vector<QString> targets, pendingPaths;

private:
    std::vector<ChannelChangeKind> kinds_;
    std::vector<int> held_;
    bool settled_ = false;
};

// What a deleted set of the same name left (markers, summaries, sample files of channels this set
// does not have) goes with the new set's ".ros": each is made a pending removal.
bool removeLeftoversOfName(const RecordingFileSet& set, int channels, std::uint64_t inode, ImportFiles& made,
                           QString& error) {
    QStringList leftovers{markerFilePath(set.rosPath())};
    for (int c = 0; c < kChannels; ++c) {
        leftovers << summaryPathFor(set.path(kRecordingSampleExtensions[c]));
        if (c >= channels)
            leftovers << set.path(kRecordingSampleExtensions[c]);
    }
    for (const QString& path : leftovers) {
        if (!anythingNamed(path))
            continue;
        made.add(path, pendingChannelPath(path, inode, ChannelChangeKind::Remove), ChannelChangeKind::Remove);
        if (!prepareChannelRemoval(path, made.pendingPaths.back(), error))
            return false;
    }
    return true;
}

// The input opened (only a regular file, without waiting: a pipe's open would wait for a writer for
// ever) and its reader; null with the reason in error.
std::unique_ptr<ImportReader> openImportInput(const ImportRequest& request, QFile& in, QDateTime& inputTime,
                                              CoreError& error) {
    if (!openSetFileForReading(in, request.inputPath, {})) {
        const int reason = errno;
        const FileIdentity input = identityOf(request.inputPath);
        error = input.exists() && !input.regular
                    ? pathError(CoreErrorKind::NotRegularFile, request.inputPath)
                    : CoreError::worded(qt_error_string(reason)).at(request.inputPath);
        return nullptr;
    }
    // A recording's start is the time its first sample was taken; of a file, its last change is the
    // nearest time it tells.
    inputTime =
        QDateTime::fromMSecsSinceEpoch(identityOf(static_cast<int>(in.handle())).modifiedNs / 1000000);
    const auto makeReader = interchangeFormat(request.format).reader;
    if (makeReader == nullptr) {
        error = pathError(CoreErrorKind::NotImportable, request.inputPath);
        return nullptr;
    }
    std::unique_ptr<ImportReader> reader = makeReader(in);
    if (QString why; !reader->open(why)) {
        error = CoreError::worded(why).at(request.inputPath);
        return nullptr;
    }
    return reader;
}

// Sensitivities: given ones first; codes keep theirs; volts without one are scaled automatically.
// Sets the known ones in result and returns the channels still to scale.
std::array<bool, kChannels> givenSensitivities(const ImportRequest& request, const ImportFormatInfo& info,
                                               ImportResult& result) {
    std::array<bool, kChannels> findAuto{};
    for (int c = 0; c < info.channels; ++c) {
        std::uint8_t s = request.sensitivity[c];
        if (s == 0 && info.codes)
            s = info.sensitivity[c] != 0 ? info.sensitivity[c] : kDefaultCodeSensitivity;
        findAuto[c] = s == 0 || (request.autoSensitivity && !info.codes);
        result.sensitivity[c] = s;
    }
    return findAuto;
}

// A first pass for the channels to scale: the most sensitive that clips nothing of each.
bool scaleSensitivities(Passes& passes, const ImportFormatInfo& info,
                        const std::array<bool, kChannels>& findAuto, ImportResult& result) {
    std::array<double, kChannels> lo, hi;
    lo.fill(std::numeric_limits<double>::infinity());
    hi.fill(-std::numeric_limits<double>::infinity());
    const bool scanned = passes.pass(result, [&](const std::array<double*, kChannels>& rows, std::int64_t n) {
        for (int c = 0; c < info.channels; ++c)
            for (std::int64_t i = 0; i < n; ++i) {
                lo[c] = std::min(lo[c], rows[c][i]);
                hi[c] = std::max(hi[c], rows[c][i]);
            }
        return true;
    });
    if (!scanned)
        return false;
    for (int c = 0; c < info.channels; ++c)
        if (findAuto[c])
            result.sensitivity[c] = lo[c] <= hi[c] ? autoSensitivity(lo[c], hi[c]) : kDefaultCodeSensitivity;
    return true;
}

// The pass that writes each channel's codes into its pending file, counting the clipped ones.
bool writeCodes(Passes& passes, const ImportFormatInfo& info, std::int64_t block,
                const std::vector<std::unique_ptr<SafeFile>>& files, const ImportFiles& made,
                ImportResult& result) {
    std::vector<std::uint8_t> codes(static_cast<std::size_t>(block));
    return passes.pass(result, [&](const std::array<double*, kChannels>& rows, std::int64_t n) {
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
                result.error.at(made.targets[static_cast<std::size_t>(c)]);
                return false;
            }
        }
        result.samples += n;
        return true;
    });
}

// The new set's header, written whole: a set never shows without the keys of its third channel.
RecordingHeader importHeader(const ImportResult& result, const QDateTime& inputTime) {
    RecordingHeader header;
    header.timeBaseIndex = static_cast<std::uint8_t>(result.timeBase);
    header.channelCount = static_cast<std::uint8_t>(result.channels);
    header.start = recordingBaseName(inputTime);
    for (int c = 0; c < result.channels; ++c) {
        if (c < kHeaderChannels) {
            header.sensitivity[c] = result.sensitivity[c];
            header.mode[c] = ModeDC;
        } else {
            header.derivedSensitivity[c - kHeaderChannels] = result.sensitivity[c];
        }
    }
    return header;
}

} // namespace

int timeBaseForRate(double hertz) {
    for (int i = 1; i <= kTimeBaseCount; ++i)
        if (withinRateTolerance(hertz, timeBaseRate(i)))
            return i;
    return 0;
}

std::array<int, 2> nearestTimeBases(double hertz) {
    std::array<int, 2> nearest{};
    for (int i = 1; i <= kTimeBaseCount; ++i) {
        if (timeBaseRate(i) < hertz)
            nearest[0] = i;
        else if (nearest[1] == 0)
            nearest[1] = i;
    }
    return nearest;
}

QString sampleRateText(double hertz) {
    return rateText(hertz);
}

namespace {

// The refusal of a sample rate that matches no time base, naming the nearest.
CoreError noTimeBase(const QString& inputPath, double hertz) {
    CoreError e = pathError(CoreErrorKind::NoTimeBase, inputPath);
    e.other = rateText(hertz);
    const std::array<int, 2> nearest = nearestTimeBases(hertz);
    e.first = nearest[0];
    e.second = nearest[1];
    return e;
}

// Each channel's sample file opened at its pending name; false with the reason in error.
bool openChannelFiles(const RecordingFileSet& set, int channels, std::uint64_t inode, ImportFiles& made,
                      std::vector<std::unique_ptr<SafeFile>>& files, QString& error) {
    for (int c = 0; c < channels; ++c) {
        const QString target = set.path(kRecordingSampleExtensions[c]);
        made.add(target, pendingChannelPath(target, inode, ChannelChangeKind::Replace));
        files.push_back(std::make_unique<SafeFile>(made.pendingPaths.back()));
        if (!files.back()->open(QIODevice::WriteOnly)) {
            error = QStringLiteral("%1: %2").arg(target, files.back()->errorString());
            return false;
        }
    }
    return true;
}

} // namespace

ImportResult importRecording(const ImportRequest& request, const WorkProgress& progress) {
    ImportResult result;
    const auto failedWith = [&](const CoreError& why) {
        result.ok = false;
        if (!result.error.failed())
            result.error = why;
        return result;
    };
    const auto failed = [&](const QString& why) { return failedWith(CoreError::worded(why)); };
    const QFileInfo target(request.rosPath);
    const QString dir = folderOfName(absoluteFileName(request.rosPath)), base = target.completeBaseName();
    const CoreError nameTaken = pathError(CoreErrorKind::RecordingExists, request.rosPath);
    if (nameInUse(request.rosPath))
        return failedWith(nameTaken);
    removeAbandonedImports(dir, base);
    QFile in;
    QDateTime inputTime;
    CoreError inputError;
    const std::unique_ptr<ImportReader> reader = openImportInput(request, in, inputTime, inputError);
    if (!reader)
        return failedWith(inputError);
    QString error;
    const ImportFormatInfo& info = reader->info();
    result.channels = info.channels;
    if (!(info.sampleRateHz > 0) || !std::isfinite(info.sampleRateHz))
        return failedWith(pathError(CoreErrorKind::NoSampleRate, request.inputPath));
    result.timeBase = request.timeBase != 0 ? request.timeBase : timeBaseForRate(info.sampleRateHz);
    if (result.timeBase == 0)
        return failedWith(noTimeBase(request.inputPath, info.sampleRateHz));

    const std::array<bool, kChannels> findAuto = givenSensitivities(request, info, result);
    const bool anyAuto = std::ranges::any_of(findAuto, [](bool b) { return b; });
    const std::int64_t block = std::max<std::int64_t>(request.blockFrames, 1);
    Passes passes(*reader, in, anyAuto ? 2 : 1, progress, block);
    if (anyAuto && !scaleSensitivities(passes, info, findAuto, result))
        return failedWith(CoreError(result.error).at(request.inputPath));

    // Every file is made at a hidden pending name that carries the inode of the new ".ros"; linking
    // that ".ros" in without replacing claims the name and decides, and the pending files then take
    // their names (a kill in between is finished by the set's recovery on load).
    RecordingFileSet set(dir, base);
    SafeFile ros(set.rosPath());
    if (!ros.open(QIODevice::WriteOnly))
        return failed(QStringLiteral("%1: %2").arg(set.rosPath(), ros.errorString()));
    const std::uint64_t inode = ros.identity().inode;
    ImportFiles made;
    std::vector<std::unique_ptr<SafeFile>> files;
    if (!openChannelFiles(set, info.channels, inode, made, files, error))
        return failed(error);
    if (!writeCodes(passes, info, block, files, made, result))
        return failedWith(result.cancelled ? result.error : CoreError(result.error).at(request.inputPath));
    if (result.samples == 0)
        return failedWith(pathError(CoreErrorKind::NoSamples, request.inputPath));
    for (std::size_t c = 0; c < files.size(); ++c) {
        made.hold(files[c]->handle());
        if (!files[c]->commit())
            return failed(QStringLiteral("%1: %2").arg(made.targets[c], files[c]->errorString()));
    }
    result.description = describe(request, info, result);
    made.add(set.path(".roc"), pendingChannelPath(set.path(".roc"), inode, ChannelChangeKind::Replace));
    // A pending name has no header beside it to be locked: a failure is the system's reason.
    if (CoreError saveError;
        !saveRecordingDescription(made.pendingPaths.back(), result.description, &saveError))
        return failed(QStringLiteral("%1: %2").arg(set.path(".roc"), saveError.reason));

    const QByteArray headerText = newRecordingHeaderText(importHeader(result, inputTime));
    if (headerText.isEmpty())
        return failed(QStringLiteral("%1: %2").arg(set.rosPath(), error));
    if (CoreError writeError; !writeWhole(ros, headerText.constData(), headerText.size(), writeError))
        return failedWith(writeError.at(set.rosPath()));
    if (nameInUse(set.rosPath()))
        return failedWith(nameTaken);
    if (!removeLeftoversOfName(set, info.channels, inode, made, error))
        return failed(error);
    made.hold(ros.handle()); // the set's lock, until its files have their names
    if (!ros.commitNew())
        return ros.targetExisted() ? failedWith(nameTaken)
                                   : failed(QStringLiteral("%1: %2").arg(set.rosPath(), ros.errorString()));
    made.settle();
    result.ok = true;
    return result;
}

} // namespace varnilog
