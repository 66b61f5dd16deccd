#include "view/PageFile.h"

#include "recording/SafeFile.h"

#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <algorithm>

namespace varnilog {

namespace {

bool paintPng(SafeFile& file, const PrintPageContent& content) {
    QImage page(rasterPageSize(kSavedPictureScale), QImage::Format_RGB32);
    {
        QPainter painter(&page);
        drawPrintPage(painter, page.size(), content);
    }
    return page.save(&file, "PNG");
}

// Landscape A4 in tenths of a millimetre at 254 dpi: an SVG that declares its page as 297 x 210 mm.
constexpr QSize kSvgPage(2970, 2100);
constexpr int kSvgResolution = 254;

bool paintSvg(SafeFile& file, const PrintPageContent& content) {
    const QSize size = rasterPageSize(kSavedPictureScale);
    QSvgGenerator svg;
    svg.setOutputDevice(&file);
    svg.setSize(kSvgPage);
    svg.setResolution(kSvgResolution);
    svg.setViewBox(QRect(QPoint(0, 0), size)); // drawn as the PNG page
    svg.setTitle(content.recordingName);
    svg.setDescription(content.programName);
    QPainter painter;
    if (!painter.begin(&svg))
        return false;
    drawPrintPage(painter, size, content);
    return painter.end();
}

bool paintPdf(SafeFile& file, const PrintPageContent& content) {
    QPdfWriter pdf(&file);
    pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF()));
    pdf.setResolution(300);
    pdf.setTitle(content.recordingName);
    pdf.setCreator(content.programName);
    QPainter painter;
    if (!painter.begin(&pdf))
        return false;
    // The PNG page's layout, scaled onto the sheet: the picture as wide as there, stored as it is.
    const QSize page = rasterPageSize(kSavedPictureScale);
    const double scale = std::min(static_cast<double>(pdf.width()) / page.width(),
                                  static_cast<double>(pdf.height()) / page.height());
    painter.scale(scale, scale);
    drawPrintPage(painter, page, content);
    return painter.end();
}

} // namespace

PageFormat pageFormatFor(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("png"))
        return PageFormat::Png;
    if (suffix == QLatin1String("svg"))
        return PageFormat::Svg;
    if (suffix == QLatin1String("pdf"))
        return PageFormat::Pdf;
    return PageFormat::Unknown;
}

bool writePageFile(const QString& path, const PrintPageContent& content, QString* error) {
    const PageFormat format = pageFormatFor(path);
    if (format == PageFormat::Unknown) {
        if (error)
            *error = QStringLiteral("unknown file type (PNG, SVG or PDF)");
        return false;
    }
    SafeFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    const bool painted = format == PageFormat::Png   ? paintPng(file, content)
                         : format == PageFormat::Svg ? paintSvg(file, content)
                                                     : paintPdf(file, content);
    // The SVG and PDF writers ignore a failed write: the device remembers it and refuses the commit.
    if (painted && !file.failed() && file.commit())
        return true;
    if (error)
        *error = file.failed() ? file.errorString() : QStringLiteral("cannot draw the page");
    file.cancel();
    return false;
}

bool writeImageFile(const QString& path, const QImage& image, QString* error) {
    QString reason;
    const bool ok = writeFileSafely(
        path, [&image](QIODevice& device) { return image.save(&device, "PNG"); }, reason);
    if (!ok && error)
        *error = reason.isEmpty() ? QStringLiteral("cannot write the picture") : reason;
    return ok;
}

} // namespace varnilog
