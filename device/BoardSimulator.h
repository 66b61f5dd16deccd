// A measuring board in software: bytes from the host go in, bytes for the host come out, paced by
// the time the caller passes in. It answers the identification command with its model, streams
// frames of a chosen waveform after the settings command (at the sampling period it was sent, at
// most the 92 160 bytes/s of the line), and stops on the stop byte. On request it misbehaves the
// ways real links do. Pure: no port, no thread, no clock of its own. Depends on device/Protocol.h
// and view/ScaleTables.h.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace varnilog {

// Pulse: isolated pulses of kPulseSamples samples at the amplitude, one at a random place in every
// kPulseSlot samples (the gaps between them vary), the zero line between them.
// Sweep: a sine whose frequency rises linearly from 0 to the channel's frequency over kSweepSeconds,
// then starts again from 0 (for the spectrogram).
// Uart: kUartText again and again as serial 8n1 at the channel's frequency in baud, idle high (+the
// amplitude, 0 bits at minus it), kUartIdleBits of idle line before each text (for the decoders).
enum class Waveform { Sine, Square, Triangle, Noise, Dc, Counter, Pulse, Sweep, Uart };

enum class Misbehaviour {
    None,
    NoReply,              // never answers the identification
    ReplyZero,            // answers 0
    TwoBytes,             // answers its model twice
    ReplyFive,            // answers 5, a model that does not exist
    SecondAttemptOnly,    // ignores the first identification command
    GarbageBetweenFrames, // puts a few stray bytes between frames now and then
    Burst,                // starts the stream with a burst far larger than the host's receive buffer
    HangUp,               // goes away in the middle of the stream
    NoFrames,             // streams bytes that never make a frame, as another device or a wrong speed
};

struct ChannelSignal {
    Waveform waveform = Waveform::Sine;
    double frequencyHz = 50.0;
    double amplitudeV = 1.0; // peak; the level of Dc
};

struct BoardOptions {
    int model = 1; // 1 = KZ100 .. 4 = KZ400
    std::array<ChannelSignal, 2> channels{};
    Misbehaviour misbehaviour = Misbehaviour::None;
    std::int64_t hangUpAfterBytes = 100000; // stream bytes sent before a HangUp board goes away
    std::int64_t burstBytes = 600000;       // stream bytes of a Burst board's first burst
    std::int64_t garbageEveryFrames = 997;  // frames between two stray groups of GarbageBetweenFrames
    // A real board does not see the host close the port: it streams on until its stop byte. Off, the
    // simulated board comes to rest whenever the program closes the port.
    bool streamsAfterClose = false;
};

class BoardSimulator {
public:
    static constexpr std::int64_t kLineBytesPerSecond = 92160; // 921600 baud, 10 bits per byte

    explicit BoardSimulator(BoardOptions options);

    // Bytes from the host, received at nowUs (microseconds on the caller's clock).
    void receive(std::span<const std::uint8_t> bytes, std::int64_t nowUs);
    // Writes the bytes due to the host by nowUs into out (whole frames only); returns how many.
    std::size_t produce(std::int64_t nowUs, std::span<std::uint8_t> out);
    // The host closed the port: forget the half-received command and stop streaming.
    void disconnect();
    // The line took everything produced so far at nowUs: frames late until then were the board's own
    // delay (a simulation that got no processor), which a real board never has, so none of them is
    // lost; only frames the host leaves waiting for over a second are.
    void lineTookAll(std::int64_t nowUs);

    bool streaming() const { return streaming_; }
    bool hungUp() const { return hungUp_; }
    std::int64_t framesSent() const { return framesSent_; }
    // Frames of every stream so far, the running one included.
    std::int64_t framesSentInAll() const { return earlierFrames_ + framesSent_; }
    int identifyCommandsSeen() const { return identifyCount_; }
    // What the last settings command asked for.
    int timeBaseIndex() const { return timeBaseIndex_; }
    int sensitivity(int channel) const { return sensitivity_[static_cast<std::size_t>(channel)]; }
    bool acCoupled(int channel) const { return acCoupled_[static_cast<std::size_t>(channel)]; }

    static constexpr std::int64_t kPulseSamples = 3;
    static constexpr std::int64_t kPulseSlot = 1024;
    static constexpr double kSweepSeconds = 10.0;
    static constexpr char kUartText[] = "KZ UART 8n1: 0123456789\r\n";
    static constexpr std::int64_t kUartIdleBits = 30;

    // The sample of a channel's waveform at sample number n, as the board's converter gives it.
    std::uint8_t sampleAt(int channel, std::int64_t n) const;

private:
    // True for a settings command, which (re)starts the stream.
    bool handleCommand();
    void startStream(std::int64_t nowUs);
    std::int64_t framesDue(std::int64_t nowUs) const;

    BoardOptions options_;
    std::array<std::uint8_t, 8> command_{};
    std::size_t commandLength_ = 0;
    std::vector<std::uint8_t> reply_; // control bytes waiting to go out, ahead of any frame
    bool streaming_ = false;
    bool hungUp_ = false;
    int identifyCount_ = 0;
    int timeBaseIndex_ = 0;
    std::array<int, 2> sensitivity_{1, 1}; // 0 when the channel is grounded
    std::array<bool, 2> acCoupled_{true, true};
    double framesPerSecond_ = 0.0;
    double periodSeconds_ = 0.0;
    std::int64_t streamStartUs_ = 0;
    std::int64_t framesSent_ = 0;
    std::int64_t earlierFrames_ = 0; // of the streams before the running one
    std::int64_t framesSkipped_ = 0; // frames the board sampled while nobody could take them
    std::int64_t dueWhenTaken_ = 0;  // frames due (before any skipped) when the line last took all
    std::int64_t streamBytes_ = 0;
    std::int64_t lastGarbageFrame_ = 0;
};

} // namespace varnilog
