#include "windows/ReferenceTab.h"

#include "analysis/ChannelLetters.h"
#include "app/CoreMessages.h"
#include "recording/RecordingFileSet.h"
#include "windows/StandardDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QInputDialog>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>

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
    slot_ = placed(new QComboBox(this), "cbWzorzec", 2, 64);
    for (int i = 0; i < kReferenceSlots; ++i)
        slot_->addItem(QStringLiteral("R%1").arg(i + 1));
    channel_ = placed(new QComboBox(this), "cbWzorzecKanal", 70, 40);
    for (int c = 0; c < kChannels; ++c)
        channel_->addItem(channelLetter(c));
    store_ = placed(new QPushButton(this), "btZapamietaj", 114, 86);
    shown_ = placed(new QCheckBox(this), "chkPokazWzorzec", 204, 62);
    rename_ = placed(new QPushButton(this), "btNazwaWzorca", 270, 62);
    remove_ = placed(new QPushButton(this), "btUsunWzorzec", 336, 50);
    compare_ = placed(new QPushButton(this), "btPorownaj", 390, 106);
    connect(slot_, &QComboBox::currentIndexChanged, this, &ReferenceTab::showSlot);
    connect(store_, &QPushButton::clicked, this, &ReferenceTab::store);
    connect(remove_, &QPushButton::clicked, this, &ReferenceTab::remove);
    connect(compare_, &QPushButton::clicked, this, &ReferenceTab::compareClicked);
    connect(rename_, &QPushButton::clicked, this, [this] {
        bool ok = false;
        const QString name =
            QInputDialog::getText(this, tr("Nazwa wzorca"), tr("Nazwa:"), QLineEdit::Normal,
                                  references_[static_cast<std::size_t>(slot_->currentIndex())].name, &ok);
        if (ok)
            rename(name);
    });
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
    rename_->setText(tr("Nazwa…"));
    compare_->setText(tr("Porównaj…"));
    compare_->setToolTip(tr("Porównaj z nagraniem…"));
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
    rename_->setEnabled(r.stored);
    for (int i = 0; i < kReferenceSlots; ++i)
        slot_->setItemText(i, referenceName(references_, i));
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

void ReferenceTab::rename(const QString& name) {
    ReferenceWaveform& r = references_[static_cast<std::size_t>(slot_->currentIndex())];
    if (!r.stored)
        return;
    r.name = name.trimmed();
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
    if (!comparison_)
        return;
    CoreError error;
    if (readComparisonColumns(*comparison_, state_, error))
        drawComparison(screen, *comparison_,
                       state_.channelSensitivity[static_cast<std::size_t>(comparison_->over)],
                       kComparisonColour);
}

bool ReferenceTab::compareWith(const QString& rosPath, int ownMarker, int otherMarker, CoreError& error,
                               int otherChannel) {
    const bool shown = comparison_.has_value();
    comparison_.reset();
    bool ok = true;
    if (!rosPath.isEmpty()) {
        const int over = channel_->currentIndex();
        std::optional<ComparisonTrace> trace =
            openComparison(rosPath, otherChannel < 0 ? over : otherChannel, error);
        if (trace)
            trace->over = over;
        if (trace && ownMarker >= 0) {
            const std::optional<std::int64_t> shift = markerShift(
                siblingPath(state_.recordingPath, QStringLiteral(".ros")), ownMarker, rosPath, otherMarker);
            if (shift)
                trace->shift = *shift;
            else {
                error = CoreError::worded(tr("Nie ma takiego znacznika."));
                trace.reset();
            }
        }
        ok = trace.has_value();
        comparison_ = std::move(trace);
    }
    if (shown || comparison_)
        emit redrawNeeded();
    return ok;
}

void ReferenceTab::readComparison(CursorReadout& readout) const {
    if (!comparison_)
        return;
    readout.comparedChannel = comparison_->channel;
    for (std::size_t n = 0; n < 2; ++n)
        readout.compared[n] = comparisonVolts(*comparison_, readout.sample[n]);
}

// The dialog is opened, not run, so the window keeps drawing and tests answer it as any child.
void ReferenceTab::compareClicked() {
    if (findChild<QDialog*>(QStringLiteral("dlgPorownaj")))
        return;
    auto* dialog = new QDialog(this);
    dialog->setObjectName(QStringLiteral("dlgPorownaj"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(tr("Porównaj z nagraniem"));
    auto* form = new QFormLayout(dialog);
    const auto channels = [dialog, this](const char* name, bool own) {
        auto* box = new QComboBox(dialog);
        box->setObjectName(QString::fromLatin1(name));
        for (int c = 0; c < kChannels; ++c)
            box->addItem(channelLetter(c));
        box->setCurrentIndex(!comparison_ ? channel_->currentIndex()
                             : own        ? comparison_->over
                                          : comparison_->channel);
        return box;
    };
    auto* align = new QComboBox(dialog);
    align->setObjectName(QStringLiteral("cbWyrownanie"));
    align->addItems({tr("pierwsze próbki"), tr("znaczniki")});
    auto* own = new QSpinBox(dialog);
    own->setObjectName(QStringLiteral("seZnacznikTego"));
    auto* other = new QSpinBox(dialog);
    other->setObjectName(QStringLiteral("seZnacznikPorownywanego"));
    for (QSpinBox* s : {own, other})
        s->setRange(1, 1000000);
    QComboBox* otherChannel = channels("cbKanalPorownywanego", false);
    QComboBox* over = channels("cbNadKanalem", true);
    form->addRow(tr("Kanał porównywanego:"), otherChannel);
    form->addRow(tr("Nad kanałem:"), over);
    form->addRow(tr("Wyrównanie:"), align);
    form->addRow(tr("Znacznik tego nagrania:"), own);
    form->addRow(tr("Znacznik porównywanego:"), other);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QPushButton* off = buttons->addButton(tr("Bez porównania"), QDialogButtonBox::ResetRole);
    off->setObjectName(QStringLiteral("btBezPorownania"));
    off->setEnabled(comparison_.has_value());
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    connect(off, &QPushButton::clicked, dialog, [dialog] { dialog->done(2); });
    // Its controls are read as it closes, before it is deleted.
    connect(dialog, &QDialog::finished, this, [=, this](int answer) {
        const bool markers = align->currentIndex() == 1;
        compareAnswered(answer, otherChannel->currentIndex(), over->currentIndex(),
                        markers ? own->value() - 1 : -1, markers ? other->value() - 1 : -1);
    });
    dialog->open();
}

void ReferenceTab::compareAnswered(int answer, int otherChannel, int over, int ownMarker, int otherMarker) {
    CoreError error;
    if (answer == 2) {
        compareWith(QString(), -1, -1, error);
        return;
    }
    if (answer != QDialog::Accepted || !dialogs_)
        return;
    const QString path = dialogs_->openFileName(this, tr("Nagrania (*.ros)"), state_.dataDir);
    if (path.isEmpty())
        return;
    channel_->setCurrentIndex(over);
    if (!compareWith(path, ownMarker, otherMarker, error, otherChannel))
        emit comparisonFailed(coreMessage(error));
}

} // namespace varnilog
