#include "device/LiveMarkers.h"

#include "recording/SetLock.h"

#include <QCoreApplication>
#include <QTime>

namespace varnilog {

void LiveMarkers::begin() {
    *this = LiveMarkers();
    saved_.reserve(kPendingCapacity);
}

void LiveMarkers::noteMarker(const Marker& marker) {
    saved_.push_back(marker);
    changed_ = true;
}

void LiveMarkers::noteTick(std::int64_t firstSample, std::int64_t skippedBytes) {
    ++ticksSinceSave_;
    if (skippedBytes <= 0) {
        lossLastTick_ = false;
        return;
    }
    changed_ = true;
    if (lossLastTick_ && lossPending_ >= 0) {
        pending_[static_cast<std::size_t>(lossPending_)].end = firstSample;
        pending_[static_cast<std::size_t>(lossPending_)].value += skippedBytes;
    } else if (lossLastTick_ && lossSaved_ >= 0) {
        saved_[static_cast<std::size_t>(lossSaved_)].end = firstSample; // relabelled at the next save
        savedLossBytes_ += skippedBytes;
    } else if (pendingCount_ < kPendingCapacity) {
        lossPending_ = pendingCount_;
        lossSaved_ = -1;
        pending_[static_cast<std::size_t>(pendingCount_++)] = {firstSample, firstSample, MarkerKind::Strata,
                                                               skippedBytes};
    } else {
        return; // full until the next save: this loss goes unmarked
    }
    lossLastTick_ = true;
}

bool LiveMarkers::noteMark(std::int64_t sample, int msecsSinceMidnight, MarkerKind kind) {
    if (pendingCount_ >= kPendingCapacity)
        return false;
    pending_[static_cast<std::size_t>(pendingCount_++)] = {sample, sample, kind, msecsSinceMidnight};
    changed_ = true;
    return true;
}

void LiveMarkers::noteLabelled(std::int64_t sample, const QString& label) {
    saved_.push_back({sample, sample, MarkerKind::Uwaga, label});
    changed_ = true;
}

void LiveMarkers::keep() {
    takePending();
    ticksSinceSave_ = 0;
    changed_ = false;
}

QString LiveMarkers::labelOf(const Pending& p) {
    if (p.kind == MarkerKind::Strata)
        return QString::number(p.value);
    return QTime::fromMSecsSinceStartOfDay(static_cast<int>(p.value)).toString(QStringLiteral("hh:mm:ss"));
}

void LiveMarkers::takePending() {
    if (lossSaved_ >= 0)
        saved_[static_cast<std::size_t>(lossSaved_)].label = QString::number(savedLossBytes_);
    for (int i = 0; i < pendingCount_; ++i) {
        const Pending& p = pending_[static_cast<std::size_t>(i)];
        if (i == lossPending_) {
            lossSaved_ = static_cast<int>(saved_.size());
            savedLossBytes_ = p.value;
        }
        saved_.push_back({p.start, p.end, p.kind, labelOf(p)});
    }
    pendingCount_ = 0;
    lossPending_ = -1;
}

bool LiveMarkers::save(const QString& rosPath, CoreError& error, bool lockHeld) {
    if (!changed_)
        return true;
    SetLock lock;
    QString reason;
    const SetLock::Result locked = lockHeld ? SetLock::Result::Locked : lock.lock(rosPath, 0, reason);
    if (locked == SetLock::Result::Busy)
        return true; // another program changes the set now: the next save writes these too
    if (locked == SetLock::Result::Failed) {
        error = CoreError::worded(reason);
        return false;
    }
    takePending();
    ticksSinceSave_ = 0;
    if (!writeMarkerFile(markerFilePath(rosPath), saved_, error))
        return false; // kept: the next save tries again
    changed_ = false;
    return true;
}

std::vector<Marker> LiveMarkers::markers() const {
    std::vector<Marker> all = saved_;
    if (lossSaved_ >= 0)
        all[static_cast<std::size_t>(lossSaved_)].label = QString::number(savedLossBytes_);
    for (int i = 0; i < pendingCount_; ++i)
        all.push_back({pending_[static_cast<std::size_t>(i)].start, pending_[static_cast<std::size_t>(i)].end,
                       pending_[static_cast<std::size_t>(i)].kind,
                       labelOf(pending_[static_cast<std::size_t>(i)])});
    sortMarkers(all);
    return all;
}

} // namespace varnilog
