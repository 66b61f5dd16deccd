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
};

inline CliRun runCli(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(VARNILOG_CLI_PATH), args);
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

} // namespace varnilog::test
