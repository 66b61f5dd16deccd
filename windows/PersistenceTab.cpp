#include "windows/PersistenceTab.h"

#include "view/PersistencePicture.h"
#include "view/ViewBuffers.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QLabel>
#include <QPushButton>

namespace varnilog {

namespace {

template <class T> T* placed(T* w, const char* name, int x, int width) {
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(x, 2, width, 24);
    return w;
}

} // namespace

PersistenceTab::PersistenceTab(QWidget* parent) : QWidget(parent) {
    mode_ = placed(new QComboBox(this), "cbPoswiata", 2, 110);
    mode_->addItems({QString(), QString(), QString()});
    decayLabel_ = placed(new QLabel(this), "lbZanikanie", 118, 70);
    decay_ = placed(new QDoubleSpinBox(this), "sbZanikanie", 190, 60);
    decay_->setRange(0.5, 0.99);
    decay_->setSingleStep(0.01);
    decay_->setValue(0.9);
    clear_ = placed(new QPushButton(this), "btWyczysc", 256, 70);
    overlay_ = placed(new QPushButton(this), "btNalozZdarzenia", 332, 130);
    connect(mode_, &QComboBox::currentIndexChanged, this, &PersistenceTab::applyChoice);
    connect(decay_, &QDoubleSpinBox::valueChanged, this, &PersistenceTab::applyChoice);
    connect(clear_, &QPushButton::clicked, this, [this] {
        clear();
        emit redrawNeeded();
    });
    connect(overlay_, &QPushButton::clicked, this, &PersistenceTab::overlayClicked);
    retranslate();
    applyChoice();
}

PersistenceTab::~PersistenceTab() = default;

void PersistenceTab::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}

void PersistenceTab::retranslate() {
    const QStringList modes{tr("Wył."), tr("Zanikająca"), tr("Nieskończona")};
    for (int i = 0; i < modes.size(); ++i)
        mode_->setItemText(i, modes[i]);
    decayLabel_->setText(tr("Zanikanie:"));
    clear_->setText(tr("Wyczyść"));
    overlay_->setText(tr("Nałóż zdarzenia"));
    mode_->setToolTip(tr("Poświata"));
}

PersistenceMode PersistenceTab::mode() const {
    return static_cast<PersistenceMode>(mode_->currentIndex());
}

void PersistenceTab::setMode(PersistenceMode mode) {
    mode_->setCurrentIndex(static_cast<int>(mode));
}

void PersistenceTab::applyChoice() {
    decay_->setEnabled(mode() == PersistenceMode::Fading);
    clear_->setEnabled(mode() != PersistenceMode::Off);
    if (mode() != PersistenceMode::Off && !layers_)
        layers_ = std::make_unique<std::array<Persistence, kChannels>>();
    if (layers_) // a new mode starts the counts again; a new decay keeps them
        for (Persistence& p : *layers_)
            p.setMode(mode(), static_cast<float>(decay_->value()));
    emit redrawNeeded();
}

void PersistenceTab::clear() {
    if (layers_)
        for (Persistence& p : *layers_)
            p.clear();
}

const Persistence* PersistenceTab::layer(int channel) const {
    return layers_ ? &(*layers_)[static_cast<std::size_t>(channel)] : nullptr;
}

std::array<Persistence, kChannels>& PersistenceTab::layers() {
    if (!layers_)
        layers_ = std::make_unique<std::array<Persistence, kChannels>>();
    return *layers_;
}

void PersistenceTab::frameDrawn(const SharedState& state, ViewBuffers& view) {
    if (mode() == PersistenceMode::Off || !layers_)
        return;
    const Scales now{state.timeBaseIndex, state.channelSensitivity, state.channelOffset};
    if (now != scales_) {
        scales_ = now;
        clear();
    }
    for (std::size_t c = 0; c < kChannels; ++c) {
        if (!state.channelVisible[c])
            continue;
        Persistence& p = (*layers_)[c];
        const std::uint8_t* hi = state.channelData[c].data();
        p.addFrame(hi, state.zoomDivisor >= 2 ? view.columnMin[c].data() : hi);
        drawPersistence(view.bmpScreen, p.counts(), p.peak(), state.channelColor[c]);
    }
}

} // namespace varnilog
