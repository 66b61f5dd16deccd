// The input of one long job (export, spectrum): read-only handles of its own on the sample files of
// the recording on display, and the settings that recording was loaded with. A later load into the
// shared state's handles (the open command, the stop of a recording after a fault) cannot change what
// the job reads. Depends on QtCore and the shared state.
#pragma once

#include "app/SharedState.h"

#include <QFile>
#include <QIODevice>

#include <array>
#include <cstdint>

namespace varnilog {

class RecordingInput {
public:
    // Opens the files the loader holds open now, by their current names; a channel the loader has no
    // file for has none here either.
    explicit RecordingInput(const SharedState& state);
    RecordingInput(const RecordingInput&) = delete;
    RecordingInput& operator=(const RecordingInput&) = delete;

    // The open handles of channels A..D, nullptr for a channel without a file.
    std::array<QIODevice*, kChannels> files();
    std::int64_t sampleCount() const { return sampleCount_; } // -1: no ".rca"
    int channelCount() const { return channelCount_; }
    const std::array<std::uint8_t, kChannels>& channelSensitivity() const { return channelSensitivity_; }
    float samplingPeriodMs() const { return samplingPeriodMs_; }

private:
    std::array<QFile, kChannels> files_;
    std::int64_t sampleCount_ = -1;
    int channelCount_ = 0;
    std::array<std::uint8_t, kChannels> channelSensitivity_{};
    float samplingPeriodMs_ = 1.0f; // ms between two samples
};

} // namespace varnilog
