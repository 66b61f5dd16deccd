// TForm1: "Dekodowanie…" in the file menu opens the decode window; its annotations are drawn as rows
// under the picture's time axis, in the picture's columns, and the controls below move down by their
// height (with no annotations nothing moves). A chosen line of its table centres the view there.
#include "app/Program.h"
#include "ui_Program.h"
#include "windows/AnnotationRowsWidget.h"
#include "windows/DecodeWindow.h"

#include <QAction>

namespace varnilog {

namespace {
constexpr int kRowsTop = 300; // under imgOsX
const char* const kBaseY = "varnilogBaseY";
} // namespace

void TForm1::connectDecodeHandlers() {
    auto* open = new QAction(tr("Dekodowanie…"), this);
    open->setObjectName(QStringLiteral("Dekodowanie1"));
    ui_->Plik1->insertAction(ui_->Koniec1, open);
    connect(open, &QAction::triggered, this, &TForm1::showDecodeWindow);
    annotationRows_ = new AnnotationRowsWidget(state_, ui_->centralwidget);
    annotationRows_->move(0, kRowsTop);
}

void TForm1::showDecodeWindow() {
    if (decodeWindow_ == nullptr) {
        decodeWindow_ = new DecodeWindow(state_, boxes_, this);
        connect(this, &TForm1::recordingChanged, decodeWindow_, &DecodeWindow::recordingChanged);
        connect(decodeWindow_, &DecodeWindow::centreRequested, this, &TForm1::centreViewOn);
        connect(decodeWindow_, &DecodeWindow::annotationsChanged, this, &TForm1::showAnnotationRows);
    }
    decodeWindow_->FormShow();
}

void TForm1::showAnnotationRows() {
    const AnnotationRows* rows =
        decodeWindow_ != nullptr && decodeWindow_->rowsShown() ? &decodeWindow_->rows() : nullptr;
    annotationRows_->setRows(rows != nullptr && !rows->empty() ? rows : nullptr);
    const int shift = annotationRows_->hasRows() ? annotationRows_->rowsHeight() + 4 : 0;
    QWidget* central = ui_->centralwidget;
    for (QWidget* w : std::initializer_list<QWidget*>{ui_->ScrollBar1, ui_->PageControl1, ui_->Panel6,
                                                      ui_->StatusBar1, central}) {
        if (!w->property(kBaseY).isValid())
            w->setProperty(kBaseY, w == central ? central->height() : w->y());
        const int base = w->property(kBaseY).toInt();
        if (w == central)
            central->setFixedSize(central->width(), base + shift);
        else
            w->move(w->x(), base + shift);
    }
}

} // namespace varnilog
