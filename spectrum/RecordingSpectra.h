// The averaged spectrum of every channel of a whole recording, read block by block from the channels'
// sample files (one unsigned byte per sample, 125 = zero). Blocks of 131072 samples; a tail shorter
// than a block is not used unless the file is shorter than one block, which is then padded with the zero
// level. Channels may be computed in parallel; the numbers are the same as in a straight run.
// Depends on QtCore (QIODevice) and the block transform.
#pragma once

#include "spectrum/Fft.h"
#include "spectrum/SpectrumData.h"

#include <QIODevice>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

namespace varnilog {

class RecordingSpectra {
public:
    // Reports how far the computation has come: max = blocks of all channels, position = blocks done.
    // Always called on the thread that called ComputeRecordingSpectra.
    using Progress = std::function<void(int max, int position)>;

    // workers: how many channels are computed at the same time (1 = straight run on the caller's thread).
    // All work buffers are allocated here, none during a computation.
    explicit RecordingSpectra(int workers = 2);
    ~RecordingSpectra();
    RecordingSpectra(const RecordingSpectra&) = delete;
    RecordingSpectra& operator=(const RecordingSpectra&) = delete;

    // Reads files[0 .. channelCount-1] (open, readable, positioned anywhere; null or unreadable counts as
    // a silent channel) and writes the spectra, display points and peaks of those channels into out.
    // Channels from channelCount on keep their spectra and get a peak of 0. A channelCount above 4 (a
    // damaged header) computes the four channels there are.
    void ComputeRecordingSpectra(const std::array<QIODevice*, kChannels>& files, int channelCount,
                                 SpectrumData& out, const Progress& progress = {});

    // Blocks a sample file of the given length is read in: at least one, a partial tail dropped.
    static std::int64_t blockCount(std::int64_t fileSize);

private:
    struct Workspace;
    void computeChannel(Workspace& ws, QIODevice* file, std::int64_t blocks, std::array<float, fftSize>& out,
                        const std::function<void()>& blockDone);
    std::array<std::unique_ptr<Workspace>, kChannels> workspaces_;
    int workers_;
};

} // namespace varnilog
