#include "view/ViewWindow.h"

#include "recording/CodeRange.h"
#include "recording/SampleSummary.h"
#include "view/WaveformRenderer.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include <cerrno>
#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace varnilog {

namespace {

constexpr std::int64_t kIntMax = INT_MAX;

void loadSamples(SharedState& state, int c) {
    auto& out = state.channelData[c];
    QFile& file = state.sampleFile[c];
    qint64 got = 0;
    if (file.isOpen() && file.seek(state.viewStart)) {
        got = std::max<qint64>(
            0, file.read(reinterpret_cast<char*>(state.readBuffer[c].data()), kDisplayColumns));
    }
    std::copy_n(state.readBuffer[c].begin(), got, out.begin());
    std::fill(out.begin() + got, out.begin() + kDisplayColumns, kZeroLine);
}

// Folds a stream of samples into columns of z samples: the largest into top, the smallest into bottom.
class ColumnFold {
public:
    ColumnFold(std::uint8_t* top, std::uint8_t* bottom, std::int64_t z) : top_(top), bottom_(bottom), z_(z) {}

    void bytes(const std::uint8_t* data, std::int64_t count) {
        for (std::int64_t pos = 0; pos < count && k_ < kDisplayColumns;) {
            const std::int64_t take = std::min<std::int64_t>(z_ - inColumn_, count - pos);
            extendRange(data + pos, static_cast<std::size_t>(take), lo_, hi_);
            pos += take;
            advance(take);
        }
    }
    // A hole of a sparse file reads as zeros: each column it touches gets 0 as its smallest sample,
    // without reading a byte of it.
    void zeros(std::int64_t count) {
        while (count > 0 && k_ < kDisplayColumns) {
            const std::int64_t take = std::min<std::int64_t>(z_ - inColumn_, count);
            lo_ = 0;
            count -= take;
            advance(take);
        }
    }
    // The file ended inside a column: it shows the samples it has; the rest is the zero line.
    void finish() {
        if (inColumn_ > 0)
            closeColumn();
        std::fill(top_ + k_, top_ + kDisplayColumns, kZeroLine);
        std::fill(bottom_ + k_, bottom_ + kDisplayColumns, kZeroLine);
    }

private:
    void advance(std::int64_t taken) {
        inColumn_ += taken;
        if (inColumn_ == z_)
            closeColumn();
    }
    void closeColumn() {
        top_[k_] = static_cast<std::uint8_t>(hi_);
        bottom_[k_] = static_cast<std::uint8_t>(lo_);
        ++k_;
        inColumn_ = 0;
        lo_ = 255;
        hi_ = 0;
    }
    std::uint8_t* top_;
    std::uint8_t* bottom_;
    std::int64_t z_;
    int k_ = 0;
    std::int64_t inColumn_ = 0; // samples of column k_ seen so far
    std::uint8_t lo_ = 255;
    std::uint8_t hi_ = 0;
};

// Where the run of data or hole that starts at pos ends (at most at end), and whether it is a hole.
// Without hole support everything is data.
struct Run {
    std::int64_t end;
    bool hole;
};
Run runAt(QFile& file, std::int64_t pos, std::int64_t end) {
#if defined(SEEK_DATA) && defined(SEEK_HOLE)
    const int fd = file.handle();
    if (fd >= 0) {
        errno = 0;
        const off_t data = ::lseek(fd, static_cast<off_t>(pos), SEEK_DATA);
        if (data < 0)
            return {end, errno == ENXIO}; // ENXIO: only a hole up to the end
        if (data > pos)
            return {std::min<std::int64_t>(data, end), true};
        const off_t hole = ::lseek(fd, static_cast<off_t>(pos), SEEK_HOLE);
        if (hole > pos)
            return {std::min<std::int64_t>(hole, end), false};
    }
#else
    (void)file;
    (void)pos;
#endif
    return {end, false};
}

// Columns of zoomDivisor samples read as one sequential span in large blocks. The holes of a sparse
// file are not read: they are zeros, so the columns are the same as when reading every byte.
void loadColumns(SharedState& state, ViewBuffers& view, int c) {
    QFile& file = state.sampleFile[c];
    ColumnFold fold(state.channelData[c].data(), view.columnMin[c].data(), state.zoomDivisor);
    const std::int64_t size = file.isOpen() ? file.size() : 0;
    const std::int64_t end =
        std::min<std::int64_t>(size, state.viewStart + state.zoomDivisor * std::int64_t{kDisplayColumns});
    std::int64_t pos = state.viewStart;
    while (pos < end) {
        const Run run = runAt(file, pos, end);
        if (run.hole) {
            fold.zeros(run.end - pos);
            pos = run.end;
            continue;
        }
        if (!file.seek(pos))
            break;
        while (pos < run.end) {
            const qint64 want = std::min<std::int64_t>(run.end - pos, kViewBlockSize);
            const qint64 got = file.read(reinterpret_cast<char*>(view.viewBlock.data()), want);
            if (got <= 0)
                break;
            fold.bytes(view.viewBlock.data(), got);
            pos += got;
        }
        if (pos < run.end)
            break; // the file ended early (shrunk since) or a read failed
    }
    fold.finish();
}

// Reads of one file that move forward through it: a read fetches at least `ahead` bytes, so the
// pieces the neighbouring columns need (one column's tail and the next one's head lie side by side)
// come from one system call.
class ForwardReader {
public:
    ForwardReader(QFile& file, std::uint8_t* buffer, std::int64_t capacity, std::int64_t ahead)
        : file_(file), buffer_(buffer), capacity_(capacity), ahead_(std::min(ahead, capacity)) {}

