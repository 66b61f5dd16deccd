// A long recording opened without valid summaries gets them built off the window thread: the window
// keeps working meanwhile, shows the progress, takes the summaries when done, and drops the work
// (leaving no file) when another recording is opened.
#include "recording/SampleSummary.h"
#include "support/MainWindowFixture.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QTimer>

#include <functional>

namespace varnilog {
namespace {

constexpr int kMessagePanel = 16;

class SummaryBuildTest : public test::MainWindowTest {
protected:
    // Sample files of samples each, sparse but for a few kilobytes at the start and the end; no
    // ".ros" (every setting at its default). The ".ros" path.
    QString writeRecording(const QString& base, std::int64_t samples) {
        const QString stem = dir.filePath(base);
        for (const char* ext : {".rca", ".rcb"}) {
            QFile f(stem + QLatin1String(ext));
            EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(QByteArray(4096, 'x'));
            f.resize(samples);
            f.seek(samples - 1000);
            f.write(QByteArray(1000, 'y'));
        }
        return stem + QStringLiteral(".ros");
    }
    // The files of a recording in the folder, hidden ones too.
    QStringList filesOf(const QString& base) const {
        return QDir(dir.path())
            .entryList({base + QStringLiteral(".*"), QStringLiteral(".") + base + QStringLiteral(".*")},
                       QDir::Files | QDir::Hidden, QDir::Name);
    }
    bool summariesInUse() {
        for (int c = 0; c < 2; ++c)
            if (!readSummaryLayout(state->summaryFile[c], state->sampleFile[c]).valid)
                return false;
        return true;
    }
    QString panel() const { return form->statusPanelText(kMessagePanel); }
};

TEST_F(SummaryBuildTest, MissingOrStaleSummariesAreBuiltOnOpenButSmallRecordingsGetNone) {
    struct Row {
        const char* name;
        std::int64_t samples;
        std::function<void(const QString& rca)> change; // after a summary of the files was built
        bool built;
    } rows[] = {
        {"missing", std::int64_t{1} << 22, nullptr, true},
        {"grown", std::int64_t{1} << 22,
         [](const QString& rca) {
             QFile f(rca);
             f.open(QIODevice::Append);
             f.write(QByteArray(70000, 'z'));
         },
         true},
        {"rewritten, same length", std::int64_t{1} << 22,
         [](const QString& rca) {
             QFile f(rca);
             f.open(QIODevice::ReadWrite);
             f.write(QByteArray(5000, 'w'));
             f.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime);
         },
         true},
        {"small", (std::int64_t{1} << 20) - 1, nullptr, false},
    };
    createWindow();
    int n = 0;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const QString base = QStringLiteral("r%1").arg(n++);
        const QString ros = writeRecording(base, r.samples);
        const QString rca = dir.filePath(base + QStringLiteral(".rca"));
        if (r.change) {
            ASSERT_TRUE(buildSampleSummary(rca));
            r.change(rca);
        }
        form->openRecording(ros);
        ASSERT_EQ(state->sampleCount, QFile(rca).size());
        if (!r.built) {
            EXPECT_EQ(panel(), QString());
            QTest::qWait(300);
            EXPECT_EQ(filesOf(base), (QStringList{base + ".rca", base + ".rcb"}));
            continue;
        }
        EXPECT_EQ(panel(), QString::fromUtf8("Indeks podglądu: 0%"));
        EXPECT_TRUE(QTest::qWaitFor([this] { return summariesInUse(); }, 20000));
        EXPECT_EQ(panel(), QString());
        EXPECT_EQ(filesOf(base), (QStringList{base + ".rca", base + ".rcb", base + ".rsa", base + ".rsb"}));
    }
}

TEST_F(SummaryBuildTest, OpeningAnotherRecordingMidBuildCancelsItAndLeavesNoFile) {
    createWindow();
    const QString big = writeRecording(QStringLiteral("big"), std::int64_t{1} << 31);
    const QString small = writeRecording(QStringLiteral("small"), 5000);
    form->openRecording(big);
    ASSERT_TRUE(
        QTest::qWaitFor([this] { return panel() != QString::fromUtf8("Indeks podglądu: 0%"); }, 20000));
    ASSERT_TRUE(panel().startsWith(QString::fromUtf8("Indeks podglądu: "))) << panel().toStdString();
    form->openRecording(small);
    EXPECT_EQ(panel(), QString());
    EXPECT_EQ(filesOf(QStringLiteral("big")), (QStringList{"big.rca", "big.rcb"}));
    QTest::qWait(300);
    EXPECT_EQ(filesOf(QStringLiteral("big")), (QStringList{"big.rca", "big.rcb"}));
    EXPECT_FALSE(state->summaryFile[0].isOpen());
}

TEST_F(SummaryBuildTest, WindowKeepsWorkingWhileTheSummariesAreBuilt) {
    createWindow();
    form->openRecording(writeRecording(QStringLiteral("big"), std::int64_t{1} << 30));
    // A timer of the window's thread: its longest wait is how long the window stood still.
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0, longestGap = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, clock.elapsed() - last);
        last = clock.elapsed();
    });
    ticker.start(10);
    QStringList shown;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            if (shown.isEmpty() || shown.back() != panel())
                shown << panel();
            return summariesInUse();
        },
        60000));
    // A window blocked by the build would stand still for about the whole build; on a loaded machine
    // the scheduler alone can hold it for a few hundred milliseconds.
    EXPECT_LT(longestGap, std::max<qint64>(250, clock.elapsed() / 3)) << clock.elapsed();
    // Progress between the start and the end was shown.
    EXPECT_GE(shown.size(), 3) << shown.join(u'|').toStdString();
    EXPECT_EQ(panel(), QString());
}

} // namespace
} // namespace varnilog
