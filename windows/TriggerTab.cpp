#include "windows/TriggerTab.h"

#include "analysis/ChannelLetters.h"
#include "view/SampleCodes.h"
#include "view/TriggerOverlay.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QToolButton>

#include <algorithm>
#include <utility>

namespace varnilog {

namespace {

template <class T> T* placed(T* w, const char* name, int x, int width) {
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(x, 2, width, 24);
    return w;
}

void setItemTexts(QComboBox* box, const QStringList& texts) {
    for (int i = 0; i < texts.size(); ++i)
        box->setItemText(i, texts[i]);
}

} // namespace

TriggerTab::TriggerTab(QWidget* parent) : QWidget(parent) {
    const auto s = [](const char* text) { return QString::fromUtf8(text); };
    // Wide enough for the longest mode, both arrows, the level at 10 V/div and 100 % with their units.
    mode_ = placed(new QComboBox(this), "cbTrigMode", 2, 96);
    mode_->addItems({QString(), QString(), QString(), QString()});
    source_ = placed(new QComboBox(this), "cbTrigSource", 100, 38);
    for (int c = 0; c < kChannels; ++c)
        source_->addItem(channelLetter(c));
    edge_ = placed(new QComboBox(this), "cbTrigEdge", 140, 38);
    edge_->addItems({s("↑"), s("↓")});
    level_ = placed(new QDoubleSpinBox(this), "sbTrigLevel", 180, 86);
    level_->setSuffix(s(" V"));
    level_->setDecimals(3);
    pre_ = placed(new QSpinBox(this), "sbTrigPre", 268, 64);
    pre_->setRange(0, 100);
    pre_->setSuffix(s(" %"));
    pre_->setValue(kDefaultPreTriggerPercent);
    more_ = placed(new QToolButton(this), "btTrigMore", 334, 20);
    more_->setText(s("…"));
    arm_ = placed(new QPushButton(this), "btTrigArm", 356, 46);
    previous_ = placed(new QPushButton(s("◀"), this), "btTrigPrevious", 404, 20);
    next_ = placed(new QPushButton(s("▶"), this), "btTrigNext", 426, 20);
    // The status and the count sit in a box the main window shows beside the tab titles.
    statusBox_ = new QWidget(this);
    statusBox_->setObjectName(QStringLiteral("pnTrigStatus"));
    auto* statusRow = new QHBoxLayout(statusBox_);
    statusRow->setContentsMargins(4, 0, 4, 0);
    statusRow->setSpacing(12);
    status_ = new QLabel(statusBox_);
    status_->setObjectName(QStringLiteral("lbTrigStatus"));
    events_ = new QLabel(statusBox_);
    events_->setObjectName(QStringLiteral("lbTrigEvents"));
    for (QLabel* l : {status_, events_}) {
        QFont small = l->font();
        small.setPointSize(7);
        l->setFont(small);
        statusRow->addWidget(l);
    }

    // The rarely changed settings, in a panel that opens over the picture.
    panel_ = new QFrame(this, Qt::Popup);
    panel_->setObjectName(QStringLiteral("pnTrigMore"));
    panel_->setFrameShape(QFrame::StyledPanel);
    auto* form = new QFormLayout(panel_);
    hysteresis_ = new QDoubleSpinBox(panel_);
    hysteresis_->setObjectName(QStringLiteral("sbTrigHysteresis"));
    hysteresis_->setRange(0, 1);
    hysteresis_->setSingleStep(0.05);
    hysteresis_->setValue(kDefaultHysteresisDivisions);
    widthKind_ = new QComboBox(panel_);
    widthKind_->setObjectName(QStringLiteral("cbTrigWidth"));
    widthKind_->addItems({QString(), QString(), QString()});
    width_ = new QSpinBox(panel_);
    width_->setObjectName(QStringLiteral("sbTrigWidth"));
    width_->setRange(1, 1 << 30);
    width_->setValue(20);
    holdoff_ = new QSpinBox(panel_);
    holdoff_->setObjectName(QStringLiteral("sbTrigHoldoff"));
    holdoff_->setRange(0, 1 << 30);
    form->addRow(new QLabel(panel_), hysteresis_);
    form->addRow(new QLabel(panel_), widthKind_);
    form->addRow(QString(), width_);
    form->addRow(new QLabel(panel_), holdoff_);
    connect(more_, &QToolButton::clicked, this, [this] {
        panel_->adjustSize();
        panel_->move(mapToGlobal(QPoint(more_->x(), -panel_->height())));
        panel_->show();
    });

    for (QComboBox* c : {mode_, source_, edge_, widthKind_})
        connect(c, &QComboBox::currentIndexChanged, this, &TriggerTab::settingsChanged);
    for (QSpinBox* b : {pre_, width_, holdoff_})
        connect(b, &QSpinBox::valueChanged, this, &TriggerTab::settingsChanged);
    for (QDoubleSpinBox* b : {level_, hysteresis_})
        connect(b, &QDoubleSpinBox::valueChanged, this, &TriggerTab::settingsChanged);
    connect(arm_, &QPushButton::clicked, this, &TriggerTab::armClicked);
    connect(previous_, &QPushButton::clicked, this, &TriggerTab::previousClicked);
    connect(next_, &QPushButton::clicked, this, &TriggerTab::nextClicked);
    setSensitivity(1);
    retranslate();
    showOff();
    showEvents(-1);
}

void TriggerTab::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        retranslate();
        // The status and the count again, in the new words.
        const int state = std::exchange(shownState_, -1);
        if (state >= 0)
            showState(static_cast<TriggerState>(state));
        showEvents(std::exchange(shownEvents_, -2));
    }
    QWidget::changeEvent(event);
}

