// Runs the built command-line tool (VARNILOG_CLI_PATH, defined for the test programs that use it) and
// keeps its exit code and output.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>

namespace varnilog::test {

struct CliRun {
    int code;
    QByteArray out, err;
    bool finished = true; // false: still running at the time limit, killed (code -1)
};

// A run that blocks past limitMs is killed, so that it fails the test instead of hanging it.
inline CliRun runCli(const QStringList& args, int limitMs = 60000) {
    QProcess p;
    p.start(QStringLiteral(VARNILOG_CLI_PATH), args);
    if (!p.waitForFinished(limitMs)) {
        p.kill();
        p.waitForFinished();
        return {-1, {}, {}, false};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

} // namespace varnilog::test
