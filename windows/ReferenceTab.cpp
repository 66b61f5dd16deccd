#include "windows/ReferenceTab.h"

#include "analysis/ChannelLetters.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QPushButton>
#include <QSignalBlocker>

namespace varnilog {

namespace {

template <class T> T* placed(T* w, const char* name, int x, int width) {
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(x, 2, width, 24);
    return w;
}

} // namespace

ReferenceTab::ReferenceTab(const SharedState& state, const ViewBuffers& view, QString configurationPath,
                           QWidget* parent)
    : QWidget(parent), state_(state), view_(view), configurationPath_(std::move(configurationPath)),
      references_(readReferences(configurationPath_)) {
    slot_ = placed(new QComboBox(this), "cbWzorzec", 2, 50);
    for (int i = 0; i < kReferenceSlots; ++i)
        slot_->addItem(QStringLiteral("R%1").arg(i + 1));
    channel_ = placed(new QComboBox(this), "cbWzorzecKanal", 56, 44);
    for (int c = 0; c < kChannels; ++c)
        channel_->addItem(channelLetter(c));
    store_ = placed(new QPushButton(this), "btZapamietaj", 104, 100);
    shown_ = placed(new QCheckBox(this), "chkPokazWzorzec", 210, 80);
    remove_ = placed(new QPushButton(this), "btUsunWzorzec", 294, 70);
    connect(slot_, &QComboBox::currentIndexChanged, this, &ReferenceTab::showSlot);
    connect(store_, &QPushButton::clicked, this, &ReferenceTab::store);
    connect(remove_, &QPushButton::clicked, this, &ReferenceTab::remove);
    connect(shown_, &QCheckBox::toggled, this, [this](bool on) {
        references_[static_cast<std::size_t>(slot_->currentIndex())].shown = on;
        changed();
    });
    retranslate();
    showSlot();
}

void ReferenceTab::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}

void ReferenceTab::retranslate() {
    store_->setText(tr("Zapamiętaj"));
    shown_->setText(tr("Pokaż"));
    remove_->setText(tr("Usuń"));
    slot_->setToolTip(tr("Wzorzec"));
    channel_->setToolTip(tr("Kanał wzorca"));
}

void ReferenceTab::choose(int slot, int channel) {
    slot_->setCurrentIndex(slot);
    channel_->setCurrentIndex(channel);
}

void ReferenceTab::showSlot() {
    const ReferenceWaveform& r = references_[static_cast<std::size_t>(slot_->currentIndex())];
    const QSignalBlocker block(shown_);
    shown_->setChecked(r.shown);
    shown_->setEnabled(r.stored);
    remove_->setEnabled(r.stored);
    if (r.stored)
        channel_->setCurrentIndex(r.channel);
}

void ReferenceTab::store() {
    ReferenceWaveform& r = references_[static_cast<std::size_t>(slot_->currentIndex())];
    r = captureReference(state_, view_, channel_->currentIndex());
    changed();
}

void ReferenceTab::remove() {
    references_[static_cast<std::size_t>(slot_->currentIndex())] = ReferenceWaveform{};
    changed();
}

void ReferenceTab::changed() {
    showSlot();
    if (!writeReferences(references_, configurationPath_))
        emit saveFailed(configurationPath_);
    emit redrawNeeded();
}

void ReferenceTab::drawOver(QImage& screen) const {
    drawReferences(screen, references_, state_.channelSensitivity);
}

} // namespace varnilog