    // Points data at the bytes from pos on; how many of the count wanted are there (0 at the end).
    std::int64_t at(std::int64_t pos, std::int64_t count, const std::uint8_t*& data) {
        if (pos < start_ || pos >= start_ + length_) {
            start_ = pos;
            length_ =
                std::max<std::int64_t>(0, readAt(file_, pos, buffer_, std::clamp(count, ahead_, capacity_)));
            if (length_ == 0)
                return 0;
        }
        data = buffer_ + (pos - start_);
        return std::min(count, start_ + length_ - pos);
    }

private:
    QFile& file_;
    std::uint8_t* buffer_;
    std::int64_t capacity_;
    std::int64_t ahead_;
    std::int64_t start_ = 0;
    std::int64_t length_ = 0;
};

// The same columns from a summary that matches the sample file: each column folds the whole
// 65 536- and 256-sample pairs it covers and reads raw samples only for its two partial ends (a
// hole reads as zeros there too, and a hole's pairs are zeros), so the result is that of the scan.
class SummaryColumns {
public:
    static constexpr std::int64_t kRawCapacity = 8192;
    static constexpr std::int64_t kFineCapacity = 8192;

    // block: the view's staging block, shared out among the three readers.
    SummaryColumns(QFile& sample, QFile& summary, const SummaryLayout& layout, std::uint8_t* block,
                   std::int64_t zoom)
        : layout_(layout),
          // Narrow columns lie close together: read ahead across several. Wide ones need at most
          // 255 samples and 255 pairs at each end.
          raw_(sample, block, kRawCapacity, zoom < 4096 ? 4096 : 2 * kSummaryFineBlock),
          fine_(summary, block + kRawCapacity, kFineCapacity, zoom < 2 * kSummaryCoarseBlock ? 4096 : 1024),
          coarse_(summary, block + kRawCapacity + kFineCapacity,
                  kViewBlockSize - kRawCapacity - kFineCapacity, 1 << 16) {}

