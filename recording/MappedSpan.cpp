#include "recording/MappedSpan.h"

#if defined(__unix__) || defined(__APPLE__)
#include <atomic>
#include <csignal>
#include <mutex>

#include <sys/mman.h>
#include <unistd.h>
#define VARNILOG_MAPPED_SPANS 1
#endif

namespace varnilog {

#ifdef VARNILOG_MAPPED_SPANS
namespace {

// The mappings alive, for the handler: what it reads is only atomics, so it may run at any moment.
struct Slot {
    std::atomic<std::uintptr_t> begin{0}, end{0};
    std::atomic<bool> damaged{false};
};
constexpr int kSlots = 32;
Slot slots[kSlots];
struct sigaction previous {};

void onBus(int signal, siginfo_t* info, void* context) {
    const auto at = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (Slot& slot : slots) {
        if (at < slot.begin.load() || at >= slot.end.load())
            continue;
        // A page of zeros where the file's page is gone; the read that faulted then goes on.
        const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
        void* const where = reinterpret_cast<void*>(at - at % page);
        if (::mmap(where, page, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) != MAP_FAILED) {
            slot.damaged = true;
            return;
        }
        break;
    }
    // Not ours: as the program did before this handler came.
    if (previous.sa_flags & SA_SIGINFO) {
        previous.sa_sigaction(signal, info, context);
    } else if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
        previous.sa_handler(signal);
    } else {
        ::signal(SIGBUS, SIG_DFL); // the fault comes again on return and ends the program
    }
}

bool handlerInstalled() {
    static const bool installed = [] {
        struct sigaction action {};
        action.sa_sigaction = onBus;
        action.sa_flags = SA_SIGINFO;
        sigemptyset(&action.sa_mask);
        return ::sigaction(SIGBUS, &action, &previous) == 0;
    }();
    return installed;
}

} // namespace

MappedSpan::MappedSpan(int fd, std::int64_t offset, std::int64_t length) {
    if (fd < 0 || offset < 0 || length <= 0 || !handlerInstalled())
        return;
    const auto page = static_cast<std::int64_t>(::sysconf(_SC_PAGESIZE));
    const std::int64_t start = offset - offset % page;
    mapLength_ = length + (offset - start);
    void* map = ::mmap(nullptr, static_cast<std::size_t>(mapLength_), PROT_READ, MAP_SHARED, fd, start);
    if (map == MAP_FAILED)
        return;
    const auto begin = reinterpret_cast<std::uintptr_t>(map);
    for (int i = 0; i < kSlots && slot_ < 0; ++i) {
        std::uintptr_t free = 0;
        if (slots[i].begin.compare_exchange_strong(free, begin)) {
            slots[i].damaged = false;
            slots[i].end = begin + static_cast<std::uintptr_t>(mapLength_);
            slot_ = i;
        }
    }
    if (slot_ < 0) {
        ::munmap(map, static_cast<std::size_t>(mapLength_));
        return;
    }
    // Read once from start to end: the system reads ahead and maps many pages at each fault.
    ::madvise(map, static_cast<std::size_t>(mapLength_), MADV_SEQUENTIAL);
    map_ = map;
    data_ = static_cast<const std::uint8_t*>(map) + (offset - start);
}

MappedSpan::~MappedSpan() {
    if (map_ == nullptr)
        return;
    ::munmap(map_, static_cast<std::size_t>(mapLength_));
    slots[slot_].end = 0;
    slots[slot_].begin = 0;
}

bool MappedSpan::damaged() const {
    return slot_ >= 0 && slots[slot_].damaged.load();
}

#else

MappedSpan::MappedSpan(int, std::int64_t, std::int64_t) {}
MappedSpan::~MappedSpan() = default;
bool MappedSpan::damaged() const {
    return false;
}

#endif

} // namespace varnilog
