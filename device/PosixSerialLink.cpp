#include "device/PosixSerialLink.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace varnilog {

namespace {

constexpr std::size_t kChunkSize = 64 * 1024; // bytes moved from the device per read

} // namespace

PosixSerialLink::PosixSerialLink(std::int64_t ringCapacity, ApplyLineSettings applyLineSettings)
    : ring_(ringCapacity), applyLineSettings_(applyLineSettings) {}

bool PosixSerialLink::configureLine(int fd) const {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0)
        return false;
    cfmakeraw(&tio);
    cfsetispeed(&tio, B921600);
    cfsetospeed(&tio, B921600);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | CRTSCTS | CSIZE);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    // A device that refuses part of this (a pseudo-terminal has no modem lines) still carries the
    // bytes, so only the speed is checked: a driver that cannot do 921600 quietly applies another
    // one, and the board's frames would arrive as junk.
    (void)applyLineSettings_(fd, TCSANOW, &tio);
    termios applied{};
    if (tcgetattr(fd, &applied) != 0 || cfgetospeed(&applied) != B921600)
        return false;
    int lines = TIOCM_DTR | TIOCM_RTS;
    (void)ioctl(fd, TIOCMBIC, &lines);
    return true;
}

PosixSerialLink::~PosixSerialLink() {
    close();
}

QString PosixSerialLink::devicePath(const QString& portName) {
    if (portName.startsWith(QLatin1Char('/')))
        return portName;
    return QStringLiteral("/dev/") + portName;
}

bool PosixSerialLink::open(const QString& portName) {
    if (isOpen() || portName.trimmed().isEmpty())
        return false;
    const QByteArray path = devicePath(portName).toLocal8Bit();
    speedRefused_ = false;
    openError_ = 0;
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        openError_ = errno;
        return false;
    }
    // TIOCEXCL keeps later opens out (but not root's); the lock is what terminal programs that
    // already hold the port take and honour. Either refusal means another program has the port.
    if (!isatty(fd)) {
        openError_ = ENOTTY;
        ::close(fd);
        return false;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0 || ioctl(fd, TIOCEXCL) != 0) {
        openError_ = EBUSY;
        ::close(fd);
        return false;
    }
    if (!configureLine(fd)) {
        speedRefused_ = true;
        ioctl(fd, TIOCNXCL);
        ::close(fd);
        return false;
    }
    tcflush(fd, TCIOFLUSH);
    wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd_ < 0) {
        openError_ = errno;
        ioctl(fd, TIOCNXCL);
        ::close(fd);
        return false;
    }
    fd_ = fd;
    ring_.clear();
    failed_ = false;
    stopping_ = false;
    reader_ = std::thread([this] { readerLoop(); });
    return true;
}

void PosixSerialLink::readerLoop() {
    std::uint8_t chunk[kChunkSize];
    while (!stopping_.load()) {
        if (ring_.freeSpace() == 0) {
            // The ring is full: let the driver's queue take the next bytes until the tick reads.
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        pollfd fds[2] = {{fd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        const int ready = ::poll(fds, 2, -1);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            failed_ = true;
            return;
        }
        if (fds[1].revents != 0)
            return;
        if ((fds[0].revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) == 0)
            continue;
        std::lock_guard lock(drainMutex_);
        const auto room = static_cast<std::size_t>(std::min<std::int64_t>(ring_.freeSpace(), kChunkSize));
        const ssize_t got = ::read(fd_, chunk, room);
        if (got > 0) {
            ring_.push(std::span<const std::uint8_t>(chunk, static_cast<std::size_t>(got)));
            taken_ += got;
            continue;
        }
        if (got < 0 && (errno == EAGAIN || errno == EINTR))
            continue;
        // End of file, EIO or ENXIO, or a hang-up with nothing left to read: the device is gone.
        failed_ = true;
        return;
    }
}

std::int64_t PosixSerialLink::write(std::span<const std::uint8_t> bytes) {
    if (!isOpen())
        return -1;
    std::size_t done = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            written_ += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN && std::chrono::steady_clock::now() < deadline) {
            pollfd out{fd_, POLLOUT, 0};
            ::poll(&out, 1, 10);
            continue;
        }
        failed_ = true;
        return -1;
    }
    return static_cast<std::int64_t>(done);
}

void PosixSerialLink::purge() {
    if (!isOpen())
        return;
    std::lock_guard lock(drainMutex_);
    int unread = 0;
    if (::ioctl(fd_, FIONREAD, &unread) == 0)
        taken_ += unread;
    tcflush(fd_, TCIOFLUSH);
    ring_.clear();
}

void PosixSerialLink::stopReader() {
    if (!reader_.joinable())
        return;
    stopping_ = true;
    const std::uint64_t one = 1;
    // A failed write leaves the counter non-zero already, so the reader wakes either way; a (void) cast
    // would not quiet the warning of a fortified build (the Debian package's).
    [[maybe_unused]] const ssize_t woken = ::write(wakeFd_, &one, sizeof one);
    reader_.join();
}

bool PosixSerialLink::close() {
    if (!isOpen())
        return true;
    stopReader();
    ::close(wakeFd_);
    wakeFd_ = -1;
    // Give the exclusive lock back, so the next open of the same device works even if another
    // process keeps it open.
    ioctl(fd_, TIOCNXCL);
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    return closed;
}

} // namespace varnilog
