#include "recording/CsvFormat.h"

#include "recording/HalfWorkers.h"
#include "recording/WavFormat.h"
#include "view/ScaleTables.h"

#include <QLocale>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace varnilog {

namespace {

constexpr qint64 kMaxLineBytes = 4096; // far more than a row of five numbers

struct Field {
    char text[32];
    std::uint8_t length;
};

bool parseNumber(const char* begin, const char* end, double& value) {
    while (begin < end && (*begin == ' ' || *begin == '\t' || *begin == '"'))
        ++begin;
    while (end > begin && (end[-1] == ' ' || end[-1] == '\t' || end[-1] == '"' || end[-1] == '\r'))
        --end;
    if (begin < end && *begin == '+')
        ++begin;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    return ec == std::errc() && ptr == end && begin < end;
}

class CsvReader final : public ImportReader {
public:
    explicit CsvReader(QIODevice& in) : in_(in) {}

    bool open(QString& error) override {
        start_ = in_.pos();
        std::vector<double> row;
        int status = nextRow(row, error);
        if (status < 0)
            return false;
        if (status == 0 && line_ == 1) { // a header row
            status = nextRow(row, error);
            if (status < 0)
                return false;
        }
        if (status == 0)
            return fail(error, QStringLiteral("line %1: not a number").arg(line_));
        if (status > 0 && row.empty())
            return fail(error, QStringLiteral("no rows of values"));
        if (row.size() < 2 || row.size() > 1 + kChannels)
            return fail(error, QStringLiteral("line %1: %2 columns; a time and 1 to %3 values expected")
                                   .arg(line_)
                                   .arg(row.size())
                                   .arg(kChannels));
        const double t0 = row[0];
        firstData_ = lastPos_;
        firstLine_ = line_;
        columns_ = row.size();
        status = nextRow(row, error);
        if (status <= 0)
            return status < 0 ? false : fail(error, QStringLiteral("line %1: not a number").arg(line_));
        if (row.empty())
            return fail(error, QStringLiteral("one row: no sample rate"));
        step_ = row[0] - t0;
        if (!(step_ > 0))
            return fail(error, QStringLiteral("line %1: time does not grow (sample rate 0 Hz)").arg(line_));
        info_.channels = static_cast<int>(columns_ - 1);
        info_.sampleRateHz = 1.0 / step_;
        info_.format = QStringLiteral("CSV");
        return rewind(error);
    }

    bool rewind(QString& error) override {
        if (!in_.seek(firstData_))
            return fail(error, in_.errorString());
        line_ = firstLine_ - 1;
        havePrevious_ = false;
        return true;
    }

    std::int64_t read(const std::array<double*, kChannels>& values, std::int64_t maxFrames,
                      QString& error) override {
        std::vector<double> row;
        std::int64_t n = 0;
        while (n < maxFrames) {
            const int status = nextRow(row, error);
            if (status < 0)
                return -1;
            if (status == 0)
                return fail(error, QStringLiteral("line %1: not a number").arg(line_)), -1;
            if (row.empty())
                break;
            if (row.size() != columns_)
                return fail(error, QStringLiteral("line %1: %2 columns, expected %3")
                                       .arg(line_)
                                       .arg(row.size())
                                       .arg(columns_)),
                       -1;
            if (havePrevious_ && std::abs(row[0] - previous_ - step_) > step_ / 2)
                return fail(error, QStringLiteral("line %1: time %2 s breaks the even spacing of %3 s")
                                       .arg(line_)
                                       .arg(QString::number(row[0], 'g', QLocale::FloatingPointShortest),
                                            QString::number(step_, 'g', QLocale::FloatingPointShortest))),
                       -1;
            previous_ = row[0];
            havePrevious_ = true;
            for (std::size_t c = 1; c < columns_; ++c)
                values[c - 1][n] = row[c];
            ++n;
        }
        return n;
    }

private:
    static bool fail(QString& error, const QString& text) {
        error = text;
        return false;
    }

    // The next non-empty row's numbers: 1 with row filled (empty at the end), 0 when a field is not a
    // finite number (a header row), -1 with error on a read error or an over-long line.
    int nextRow(std::vector<double>& row, QString& error) {
        row.clear();
        for (;;) {
            lastPos_ = in_.pos();
            const qint64 n = in_.readLine(buffer_, sizeof(buffer_));
            if (n < 0)
                return 1; // the end
            ++line_;
            if (n == sizeof(buffer_) - 1 && buffer_[n - 1] != '\n')
                return fail(error,
                            QStringLiteral("line %1: longer than %2 bytes").arg(line_).arg(kMaxLineBytes)),
                       -1;
            const char* end = buffer_ + n;
            while (end > buffer_ && (end[-1] == '\n' || end[-1] == '\r' || end[-1] == ' '))
                --end;
            if (end == buffer_)
                continue;
            for (const char* p = buffer_;;) {
                const char* comma = std::find(p, end, ',');
                double v = 0;
                if (!parseNumber(p, comma, v) || !std::isfinite(v)) {
                    row.clear();
                    return 0;
                }
                row.push_back(v);
                if (comma == end)
                    return 1;
                p = comma + 1;
            }
        }
    }

