// The reader half of the sigrok session codec (see SigrokSession.h): the analog channels of a
// session, member by member, through libzip.
#include "recording/SigrokSession.h"
#include "recording/ZipLibrary.h"

#include <QList>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <map>
#include <optional>
#include <vector>

namespace varnilog {

namespace {

constexpr zip_uint64_t kSmallMemberLimit = 1 << 20; // "version" and "metadata" are a few lines

QString zipReason(zip_error_t* error) {
    return QString::fromUtf8(zip_error_strerror(error));
}

// libzip reads the archive from the import's device.
struct ArchiveSource {
    QIODevice& in;
    zip_error_t error{};
};

zip_int64_t sourceCallback(void* user, void* data, zip_uint64_t len, zip_source_cmd_t cmd) {
    auto& src = *static_cast<ArchiveSource*>(user);
    switch (cmd) {
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                                              ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE,
                                              ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL, ZIP_SOURCE_SUPPORTS, -1);
    case ZIP_SOURCE_STAT: {
        auto* st = static_cast<zip_stat_t*>(data);
        zip_stat_init(st);
        st->size = static_cast<zip_uint64_t>(src.in.size());
        st->valid = ZIP_STAT_SIZE;
        return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_OPEN:
        return src.in.seek(0) ? 0 : -1;
    case ZIP_SOURCE_READ: {
        const qint64 n = src.in.read(static_cast<char*>(data), static_cast<qint64>(len));
        if (n < 0)
            zip_error_set(&src.error, ZIP_ER_READ, EIO);
        return n;
    }
    case ZIP_SOURCE_SEEK: {
        const zip_int64_t target =
            zip_source_seek_compute_offset(static_cast<zip_uint64_t>(src.in.pos()),
                                           static_cast<zip_uint64_t>(src.in.size()), data, len, &src.error);
        if (target < 0)
            return -1;
        if (!src.in.seek(target)) {
            zip_error_set(&src.error, ZIP_ER_SEEK, EIO);
            return -1;
        }
        return 0;
    }
    case ZIP_SOURCE_TELL:
        return src.in.pos();
    case ZIP_SOURCE_CLOSE:
    case ZIP_SOURCE_FREE:
        return 0;
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&src.error, data, len);
    default:
        zip_error_set(&src.error, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
}

// Past the rates a session can name: sigrok keeps them as 64-bit whole hertz.
constexpr double kRateLimitHz = 18446744073709551616.0; // 2^64

// Hertz of "1 MHz", "500 kHz", "20 Hz", "1000" (sigrok writes the unit); nothing when it is no rate.
std::optional<double> parseRate(QByteArray text) {
    text = text.trimmed();
    if (text.endsWith("Hz"))
        text.chop(2);
    text = text.trimmed();
    double scale = 1;
    if (text.endsWith('k') || text.endsWith('K'))
        scale = 1e3;
    else if (text.endsWith('M'))
        scale = 1e6;
    else if (text.endsWith('G'))
        scale = 1e9;
    else if (text.endsWith('T'))
        scale = 1e12;
    if (scale != 1)
        text.chop(1);
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return v * scale;
}

// The channel and chunk numbers of an analog member's name, "analog-1-K-N" exactly (no leading zeros).
bool analogMember(QByteArrayView name, int& channel, std::int64_t& chunk) {
    if (!name.startsWith("analog-1-"))
        return false;
    const QList<QByteArray> parts = name.sliced(9).toByteArray().split('-');
    if (parts.size() != 2)
        return false;
    const auto whole = [](const QByteArray& digits, std::int64_t& value) {
        bool ok = digits.size() <= 9 && !digits.startsWith('0');
        for (char ch : digits)
            ok = ok && ch >= '0' && ch <= '9';
        value = ok ? digits.toLongLong(&ok) : 0;
        return ok && value > 0;
    };
    std::int64_t k = 0;
    if (!whole(parts[0], k) || !whole(parts[1], chunk))
        return false;
    channel = static_cast<int>(k);
    return true;
}

class SigrokReader final : public ImportReader {
public:
    explicit SigrokReader(QIODevice& in) : source_{in}, zipLoaded_(zipLibraryLoaded(zipMissing_)) {
        if (zipLoaded_)
            zip_error_init(&source_.error);
    }
    ~SigrokReader() override {
        if (!zipLoaded_)
            return;
        closeMembers();
        if (za_ != nullptr)
            zip_discard(za_);
        zip_error_fini(&source_.error);
    }

    bool open(QString& error) override {
        if (!zipLoaded_)
            return fail(error, zipMissing_);
        zip_error_t zerror;
        zip_error_init(&zerror);
        zip_source_t* src = zip_source_function_create(sourceCallback, &source_, &zerror);
        za_ = src ? zip_open_from_source(src, ZIP_RDONLY, &zerror) : nullptr;
        if (za_ == nullptr) {
            if (src != nullptr)
                zip_source_free(src);
            error =
                QStringLiteral("not a sigrok session (%1)")
                    .arg(source_.in.isSequential() ? QStringLiteral("a pipe or device: a ZIP archive is read "
                                                                    "from a file")
                         : zip_error_code_zip(&zerror) == ZIP_ER_OK ? QStringLiteral("not a ZIP archive")
                                                                    : zipReason(&zerror));
            zip_error_fini(&zerror);
            return false;
        }
        zip_error_fini(&zerror);
        QByteArray version, metadata;
        if (!readSmall("version", version, error) || !readSmall("metadata", metadata, error))
            return false;
        if (version.trimmed() != "2")
            return fail(error, QStringLiteral("sigrok session version %1: only 2 is read")
                                   .arg(QString::fromLatin1(version.trimmed().left(16).toPercentEncoding())));
        if (!readMetadata(metadata, error))
            return false;
        // Every analog member by its channel and chunk number, whatever the order in the archive: a
        // chunk missing in between would otherwise drop the ones after it.
        std::map<int, std::map<std::int64_t, zip_uint64_t>> members;
        const zip_int64_t entries = zip_get_num_entries(za_, 0);
        for (zip_int64_t i = 0; i < entries; ++i) {
            const char* name = zip_get_name(za_, static_cast<zip_uint64_t>(i), 0);
            int channel = 0;
            std::int64_t chunk = 0;
            if (name != nullptr && analogMember(name, channel, chunk))
                members[channel][chunk] = static_cast<zip_uint64_t>(i);
        }
        for (std::size_t k = 0; k < indices_.size(); ++k) {
            std::uint64_t bytes = 0;
            std::vector<zip_int64_t> chunks;
            for (const auto& [chunk, index] : members[indices_[k]]) {
                const auto expected = static_cast<std::int64_t>(chunks.size()) + 1;
                if (chunk != expected)
                    return fail(error, QStringLiteral("member %1 is missing (%2 follows)")
                                           .arg(QString::fromLatin1(memberName(k, expected)),
                                                QString::fromLatin1(memberName(k, chunk))));
                zip_stat_t st;
                if (zip_stat_index(za_, index, 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE))
                    return fail(error, QStringLiteral("%1: %2").arg(QString::fromLatin1(memberName(k, chunk)),
                                                                    zipReason(zip_get_error(za_))));
                if (st.size % 4 != 0)
                    return fail(error, QStringLiteral("%1: %2 bytes, not whole float32 samples")
                                           .arg(QString::fromLatin1(memberName(k, chunk)))
                                           .arg(st.size));
                bytes += st.size;
                chunks.push_back(static_cast<zip_int64_t>(index));
            }
            if (chunks.empty())
                return fail(
                    error, QStringLiteral("member %1 is missing").arg(QString::fromLatin1(memberName(k, 1))));
            if (k > 0 && bytes / 4 != static_cast<std::uint64_t>(frames_))
                return fail(error, QStringLiteral("the analog channels have different lengths"));
            frames_ = static_cast<std::int64_t>(bytes / 4);
            chunks_.push_back(std::move(chunks));
        }
        info_.format = QStringLiteral("sigrok");
        QString ignored;
        return rewind(ignored);
    }

    bool rewind(QString&) override {
        closeMembers();
        position_.assign(indices_.size(), Position{});
        return true;
    }

    std::int64_t read(const std::array<double*, kChannels>& values, std::int64_t maxFrames,
                      QString& error) override {
        std::int64_t n = -1;
        for (std::size_t k = 0; k < indices_.size(); ++k) {
            const std::int64_t got = readChannel(k, values[k], maxFrames, error);
            if (got < 0)
                return -1;
            if (n >= 0 && got != n)
                return fail(error, QStringLiteral("the analog channels have different lengths")), -1;
            n = got;
        }
        return std::max<std::int64_t>(n, 0);
    }

private:
    struct Position {
        std::size_t chunk = 0;      // index into the channel's chunks
        zip_file_t* file = nullptr; // the open member, nullptr before it
        std::int64_t sample = 0;    // samples read from the channel
    };

    static bool fail(QString& error, const QString& text) {
        error = text;
        return false;
    }

    QByteArray memberName(std::size_t k, std::int64_t chunk) const {
        return "analog-1-" + QByteArray::number(indices_[k]) + '-' + QByteArray::number(chunk);
    }

    void closeMembers() {
        for (Position& p : position_)
            if (p.file != nullptr) {
                zip_fclose(p.file);
                p.file = nullptr;
            }
    }

    bool readSmall(const char* name, QByteArray& bytes, QString& error) {
        zip_stat_t st;
        if (zip_stat(za_, name, 0, &st) != 0)
            return fail(error,
                        QStringLiteral("no \"%1\" file: not a sigrok session").arg(QLatin1String(name)));
        if (!(st.valid & ZIP_STAT_SIZE) || st.size > kSmallMemberLimit)
            return fail(
                error,
                QStringLiteral("\"%1\" of %2 bytes is too large").arg(QLatin1String(name)).arg(st.size));
        zip_file_t* file = zip_fopen(za_, name, 0);
        if (file == nullptr)
            return fail(error,
                        QStringLiteral("%1: %2").arg(QLatin1String(name), zipReason(zip_get_error(za_))));
        bytes.resize(static_cast<qsizetype>(st.size));
        const zip_int64_t got = zip_fread(file, bytes.data(), st.size);
        const QString why = zipReason(zip_file_get_error(file));
        zip_fclose(file);
        if (got != static_cast<zip_int64_t>(st.size))
            return fail(error, QStringLiteral("%1: %2").arg(QLatin1String(name), why));
        return true;
    }

    // "[device 1]": samplerate and the analog channels by number ("analog2=B").
    bool readMetadata(const QByteArray& text, QString& error) {
        bool inDevice = false;
        std::map<int, QByteArray> analog;
        std::optional<QByteArray> rate;
        for (const QByteArray& raw : text.split('\n')) {
            const QByteArray line = raw.trimmed();
            if (line.startsWith('[')) {
                inDevice = line == "[device 1]";
                continue;
            }
            const qsizetype eq = line.indexOf('=');
            if (!inDevice || eq < 0)
                continue;
            const QByteArray key = line.left(eq).trimmed(), value = line.mid(eq + 1).trimmed();
            if (key == "samplerate")
                rate = value;
            else if (key.startsWith("analog")) {
                bool ok = false;
                const int index = key.mid(6).toInt(&ok);
                if (ok && index > 0 && index < 100000)
                    analog[index] = value;
            }
        }
        if (!rate)
            return fail(error, QStringLiteral("metadata without a sample rate"));
        const QString rateText = QString::fromLatin1(rate->left(40).toPercentEncoding(" "));
        const std::optional<double> hertz = parseRate(*rate);
        if (!hertz)
            return fail(error, QStringLiteral("metadata: samplerate \"%1\" is not a rate").arg(rateText));
        if (!(*hertz > 0 && *hertz < kRateLimitHz))
            return fail(error, QStringLiteral("metadata: samplerate \"%1\" is out of range (above 0 Hz and "
                                              "below 2^64 Hz, as sigrok keeps rates)")
                                   .arg(rateText));
        info_.sampleRateHz = *hertz;
        if (analog.empty())
            return fail(error, QStringLiteral("no analog channels"));
        if (analog.size() > static_cast<std::size_t>(kChannels))
            return fail(error, QStringLiteral("%1 analog channels: at most %2 can be imported")
                                   .arg(analog.size())
                                   .arg(kChannels));
        for (const auto& entry : analog)
            indices_.push_back(entry.first);
        info_.channels = static_cast<int>(indices_.size());
        return true;
    }

    std::int64_t readChannel(std::size_t k, double* out, std::int64_t maxFrames, QString& error) {
        Position& p = position_[k];
        std::int64_t n = 0;
        while (n < maxFrames && p.chunk < chunks_[k].size()) {
            if (p.file == nullptr) {
                p.file = zip_fopen_index(za_, static_cast<zip_uint64_t>(chunks_[k][p.chunk]), 0);
                if (p.file == nullptr)
                    return fail(error, QStringLiteral("%1: %2").arg(
                                           QString::fromLatin1(memberName(k, static_cast<int>(p.chunk) + 1)),
                                           zipReason(zip_get_error(za_)))),
                           -1;
            }
            const std::int64_t want =
                std::min<std::int64_t>(maxFrames - n, static_cast<std::int64_t>(raw_.size() / 4));
            const zip_int64_t got = zip_fread(p.file, raw_.data(), static_cast<zip_uint64_t>(want * 4));
            if (got < 0 || got % 4 != 0)
                return fail(error, QStringLiteral("%1: %2").arg(
                                       QString::fromLatin1(memberName(k, static_cast<int>(p.chunk) + 1)),
                                       zipReason(zip_file_get_error(p.file)))),
                       -1;
            if (got == 0) {
                zip_fclose(p.file);
                p.file = nullptr;
                ++p.chunk;
                continue;
            }
            for (zip_int64_t i = 0; i < got / 4; ++i) {
                std::uint32_t bits = 0;
                for (int b = 3; b >= 0; --b)
                    bits = bits << 8 | static_cast<std::uint8_t>(raw_[static_cast<std::size_t>(4 * i + b)]);
                float f;
                std::memcpy(&f, &bits, 4);
                if (!std::isfinite(f))
                    return fail(error, QStringLiteral("sample %1 of analog channel %2 is not a number")
                                           .arg(p.sample + i)
                                           .arg(indices_[k])),
                           -1;
                out[n + i] = f;
            }
            n += got / 4;
            p.sample += got / 4;
        }
        return n;
    }

    ArchiveSource source_;
    QString zipMissing_; // why libzip could not be loaded
    bool zipLoaded_ = false;
    zip_t* za_ = nullptr;
    std::vector<int> indices_;                     // the analog channels' numbers, ascending
    std::vector<std::vector<zip_int64_t>> chunks_; // per channel, its members in order
    std::vector<Position> position_;
    std::vector<char> raw_ = std::vector<char>(1 << 16);
    std::int64_t frames_ = 0;
};

} // namespace

std::unique_ptr<ImportReader> makeSigrokReader(QIODevice& in) {
    return std::make_unique<SigrokReader>(in);
}

} // namespace varnilog
