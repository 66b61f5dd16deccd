#include "recording/RecordingManagement.h"
#include "recording/FileIdentity.h"
#include "recording/RecordingDescription.h"
#include "recording/SampleSummary.h"
#include "recording/SetLock.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace varnilog;

namespace {
using test::readFile;
using test::writeFile;

// The names present in dir, sorted, joined by blanks.
std::string listing(const QTemporaryDir& dir) {
    return QDir(dir.path()).entryList(QDir::Files, QDir::Name).join(' ').toStdString();
}

// Writes files of a set: each extension gets its own content so a mix-up shows.
void makeSet(const QTemporaryDir& dir, const QString& base, const QStringList& extensions) {
    for (const QString& ext : extensions)
        writeFile(dir.filePath(base + ext), (base + ext).toUtf8());
}
} // namespace

TEST(RecordingManagementTest, TypedNames) {
    struct Row {
        const char* typed;
        const char* expected; // relative to /base
    } rows[] = {
        {"b.ros", "/base/b"},
        {"b.ROS", "/base/b"},
        {"b", "/base/b"},
        {"2024-03-07 14.05.09", "/base/2024-03-07 14.05.09"}, // the dotted part stays
        {"2024-03-07 14.05.09.ros", "/base/2024-03-07 14.05.09"},
        {"x.txt", "/base/x.txt"},
        {"  b.ros  ", "/base/b"},
        {"sub/b.ros", "/base/sub/b"},
        {"/elsewhere/b.ros", "/elsewhere/b"},
        {"", ""},
        {"   ", ""},
        {".ros", ""},
        {"sub/", ""},
    };
    for (const Row& r : rows)
        EXPECT_EQ(renameBaseFor(r.typed, "/base").toStdString(), r.expected) << '"' << r.typed << '"';
}

TEST(RecordingManagementTest, RenameMovesTheWholeSetOrNothing) {
    struct Row {
        const char* name;
        QStringList source;   // extensions of set "a"
        QStringList existing; // extensions of a set "b" already there
        const char* typed;
        bool renamed;
        const char* after; // the folder afterwards
    } rows[] = {
        {"set with C, D and description",
         {".ros", ".rca", ".rcb", ".rcc", ".rcd", ".roc"},
         {},
         "b.ros",
         true,
         "b.rca b.rcb b.rcc b.rcd b.roc b.ros"},
        {"two channels", {".ros", ".rca", ".rcb"}, {}, "b", true, "b.rca b.rcb b.ros"},
        {"markers go along", {".ros", ".rca", ".rmk"}, {}, "b", true, "b.rca b.rmk b.ros"},
        {"leftover markers at the target", {".ros", ".rca"}, {".rmk"}, "b", false, "a.rca a.ros b.rmk"},
        {"summaries go along",
         {".ros", ".rca", ".rcb", ".rcc", ".rsa", ".rsb", ".rsc"},
         {},
         "b",
         true,
         "b.rca b.rcb b.rcc b.ros b.rsa b.rsb b.rsc"},
        {"existing target summary",
         {".ros", ".rca", ".rcb", ".rsa"},
         {".rsd"},
         "b.ros",
         false,
         "a.rca a.rcb a.ros a.rsa b.rsd"},
        {"dotted name keeps its dots",
         {".ros", ".rca", ".rcb"},
         {},
         "2024-03-07 14.05.09",
         true,
         "2024-03-07 14.05.09.rca 2024-03-07 14.05.09.rcb 2024-03-07 14.05.09.ros"},
        {"existing target .ros",
         {".ros", ".rca", ".rcb"},
         {".ros"},
         "b.ros",
         false,
         "a.rca a.rcb a.ros b.ros"},
        {"existing target sample file only",
         {".ros", ".rca", ".rcb"},
         {".rcb"},
         "b.ros",
         false,
         "a.rca a.rcb a.ros b.rcb"},
        {"existing target file the source lacks",
         {".ros", ".rca", ".rcb"},
         {".rcd"},
         "b.ros",
         false,
         "a.rca a.rcb a.ros b.rcd"},
        {"existing target description",
         {".ros", ".rca", ".rcb"},
         {".roc"},
         "b.ros",
         false,
         "a.rca a.rcb a.ros b.roc"},
        {"same name does nothing", {".ros", ".rca", ".rcb"}, {}, "a.ros", false, "a.rca a.rcb a.ros"},
        {"empty name", {".ros", ".rca"}, {}, ".ros", false, "a.rca a.ros"},
    };
    for (const Row& r : rows) {
        QTemporaryDir dir;
        makeSet(dir, "a", r.source);
        makeSet(dir, "b", r.existing);
        const RenameResult result =
            renameRecordingSet(dir.filePath("a.ros"), renameBaseFor(r.typed, dir.path()));
        EXPECT_EQ(result.renamed, r.renamed) << r.name;
        EXPECT_EQ(listing(dir), r.after) << r.name;
        if (r.renamed) {
            EXPECT_EQ(result.newRosPath, renameBaseFor(r.typed, dir.path()) + ".ros") << r.name;
            // Each file moved with its own content.
            for (const QString& ext : r.source)
                EXPECT_EQ(readFile(result.newRosPath.chopped(4) + ext), ("a" + ext).toUtf8()) << r.name;
        }
        const bool sameName = std::string(r.name) == "same name does nothing";
        EXPECT_EQ(result.error.isEmpty(), r.renamed || sameName) << r.name;
    }
}

