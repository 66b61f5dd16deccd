// Decoding a span of a recording: each channel of the bottom decoder reads a recording channel
// through its logic threshold, and the samples reach the decoders in fixed-size chunks with the
// recording's own sample numbers and rate, so a recording of hours never sits in memory. Depends on
// the recording module (the set's files), the analysis module (spans, code scans) and the vocabulary.
#pragma once

#include "analysis/SpanRequest.h"
#include "app/WorkProgress.h"
#include "decode/DecodeSession.h"
#include "decode/LogicThreshold.h"
#include "recording/FileIdentity.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace varnilog {

struct ChannelThreshold {
    std::optional<double> volts; // none: the middle of the channel's codes over the span
    double hysteresisDivisions = kDefaultLogicHysteresis;
};

struct RecordingDecodeRequest {
    std::array<QString, 4> sampleFiles;         // of channels A..D
    std::array<int, 4> sensitivity{1, 1, 1, 1}; // their V/div indices
    float samplingPeriodMs = 1.0f;
    SampleSpan span;                                   // within every file the decoder reads
    std::vector<DecoderSetting> stack;                 // bottom first
    std::vector<std::pair<std::string, int>> channels; // decoder channel -> recording channel 0..3
    std::array<ChannelThreshold, 4> thresholds;
    // Each chunk is one hand-over to the decoders' thread and back: on a busy machine every hand-over
    // waits for the scheduler, so a whole recording goes in pieces of a mebibyte (a fraction of a
    // second of busy UART, soon enough for progress and cancel).
    std::size_t chunkSamples = 1 << 20;
};

struct RecordingDecodeResult {
    DecodeProblem problem; // a setting refused or a decoder's exception
    QString readError;     // a sample file that could not be read
    bool cancelled = false;
    std::uint64_t sampleRateHz = 0;
    std::array<LogicLevel, 4> levels{}; // the levels used, of the channels read
    std::vector<const DecoderInfo*> decoders;
    std::array<FileIdentity, 4> samples; // the sample files read, as opened (size -1: not read)
    std::int64_t decodedTo = 0;          // one past the last sample fed to the decoders
    bool ok() const { return !problem.failed() && readError.isEmpty(); }
};

// Every annotation goes to sink as soon as the decoders give it; progress gets samples done of the
// span, and false from it stops the run (cancelled).
RecordingDecodeResult decodeRecording(const RecordingDecodeRequest& request,
                                      const std::function<void(const Annotation&)>& sink,
                                      const WorkProgress& progress = {});

} // namespace varnilog
