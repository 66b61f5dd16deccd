#include "analysis/XyDensity.h"

#include "recording/MappedSpan.h"
#include "recording/RecordingLoader.h"
#include "recording/TextExport.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace varnilog {

std::uint64_t XyDensity::peak() const {
    return counts.empty() ? 0 : *std::max_element(counts.begin(), counts.end());
}

void XyDensity::clear() {
    std::fill(counts.begin(), counts.end(), 0);
    samples = 0;
}

void addXyPairs(const std::uint8_t* x, const std::uint8_t* y, std::size_t n, std::uint32_t* counts) {
    std::size_t i = 0;
#if defined(__SSE2__)
    for (; i + 16 <= n; i += 16) {
        const __m128i xs = _mm_loadu_si128(reinterpret_cast<const __m128i*>(x + i));
        const __m128i ys = _mm_loadu_si128(reinterpret_cast<const __m128i*>(y + i));
        const __m128i same = _mm_and_si128(_mm_cmpeq_epi8(xs, _mm_set1_epi8(static_cast<char>(x[i]))),
                                           _mm_cmpeq_epi8(ys, _mm_set1_epi8(static_cast<char>(y[i]))));
        if (_mm_movemask_epi8(same) == 0xFFFF) {
            counts[static_cast<std::size_t>(x[i]) << 8 | y[i]] += 16;
            continue;
        }
        for (std::size_t j = i; j < i + 16; ++j)
            ++counts[static_cast<std::size_t>(x[j]) << 8 | y[j]];
    }
#endif
    for (; i < n; ++i)
        ++counts[static_cast<std::size_t>(x[i]) << 8 | y[i]];
}

namespace {

constexpr char kChanged[] = "the recording changed while it was read";

// The 32-bit counts of the hot loop, folded into the 64-bit ones before any could overflow.
struct Tally {
    std::vector<std::uint32_t> counts = std::vector<std::uint32_t>(kXyCells);
    std::int64_t since = 0; // pairs added since the last fold

    void add(const std::uint8_t* x, const std::uint8_t* y, std::int64_t n, XyDensity& out) {
        if (since + n > std::int64_t{0xFFFFFFFF})
            fold(out);
        addXyPairs(x, y, static_cast<std::size_t>(n), counts.data());
        since += n;
        out.samples += n;
    }
    void fold(XyDensity& out) {
        for (std::size_t i = 0; i < kXyCells; ++i)
            out.counts[i] += counts[i];
        std::fill(counts.begin(), counts.end(), 0);
        since = 0;
    }
};

bool readFully(QFile& file, std::uint8_t* out, std::int64_t want, QString& error) {
    for (std::int64_t got = 0; got < want;) {
        const qint64 n = file.read(reinterpret_cast<char*>(out + got), want - got);
        if (n <= 0) {
            error = n < 0 ? file.errorString() : QStringLiteral("the file ended early");
            return false;
        }
        got += n;
    }
    return true;
}

bool openChecked(QFile& file, const QString& path, const FileIdentity& expected, QString& error) {
    if (!openSetFileForReading(file, path)) {
        error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    if (expected.exists() && !expected.sameFile(identityOf(file.handle()))) {
        error = QString::fromLatin1(kChanged);
        return false;
    }
    return true;
}

} // namespace

XyResult xyDensity(const XyRequest& request, const WorkProgress& progress) {
    XyResult result;
    const std::int64_t from = std::max<std::int64_t>(request.from, 0);
    const std::int64_t to = std::max(request.to, from);
    QFile xf, yf;
    if (!openChecked(xf, request.xFile, request.xIdentity, result.error) ||
        !openChecked(yf, request.yFile, request.yIdentity, result.error)) {
        result.ok = false;
        return result;
    }
    Tally tally;
    const std::int64_t block = std::max<std::int64_t>(request.blockSamples, 16);
    const auto report = [&](std::int64_t done) {
        if (progress && !progress(done, to - from)) {
            result.ok = false;
            result.cancelled = true;
        }
        return result.ok;
    };
    if (!report(0)) // a stop asked for before the first block
        return result;
    const MappedSpan xm(xf.handle(), from, to - from), ym(yf.handle(), from, to - from);
    if (xm.valid() && ym.valid()) {
        for (std::int64_t first = from; first < to;) {
            const std::int64_t n = std::min(block, to - first);
            tally.add(xm.data() + (first - from), ym.data() + (first - from), n, result.density);
            first += n;
            if (!report(first - from))
                return result;
        }
        if (xm.damaged() || ym.damaged()) {
            result.ok = false;
            result.error = QString::fromLatin1(kChanged);
            return result;
        }
    } else {
        std::vector<std::uint8_t> xs(static_cast<std::size_t>(block)), ys(static_cast<std::size_t>(block));
        if (!xf.seek(from) || !yf.seek(from)) {
            result.ok = false;
            result.error = xf.errorString();
            return result;
        }
        for (std::int64_t first = from; first < to;) {
            const std::int64_t n = std::min(block, to - first);
            if (!readFully(xf, xs.data(), n, result.error) || !readFully(yf, ys.data(), n, result.error)) {
                result.ok = false;
                return result;
            }
            tally.add(xs.data(), ys.data(), n, result.density);
            first += n;
            if (!report(first - from))
                return result;
        }
    }
    tally.fold(result.density);
    return result;
}

QByteArray xyDensityCsv(const XyDensity& density, std::uint8_t xSensitivity, std::uint8_t ySensitivity,
                        const QLocale& locale) {
    QByteArray out = "x_code;y_code;x_v;y_v;count\n";
    std::array<QByteArray, kXyCodes> yVolts;
    for (int y = 0; y < kXyCodes; ++y)
        yVolts[static_cast<std::size_t>(y)] =
            exportVoltageText(static_cast<std::uint8_t>(y), ySensitivity, locale).toUtf8();
    for (int x = 0; x < kXyCodes; ++x) {
        const QByteArray xv = exportVoltageText(static_cast<std::uint8_t>(x), xSensitivity, locale).toUtf8();
        for (int y = 0; y < kXyCodes; ++y)
            if (const std::uint64_t n = density.at(x, y))
                out += QByteArray::number(x) + ';' + QByteArray::number(y) + ';' + xv + ';' +
                       yVolts[static_cast<std::size_t>(y)] + ';' + QByteArray::number(n) + '\n';
    }
    return out;
}

} // namespace varnilog
