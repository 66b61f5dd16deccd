// The serial port as the acquisition sees it: open and configure, write, count and read what has
// been received, purge, close. Implementations: PosixSerialLink (termios with a reader thread, the
// real port and the tests' pseudo-terminals); another platform may put QSerialPort behind it.
// Depends on QtCore's QString only.
#pragma once

#include <QString>

#include <cerrno>
#include <cstdint>
#include <span>

namespace varnilog {

class SerialLink {
public:
    virtual ~SerialLink() = default;

    // Opens the port exclusively (also against a program that holds a lock on it) at 921600 baud, 8 data
    // bits, no parity, 1 stop bit, no flow control, DTR and RTS held off; bytes that were waiting from an
    // earlier session are dropped. False when the device cannot be opened (an empty name never opens) or does
    // not run at 921600 baud. Other settings the device refuses after a successful open are ignored.
    virtual bool open(const QString& portName) = 0;
    // After a failed open: true when the device opened but would not run at 921600 baud (the
    // driver applied another speed), so the user is told the port, not the board, is the problem.
    virtual bool speedRefused() const { return false; }
    // After a failed open: the system's error number of the failure (0 when there is none to tell), so
    // the user reads why, and a missing permission can be told apart with its fix.
    virtual int openError() const { return 0; }
    virtual bool isOpen() const = 0;
    // Bytes written, or -1 on an error of the device.
    virtual std::int64_t write(std::span<const std::uint8_t> bytes) = 0;
    // Bytes received and not yet read.
    virtual std::int64_t queuedBytes() = 0;
    // Takes up to dest.size() received bytes; returns how many were taken.
    virtual std::int64_t read(std::span<std::uint8_t> dest) = 0;
    // Drops what was received and not read, and what was not yet sent.
    virtual void purge() = 0;
    // False when the device reported an error on closing.
    virtual bool close() = 0;
    // True once the device has failed or gone away (read/write error, hang-up). What was received
    // before stays readable.
    virtual bool failed() const = 0;
};

// True when an open failed because the user may not use the device (on Debian: not in "dialout").
inline bool portAccessDenied(int openError) {
    return openError == EACCES || openError == EPERM;
}

} // namespace varnilog
