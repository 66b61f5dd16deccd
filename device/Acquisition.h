// Making a recording: start (open the port, identify the board, create the file set, send the
// settings command), one tick every 50 ms (take what the port received, split the frames, append
// them to the files, update the live preview) and stop (stop byte, take the rest, close, remove an
// empty set). Works on the shared state; reports what happens through a callback and everything
// else through the results below, as notices the window or the command line words; shows no window
// and decides nothing about one.
#pragma once

#include "app/AcquisitionNotice.h"
#include "app/Clock.h"
#include "app/CoreError.h"
#include "app/SharedState.h"
#include "device/FrameParser.h"
#include "device/LiveMarkers.h"
#include "device/Protocol.h"
#include "device/SampleRing.h"
#include "device/SerialLink.h"
#include "recording/RecentRecording.h"
#include "recording/RecordingFileSet.h"
#include "recording/SetLock.h"

#include <QString>

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>

namespace varnilog {

using StatusCallback = std::function<void(const AcquisitionNotice&)>;

inline constexpr int kRxBufferSize = 409600; // bytes of the receive buffer
inline constexpr int kAcqBlockSize = 204800; // samples per channel of one tick

// The settings command for the shared state's time base and channels A and B.
CommandFrame settingsCommand(const SharedState& state);

// What a settings command carries: the settings a stream runs with.
struct BoardSettings {
    std::uint8_t timeBaseIndex = 1;
    std::array<std::uint8_t, 2> sensitivity{}, mode{}, offset{};
    friend bool operator==(const BoardSettings&, const BoardSettings&) = default;
};
BoardSettings boardSettingsOf(const SharedState& state);

// Record: every sample goes to a new recording set. LookOnly: nothing is written; the newest samples
// stay in a ring of kLookOnlySeconds (at most kLookOnlyRingLimit per channel) until the next start.
enum class StartMode { Record, LookOnly };
inline constexpr int kLookOnlySeconds = 60;
inline constexpr std::int64_t kLookOnlyRingLimit = std::int64_t{64} << 20;

enum class StartStatus {
    PortNotOpened,   // reported with the port and the reason, the missing permission or the refused
                     // line speed (failure)
    NotIdentified,   // three attempts failed, port closed again
    NotReady,        // the port was already open without a fresh identification: nothing done
    FilesNotCreated, // port open, board identified, files missing: the user ends it with stop
    Sampling,        // settings command sent: start the 50 ms timer
};

struct StartResult {
    StartStatus status = StartStatus::PortNotOpened;
    bool modelChanged = false; // the board reported another model than the one selected
    QString baseName;          // for edFilename; empty when no set was begun
    int portError = 0;         // PortNotOpened: the system's error number of the open (SerialLink::openError)
    AcquisitionNotice failure; // PortNotOpened: what was reported (AccessDenied: the advice, for a box)
    QString filesError;        // FilesNotCreated: the file and the system's reason
};

enum class TickStatus {
    Idle,        // not sampling
    Waiting,     // too few bytes yet; nothing read
    Received,    // samples appended
    Overflow,    // receive backlog beyond the buffer: show failure, then stop
    WriteFailed, // a sample file could not be written: show failure, then stop
    PortLost,    // the device failed or went away: show failure, then stop
    FilesGone,   // the sample files vanished from the data folder (removed with it): show failure, then stop
};

struct TickResult {
    TickStatus status = TickStatus::Idle;
    std::int64_t samples = 0;      // sample pairs appended in this tick
    bool previewChanged = false;   // channelData rows A and B 0..499 changed: redraw
    std::int64_t skippedBytes = 0; // received bytes that were part of no frame, since the start
    // The board settings of the state differ from the stream's and have held still for
    // Acquisition::kSettingsSettleTicks ticks: time for continueWithNewSettings.
    bool settingsDue = false;
    AcquisitionNotice failure; // for the error box when the tick ends sampling
    bool endsSampling() const {
        return status == TickStatus::Overflow || status == TickStatus::WriteFailed ||
               status == TickStatus::PortLost || status == TickStatus::FilesGone;
    }
};

struct StopResult {
    QString rosPath;           // the recording to load; empty when the set was removed
    std::int64_t samples = -1; // length of ".rca", -1 when it could not be opened
    AcquisitionNotice failure; // for an error box: the last samples could not be written at the stop
    CoreError marksError;      // for the status panel: the markers taken could not be saved
};

struct SeamResult {
    bool continued = false;    // the new stream runs (recording: into baseName's set)
    QString closedRosPath;     // the set just closed; empty when it held no sample or nothing is written
    QString baseName;          // of the new set
    AcquisitionNotice failure; // for an error box: the old set's last samples or the new set failed; stop
    CoreError marksError;      // for the status panel: the old set's markers could not be saved
};

class Acquisition {
public:
    static constexpr int kTickIntervalMs = 50;
    static constexpr int kIdentifyAttempts = 3;
    static constexpr int kIdentifyPolls = 100; // 1 ms each
    static constexpr int kRetryPauseMs = 20;
    // Bytes that have been arriving this long, mostly not as frames, are reported: a wrong port, a
    // wrong line speed or another device would otherwise record nothing without a word.
    static constexpr int kFramelessNoticeMs = 1000;
    // A knob being turned changes the settings many times a second: only settings that held still
    // this long start a new stream.
    static constexpr int kSettingsSettleTicks = 6;

