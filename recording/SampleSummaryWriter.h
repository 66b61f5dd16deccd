// Writes the summary of a sample file as its samples come, so a recording has its summary the moment
// it stops and nobody reads the samples a second time. The pairs stream to the safe writer's unnamed
// temporary beside the summary; finish adds the 65 536-sample pairs and the trailer and commits it. The
// buffers are fixed when the writer is made: feeding samples allocates nothing. Depends on QtCore and
// recording/FileWriter.
#pragma once

#include "recording/FileIdentity.h"
#include "recording/FileWriter.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace varnilog {

class SampleSummaryWriter {
public:
    SampleSummaryWriter();
    ~SampleSummaryWriter();
    SampleSummaryWriter(const SampleSummaryWriter&) = delete;
    SampleSummaryWriter& operator=(const SampleSummaryWriter&) = delete;

    // Begins the summary of samplePath (whose samples are all still to come) in a temporary file made
    // through writer; an older summary stays until finish replaces it. False when the temporary file
    // cannot be made: the writer then counts the samples and writes nothing.
    bool start(const QString& samplePath, FileWriter& writer);
    // The samples appended to the sample file, in order. A failed write of the summary only ends it.
    void add(std::span<const std::uint8_t> samples);
    // The sample file is complete with that identity (its size is the length in samples): completes
    // the summary and puts it in place. False, with nothing left behind, when any write failed or the
    // samples added are not the sample file's.
    bool finish(const FileIdentity& sample);
    // Drops the summary begun: nothing of it stays.
    void abandon();
    // Between a start that made the temporary file and finish, abandon or a failed write.
    bool active() const { return file_ != nullptr; }

    // The sample file's identity as finish wants it (size -1 when it cannot be read).
    static FileIdentity identify(const QString& samplePath);

private:
    bool flushPairs();
    bool appendCoarsePairs();

    QString finalPath_;
    std::unique_ptr<FileWriter::File> file_;
    std::vector<std::uint8_t> pairs_; // fine pairs not yet written; fixed capacity
    std::size_t pairBytes_ = 0;
    std::int64_t samples_ = 0;
    std::uint8_t lo_ = 255;
    std::uint8_t hi_ = 0;
};

} // namespace varnilog
