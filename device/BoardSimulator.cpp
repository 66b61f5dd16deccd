#include "device/BoardSimulator.h"

#include "device/Protocol.h"
#include "view/SampleCodes.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace varnilog {

namespace {

constexpr double kLineFramesPerSecond = static_cast<double>(BoardSimulator::kLineBytesPerSecond) / kFrameSize;
// Stray bytes of a misbehaving board; none is a frame marker, so they can never fake a frame.
constexpr std::array<std::uint8_t, 7> kGarbage{0xFF, 0x00, 0x13, 0x7E, 0xA5, 0x5A, 0x99};

std::uint32_t noiseAt(int channel, std::int64_t n) {
    // A fixed hash of the sample number: the same recording every run, no state to keep.
    auto x = static_cast<std::uint64_t>(n) * 0x9E3779B97F4A7C15ull + static_cast<std::uint64_t>(channel + 1);
    x ^= x >> 31;
    x *= 0xBF58476D1CE4E5B9ull;
    x ^= x >> 29;
    return static_cast<std::uint32_t>(x);
}

} // namespace

BoardSimulator::BoardSimulator(BoardOptions options) : options_(options) {}

void BoardSimulator::receive(std::span<const std::uint8_t> bytes, std::int64_t nowUs) {
    for (const std::uint8_t byte : bytes) {
        if (hungUp_)
            return;
        if (byte == kStopCommand && (streaming_ || commandLength_ == 0)) {
            streaming_ = false;
            commandLength_ = 0;
            continue;
        }
        command_[commandLength_++] = byte;
        if (commandLength_ < command_.size())
            continue;
        if (commandChecksum(command_) != command_[7]) {
            // Out of step with the host: look for a command one byte further on.
            std::copy(command_.begin() + 1, command_.end(), command_.begin());
            commandLength_ = command_.size() - 1;
            continue;
        }
        if (handleCommand())
            startStream(nowUs);
        commandLength_ = 0;
    }
}

bool BoardSimulator::handleCommand() {
    if (command_ == identifyCommand()) {
        ++identifyCount_;
        const auto model = static_cast<std::uint8_t>(options_.model);
        switch (options_.misbehaviour) {
        case Misbehaviour::NoReply:
            break;
        case Misbehaviour::ReplyZero:
            reply_.push_back(0);
            break;
        case Misbehaviour::TwoBytes:
            reply_.insert(reply_.end(), {model, model});
            break;
        case Misbehaviour::ReplyFive:
            reply_.push_back(5);
            break;
        case Misbehaviour::SecondAttemptOnly:
            if (identifyCount_ >= 2)
                reply_.push_back(model);
            break;
        default:
            reply_.push_back(model);
            break;
        }
        return false;
    }
    const std::uint8_t flags = command_[0];
    const int timeBase = 114 - command_[1];
    if ((flags & 0x03) != 0x03 || (flags & 0x3C) != 0 || timeBase < 1 || timeBase > kTimeBaseCount) {
        return false; // not a command this board knows
    }
    timeBaseIndex_ = timeBase;
    acCoupled_ = {(flags & 0x80) == 0, (flags & 0x40) == 0};
    sensitivity_ = {command_[2] >> 4, command_[3] >> 4};
    return true;
}

void BoardSimulator::startStream(std::int64_t nowUs) {
    streaming_ = true;
    periodSeconds_ = samplingPeriodTable[static_cast<std::size_t>(timeBaseIndex_)] / 1000.0;
    framesPerSecond_ = std::min(1.0 / periodSeconds_, kLineFramesPerSecond);
    streamStartUs_ = nowUs;
    earlierFrames_ += framesSent_;
    framesSent_ = 0;
    framesSkipped_ = 0;
    dueWhenTaken_ = 0;
    streamBytes_ = 0;
    lastGarbageFrame_ = 0;
}

void BoardSimulator::lineTookAll(std::int64_t nowUs) {
    if (streaming_)
        dueWhenTaken_ = framesDue(nowUs) + framesSkipped_;
}

void BoardSimulator::disconnect() {
    streaming_ = false;
    commandLength_ = 0;
    reply_.clear();
}

std::int64_t BoardSimulator::framesDue(std::int64_t nowUs) const {
    const double elapsed = static_cast<double>(std::max<std::int64_t>(nowUs - streamStartUs_, 0)) / 1e6;
    // The first frame comes one period after the settings command, as the converter needs that
    // long for it. The tiny margin keeps periods stored in single precision (0.1 ms) exact.
    auto due = static_cast<std::int64_t>(elapsed * framesPerSecond_ + 1e-3);
    if (options_.misbehaviour == Misbehaviour::Burst)
        due += options_.burstBytes / static_cast<std::int64_t>(kFrameSize);
    return due - framesSkipped_;
}