    void column(std::int64_t s, std::int64_t e, std::uint8_t& lo, std::uint8_t& hi) {
        constexpr std::int64_t F = kSummaryFineBlock;
        constexpr std::int64_t C = kSummaryCoarseBlock;
        const std::int64_t a = (s + F - 1) / F * F;
        const std::int64_t b = e / F * F;
        if (a >= b) {
            raw(s, e, lo, hi);
            return;
        }
        raw(s, a, lo, hi);
        const std::int64_t ca = (a + C - 1) / C * C;
        const std::int64_t cb = b / C * C;
        if (ca < cb) {
            pairs(fine_, layout_.fineOffset, a / F, ca / F, lo, hi);
            pairs(coarse_, layout_.coarseOffset, ca / C, cb / C, lo, hi);
            pairs(fine_, layout_.fineOffset, cb / F, b / F, lo, hi);
        } else {
            pairs(fine_, layout_.fineOffset, a / F, b / F, lo, hi);
        }
        raw(b, e, lo, hi);
    }

private:
    void raw(std::int64_t from, std::int64_t to, std::uint8_t& lo, std::uint8_t& hi) {
        while (from < to) {
            const std::uint8_t* data = nullptr;
            const std::int64_t got = raw_.at(from, to - from, data);
            if (got <= 0)
                return; // shrunk since it was checked: the samples it still has
            extendRange(data, static_cast<std::size_t>(got), lo, hi);
            from += got;
        }
    }
    static void pairs(ForwardReader& reader, std::int64_t offset, std::int64_t first, std::int64_t last,
                      std::uint8_t& lo, std::uint8_t& hi) {
        std::int64_t pos = offset + 2 * first;
        const std::int64_t end = offset + 2 * last;
        while (pos < end) {
            const std::uint8_t* data = nullptr;
            const std::int64_t got = reader.at(pos, end - pos, data) / 2 * 2;
            if (got <= 0)
                return;
            for (std::int64_t i = 0; i < got; i += 2) {
                lo = std::min(lo, data[i]);
                hi = std::max(hi, data[i + 1]);
            }
            pos += got;
        }
    }

    const SummaryLayout& layout_;
    ForwardReader raw_;
    ForwardReader fine_;
    ForwardReader coarse_;
};

// False when the channel has no summary that matches its sample file: the caller scans then.
bool loadColumnsFromSummary(SharedState& state, ViewBuffers& view, int c) {
    if (state.zoomDivisor < kSummaryFineBlock)
        return false;
    const SummaryLayout layout = readSummaryLayout(state.summaryFile[c], state.sampleFile[c]);
    if (!layout.valid)
        return false;
    SummaryColumns columns(state.sampleFile[c], state.summaryFile[c], layout, view.viewBlock.data(),
                           state.zoomDivisor);
    const std::int64_t z = state.zoomDivisor;
    for (int k = 0; k < kDisplayColumns; ++k) {
        const std::int64_t s = state.viewStart + k * z;
        if (s >= layout.length) {
            state.channelData[c][k] = kZeroLine;
            view.columnMin[c][k] = kZeroLine;
            continue;
        }
        std::uint8_t lo = 255;
        std::uint8_t hi = 0;
        columns.column(s, std::min(s + z, layout.length), lo, hi);
        state.channelData[c][k] = static_cast<std::uint8_t>(hi);
        view.columnMin[c][k] = static_cast<std::uint8_t>(lo);
    }
    return true;
}

} // namespace

void loadViewWindow(SharedState& state, ViewBuffers& view) {
    for (int c = 0; c < kChannels; ++c) {
        if (state.zoomDivisor < 2) {
            loadSamples(state, c);
        } else if (!loadColumnsFromSummary(state, view, c)) {
            loadColumns(state, view, c);
        }
    }
}

ScrollRange scrollRange(std::int64_t sampleCount, std::int32_t zoomDivisor, std::int64_t viewStart) {
    const std::int64_t z = std::max<std::int32_t>(1, zoomDivisor);
    ScrollRange r;
    r.page = kDisplayColumns * z;
    r.maximum = sampleCount > kDisplayColumns - 1 ? std::max<std::int64_t>(0, sampleCount - r.page) : 0;
    r.largeStep = 25 * z;
    r.smallStep = z;
    r.viewStart = std::clamp<std::int64_t>(viewStart, 0, r.maximum);
    return r;
}