TEST(RecordingManagementTest, FailedMoveIsUndone) {
    // The n-th move fails (a disk error, a file held by another program): what moved before comes back.
    for (int failAt = 0; failAt < 4; ++failAt) {
        QTemporaryDir dir;
        makeSet(dir, "a", {".ros", ".rca", ".rcb", ".roc"});
        int calls = 0;
        std::vector<std::string> undone;
        const FileMover flaky = [&](const QString& from, const QString& to, QString& reason) {
            if (calls++ == failAt) {
                reason = "refused";
                return false;
            }
            if (calls > failAt + 1)
                undone.push_back(QFileInfo(to).fileName().toStdString());
            return QFile::rename(from, to);
        };
        const RenameResult result = renameRecordingSet(dir.filePath("a.ros"), dir.filePath("b"), flaky);
        EXPECT_FALSE(result.renamed) << failAt;
        EXPECT_TRUE(result.error.contains("refused")) << failAt;
        EXPECT_EQ(listing(dir), "a.rca a.rcb a.roc a.ros") << failAt;
        EXPECT_EQ(readFile(dir.filePath("a.rca")), QByteArray("a.rca")) << failAt;
        EXPECT_EQ(static_cast<int>(undone.size()), failAt) << failAt; // one move back per move done
    }
}

TEST(RecordingManagementTest, LeftoverDescriptionIsReplacedOnlyWhenAllowed) {
    struct Row {
        const char* name;
        QStringList source;   // extensions of set "a"
        QStringList existing; // extensions of "b" already there
        bool allowed;
        int failAt; // the move that fails, -1 none
        bool leftover;
        const char* after;
        const char* bRoc; // content of b.roc afterwards
    } rows[] = {
        {"not allowed: nothing moves",
         {".ros", ".rca", ".roc"},
         {".roc"},
         false,
         -1,
         true,
         "a.rca a.roc a.ros b.roc",
         "b.roc"},
        {"allowed: the set's own description replaces it",
         {".ros", ".rca", ".roc"},
         {".roc"},
         true,
         -1,
         true,
         "b.rca b.roc b.ros",
         "a.roc"},
        {"allowed: removed when the set has none",
         {".ros", ".rca"},
         {".roc"},
         true,
         -1,
         true,
         "b.rca b.ros",
         "<missing>"},
        {"a description with its recording is no leftover",
         {".ros", ".rca"},
         {".ros", ".roc"},
         true,
         -1,
         false,
         "a.rca a.ros b.roc b.ros",
         "b.roc"},
        {"failed description move puts it back",
         {".ros", ".rca", ".roc"},
         {".roc"},
         true,
         2,
         true,
         "a.rca a.roc a.ros b.roc",
         "b.roc"},
    };
    for (const Row& r : rows) {
        QTemporaryDir dir;
        makeSet(dir, "a", r.source);
        makeSet(dir, "b", r.existing);
        const QString newBase = dir.filePath("b");
        EXPECT_EQ(leftoverDescriptionAt(newBase), r.leftover ? newBase + ".roc" : QString()) << r.name;
        int calls = 0;
        const FileMover mover = [&](const QString& from, const QString& to, QString& reason) {
            if (calls++ == r.failAt) {
                reason = "refused";
                return false;
            }
            return QFile::rename(from, to);
        };
        const RenameResult result = renameRecordingSet(dir.filePath("a.ros"), newBase, mover, r.allowed);
        EXPECT_EQ(result.renamed, std::string(r.after).starts_with("b.rca")) << r.name;
        EXPECT_EQ(listing(dir), r.after) << r.name;
        EXPECT_EQ(readFile(newBase + ".roc").toStdString(), r.bRoc) << r.name;
    }
}

