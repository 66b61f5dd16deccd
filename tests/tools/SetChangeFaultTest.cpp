// A rename, a delete, a marker change and a description change of a set, each killed before every
// system call that changes the disk: once the folder is opened again it holds the old whole set or
// the new one, file for file, and nothing else.
#include "recording/RecordingDescription.h"
#include "recording/RecordingFileSet.h"
#include "recording/RecordingLoader.h"
#include "recording/RecordingManagement.h"
#include "recording/SampleSummary.h"
#include "support/KillHarness.h"
#include "support/RecordingSet.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdlib>
#include <map>

using namespace varnilog;

namespace {

constexpr char kChildVariable[] = "VARNILOG_SET_CHANGE_CHILD";

// The changes that have no command of their own run in this test program started again by the
// harness with kChildVariable set ("op", the ".ros", an argument, split by \x1f): the change is made
// before any test starts and the program exits with its outcome.
[[maybe_unused]] const bool childRan = [] {
    const QList<QByteArray> triggerSpec = qgetenv(kChildVariable).split('\x1f');
    if (triggerSpec.size() != 3)
        return false;
    const QString ros = QFile::decodeName(triggerSpec[1]), arg = QFile::decodeName(triggerSpec[2]);
    bool ok = false;
    if (triggerSpec[0] == "rename")
        ok = renameRecordingSet(ros, arg, {}, true).renamed;
    else if (triggerSpec[0] == "delete")
        ok = deleteRecordingSet(ros);
    else if (triggerSpec[0] == "describe")
        ok = saveRecordingDescription(siblingPath(ros, QStringLiteral(".roc")), arg);
    std::_Exit(ok ? 0 : 1);
}();

// Every file of the folder by name, with its bytes; a summary only by name, as its trailer holds the
// identity of its sample file, which differs from folder to folder.
std::map<QString, QByteArray> folderContents(const QString& dir) {
    std::map<QString, QByteArray> files;
    QDirIterator it(dir, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next(), name = QDir(dir).relativeFilePath(path);
        const bool summary = name.size() > 4 && name.mid(name.size() - 4, 3) == u".rs";
        files[name] = summary ? QByteArray() : test::readFile(path);
    }
    return files;
}

QString writeMarkedSet(const QString& dir) {
    test::RecordingContents contents;
    test::Codes a(4096), b(4096, 125);
    for (std::size_t i = 0; i < a.size(); ++i)
        a[i] = static_cast<std::uint8_t>(i % 200);
    contents.channels = {a, b};
    EXPECT_TRUE(QDir(dir).mkdir(QStringLiteral("sub")));
    const QString ros = test::writeRecording(dir, QStringLiteral("a"), contents);
    test::writeFile(QDir(dir).filePath(QStringLiteral("a.roc")), "opis\r\n");
    test::writeFile(QDir(dir).filePath(QStringLiteral("a.rmk")), "varnilog-markers;1\r\n1;1;uwaga;x\r\n");
    for (const char* ext : {".rca", ".rcb"})
        EXPECT_TRUE(buildSampleSummary(siblingPath(ros, QLatin1String(ext))));
    return ros;
}

} // namespace

TEST(SetChangeFaultTest, KilledAtAnyChangeOfTheDiskLeavesTheOldOrTheNewSet) {
    if (test::straceProgram().isEmpty())
        GTEST_SKIP() << "strace is not installed";
    const QString self = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    struct Row {
        const char* name;
        const char* op;       // a change of this program's, or "markers" for the command line's
        const char* arg;      // the new base (in the set's folder) or the description
        const char* leftover; // a description left at the new name before the change
        QStringList opened;   // the ".ros" opened afterwards: the first that exists
    } rows[] = {
        {"rename", "rename", "b", nullptr, {"b.ros", "a.ros"}},
        {"rename into another folder", "rename", "sub/b", nullptr, {"sub/b.ros", "a.ros"}},
        {"rename onto a leftover description", "rename", "b", "stara\r\n", {"b.ros", "a.ros"}},
        {"delete", "delete", "", nullptr, {"a.ros"}},
        {"description", "describe", "nowy opis", nullptr, {"a.ros"}},
        {"markers", "markers", "", nullptr, {"a.ros"}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const auto setUp = [&](const QString& dir) {
            const QString ros = writeMarkedSet(dir);
            if (r.leftover != nullptr)
                test::writeFile(QDir(dir).filePath(QStringLiteral("b.roc")), r.leftover);
            if (QByteArrayView(r.op) == "markers")
                return QStringList{VARNILOG_CLI_PATH, "markers", ros, "--add", "7", "nowy"};
            const QString arg = QByteArrayView(r.op) == "rename" ? QDir(dir).filePath(r.arg) : QString(r.arg);
            qputenv(kChildVariable,
                    QByteArray(r.op) + '\x1f' + QFile::encodeName(ros) + '\x1f' + QFile::encodeName(arg));
            return QStringList{self};
        };
        // The whole set before and after the change, made here without a kill.
        QTemporaryDir oldDir, newDir;
        setUp(oldDir.path());
        const std::map<QString, QByteArray> before = folderContents(oldDir.path());
        ASSERT_EQ(test::runTraced(setUp(newDir.path())), 0);
        const std::map<QString, QByteArray> after = folderContents(newDir.path());
        ASSERT_NE(before, after);

        const int kills = test::killAtEveryDiskChange(setUp, [&](const QString& dir, bool) {
            for (const QString& name : r.opened) {
                const QString ros = QDir(dir).filePath(name);
                if (!QFileInfo::exists(ros) && name != r.opened.last())
                    continue;
                auto state = std::make_unique<SharedState>();
                state->recordingPath = ros;
                loadRecording(*state);
                break;
            }
            const std::map<QString, QByteArray> now = folderContents(dir);
            QStringList names;
            for (const auto& [name, bytes] : now)
                names << name;
            EXPECT_TRUE(now == before || now == after) << names.join(u' ').toStdString();
        });
        EXPECT_GT(kills, 3);
    }
    qunsetenv(kChildVariable);
}
