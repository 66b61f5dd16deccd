#include "decode/DecodeResultsFile.h"

#include "recording/RecordingFileSet.h"
#include "recording/RecordingLoader.h"
#include "recording/SafeFile.h"
#include "recording/SampleStamp.h"
#include "recording/SetLock.h"

#include <QFile>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <string_view>
#include <unordered_map>

namespace varnilog {

namespace {

constexpr char kMagic[] = "VLDECOD1";
constexpr std::size_t kMagicSize = 8;

class Writer {
public:
    QByteArray out;
    void u8(std::uint8_t v) { out.append(static_cast<char>(v)); }
    void u16(std::uint16_t v) { fixed(v, 2); }
    void u32(std::uint32_t v) { fixed(v, 4); }
    void i64(std::int64_t v) { fixed(static_cast<std::uint64_t>(v), 8); }
    void f64(double v) { fixed(std::bit_cast<std::uint64_t>(v), 8); }
    void text(std::string_view s) {
        u32(static_cast<std::uint32_t>(s.size()));
        out.append(s.data(), static_cast<qsizetype>(s.size()));
    }

private:
    void fixed(std::uint64_t v, int bytes) {
        char b[8];
        for (int i = 0; i < bytes; ++i)
            b[i] = static_cast<char>(v >> (8 * i));
        out.append(b, bytes);
    }
};

// Every read is checked against what is left; the first failure sticks, with its offset.
class Reader {
public:
    explicit Reader(QByteArrayView bytes) : p_(bytes.data()), size_(static_cast<std::size_t>(bytes.size())) {}
    bool ok() const { return ok_; }
    std::size_t at() const { return at_; }
    std::size_t left() const { return size_ - at_; }
    // Marks the data just read as unsound (an index, a value out of range).
    bool refuse(std::size_t at) {
        if (ok_) {
            ok_ = false;
            failedAt_ = at;
        }
        return false;
    }
    std::size_t failedAt() const { return failedAt_; }

    std::uint8_t u8() { return static_cast<std::uint8_t>(fixed(1)); }
    std::uint16_t u16() { return static_cast<std::uint16_t>(fixed(2)); }
    std::uint32_t u32() { return static_cast<std::uint32_t>(fixed(4)); }
    std::int64_t i64() { return static_cast<std::int64_t>(fixed(8)); }
    double f64() { return std::bit_cast<double>(fixed(8)); }
    std::string_view bytes(std::size_t n) {
        if (!ok_ || n > left()) {
            refuse(at_);
            return {};
        }
        const std::string_view s(p_ + at_, n);
        at_ += n;
        return s;
    }
    std::string text() { return std::string(bytes(u32())); }
    // A count of items of at least minBytes each that the rest of the file can hold.
    std::size_t count(std::size_t minBytes) {
        const std::size_t start = at_;
        const std::uint32_t n = u32();
        if (ok_ && static_cast<std::uint64_t>(n) * minBytes > left())
            refuse(start);
        return ok_ ? n : 0;
    }

private:
    std::uint64_t fixed(int n) {
        if (!ok_ || static_cast<std::size_t>(n) > left()) {
            refuse(at_);
            return 0;
        }
        std::uint64_t v = 0;
        for (int i = 0; i < n; ++i)
            v |= static_cast<std::uint64_t>(static_cast<unsigned char>(p_[at_ + static_cast<std::size_t>(i)]))
                 << (8 * i);
        at_ += static_cast<std::size_t>(n);
        return v;
    }

