#include "view/PrintPage.h"

#include "recording/MarkerFile.h"
#include "recording/RecordingDescription.h"
#include "recording/RecordingDetails.h"
#include "recording/RecordingLoader.h"
#include "view/Axes.h"
#include "view/Colour.h"
#include "view/Cursors.h"
#include "view/ElapsedTime.h"
#include "view/MarkerFlags.h"
#include "view/ScaleTables.h"
#include "view/StatusBarText.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace varnilog {

namespace {

// The page in millimetres of landscape A4.
constexpr double kPageWidth = 297.0, kPageHeight = 210.0;
constexpr double kMargin = 12.0;
constexpr double kPictureLeft = 30.0, kPictureTop = 34.0, kPictureMaxWidth = 196.0;
constexpr double kSideLeft = 238.0;        // the column of scale texts right of the picture
constexpr double kMarkerListWidth = 120.0; // the marker list beside a description
constexpr double kTitleSize = 5.0, kTextSize = 3.5, kSmallSize = 2.6; // font heights

QFont pageFont(double pixels, bool bold = false) {
    // DejaVu Sans is the Debian default and has every Polish letter; any sans font will do.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels))));
    font.setBold(bold);
    return font;
}

// Draws text in the box, elided at its right end when it does not fit.
void drawLine(QPainter& painter, const QRectF& box, const QString& text,
              Qt::Alignment align = Qt::AlignLeft) {
    const QFontMetricsF metrics(painter.font(), painter.device());
    painter.drawText(box, static_cast<int>(align | Qt::AlignVCenter),
                     metrics.elidedText(text, Qt::ElideRight, box.width()));
}

// The description wrapped into the box (at word boundaries, inside words that are too long); when
// not all lines fit, the last one shown ends with an ellipsis.
void drawWrapped(QPainter& painter, const QRectF& box, const QString& text) {
    QString body = text;
    body.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout layout(body, painter.font(), painter.device());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    const QFontMetricsF metrics(painter.font(), painter.device());
    const double lineHeight = metrics.lineSpacing();
    layout.beginLayout();
    double y = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(box.width());
        line.setPosition(QPointF(0, y));
        y += lineHeight;
    }
    layout.endLayout();
    int shown = 0;
    while (shown < layout.lineCount() && (shown + 1) * lineHeight <= box.height())
        ++shown;
    for (int i = 0; i < shown; ++i)
        layout.lineAt(i).draw(&painter, box.topLeft());
    if (shown > 0 && shown < layout.lineCount()) {
        const QTextLine last = layout.lineAt(shown - 1);
        painter.drawText(
            QPointF(box.left() + std::min(last.naturalTextWidth(),
                                          box.width() - metrics.horizontalAdvance(QChar(0x2026))),
                    box.top() + last.position().y() + last.ascent()),
            QString(QChar(0x2026)));
    }
}

void drawAxes(QPainter& painter, const PageLayout& l, const PrintPageContent& c) {
    const double u = l.unit;
    const int k = l.pictureScale;
    const QRect& p = l.picture;
    painter.setPen(QPen(Qt::black, std::max(1.0, 0.2 * u)));
    painter.setFont(pageFont(kSmallSize * u));
    const QFontMetricsF metrics(painter.font(), painter.device());
    const double h = metrics.height();

    // Volt axis: a tick per grid line (every 25 rows), a short one every 5 rows.
    const double ax = p.left() - 1.0 * u;
    painter.drawLine(QPointF(ax, p.top()), QPointF(ax, p.top() + 250.0 * k));
    for (int r = 0; r <= 250; r += 5) {
        const double y = p.top() + r * k;
        const bool major = r % 25 == 0;
        painter.drawLine(QPointF(ax - (major ? 2.0 : 1.0) * u, y), QPointF(ax, y));
        if (major)
            drawLine(painter, QRectF(p.left() - 17.0 * u, y - h / 2, 14.0 * u, h),
                     c.voltLabels[static_cast<size_t>(r / 25)], Qt::AlignRight);
    }
    if (!c.voltAxisChannel.isNull()) {
        // Whose scale the axis shows: the channel's letter beside a swatch of its colour.
        const QRectF swatch(p.left() - 9.0 * u, p.top() - 5.0 * u, 2.5 * u, 2.5 * u);
        painter.fillRect(swatch, QColor(c.voltAxisColour));
        painter.drawRect(swatch);
        painter.setFont(pageFont(kTextSize * u, true));
        drawLine(painter, QRectF(swatch.right() + 0.8 * u, swatch.center().y() - 2.5 * u, 5.0 * u, 5.0 * u),
                 QString(c.voltAxisChannel));
        painter.setFont(pageFont(kSmallSize * u));
    }

    // Time axis: the five labelled ticks move with the view like the screen's, short ticks every 5.
    const double ay = p.top() + 250.0 * k + 1.0 * u;
    painter.drawLine(QPointF(p.left(), ay), QPointF(p.left() + 500.0 * k, ay));
    for (int col : {0, 500})
        painter.drawLine(QPointF(p.left() + col * k, ay), QPointF(p.left() + col * k, ay + 1.0 * u));
    for (int i = 1; i <= 100; ++i) {
        const int col = 5 * i - c.minorTickShift;
        if (col >= 0 && col <= 500)
            painter.drawLine(QPointF(p.left() + col * k, ay), QPointF(p.left() + col * k, ay + 1.0 * u));
    }
    for (size_t i = 0; i < c.timeLabels.size(); ++i) {
        const double x = p.left() + c.timeLabelColumns[i] * k;
        painter.drawLine(QPointF(x, ay), QPointF(x, ay + 2.0 * u));
        painter.drawText(QRectF(x - 20.0 * u, ay + 2.3 * u, 40.0 * u, h), Qt::AlignHCenter | Qt::AlignTop,
                         c.timeLabels[i]);
    }
}

