#include "recording/CsvFormat.h"

#include "recording/HalfWorkers.h"
#include "recording/WavFormat.h"
#include "view/ScaleTables.h"

#include <QRegularExpression>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace varnilog {

namespace {

constexpr qint64 kMaxLineBytes = 4096; // far more than a row of five numbers

struct Field {
    char text[32];
    std::uint8_t length;
};

// A field of a line: its bytes, without the spaces and quotes around it.
struct Span {
    const char* begin;
    const char* end;
    bool empty() const { return begin == end; }
};

Span trimmed(const char* begin, const char* end) {
    while (begin < end && (*begin == ' ' || *begin == '\t' || *begin == '"'))
        ++begin;
    while (end > begin && (end[-1] == ' ' || end[-1] == '\t' || end[-1] == '"'))
        --end;
    return {begin, end};
}

// What separates the fields: the first line decides (a tab, else ';', else ',', else runs of spaces).
// Where ',' separates nothing it may be the decimal point, as spreadsheets in Polish write.
enum class Separator { Comma, Semicolon, Tab, Spaces };

Separator separatorOf(const char* begin, const char* end) {
    if (std::find(begin, end, '\t') != end)
        return Separator::Tab;
    if (std::find(begin, end, ';') != end)
        return Separator::Semicolon;
    if (std::find(begin, end, ',') != end)
        return Separator::Comma;
    return Separator::Spaces;
}

QString separatorText(Separator s) {
    switch (s) {
    case Separator::Comma:
        return QStringLiteral("\",\"");
    case Separator::Semicolon:
        return QStringLiteral("\";\"");
    case Separator::Tab:
        return QStringLiteral("tabs");
    case Separator::Spaces:
        break;
    }
    return QStringLiteral("spaces");
}

// A field for a message: at most 24 bytes, control bytes as '?'.
QString fieldText(Span f) {
    QByteArray bytes(f.begin, std::min<qsizetype>(f.end - f.begin, 24));
    for (char& ch : bytes)
        if (static_cast<unsigned char>(ch) < 0x20)
            ch = '?';
    return QString::fromUtf8(bytes);
}

bool parseNumber(Span f, bool decimalComma, double& value) {
    if (!f.empty() && *f.begin == '+')
        ++f.begin;
    char copy[64];
    if (decimalComma && std::find(f.begin, f.end, ',') != f.end) {
        if (f.end - f.begin > static_cast<std::ptrdiff_t>(sizeof(copy)))
            return false;
        char* end = std::copy(f.begin, f.end, copy);
        std::replace(copy, end, ',', '.');
        f = {copy, end};
    }
    const auto [ptr, ec] = std::from_chars(f.begin, f.end, value);
    return ec == std::errc() && ptr == f.end && !f.empty() && std::isfinite(value);
}

// The seconds of a time column's unit when a header names it so: "time" or "t", then its unit if any
// ("time_s", "time_ms", "time_us", "Time [ns]", "t (µs)"); nothing for another name.
std::optional<double> timeUnitOf(Span name, QString& unit) {
    static const QRegularExpression pattern(
        QStringLiteral("^(?:time|t)(?:[ _]*[\\[(]?(s|ms|us|µs|ns)[\\])]?)?$"),
        QRegularExpression::CaseInsensitiveOption);
    const auto match = pattern.match(QString::fromUtf8(name.begin, name.end - name.begin));
    if (!match.hasMatch())
        return std::nullopt;
    unit = match.captured(1).toLower().replace(QStringLiteral("µ"), QStringLiteral("u"));
    if (unit.isEmpty())
        unit = QStringLiteral("s");
    return unit == QLatin1String("ms")   ? 1e-3
           : unit == QLatin1String("us") ? 1e-6
           : unit == QLatin1String("ns") ? 1e-9
                                         : 1.0;
}

// A step between two rows' times, the line of the later row and its time as written.
struct Step {
    double step = 0;
    std::int64_t line = 0;
    QString time;
};

class CsvReader final : public ImportReader {
public:
    explicit CsvReader(QIODevice& in) : in_(in) {}