    Acquisition(SharedState& state, SerialLink& link, Clock& clock, StatusCallback status);
    // Where the files of the next recordings are written; nullptr (the default) is the disk. Not
    // owned; it must outlive the recording.
    void setFileWriter(FileWriter* writer) { fileWriter_ = writer; }

    StartResult start(StartMode mode = StartMode::Record);
    TickResult tick(bool previewOn);
    StopResult stop();
    // One settings command per stream, one time base per recording: ends the stream (stop byte, the
    // rest taken into the current set, which is closed with a marker labelled label at its last
    // sample), then starts the next one with the state's settings, into a new set whose first sample
    // bears the same marker (look-only: the ring starts afresh). Nothing the board sent is lost.
    SeamResult continueWithNewSettings(const QString& label);
    // The settings of the running (or last) stream.
    const BoardSettings& streamSettings() const { return streamSettings_; }
    // The stream writes nothing and keeps its newest samples in the ring (until the next start).
    bool lookOnly() const { return lookOnly_; }
    // The ring's samples as a recording (the stream's settings, the time of its first sample, the
    // markers inside it); no samples while nothing was looked at.
    RecentSamples recentSamples() const;

    // Between a start that opened the port and the stop that closes everything.
    bool active() const { return state_.portOpen || fileSet_ != nullptr; }
    // The ".ros" of the set being written; empty while idle.
    QString rosPath() const { return fileSet_ ? fileSet_->rosPath() : QString(); }
    // Total sample pairs appended to the current set (look-only: taken since the stream started).
    std::int64_t samplesRecorded() const { return fileSet_ ? fileSet_->samplesAppended() : ring_.total(); }
    // The recording's sample in the preview's first column after the last tick that updated it
    // (below 0 while fewer samples came).
    std::int64_t previewStart() const { return previewStart_; }
    // The samples of channel 0 (A) or 1 (B) that the last tick appended (TickResult::samples of them),
    // for the trigger; valid until the next tick.
    const std::uint8_t* tickSamples(int channel) const {
        return rx_->acqBlock[static_cast<std::size_t>(channel)].data();
    }
    // Received bytes kept for the next tick: the start of a frame that has not arrived whole.
    std::int32_t carriedBytes() const { return rx_->rxCarry; }
    // A user's mark at the newest sample, labelled with the clock's time; false while not sampling
    // (or when too many marks wait for the next save).
    bool addMark();
    // A trigger event caught at sample ("Pojedynczy"), labelled like a user's mark; false as addMark.
    bool addTriggerMark(std::int64_t sample);
    // A marker of this recording found outside the tick (a trend's run beyond a limit); false while
    // not sampling.
    bool addMarker(const Marker& marker);
    // Writes the markers of this recording when a save is due (at most every 5 s; stop saves the
    // rest). False with error set when the ".rmk" could not be written.
    bool saveMarksIfDue(CoreError& error);
    // The markers of this recording so far.
    std::vector<Marker> marks() const { return marks_.markers(); }

private:
    bool openPort(AcquisitionNotice& failure);
    void identifyBoard();
    int identifyOnce();
    QString freeBaseName();
    void updatePreview(std::int64_t n);
    std::int64_t previewStart_ = 0;
    // False once ".rca" or ".rcb" is no longer at its path in the data folder.
    bool sampleFilesInPlace() const;
    // Splits rxBuffer[0..total) and appends the samples; false on a write failure.
    bool parseAndAppend(std::int64_t total, std::int64_t& pairs, FrameLimit limit);
    void drainAtStop();
    // The stop byte, the board's settling time and the rest of the stream taken.
    void endStream();
    // Closes the set being written (its summaries and markers put in place); its ".ros" when it holds
    // samples, else empty (the set removed).
    QString closeSet(std::int64_t& samples, CoreError& marksError);
    // Creates the set of the next recording and locks it; false when its files cannot be created.
    bool beginSet(const QString& baseName);
    // Clears what a stream counts and sends its settings command.
    void beginStream();
    bool settingsSettled();
    // Says in the message panel when the stream is mostly not frames, and when frames take over.
    void watchForFrames();
    // The error box text of a failed write of the current set, with the system's reason.
    AcquisitionNotice writeFailure() const;
    void closePort();
    void report(const AcquisitionNotice& notice);
    void report(AcquisitionNoticeKind kind) { report(AcquisitionNotice::of(kind)); }