void drawSideColumn(QPainter& painter, const PageLayout& l, const PrintPageContent& c) {
    const double u = l.unit;
    const double x = l.page.left() + kSideLeft * u;
    const double w = (kPageWidth - kMargin - kSideLeft) * u;
    double y = l.picture.top();
    const double row = 5.5 * u;
    painter.setPen(Qt::black);
    painter.setFont(pageFont(kTextSize * u));
    for (const PageChannel& ch : c.channels) {
        painter.fillRect(QRectF(x, y + 1.0 * u, 3.0 * u, 3.0 * u), QColor(ch.colour));
        painter.drawRect(QRectF(x, y + 1.0 * u, 3.0 * u, 3.0 * u));
        drawLine(painter, QRectF(x + 5.0 * u, y, w - 5.0 * u, row),
                 QStringLiteral("%1:  %2  %3").arg(ch.letter).arg(ch.voltsPerDivision, ch.coupling));
        y += row;
    }
    y += row / 2;
    drawLine(painter, QRectF(x, y, w, row),
             QCoreApplication::translate("varnilog::PrintPage", "Próbkowanie: %1").arg(c.samplingPeriod));
    y += row;
    drawLine(painter, QRectF(x, y, w, row),
             QCoreApplication::translate("varnilog::PrintPage", "Model: %1").arg(c.modelName));
    y += row;
    if (!c.cursorTime.isEmpty() || !c.cursorVoltage.isEmpty()) {
        y += row / 2;
        drawLine(painter, QRectF(x, y, w, row),
                 QCoreApplication::translate("varnilog::PrintPage", "Kursory"));
        y += row;
        drawLine(painter, QRectF(x, y, w, row), c.cursorTime);
        y += row;
        drawLine(painter, QRectF(x, y, w, row), c.cursorVoltage);
    }
}

// The markers inside the view under the picture: time, kind and label in columns, as many as fit the
// box; the last line says how many more there are when not all fit.
void drawMarkerList(QPainter& painter, const QRectF& box, double u, const PrintPageContent& c) {
    painter.setFont(pageFont(kTextSize * u, true));
    const double heading = 6.5 * u;
    drawLine(painter, QRectF(box.left(), box.top(), box.width(), 6.0 * u),
             QCoreApplication::translate("varnilog::PrintPage", "Znaczniki:"));
    painter.setFont(pageFont(kTextSize * u));
    const QFontMetricsF metrics(painter.font(), painter.device());
    const double row = metrics.lineSpacing();
    const auto fit = static_cast<std::int64_t>(std::max(0.0, (box.height() - heading) / row));
    const std::int64_t total = c.markersInView;
    const std::int64_t listed = std::clamp<std::int64_t>(total <= fit ? total : fit - 1, 0,
                                                         static_cast<std::int64_t>(c.markers.size()));
    const double timeWidth = metrics.horizontalAdvance(QStringLiteral("0000:00:00:000")) + 2.0 * u;
    const double kindWidth = metrics.horizontalAdvance(QStringLiteral("wyzwolenie")) + 2.0 * u;
    double y = box.top() + heading;
    for (std::int64_t i = 0; i < listed; ++i, y += row) {
        const PageMarker& m = c.markers[static_cast<std::size_t>(i)];
        drawLine(painter, QRectF(box.left(), y, timeWidth, row), m.time);
        drawLine(painter, QRectF(box.left() + timeWidth, y, kindWidth, row), m.kind);
        drawLine(painter,
                 QRectF(box.left() + timeWidth + kindWidth, y, box.width() - timeWidth - kindWidth, row),
                 m.label);
    }
    if (listed < total && fit > 0)
        drawLine(painter, QRectF(box.left(), y, box.width(), row),
                 QCoreApplication::translate("varnilog::PrintPage", "… i %1 więcej").arg(total - listed));
}

} // namespace

