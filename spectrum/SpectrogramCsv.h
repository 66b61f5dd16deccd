// The spectrogram's table: a header "block_start;frequency_hz;db", then one line per column and bin
// (columns, then bins, ascending; block_start the block's first sample; "." as decimal point), written
// column by column as they come, so the table of a long recording is never held whole. Depends on QtCore.
#pragma once

#include "spectrum/Spectrogram.h"

#include <QByteArray>
#include <QIODevice>

#include <vector>

namespace varnilog {

class SpectrogramCsv {
public:
    // peak: the spectrogram's largest magnitude (from a first pass), range: the floor in dB below it.
    SpectrogramCsv(QIODevice& device, const SpectrogramRequest& request, double samplingPeriodMs, float peak,
                   double range);
    bool header();
    bool column(std::int64_t column, const float* magnitudes);

private:
    bool write(const QByteArray& text);
    QIODevice& device_;
    SpectrogramRequest request_;
    float peak_;
    double range_;
    std::vector<QByteArray> frequencies_;
};

// The second pass: computes the request again from samples and writes the whole table to device.
// False when a write failed or progress stopped it.
bool writeSpectrogramCsv(QIODevice& device, QIODevice& samples, const SpectrogramRequest& request,
                         double samplingPeriodMs, float peak, double range,
                         const WorkProgress& progress = {});

} // namespace varnilog
