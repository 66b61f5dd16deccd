#include "recording/TextExport.h"

#include "recording/HalfWorkers.h"
#include "recording/RecordingInput.h"
#include "view/ElapsedTime.h"
#include "view/SampleCodes.h"

#include <QCoreApplication>
#include <QFileDevice>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <vector>

namespace varnilog {

namespace {

constexpr std::int64_t kBlockSamples = kFormattedBlockRows; // samples read per channel and block
constexpr std::size_t kFlushBytes = 1 << 20;                // output written in pieces of about this size
constexpr std::size_t kMaxLineBytes = 4 * 64 + 64;          // generous bound of one line

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

// The lines of one block of samples as text, and where each line ends in it.
struct BlockText {
    std::vector<char> text;
    std::size_t used = 0;
    std::vector<std::uint32_t> lineEnds; // offset after each line's CR LF
};

// The text waiting to go out, and how many whole lines have reached the device.
class PendingText {
public:
    PendingText() : buffer_(kFlushBytes + kMaxLineBytes) {}

    bool full() const { return used_ >= kFlushBytes; }
    // Appends formatted lines, delivering whenever the text reaches kFlushBytes, at the end of the
    // line that reaches it; false with error set when a delivery fails.
    bool appendLines(const BlockText& lines, QIODevice& out, CoreError& error) {
        std::size_t from = 0; // first byte of lines not yet appended
        for (auto line = lines.lineEnds.begin(); line != lines.lineEnds.end();) {
            // The first line whose end brings the pending text to kFlushBytes, or the last line.
            const std::size_t reach = from + (kFlushBytes > used_ ? kFlushBytes - used_ : 0);
            auto last = std::lower_bound(line, lines.lineEnds.end(), reach);
            if (last == lines.lineEnds.end())
                --last;
            const std::size_t to = *last;
            std::memcpy(buffer_.data() + used_, lines.text.data() + from, to - from);
            used_ += to - from;
            linesBuilt_ += (last - line) + 1;
            from = to;
            line = last + 1;
            if (full() && !deliver(out, error))
                return false;
        }
        return true;
    }
    std::int64_t linesDelivered() const { return linesDelivered_; }

