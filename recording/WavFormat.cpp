#include "recording/WavFormat.h"

#include "view/ScaleTables.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace varnilog {

namespace {

constexpr std::uint16_t kFormatPcm = 1, kFormatFloat = 3, kFormatExtensible = 0xFFFE;
constexpr std::uint32_t kUnknownSize = 0xFFFFFFFFu; // RF64: the real size is in "ds64"
constexpr qint64 kMetaChunkLimit = 1 << 16;         // fmt/LIST/ds64 larger than this are not ours to read

void put16(QByteArray& b, std::uint16_t v) {
    b.append(static_cast<char>(v & 0xFF)).append(static_cast<char>(v >> 8));
}
void put32(QByteArray& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.append(static_cast<char>(v >> (8 * i) & 0xFF));
}
void put64(QByteArray& b, std::uint64_t v) {
    for (int i = 0; i < 8; ++i)
        b.append(static_cast<char>(v >> (8 * i) & 0xFF));
}
std::uint32_t get32(const char* p) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | static_cast<std::uint8_t>(p[i]);
    return v;
}
std::uint16_t get16(const char* p) {
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(p[0]) | static_cast<std::uint8_t>(p[1]) << 8);
}
std::uint64_t get64(const char* p) {
    return get32(p) | static_cast<std::uint64_t>(get32(p + 4)) << 32;
}

// One INFO sub-chunk: id, size, the text with its terminating zero, padded to an even size.
void putInfo(QByteArray& list, const char* id, const QByteArray& text) {
    QByteArray body = text + '\0';
    list.append(id, 4);
    put32(list, static_cast<std::uint32_t>(body.size()));
    if (body.size() % 2 != 0)
        body.append('\0');
    list.append(body);
}

QString voltsPerDivisionText(std::uint8_t index) {
    return QString::number(sensitivityTable[std::clamp<int>(index, 1, kSensitivityCount)], 'g', 6);
}

QByteArray infoList(const InterchangeRequest& request, const std::vector<int>& channels) {
    QStringList parts;
    for (int c : channels)
        parts << QStringLiteral("%1: %2 V/div")
                     .arg(QChar(channelName[c]))
                     .arg(voltsPerDivisionText(request.source.channelSensitivity[c]));
    QString comment = parts.join(QStringLiteral(", "));
    if (!request.start.isEmpty())
        comment += QStringLiteral("; start: %1").arg(request.start);
    comment += QStringLiteral("; period: %1 ms; codes: 125 = 0 V, 1 code = V/div x 0.04")
                   .arg(QString::number(request.source.samplingPeriodMs, 'g', 7));
    QByteArray list("INFO");
    putInfo(list, "ICMT", comment.toUtf8());
    putInfo(list, "ISFT", QByteArrayLiteral("Varnilog 2k"));
    return list;
}

QByteArray wavHeader(const InterchangeRequest& request, const std::vector<int>& channels, std::int64_t frames,
                     std::uint64_t riffSizeLimit) {
    const auto n = static_cast<std::uint16_t>(channels.size());
    const auto rate = static_cast<std::uint32_t>(sampleRateHz(request.source.samplingPeriodMs));
    const std::uint64_t dataSize = static_cast<std::uint64_t>(frames) * n;
    const QByteArray list = infoList(request, channels);
    const std::uint64_t body =
        4 + (8 + 16) + (8 + static_cast<std::uint64_t>(list.size())) + 8 + dataSize + (dataSize % 2);
    const bool rf64 = body + 8 + 36 > riffSizeLimit; // with the ds64 chunk an RF64 file needs
    QByteArray h;
    h.append(rf64 ? "RF64" : "RIFF", 4);
    put32(h, rf64 ? kUnknownSize : static_cast<std::uint32_t>(body));
    h.append("WAVE", 4);
    if (rf64) {
        h.append("ds64", 4);
        put32(h, 28);
        put64(h, body + 36); // the RIFF size, ds64 included
        put64(h, dataSize);
        put64(h, static_cast<std::uint64_t>(frames));
        put32(h, 0); // no table of other chunk sizes
    }
    h.append("fmt ", 4);
    put32(h, 16);
    put16(h, kFormatPcm);
    put16(h, n);
    put32(h, rate);
    put32(h, rate * n); // bytes per second
    put16(h, n);        // bytes per frame
    put16(h, 8);
    h.append("LIST", 4);
    put32(h, static_cast<std::uint32_t>(list.size()));
    h.append(list);
    h.append("data", 4);
    put32(h, rf64 ? kUnknownSize : static_cast<std::uint32_t>(dataSize));
    return h;
}

