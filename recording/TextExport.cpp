#include "recording/TextExport.h"

#include "recording/RecordingInput.h"
#include "view/ElapsedTime.h"
#include "view/ScaleTables.h"

#include <QFileDevice>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace varnilog {

namespace {

constexpr std::int64_t kBlockSamples = 65536;      // samples read per channel and block
constexpr std::size_t kFlushBytes = 1 << 20;       // output written in pieces of about this size
constexpr std::size_t kMaxLineBytes = 4 * 64 + 64; // generous bound of one line

// The text of one field (";" and the voltage), built once per channel and sample value.
struct FieldText {
    char text[24];
    std::uint8_t length;
};
using FieldTable = std::array<FieldText, 256>;

// Fixed point with four decimals, "-" as the sign and the locale's decimal separator.
QByteArray voltageBytes(double volts, const QByteArray& decimalPoint) {
    QByteArray text = QByteArray::number(volts, 'f', 4);
    if (text.startsWith("-") && text.count('0') == text.size() - 2)
        text.remove(0, 1); // a product that rounds to zero is written without a sign
    const qsizetype dot = text.indexOf('.');
    if (dot >= 0)
        text.replace(dot, 1, decimalPoint);
    return text;
}

FieldTable buildFieldTable(std::uint8_t sensitivityIndex, const QByteArray& decimalPoint) {
    FieldTable table{};
    for (int s = 0; s < 256; ++s) {
        const QByteArray text =
            ';' + voltageBytes(codeVolts(static_cast<std::uint8_t>(s), sensitivityIndex), decimalPoint);
        const auto n = std::min<qsizetype>(text.size(), sizeof(table[s].text));
        std::memcpy(table[s].text, text.constData(), static_cast<std::size_t>(n));
        table[s].length = static_cast<std::uint8_t>(n);
    }
    return table;
}

// Writes value padded with '0' to width digits; returns the new end.
char* putPadded(char* p, std::int64_t value, int width) {
    char digits[24];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value > 0);
    for (int i = n; i < width; ++i)
        *p++ = '0';
    while (n > 0)
        *p++ = digits[--n];
    return p;
}

// The elapsed-time text of one line, the same characters as formatElapsedTime without building a
// QString per line. Negative or huge times (never reached with a table period) take the slow path.
char* putElapsed(char* p, float ms) {
    const double x = static_cast<double>(ms);
    if (!(x >= 0.0 && x < 9.0e15)) {
        const QByteArray text = formatElapsedTime(ms).toLatin1();
        std::memcpy(p, text.constData(), static_cast<std::size_t>(text.size()));
        return p + text.size();
    }
    const auto t = static_cast<std::int64_t>(std::ceil(x));
    if (t < 36000000) { // below 10 hours (nearly every export): fixed widths, 32-bit arithmetic
        const auto u = static_cast<std::uint32_t>(t);
        const std::uint32_t h = u / 3600000, m = u % 3600000 / 60000, sec = u % 60000 / 1000, ms = u % 1000;
        const char text[14] = {'0',
                               '0',
                               '0',
                               static_cast<char>('0' + h),
                               ':',
                               static_cast<char>('0' + m / 10),
                               static_cast<char>('0' + m % 10),
                               ':',
                               static_cast<char>('0' + sec / 10),
                               static_cast<char>('0' + sec % 10),
                               ':',
                               static_cast<char>('0' + ms / 100),
                               static_cast<char>('0' + ms / 10 % 10),
                               static_cast<char>('0' + ms % 10)};
        std::memcpy(p, text, sizeof(text));
        return p + sizeof(text);
    }
    p = putPadded(p, t / 3600000, 4);
    *p++ = ':';
    p = putPadded(p, (t % 3600000) / 60000, 2);
    *p++ = ':';
    p = putPadded(p, (t % 60000) / 1000, 2);
    *p++ = ':';
    return putPadded(p, t % 1000, 3);
}

bool usable(QIODevice* device) {
    return device != nullptr && device->isOpen() && device->isReadable();
}

// Reads up to count bytes at position into buffer; returns the bytes delivered (0 past the end or for
// a missing file), or -1 on a read error.
qint64 readBlock(QIODevice* device, std::int64_t position, std::uint8_t* buffer, std::int64_t count) {
    if (!usable(device))
        return 0;
    if (!device->seek(position))
        return 0; // past the end of a shorter file
    qint64 total = 0;
    while (total < count) {
        const qint64 got = device->read(reinterpret_cast<char*>(buffer) + total, count - total);
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        total += got;
    }
    return total;
}

// The text waiting to go out, and how many whole lines have reached the device.
class PendingText {
public:
    PendingText() : buffer_(kFlushBytes + kMaxLineBytes) {}

    char* end() { return buffer_.data() + used_; }
    // Marks the line that was just built at end() up to lineEnd.
    void lineBuilt(char* lineEnd) {
        used_ = static_cast<std::size_t>(lineEnd - buffer_.data());
        ++linesBuilt_;
    }
    bool full() const { return used_ >= kFlushBytes; }
    std::int64_t linesDelivered() const { return linesDelivered_; }