TEST(RecordingManagementTest, DeleteKeepsTheDescription) {
    struct Row {
        QStringList source;
        const char* after;
    } rows[] = {
        {{".ros", ".rca", ".rcb", ".roc"}, "a.roc other.ros"},
        {{".ros", ".rca", ".rcb", ".rcc", ".rcd"}, "other.ros"},
        {{".ros"}, "other.ros"},
        {{".ros", ".rca", ".rmk", ".roc"}, "a.roc other.ros"},
        {{".ros", ".rca", ".rcb", ".rsa", ".rsb", ".roc"}, "a.roc other.ros"},
    };
    for (const Row& r : rows) {
        QTemporaryDir dir;
        makeSet(dir, "a", r.source);
        makeSet(dir, "other", {".ros"});
        EXPECT_TRUE(deleteRecordingSet(dir.filePath("a.ros")));
        EXPECT_EQ(listing(dir), r.after);
    }
}

TEST(RecordingManagementTest, RecordingOnDisplay) {
    QTemporaryDir dir;
    makeSet(dir, "a", {".ros", ".rca", ".rcb", ".rsb"});
    auto state = std::make_unique<SharedState>();
    state->recordingPath = dir.filePath("a.ros");
    state->sampleFile[0].setFileName(dir.filePath("a.rca"));
    state->sampleFile[1].setFileName(dir.filePath("a.rcb"));
    ASSERT_TRUE(state->sampleFile[0].open(QIODevice::ReadOnly));
    ASSERT_TRUE(state->sampleFile[1].open(QIODevice::ReadOnly));
    state->sampleCount = 5;

    EXPECT_TRUE(isRecordingOnDisplay(*state, dir.filePath("a.ros")));
    EXPECT_TRUE(isRecordingOnDisplay(*state, dir.path() + "/./a.ros"));
    EXPECT_FALSE(isRecordingOnDisplay(*state, dir.filePath("b.ros")));
    EXPECT_FALSE(isRecordingOnDisplay(*state, QString()));

    // Rename: the handles follow the files to their new names.
    const RenameResult renamed = renameRecordingSet(dir.filePath("a.ros"), dir.filePath("b"));
    ASSERT_TRUE(renamed.renamed);
    reopenRecordingOnDisplay(*state, renamed.newRosPath);
    EXPECT_EQ(state->recordingPath, dir.filePath("b.ros"));
    EXPECT_TRUE(state->sampleFile[0].isOpen());
    EXPECT_EQ(state->sampleFile[0].fileName(), dir.filePath("b.rca"));
    EXPECT_EQ(state->sampleFile[1].readAll(), QByteArray("a.rcb"));
    EXPECT_FALSE(state->sampleFile[2].isOpen());  // C had no file and stays closed
    EXPECT_FALSE(state->summaryFile[0].isOpen()); // A has no summary
    EXPECT_EQ(state->summaryFile[1].readAll(), QByteArray("a.rsb"));
    EXPECT_EQ(state->sampleCount, 5);

    // Delete: nothing keeps pointing at the removed files.
    releaseRecordingOnDisplay(*state);
    for (const QFile& f : state->sampleFile)
        EXPECT_FALSE(f.isOpen());
    for (const QFile& f : state->summaryFile)
        EXPECT_FALSE(f.isOpen());
    EXPECT_EQ(state->sampleCount, -1);
    EXPECT_TRUE(state->recordingPath.isEmpty());
}

