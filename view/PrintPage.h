// The scope screen as a printable page: the waveform picture exactly as shown, its volt and time axes,
// the scale texts, the recording's name, start, length and description, the markers inside the view,
// and the date of printing.
// Drawn onto any QPainter device at any resolution: the picture is scaled by a whole factor without
// smoothing, texts and axes are vector where the device allows.
// Core: QtGui painting and the shared state; reads the recording's ".ros", ".roc" and ".rmk" only.
#pragma once

#include "app/SharedState.h"

#include <QDateTime>
#include <QImage>
#include <QLocale>
#include <QRect>
#include <QRgb>
#include <QSize>
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

class QPainter;

namespace varnilog {

struct PageChannel {
    QChar letter;             // 'A'..'D'
    QString voltsPerDivision; // "1V", "20mV"
    QString coupling;         // "AC", "GND", "DC"
    QRgb colour = 0;
};

// A marker inside the printed view, as the page lists it.
struct PageMarker {
    QString time; // its start, as the export writes times
    QString kind; // "uwaga", "strata", ...
    QString label;
};
// More markers than any page has room for are not kept: the page says how many more there are.
inline constexpr int kPageMarkerLimit = 100;

// Everything the page shows, taken from the screen at one moment.
struct PrintPageContent {
    QImage picture;                    // bmpScreen: the picture with overlays, cursors and selection
    bool hasRecording = false;         // a recording is on display
    QString recordingName;             // base name; "brak" when no recording is on display
    QString startTime;                 // the START of the ".ros"
    QString length;                    // "hhhh:mm:ss:mmm"
    QString description;               // the ".roc", lines separated by "\n"; may be empty
    std::vector<PageChannel> channels; // the shown channels, A first
    QString samplingPeriod;            // "1ms"
    QString modelName;                 // "KZ100"
    QString cursorTime;                // "T: ..."; empty when the cursors are off
    QString cursorVoltage;             // "U: ...V"; empty when the cursors are off
    QChar voltAxisChannel;             // the selected channel, whose scale the volt axis shows
    QRgb voltAxisColour = 0;
    std::array<QString, 11> voltLabels; // from the top grid line down
    std::array<QString, 5> timeLabels;
    std::array<int, 5> timeLabelColumns{}; // picture columns of the labelled ticks
    int minorTickShift = 0;                // columns the 5-column ticks are shifted left
    std::vector<PageMarker> markers;       // the first kPageMarkerLimit markers inside the view, in order
    std::int64_t markersInView = 0;        // all of them
    QString printedAt;                     // date and time of printing, as shown
    QString programName;                   // "Varnilog 2k 0.1.0"; may be empty
};

// Reads the page's content from the screen: its picture (bmpScreen), the state's scales and the
// recording files.
PrintPageContent printPageContent(const SharedState& state, const QImage& screen, const QDateTime& printedAt,
                                  const QLocale& locale = QLocale());

// Where the page puts things on a device of deviceSize pixels: a landscape A4-shaped area centred on
// the device, measured in units of one millimetre of that area, and the picture at a whole scale.
struct PageLayout {
    QRectF page;          // the A4-shaped area
    double unit = 1.0;    // device pixels per millimetre of the page
    int pictureScale = 1; // device pixels per picture pixel
    QRect picture;        // 500 x 250 times pictureScale, on whole pixels
};
PageLayout printPageLayout(const QSize& deviceSize);

// A raster page size on which the picture is drawn at the given whole scale.
QSize rasterPageSize(int pictureScale);

// Draws the page onto painter, whose device is deviceSize pixels (a printer's printable area, an image).
void drawPrintPage(QPainter& painter, const QSize& deviceSize, const PrintPageContent& content);

} // namespace varnilog
