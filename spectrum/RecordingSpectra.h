// The averaged spectrum of every channel of a whole recording (or of a span of it), read block by block
// from the channels' sample files (one unsigned byte per sample, 125 = zero). Blocks of 131072 samples; a
// tail shorter than a block is not used unless the span is shorter than one block, which is then padded
// with the zero level. The blocks may be computed in parallel; the numbers are the same as in a straight
// run. The progress callback may stop the computation. Depends on QtCore (QIODevice) and the block
// transform.
#pragma once

#include "app/WorkProgress.h"
#include "spectrum/Fft.h"
#include "spectrum/SpectrumData.h"

#include <QIODevice>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

namespace varnilog {

// The samples each channel's spectrum is taken over: from sample first, length samples (a negative
// length: to the end of the file). Positions past a file's end read as the zero level.
struct SpectrumSpan {
    std::int64_t first = 0;
    std::int64_t length = -1;
};

class RecordingSpectra {
public:
    // Reports how far the computation has come: blocks done of the blocks of all channels. Always called
    // on the thread that called ComputeRecordingSpectra; returning false stops the computation.
    using Progress = WorkProgress;

    using Span = SpectrumSpan;

    // workers: how many threads compute the blocks of each channel (1 = straight run on the caller's
    // thread); every bin adds the blocks in their order, so the result is the straight run's.
    // All work buffers are allocated here, none during a computation.
    explicit RecordingSpectra(int workers = 2);
    ~RecordingSpectra();
    RecordingSpectra(const RecordingSpectra&) = delete;
    RecordingSpectra& operator=(const RecordingSpectra&) = delete;

    // Reads files[0 .. channelCount-1] (open, readable, positioned anywhere; null or unreadable counts as
    // a silent channel) and writes the spectra, display points and peaks of those channels into out.
    // Channels from channelCount on keep their spectra and get a peak of 0. A channelCount above 4 (a
    // damaged header) computes the four channels there are. Returns false when the progress callback
    // stopped it; out is then left exactly as it was.
    bool ComputeRecordingSpectra(const std::array<QIODevice*, kChannels>& files, int channelCount,
                                 SpectrumData& out, const Progress& progress = {}, Span span = {});

    // Blocks a span of the given length is read in: at least one, a partial tail dropped.
    static std::int64_t blockCount(std::int64_t fileSize);

private:
    struct Workspace;
    struct Channel {
        QIODevice* file = nullptr;
        std::int64_t first = 0;  // first sample of the span
        std::int64_t end = 0;    // one past the last sample of the span that the file holds
        std::int64_t blocks = 0; // blocks of fftSize samples read from first on
    };
    static Channel channelSpan(QIODevice* file, Span span);
    // Reads block j of the channel into ws.bytes, and its spectrum into ws.blockSpectrum.
    static void readBlock(Workspace& ws, const Channel& channel, std::int64_t j);
    static void blockSpectrum(Workspace& ws);
    // False when stopped before the last block.
    bool computeChannel(Workspace& ws, const Channel& channel, std::array<float, fftSize>& out,
                        const std::function<bool()>& blockDone);
    std::array<std::unique_ptr<Workspace>, kChannels> workspaces_;
    // The averaged spectra of a computation, copied into the caller's data only when it completes.
    std::unique_ptr<std::array<std::array<float, fftSize>, kChannels>> results_;
    int workers_;
};

} // namespace varnilog
