#include "windows/WindowPlacement.h"

#include <algorithm>

namespace varnilog {

QPoint placeBeside(const QRect& mainFrame, const QSize& frameSize, const QRect& screenArea) {
    int x = mainFrame.right() + 1;
    if (x + frameSize.width() > screenArea.right() + 1 &&
        mainFrame.left() - frameSize.width() >= screenArea.left())
        x = mainFrame.left() - frameSize.width();
    const auto inside = [](int at, int length, int from, int to) {
        return std::max(from, std::min(at, to + 1 - length));
    };
    return {inside(x, frameSize.width(), screenArea.left(), screenArea.right()),
            inside(mainFrame.top(), frameSize.height(), screenArea.top(), screenArea.bottom())};
}

} // namespace varnilog
