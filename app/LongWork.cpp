#include "app/LongWork.h"

#include <QEventLoop>
#include <QPointer>

namespace varnilog {

LongWork::LongWork(QObject* parent) : QObject(parent) {
    poll_.setInterval(50);
    connect(&poll_, &QTimer::timeout, this, &LongWork::poll);
}

LongWork::~LongWork() {
    if (worker_.joinable()) {
        cancel_.store(true);
        worker_.join();
    }
}

bool LongWork::start(Job job, Done done) {
    if (worker_.joinable())
        return false;
    cancel_.store(false);
    completed_.store(false);
    done_units_.store(0);
    total_units_.store(0);
    shownDone_ = shownTotal_ = -1;
    done_ = std::move(done);
    const int serial = ++serial_;
    poll_.start();
    worker_ = std::thread([this, serial, job = std::move(job)] {
        const WorkProgress progress = [this](std::int64_t done, std::int64_t total) {
            done_units_.store(done);
            total_units_.store(total);
            if (hook_)
                hook_();
            return !cancel_.load();
        };
        completed_.store(job(progress) && !cancel_.load());
        // Queued to this object: dropped if it is destroyed first (the destructor joins instead), and
        // ignored when wait() has already joined this worker and another job runs now.
        QMetaObject::invokeMethod(
            this,
            [this, serial] {
                if (serial == serial_)
                    workerEnded();
            },
            Qt::QueuedConnection);
    });
    return true;
}

void LongWork::cancel() {
    if (worker_.joinable())
        cancel_.store(true);
}

void LongWork::stop() {
    if (!worker_.joinable())
        return;
    cancel_.store(true);
    worker_.join();
    poll_.stop();
    lastCompleted_ = completed_.load();
    done_ = {};
}

void LongWork::poll() {
    const std::int64_t done = done_units_.load();
    const std::int64_t total = total_units_.load();
    if (done == shownDone_ && total == shownTotal_)
        return;
    shownDone_ = done;
    shownTotal_ = total;
    emit progressed(done, total);
}

void LongWork::workerEnded() {
    if (!worker_.joinable())
        return; // already joined by wait() after its loop was ended from outside
    worker_.join();
    poll_.stop();
    poll();
    lastCompleted_ = completed_.load();
    Done done = std::move(done_);
    done_ = {};
    if (done)
        done(lastCompleted_);
    emit finished(lastCompleted_);
}

bool LongWork::wait() {
    if (!worker_.joinable())
        return lastCompleted_;
    QPointer<LongWork> self(this);
    QEventLoop loop;
    connect(this, &LongWork::finished, &loop, &QEventLoop::quit);
    loop.exec();
    if (self.isNull())
        return false;
    if (worker_.joinable()) {
        cancel_.store(true);
        workerEnded();
    }
    return lastCompleted_;
}

} // namespace varnilog