    // Writes everything pending; false with error set when the device took only a part (or nothing).
    bool deliver(QIODevice& out, QString& error) {
        std::size_t done = 0;
        while (done < used_) {
            // A short count alone carries no reason: writing the rest either goes on or tells why not.
            const qint64 n = out.write(buffer_.data() + done, static_cast<qint64>(used_ - done));
            if (n <= 0) {
                error = failureText(out);
                return false;
            }
            done += static_cast<std::size_t>(n);
        }
        // A file device may keep the last bytes in its own buffer: only a flush shows a full disk.
        // A flush that wrote a part fails without a reason and keeps the rest: flushing again
        // either goes on or fails with the system's reason.
        if (auto* file = qobject_cast<QFileDevice*>(&out); file != nullptr) {
            for (qint64 left = file->bytesToWrite();;) {
                const bool flushed = file->flush();
                const qint64 now = file->bytesToWrite();
                if (flushed && now == 0)
                    break;
                if (now >= left) {
                    error = failureText(out);
                    return false;
                }
                left = now;
            }
        }
        used_ = 0;
        linesDelivered_ = linesBuilt_;
        return true;
    }

    static QString failureText(const QIODevice& out) {
        const QString reason = out.errorString();
        return reason.isEmpty() ? QString::fromUtf8("zapis nie powiódł się") : reason;
    }

private:
    std::vector<char> buffer_;
    std::size_t used_ = 0;
    std::int64_t linesBuilt_ = 0;
    std::int64_t linesDelivered_ = 0; // every line before this one is on the device whole
};

// Builds the lines of samples first .. first + count - 1 into pending, delivering it whenever it
// fills; false with error set when a delivery fails.
bool buildBlock(const TextExportSource& source, int channels, const std::array<FieldTable, kChannels>& fields,
                const std::uint8_t* samples, const std::array<qint64, kChannels>& delivered,
                std::int64_t first, std::int64_t count, PendingText& pending, QIODevice& out,
                QString& error) {
    for (std::int64_t i = 0; i < count; ++i) {
        char* p = putElapsed(pending.end(), static_cast<float>(first + i) * source.samplingPeriodMs);
        for (int c = 0; c < channels; ++c) {
            if (i < delivered[c]) {
                const FieldText& f = fields[c][samples[static_cast<std::size_t>(c * kBlockSamples + i)]];
                std::memcpy(p, f.text, f.length);
                p += f.length;
            } else {
                *p++ = ';'; // no sample in the file: an empty field, not a stale value
            }
        }
        *p++ = '\r';
        *p++ = '\n';
        pending.lineBuilt(p);
        if (pending.full() && !pending.deliver(out, error))
            return false;
    }
    return true;
}

} // namespace

TextExportSource textExportSourceFrom(RecordingInput& input) {
    TextExportSource source;
    source.sampleFiles = input.files();
    source.sampleCount = input.sampleCount();
    source.channelCount = input.channelCount();
    source.channelSensitivity = input.channelSensitivity();
    source.samplingPeriodMs = input.samplingPeriodMs();
    return source;
}

QString exportVoltageText(std::uint8_t sample, std::uint8_t sensitivityIndex, const QLocale& locale) {
    return QString::fromUtf8(
        voltageBytes(codeVolts(sample, sensitivityIndex), locale.decimalPoint().toUtf8()));
}

TextExportResult exportRecordingText(const TextExportSource& source, QIODevice& out, const QLocale& locale,
                                     const TextExportProgress& progress) {
    TextExportResult result;
    const std::int64_t total = std::max<std::int64_t>(source.sampleCount, 0);
    const int channels = std::clamp(source.channelCount, 0, kChannels);
    const QByteArray decimalPoint = locale.decimalPoint().toUtf8();

    std::array<FieldTable, kChannels> fields{};
    for (int c = 0; c < channels; ++c)
        fields[c] = buildFieldTable(source.channelSensitivity[c], decimalPoint);

    std::vector<std::uint8_t> samples(static_cast<std::size_t>(kChannels * kBlockSamples));
    PendingText pending;
    // Whatever ends the export, the result claims only the lines that are on the device whole.
    const auto fail = [&](QString error) {
        result.ok = false;
        result.error = std::move(error);
        result.linesWritten = pending.linesDelivered();
        return result;
    };

    for (std::int64_t first = 0; first < total; first += kBlockSamples) {
        const std::int64_t count = std::min(kBlockSamples, total - first);
        std::array<qint64, kChannels> delivered{};
        for (int c = 0; c < channels; ++c) {
            delivered[c] = readBlock(source.sampleFiles[c], first, samples.data() + c * kBlockSamples, count);
            if (delivered[c] < 0)
                return fail(QString::fromUtf8("Błąd odczytu pliku próbek kanału %1: %2")
                                .arg(QChar(channelName[c]))
                                .arg(source.sampleFiles[c]->errorString()));
        }
        QString error;
        if (!buildBlock(source, channels, fields, samples.data(), delivered, first, count, pending, out,
                        error))
            return fail(error);
        if (progress && first + count < total && !progress(first + count, total)) {
            // The lines built so far go out too, so the file holds exactly the lines reported.
            if (!pending.deliver(out, error))
                return fail(error);
            result.ok = false;
            result.cancelled = true;
            result.linesWritten = pending.linesDelivered();
            return result;
        }
    }
    QString error;
    if (!pending.deliver(out, error))
        return fail(error);
    result.linesWritten = pending.linesDelivered();
    if (progress)
        progress(total, total);
    return result;
}

} // namespace varnilog
