// `varnilog-cli render --all` of a 2 × 2^31-sample recording, the whole process timed from start to
// exit: with the min/max summaries beside the sample files (built beforehand), against the same
// command with the summaries moved away (the full scan) in the same run. The tool is the
// varnilog-cli beside this program in the build folder.
#include "support/SparseRecording.h"

#include <QFile>

#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <string>

extern char** environ;

namespace {

using namespace varnilog;

test::SparseRecording& recording() {
    static test::SparseRecording r;
    return r;
}

std::string cliPath() {
    char self[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        std::abort();
    std::string path(self, static_cast<std::size_t>(n));
    return path.substr(0, path.rfind('/') + 1) + "varnilog-cli";
}

// The summaries in place or moved aside.
void placeSummaries(bool inPlace) {
    for (const QString& sample : recording().paths) {
        const QString summary = summaryPathFor(sample);
        const QString aside = summary + QStringLiteral(".aside");
        if (inPlace && QFile::exists(aside))
            QFile::rename(aside, summary);
        if (!inPlace && QFile::exists(summary))
            QFile::rename(summary, aside);
    }
}

void runRenderAll(benchmark::State& state, bool summaries) {
    placeSummaries(summaries);
    const std::string cli = cliPath();
    const std::string ros = QFile::encodeName(recording().rosPath).toStdString();
    const std::string png =
        QFile::encodeName(recording().dir.filePath(QStringLiteral("all.png"))).toStdString();
    std::string args[] = {cli, "render", ros, png, "--all"};
    char* argv[] = {args[0].data(), args[1].data(), args[2].data(), args[3].data(), args[4].data(), nullptr};
    for (auto _ : state) {
        pid_t pid = 0;
        int status = 0;
        if (posix_spawn(&pid, cli.c_str(), nullptr, nullptr, argv, environ) != 0 ||
            waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("varnilog-cli render --all failed");
            break;
        }
    }
    placeSummaries(true);
}

void BM_CliRenderAll(benchmark::State& state) {
    runRenderAll(state, true);
}
void BM_CliRenderAllFullScan(benchmark::State& state) {
    runRenderAll(state, false);
}

} // namespace

BENCHMARK(BM_CliRenderAll)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CliRenderAllFullScan)->Unit(benchmark::kMillisecond)->UseRealTime();