PrintPageContent printPageContent(const SharedState& state, const QImage& screen, const QDateTime& printedAt,
                                  const QLocale& locale) {
    PrintPageContent c;
    c.picture = screen;
    c.hasRecording = state.sampleCount >= 0 && state.sampleFile[0].isOpen();
    if (c.hasRecording) {
        c.recordingName = baseNameOf(state.recordingPath);
        const RecordingDetails details =
            readRecordingDetails(state.recordingPath, state.timeBaseIndex, locale);
        c.startTime = details.start;
        c.length = sampleTimeText(state.sampleCount, state.samplingPeriodMs);
        const QFileInfo ros(state.recordingPath);
        c.description =
            loadRecordingDescription(ros.dir().filePath(c.recordingName + QStringLiteral(".roc")));
        const std::int64_t zoom = std::max<std::int32_t>(state.zoomDivisor, 1);
        const std::int64_t viewEnd = state.viewStart + kDisplayColumns * zoom;
        // Those whose flag or bar the picture shows.
        for (const Marker& m : readMarkerFile(markerFilePath(state.recordingPath)).markers) {
            if (m.start >= viewEnd || m.end < state.viewStart)
                continue;
            if (++c.markersInView <= kPageMarkerLimit)
                c.markers.push_back(
                    {sampleTimeText(m.start, state.samplingPeriodMs), markerKindTitle(m.kind), m.label});
        }
    } else {
        c.recordingName = QCoreApplication::translate("varnilog::PrintPage", "brak");
    }
    const auto status = statusBarTexts(state, locale);
    for (int ch = 0; ch < kChannels; ++ch) {
        if (!state.channelVisible[static_cast<size_t>(ch)])
            continue;
        c.channels.push_back(
            {QChar::fromLatin1(channelName[static_cast<size_t>(ch)]), status[static_cast<size_t>(3 * ch + 1)],
             status[static_cast<size_t>(3 * ch + 2)], toQRgb(state.channelColor[static_cast<size_t>(ch)])});
    }
    c.samplingPeriod = status[12];
    c.modelName = status[13];
    if (state.cursorsActive) {
        c.cursorTime = cursorTimeText(state);
        c.cursorVoltage = cursorVoltageText(state);
    }
    const int selected = std::min<int>(state.selectedChannel, kChannels - 1);
    c.voltAxisChannel = QChar::fromLatin1(channelName[static_cast<size_t>(selected)]);
    c.voltAxisColour = toQRgb(state.channelColor[static_cast<size_t>(selected)]);
    const int s =
        std::clamp<int>(state.channelSensitivity[static_cast<size_t>(selected)], 1, kSensitivityCount);
    for (int i = 0; i <= 10; ++i)
        c.voltLabels[static_cast<size_t>(i)] = voltLabel(s, 10 - i);
    for (int i = 1; i <= 5; ++i) {
        const auto ms = timeAxisLabelMs(state.viewStart, state.zoomDivisor, state.samplingPeriodMs, i);
        c.timeLabels[static_cast<size_t>(i - 1)] = formatElapsedTime(static_cast<float>(ms));
        // The axis image starts 10 pixels left of the picture's first column.
        c.timeLabelColumns[static_cast<size_t>(i - 1)] = timeAxisLabelX(state.viewStart, i) - 10;
    }
    c.minorTickShift = static_cast<int>(state.viewStart % 5);
    c.printedAt = locale.toString(printedAt, QStringLiteral("yyyy-MM-dd HH:mm"));
    return c;
}