    // Writes everything pending; false with error set when the device took only a part (or nothing).
    bool deliver(QIODevice& out, CoreError& error) {
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

    static CoreError failureText(const QIODevice& out) {
        return {CoreErrorKind::WriteFailed, {}, {}, out.errorString(), 0, 0, {}};
    }

private:
    std::vector<char> buffer_;
    std::size_t used_ = 0;
    std::int64_t linesBuilt_ = 0;
    std::int64_t linesDelivered_ = 0; // every line before this one is on the device whole
};

// One block read from the sample files: lines first .. first + count - 1.
struct SampleBlock {
    std::int64_t first = 0;
    std::int64_t count = 0;
    std::array<qint64, kChannels> delivered{}; // samples each file gave; the rest are empty fields
    std::vector<std::uint8_t> samples =
        std::vector<std::uint8_t>(static_cast<std::size_t>(kChannels * kBlockSamples));
    std::array<BlockText, 2> halves; // formatted side by side, written one after the other
};

// Formats lines [from, to) of a block into out.
void formatLines(const TextExportSource& source, int channels,
                 const std::array<FieldTable, kChannels>& fields, const SampleBlock& block, std::int64_t from,
                 std::int64_t to, BlockText& out) {
    out.used = 0;
    out.lineEnds.resize(static_cast<std::size_t>(to - from));
    for (std::int64_t i = from; i < to; ++i) {
        // Room for the longest line, and for the whole-field copies below to overrun its end.
        if (out.text.size() - out.used < kMaxLineBytes)
            out.text.resize(std::max(2 * out.text.size(), out.used + 64 * kMaxLineBytes));
        char* const start = out.text.data();
        // The time column is the single-precision product, as the format has always been written (the
        // lists of markers and events use sampleTimeText).
        char* p = putElapsed(start + out.used, static_cast<float>(block.first + i) * source.samplingPeriodMs);
        for (int c = 0; c < channels; ++c) {
            if (i < block.delivered[c]) {
                const FieldText& f =
                    fields[c][block.samples[static_cast<std::size_t>(c * kBlockSamples + i)]];
                std::memcpy(p, f.text, sizeof(f.text)); // a fixed size copies faster; the tail is overwritten
                p += f.length;
            } else {
                *p++ = ';'; // no sample in the file: an empty field, not a stale value
            }
        }
        *p++ = '\r';
        *p++ = '\n';
        out.used = static_cast<std::size_t>(p - start);
        out.lineEnds[static_cast<std::size_t>(i - from)] = static_cast<std::uint32_t>(out.used);
    }
}

// Reads lines first .. first + count - 1 of every channel into block; false with error set on a read
// error.
bool readSampleBlock(const TextExportSource& source, int channels, std::int64_t first, std::int64_t count,
                     SampleBlock& block, CoreError& error) {
    block.first = first;
    block.count = count;
    for (int c = 0; c < channels; ++c) {
        block.delivered[c] =
            readBlock(source.sampleFiles[c], first, block.samples.data() + c * kBlockSamples, count);
        if (block.delivered[c] < 0) {
            error = {CoreErrorKind::SampleReadFailed,
                     {},
                     QString(QChar(channelName[c])),
                     source.sampleFiles[c]->errorString(),
                     0,
                     0,
                     {}};
            return false;
        }
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
    const std::int64_t end = std::max<std::int64_t>(source.sampleCount, 0);
    const std::int64_t begin = std::clamp<std::int64_t>(source.firstSample, 0, end);
    const std::int64_t total = end - begin;
    const int channels = std::clamp(source.channelCount, 0, kChannels);
    const QByteArray decimalPoint = locale.decimalPoint().toUtf8();

    std::array<FieldTable, kChannels> fields{};
    for (int c = 0; c < channels; ++c)
        fields[c] = buildFieldTable(source.channelSensitivity[c], decimalPoint);

    PendingText pending;
    // Whatever ends the export, the result claims only the lines that are on the device whole.
    const auto fail = [&](CoreError error) {
        result.ok = false;
        result.error = std::move(error);
        result.linesWritten = pending.linesDelivered();
        return result;
    };

    // Block k + 1 is read and formatted on both cores while block k goes to the device.
    std::array<SampleBlock, 2> blocks;
    SampleBlock* formatting = nullptr;
    std::optional<HalfWorkers> formatter;
    if (total > 0)
        formatter.emplace([&](int half) {
            const auto [from, to] = HalfWorkers::halfOf(formatting->count, half);
            formatLines(source, channels, fields, *formatting, from, to,
                        formatting->halves[static_cast<std::size_t>(half)]);
        });
    const auto startFormatting = [&](SampleBlock& block) {
        formatting = &block;
        formatter->start();
    };
    CoreError readError;
    bool readOk = total <= 0 || readSampleBlock(source, channels, begin, std::min(kBlockSamples, total),
                                                blocks[0], readError);
    if (readOk && total > 0)
        startFormatting(blocks[0]);
    for (std::int64_t first = begin, k = 0; readOk && first < end; first += kBlockSamples, ++k) {
        formatter->wait();
        SampleBlock& block = blocks[static_cast<std::size_t>(k % 2)];
        const std::int64_t next = first + kBlockSamples;
        if (next < end) {
            SampleBlock& following = blocks[static_cast<std::size_t>((k + 1) % 2)];
            readOk = readSampleBlock(source, channels, next, std::min(kBlockSamples, end - next), following,
                                     readError);
            if (readOk)
                startFormatting(following);
        }
        CoreError error;
        for (const BlockText& half : block.halves)
            if (!pending.appendLines(half, out, error))
                return fail(error);
        if (progress && next < end && !progress(next - begin, total)) {
            // The lines built so far go out too, so the file holds exactly the lines reported.
            if (!pending.deliver(out, error))
                return fail(error);
            result.ok = false;
            result.cancelled = true;
            result.linesWritten = pending.linesDelivered();
            return result;
        }
    }
    if (!readOk)
        return fail(readError);
    CoreError error;
    if (!pending.deliver(out, error))
        return fail(error);
    result.linesWritten = pending.linesDelivered();
    if (progress)
        progress(total, total);
    return result;
}

} // namespace varnilog
