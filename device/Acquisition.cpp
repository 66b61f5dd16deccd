#include "device/Acquisition.h"

#include "app/DeviceModels.h"
#include "device/BoardSimulator.h"
#include "device/PosixSerialLink.h"
#include "device/Protocol.h"
#include "device/SerialPorts.h"
#include "view/ScaleTables.h"

#include <algorithm>
#include <cstring>

namespace varnilog {

namespace {

constexpr int kStopSettleMs = 200;
constexpr int kStopFinalMs = 50;
constexpr int kBaseNameWaitStepMs = 20;
constexpr int kDrainRounds = 64; // rxBuffer fills per stop: far more than the ring can hold

} // namespace

CommandFrame settingsCommand(const SharedState& s) {
    const auto ab = [](const std::array<std::uint8_t, kChannels>& v) {
        return BoardChannelSettings{v[0], v[1]};
    };
    return settingsCommand(s.timeBaseIndex, ab(s.channelSensitivity), ab(s.channelMode), ab(s.channelOffset));
}

BoardSettings boardSettingsOf(const SharedState& s) {
    return {s.timeBaseIndex,
            {s.channelSensitivity[0], s.channelSensitivity[1]},
            {s.channelMode[0], s.channelMode[1]},
            {s.channelOffset[0], s.channelOffset[1]}};
}

Acquisition::Acquisition(SharedState& state, SerialLink& link, Clock& clock, StatusCallback status)
    : state_(state), link_(link), clock_(clock), status_(std::move(status)) {}

void Acquisition::report(const AcquisitionNotice& notice) {
    if (status_)
        status_(notice);
}

bool Acquisition::openPort(AcquisitionNotice& failure) {
    if (!link_.open(state_.comPortName)) {
        const int error = link_.openError();
        failure.port = state_.comPortName;
        if (link_.speedRefused()) {
            failure.kind = AcquisitionNoticeKind::SpeedRefused;
        } else if (portAccessDenied(error)) {
            failure.kind = AcquisitionNoticeKind::AccessDenied;
            failure.access = portAccess(PosixSerialLink::devicePath(state_.comPortName));
        } else {
            failure.kind = AcquisitionNoticeKind::PortNotOpened;
            if (error != 0)
                failure.reason = qt_error_string(error);
        }
        report(failure);
        return false;
    }
    state_.portOpen = true;
    state_.retryCount = kIdentifyAttempts;
    report(AcquisitionNoticeKind::PortOpened);
    return true;
}

int Acquisition::identifyOnce() {
    rx_->commandBuffer = identifyCommand();
    link_.write(rx_->commandBuffer);
    rx_->rxBuffer[0] = 0;
    std::size_t got = 0;
    for (int poll = 0; poll < kIdentifyPolls; ++poll) {
        if (link_.queuedBytes() >= 1) {
            got = static_cast<std::size_t>(link_.read(std::span(rx_->rxBuffer.data(), 1)));
            break;
        }
        clock_.sleepMs(1);
    }
    if (link_.queuedBytes() != 0)
        return 0; // more than the one reply byte
    return judgeIdentificationReply(std::span<const std::uint8_t>(rx_->rxBuffer.data(), got),
                                    state_.maxModelNumber);
}

void Acquisition::identifyBoard() {
    while (state_.retryCount != 0) {
        --state_.retryCount;
        const int model = identifyOnce();
        if (model != 0) {
            state_.deviceModel = static_cast<std::uint8_t>(model);
            applyDeviceModelToState(state_);
            report(AcquisitionNoticeKind::Sampling);
            state_.samplingActive = true;
            state_.handshakeOk = true;
            return;
        }
        if (state_.retryCount == 0) {
            link_.close();
            report(AcquisitionNoticeKind::CommunicationFailed);
            state_.portOpen = false;
            return;
        }
        AcquisitionNotice retrying = AcquisitionNotice::of(AcquisitionNoticeKind::Retrying);
        retrying.number = state_.retryCount;
        report(retrying);
        clock_.sleepMs(kRetryPauseMs);
        link_.purge();
    }
}

QString Acquisition::freeBaseName() {
    QDateTime time = clock_.now();
    if (!RecordingFileSet::nameTaken(state_.dataDir, recordingBaseName(time)))
        return recordingBaseName(time);
    // That second already has a recording: wait for the clock's next second, and when even that
    // name is taken (a set named ahead of the clock), go on to the next free one.
    const QString taken = recordingBaseName(time);
    for (int waited = 0; waited <= 1100 && recordingBaseName(time) == taken; waited += kBaseNameWaitStepMs) {
        clock_.sleepMs(kBaseNameWaitStepMs);
        time = clock_.now();
    }
    if (recordingBaseName(time) == taken)
        time = time.addSecs(1);
    while (RecordingFileSet::nameTaken(state_.dataDir, recordingBaseName(time)))
        time = time.addSecs(1);
    return recordingBaseName(time);
}

StartResult Acquisition::start(StartMode mode) {
    StartResult result;
    const std::uint8_t modelBefore = state_.deviceModel;
    if (!state_.portOpen) {
        if (!openPort(result.failure)) {
            result.portError = link_.openError();
            return result;
        }
        identifyBoard();
        if (!state_.handshakeOk) {
            result.status = StartStatus::NotIdentified;
            return result;
        }
    } else if (!state_.handshakeOk) {
        result.status = StartStatus::NotReady;
        return result;
    }
    result.modelChanged = state_.deviceModel != modelBefore;
    state_.handshakeOk = false;
    state_.samplingActive = true;
    fault_ = false;
    faultShown_ = false;
    writeFailed_ = false;
    lookOnly_ = mode == StartMode::LookOnly;
    previewStart_ = -kDisplayColumns; // the old picture, before any sample of this recording
    for (int ch = 0; ch < 2; ++ch)
        std::fill_n(state_.channelData[static_cast<std::size_t>(ch)].begin(), kDisplayColumns, 0);
    if (lookOnly_) {
        // Taken here once: the ticks only copy into it.
        ring_.reset(ringCapacity(
            samplingPeriodTable[std::clamp<std::size_t>(state_.timeBaseIndex, 1, kTimeBaseCount)],
            kLookOnlySeconds, BoardSimulator::kLineBytesPerSecond / kFrameSize, kLookOnlyRingLimit));
    } else {
        ring_.reset(0);
        result.baseName = freeBaseName();
        if (!beginSet(result.baseName)) {
            report(AcquisitionNoticeKind::FilesNotCreated);
            result.status = StartStatus::FilesNotCreated;
            result.filesError = fileSet_->writeError();
            return result;
        }
    }
    state_.zoomDivisor = 1;
    beginStream();
    result.status = StartStatus::Sampling;
    return result;
}

bool Acquisition::beginSet(const QString& baseName) {
    fileSet_ = std::make_unique<RecordingFileSet>(state_.dataDir, baseName, fileWriter_);
    // Samples without their header would be read back at the default time base and scales: a
    // header that cannot be written is a set that cannot be created.
    if (!fileSet_->writeSettings(state_) || !fileSet_->createSampleFiles())
        return false;
    // Held until the stop: no other program changes the set while it is being written.
    QString lockError;
    setLock_.lock(fileSet_->rosPath(), 0, lockError);
    samplePaths_[0] = std::filesystem::path(QFile::encodeName(fileSet_->path(".rca")).toStdString());
    samplePaths_[1] = std::filesystem::path(QFile::encodeName(fileSet_->path(".rcb")).toStdString());
    return true;
}

void Acquisition::beginStream() {
    // Bytes carried from an earlier stream never enter this one.
    rx_->rxCarry = 0;
    rx_->rxTotal = 0;
    skippedBytes_ = 0;
    ticksSinceFirstByte_ = -1;
    framelessShown_ = false;
    marks_.begin();
    ring_.clear();
    lookStart_ = clock_.now();
    streamSettings_ = boardSettingsOf(state_);
    settleTicks_ = -1;
    rx_->commandBuffer = settingsCommand(state_);
    // Whatever arrived since the identification (or the last stream's end) is not part of this one.
    link_.purge();
    link_.write(rx_->commandBuffer);
}

bool Acquisition::settingsSettled() {
    const BoardSettings wanted = boardSettingsOf(state_);
    if (wanted == streamSettings_) {
        settleTicks_ = -1;
        return false;
    }
    if (settleTicks_ < 0 || !(wanted == wantedSettings_)) {
        wantedSettings_ = wanted;
        settleTicks_ = 0;
        return false;
    }
    return ++settleTicks_ >= kSettingsSettleTicks;
}

void Acquisition::updatePreview(std::int64_t n) {
    // A tick of a whole picture or more shows its first samples; a shorter one shifts the newest in.
    const std::int64_t appended = samplesRecorded();
    previewStart_ = n >= kDisplayColumns ? appended - n : previewStart_ + n;
    for (std::size_t ch = 0; ch < 2; ++ch) {
        std::uint8_t* preview = state_.channelData[ch].data();
        const std::uint8_t* block = rx_->acqBlock[ch].data();
        if (n >= kDisplayColumns) {
            std::memcpy(preview, block, kDisplayColumns);
            continue;
        }
        const auto shift = static_cast<std::size_t>(n);
        std::memmove(preview, preview + shift, kDisplayColumns - shift);
        std::memcpy(preview + kDisplayColumns - shift, block, shift);
    }
}

bool Acquisition::parseAndAppend(std::int64_t total, std::int64_t& pairs, FrameLimit limit) {
    const FrameParseResult parsed =
        parseFrames(std::span<const std::uint8_t>(rx_->rxBuffer.data(), static_cast<std::size_t>(total)),
                    rx_->acqBlock[0].data(), rx_->acqBlock[1].data(), limit);
    pairs = parsed.pairs;
    skippedBytes_ += parsed.skipped;
    rx_->rxCarry = static_cast<std::int32_t>(parsed.carry);
    std::memmove(rx_->rxBuffer.data(), rx_->rxBuffer.data() + (total - parsed.carry),
                 static_cast<std::size_t>(parsed.carry));
    const auto count = static_cast<std::size_t>(pairs);
    if (lookOnly_) {
        ring_.append(std::span(rx_->acqBlock[0].data(), count), std::span(rx_->acqBlock[1].data(), count));
        return true;
    }
    return fileSet_->append(std::span(rx_->acqBlock[0].data(), count),
                            std::span(rx_->acqBlock[1].data(), count));
}

bool Acquisition::sampleFilesInPlace() const {
    for (const std::filesystem::path& path : samplePaths_) {
        std::error_code error;
        // Only a file that is not there counts; a folder we may not look into still holds it.
        if (std::filesystem::symlink_status(path, error).type() == std::filesystem::file_type::not_found)
            return false;
    }
    return true;
}

TickResult Acquisition::tick(bool previewOn) {
    TickResult result;
    if (!state_.samplingActive || fault_ || (!lookOnly_ && (!fileSet_ || !fileSet_->sampleFilesOpen())))
        return result;
    if (!lookOnly_ && !sampleFilesInPlace()) {
        // The open files would go on taking the samples after their folder was removed, and the
        // recording would vanish at stop without a word: stop now and say why.
        fault_ = true;
        writeFailed_ = true;
        faultShown_ = true;
        report(AcquisitionNoticeKind::FilesRemoved);
        result.status = TickStatus::FilesGone;
        result.failure = AcquisitionNotice::of(AcquisitionNoticeKind::StoppedFilesRemoved);
        return result;
    }
    // Noted before reading: every byte that came before the failure is in the queue by now.
    const bool portLost = link_.failed();
    const std::int64_t queued = link_.queuedBytes();
    const std::int64_t carry = rx_->rxCarry;
    if (queued + 2 * carry > kRxBufferSize) {
        fault_ = true;
        result.status = TickStatus::Overflow;
        result.failure = AcquisitionNotice::of(AcquisitionNoticeKind::StoppedOverflow);
        return result;
    }
    rx_->rxTotal = static_cast<std::int32_t>(queued + carry);
    result.status = TickStatus::Waiting;
    const std::int64_t firstSample = samplesRecorded(), skippedBefore = skippedBytes_;
    if (state_.portOpen && rx_->rxTotal > 8) {
        const std::int64_t got =
            link_.read(std::span(rx_->rxBuffer.data() + carry, static_cast<std::size_t>(queued)));
        rx_->rxTotal = static_cast<std::int32_t>(carry + got);
        const bool written = parseAndAppend(rx_->rxTotal, result.samples, FrameLimit::KeepNewest);
        if (previewOn) {
            updatePreview(result.samples);
            result.previewChanged = true;
        }
        result.status = TickStatus::Received;
        if (!written) {
            fault_ = true;
            writeFailed_ = true;
            faultShown_ = true;
            report(AcquisitionNoticeKind::WriteFailed);
            result.status = TickStatus::WriteFailed;
            result.failure = writeFailure();
            return result;
        }
    }
    marks_.noteTick(firstSample, skippedBytes_ - skippedBefore);
    result.skippedBytes = skippedBytes_;
    result.settingsDue = settingsSettled();
    if (!portLost) {
        watchForFrames();
        return result;
    }
    fault_ = true;
    faultShown_ = true;
    report(AcquisitionNoticeKind::PortLost);
    result.status = TickStatus::PortLost;
    result.failure = AcquisitionNotice::of(AcquisitionNoticeKind::StoppedPortLost);
    return result;
}

void Acquisition::watchForFrames() {
    constexpr int noticeTicks = kFramelessNoticeMs / kTickIntervalMs;
    if (ticksSinceFirstByte_ < 0 && rx_->rxTotal > 0)
        ticksSinceFirstByte_ = 0;
    else if (ticksSinceFirstByte_ >= 0 && ticksSinceFirstByte_ < noticeTicks)
        ++ticksSinceFirstByte_;
    if (ticksSinceFirstByte_ < noticeTicks)
        return;
    // Counted over the whole recording, so a few stray bytes or a frame that junk happens to
    // contain do not decide it.
    const bool frameless = skippedBytes_ > 4 * samplesRecorded();
    if (frameless == framelessShown_)
        return;
    framelessShown_ = frameless;
    report(frameless ? AcquisitionNoticeKind::NoFrames : AcquisitionNoticeKind::Sampling);
}

AcquisitionNotice Acquisition::writeFailure() const {
    AcquisitionNotice failure = AcquisitionNotice::of(AcquisitionNoticeKind::StoppedWriteFailed);
    failure.reason = fileSet_->writeError();
    return failure;
}

void Acquisition::drainAtStop() {
    for (int round = 0; round < kDrainRounds; ++round) {
        const std::int64_t carry = rx_->rxCarry;
        const std::int64_t room = kRxBufferSize - carry;
        const std::int64_t got =
            link_.read(std::span(rx_->rxBuffer.data() + carry, static_cast<std::size_t>(room)));
        std::int64_t taken = 0;
        const bool last = got < room;
        if (!parseAndAppend(carry + got, taken, last ? FrameLimit::TakeAll : FrameLimit::KeepNewest)) {
            writeFailed_ = true;
            return;
        }
        if (last)
            return;
    }
}

void Acquisition::closePort() {
    // After a failure of the port or the disk its message stays in the panel: one message each.
    if (!faultShown_)
        report(AcquisitionNoticeKind::Stopped);
    state_.portOpen = false;
    if (!link_.close())
        report(AcquisitionNoticeKind::PortNotClosed);
}

bool Acquisition::addMark() {
    if (!state_.samplingActive || (!fileSet_ && !lookOnly_))
        return false;
    const std::int64_t newest = std::max<std::int64_t>(samplesRecorded() - 1, 0);
    return marks_.noteMark(newest, clock_.now().time().msecsSinceStartOfDay());
}

bool Acquisition::addTriggerMark(std::int64_t sample) {
    if (!state_.samplingActive || (!fileSet_ && !lookOnly_))
        return false;
    return marks_.noteMark(sample, clock_.now().time().msecsSinceStartOfDay(), MarkerKind::Wyzwolenie);
}

bool Acquisition::addMarker(const Marker& marker) {
    if (!state_.samplingActive || !fileSet_)
        return false;
    marks_.noteMarker(marker);
    return true;
}

bool Acquisition::saveMarksIfDue(CoreError& error) {
    if (lookOnly_ && marks_.saveDue())
        marks_.keep(); // no file: the pending list only makes room
    return !fileSet_ || !marks_.saveDue() || marks_.save(fileSet_->rosPath(), error, setLock_.isLocked());
}

StopResult Acquisition::stop() {
    StopResult result;
    state_.samplingActive = false;
    state_.handshakeOk = false;
    if (!active())
        return result;
    endStream();
    if (writeFailed_ && fileSet_ && !faultShown_) {
        faultShown_ = true;
        report(AcquisitionNoticeKind::WriteFailed);
        result.failure = writeFailure();
    }
    if (state_.portOpen || link_.isOpen())
        closePort();
    rx_->rxCarry = 0;
    if (fileSet_) {
        result.rosPath = closeSet(result.samples, result.marksError);
        if (!result.rosPath.isEmpty())
            state_.recordingPath = result.rosPath;
    }
    fault_ = false;
    faultShown_ = false;
    return result;
}

void Acquisition::endStream() {
    const bool portUsable = state_.portOpen && link_.isOpen() && !link_.failed();
    if (portUsable) {
        rx_->commandBuffer.fill(0);
        link_.write(std::span(rx_->commandBuffer.data(), 1));
        clock_.sleepMs(kStopSettleMs);
        (void)link_.queuedBytes();
        clock_.sleepMs(kStopFinalMs);
    }
    // What arrived before the stop took effect belongs to the recording.
    if ((lookOnly_ || (fileSet_ && fileSet_->sampleFilesOpen())) && !writeFailed_ && state_.portOpen)
        drainAtStop();
}

QString Acquisition::closeSet(std::int64_t& samples, CoreError& marksError) {
    QString rosPath;
    fileSet_->closeSampleFiles();
    samples = fileSet_->measureLength();
    if (samples <= 0) {
        fileSet_->remove();
    } else {
        fileSet_->finishSummaries();
        rosPath = fileSet_->rosPath();
        (void)marks_.save(rosPath, marksError, setLock_.isLocked());
    }
    fileSet_.reset();
    setLock_.unlock();
    return rosPath;
}

SeamResult Acquisition::continueWithNewSettings(const QString& label) {
    SeamResult result;
    if (!state_.samplingActive || fault_ || !state_.portOpen || boardSettingsOf(state_) == streamSettings_)
        return result;
    endStream();
    if (writeFailed_) {
        fault_ = true;
        faultShown_ = true;
        report(AcquisitionNoticeKind::WriteFailed);
        result.failure = writeFailure();
        return result;
    }
    const std::int64_t taken = samplesRecorded();
    previewStart_ -= taken; // the picture goes on from the old stream's samples
    if (fileSet_) {
        marks_.noteLabelled(std::max<std::int64_t>(taken - 1, 0), label);
        std::int64_t samples = 0;
        result.closedRosPath = closeSet(samples, result.marksError);
        result.baseName = freeBaseName();
        if (!beginSet(result.baseName)) {
            fault_ = true;
            faultShown_ = true;
            report(AcquisitionNoticeKind::FilesNotCreated);
            result.failure = AcquisitionNotice::of(AcquisitionNoticeKind::FilesNotCreated);
            result.failure.reason = fileSet_->writeError();
            return result;
        }
    }
    beginStream();
    marks_.noteLabelled(0, label);
    result.continued = true;
    return result;
}

RecentSamples Acquisition::recentSamples() const {
    RecentSamples recent;
    if (!lookOnly_ || ring_.size() == 0)
        return recent;
    recent.a = ring_.samples(0);
    recent.b = ring_.samples(1);
    RecordingHeader& h = recent.header;
    h.timeBaseIndex = streamSettings_.timeBaseIndex;
    h.sensitivity = streamSettings_.sensitivity;
    h.mode = streamSettings_.mode;
    h.offset = streamSettings_.offset;
    h.channelCount = 2;
    const double periodMs =
        samplingPeriodTable[std::clamp<std::size_t>(streamSettings_.timeBaseIndex, 1, kTimeBaseCount)];
    const auto firstMs = static_cast<qint64>(static_cast<double>(ring_.firstKept()) * periodMs);
    h.start = recordingBaseName(lookStart_.addMSecs(firstMs));
    const std::int64_t first = ring_.firstKept(), last = ring_.total() - 1;
    for (Marker m : marks_.markers()) {
        if (m.end < first || m.start > last)
            continue;
        m.start = std::max(m.start, first) - first;
        m.end = std::min(m.end, last) - first;
        recent.markers.push_back(m);
    }
    return recent;
}

} // namespace varnilog
