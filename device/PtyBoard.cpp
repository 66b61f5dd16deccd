#include "device/PtyBoard.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <vector>

namespace varnilog {

namespace {

std::int64_t nowMicroseconds() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

PtyBoard::PtyBoard(int model) : PtyBoard(BoardOptions{.model = model}) {}

PtyBoard::PtyBoard(BoardOptions options) : options_(options), simulator_(options) {}

PtyBoard::~PtyBoard() {
    stop();
}

bool PtyBoard::start() {
    if (thread_.joinable()) {
        if (!hungUp_.load())
            return true; // still serving
        // Plugged in again after a hang-up: the old connection's thread has ended, and the board
        // comes back at rest, on a new terminal.
        thread_.join();
    }
    if (master_ >= 0)
        return true;
    {
        std::lock_guard lock(simulatorMutex_);
        simulator_ = BoardSimulator(options_);
    }
    hungUp_ = false;
    framesSent_ = 0;
    termios raw{};
    cfmakeraw(&raw);
    char name[256] = {};
    int slave = -1;
    if (openpty(&master_, &slave, name, &raw, nullptr) != 0) {
        master_ = -1;
        return false;
    }
    // The board does not keep the slave open: the program's open and close of the port are then
    // seen here as the end of a hang-up and as a hang-up.
    ::close(slave);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    slavePath_ = QString::fromLocal8Bit(name);
    stopping_ = false;
    thread_ = std::thread([this] { serve(); });
    return true;
}

void PtyBoard::stop() {
    stopping_ = true;
    if (thread_.joinable())
        thread_.join();
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
}

int PtyBoard::identifyCommandsSeen() const {
    std::lock_guard lock(simulatorMutex_);
    return simulator_.identifyCommandsSeen();
}

void PtyBoard::serve() {
    std::vector<std::uint8_t> pending;
    std::size_t pendingAt = 0;
    std::uint8_t in[256];
    std::vector<std::uint8_t> out(16384);
    bool connected = false;
    while (!stopping_.load()) {
        pollfd fd{master_, static_cast<short>(POLLIN | (pendingAt < pending.size() ? POLLOUT : 0)), 0};
        ::poll(&fd, 1, 1);
        if (fd.revents & POLLHUP) {
            // Nobody has the port open: the next connection starts from a board at rest.
            if (connected) {
                std::lock_guard lock(simulatorMutex_);
                simulator_.disconnect();
            }
            connected = false;
            pending.clear();
            pendingAt = 0;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            continue;
        }
        connected = true;
        std::lock_guard lock(simulatorMutex_);
        if (fd.revents & POLLIN) {
            const ssize_t got = ::read(master_, in, sizeof in);
            if (got > 0)
                simulator_.receive(std::span<const std::uint8_t>(in, static_cast<std::size_t>(got)),
                                   nowMicroseconds());
        }
        if (pendingAt == pending.size()) {
            const std::size_t made = simulator_.produce(nowMicroseconds(), out);
            pending.assign(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(made));
            pendingAt = 0;
            framesSent_ = simulator_.framesSent();
        }
        while (pendingAt < pending.size()) {
            const ssize_t put = ::write(master_, pending.data() + pendingAt, pending.size() - pendingAt);
            if (put <= 0)
                break;
            pendingAt += static_cast<std::size_t>(put);
        }
        if (simulator_.hungUp() && pendingAt == pending.size()) {
            // Let the other side take what is in flight first: a pseudo-terminal drops unread
            // bytes when its master closes, a real adapter would have delivered them.
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            hungUp_ = true;
            ::close(master_);
            master_ = -1;
            return;
        }
    }
}

} // namespace varnilog