    bool open(QString& error) override {
        char bom[3];
        if (in_.peek(bom, 3) == 3 && std::memcmp(bom, "\xEF\xBB\xBF", 3) == 0)
            in_.skip(3); // a spreadsheet's UTF-8 mark, no part of the first row
        int status = nextLine(error);
        if (status <= 0)
            return status < 0 ? false : fail(error, QStringLiteral("no rows of values"));
        separator_ = separatorOf(buffer_, lineEnd_);
        split();
        bool header = false;
        double v = 0;
        for (const Span& f : fields_)
            header = header || !parseNumber(f, separator_ != Separator::Comma, v);
        if (header ? !columnsFromHeader(error) : !columnsByPosition(error))
            return false;
        firstData_ = header ? in_.pos() : linePos_;
        firstLine_ = header ? line_ + 1 : line_;
        // A pass over the times: every step is held to the mean of them all, so the shortest and the
        // longest step decide; the one further from the mean is named.
        if (header)
            status = nextLine(error);
        double first = 0, last = 0;
        std::int64_t rows = 0, firstRowLine = 0;
        Step shortest, longest;
        for (; status > 0; status = nextLine(error)) {
            double t = 0;
            if (!splitRow(error) || !number(timeColumn_, t, error))
                return false;
            if (rows++ == 0) {
                first = t;
                firstRowLine = line_;
            } else {
                const double step = t - last;
                if (shortest.line == 0 || step < shortest.step)
                    shortest = {step, line_, fieldText(fields_[static_cast<std::size_t>(timeColumn_)])};
                if (longest.line == 0 || step > longest.step)
                    longest = {step, line_, fieldText(fields_[static_cast<std::size_t>(timeColumn_)])};
            }
            last = t;
        }
        if (status < 0)
            return false;
        if (rows == 0)
            return fail(error, QStringLiteral("no rows of values"));
        if (rows == 1)
            return fail(error, QStringLiteral("one row: no sample rate"));
        step_ = (last - first) / static_cast<double>(rows - 1);
        if (!(step_ > 0))
            return fail(error,
                        QStringLiteral("the time does not grow from line %1 to line %2 (sample rate 0 Hz)")
                            .arg(firstRowLine)
                            .arg(line_));
        const double shortBy = step_ - shortest.step, longBy = longest.step - step_;
        const Step& worst =
            shortBy > longBy || (shortBy == longBy && shortest.line < longest.line) ? shortest : longest;
        if (!withinRateTolerance(worst.step, step_))
            return fail(error, QStringLiteral("line %1: time %2 %3 breaks the even spacing: %4 %3 after the "
                                              "row before, the mean step is %5 %3 (%6 % allowed)")
                                   .arg(worst.line)
                                   .arg(worst.time, unit_, number(worst.step), number(step_),
                                        number(kRateTolerance * 100)));
        info_.sampleRateHz = 1.0 / (step_ * unitSeconds_);
        if (!std::isfinite(info_.sampleRateHz))
            return fail(error,
                        QStringLiteral("a time step of %1 %2 is out of range").arg(number(step_), unit_));
        info_.channels = static_cast<int>(valueColumns_.size());
        info_.format = QStringLiteral("CSV");
        return rewind(error);
    }

    bool rewind(QString& error) override {
        if (!in_.seek(firstData_))
            return fail(error, in_.errorString());
        line_ = firstLine_ - 1;
        return true;
    }

    std::int64_t read(const std::array<double*, kChannels>& values, std::int64_t maxFrames,
                      QString& error) override {
        std::int64_t n = 0;
        for (; n < maxFrames; ++n) {
            const int status = nextLine(error);
            if (status <= 0)
                return status < 0 ? -1 : n;
            if (!splitRow(error))
                return -1;
            for (std::size_t k = 0; k < valueColumns_.size(); ++k)
                if (!number(valueColumns_[k], values[k][n], error))
                    return -1;
        }
        return n;
    }

private:
    static bool fail(QString& error, const QString& text) {
        error = text;
        return false;
    }
    static QString number(double v) { return QString::number(v, 'g', 7); }

    QString columnsExpected() const {
        return QStringLiteral("a time and 1 to %1 values expected, separated by \",\", \";\", tabs or spaces")
            .arg(kChannels);
    }

    // A header row names the time column (with its unit) and the value columns; a column without a
    // name (the index pandas writes first, "Unnamed: 0" once pandas has read such a file and written it
    // again, or what a trailing separator leaves) is no channel.
    bool columnsFromHeader(QString& error) {
        if (fields_.size() < 2)
            return fail(error, QStringLiteral("line %1: one column; %2").arg(line_).arg(columnsExpected()));
        for (std::size_t i = 0; i < fields_.size(); ++i) {
            QString unit;
            if (const auto seconds = timeUnitOf(fields_[i], unit)) {
                if (timeColumn_ >= 0)
                    return fail(error, QStringLiteral("line %1: two time columns").arg(line_));
                timeColumn_ = static_cast<int>(i);
                unitSeconds_ = *seconds;
                unit_ = unit;
            } else if (!fields_[i].empty() &&
                       !QByteArrayView(fields_[i].begin, fields_[i].end).startsWith("Unnamed: ")) {
                valueColumns_.push_back(static_cast<int>(i));
            }
        }
        if (timeColumn_ < 0)
            return fail(error, QStringLiteral("line %1: the header names no time column (time_s, time_ms, "
                                              "time_us or time_ns expected)")
                                   .arg(line_));
        if (valueColumns_.empty() || valueColumns_.size() > static_cast<std::size_t>(kChannels))
            return fail(error, QStringLiteral("line %1: %2 value columns named; 1 to %3 expected")
                                   .arg(line_)
                                   .arg(valueColumns_.size())
                                   .arg(kChannels));
        fieldCount_ = fields_.size();
        return true;
    }

