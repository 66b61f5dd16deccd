#include "windows/TriggerTab.h"

#include "view/ScaleTables.h"
#include "view/TriggerMarks.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QToolButton>

#include <algorithm>

namespace varnilog {

namespace {

template <class T> T* placed(T* w, const char* name, int x, int width, const QString& tip = {}) {
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(x, 2, width, 24);
    if (!tip.isEmpty())
        w->setToolTip(tip);
    return w;
}

} // namespace

TriggerTab::TriggerTab(QWidget* parent) : QWidget(parent) {
    const auto s = [](const char* text) { return QString::fromUtf8(text); };
    mode_ = placed(new QComboBox(this), "cbTrigMode", 2, 88, s("Tryb wyzwalania"));
    mode_->addItems({s("Wył."), s("Auto"), s("Normalny"), s("Pojedynczy")});
    source_ = placed(new QComboBox(this), "cbTrigSource", 92, 34, s("Źródło"));
    source_->addItems({s("A"), s("B"), s("C"), s("D")});
    edge_ = placed(new QComboBox(this), "cbTrigEdge", 128, 34, s("Zbocze"));
    edge_->addItems({s("↑"), s("↓")});
    edge_->setItemData(0, s("narastające"), Qt::ToolTipRole);
    edge_->setItemData(1, s("opadające"), Qt::ToolTipRole);
    level_ = placed(new QDoubleSpinBox(this), "sbTrigLevel", 164, 70, s("Poziom"));
    level_->setSuffix(s(" V"));
    level_->setDecimals(3);
    pre_ = placed(new QSpinBox(this), "sbTrigPre", 236, 52, s("Położenie wyzwolenia"));
    pre_->setRange(0, 100);
    pre_->setSuffix(s(" %"));
    pre_->setValue(kDefaultPreTriggerPercent);
    more_ = placed(new QToolButton(this), "btTrigMore", 290, 20, s("Histereza, szerokość, holdoff"));
    more_->setText(s("…"));
    arm_ = placed(new QPushButton(s("Uzbrój"), this), "btTrigArm", 312, 46);
    previous_ = placed(new QPushButton(s("◀"), this), "btTrigPrevious", 360, 20, s("Poprzednie (Shift+F3)"));
    previous_->setAccessibleName(s("Poprzednie"));
    next_ = placed(new QPushButton(s("▶"), this), "btTrigNext", 382, 20, s("Następne (F3)"));
    next_->setAccessibleName(s("Następne"));
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("lbTrigStatus"));
    status_->setGeometry(406, 0, 92, 14);
    events_ = new QLabel(this);
    events_->setObjectName(QStringLiteral("lbTrigEvents"));
    events_->setGeometry(406, 14, 92, 14);
    for (QLabel* l : {status_, events_}) {
        QFont small = l->font();
        small.setPointSize(7);
        l->setFont(small);
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
    hysteresis_->setValue(0.1);
    hysteresis_->setSuffix(s(" dz"));
    widthKind_ = new QComboBox(panel_);
    widthKind_->setObjectName(QStringLiteral("cbTrigWidth"));
    widthKind_->addItems({s("dowolna"), s("krótszy niż"), s("dłuższy niż")});
    width_ = new QSpinBox(panel_);
    width_->setObjectName(QStringLiteral("sbTrigWidth"));
    width_->setRange(1, 1 << 30);
    width_->setValue(20);
    width_->setSuffix(s(" próbek"));
    holdoff_ = new QSpinBox(panel_);
    holdoff_->setObjectName(QStringLiteral("sbTrigHoldoff"));
    holdoff_->setRange(0, 1 << 30);
    holdoff_->setSuffix(s(" próbek"));
    form->addRow(s("Histereza:"), hysteresis_);
    form->addRow(s("Impuls:"), widthKind_);
    form->addRow(QString(), width_);
    form->addRow(s("Holdoff:"), holdoff_);
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
    showOff();
    showEvents(-1);
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

TriggerSettings TriggerTab::settings(std::uint8_t sensitivity) const {
    TriggerSettings t;
    t.edge = edge_->currentIndex() == 0 ? TriggerEdge::Rising : TriggerEdge::Falling;
    t.level = triggerLevelCode(level_->value(), sensitivity);
    t.hysteresis = triggerHysteresisCodes(hysteresis_->value());
    t.width = static_cast<WidthCondition>(widthKind_->currentIndex());
    t.widthLimit = width_->value();
    t.holdoff = holdoff_->value();
    return t;
}

void TriggerTab::setSensitivity(std::uint8_t sensitivity) {
    // One step is one code (one pixel of the picture); the range is the codes 0..255.
    const double perCode =
        sensitivityTable[static_cast<std::size_t>(std::clamp<int>(sensitivity, 1, kSensitivityCount))] *
        kDivisionsPerCode;
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
    static const char* const texts[] = {"Czeka", "Wyzwolono", "Auto", "Zatrzymano"};
    status_->setText(QString::fromUtf8(texts[shownState_]));
}

void TriggerTab::showOff() {
    shownState_ = -1;
    status_->clear();
}

void TriggerTab::showEvents(std::int64_t count) {
    if (count == shownEvents_)
        return;
    shownEvents_ = count;
    events_->setText(count < 0 ? QString() : QString::fromUtf8("Zdarzenia: %1").arg(count));
}

} // namespace varnilog