    SharedState& state_;
    SerialLink& link_;
    Clock& clock_;
    StatusCallback status_;
    FileWriter* fileWriter_ = nullptr;
    // The buffers of the link's traffic: fixed sizes, taken once with the acquisition.
    struct ReceiveBuffers {
        CommandFrame commandBuffer{};
        std::array<std::uint8_t, kRxBufferSize> rxBuffer{};
        std::int32_t rxCarry = 0; // bytes kept at the front of rxBuffer from the previous tick
        std::int32_t rxTotal = 0; // rxCarry plus the bytes read in this tick
        std::array<std::array<std::uint8_t, kAcqBlockSize>, 2> acqBlock{}; // samples of A and B
    };
    std::unique_ptr<ReceiveBuffers> rx_ = std::make_unique<ReceiveBuffers>();
    std::unique_ptr<RecordingFileSet> fileSet_;
    SetLock setLock_; // of the set being recorded
    // ".rca" and ".rcb" of fileSet_, made once at start so the tick checks them without allocating.
    std::filesystem::path samplePaths_[2];
    bool fault_ = false;            // a tick ended sampling: no more ticks
    bool faultShown_ = false;       // a port or disk failure was reported: stop keeps that message
    bool writeFailed_ = false;      // the files must not be written again
    std::int64_t skippedBytes_ = 0; // received bytes of this recording that were part of no frame
    int ticksSinceFirstByte_ = -1;  // -1 until the first bytes of this recording arrived
    bool framelessShown_ = false;   // the message panel says the stream holds no frames
    LiveMarkers marks_;             // user's marks and data losses of this recording
    BoardSettings streamSettings_;  // sent with the running stream's settings command
    BoardSettings wantedSettings_;  // the state's, while they differ from the stream's
    int settleTicks_ = -1;          // ticks the wanted settings held still; -1: none wanted
    bool lookOnly_ = false;
    SampleRing ring_;     // look-only: the newest samples
    QDateTime lookStart_; // look-only: when the stream started
};

} // namespace varnilog