    // Without a header the first column is the time in seconds, the others the values.
    bool columnsByPosition(QString& error) {
        if (fields_.size() < 2 || fields_.size() > 1 + static_cast<std::size_t>(kChannels))
            return fail(error, QStringLiteral("line %1: %2 columns; %3")
                                   .arg(line_)
                                   .arg(fields_.size())
                                   .arg(columnsExpected()));
        timeColumn_ = 0;
        for (std::size_t i = 1; i < fields_.size(); ++i)
            valueColumns_.push_back(static_cast<int>(i));
        fieldCount_ = fields_.size();
        return true;
    }

    bool number(int column, double& value, QString& error) const {
        const Span f = fields_[static_cast<std::size_t>(column)];
        if (parseNumber(f, separator_ != Separator::Comma, value))
            return true;
        return fail(error, QStringLiteral("line %1: not a number: \"%2\" (fields separated by %3 expected)")
                               .arg(line_)
                               .arg(fieldText(f), separatorText(separator_)));
    }

    bool splitRow(QString& error) {
        split();
        if (fields_.size() == fieldCount_)
            return true;
        return fail(error, QStringLiteral("line %1: %2 columns, expected %3 (separated by %4)")
                               .arg(line_)
                               .arg(fields_.size())
                               .arg(fieldCount_)
                               .arg(separatorText(separator_)));
    }

    // The fields of the current line; an empty last one (a separator ending the line) is dropped.
    void split() {
        fields_.clear();
        const char* p = buffer_;
        if (separator_ == Separator::Spaces) {
            for (;;) {
                while (p < lineEnd_ && (*p == ' ' || *p == '\t'))
                    ++p;
                if (p == lineEnd_)
                    return;
                const char* end = std::find_if(p, lineEnd_, [](char ch) { return ch == ' ' || ch == '\t'; });
                fields_.push_back(trimmed(p, end));
                p = end;
            }
        }
        const char sep = separator_ == Separator::Tab ? '\t' : separator_ == Separator::Semicolon ? ';' : ',';
        for (;;) {
            const char* end = std::find(p, lineEnd_, sep);
            fields_.push_back(trimmed(p, end));
            if (end == lineEnd_)
                break;
            p = end + 1;
        }
        if (fields_.size() > 1 && fields_.back().empty())
            fields_.pop_back();
    }

    // The next line with anything on it: 1 (buffer_ up to lineEnd_ holds it), 0 at the end, -1 with
    // error for an over-long line.
    int nextLine(QString& error) {
        for (;;) {
            linePos_ = in_.pos();
            const qint64 n = in_.readLine(buffer_, sizeof(buffer_));
            if (n < 0)
                return 0;
            ++line_;
            if (n == sizeof(buffer_) - 1 && buffer_[n - 1] != '\n')
                return fail(error,
                            QStringLiteral("line %1: longer than %2 bytes").arg(line_).arg(kMaxLineBytes)),
                       -1;
            lineEnd_ = buffer_ + n;
            while (lineEnd_ > buffer_ &&
                   (lineEnd_[-1] == '\n' || lineEnd_[-1] == '\r' || lineEnd_[-1] == ' '))
                --lineEnd_;
            if (lineEnd_ != buffer_)
                return 1;
        }
    }

    QIODevice& in_;
    char buffer_[kMaxLineBytes + 1];
    const char* lineEnd_ = buffer_;
    std::vector<Span> fields_;
    Separator separator_ = Separator::Comma;
    int timeColumn_ = -1;
    std::vector<int> valueColumns_;
    std::size_t fieldCount_ = 0;
    double unitSeconds_ = 1;
    QString unit_ = QStringLiteral("s");
    qint64 firstData_ = 0, linePos_ = 0;
    std::int64_t line_ = 0, firstLine_ = 1;
    double step_ = 0; // the mean step, in the time column's unit
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

    bool read(std::int64_t at, CoreError& error) {
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