    const char* p_;
    std::size_t size_;
    std::size_t at_ = 0;
    bool ok_ = true;
    std::size_t failedAt_ = 0;
};

bool soundHysteresis(double h) {
    return std::isfinite(h) && h >= 0.0 && h <= 1.0;
}

CoreError damagedAt(std::size_t at) {
    CoreError e = CoreError::of(CoreErrorKind::DecodeResultsDamaged);
    e.first = static_cast<std::int64_t>(at);
    return e;
}

} // namespace

DecodeResults decodeResultsOf(const RecordingDecodeRequest& request, const RecordingDecodeResult& result,
                              std::vector<Annotation> annotations) {
    DecodeResults r;
    r.settings = {request.stack, request.channels, request.thresholds, request.span};
    r.levels = result.levels;
    r.sampleRateHz = result.sampleRateHz;
    r.decodedTo = result.decodedTo;
    if (result.problem.kind == DecodeProblemKind::DecoderFailed)
        r.failure = result.problem;
    r.decoders = result.decoders;
    r.annotations = std::move(annotations);
    r.samples = result.samples;
    return r;
}

QString decodeResultsPathFor(const QString& pathInSet) {
    return siblingPath(pathInSet, QString::fromLatin1(kDecodeResultsExtension));
}

QByteArray encodeDecodeResults(const DecodeResults& results) {
    DecodeResultsContent content;
    for (const DecoderInfo* d : results.decoders) {
        auto& ids = content.classIds.emplace_back();
        for (const AnnotationClassInfo& c : d->annotationClasses)
            ids.push_back(c.id);
    }
    return encodeDecodeResults(results, content.classIds);
}

QByteArray encodeDecodeResults(const DecodeResultsContent& content) {
    return encodeDecodeResults(content.results, content.classIds);
}

QByteArray encodeDecodeResults(const DecodeResults& results,
                               const std::vector<std::vector<std::string>>& classIds) {
    Writer w;
    w.out.append(kMagic, kMagicSize);
    const DecodeSettings& s = results.settings;
    w.i64(s.span.from);
    w.i64(s.span.to);
    w.i64(static_cast<std::int64_t>(results.sampleRateHz));
    w.i64(results.decodedTo);
    w.u32(static_cast<std::uint32_t>(s.stack.size()));
    for (std::size_t i = 0; i < s.stack.size(); ++i) {
        w.text(s.stack[i].id);
        w.u32(static_cast<std::uint32_t>(s.stack[i].options.size()));
        for (const auto& [name, value] : s.stack[i].options) {
            w.text(name);
            w.text(value);
        }
        const std::vector<std::string> none;
        const auto& classes = i < classIds.size() ? classIds[i] : none;
        w.u32(static_cast<std::uint32_t>(classes.size()));
        for (const std::string& c : classes)
            w.text(c);
    }
    w.u32(static_cast<std::uint32_t>(s.channels.size()));
    for (const auto& [id, channel] : s.channels) {
        w.text(id);
        w.u8(static_cast<std::uint8_t>(channel));
    }
    for (const ChannelThreshold& t : s.thresholds) {
        w.u8(t.volts.has_value());
        w.f64(t.volts.value_or(0.0));
        w.f64(t.hysteresisDivisions);
    }
    for (const LogicLevel& l : results.levels) {
        w.f64(l.volts);
        w.f64(l.hysteresisDivisions);
    }
    // The texts once each: a busy UART's million annotations share a few hundred.
    std::unordered_map<std::string_view, std::uint32_t> index;
    std::vector<std::string_view> table;
    for (const Annotation& a : results.annotations)
        for (const std::string& t : a.texts)
            if (index.try_emplace(t, static_cast<std::uint32_t>(table.size())).second)
                table.push_back(t);
    w.u32(static_cast<std::uint32_t>(table.size()));
    for (const std::string_view t : table)
        w.text(t);
    w.i64(static_cast<std::int64_t>(results.annotations.size()));
    for (const Annotation& a : results.annotations) {
        w.i64(a.start);
        w.i64(a.end);
        w.u16(static_cast<std::uint16_t>(a.decoder));
        w.u16(static_cast<std::uint16_t>(a.annotationClass));
        w.u16(static_cast<std::uint16_t>(a.texts.size()));
        for (const std::string& t : a.texts)
            w.u32(index.at(t));
    }
    const bool failed = results.failure.kind == DecodeProblemKind::DecoderFailed;
    w.u8(failed);
    w.text(failed ? results.failure.decoder : std::string());
    w.text(failed ? results.failure.message : std::string());
    w.out.append(sampleStamp(results.samples));
    return w.out;
}

bool parseDecodeResults(QByteArrayView bytes, DecodeResultsContent& content, CoreError& error) {
    content = {};
    DecodeResults& r = content.results;
    DecodeSettings& s = r.settings;
    Reader in(bytes);
    const auto refuse = [&](std::size_t at) {
        in.refuse(at);
        error = damagedAt(in.failedAt());
        return false;
    };
    if (in.bytes(kMagicSize) != std::string_view(kMagic, kMagicSize))
        return refuse(0);
    std::size_t at = in.at();
    s.span.from = in.i64();
    s.span.to = in.i64();
    const std::int64_t rate = in.i64();
    r.sampleRateHz = static_cast<std::uint64_t>(rate);
    r.decodedTo = in.i64();
    if (in.ok() && (s.span.from < 0 || s.span.to < s.span.from || rate <= 0 || r.decodedTo < s.span.from ||
                    r.decodedTo > s.span.to))
        return refuse(at);
    const std::size_t decoders = in.count(12);
    if (in.ok() && decoders == 0)
        return refuse(in.at() - 4);
    for (std::size_t i = 0; i < decoders && in.ok(); ++i) {
        at = in.at();
        DecoderSetting& d = s.stack.emplace_back();
        d.id = in.text();
        if (in.ok() && d.id.empty())
            return refuse(at);
        for (std::size_t o = 0, n = in.count(8); o < n && in.ok(); ++o) {
            std::string name = in.text();
            std::string value = in.text();
            d.options.emplace_back(std::move(name), std::move(value));
        }
        auto& classes = content.classIds.emplace_back();
        for (std::size_t c = 0, n = in.count(4); c < n && in.ok(); ++c)
            classes.push_back(in.text());
        content.decoderIds.push_back(d.id);
    }
    for (std::size_t c = 0, n = in.count(5); c < n && in.ok(); ++c) {
        at = in.at();
        std::string id = in.text();
        const int channel = in.u8();
        if (in.ok() && (id.empty() || channel > 3))
            return refuse(at);
        s.channels.emplace_back(std::move(id), channel);
    }
    for (ChannelThreshold& t : s.thresholds) {
        at = in.at();
        const std::uint8_t has = in.u8();
        const double volts = in.f64();
        t.hysteresisDivisions = in.f64();
        if (in.ok() && (has > 1 || !std::isfinite(volts) || !soundHysteresis(t.hysteresisDivisions)))
            return refuse(at);
        if (has)
            t.volts = volts;
    }
    for (LogicLevel& l : r.levels) {
        at = in.at();
        l.volts = in.f64();
        l.hysteresisDivisions = in.f64();
        if (in.ok() && (!std::isfinite(l.volts) || !soundHysteresis(l.hysteresisDivisions)))
            return refuse(at);
    }
    std::vector<std::string> texts(in.count(4));
    for (std::string& t : texts)
        t = in.text();
    at = in.at();
    const std::int64_t count = in.i64();
    // An annotation takes 22 bytes at least.
    if (in.ok() && (count < 0 || static_cast<std::uint64_t>(count) > in.left() / 22))
        return refuse(at);
    r.annotations.reserve(static_cast<std::size_t>(std::max<std::int64_t>(count, 0)));
    for (std::int64_t k = 0; k < count && in.ok(); ++k) {
        at = in.at();
        Annotation& a = r.annotations.emplace_back();
        a.start = in.i64();
        a.end = in.i64();
        a.decoder = in.u16();
        a.annotationClass = in.u16();
        const std::size_t n = in.u16();
        if (!in.ok())
            break;
        if (a.start < 0 || a.end < a.start || static_cast<std::size_t>(a.decoder) >= decoders ||
            static_cast<std::size_t>(a.annotationClass) >=
                content.classIds[static_cast<std::size_t>(a.decoder)].size())
            return refuse(at);
        a.texts.reserve(n);
        for (std::size_t t = 0; t < n; ++t) {
            const std::uint32_t i = in.u32();
            if (in.ok() && i >= texts.size())
                return refuse(in.at() - 4);
            if (in.ok())
                a.texts.push_back(texts[i]);
        }
    }
    at = in.at();
    const std::uint8_t failed = in.u8();
    std::string decoder = in.text();
    std::string message = in.text();
    if (in.ok() && (failed > 1 || (!failed && (!decoder.empty() || !message.empty()))))
        return refuse(at);
    if (failed)
        r.failure = {DecodeProblemKind::DecoderFailed, std::move(decoder), {}, {}, {}, std::move(message)};
    at = in.at();
    const std::string_view stamp = in.bytes(static_cast<std::size_t>(kSampleStampSize));
    const auto ids =
        in.ok() ? sampleStampIdentities(QByteArrayView(stamp.data(), kSampleStampSize)) : std::nullopt;
    if (!in.ok() || !ids)
        return refuse(at);
    if (in.left() != 0)
        return refuse(in.at());
    r.samples = *ids;
    error = {};
    return true;
}

DecodeResultsReading loadDecodeResults(const QString& rosPath) {
    DecodeResultsReading reading;
    const QString path = decodeResultsPathFor(rosPath);
    if (!anythingNamed(path))
        return reading;
    reading.exists = true;
    QFile file;
    if (!openSetFileForReading(file, path, {})) {
        reading.error = {CoreErrorKind::CannotOpenFile, path, {}, {}, 0, 0, {}};
        return reading;
    }
    if (file.size() > kDecodeResultsSizeLimit) {
        reading.error = {CoreErrorKind::DecodeResultsTooLarge, path, {}, {},
                         kDecodeResultsSizeLimit >> 20,        0,    {}};
        return reading;
    }
    const QByteArray bytes = file.readAll();
    DecodeResultsContent content;
    if (!parseDecodeResults(bytes, content, reading.error)) {
        reading.error.path = path;
        return reading;
    }
    if (!stampMatches(content.results.samples, rosPath)) {
        reading.stale = true;
        return reading;
    }
    // The installed decoders name the classes; a class the file knows by an id they lack (another
    // version of the library) makes the results stale, never misnamed.
    DecodeResults& r = content.results;
    std::vector<std::vector<int>> classOf(content.decoderIds.size());
    for (std::size_t i = 0; i < content.decoderIds.size(); ++i) {
        const DecoderInfo* d = findDecoder(content.decoderIds[i]);
        if (d == nullptr) {
            reading.stale = true;
            return reading;
        }
        r.decoders.push_back(d);
        for (const std::string& id : content.classIds[i]) {
            const auto& known = d->annotationClasses;
            const auto found = std::find_if(known.begin(), known.end(),
                                            [&](const AnnotationClassInfo& c) { return c.id == id; });
            classOf[i].push_back(found == known.end() ? -1 : static_cast<int>(found - known.begin()));
        }
    }
    for (Annotation& a : r.annotations) {
        const int c =
            classOf[static_cast<std::size_t>(a.decoder)][static_cast<std::size_t>(a.annotationClass)];
        if (c < 0) {
            reading.stale = true;
            return reading;
        }
        a.annotationClass = c;
    }
    reading.results = std::move(r);
    return reading;
}

bool saveDecodeResults(const QString& rosPath, const DecodeResults& results, CoreError& error) {
    error = {};
    SetLock lock;
    if (!lockSet(lock, rosPath, error))
        return false;
    for (std::size_t c = 0; c < results.samples.size(); ++c) {
        const QString sample = sampleFilePath(rosPath, static_cast<int>(c));
        if (results.samples[c].exists() && !(identityOf(sample) == results.samples[c])) {
            error = {CoreErrorKind::DecodeSamplesChanged, sample, {}, {}, 0, 0, {}};
            return false;
        }
    }
    const QByteArray bytes = encodeDecodeResults(results);
    const QString path = decodeResultsPathFor(rosPath);
    if (bytes.size() > kDecodeResultsSizeLimit) {
        error = {CoreErrorKind::DecodeResultsTooLarge, path, {}, {}, kDecodeResultsSizeLimit >> 20, 0, {}};
        return false;
    }
    if (QString reason; !writeFileSafely(path, bytes, reason)) {
        error = {CoreErrorKind::PathReason, path, {}, reason, 0, 0, {}};
        return false;
    }
    return true;
}

} // namespace varnilog
