#include "app/Program.h"

#include "analysis/EventSearch.h"
#include "analysis/LiveTrigger.h"
#include "app/Clock.h"
#include "app/Configuration.h"
#include "app/DeviceModels.h"
#include "app/MessageBoxes.h"
#include "device/Acquisition.h"
#include "device/SerialLink.h"
#include "ui_Program.h"
#include "view/Colour.h"
#include "view/ElapsedTime.h"
#include "view/Knobs.h"
#include "view/LivePreview.h"
#include "view/ScaleTables.h"
#include "windows/LiveTriggerControl.h"
#include "windows/PersistenceTab.h"
#include "windows/QtPanelIcons.h"
#include "windows/ReferenceTab.h"
#include "windows/StandardDialogs.h"
#include "windows/TriggerTab.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLayout>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace varnilog {

namespace {

// Where the window resource puts the main window; WINTOP/WINLEFT default to it.
constexpr QPoint kResourcePosition(192, 107);
constexpr int kClientWidth = 776, kClientHeight = 389;

// Widths of the status panels; the message panel takes the rest.
constexpr std::array<int, TForm1::kStatusPanels - 1> kPanelWidths{20, 38, 32, 20, 38, 32, 20, 38,
                                                                  32, 20, 38, 32, 46, 46, 60, 16};

// Time-base index -> button number, sensitivity index -> button number.
constexpr std::array<int, 23> kTimeBaseButtons{0,  30, 29, 28, 27, 26, 25, 24, 21, 22, 23, 31,
                                               32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42};
constexpr std::array<int, 11> kSensitivityButtons{0, 16, 15, 14, 13, 12, 11, 10, 9, 8, 7};

} // namespace

void setUpApplicationTitle() {
    // Only the name: with a display name set as well, the X11 platform writes every title as
    // "title — display name".
    QCoreApplication::setApplicationName(QStringLiteral("Varnilog KZx00"));
}

TForm1::TForm1(SharedState& state, MessageBoxes& boxes, SerialLink& link, Clock& clock,
               const QString& configurationPath, QWidget* parent)
    : QMainWindow(parent), state_(state), boxes_(boxes), configurationPath_(configurationPath), link_(link),
      clock_(clock), ui_(std::make_unique<Ui::TForm1>()) {
    sizeBitmaps(*view_);
    livePreview_ = std::make_unique<LivePreview>();
    ui_->setupUi(this);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, toQRgb(kWindowColour));
    pal.setColor(QPalette::Button, toQRgb(kWindowColour));
    setPalette(pal);
    ui_->centralwidget->setFixedSize(kClientWidth, kClientHeight);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    move(kResourcePosition);

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(50);

    // Tabs as low as the old page control's, so a row of buttons fits under them.
    ui_->PageControl1->setStyleSheet(QStringLiteral("QTabBar::tab { height: 17px; padding: 0px 10px; }"));
    ui_->ProgressBar1->hide();
    ui_->Shape1->hide();
    ui_->Shape2->hide();
    ui_->Shape1->setAutoFillBackground(true);
    ui_->Shape2->setAutoFillBackground(true);
    timeAxis_ = QImage(520, 16, QImage::Format_RGB32);
    voltAxis_ = QImage(38, 263, QImage::Format_RGB32);
    timeAxis_.fill(toQRgb(kWindowColour));
    voltAxis_.fill(toQRgb(kWindowColour));
    setUpPanelPictures();
    setUpStatusBar();
    connectHandlers();
}

TForm1::~TForm1() = default; // out of line: the dialogs and the form are complete types here

void TForm1::setUpPanelPictures() {
    const std::pair<QAbstractButton*, PanelIcon> icons[] = {{ui_->btStart, PanelIcon::Start},
                                                            {ui_->btStop, PanelIcon::Stop},
                                                            {ui_->btOpen, PanelIcon::Open},
                                                            {ui_->SpeedButton71, PanelIcon::Print},
                                                            {ui_->SpeedButton72, PanelIcon::Measure},
                                                            {ui_->SpeedButton73, PanelIcon::Spectrum},
                                                            {ui_->SpeedButton74, PanelIcon::Cursors},
                                                            {ui_->SpeedButton75, PanelIcon::Operations},
                                                            {ui_->SpeedButton80, PanelIcon::Settings},
                                                            {ui_->SpeedButton2, PanelIcon::ZoomOut},
                                                            {ui_->SpeedButton3, PanelIcon::ZoomIn},
                                                            {ui_->SpeedButton5, PanelIcon::ZoomAll},
                                                            {ui_->SpeedButton6, PanelIcon::ZoomSelection},
                                                            {ui_->SpeedButton4, PanelIcon::ZoomOff}};
    for (const auto& [button, icon] : icons) {
        button->setIcon(panelIcon(icon));
        button->setIconSize(QSize(20, 20));
    }
    ui_->Image5->setScale(22, 8.18, 360.0); // one mark between two neighbouring time bases
    ui_->Image1->setScale(10, 225.0, -270.0);
    ui_->Image11->setScale(11, 225.0, -270.0);
    ui_->Image2->setPixmap(QPixmap::fromImage(knobIndicatorImage(6)));
    ui_->Image6->setPixmap(QPixmap::fromImage(knobIndicatorImage(8)));
    ui_->Image12->setPixmap(QPixmap::fromImage(knobIndicatorImage(4)));
    for (int i = 0; i < 5; ++i)
        imageList1_[static_cast<size_t>(i)] = sliderPicture(i);
    ui_->Image3->setSource(&imageList1_[0]);
    ui_->Image7->setSource(&imageList1_[0]);
    ui_->imgDisplay->setSource(&view_->bmpScreen);
    ui_->imgOsX->setSource(&timeAxis_);
    ui_->imgOsY->setSource(&voltAxis_);
}