std::size_t BoardSimulator::produce(std::int64_t nowUs, std::span<std::uint8_t> out) {
    std::size_t used = 0;
    const std::size_t replyBytes = std::min(reply_.size(), out.size());
    std::copy_n(reply_.begin(), replyBytes, out.begin());
    reply_.erase(reply_.begin(), reply_.begin() + static_cast<std::ptrdiff_t>(replyBytes));
    used += replyBytes;
    if (!streaming_ || hungUp_)
        return used;

    // A board whose frames nobody takes loses them at its transmitter: keep at most 1 s waiting.
    const std::int64_t burstFrames = options_.misbehaviour == Misbehaviour::Burst
                                         ? options_.burstBytes / static_cast<std::int64_t>(kFrameSize)
                                         : 0;
    const auto backlogLimit = std::max<std::int64_t>(static_cast<std::int64_t>(framesPerSecond_), 64);
    std::int64_t due = framesDue(nowUs);
    const std::int64_t waitingFrom = std::max(framesSent_, dueWhenTaken_ - framesSkipped_);
    if (framesSent_ >= burstFrames && due - waitingFrom > backlogLimit) {
        framesSkipped_ += due - waitingFrom - backlogLimit;
        due = waitingFrom + backlogLimit;
    }

    const bool garbage = options_.misbehaviour == Misbehaviour::GarbageBetweenFrames;
    while (framesSent_ < due && out.size() - used >= kFrameSize + kGarbage.size()) {
        if (options_.misbehaviour == Misbehaviour::HangUp && streamBytes_ >= options_.hangUpAfterBytes) {
            hungUp_ = true;
            break;
        }
        if (garbage && framesSent_ - lastGarbageFrame_ >= options_.garbageEveryFrames) {
            lastGarbageFrame_ = framesSent_;
            const auto count =
                static_cast<std::size_t>(1 + framesSent_ % static_cast<std::int64_t>(kGarbage.size()));
            std::copy_n(kGarbage.begin(), count, out.begin() + static_cast<std::ptrdiff_t>(used));
            used += count;
            streamBytes_ += static_cast<std::int64_t>(count);
        }
        if (options_.misbehaviour == Misbehaviour::NoFrames) {
            for (std::size_t k = 0; k < kFrameSize; ++k)
                out[used++] = kGarbage[static_cast<std::size_t>(streamBytes_++) % kGarbage.size()];
            ++framesSent_;
            continue;
        }
        const std::int64_t n = framesSent_ + framesSkipped_;
        out[used++] = kFrameMarkerA;
        out[used++] = sampleAt(0, n);
        out[used++] = kFrameMarkerB;
        out[used++] = sampleAt(1, n);
        streamBytes_ += static_cast<std::int64_t>(kFrameSize);
        ++framesSent_;
    }
    return used;
}

std::uint8_t BoardSimulator::sampleAt(int channel, std::int64_t n) const {
    const auto ch = static_cast<std::size_t>(channel);
    const ChannelSignal& signal = options_.channels[ch];
    if (signal.waveform == Waveform::Counter)
        return static_cast<std::uint8_t>((n >> (8 * channel)) & 0xFF);
    const int sens = sensitivity_[ch];
    if (sens < 1 || sens > kSensitivityCount)
        return kZeroLine; // grounded input
    const double t = static_cast<double>(n) * periodSeconds_;
    const double phase = signal.frequencyHz * t - std::floor(signal.frequencyHz * t); // 0..1
    double volts = 0.0;
    switch (signal.waveform) {
    case Waveform::Sine:
        volts = signal.amplitudeV * std::sin(2.0 * std::numbers::pi * phase);
        break;
    case Waveform::Square:
        volts = phase < 0.5 ? signal.amplitudeV : -signal.amplitudeV;
        break;
    case Waveform::Triangle:
        volts = signal.amplitudeV * (phase < 0.5 ? 4.0 * phase - 1.0 : 3.0 - 4.0 * phase);
        break;
    case Waveform::Noise:
        volts = signal.amplitudeV * (static_cast<double>(noiseAt(channel, n)) / 4294967295.0 * 2.0 - 1.0);
        break;
    case Waveform::Dc:
        volts = acCoupled_[ch] ? 0.0 : signal.amplitudeV; // AC coupling blocks a constant level
        break;
    case Waveform::Pulse: {
        const std::int64_t slot = n / kPulseSlot;
        const std::int64_t start = slot * kPulseSlot + 100 + noiseAt(channel, slot) % (kPulseSlot - 200);
        volts = n >= start && n < start + kPulseSamples ? signal.amplitudeV : 0.0;
        break;
    }
    case Waveform::Sweep: {
        // Frequency f t / T at time t into the sweep: the phase is its integral, f t^2 / 2T.
        const double into = std::fmod(t, kSweepSeconds);
        const double cycles = signal.frequencyHz * into * into / (2.0 * kSweepSeconds);
        volts = signal.amplitudeV * std::sin(2.0 * std::numbers::pi * (cycles - std::floor(cycles)));
        break;
    }
    case Waveform::Uart: {
        // Bit k of the stream lasts from k / baud on: start bit 0, eight data bits from the lowest,
        // stop bit 1, each text followed by idle line.
        constexpr std::int64_t textBits = static_cast<std::int64_t>(sizeof(kUartText) - 1) * 10;
        const auto bit = static_cast<std::int64_t>(std::floor(t * signal.frequencyHz + 1e-9));
        // The idle line comes first, so a receiver starting with the stream finds the first start bit.
        const std::int64_t at = bit % (textBits + kUartIdleBits) - kUartIdleBits, inFrame = at % 10;
        bool high = true;
        if (at >= 0 && inFrame < 9) {
            const auto byte = static_cast<unsigned char>(kUartText[at / 10]);
            high = inFrame > 0 && ((byte >> (inFrame - 1)) & 1u) != 0;
        }
        volts = high ? signal.amplitudeV : -signal.amplitudeV;
        break;
    }
    case Waveform::Counter:
        break;
    }
    return derivedCode(volts, sens);
}

} // namespace varnilog
