// Running part of a test in a forked child (limits that must not touch the test program, another
// user, a process that dies), and limiting the size of the files a piece of code may write.
#pragma once

#include <chrono>
#include <csignal>
#include <functional>
#include <thread>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace varnilog::test {

// While it lives, files this process writes stop at limitBytes: a write past it fails with EFBIG, as
// on a full disk, instead of raising SIGXFSZ. Restores the limit and the signal's handler.
class ScopedFileSizeLimit {
public:
    explicit ScopedFileSizeLimit(rlim_t limitBytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit small = saved_;
        small.rlim_cur = limitBytes;
        savedHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~ScopedFileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, savedHandler_);
    }
    ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
    ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*savedHandler_)(int) = SIG_DFL;
};

// Forks; the child runs body and exits with what it returns, without running the parent's exit
// handlers. When the parent has threads, body may only make system calls (no locks, no allocation).
// Returns the child's pid (or -1) to the parent.
inline pid_t startChild(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(body());
    return pid;
}

struct ChildEnd {
    bool exited = false; // ended by exit: code holds its status
    int code = -1;
    int signal = 0;    // the signal that ended it, else 0
    bool hung = false; // still running at the wall limit: killed
};

// Waits for the child; one still running after wallLimit (zero: no limit) is killed and reported hung.
inline ChildEnd waitForChild(pid_t pid, std::chrono::milliseconds wallLimit = {}) {
    ChildEnd end;
    int status = 0;
    if (wallLimit.count() <= 0) {
        ::waitpid(pid, &status, 0);
    } else {
        const auto started = std::chrono::steady_clock::now();
        while (::waitpid(pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() - started > wallLimit) {
                ::kill(pid, SIGKILL);
                ::waitpid(pid, &status, 0);
                end.hung = true;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    end.exited = WIFEXITED(status);
    end.code = end.exited ? WEXITSTATUS(status) : -1;
    end.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return end;
}

} // namespace varnilog::test