    QIODevice& in_;
    char buffer_[kMaxLineBytes + 1];
    qint64 start_ = 0, firstData_ = 0, lastPos_ = 0;
    std::int64_t line_ = 0, firstLine_ = 1;
    std::size_t columns_ = 0;
    double step_ = 0, previous_ = 0;
    bool havePrevious_ = false;
};

} // namespace

namespace {

using FieldTable = std::array<Field, 256>;

// One block of rows: the samples read and the text of its two halves, formatted side by side.
struct CsvBlock {
    explicit CsvBlock(const InterchangeRequest& request) : samples(request) {}
    InterchangeBlocks samples;
    std::int64_t first = 0, count = 0;
    std::array<std::unique_ptr<char[]>, 2> text; // left unfilled: every byte written is formatted
    std::array<std::size_t, 2> size{}, used{};

    bool read(std::int64_t at, QString& error) {
        first = at;
        count = std::min(samples.blockSamples(), samples.count() - at);
        return samples.read(first, count, error);
    }
};

// The rows of one half of a block as text.
void formatRows(CsvBlock& block, int half, const SampleTimeText& time,
                const std::vector<FieldTable>& fields) {
    const auto [from, to] = HalfWorkers::halfOf(block.count, half);
    const auto h = static_cast<std::size_t>(half);
    // Room for the longest rows, and for the whole-field copies below to overrun the last one's end.
    const std::size_t rowBound = sizeof(Field::text) * (fields.size() + 1) + 1;
    const std::size_t bound = static_cast<std::size_t>(to - from) * rowBound + sizeof(Field::text);
    if (block.size[h] < bound) {
        block.text[h].reset(new char[bound]);
        block.size[h] = bound;
    }
    char* const text = block.text[h].get();
    char* p = text;
    for (std::int64_t i = from; i < to; ++i) {
        p = time.put(p, block.samples.from() + block.first + i);
        for (std::size_t k = 0; k < fields.size(); ++k) {
            const Field& f = fields[k][block.samples.row(k)[i]];
            std::memcpy(p, f.text, sizeof(f.text)); // a fixed size copies faster; the tail is overwritten
            p += f.length;
        }
        *p++ = '\n';
    }
    block.used[h] = static_cast<std::size_t>(p - text);
}

} // namespace

InterchangeResult exportCsv(const InterchangeRequest& request, QIODevice& out, const WorkProgress& progress) {
    InterchangeResult result;
    // Block k + 1 is read and formatted on both cores while block k goes to the device.
    InterchangeRequest blocked = request;
    blocked.blockSamples = std::min(request.blockSamples, kFormattedBlockRows);
    std::array<CsvBlock, 2> blocks{CsvBlock(blocked), CsvBlock(blocked)};
    const InterchangeBlocks& span = blocks[0].samples;
    const auto& channels = span.channels();
    result.channels = static_cast<int>(channels.size());
    QByteArray header("time_s");
    std::vector<FieldTable> fields(channels.size());
    for (std::size_t k = 0; k < channels.size(); ++k) {
        header += ',' + QByteArray(1, channelName[channels[k]]) + "_V";
        const auto volts = exportVoltsTable(request.source.channelSensitivity[channels[k]]);
        for (int s = 0; s < 256; ++s) {
            Field& f = fields[k][s];
            f.text[0] = ',';
            f.length = static_cast<std::uint8_t>(
                std::to_chars(f.text + 1, f.text + sizeof(f.text), volts[s], std::chars_format::fixed).ptr -
                f.text);
        }
    }
    header += '\n';
    const auto failed = [&] {
        result.ok = false;
        return result;
    };
    if (!writeWhole(out, header.constData(), header.size(), result.error))
        return failed();
    if (span.count() == 0)
        return result;
    const SampleTimeText time(sampleRateHz(request.source.samplingPeriodMs));
    CsvBlock* formatting = nullptr;
    HalfWorkers formatter([&](int half) { formatRows(*formatting, half, time, fields); });
    const auto readAndStart = [&](CsvBlock& block, std::int64_t first) {
        if (!block.read(first, result.error))
            return false;
        formatting = &block;
        formatter.start();
        return true;
    };
    if (!readAndStart(blocks[0], 0))
        return failed();
    for (std::int64_t first = 0, k = 0; first < span.count(); first += span.blockSamples(), ++k) {
        formatter.wait();
        CsvBlock& block = blocks[static_cast<std::size_t>(k % 2)];
        const std::int64_t next = first + span.blockSamples();
        if (next < span.count() && !readAndStart(blocks[static_cast<std::size_t>((k + 1) % 2)], next))
            return failed();
        for (int half = 0; half < 2; ++half)
            if (!writeWhole(out, block.text[static_cast<std::size_t>(half)].get(),
                            static_cast<qint64>(block.used[static_cast<std::size_t>(half)]), result.error))
                return failed();
        result.samples = first + block.count;
        if (!reportProgress(progress, result.samples, span.count(), result))
            return result;
    }
    return result;
}

std::unique_ptr<ImportReader> makeCsvReader(QIODevice& in) {
    return std::make_unique<CsvReader>(in);
}

} // namespace varnilog
