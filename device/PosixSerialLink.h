// The serial port on Linux: termios for the line settings, and a reader thread that drains the
// device into a ring of a few megabytes as soon as bytes arrive, so a window thread that is busy
// for seconds loses nothing (the driver's own queue holds well under a second at the line rate).
// Works on real ports ("ttyUSB0", "/dev/ttyS0") and on pseudo-terminals ("/dev/pts/3").
// Depends on POSIX, QtCore's QString and device/ByteRing.
#pragma once

#include "device/ByteRing.h"
#include "device/SerialLink.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <termios.h>
#include <thread>

namespace varnilog {

class PosixSerialLink final : public SerialLink {
public:
    static constexpr std::int64_t kDefaultRingCapacity = 8 * 1024 * 1024; // bytes, ~90 s at the line rate
    // How the line settings reach the device: tcsetattr, or in tests a driver that cannot run at the
    // line rate and applies another speed instead.
    using ApplyLineSettings = int (*)(int fd, int action, const termios* settings);

    explicit PosixSerialLink(std::int64_t ringCapacity = kDefaultRingCapacity,
                             ApplyLineSettings applyLineSettings = ::tcsetattr);
    ~PosixSerialLink() override;
    PosixSerialLink(const PosixSerialLink&) = delete;
    PosixSerialLink& operator=(const PosixSerialLink&) = delete;

    // A name without a leading "/" is taken from /dev ("ttyUSB0" is /dev/ttyUSB0).
    bool open(const QString& portName) override;
    bool speedRefused() const override { return speedRefused_; }
    int openError() const override { return openError_; }
    bool isOpen() const override { return fd_ >= 0; }
    std::int64_t write(std::span<const std::uint8_t> bytes) override;
    std::int64_t queuedBytes() override { return ring_.size(); }
    std::int64_t read(std::span<std::uint8_t> dest) override { return ring_.pop(dest); }
    // Bytes written to the device, and taken from it (put in the ring, or dropped by purge), since
    // construction.
    std::int64_t bytesWritten() const { return written_.load(); }
    std::int64_t bytesTaken() const { return taken_.load(); }
    void purge() override;
    bool close() override;
    bool failed() const override { return failed_.load(); }

    // The device path a port name stands for.
    static QString devicePath(const QString& portName);

private:
    // Applies the line settings; false when the device does not run at 921600 baud afterwards.
    bool configureLine(int fd) const;
    void readerLoop();
    void stopReader();

    ByteRing ring_;
    ApplyLineSettings applyLineSettings_;
    bool speedRefused_ = false;
    int openError_ = 0;
    int fd_ = -1;
    int wakeFd_ = -1; // eventfd that ends the reader's poll
    std::thread reader_;
    std::mutex drainMutex_; // held while a chunk moves from the device to the ring, so purge is exact
    std::atomic<bool> failed_{false};
    std::atomic<std::int64_t> written_{0}, taken_{0};
    std::atomic<bool> stopping_{false};
};

} // namespace varnilog