TEST(RecordingManagementTest, DescriptionFiles) {
    struct Row {
        const char* name;
        QString text;     // saved
        QByteArray bytes; // on disk
        QString loaded;   // read back
    } rows[] = {
        {"one line", "Komentarz", "Komentarz\r\n", "Komentarz"},
        {"Polish letters in UTF-8", QString::fromUtf8("Zażółć\ngęślą"),
         QByteArray("Za\xc5\xbc\xc3\xb3\xc5\x82\xc4\x87\r\ng\xc4\x99\xc5\x9bl\xc4\x85\r\n"),
         QString::fromUtf8("Zażółć\ngęślą")},
        {"empty text gives an empty file", "", "", ""},
        {"an empty last line is kept", "a\n", "a\r\n\r\n", "a\n"},
        {"CR LF typed in stays one line end", "a\r\nb", "a\r\nb\r\n", "a\nb"},
    };
    QTemporaryDir dir;
    for (const Row& r : rows) {
        const QString path = dir.filePath("x.roc");
        ASSERT_TRUE(saveRecordingDescription(path, r.text)) << r.name;
        EXPECT_EQ(readFile(path), r.bytes) << r.name;
        bool exists = false;
        EXPECT_EQ(loadRecordingDescription(path, &exists).toStdString(), r.loaded.toStdString()) << r.name;
        EXPECT_TRUE(exists);
    }
    // Files from elsewhere: Windows-1250 bytes, bare LF and CR line ends, no final line end.
    struct Foreign {
        QByteArray bytes;
        QString loaded;
    } foreign[] = {
        {QByteArray("\xa3\xf3\x64\x9f\r\n"), QString::fromUtf8("Łódź")},
        {QByteArray("a\nb\rc"), "a\nb\nc"},
        {QByteArray(""), ""},
    };
    for (const Foreign& f : foreign) {
        writeFile(dir.filePath("y.roc"), f.bytes);
        EXPECT_EQ(loadRecordingDescription(dir.filePath("y.roc")).toStdString(), f.loaded.toStdString());
    }
    bool exists = true;
    EXPECT_TRUE(loadRecordingDescription(dir.filePath("missing.roc"), &exists).isEmpty());
    EXPECT_FALSE(exists);
    // A folder that does not exist cannot take the file, and says why.
    QString error;
    EXPECT_FALSE(saveRecordingDescription(dir.filePath("no/such/x.roc"), "a", &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(RecordingManagementTest, DescriptionThatIsNoTextFileShowsAsNone) {
    // The browser reads the description on every selection: a pipe under its name must not freeze
    // it, and a folder or a huge file is no description. Each shows an empty description.
    QTemporaryDir dir;
    const QString pipe = dir.filePath("pipe.roc");
    ASSERT_EQ(::mkfifo(pipe.toLocal8Bit().constData(), 0600), 0);
    const QString folder = dir.filePath("folder.roc");
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString huge = dir.filePath("huge.roc");
    writeFile(huge, QByteArray(kDescriptionSizeLimit + 1, 'x'));
    const QString largest = dir.filePath("largest.roc");
    writeFile(largest, QByteArray(kDescriptionSizeLimit, 'x'));
    for (const QString& path : {pipe, folder, huge}) {
        bool exists = true;
        EXPECT_TRUE(loadRecordingDescription(path, &exists).isEmpty()) << path.toStdString();
        EXPECT_FALSE(exists) << path.toStdString();
    }
    bool exists = false;
    EXPECT_EQ(loadRecordingDescription(largest, &exists).size(), kDescriptionSizeLimit);
    EXPECT_TRUE(exists);
}

TEST(RecordingManagementTest, BareNamesResolveAgainstTheBrowsedFolder) {
    struct Row {
        QString base, name, expected;
    } rows[] = {
        {"/data", "2024-03-07 14.05.09.roc", "/data/2024-03-07 14.05.09.roc"},
        {"/data", "....roc", "/data/....roc"},
        {"/data/", "sub/../x.roc", "/data/x.roc"},
        {"/data", "/other/x.roc", "/other/x.roc"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(resolveAgainst(r.base, r.name), r.expected) << r.name.toStdString();
}

// Rename, delete and description wait for the set's writer and then refuse, all leaving the set as it
// was; a rename of our own keeps the summaries valid for the moved sample files.
TEST(RecordingManagementTest, ChangesRefuseAHeldSetAndRenameKeepsTheSummaries) {
    QTemporaryDir dir;
    const QString ros = dir.filePath(QStringLiteral("a.ros"));
    test::writeFile(ros, "[PARAMETRY]\r\n");
    test::writeFile(dir.filePath(QStringLiteral("a.rca")), test::randomBytes(70000, 1));
    ASSERT_TRUE(buildSampleSummary(dir.filePath(QStringLiteral("a.rca"))));
    {
        SetLock writer;
        QString error;
        ASSERT_EQ(writer.lock(ros, 0, error), SetLock::Result::Locked);
        RenameResult renamed;
        bool deleted = true, described = true;
        QString describeError;
        std::thread a([&] { renamed = renameRecordingSet(ros, dir.filePath(QStringLiteral("b"))); });
        std::thread b([&] { deleted = deleteRecordingSet(ros); });
        std::thread c([&] {
            described = saveRecordingDescription(dir.filePath(QStringLiteral("a.roc")), "x", &describeError);
        });
        a.join(), b.join(), c.join();
        EXPECT_FALSE(renamed.renamed);
        EXPECT_EQ(renamed.error, setBusyText());
        EXPECT_FALSE(deleted);
        EXPECT_FALSE(described);
        EXPECT_EQ(describeError, setBusyText());
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{"a.rca", "a.ros", "a.rsa"}));
    }
    ASSERT_TRUE(renameRecordingSet(ros, dir.filePath(QStringLiteral("b"))).renamed);
    QFile sample(dir.filePath(QStringLiteral("b.rca"))), summary(dir.filePath(QStringLiteral("b.rsa")));
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly) && summary.open(QIODevice::ReadOnly));
    EXPECT_TRUE(readSummaryLayout(summary, sample).valid);
}

// Names are bytes: a set whose name is no UTF-8, in a folder whose name is none either, is found,
// renamed, refused, put back and deleted by its own bytes.
TEST(RecordingManagementTest, NamesThatAreNoUtf8AreManaged) {
    const auto n = [](const char* bytes) { return fileNameFromNative(bytes); };
    const auto rename = [](const QString& from, const QString& to, QString& reason) {
        return renameNewByName(from, to, &reason);
    };
    const struct Row {
        const char* name;
        std::function<bool(const QString& folder)> action; // true when it did what it should
        const char* after;                                 // the folder's names, sorted
    } rows[] = {
        {"rename",
         [&](const QString& f) {
             return renameRecordingSet(f + n("/nb\xfe.ros"), f + n("/r\xfd"), rename).renamed;
         },
         "ex\xfd.roc r\xfd.rca r\xfd.rmk r\xfd.roc r\xfd.ros r\xfd.rsa"},
        {"onto another set's file",
         [&](const QString& f) {
             return renameRecordingSet(f + n("/nb\xfe.ros"), f + n("/ex\xfd"), rename)
                 .error.contains(n("ex\xfd.roc"));
         },
         "ex\xfd.roc nb\xfe.rca nb\xfe.rmk nb\xfe.roc nb\xfe.ros nb\xfe.rsa"},
        {"a failed move puts the replaced description back",
         [&](const QString& f) {
             const FileMover failingLast = [&](const QString& from, const QString& to, QString& reason) {
                 return !to.endsWith(".rmk") && rename(from, to, reason);
             };
             return !renameRecordingSet(f + n("/nb\xfe.ros"), f + n("/ex\xfd"), failingLast, true).renamed &&
                    identityOf(f + n("/ex\xfd.roc")).size == 3;
         },
         "ex\xfd.roc nb\xfe.rca nb\xfe.rmk nb\xfe.roc nb\xfe.ros nb\xfe.rsa"},
        {"delete", [&](const QString& f) { return deleteRecordingSet(f + n("/nb\xfe.ros")); },
         "ex\xfd.roc nb\xfe.roc"},
        {"output onto a set's file, listing",
         [&](const QString& f) {
             return recordingSetAtOutput(f + n("/nb\xfe.rcc")) == f + n("/nb\xfe.ros") &&
                    recordingNamesIn(f) == QStringList{n("nb\xfe.ros")} &&
                    sameRecording(f + n("/nb\xfe.ros"), f + n("/./nb\xfe.ros"));
         },
         "ex\xfd.roc nb\xfe.rca nb\xfe.rmk nb\xfe.roc nb\xfe.ros nb\xfe.rsa"},
    };
    for (const Row& r : rows) {
        QTemporaryDir dir;
        const QByteArray folder = QFile::encodeName(dir.path()) + "/\xfd";
        ASSERT_EQ(::mkdir(folder.constData(), 0700), 0);
        const auto write = [&](const QByteArray& name, const QByteArray& text) {
            std::ofstream(folder + '/' + name, std::ios::binary) << text.constData();
        };
        for (const char* ext : {".ros", ".rca", ".rsa", ".roc", ".rmk"})
            write("nb\xfe" + QByteArray(ext), "nb" + QByteArray(ext));
        write("ex\xfd.roc", "old");
        EXPECT_TRUE(r.action(fileNameFromNative(folder))) << r.name;
        std::vector<std::string> names;
        for (const QString& name : fileNamesIn(fileNameFromNative(folder)))
            names.push_back(nativeFileName(name).toStdString());
        std::sort(names.begin(), names.end());
        std::string listed;
        for (const std::string& name : names)
            listed += (listed.empty() ? "" : " ") + name;
        EXPECT_EQ(listed, r.after) << r.name;
        for (const std::string& name : names)
            ::unlink((folder + '/' + name.c_str()).constData());
        ::rmdir(folder.constData());
    }
}
