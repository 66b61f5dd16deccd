#include "windows/FormulaPreview.h"

#include "view/ScaleTables.h"

#include <QPainter>

#include <algorithm>

namespace varnilog {

FormulaPreview::FormulaPreview(QWidget* parent) : QWidget(parent) {}

void FormulaPreview::setCodes(std::vector<std::uint8_t> codes) {
    codes_ = std::move(codes);
    update();
}

void FormulaPreview::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    const int w = width(), h = height();
    const auto y = [&](int code) { return (h - 1) - code * (h - 1) / 255; };
    p.setPen(QColor(90, 90, 90));
    p.drawLine(0, y(kZeroLine), w - 1, y(kZeroLine));
    if (codes_.empty())
        return;
    p.setPen(QColor(255, 200, 0));
    // Each column spans its share of the samples: their lowest to their highest code.
    const auto n = static_cast<std::int64_t>(codes_.size());
    for (int x = 0; x < w; ++x) {
        const std::int64_t from = x * n / w, to = std::max(from + 1, (x + 1) * n / w);
        if (from >= n)
            break;
        const auto [lo, hi] = std::minmax_element(codes_.begin() + from, codes_.begin() + std::min(to, n));
        p.drawLine(x, y(*lo), x, y(*hi));
    }
}

} // namespace varnilog
