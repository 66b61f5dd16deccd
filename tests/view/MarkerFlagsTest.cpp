#include "view/MarkerFlags.h"

#include "support/OffscreenGui.h"
#include "view/ViewBuffers.h"
#include "view/ViewWindow.h"
#include "view/WaveformRenderer.h"

#include <gtest/gtest.h>

#include <memory>

namespace varnilog {
namespace {

constexpr QRgb kBlack = 0xFF000000u;

struct Pixel {
    int x, y;
    std::optional<MarkerKind> kind; // empty: the background stays
};

TEST(MarkerFlagsTest, FlagsAndBarsAtTheirColumnsAtEveryZoom) {
    ASSERT_EQ(showAllDivisor(1000000), 2000); // "Pokaż całość" of a million samples
    const struct {
        const char* name;
        std::int32_t zoom;
        std::int64_t viewStart;
        std::vector<Marker> markers;
        std::vector<Pixel> pixels;
    } cases[] = {
        {"zoom 1",
         1,
         1000,
         {{999, 999, MarkerKind::Uwaga, {}},
          {1000, 1000, MarkerKind::Uwaga, {}},
          {1100, 1100, MarkerKind::Uwaga, {}},
          {1100, 1100, MarkerKind::Strata, {}},
          {1200, 1209, MarkerKind::Zakres, {}},
          {1499, 1499, MarkerKind::Strata, {}},
          {1500, 1500, MarkerKind::Wyzwolenie, {}}},
         {{0, 9, MarkerKind::Uwaga},
          {1, 1, MarkerKind::Uwaga}, // the pennant
          {1, 5, {}},
          {100, 9, MarkerKind::Uwaga}, // one flag per column: the first
          {200, 0, MarkerKind::Zakres},
          {209, 1, MarkerKind::Zakres},
          {210, 0, {}},
          {209, 2, {}},
          {499, 0, MarkerKind::Strata},
          {498, 0, {}}}},
        {"zoom 256",
         256,
         256000,
         {{256000 + 2560 + 255, 256000 + 2560 + 255, MarkerKind::Uwaga, {}},
          {256000 + 2560, 256000 + 2560, MarkerKind::Wyzwolenie, {}},
          {255000, 256000 + 256 * 30, MarkerKind::Zakres, {}}},
         {{10, 9, MarkerKind::Wyzwolenie},
          {11, 9, {}},
          {0, 0, MarkerKind::Zakres},
          {29, 7, {}},
          {30, 0, MarkerKind::Zakres},
          {31, 0, {}}}},
        {"Pokaż całość",
         2000,
         0,
         {{0, 999999, MarkerKind::Zakres, {}},
          {3999, 3999, MarkerKind::Strata, {}},
          {999999, 999999, MarkerKind::Uwaga, {}}},
         {{1, 9, MarkerKind::Strata}, {2, 9, {}}, {250, 1, MarkerKind::Zakres}, {499, 9, MarkerKind::Uwaga}}},
    };
    for (const auto& c : cases) {
        QImage picture(kDisplayColumns, kDisplayRows, QImage::Format_RGB32);
        picture.fill(kBlack);
        std::vector<Marker> markers = c.markers;
        sortMarkers(markers);
        drawMarkerFlags(picture, markers, c.viewStart, c.zoom);
        for (const Pixel& p : c.pixels)
            EXPECT_EQ(picture.pixel(p.x, p.y), p.kind ? markerColour(*p.kind) : kBlack)
                << c.name << " at " << p.x << "," << p.y;
        EXPECT_EQ(picture.pixel(250, 20), kBlack) << c.name; // nothing below the top edge

        // Hovering finds the flag drawn at a column (or its pennant), else the bar under it.
        const int first = markerAtColumn(markers, c.viewStart, c.zoom, c.pixels[0].x);
        ASSERT_GE(first, 0) << c.name;
        EXPECT_EQ(markers[static_cast<std::size_t>(first)].kind, *c.pixels[0].kind) << c.name;
    }
}

TEST(MarkerFlagsTest, TheOverlayPassDrawsTheViewsMarkers) {
    ensureOffscreenGui();
    auto state = std::make_unique<SharedState>();
    auto view = std::make_unique<ViewBuffers>();
    view->bmpWave = QImage(1000, 500, QImage::Format_RGB32);
    view->bmpWave.fill(kBlack);
    view->bmpScreen = QImage(500, 250, QImage::Format_RGB32);
    state->channelOffset = state->channelZeroOffset;
    state->viewStart = 100;
    state->zoomDivisor = 4;
    view->markers = {{140, 140, MarkerKind::Strata, QStringLiteral("3")}};
    drawOverlays(*state, *view, false);
    EXPECT_EQ(view->bmpScreen.pixel(10, 0), markerColour(MarkerKind::Strata));
    EXPECT_EQ(markerAtColumn(view->markers, 100, 4, 12), 0);
    EXPECT_EQ(markerAtColumn(view->markers, 100, 4, 14), -1);
}

} // namespace
} // namespace varnilog