void TForm1::setUpStatusBar() {
    QStatusBar* bar = ui_->StatusBar1;
    bar->setContentsMargins(0, 0, 0, 0);
    bar->setStyleSheet(QStringLiteral("QStatusBar::item { border: none; }"));
    // The panels in a row of their own, a pixel apart: the status bar's own spacing between its
    // widgets would take a fifth of the message panel's room.
    auto* row = new QWidget(bar);
    row->setObjectName(QStringLiteral("StatusPanels"));
    auto* rowLayout = new QHBoxLayout(row);
    rowLayout->setContentsMargins(0, 0, 0, 0);
    rowLayout->setSpacing(1);
    QFont f = font();
    f.setPointSize(7);
    for (int i = 0; i < kStatusPanels; ++i) {
        auto* label = new QLabel(row);
        label->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setFont(f);
        label->setFixedHeight(15);
        if (i < kStatusPanels - 1) {
            label->setFixedWidth(kPanelWidths[static_cast<size_t>(i)]);
            rowLayout->addWidget(label);
        } else {
            // The message panel takes what the others leave.
            label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
            rowLayout->addWidget(label, 1);
        }
        statusPanels_[static_cast<size_t>(i)] = label;
    }
    bar->addWidget(row, 1);
    for (int c = 0; c < kChannels; ++c)
        setStatusPanelText(3 * c,
                           QString(QLatin1Char(channelName[static_cast<size_t>(c)])) + QLatin1Char(':'));
}

void TForm1::fitStatusPanel(int panel) {
    QLabel* label = statusPanels_[static_cast<size_t>(panel)];
    label->setFixedWidth(std::max(kPanelWidths[static_cast<size_t>(panel)], label->sizeHint().width()));
}

void TForm1::connectHandlers() {
    connect(ui_->KZ100ATMega321, &QAction::triggered, this, &TForm1::KZ100ATMega321Click);
    connect(ui_->KZ200ADuC8411, &QAction::triggered, this, &TForm1::KZ200ADuC8411Click);
    connect(ui_->KZ300LPC21421, &QAction::triggered, this, &TForm1::KZ300LPC21421Click);
    connect(ui_->KZ400LPC21441, &QAction::triggered, this, &TForm1::KZ400LPC21441Click);
    connect(ui_->Koniec1, &QAction::triggered, this, &TForm1::Koniec1Click);
    connect(&summaryWork_, &LongWork::progressed, this, &TForm1::summaryBuildProgressed);
    connect(ui_->SpeedButton47, &QAbstractButton::clicked, this, &TForm1::SpeedButton47Click);
    connectViewHandlers();
    connectFileHandlers();
    connectAcquisitionHandlers();
    connectMarkerHandlers();
    connectMeasurementHandlers();
    connectTrendHandlers();
    connectDecodeHandlers();
    connectPrintHandlers();
    connectOperationHandlers();
    connectTriggerHandlers();
    connectXyHandlers();
    connectSetupHandlers();
    connectLiveHandlers();
    watchRecordingOnDisplay();
    setDialogs(nullptr);
}

QString TForm1::statusPanelText(int panel) const {
    if (panel < 0 || panel >= kStatusPanels)
        return {};
    return statusPanels_[static_cast<size_t>(panel)]->text();
}

void TForm1::setStatusPanelText(int panel, const QString& text) {
    if (panel >= 0 && panel < kStatusPanels)
        statusPanels_[static_cast<size_t>(panel)]->setText(text);
}

QAbstractButton* TForm1::timeBaseButton(int index) const {
    if (index < 1 || index > kTimeBaseCount)
        return nullptr;
    return findChild<QAbstractButton*>(
        QStringLiteral("SpeedButton%1").arg(kTimeBaseButtons[static_cast<size_t>(index)]));
}

