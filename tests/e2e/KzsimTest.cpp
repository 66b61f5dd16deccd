// The kzsim program as a script would use it: first output line is the port, and it serves one
// connection after another.
#include "app/SystemClock.h"
#include "device/Acquisition.h"
#include "device/PosixSerialLink.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "support/Sanitizers.h"

#include <gtest/gtest.h>

#include <thread>

namespace varnilog {
namespace {

QString kzsimPath() {
    // Built into the same folder as this test program.
    return QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).dir().filePath("kzsim");
}

TEST(KzsimTest, PrintsItsPortAndServesOneConnectionAfterAnother) {
    VARNILOG_SKIP_UNDER_TSAN("once QProcess has started a child, TSan loses the main thread's mutex and "
                             "reports a race that is not there");
    if (!QFileInfo::exists(kzsimPath()))
        GTEST_SKIP() << "kzsim not built next to the tests";
    QProcess sim;
    sim.start(kzsimPath(), {"--model", "KZ400", "--wave-a", "counter", "--wave-b", "counter"});
    ASSERT_TRUE(sim.waitForStarted());
    ASSERT_TRUE(sim.waitForReadyRead(5000));
    const QString port = QString::fromLocal8Bit(sim.readLine()).trimmed();
    ASSERT_TRUE(port.startsWith("/dev/")) << port.toStdString();

    QTemporaryDir dir;
    auto state = std::make_unique<SharedState>();
    state->comPortName = port;
    state->dataDir = dir.path();
    PosixSerialLink link;
    SystemClock clock;
    Acquisition acq(*state, link, clock, nullptr);
    for (int connection = 0; connection < 2; ++connection) {
        SCOPED_TRACE(connection);
        ASSERT_EQ(acq.start().status, StartStatus::Sampling);
        EXPECT_EQ(state->deviceModel, 4);
        for (int t = 0; t < 6; ++t) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            acq.tick(false);
        }
        const StopResult stopped = acq.stop();
        EXPECT_GT(stopped.samples, 2000); // about 0.3 s at the KZ400's 0.1 ms fastest time base
    }
    sim.terminate();
    EXPECT_TRUE(sim.waitForFinished(3000));
    EXPECT_EQ(sim.exitCode(), 0);
}

} // namespace
} // namespace varnilog
