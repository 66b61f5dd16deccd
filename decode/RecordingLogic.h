// Logic channels of a recording: each reads one of its sample files through a threshold and sets
// its bit of one byte per sample, stretch after stretch along the recording (the decoders' input and
// the logic channels of a sigrok session export). Reads through its own handles. Depends on the
// recording module (the checked open) and the vocabulary.
#pragma once

#include "decode/LogicThreshold.h"
#include "recording/FileIdentity.h"

#include <QFile>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace varnilog {

struct LogicInput {
    int channel = 0; // recording channel 0..3
    LogicLevel level;
    unsigned bit = 0; // of the logic byte
};

class RecordingLogic {
public:
    // files: the sample files of channels A..D; sensitivity: their V/div indices.
    RecordingLogic(const std::array<QString, 4>& files, const std::array<int, 4>& sensitivity,
                   const std::vector<LogicInput>& inputs, std::size_t blockSamples = 1 << 16);
    ~RecordingLogic();

    // False (with the file and the reason) when a file cannot be opened.
    bool open(QString& error);
    // The identity of each file opened (size -1 for a channel not read), once open.
    std::array<FileIdentity, 4> identities() const;
    // Sets the inputs' bits of logic[0, n) (the other bits zero) from samples [first, first + n); each
    // call continues the thresholds from the one before (call along the recording, in order). False
    // with the reason on a read error.
    bool read(std::int64_t first, std::int64_t n, std::uint8_t* logic, QString& error);

private:
    struct Reader;
    std::array<QString, 4> files_;
    std::vector<LogicInput> inputs_;
    std::vector<LogicThreshold> thresholds_;
    std::vector<std::unique_ptr<Reader>> readers_; // one per recording channel read
    std::vector<std::size_t> readerOf_;            // of each input
    std::size_t block_;
};

// Reads [from, to) of a sample file and gives its lowest and highest code; false (reason) on failure.
bool codeExtremes(const QString& file, std::int64_t from, std::int64_t to, std::uint8_t& lo, std::uint8_t& hi,
                  QString& error);

} // namespace varnilog
