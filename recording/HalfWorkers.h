// The two threads of the text-formatting exports: every start() runs job(0) on one and job(1) on the
// other, each on its half of a block, while the caller goes on (writing out the block before);
// wait() returns when both halves are done. Depends on the C++ library only.
#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>

namespace varnilog {

// Lines formatted in one block: enough that the two threads are seldom woken, few enough that
// the text of a block stays small.
inline constexpr std::int64_t kFormattedBlockRows = 65536;

class HalfWorkers {
public:
    // job(half) must not throw; what the caller changes before start() is seen by the job.
    explicit HalfWorkers(std::function<void(int half)> job);
    ~HalfWorkers();
    HalfWorkers(const HalfWorkers&) = delete;
    HalfWorkers& operator=(const HalfWorkers&) = delete;

    void start();
    void wait();

    // Items [first, second) of a block of count that half (0 or 1) takes.
    static std::pair<std::int64_t, std::int64_t> halfOf(std::int64_t count, int half);

private:
    void work(int half);

    std::function<void(int)> job_;
    std::array<std::thread, 2> threads_;
    std::mutex mutex_;
    std::condition_variable wake_, done_;
    std::uint64_t generation_ = 0;
    int busy_ = 0;
    bool quit_ = false;
};

} // namespace varnilog
