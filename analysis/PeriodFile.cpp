#include "analysis/PeriodFile.h"

#include "recording/TextExport.h"
#include "view/ElapsedTime.h"
#include "view/ScaleTables.h"

namespace varnilog {

namespace {
constexpr qsizetype kFlushBytes = 1 << 20;
}

PeriodFileWriter::PeriodFileWriter(QIODevice& out, const QLocale& locale, float samplingPeriodMs,
                                   const std::array<std::uint8_t, kChannels>& sensitivity)
    : out_(out), locale_(locale), samplingPeriodMs_(samplingPeriodMs), sensitivity_(sensitivity) {
    locale_.setNumberOptions(QLocale::OmitGroupSeparator);
    pending_ = QByteArray(kPeriodFileHeader) + "\r\n";
}

QString PeriodFileWriter::numberText(double value, const QLocale& locale) {
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    return plain.toString(value, 'g', 10);
}

void PeriodFileWriter::add(const PeriodRecord& p) {
    if (failed())
        return;
    const double periodMs = p.length * static_cast<double>(samplingPeriodMs_);
    const std::uint8_t sensitivity = sensitivity_[static_cast<std::size_t>(p.channel)];
    const QString line = QString(QChar(channelName[static_cast<std::size_t>(p.channel)])) + ';' +
                         sampleTimeText(p.start, samplingPeriodMs_) + ';' + numberText(periodMs, locale_) +
                         ';' + numberText(1000.0 / periodMs, locale_) + ';' +
                         numberText(p.high / p.length * 100.0, locale_) + ';' +
                         exportVoltageText(p.hi, sensitivity, locale_) + ';' +
                         exportVoltageText(p.lo, sensitivity, locale_) + "\r\n";
    pending_ += line.toUtf8();
    if (pending_.size() >= kFlushBytes)
        flush();
}

bool PeriodFileWriter::flush() {
    qsizetype done = 0;
    while (done < pending_.size()) {
        const qint64 n = out_.write(pending_.constData() + done, pending_.size() - done);
        if (n <= 0) {
            error_ = out_.errorString().isEmpty() ? QStringLiteral("write failed") : out_.errorString();
            return false;
        }
        done += n;
    }
    pending_.clear();
    return true;
}

bool PeriodFileWriter::finish() {
    return !failed() && flush();
}

} // namespace varnilog
