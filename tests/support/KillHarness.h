// Kills a command-line run before each system call that changes the disk, one call at a time, so a
// test can check that every kill point leaves an old or a new state. Uses strace (a test skips without
// it) and forks as the sanitizers expect: Qt starts a process by cloning the address space in a way
// ThreadSanitizer cannot follow, which spoils its view of the test's own threads afterwards.
#pragma once

#include "support/ChildProcess.h"
#include "support/Sanitizers.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <map>
#include <vector>

#include <unistd.h>

namespace varnilog::test {

// The system calls that change what is on disk; reads and opens without a name need no kill of their
// own, as the disk is then as at the next changing call.
inline QString diskChangingCalls() {
    return QStringLiteral("write,pwrite64,fsync,fdatasync,rename,renameat,renameat2,link,linkat,"
                          "unlink,unlinkat,fchmod,ftruncate,mkdir,mkdirat");
}

// Runs command (program first) with the traced children's environment and waits; its exit code, or -1.
inline int runTraced(const QStringList& command, std::chrono::seconds wallLimit = std::chrono::seconds(20)) {
    std::vector<QByteArray> strings;
    for (const QString& a : command)
        strings.push_back(a.toLocal8Bit());
    const std::size_t argc = strings.size();
    for (const QString& e : tracedChildEnvironment().toStringList())
        strings.push_back(e.toLocal8Bit());
    std::vector<char*> argv, envp;
    for (std::size_t i = 0; i < strings.size(); ++i)
        (i < argc ? argv : envp).push_back(strings[i].data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    const pid_t pid = startChild([&] { return ::execve(argv[0], argv.data(), envp.data()) == 0 ? 0 : 127; });
    const ChildEnd end = waitForChild(pid, wallLimit);
    return end.exited ? end.code : -1;
}

inline QString straceProgram() {
    return QStandardPaths::findExecutable(QStringLiteral("strace"));
}

// How often a whole run of command (in a folder prepared by setUp) makes each disk-changing call.
inline std::map<QString, int> diskCallCounts(const std::function<QStringList(const QString& dir)>& setUp) {
    std::map<QString, int> counts;
    QTemporaryDir dir;
    const QStringList command = setUp(dir.path());
    const QString log = QDir(dir.path()).filePath(QStringLiteral(".trace.log"));
    if (runTraced(QStringList{straceProgram(), "-f", "-qq", "-o", log, "-e", "trace=" + diskChangingCalls()} +
                  command) != 0)
        return {};
    const QRegularExpression call(QStringLiteral("^(?:\\d+ +)?(\\w+)\\("));
    for (const QByteArray& line : readFile(log).split('\n'))
        if (const auto m = call.match(QString::fromLatin1(line)); m.hasMatch())
            ++counts[m.captured(1)];
    return counts;
}

// For every disk-changing call of a whole run: a fresh folder from setUp (which returns the command),
// the run killed before that call, then check(dir, killed). Returns how many runs were killed; an
// empty count (the untraced run failed) returns -1.
inline int killAtEveryDiskChange(const std::function<QStringList(const QString& dir)>& setUp,
                                 const std::function<void(const QString& dir, bool killed)>& check) {
    const std::map<QString, int> counts = diskCallCounts(setUp);
    if (counts.empty())
        return -1;
    int kills = 0;
    for (const auto& [name, count] : counts)
        for (int n = 1; n <= count; ++n) {
            SCOPED_TRACE(QStringLiteral("%1 #%2").arg(name).arg(n).toStdString());
            QTemporaryDir dir;
            const QStringList command = setUp(dir.path());
            const bool killed =
                runTraced(QStringList{straceProgram(), "-f", "-qq", "-o", "/dev/null", "-e", "trace=" + name,
                                      "-e",
                                      QStringLiteral("inject=%1:signal=SIGKILL:when=%2").arg(name).arg(n)} +
                          command) != 0;
            kills += killed ? 1 : 0;
            check(dir.path(), killed);
        }
    return kills;
}

} // namespace varnilog::test