QAbstractButton* TForm1::sensitivityButton(int index) const {
    if (index < 1 || index > kSensitivityCount)
        return nullptr;
    return findChild<QAbstractButton*>(
        QStringLiteral("SpeedButton%1").arg(kSensitivityButtons[static_cast<size_t>(index)]));
}

void TForm1::FormCreate() {
    QPoint position = pos();
    const QString dataDirDefault =
        options_.dataDirDefault.isEmpty() ? QCoreApplication::applicationDirPath() : options_.dataDirDefault;
    readConfiguration(state_, configurationPath_, dataDirDefault, position);
    move(position);
    refreshOffset(0, true);
    paintBackground();
    drawTimeAxis();
    drawVoltAxis();
    renderWaveform();
    applyDeviceModel();
    setShapeColour(ui_->Shape1, state_.cursor1Channel);
    setShapeColour(ui_->Shape2, state_.cursor2Channel);
    restoreLastSetup();
}

void TForm1::FormPaint() {
    ui_->imgDisplay->update();
    if (!state_.samplingActive)
        emit screenChanged();
}

void TForm1::centreOnScreen() {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize frame = frameGeometry().size();
    move(area.x() + (area.width() - frame.width()) / 2, area.y() + (area.height() - frame.height()) / 2);
}

void TForm1::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        ui_->retranslateUi(this);
        retranslate();
    }
    QMainWindow::changeEvent(event);
}

void TForm1::retranslate() {
    if (const DeviceModelInfo* m = findDeviceModel(state_.deviceModel))
        setWindowTitle(modelCaption(m->caption));
    ui_->PageControl1->setTabText(ui_->PageControl1->indexOf(triggerTab_), tr("Wyzwalanie"));
    markerMenu_->actions().at(0)->setText(tr("Dodaj znacznik"));
    markerMenu_->actions().at(1)->setText(tr("Dodaj zakres"));
    markersAction_->setText(tr("Znaczniki"));
    spectrogramAction_->setText(tr("Spektrogram"));
    trendAction_->setText(tr("Trend pomiaru…"));
    if (auto* decode = findChild<QAction*>(QStringLiteral("Dekodowanie1")))
        decode->setText(tr("Dekodowanie…"));
    ui_->PageControl1->setTabText(ui_->PageControl1->indexOf(persistenceTab_), tr("Poświata"));
    ui_->PageControl1->setTabText(ui_->PageControl1->indexOf(referenceTab_), tr("Wzorce"));
    xyAction_->setText(tr("XY"));
    retranslateSetupTexts();
    retranslateLiveTexts();
    const std::int64_t skipped = shownSkippedBytes_;
    shownSkippedBytes_ = -2; // unlike any count, so the panel is written again
    showSkippedBytes(skipped);
}

QString TForm1::modelCaption(const char* caption) {
    // The board's name and version stay; only the word before the processor is the language's.
    const QString text = QString::fromUtf8(caption);
    const qsizetype at = text.lastIndexOf(QLatin1String(" na "));
    if (at < 0)
        return text;
    return tr("%1 na %2", "window title: board and version, then its processor")
        .arg(text.left(at), text.mid(at + 4));
}

void TForm1::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void TForm1::FormClose() {
    // A recording still running is finished as Stop would, so nothing received is lost.
    if (recordingActive())
        btStopClick();
    stopSummaryBuild();
    // A failed write is not reported: the next start simply reads the defaults.
    writeConfiguration(state_, configurationPath_, pos());
    keepLastSetup();
}

void TForm1::applyDeviceModel() {
    if (const DeviceModelInfo* m = applyDeviceModelToState(state_)) {
        if (auto* item = findChild<QAction*>(QLatin1String(m->menuItem)))
            item->setChecked(true);
        setWindowTitle(modelCaption(m->caption));
    }
    refreshTimeBase();
    refreshSensitivity();
    const ModelButtonStates enabled = modelButtonStates(state_.deviceModel);
    for (int i = 1; i <= kTimeBaseCount; ++i)
        timeBaseButton(i)->setEnabled(enabled.timeBase[static_cast<size_t>(i)]);
    for (int i = 1; i <= kSensitivityCount; ++i)
        sensitivityButton(i)->setEnabled(enabled.sensitivity[static_cast<size_t>(i)]);
    ui_->SpeedButton18->setEnabled(enabled.channelA);
    ui_->SpeedButton19->setEnabled(enabled.channelB);
}

void TForm1::chooseModel(std::uint8_t model) {
    state_.deviceModel = model;
    applyDeviceModel();
}

void TForm1::KZ100ATMega321Click() {
    chooseModel(1);
}
void TForm1::KZ200ADuC8411Click() {
    chooseModel(2);
}
void TForm1::KZ300LPC21421Click() {
    chooseModel(3);
}
void TForm1::KZ400LPC21441Click() {
    chooseModel(4);
}
void TForm1::Koniec1Click() {
    close();
}
void TForm1::SpeedButton47Click() {
    close();
}

} // namespace varnilog
