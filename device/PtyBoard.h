// A BoardSimulator on the master side of a pseudo-terminal, run on its own thread: the slave path
// is a serial port that the program opens like a real one ("/dev/pts/3"). Serves one connection
// after another until stopped; a board that hangs up closes its terminal until start() again.
//     PtyBoard board(3); board.start(); state.comPortName = board.slavePath();
// Depends on POSIX (openpty) and device/BoardSimulator.
#pragma once

#include "device/BoardSimulator.h"

#include <QString>

#include <atomic>
#include <mutex>
#include <thread>

namespace varnilog {

class PtyBoard {
public:
    explicit PtyBoard(int model = 1);
    explicit PtyBoard(BoardOptions options);
    ~PtyBoard();
    PtyBoard(const PtyBoard&) = delete;
    PtyBoard& operator=(const PtyBoard&) = delete;

    // Creates the pseudo-terminal and starts serving; false when no terminal can be created. After
    // a hang-up it plugs the board in again: a fresh board on a new terminal (a new slavePath).
    bool start();
    void stop();
    QString slavePath() const { return slavePath_; }
    bool hungUp() const { return hungUp_.load(); }
    // Frames sent since the last settings command.
    std::int64_t framesSent() const { return framesSent_.load(); }
    // Frames of every stream since start().
    std::int64_t framesSentInAll() const { return framesInAll_.load(); }
    int identifyCommandsSeen() const;
    // True when the board has read and answered all the program wrote (hostWrote bytes) and the
    // program's link has taken (hostTook bytes) all the board wrote: a test's clock waits for it, as a
    // real board never lags behind the program's fixed waits.
    bool caughtUp(std::int64_t hostWrote, std::int64_t hostTook) const;

private:
    void serve();
    // True when the program's last descriptor of the port has just been closed; the port is then
    // free for the next program, and what the program did not read is dropped.
    bool programLeft();
    void closeTerminal();

    BoardOptions options_;
    BoardSimulator simulator_;
    mutable std::mutex simulatorMutex_; // the counters are read from other threads
    int master_ = -1;
    int slave_ = -1; // the board's own read-only slave, kept while watch_ is open
    int watch_ = -1; // inotify descriptor that sees the program close the slave
    QString slavePath_;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> hungUp_{false};
    std::atomic<std::int64_t> framesSent_{0};
    std::atomic<std::int64_t> framesInAll_{0};
    std::int64_t received_ = 0;           // bytes read from the program
    std::int64_t delivered_ = 0;          // bytes written to the program and not dropped at its close
    std::atomic<bool> pendingOut_{false}; // bytes made that the terminal has not yet taken
};

} // namespace varnilog
