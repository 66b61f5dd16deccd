#include "spectrum/SpectrogramCsv.h"

namespace varnilog {

SpectrogramCsv::SpectrogramCsv(QIODevice& device, const SpectrogramRequest& request, double samplingPeriodMs,
                               float peak, double range)
    : device_(device), request_(request), peak_(peak), range_(range) {
    for (std::int32_t k = 0; k < spectrogramBins(request.block); ++k)
        frequencies_.push_back(
            QByteArray::number(spectrogramBinHz(k, request.block, samplingPeriodMs), 'g', 10));
}

bool SpectrogramCsv::header() {
    return write("block_start;frequency_hz;db\n");
}

bool SpectrogramCsv::column(std::int64_t column, const float* magnitudes) {
    const QByteArray start = QByteArray::number(request_.from + column * request_.hopOrBlock());
    QByteArray text;
    text.reserve(static_cast<qsizetype>(frequencies_.size()) * 32);
    for (std::size_t k = 0; k < frequencies_.size(); ++k) {
        text += start;
        text += ';';
        text += frequencies_[k];
        text += ';';
        text += QByteArray::number(spectrogramDb(magnitudes[k], peak_, range_), 'f', 3);
        text += '\n';
    }
    return write(text);
}

bool SpectrogramCsv::write(const QByteArray& text) {
    return device_.write(text) == text.size();
}

bool writeSpectrogramCsv(QIODevice& device, QIODevice& samples, const SpectrogramRequest& request,
                         double samplingPeriodMs, float peak, double range, const WorkProgress& progress) {
    SpectrogramCsv lines(device, request, samplingPeriodMs, peak, range);
    return lines.header() &&
           computeSpectrogram(
               samples, request, [&](std::int64_t c, const float* m) { return lines.column(c, m); },
               progress);
}

} // namespace varnilog
