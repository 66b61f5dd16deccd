// Runs the built command-line tool (VARNILOG_CLI_PATH, defined for the test programs that use it) and
// keeps its exit code and output.
#pragma once

#include "support/ChildProcess.h"

#include <QByteArray>
#include <QProcess>
#include <QStringList>

#include <cstdio>
#include <vector>

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

// As runCli with the arguments given as bytes, as a shell passes them (QProcess spells them through
// Qt's conversion, which cannot pass a name that is no UTF-8), run in folder (bytes too) when given.
inline CliRun runCliBytes(std::vector<QByteArray> args, const QByteArray& folder = {}) {
    args.insert(args.begin(), QByteArray(VARNILOG_CLI_PATH));
    std::vector<char*> argv;
    for (QByteArray& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    if (out == nullptr || err == nullptr)
        return {-1, {}, {}};
    const pid_t pid = startChild([&] {
        ::dup2(::fileno(out), 1);
        ::dup2(::fileno(err), 2);
        if (folder.isEmpty() || ::chdir(folder.constData()) == 0)
            ::execv(argv[0], argv.data());
        return 127;
    });
    const ChildEnd end = waitForChild(pid, std::chrono::seconds(60));
    const auto text = [](std::FILE* file) {
        QByteArray bytes;
        std::rewind(file);
        char block[4096];
        for (std::size_t n; (n = std::fread(block, 1, sizeof(block), file)) > 0;)
            bytes.append(block, static_cast<qsizetype>(n));
        std::fclose(file);
        return bytes;
    };
    return {end.exited ? end.code : -1, text(out), text(err), !end.hung};
}

} // namespace varnilog::test