ScrollBarSetup scrollBarSetup(const ScrollRange& range) {
    ScrollBarSetup bar;
    bar.samplesPerStep = range.maximum > kIntMax ? (range.maximum + kIntMax - 1) / kIntMax : 1;
    const std::int64_t unit = bar.samplesPerStep;
    auto steps = [unit](std::int64_t samples) {
        return static_cast<int>(std::clamp<std::int64_t>(samples / unit, 1, kIntMax));
    };
    bar.maximum = static_cast<int>((range.maximum + unit - 1) / unit);
    bar.pageStep = steps(range.page);
    bar.singleStep = steps(range.smallStep);
    bar.largeStep = steps(range.largeStep);
    bar.position = range.viewStart >= range.maximum ? bar.maximum : static_cast<int>(range.viewStart / unit);
    return bar;
}

int trackClickPosition(int position, int direction, int step, int minimum, int maximum) {
    // In 64 bits: a step near the int range must not wrap past the end.
    const std::int64_t moved = std::int64_t{position} + std::int64_t{direction} * step;
    return static_cast<int>(std::clamp<std::int64_t>(moved, minimum, std::max(minimum, maximum)));
}

std::int64_t viewStartAtPosition(const ScrollBarSetup& bar, const ScrollRange& range, int position) {
    if (position >= bar.maximum) {
        return range.maximum;
    }
    return std::clamp<std::int64_t>(static_cast<std::int64_t>(position) * bar.samplesPerStep, 0,
                                    range.maximum);
}

ViewRefresh readView(SharedState& state, ViewBuffers& view) {
    state.zoomDivisor = std::max<std::int32_t>(1, state.zoomDivisor);
    ViewRefresh result;
    result.range = scrollRange(state.sampleCount, state.zoomDivisor, state.viewStart);
    result.scrollBar = scrollBarSetup(result.range);
    result.cursorsEnabled = state.zoomDivisor <= 1;
    state.viewStart = result.range.viewStart;
    loadViewWindow(state, view);
    return result;
}

ViewRefresh refreshView(SharedState& state, ViewBuffers& view) {
    const ViewRefresh result = readView(state, view);
    renderWaveform(state, view);
    return result;
}

void scrollView(SharedState& state, ViewBuffers& view, std::int64_t viewStart) {
    state.viewStart = std::max<std::int64_t>(0, viewStart);
    loadViewWindow(state, view);
    renderWaveform(state, view);
}

std::int32_t zoomOutDivisor(std::int32_t zoomDivisor, std::int64_t sampleCount) {
    const std::int64_t doubled = 2 * static_cast<std::int64_t>(zoomDivisor);
    const std::int64_t limit = std::min<std::int64_t>(sampleCount / kDisplayColumns, kIntMax);
    return static_cast<std::int32_t>(std::max<std::int64_t>(1, std::min(doubled, limit)));
}

std::int32_t zoomInDivisor(std::int32_t zoomDivisor) {
    return std::max<std::int32_t>(1, zoomDivisor / 2);
}

std::int32_t showAllDivisor(std::int64_t sampleCount) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(sampleCount / kDisplayColumns, 1, kIntMax));
}

ViewPlacement showSelectionPlacement(std::int64_t viewStart, std::int32_t selectionStart,
                                     std::int32_t selectionEnd) {
    const std::int64_t a = selectionStart;
    const std::int64_t b = selectionEnd;
    ViewPlacement p;
    p.viewStart = std::max<std::int64_t>(0, viewStart + std::min(a, b));
    p.zoomDivisor =
        static_cast<std::int32_t>(std::max<std::int64_t>(1, (a > b ? a - b : b - a) / kDisplayColumns));
    return p;
}

ViewPlacement spanPlacement(std::int64_t from, std::int64_t to, std::int32_t zoomDivisor) {
    const std::int64_t length = std::max<std::int64_t>(to - from, 0);
    ViewPlacement p;
    p.zoomDivisor = static_cast<std::int32_t>(std::clamp<std::int64_t>(
        std::max<std::int64_t>(zoomDivisor, (length + kDisplayColumns - 1) / kDisplayColumns), 1, kIntMax));
    p.viewStart = std::max<std::int64_t>(
        0, from + length / 2 - static_cast<std::int64_t>(kDisplayColumns / 2) * p.zoomDivisor);
    return p;
}

} // namespace varnilog
