#include "recording/HalfWorkers.h"

namespace varnilog {

HalfWorkers::HalfWorkers(std::function<void(int half)> job) : job_(std::move(job)) {
    for (int half = 0; half < 2; ++half)
        threads_[static_cast<std::size_t>(half)] = std::thread([this, half] { work(half); });
}

HalfWorkers::~HalfWorkers() {
    {
        const std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    for (std::thread& t : threads_)
        t.join();
}

void HalfWorkers::start() {
    const std::lock_guard lock(mutex_);
    ++generation_;
    busy_ = 2;
    wake_.notify_all();
}

void HalfWorkers::wait() {
    std::unique_lock lock(mutex_);
    done_.wait(lock, [&] { return busy_ == 0; });
}

std::pair<std::int64_t, std::int64_t> HalfWorkers::halfOf(std::int64_t count, int half) {
    const std::int64_t middle = (count + 1) / 2;
    return half == 0 ? std::pair{std::int64_t{0}, middle} : std::pair{middle, count};
}

void HalfWorkers::work(int half) {
    std::uint64_t seen = 0;
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [&] { return quit_ || generation_ != seen; });
            if (quit_)
                return;
            seen = generation_;
        }
        job_(half);
        const std::lock_guard lock(mutex_);
        if (--busy_ == 0)
            done_.notify_all();
    }
}

} // namespace varnilog