PageLayout printPageLayout(const QSize& deviceSize) {
    PageLayout l;
    l.unit = std::min(deviceSize.width() / kPageWidth, deviceSize.height() / kPageHeight);
    l.page =
        QRectF((deviceSize.width() - kPageWidth * l.unit) / 2,
               (deviceSize.height() - kPageHeight * l.unit) / 2, kPageWidth * l.unit, kPageHeight * l.unit);
    l.pictureScale = std::max(1, static_cast<int>(kPictureMaxWidth * l.unit / kDisplayColumns));
    l.picture = QRect(static_cast<int>(std::lround(l.page.left() + kPictureLeft * l.unit)),
                      static_cast<int>(std::lround(l.page.top() + kPictureTop * l.unit)),
                      kDisplayColumns * l.pictureScale, kDisplayRows * l.pictureScale);
    return l;
}

QSize rasterPageSize(int pictureScale) {
    const double unit = static_cast<double>(kDisplayColumns) * std::max(1, pictureScale) / kPictureMaxWidth;
    return {static_cast<int>(std::ceil(kPageWidth * unit)), static_cast<int>(std::ceil(kPageHeight * unit))};
}

void drawPrintPage(QPainter& painter, const QSize& deviceSize, const PrintPageContent& c) {
    const PageLayout l = printPageLayout(deviceSize);
    const double u = l.unit;
    const double left = l.page.left() + kMargin * u;
    const double width = (kPageWidth - 2 * kMargin) * u;
    painter.save();
    painter.fillRect(QRect(QPoint(0, 0), deviceSize), Qt::white);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setRenderHint(QPainter::LosslessImageRendering, true); // no JPEG in a PDF
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setPen(Qt::black);

    double y = l.page.top() + kMargin * u;
    painter.setFont(pageFont(kTitleSize * u, true));
    drawLine(painter, QRectF(left, y, width, 8.0 * u),
             QCoreApplication::translate("varnilog::PrintPage", "Przebieg: %1").arg(c.recordingName));
    y += 9.0 * u;
    painter.setFont(pageFont(kTextSize * u));
    QString info;
    if (!c.startTime.isEmpty())
        info += QCoreApplication::translate("varnilog::PrintPage", "Początek: %1").arg(c.startTime) +
                QStringLiteral("     ");
    if (!c.length.isEmpty())
        info += QCoreApplication::translate("varnilog::PrintPage", "Długość: %1").arg(c.length);
    drawLine(painter, QRectF(left, y, width, 6.0 * u), info);

    // The picture pixel for pixel: a whole scale on whole device pixels, no smoothing.
    painter.drawImage(l.picture, c.picture);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(Qt::black, 0));
    painter.drawRect(l.picture.adjusted(-1, -1, 0, 0));
    drawAxes(painter, l, c);
    drawSideColumn(painter, l, c);

    const double bottom = l.page.top() + (kPageHeight - kMargin) * u;
    double dy = l.picture.bottom() + 12.0 * u;
    // The markers share the room with the description: its left part stays the description's.
    const double listWidth = c.markersInView == 0      ? 0.0
                             : c.description.isEmpty() ? width
                                                       : kMarkerListWidth * u;
    if (listWidth > 0)
        drawMarkerList(painter, QRectF(left + width - listWidth, dy, listWidth, bottom - 6.0 * u - dy), u, c);
    const double textWidth = listWidth > 0 ? width - listWidth - 6.0 * u : width;
    if (!c.description.isEmpty()) {
        painter.setFont(pageFont(kTextSize * u, true));
        drawLine(painter, QRectF(left, dy, textWidth, 6.0 * u),
                 QCoreApplication::translate("varnilog::PrintPage", "Opis:"));
        dy += 6.5 * u;
        painter.setFont(pageFont(kTextSize * u));
        drawWrapped(painter, QRectF(left, dy, textWidth, bottom - 6.0 * u - dy), c.description);
    }
    painter.setFont(pageFont(kSmallSize * u));
    const QRectF footer(left, bottom - 4.0 * u, width, 4.0 * u);
    drawLine(painter, footer, c.programName);
    drawLine(painter, footer,
             QCoreApplication::translate("varnilog::PrintPage", "Wydrukowano: %1").arg(c.printedAt),
             Qt::AlignRight);
    painter.restore();
}

} // namespace varnilog