void TriggerTab::retranslate() {
    // Setting an item's text keeps the current index: no settingsChanged.
    mode_->setToolTip(tr("Tryb wyzwalania"));
    setItemTexts(mode_, {tr("Wył."), tr("Auto"), tr("Normalny"), tr("Pojedynczy")});
    source_->setToolTip(tr("Źródło"));
    edge_->setToolTip(tr("Zbocze"));
    edge_->setItemData(0, tr("narastające"), Qt::ToolTipRole);
    edge_->setItemData(1, tr("opadające"), Qt::ToolTipRole);
    level_->setToolTip(tr("Poziom"));
    pre_->setToolTip(tr("Położenie wyzwolenia"));
    more_->setToolTip(tr("Histereza, szerokość, holdoff"));
    arm_->setText(tr("Uzbrój"));
    previous_->setToolTip(tr("Poprzednie (Shift+F3)"));
    previous_->setAccessibleName(tr("Poprzednie"));
    next_->setToolTip(tr("Następne (F3)"));
    next_->setAccessibleName(tr("Następne"));
    hysteresis_->setSuffix(tr(" dz", "divisions"));
    setItemTexts(widthKind_, {tr("dowolna"), tr("krótszy niż"), tr("dłuższy niż")});
    width_->setSuffix(tr(" próbek"));
    holdoff_->setSuffix(tr(" próbek"));
    auto* form = static_cast<QFormLayout*>(panel_->layout());
    const std::pair<QWidget*, QString> labels[] = {
        {hysteresis_, tr("Histereza:")}, {widthKind_, tr("Impuls:")}, {holdoff_, tr("Holdoff:")}};
    for (const auto& [field, text] : labels)
        static_cast<QLabel*>(form->labelForField(field))->setText(text);
}

TriggerMode TriggerTab::mode() const {
    return static_cast<TriggerMode>(mode_->currentIndex());
}

int TriggerTab::source() const {
    return source_->currentIndex();
}

int TriggerTab::preTriggerPercent() const {
    return pre_->value();
}

TriggerSpec TriggerTab::triggerSpec() const {
    TriggerSpec t;
    t.source = source_->currentIndex();
    t.edge = edge_->currentIndex() == 0 ? TriggerEdge::Rising : TriggerEdge::Falling;
    t.levelVolts = level_->value();
    t.hysteresisDivisions = hysteresis_->value();
    t.width = static_cast<WidthCondition>(widthKind_->currentIndex());
    t.widthLimit = width_->value();
    t.holdoff = holdoff_->value();
    return t;
}

void TriggerTab::showSettings(TriggerMode mode, const TriggerSpec& t, int preTriggerPercent,
                              std::uint8_t sensitivity) {
    {
        const QSignalBlocker blocks[] = {
            QSignalBlocker(mode_),      QSignalBlocker(source_), QSignalBlocker(edge_),
            QSignalBlocker(level_),     QSignalBlocker(pre_),    QSignalBlocker(hysteresis_),
            QSignalBlocker(widthKind_), QSignalBlocker(width_),  QSignalBlocker(holdoff_)};
        mode_->setCurrentIndex(static_cast<int>(mode));
        source_->setCurrentIndex(t.source);
        edge_->setCurrentIndex(t.edge == TriggerEdge::Rising ? 0 : 1);
        setSensitivity(sensitivity);
        level_->setValue(t.levelVolts);
        pre_->setValue(preTriggerPercent);
        hysteresis_->setValue(t.hysteresisDivisions);
        widthKind_->setCurrentIndex(static_cast<int>(t.width));
        if (t.width != WidthCondition::None)
            width_->setValue(static_cast<int>(t.widthLimit));
        holdoff_->setValue(static_cast<int>(t.holdoff));
    }
    emit settingsChanged();
}

void TriggerTab::setLevel(double volts) {
    level_->setValue(volts);
}

void TriggerTab::setSensitivity(std::uint8_t sensitivity) {
    // One step is one code (one pixel of the picture); the range is the codes 0..255.
    const double perCode = voltsPerCode(sensitivity);
    const QSignalBlocker block(level_);
    level_->setRange(-kZeroLine * perCode, (255 - kZeroLine) * perCode);
    level_->setSingleStep(perCode);
}

void TriggerTab::setSampling(bool sampling) {
    auto* model = qobject_cast<QStandardItemModel*>(source_->model());
    for (int i = 2; i < 4 && model; ++i)
        model->item(i)->setEnabled(!sampling);
    if (sampling && source_->currentIndex() > 1)
        source_->setCurrentIndex(0);
    previous_->setEnabled(!sampling);
    next_->setEnabled(!sampling);
}

void TriggerTab::showState(TriggerState state) {
    if (static_cast<int>(state) == shownState_)
        return;
    shownState_ = static_cast<int>(state);
    const QString texts[] = {tr("Czeka"), tr("Wyzwolono"), tr("Auto"), tr("Zatrzymano")};
    status_->setText(texts[shownState_]);
}

void TriggerTab::showOff() {
    shownState_ = -1;
    status_->clear();
}

void TriggerTab::showEvents(std::int64_t count) {
    if (count == shownEvents_)
        return;
    shownEvents_ = count;
    events_->setText(count < 0 ? QString() : tr("Zdarzenia: %1").arg(count));
}

} // namespace varnilog
