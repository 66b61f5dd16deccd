#include "device/PtyBoard.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
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
    framesInAll_ = 0;
    termios raw{};
    cfmakeraw(&raw);
    char name[256] = {};
    int slave = -1;
    if (openpty(&master_, &slave, name, &raw, nullptr) != 0) {
        master_ = -1;
        return false;
    }
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    slavePath_ = QString::fromLocal8Bit(name);
    // The board keeps a slave of its own (read-only, so its close is told apart from the
    // program's), to lift the program's exclusive open once the program's last descriptor is gone:
    // a real port forgets it with its last close, but this terminal lives on with its master, and a
    // killed program never lifts it. inotify tells the board when the program closes the port.
    // Without inotify the slave is let go, and the program's close shows as a hang-up of the master.
    ::close(slave);
    watch_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watch_ >= 0 && inotify_add_watch(watch_, name, IN_CLOSE_WRITE) >= 0)
        slave_ = ::open(name, O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave_ < 0 && watch_ >= 0) {
        ::close(watch_);
        watch_ = -1;
    }
    stopping_ = false;
    thread_ = std::thread([this] { serve(); });
    return true;
}

void PtyBoard::stop() {
    stopping_ = true;
    if (thread_.joinable())
        thread_.join();
    closeTerminal();
}

void PtyBoard::closeTerminal() {
    for (int* fd : {&watch_, &slave_, &master_}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}

bool PtyBoard::programLeft() {
    alignas(inotify_event) char events[1024];
    bool closed = false;
    while (::read(watch_, events, sizeof events) > 0)
        closed = true; // like events not yet read are merged: any close asks again
    if (!closed)
        return false;
    // Is another slave than ours still open? The master shows a hang-up once no slave is: let ours
    // go for a moment (its exclusive flag lifted first, or a user without super-user rights could
    // not open it again) and look.
    int held = 0;
    ioctl(slave_, TIOCGEXCL, &held);
    ioctl(slave_, TIOCNXCL);
    ::close(slave_);
    pollfd fd{master_, POLLIN, 0};
    ::poll(&fd, 1, 0);
    const bool left = (fd.revents & POLLHUP) != 0;
    slave_ = ::open(slavePath_.toLocal8Bit().constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave_ < 0) {
        // Cannot happen while the master lives; the board then just serves on without the watch.
        ::close(watch_);
        watch_ = -1;
        return left;
    }
    if (!left && held)
        ioctl(slave_, TIOCEXCL); // the program still has the port: its lock stays
    if (left) {
        int unread = 0;
        ioctl(slave_, FIONREAD, &unread);
        std::lock_guard lock(simulatorMutex_);
        delivered_ -= unread;
        tcflush(slave_, TCIFLUSH); // what the program did not read goes with it
    }
    return left;
}

bool PtyBoard::caughtUp(std::int64_t hostWrote, std::int64_t hostTook) const {
    std::lock_guard lock(simulatorMutex_); // between two rounds of serve
    if (hungUp_.load() || master_ < 0)
        return true;
    return received_ == hostWrote && !pendingOut_ && delivered_ == hostTook;
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
        const bool programGone = watch_ >= 0 && programLeft() && !options_.streamsAfterClose;
        if (programGone || (fd.revents & POLLHUP)) {
            // Nobody has the port open: the next connection starts from a board at rest.
            if (connected || programGone) {
                std::lock_guard lock(simulatorMutex_);
                simulator_.disconnect();
            }
            connected = false;
            pending.clear();
            pendingAt = 0;
            pendingOut_ = false;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            continue;
        }
        connected = true;
        std::lock_guard lock(simulatorMutex_);
        if (fd.revents & POLLIN) {
            const ssize_t got = ::read(master_, in, sizeof in);
            received_ += std::max<ssize_t>(got, 0);
            if (got > 0)
                simulator_.receive(std::span<const std::uint8_t>(in, static_cast<std::size_t>(got)),
                                   nowMicroseconds());
        }
        if (pendingAt == pending.size()) {
            const std::size_t made = simulator_.produce(nowMicroseconds(), out);
            pending.assign(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(made));
            pendingAt = 0;
            framesSent_ = simulator_.framesSent();
            framesInAll_ = simulator_.framesSentInAll();
        }
        while (pendingAt < pending.size()) {
            const ssize_t put = ::write(master_, pending.data() + pendingAt, pending.size() - pendingAt);
            if (put <= 0)
                break;
            pendingAt += static_cast<std::size_t>(put);
            delivered_ += put;
        }
        pendingOut_ = pendingAt < pending.size();
        if (!pendingOut_)
            simulator_.lineTookAll(nowMicroseconds());
        if (simulator_.hungUp() && pendingAt == pending.size()) {
            // Let the other side take what is in flight first: a pseudo-terminal drops unread
            // bytes when its master closes, a real adapter would have delivered them.
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            hungUp_ = true;
            closeTerminal();
            return;
        }
    }
}

} // namespace varnilog
