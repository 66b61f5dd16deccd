// TForm1, the view: the redraw operations, scrolling and zoom, channel boxes, the scale knobs and
// buttons, the cursors and the selection. Each handler reads its control, calls the core and shows
// the result.
#include "app/Program.h"

#include "ui_Program.h"
#include "view/Axes.h"
#include "view/Colour.h"
#include "view/CursorReadout.h"
#include "view/Cursors.h"
#include "view/Knobs.h"
#include "view/ScaleTables.h"
#include "view/StatusBarText.h"
#include "view/ViewWindow.h"
#include "view/WaveformRenderer.h"
#include "windows/AnnotationRowsWidget.h"
#include "windows/BitmapWidget.h"
#include "windows/CursorTableWindow.h"
#include "windows/LiveTriggerControl.h"
#include "windows/PersistenceTab.h"
#include "windows/ReferenceTab.h"

#include <QMouseEvent>
#include <QSignalBlocker>

#include <algorithm>

namespace varnilog {

namespace {
constexpr std::array<int, 4> kChannelSliderPicture{0, 1, 3, 4};
} // namespace

void TForm1::connectViewHandlers() {
    connect(ui_->ScrollBar1, &QScrollBar::valueChanged, this, &TForm1::ScrollBar1Change);
    connect(ui_->SpeedButton2, &QAbstractButton::clicked, this, &TForm1::SpeedButton2Click);
    connect(ui_->SpeedButton3, &QAbstractButton::clicked, this, &TForm1::SpeedButton3Click);
    connect(ui_->SpeedButton4, &QAbstractButton::clicked, this, &TForm1::SpeedButton4Click);
    connect(ui_->SpeedButton5, &QAbstractButton::clicked, this, &TForm1::SpeedButton5Click);
    connect(ui_->SpeedButton6, &QAbstractButton::clicked, this, &TForm1::SpeedButton6Click);
    const std::array<QCheckBox*, kChannels> boxes{ui_->chkA, ui_->chkB, ui_->chkC, ui_->chkD};
    for (int c = 0; c < kChannels; ++c)
        connect(boxes[c], &QCheckBox::clicked, this, [this, c](bool on) { channelBoxClick(c, on); });

    // Knobs follow the mouse while the left button is held; a press acts like the first move.
    const auto onLeft = [](auto handler) {
        return [handler](QPoint p, Qt::MouseButtons buttons) {
            if (buttons & Qt::LeftButton)
                handler(p);
        };
    };
    const auto onPress = [](auto handler) {
        return [handler](QPoint p, Qt::MouseButton, Qt::MouseButtons buttons) {
            if (buttons & Qt::LeftButton)
                handler(p);
        };
    };
    const auto sens = [this](QPoint p) { Image1MouseMove(p); };
    const auto time = [this](QPoint p) { Image5MouseMove(p); };
    const auto offset = [this](QPoint p) { Image11MouseMove(p); };
    const auto mode = [this](QPoint p) { Image7MouseMove(p); };
    const auto channel = [this](QPoint p) { Image3MouseMove(p); };
    connect(ui_->Image1, &KnobWidget::mouseMoved, this, onLeft(sens));
    connect(ui_->Image1, &KnobWidget::mousePressed, this, onPress(sens));
    connect(ui_->Image5, &KnobWidget::mouseMoved, this, onLeft(time));
    connect(ui_->Image5, &KnobWidget::mousePressed, this, onPress(time));
    connect(ui_->Image11, &KnobWidget::mouseMoved, this, onLeft(offset));
    connect(ui_->Image11, &KnobWidget::mousePressed, this, onPress(offset));
    connect(ui_->Image7, &BitmapWidget::mouseMoved, this, onLeft(mode));
    connect(ui_->Image7, &BitmapWidget::mousePressed, this, onPress(mode));
    connect(ui_->Image3, &BitmapWidget::mouseMoved, this, onLeft(channel));
    connect(ui_->Image3, &BitmapWidget::mousePressed, this, onPress(channel));
    connect(ui_->Image1, &KnobWidget::wheelTurned, this, [this](int steps) { stepSensitivity(steps); });
    connect(ui_->Image5, &KnobWidget::wheelTurned, this, [this](int steps) { stepTimeBase(steps); });
    connect(ui_->Image11, &KnobWidget::wheelTurned, this, [this](int steps) { stepOffset(steps); });

    for (int i = 1; i <= kSensitivityCount; ++i)
        connect(sensitivityButton(i), &QAbstractButton::clicked, this,
                [this, i] { SpeedButton16Click(sensitivityButton(i)); });
    for (int i = 1; i <= kTimeBaseCount; ++i)
        connect(timeBaseButton(i), &QAbstractButton::clicked, this, [this, i] { timeBaseButtonClick(i); });
    connect(ui_->SpeedButton57, &QAbstractButton::clicked, this, &TForm1::SpeedButton57Click);
    connect(ui_->SpeedButton56, &QAbstractButton::clicked, this, &TForm1::SpeedButton56Click);
    connect(ui_->SpeedButton58, &QAbstractButton::clicked, this, &TForm1::SpeedButton58Click);
    const std::array<QAbstractButton*, 3> modes{ui_->SpeedButton43, ui_->SpeedButton44, ui_->SpeedButton45};
    for (int m = 0; m < 3; ++m)
        connect(modes[m], &QAbstractButton::clicked, this, [this, m] { SpeedButton45Click(m); });
    const std::array<QAbstractButton*, 4> channels{ui_->SpeedButton18, ui_->SpeedButton19, ui_->SpeedButton20,
                                                   ui_->SpeedButton49};
    for (int c = 0; c < kChannels; ++c)
        connect(channels[c], &QAbstractButton::clicked, this, [this, c] { selectChannel(c); });

    connect(ui_->CheckBox1, &QCheckBox::clicked, this, &TForm1::CheckBox1Click);
    connect(ui_->ComboBox1, &QComboBox::activated, this, [this](int i) { comboBoxChange(0, i); });
    connect(ui_->ComboBox2, &QComboBox::activated, this, [this](int i) { comboBoxChange(1, i); });
    connect(ui_->SpeedButton74, &QAbstractButton::clicked, this, &TForm1::SpeedButton74Click);
    ui_->Label1->installEventFilter(this);
    ui_->Label1->setMouseTracking(false);
    connect(ui_->imgDisplay, &BitmapWidget::mousePressed, this, &TForm1::imgDisplayMouseDown);
    // The voltage cursors are put on the volt axis beside the picture: left button the first, right
    // button the second, as the time cursors on the strip above it.
    connect(ui_->imgOsY, &BitmapWidget::mousePressed, this,
            [this](QPoint p, Qt::MouseButton, Qt::MouseButtons buttons) { placeLevelCursor(p, buttons); });
    connect(ui_->imgOsY, &BitmapWidget::mouseMoved, this,
            [this](QPoint p, Qt::MouseButtons buttons) { placeLevelCursor(p, buttons); });
    cursorTable_ = new CursorTableWindow(this);
    connect(cursorTable_, &CursorTableWindow::levelsToggled, this, [this](bool on) {
        cursorPlaces_.levelsOn = on;
        drawOverlays(ui_->CheckBox1->isChecked());
    });
    connect(cursorTable_, &CursorTableWindow::bringIntoView, this, &TForm1::bringCursorsIntoView);
    connect(ui_->imgDisplay, &BitmapWidget::mouseMoved, this, &TForm1::imgDisplayMouseMove);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_->Label1) {
        if (event->type() == QEvent::MouseButtonPress) {
            const auto* e = static_cast<QMouseEvent*>(event);
            Label1MouseDown(e->position().toPoint().x(), e->buttons());
            return true;
        }
        if (event->type() == QEvent::MouseMove) {
            const auto* e = static_cast<QMouseEvent*>(event);
            Label1MouseMove(e->position().toPoint().x(), e->buttons());
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- redraw operations ----

void TForm1::paintBackground() {
    varnilog::paintBackground(view_->bmpBackground, state_.backgroundColor1, state_.backgroundColor2,
                              state_.gradientOn);
}

void TForm1::renderWaveform() {
    varnilog::renderWaveform(state_, *view_);
    if (persistenceTab_ != nullptr)
        persistenceTab_->frameDrawn(state_, *view_);
    if (referenceTab_ != nullptr)
        referenceTab_->drawOver(view_->bmpScreen);
    if (annotationRows_ != nullptr)
        annotationRows_->refresh();
    if (ui_->CheckBox1->isChecked() && !state_.samplingActive) {
        // The cursors stay at their samples: drawn again where the new view shows them.
        state_.cursorsActive = true;
        drawOverlays(true);
        return;
    }
    {
        const QSignalBlocker block(ui_->CheckBox1);
        ui_->CheckBox1->setChecked(false);
    }
    state_.cursorsActive = false;
    ui_->Shape1->hide();
    ui_->Shape2->hide();
    if (cursorTable_ != nullptr)
        cursorTable_->hide();
    FormPaint();
}

void TForm1::drawOverlays(bool showCursors) {
    if (showCursors)
        placeCursorsInView();
    varnilog::drawOverlays(state_, *view_, showCursors, drawCursors);
    if (showCursors) {
        if (cursorPlaces_.levelsOn)
            drawLevelCursors(view_->bmpScreen, cursorPlaces_.levelCode,
                             state_.channelColor[state_.selectedChannel % kChannels]);
        ui_->lbV1->setText(cursorTimeText(state_));
        ui_->lbV2->setText(cursorVoltageText(state_, QLocale()));
        // Each cursor's time and values, ΔT and 1/ΔT: the whole reading in one line, and in the table.
        CursorReadout readout = cursorReadout(state_, cursorPlaces_);
        if (referenceTab_ != nullptr)
            referenceTab_->readComparison(readout);
        showStatusMessage(cursorReadoutText(readout, state_.samplingPeriodMs, QLocale()));
        cursorTable_->showReadout(readout, state_.samplingPeriodMs, state_.channelVisible);
        if (!cursorTable_->isVisible()) {
            // Beside the window, level with the picture.
            cursorTable_->move(frameGeometry().topRight() + QPoint(4, ui_->Panel1->y()));
            cursorTable_->show();
        }
    }
    FormPaint();
}

void TForm1::placeCursorsInView() {
    const std::array<QLabel*, 2> shapes{ui_->Shape1, ui_->Shape2};
    for (std::size_t n = 0; n < 2; ++n) {
        const std::optional<int> column =
            cursorColumnOf(cursorPlaces_.sample[n], state_.viewStart, state_.zoomDivisor);
        // Off the view: a column off the picture, which is not drawn.
        state_.cursorColumn[n] =
            column.value_or(cursorPlaces_.sample[n] < state_.viewStart ? -1 : kDisplayColumns);
        shapes[n]->setVisible(column.has_value());
        if (column)
            shapes[n]->move(ui_->Label1->x() + *column - 3, shapes[n]->y());
    }
}

void TForm1::bringCursorsIntoView() {
    const auto [first, last] = std::minmax(cursorPlaces_.sample[0], cursorPlaces_.sample[1]);
    const ViewPlacement p = spanPlacement(first, last + 1, state_.zoomDivisor);
    state_.viewStart = p.viewStart;
    state_.zoomDivisor = p.zoomDivisor;
    refreshView();
}

void TForm1::placeLevelCursor(QPoint p, Qt::MouseButtons buttons) {
    if (!cursorPlaces_.levelsOn || !ui_->CheckBox1->isChecked() || state_.samplingActive ||
        !(buttons & (Qt::LeftButton | Qt::RightButton)))
        return;
    const int row = ui_->imgDisplay->mapFromGlobal(ui_->imgOsY->mapToGlobal(p)).y();
    cursorPlaces_.levelCode[(buttons & Qt::LeftButton) ? 0 : 1] = levelCodeAtRow(row);
    drawOverlays(true);
}

void TForm1::drawTimeAxis() {
    varnilog::drawTimeAxis(state_, timeAxis_, toQRgb(kWindowColour));
    ui_->imgOsX->update();
}

void TForm1::drawVoltAxis() {
    varnilog::drawVoltAxis(state_, voltAxis_, toQRgb(kWindowColour));
    ui_->imgOsY->update();
}

void TForm1::updateStatusBar() {
    const auto texts = statusBarTexts(state_, QLocale());
    for (int i = 0; i < kStatusPanels; ++i)
        if (!texts[static_cast<size_t>(i)].isNull())
            setStatusPanelText(i, texts[static_cast<size_t>(i)]);
}

void TForm1::refreshView() {
    // The cursors read the samples themselves, so they work at any zoom.
    const ViewRefresh r = varnilog::refreshView(state_, *view_);
    applyScrollBar(r.range, r.scrollBar);
    renderWaveform();
    drawTimeAxis();
}

void TForm1::applyScrollBar(const ScrollRange& range, const ScrollBarSetup& bar) {
    scrollRange_ = range;
    scrollBar_ = bar;
    const QSignalBlocker block(ui_->ScrollBar1);
    ui_->ScrollBar1->setRange(0, bar.maximum);
    ui_->ScrollBar1->setPageStep(bar.pageStep);
    ui_->ScrollBar1->setSingleStep(bar.singleStep);
    ui_->ScrollBar1->setTrackStep(bar.largeStep);
    ui_->ScrollBar1->setValue(bar.position);
}

void TForm1::refreshTimeBase() {
    const int index = std::clamp<int>(state_.timeBaseIndex, 1, kTimeBaseCount);
    state_.samplingPeriodMs = samplingPeriodTable[static_cast<size_t>(index)];
    ui_->Image6->move(timeBaseIndicatorPosition(index));
    drawTimeAxis();
    updateStatusBar();
}

void TForm1::refreshSensitivity() {
    const int channel = state_.selectedChannel % kChannels;
    ui_->Image2->move(sensitivityIndicatorPosition(
        std::clamp<int>(state_.channelSensitivity[static_cast<size_t>(channel)], 1, 10)));
    drawOverlays(ui_->CheckBox1->isChecked());
    refreshOffset(channel, true);
    updateStatusBar();
}

void TForm1::refreshOffset(int channel, bool moveMark) {
    const size_t ch = static_cast<size_t>(channel);
    const OffsetDisplay d = describeOffset(state_.channelOffset[ch], state_.channelZeroOffset[ch],
                                           state_.referenceVoltage, state_.channelSensitivity[ch], QLocale());
    state_.channelOffset[ch] = d.offset;
    if (moveMark)
        ui_->Image12->move(d.indicator);
    ui_->Label16->setText(d.text);
    renderWaveform();
}

void TForm1::refreshModeSlider() {
    const int mode = std::min<int>(state_.channelMode[state_.selectedChannel % kChannels], 2);
    ui_->Image7->setSource(&imageList1_[static_cast<size_t>(2 * mode)]);
    ui_->Image7->update();
    // A channel computed from A and B has no coupling to show or choose.
    const bool derived = state_.channelDerived[state_.selectedChannel % kChannels];
    ui_->Image7->setVisible(!derived);
    ui_->lbNoCoupling->setVisible(derived);
    for (QAbstractButton* b : {ui_->SpeedButton43, ui_->SpeedButton44, ui_->SpeedButton45})
        b->setEnabled(!derived);
    updateStatusBar();
}

// ---- scrolling and zoom ----

void TForm1::ScrollBar1Change(int position) {
    if (state_.samplingActive) {
        liveScroll(position);
        return;
    }
    scrollView(state_, *view_, viewStartAtPosition(scrollBar_, scrollRange_, position));
    renderWaveform();
    drawTimeAxis();
}

void TForm1::SpeedButton2Click() {
    if (state_.samplingActive) {
        liveZoomClick(LiveZoom::Out);
        return;
    }
    state_.zoomDivisor = zoomOutDivisor(state_.zoomDivisor, state_.sampleCount);
    refreshView();
}

void TForm1::SpeedButton3Click() {
    if (state_.samplingActive) {
        liveZoomClick(LiveZoom::In);
        return;
    }
    state_.zoomDivisor = zoomInDivisor(state_.zoomDivisor);
    refreshView();
}

void TForm1::SpeedButton4Click() {
    if (state_.samplingActive) {
        liveZoomClick(LiveZoom::One);
        return;
    }
    state_.zoomDivisor = 1;
    refreshView();
}

void TForm1::SpeedButton5Click() {
    if (state_.samplingActive) {
        liveZoomClick(LiveZoom::All);
        return;
    }
    state_.zoomDivisor = showAllDivisor(state_.sampleCount);
    state_.viewStart = 0;
    refreshView();
}

void TForm1::SpeedButton6Click() {
    const ViewPlacement p =
        showSelectionPlacement(state_.viewStart, state_.selectionStart, state_.selectionEnd);
    state_.viewStart = p.viewStart;
    state_.zoomDivisor = p.zoomDivisor;
    refreshView();
}

void TForm1::channelBoxClick(int channel, bool checked) {
    state_.channelVisible[static_cast<size_t>(channel)] = checked;
    if (state_.samplingActive && liveTrigger_->on())
        redrawTriggerPicture(); // with the level's marks
    else
        renderWaveform();
}

// ---- scale knobs and buttons ----

void TForm1::Image1MouseMove(QPoint p) {
    setSensitivity(sensitivityFromKnob(p.x(), p.y(), state_.minSensitivityIndex, state_.maxSensitivityIndex));
}

void TForm1::setSensitivity(int index) {
    state_.channelSensitivity[state_.selectedChannel % kChannels] = static_cast<std::uint8_t>(index);
    refreshSensitivity();
    drawVoltAxis();
    drawOverlays(ui_->CheckBox1->isChecked());
}

void TForm1::SpeedButton16Click(QAbstractButton* button) {
    // As if the knob had been dragged to the button's centre.
    const QRect b = button->geometry(), k = ui_->Image1->geometry();
    Image1MouseMove(QPoint(b.left() + b.width() / 2 - k.left(), b.top() + b.height() / 2 - k.top()));
}

void TForm1::Image5MouseMove(QPoint p) {
    state_.timeBaseIndex = static_cast<std::uint8_t>(timeBaseFromKnob(p.x(), p.y(), state_.maxTimeBaseIndex));
    refreshTimeBase();
}

void TForm1::timeBaseButtonClick(int index) {
    state_.timeBaseIndex = static_cast<std::uint8_t>(index);
    refreshTimeBase();
}

void TForm1::Image11MouseMove(QPoint p) {
    const int ch = state_.selectedChannel % kChannels;
    state_.channelOffset[ch] =
        offsetFromKnob(p.x(), p.y(), state_.channelZeroOffset[ch], state_.referenceVoltage);
    refreshOffset(ch, true);
}

void TForm1::stepSensitivity(int steps) {
    // Wheel up means a finer scale: a larger index.
    const int current = state_.channelSensitivity[state_.selectedChannel % kChannels];
    setSensitivity(
        std::clamp(current + steps, int{state_.minSensitivityIndex}, int{state_.maxSensitivityIndex}));
}

void TForm1::stepTimeBase(int steps) {
    state_.timeBaseIndex =
        static_cast<std::uint8_t>(std::clamp(state_.timeBaseIndex + steps, 1, int{state_.maxTimeBaseIndex}));
    refreshTimeBase();
}

void TForm1::stepOffset(int steps) {
    const int ch = state_.selectedChannel % kChannels;
    state_.channelOffset[ch] =
        static_cast<std::uint8_t>(std::clamp(state_.channelOffset[ch] + steps, 0, 254));
    refreshOffset(ch, true);
}

void TForm1::SpeedButton57Click() {
    const int ch = state_.selectedChannel % kChannels;
    // Never past 254: 255 would read as 0, the other end of the scale.
    if (state_.channelOffset[ch] < 254)
        ++state_.channelOffset[ch];
    refreshOffset(ch, true);
}

void TForm1::SpeedButton56Click() {
    const int ch = state_.selectedChannel % kChannels;
    // Held at 0 rather than wrapping to 255, which would jump to the far end of the range.
    if (state_.channelOffset[ch] > 0)
        --state_.channelOffset[ch];
    refreshOffset(ch, true);
}

void TForm1::SpeedButton58Click() {
    const int ch = state_.selectedChannel % kChannels;
    state_.channelOffset[ch] = state_.channelZeroOffset[ch];
    refreshOffset(ch, true);
}

void TForm1::SpeedButton45Click(int mode) {
    state_.channelMode[state_.selectedChannel % kChannels] = static_cast<std::uint8_t>(mode);
    refreshModeSlider();
}

void TForm1::Image7MouseMove(QPoint p) {
    const std::array<QAbstractButton*, 3> modes{ui_->SpeedButton43, ui_->SpeedButton44, ui_->SpeedButton45};
    int choice = p.y() > 42 ? 2 : p.y() > 21 ? 1 : 0;
    // A disabled choice falls through to the next test.
    while (choice > 0 && !modes[choice]->isEnabled())
        --choice;
    if (modes[choice]->isEnabled())
        SpeedButton45Click(choice);
}

void TForm1::selectChannel(int channel) {
    ui_->Image3->setSource(&imageList1_[static_cast<size_t>(kChannelSliderPicture[channel])]);
    ui_->Image3->update();
    state_.selectedChannel = static_cast<std::uint8_t>(channel);
    refreshSensitivity();
    refreshModeSlider();
    drawVoltAxis();
}

void TForm1::Image3MouseMove(QPoint p) {
    const std::array<QAbstractButton*, 4> buttons{ui_->SpeedButton18, ui_->SpeedButton19, ui_->SpeedButton20,
                                                  ui_->SpeedButton49};
    int choice = p.y() > 47 ? 3 : p.y() > 31 ? 2 : p.y() > 15 ? 1 : 0;
    while (choice > 0 && !buttons[choice]->isEnabled())
        --choice;
    if (buttons[choice]->isEnabled())
        selectChannel(choice);
}

// ---- cursors and selection ----

void TForm1::placeCursor(int n, int x) {
    const int column = cursorColumnFromMouse(x);
    state_.cursorColumn[static_cast<size_t>(n)] = column;
    cursorPlaces_.sample[static_cast<size_t>(n)] =
        state_.viewStart + column * std::int64_t{std::max<std::int32_t>(1, state_.zoomDivisor)};
    drawOverlays(ui_->CheckBox1->isChecked());
}

void TForm1::Label1MouseDown(int x, Qt::MouseButtons buttons) {
    if (!(buttons & (Qt::LeftButton | Qt::RightButton)))
        return;
    if (!ui_->CheckBox1->isChecked()) {
        ui_->CheckBox1->setChecked(true);
        CheckBox1Click(true);
    }
    placeCursor((buttons & Qt::LeftButton) ? 0 : 1, x);
}

void TForm1::Label1MouseMove(int x, Qt::MouseButtons buttons) {
    if (!state_.cursorsActive || !(buttons & (Qt::LeftButton | Qt::RightButton)))
        return;
    placeCursor((buttons & Qt::LeftButton) ? 0 : 1, x);
}

void TForm1::CheckBox1Click(bool checked) {
    ui_->Shape1->setVisible(checked);
    ui_->Shape2->setVisible(checked);
    state_.cursorsActive = checked;
    if (checked)
        cursorPlaces_ = {cursorPlacesAtColumns(state_).sample, cursorPlaces_.levelsOn,
                         cursorPlaces_.levelCode};
    else
        cursorTable_->hide();
    drawOverlays(checked);
}

void TForm1::comboBoxChange(int cursor, int index) {
    const auto channel = static_cast<std::uint8_t>(std::clamp(index, 0, kChannels - 1));
    (cursor == 0 ? state_.cursor1Channel : state_.cursor2Channel) = channel;
    setShapeColour(cursor == 0 ? ui_->Shape1 : ui_->Shape2, channel);
    drawOverlays(ui_->CheckBox1->isChecked());
}

void TForm1::setShapeColour(QLabel* shape, std::uint8_t channel) {
    QPalette pal = shape->palette();
    pal.setColor(QPalette::Window,
                 QColor::fromRgb(toQRgb(state_.channelColor[std::min<int>(channel, kChannels - 1)])));
    shape->setPalette(pal);
}

void TForm1::SpeedButton74Click() {
    ui_->PageControl1->setCurrentWidget(ui_->TabSheet2);
    if (!ui_->CheckBox1->isChecked()) {
        ui_->CheckBox1->setChecked(true);
        CheckBox1Click(true);
    }
}

void TForm1::imgDisplayMouseDown(QPoint p, Qt::MouseButton button, Qt::MouseButtons) {
    if (button == Qt::LeftButton && grabTriggerLevel(p))
        return;
    // While sampling the picture is the preview's: only the trigger's level can be taken.
    if (state_.samplingActive)
        return;
    if (button == Qt::RightButton)
        imgDisplayContextMenu(p);
    if (button != Qt::LeftButton)
        return;
    state_.selectionStart = p.x() * std::max(1, state_.zoomDivisor);
    renderWaveform();
}

void TForm1::imgDisplayMouseMove(QPoint p, Qt::MouseButtons buttons) {
    if (draggingLevel_) {
        draggingLevel_ = (buttons & Qt::LeftButton) && state_.samplingActive;
        if (draggingLevel_)
            dragTriggerLevel(p);
        return;
    }
    if (state_.samplingActive)
        return;
    if (buttons == Qt::NoButton)
        showMarkerAt(p);
    if (!(buttons & Qt::LeftButton))
        return;
    state_.selectionEnd = std::clamp(p.x(), 0, kDisplayColumns - 1) * std::max(1, state_.zoomDivisor);
    drawSelection(state_, *view_);
    FormPaint();
}

} // namespace varnilog
