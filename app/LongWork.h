// One long job at a time on a worker thread, for an owner whose thread runs an event loop (a window):
// the job gets a WorkProgress that records how far it came and returns false once cancel() was asked
// for; the owner's thread learns the figures at most once per interval (progressed) and gets the end
// (the done callback, then finished) when the worker has been joined. Nothing of the owner's is
// touched from the worker, and the owner's thread never polls inside the job. Depends on QtCore.
#pragma once

#include "app/WorkProgress.h"

#include <QObject>
#include <QTimer>

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

namespace varnilog {

class LongWork : public QObject {
    Q_OBJECT
public:
    // Runs on the worker; true when it completed, false when it stopped (cancelled or failed).
    using Job = std::function<bool(const WorkProgress& progress)>;
    // Runs on the owner's thread after the worker has been joined.
    using Done = std::function<void(bool completed)>;

    explicit LongWork(QObject* parent = nullptr);
    // A job still running is cancelled and waited for; its done callback is not called.
    ~LongWork() override;
    LongWork(const LongWork&) = delete;
    LongWork& operator=(const LongWork&) = delete;

    // Starts job on a new worker; false (nothing started) while another one runs.
    bool start(Job job, Done done = {});
    // Asks the running job to stop: its next progress call returns false.
    void cancel();
    // Cancels the running job and waits for it here, handling no events; its done callback is not
    // called (the owner replaces or drops the job and looks at what it left itself).
    void stop();
    bool busy() const { return worker_.joinable(); }
    bool cancelRequested() const { return cancel_.load(); }
    // Handles every event of this thread (paints, moves, timers, input) until the running job has
    // ended and its done callback has run. When the loop is ended from outside (the program quits),
    // cancels the job and waits for it. The result of the last job: true when it completed.
    bool wait();
    bool lastCompleted() const { return lastCompleted_; }

    // Longest time between two progressed signals while the figures change (default 50 ms).
    void setProgressInterval(int ms) { poll_.setInterval(ms); }
    // Called on the worker at every progress call of the job; set only while no job runs (tests and
    // benchmarks slow a job down with it).
    void setWorkerProgressHook(std::function<void()> hook) { hook_ = std::move(hook); }

signals:
    void progressed(std::int64_t done, std::int64_t total);
    void finished(bool completed);

private:
    void poll();
    void workerEnded();

    std::thread worker_;
    QTimer poll_;
    Done done_;
    std::function<void()> hook_;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> completed_{false};
    std::atomic<std::int64_t> done_units_{0};
    std::atomic<std::int64_t> total_units_{0};
    std::int64_t shownDone_ = -1;
    std::int64_t shownTotal_ = -1;
    bool lastCompleted_ = false;
    int serial_ = 0; // the owner's thread only
};

} // namespace varnilog