// A chunk id for a message: its four bytes, any that is not printable ASCII as '?'.
QString printableId(QByteArray id) {
    for (char& ch : id)
        if (ch < 0x20 || ch > 0x7E)
            ch = '?';
    return QString::fromLatin1(id);
}

// Reads exactly size bytes; false at the end or on an error.
bool readExactly(QIODevice& in, char* data, qint64 size) {
    while (size > 0) {
        const qint64 n = in.read(data, size);
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

class WavReader final : public ImportReader {
public:
    explicit WavReader(QIODevice& in) : in_(in) {}

    bool open(QString& error) override {
        char head[12];
        if (!readExactly(in_, head, 12) ||
            (std::memcmp(head, "RIFF", 4) != 0 && std::memcmp(head, "RF64", 4) != 0) ||
            std::memcmp(head + 8, "WAVE", 4) != 0)
            return fail(error, QStringLiteral("not a WAV file"));
        const bool rf64 = std::memcmp(head, "RF64", 4) == 0;
        std::uint64_t ds64Data = 0;
        bool haveFormat = false;
        for (;;) {
            char chunk[8];
            if (!readExactly(in_, chunk, 8))
                return fail(error, haveFormat ? QStringLiteral("no data chunk")
                                              : QStringLiteral("truncated header"));
            std::uint64_t size = get32(chunk + 4);
            const QByteArray id(chunk, 4);
            if (id == "data") {
                if (!haveFormat)
                    return fail(error, QStringLiteral("data before the format chunk"));
                if (rf64 && size == kUnknownSize)
                    size = ds64Data;
                if (!startData(size, error))
                    return false;
                if (!haveComment_)
                    readChunksAfterData(size);
                takeCodesFromComment();
                return true;
            }
            if (id == "fmt " || id == "LIST" || id == "ds64") {
                if (size > kMetaChunkLimit)
                    return fail(
                        error, QStringLiteral("%1 chunk of %2 bytes").arg(QString::fromLatin1(id)).arg(size));
                QByteArray body(static_cast<qsizetype>(size + size % 2), '\0');
                if (!readExactly(in_, body.data(), body.size()))
                    return fail(
                        error,
                        QStringLiteral("%1 chunk past the end of the file").arg(QString::fromLatin1(id)));
                if (id == "ds64" && body.size() >= 16)
                    ds64Data = get64(body.constData() + 8);
                else if (id == "LIST" && body.startsWith("INFO"))
                    readInfo(body);
                else if (id == "fmt ") {
                    if (!readFormat(body, error))
                        return false;
                    haveFormat = true;
                }
            } else if (!skip(size + size % 2)) {
                return fail(error, QStringLiteral("%1 chunk past the end of the file").arg(printableId(id)));
            }
        }
    }

    bool rewind(QString& error) override {
        if (!in_.seek(dataStart_))
            return fail(error, in_.errorString());
        done_ = 0;
        return true;
    }

    std::int64_t read(const std::array<double*, kChannels>& values, std::int64_t maxFrames,
                      QString& error) override {
        const std::int64_t n = std::min(maxFrames, frames_ - done_);
        if (n <= 0)
            return 0;
        raw_.resize(static_cast<std::size_t>(n * frameBytes_));
        if (!readExactly(in_, raw_.data(), static_cast<qint64>(raw_.size())))
            return fail(error, QStringLiteral("data ends early (truncated file)")), -1;
        const int channels = info_.channels;
        const int width = frameBytes_ / channels;
        for (std::int64_t i = 0; i < n; ++i)
            for (int c = 0; c < channels; ++c) {
                const char* p = raw_.data() + i * frameBytes_ + c * width;
                double v = 0;
                if (width == 1)
                    v = static_cast<std::uint8_t>(*p);
                else if (width == 2)
                    v = static_cast<std::int16_t>(get16(p)) / 32768.0;
                else if (isFloat_ && width == 4) {
                    float f;
                    const std::uint32_t bits = get32(p);
                    std::memcpy(&f, &bits, 4);
                    v = f;
                } else if (isFloat_) {
                    const std::uint64_t bits = get64(p);
                    std::memcpy(&v, &bits, 8);
                } else if (width == 3) {
                    const std::uint32_t bits =
                        get16(p) | static_cast<std::uint32_t>(static_cast<std::uint8_t>(p[2])) << 16;
                    v = static_cast<std::int32_t>(bits << 8) / 2147483648.0; // sign-extended, full scale 1
                } else {
                    v = static_cast<std::int32_t>(get32(p)) / 2147483648.0;
                }
                if (codesFromWider_)
                    v = v * 128.0 + 128.0; // back to the 8-bit code an editor widened
                if (!std::isfinite(v))
                    return fail(error, QStringLiteral("sample %1 of channel %2 is not a number")
                                           .arg(done_ + i)
                                           .arg(c + 1)),
                           -1;
                values[c][i] = v;
            }
        done_ += n;
        return n;
    }

private:
    static bool fail(QString& error, const QString& text) {
        error = text;
        return false;
    }

    bool skip(std::uint64_t size) {
        if (!in_.isSequential()) {
            const qint64 target = in_.pos() + static_cast<qint64>(size);
            return size <= static_cast<std::uint64_t>(in_.size()) && target <= in_.size() && in_.seek(target);
        }
        char scratch[4096];
        while (size > 0) {
            const qint64 n = std::min<std::uint64_t>(size, sizeof(scratch));
            if (!readExactly(in_, scratch, n))
                return false;
            size -= static_cast<std::uint64_t>(n);
        }
        return true;
    }

    bool readFormat(const QByteArray& body, QString& error) {
        if (body.size() < 16)
            return fail(error, QStringLiteral("format chunk too short"));
        const char* p = body.constData();
        std::uint16_t tag = get16(p);
        const int channels = get16(p + 2);
        const std::uint32_t rate = get32(p + 4);
        const int align = get16(p + 12), bits = get16(p + 14);
        if (tag == kFormatExtensible && body.size() >= 26)
            tag = get16(p + 24); // the sub-format GUID begins with the format tag
        isFloat_ = tag == kFormatFloat;
        if (channels < 1 || channels > kChannels)
            return fail(
                error,
                QStringLiteral("%1 channels: at most %2 can be imported").arg(channels).arg(kChannels));
        if (rate == 0)
            return fail(error, QStringLiteral("sample rate of 0 Hz"));
        const bool known = (tag == kFormatPcm && (bits == 8 || bits == 16 || bits == 24 || bits == 32)) ||
                           (isFloat_ && (bits == 32 || bits == 64));
        if (!known)
            return fail(error,
                        QStringLiteral("unsupported sample format (tag %1, %2 bits)").arg(tag).arg(bits));
        if (align != channels * bits / 8)
            return fail(error, QStringLiteral("block size %1 does not match %2 channels of %3 bits")
                                   .arg(align)
                                   .arg(channels)
                                   .arg(bits));
        frameBytes_ = align;
        info_.channels = channels;
        info_.sampleRateHz = rate;
        info_.codes = bits == 8;
        info_.format =
            isFloat_ ? QStringLiteral("WAV float %1 bit").arg(bits) : QStringLiteral("WAV %1 bit").arg(bits);
        return true;
    }

    // Our own comment names the V/div of each channel written: "A: 1 V/div, B: 0.01 V/div; ...; codes:
    // 125 = 0 V, ...".
    void readInfo(const QByteArray& list) {
        const qsizetype at = list.indexOf("ICMT");
        if (at < 0 || at + 8 > list.size())
            return;
        const QString comment = QString::fromUtf8(list.mid(at + 8, get32(list.constData() + at + 4)));
        static const QRegularExpression entry(QStringLiteral("\\b[ABCD]: ([0-9.]+) V/div"));
        auto it = entry.globalMatch(comment);
        commentChannels_ = 0;
        for (int c = 0; it.hasNext() && c < kChannels; ++c, ++commentChannels_) {
            const double vdiv = it.next().captured(1).toDouble();
            for (int s = 1; s <= kSensitivityCount; ++s)
                if (std::abs(sensitivityTable[s] - vdiv) < 1e-9)
                    info_.sensitivity[c] = static_cast<std::uint8_t>(s);
        }
        haveComment_ = comment.contains(QLatin1String("codes: 125 = 0 V"));
    }

    // An editor that keeps the comment may put it behind the samples: read what follows them and come
    // back (a file that cannot seek keeps what came before).
    void readChunksAfterData(std::uint64_t size) {
        if (in_.isSequential())
            return;
        const std::uint64_t left = static_cast<std::uint64_t>(in_.size() - dataStart_);
        if (size + size % 2 >= left || !in_.seek(dataStart_ + static_cast<qint64>(size + size % 2)))
            return;
        char chunk[8];
        while (readExactly(in_, chunk, 8)) {
            const std::uint64_t chunkSize = get32(chunk + 4);
            if (std::memcmp(chunk, "LIST", 4) == 0 && chunkSize <= kMetaChunkLimit) {
                QByteArray body(static_cast<qsizetype>(chunkSize), '\0');
                if (!readExactly(in_, body.data(), body.size()))
                    break;
                if (body.startsWith("INFO"))
                    readInfo(body);
                if (chunkSize % 2 != 0 && !skip(1))
                    break;
            } else if (!skip(chunkSize + chunkSize % 2)) {
                break;
            }
        }
        in_.seek(dataStart_);
    }

    // A WAV of ours saved again at 16, 24 or 32 bits or as float by an audio editor holds our codes
    // widened (code - 128) / 128 of full scale; with our comment naming every channel they are taken
    // back as codes at the comment's V/div.
    void takeCodesFromComment() {
        if (info_.codes || !haveComment_ || commentChannels_ != info_.channels)
            return;
        codesFromWider_ = true;
        info_.codes = true;
        info_.codesFromComment = true;
    }

    bool startData(std::uint64_t size, QString& error) {
        dataStart_ = in_.pos();
        if (!in_.isSequential() && size > static_cast<std::uint64_t>(in_.size() - dataStart_))
            return fail(error,
                        QStringLiteral("data chunk of %1 bytes past the end of the file (%2 bytes left)")
                            .arg(size)
                            .arg(in_.size() - dataStart_));
        frames_ = static_cast<std::int64_t>(size / static_cast<std::uint64_t>(frameBytes_));
        return true;
    }

    QIODevice& in_;
    qint64 dataStart_ = 0;
    std::int64_t frames_ = 0;
    std::int64_t done_ = 0;
    int frameBytes_ = 1;
    bool isFloat_ = false;
    bool haveComment_ = false;    // our own ICMT comment was read
    int commentChannels_ = 0;     // channels it names
    bool codesFromWider_ = false; // the samples are our codes widened to more bits
    std::vector<char> raw_;
};

} // namespace

InterchangeResult exportWav(const InterchangeRequest& request, QIODevice& out, const WorkProgress& progress,
                            std::uint64_t riffSizeLimit) {
    InterchangeResult result;
    InterchangeBlocks blocks(request);
    const auto& channels = blocks.channels();
    result.channels = static_cast<int>(channels.size());
    if (channels.empty()) {
        result.ok = false;
        result.error = CoreError::of(CoreErrorKind::NoChannels);
        return result;
    }
    const QByteArray header = wavHeader(request, channels, blocks.count(), riffSizeLimit);
    if (!writeWhole(out, header.constData(), header.size(), result.error)) {
        result.ok = false;
        return result;
    }
    const std::size_t n = channels.size();
    std::vector<std::uint8_t> frames(n * static_cast<std::size_t>(blocks.blockSamples()));
    for (std::int64_t first = 0; first < blocks.count(); first += blocks.blockSamples()) {
        const std::int64_t count = std::min(blocks.blockSamples(), blocks.count() - first);
        if (!blocks.read(first, count, result.error)) {
            result.ok = false;
            return result;
        }
        if (n == 1) {
            std::memcpy(frames.data(), blocks.row(0), static_cast<std::size_t>(count));
        } else if (n == 2) {
            const std::uint8_t *a = blocks.row(0), *b = blocks.row(1);
            std::uint8_t* p = frames.data();
            for (std::int64_t i = 0; i < count; ++i) {
                p[2 * i] = a[i];
                p[2 * i + 1] = b[i];
            }
        } else {
            for (std::size_t k = 0; k < n; ++k) {
                const std::uint8_t* row = blocks.row(k);
                for (std::int64_t i = 0; i < count; ++i)
                    frames[static_cast<std::size_t>(i) * n + k] = row[i];
            }
        }
        if (!writeWhole(out, reinterpret_cast<const char*>(frames.data()), count * static_cast<qint64>(n),
                        result.error)) {
            result.ok = false;
            return result;
        }
        result.samples = first + count;
        if (!reportProgress(progress, result.samples, blocks.count(), result))
            return result;
    }
    if ((blocks.count() * static_cast<std::int64_t>(n)) % 2 != 0 && !writeWhole(out, "", 1, result.error))
        result.ok = false; // RIFF chunks end on an even byte
    return result;
}

std::unique_ptr<ImportReader> makeWavReader(QIODevice& in) {
    return std::make_unique<WavReader>(in);
}

} // namespace varnilog
