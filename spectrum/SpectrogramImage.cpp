#include "spectrum/SpectrogramImage.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>

namespace varnilog {

namespace {

constexpr int kLeft = spectrogramPlotLeft;
constexpr int kTop = spectrogramPlotTop;
constexpr int kScaleLeft = kLeft + spectrogramPlotWidth + 24;
constexpr int kScaleWidth = 18;
constexpr int kImageWidth = kScaleLeft + kScaleWidth + 70;
constexpr int kImageHeight = kTop + spectrogramPlotHeight + 36;

QString secondsText(double s) {
    return QStringLiteral("%1 s").arg(QString::number(s, 'g', 6));
}

QString hertzText(double hz) {
    return hz >= 1000.0 ? QStringLiteral("%1 kHz").arg(QString::number(hz / 1000.0, 'g', 4))
                        : QStringLiteral("%1 Hz").arg(QString::number(hz, 'g', 4));
}

} // namespace

QRgb spectrogramColour(double level) {
    struct Stop {
        double at;
        int r, g, b;
    };
    // Each stop lighter than the one before, and lighter all the way between them: the order of two
    // levels reads from their colours.
    static constexpr std::array<Stop, 6> stops{{
        {0.0, 0, 0, 0},
        {0.3, 30, 20, 120},
        {0.55, 150, 30, 140},
        {0.75, 230, 90, 70},
        {0.9, 250, 210, 80},
        {1.0, 255, 255, 255},
    }};
    const double t = std::clamp(std::isnan(level) ? 0.0 : level, 0.0, 1.0);
    std::size_t i = 1;
    while (i + 1 < stops.size() && t > stops[i].at)
        ++i;
    const Stop& a = stops[i - 1];
    const Stop& b = stops[i];
    const double f = (t - a.at) / (b.at - a.at);
    const auto mix = [f](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * f)); };
    return qRgb(mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b));
}

int spectrogramCellColumn(const SpectrogramPicture& picture, int x) {
    return static_cast<int>(std::int64_t(std::clamp(x, 0, spectrogramPlotWidth - 1)) * picture.width /
                            spectrogramPlotWidth);
}

int spectrogramCellRow(const SpectrogramPicture& picture, int y) {
    const int fromBottom = spectrogramPlotHeight - 1 - std::clamp(y, 0, spectrogramPlotHeight - 1);
    return static_cast<int>(std::int64_t(fromBottom) * picture.height / spectrogramPlotHeight);
}

std::optional<SpectrogramReading> spectrogramReadingAt(const SpectrogramPicture& picture,
                                                       const SpectrogramRequest& request, double range,
                                                       QPoint p) {
    const int x = p.x() - kLeft;
    const int y = p.y() - kTop;
    if (x < 0 || y < 0 || x >= spectrogramPlotWidth || y >= spectrogramPlotHeight || picture.width <= 0 ||
        picture.height <= 0)
        return std::nullopt;
    const int cellX = spectrogramCellColumn(picture, x);
    const int cellY = spectrogramCellRow(picture, y);
    SpectrogramReading r;
    r.sample = request.from + picture.firstColumnOf(cellX) * request.hopOrBlock() + request.block / 2;
    r.bin = picture.firstBinOf(cellY);
    r.db = spectrogramDb(picture.at(cellX, cellY), picture.peak, range);
    return r;
}

QImage drawSpectrogram(const SpectrogramPicture& picture, const SpectrogramAxes& axes) {
    QImage image(kImageWidth, kImageHeight, QImage::Format_RGB32);
    image.fill(qRgb(255, 255, 255));
    if (picture.width > 0 && picture.height > 0)
        for (int y = 0; y < spectrogramPlotHeight; ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(kTop + y)) + kLeft;
            const int row = spectrogramCellRow(picture, y);
            for (int x = 0; x < spectrogramPlotWidth; ++x) {
                const double db = spectrogramDb(picture.at(spectrogramCellColumn(picture, x), row),
                                                picture.peak, axes.range);
                line[x] = spectrogramColour((db + axes.range) / axes.range);
            }
        }
    for (int y = 0; y < spectrogramPlotHeight; ++y) {
        const QRgb c = spectrogramColour(1.0 - static_cast<double>(y) / (spectrogramPlotHeight - 1));
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(kTop + y)) + kScaleLeft;
        std::fill(line, line + kScaleWidth, c);
    }
    QPainter p(&image);
    p.setPen(Qt::black);
    p.drawRect(kLeft - 1, kTop - 1, spectrogramPlotWidth + 1, spectrogramPlotHeight + 1);
    p.drawRect(kScaleLeft - 1, kTop - 1, kScaleWidth + 1, spectrogramPlotHeight + 1);
    const int bottom = kTop + spectrogramPlotHeight;
    p.drawText(QRect(kLeft, bottom + 4, 200, 20), Qt::AlignLeft | Qt::AlignTop,
               secondsText(axes.firstSeconds));
    p.drawText(QRect(kLeft + spectrogramPlotWidth - 200, bottom + 4, 200, 20), Qt::AlignRight | Qt::AlignTop,
               secondsText(axes.endSeconds));
    p.drawText(QRect(0, kTop, kLeft - 6, 20), Qt::AlignRight | Qt::AlignTop, hertzText(axes.topHz));
    p.drawText(QRect(0, bottom - 20, kLeft - 6, 20), Qt::AlignRight | Qt::AlignBottom, hertzText(0.0));
    const int scaleText = kScaleLeft + kScaleWidth + 4;
    p.drawText(QRect(scaleText, kTop, 66, 20), Qt::AlignLeft | Qt::AlignTop, QStringLiteral("0 dB"));
    p.drawText(QRect(scaleText, bottom - 20, 66, 20), Qt::AlignLeft | Qt::AlignBottom,
               QStringLiteral("%1 dB").arg(QString::number(-axes.range, 'g', 4)));
    return image;
}

SpectrogramBand spectrogramBand(const SpectrogramPicture& picture, const SpectrogramRequest& request,
                                std::int64_t from, std::int64_t to) {
    const std::int64_t covered = picture.columns * request.hopOrBlock(); // samples the columns stand for
    if (covered <= 0 || to <= request.from || from >= request.from + covered || to <= from)
        return {};
    const auto column = [&](std::int64_t sample) {
        const std::int64_t into = std::clamp<std::int64_t>(sample - request.from, 0, covered);
        return static_cast<int>(static_cast<double>(into) * spectrogramPlotWidth /
                                static_cast<double>(covered));
    };
    const int first = std::min(column(from), spectrogramPlotWidth - 1);
    return {first, std::max(first + 1, column(to))};
}

void drawSpectrogramBand(QImage& image, const SpectrogramBand& band) {
    if (band.end <= band.first)
        return;
    QPainter p(&image);
    const QRect area(kLeft + band.first, kTop, band.end - band.first, spectrogramPlotHeight);
    p.fillRect(area, QColor(255, 255, 255, 60));
    p.setPen(Qt::white);
    p.drawLine(area.topLeft(), area.bottomLeft());
    p.drawLine(area.topRight(), area.bottomRight());
}

} // namespace varnilog
