#include "app/CommandLine.h"

#include <gtest/gtest.h>

namespace varnilog {
namespace {

TEST(ProgramOptionsTest, CommandLine) {
    const QString exe = QStringLiteral("/opt/varnilog/varnilog");
    const char* const kDefault = "/opt/varnilog/varnilog.ini"; // beside the program
    const char* const kRecording = "dane/2009-04-14 12.45.09.ros";
    const struct {
        QStringList args;
        bool ok;
        const char* config;
        const char* recording;
        bool simulate;
        int model;
    } rows[] = {
        {{"varnilog"}, true, kDefault, "", false, 0},
        {{"varnilog", "--config", "/tmp/a.ini"}, true, "/tmp/a.ini", "", false, 0},
        {{"varnilog", "--config=/tmp/b.ini", kRecording}, true, "/tmp/b.ini", kRecording, false, 0},
        {{"varnilog", "--simulate"}, true, kDefault, "", true, 0},
        // A bare --simulate must not swallow the recording that follows it.
        {{"varnilog", "--simulate", "x.ros"}, true, kDefault, "x.ros", true, 0},
        {{"varnilog", "--simulate=KZ300"}, true, kDefault, "", true, 3},
        {{"varnilog", "--simulate=kz200"}, true, kDefault, "", true, 2},
        {{"varnilog", "--simulate=4"}, true, kDefault, "", true, 4},
        {{"varnilog", "--simulate=KZ500"}, false, "", "", false, 0},
        {{"varnilog", "--simulate=0"}, false, "", "", false, 0},
        {{"varnilog", "--bogus"}, false, "", "", false, 0},
        {{"varnilog", "--config"}, false, "", "", false, 0},
        {{"varnilog", "--config="}, false, "", "", false, 0},
        {{"varnilog", "a.ros", "b.ros"}, false, "", "", false, 0},
        // Naming the default file is still a choice the user made: it is used as given.
        {{"varnilog", "--config", kDefault}, true, kDefault, "", false, 0},
    };
    for (const auto& r : rows) {
        ProgramOptions o;
        o.configurationPath = QStringLiteral("unchanged");
        QString error;
        const bool ok = parseProgramOptions(r.args, exe, o, error);
        const QString what = r.args.join(QLatin1Char(' '));
        EXPECT_EQ(ok, r.ok) << what.toStdString();
        if (!r.ok) {
            EXPECT_FALSE(error.isEmpty()) << what.toStdString();
            EXPECT_EQ(o.configurationPath, QStringLiteral("unchanged")) << what.toStdString();
            continue;
        }
        EXPECT_EQ(o.configurationPath, QString::fromUtf8(r.config)) << what.toStdString();
        EXPECT_EQ(o.startRecording, QString::fromUtf8(r.recording)) << what.toStdString();
        EXPECT_EQ(o.simulate, r.simulate) << what.toStdString();
        EXPECT_EQ(o.simulateModel, r.model) << what.toStdString();
        EXPECT_EQ(o.configurationGiven, what.contains(QStringLiteral("--config"))) << what.toStdString();
    }
}

TEST(ProgramOptionsTest, VersionAndHelpAreAnsweredWithoutAWindow) {
    const struct {
        QStringList args;
        const char* starts; // "" when the program starts as usual
    } rows[] = {
        {{"varnilog", "--version"}, "varnilog 1.2.3\n"},
        {{"varnilog", "x.ros", "--version"}, "varnilog 1.2.3\n"},
        {{"varnilog", "--help"}, "Usage: varnilog [--config FILE]"},
        {{"varnilog", "-h"}, "Usage: varnilog [--config FILE]"},
        {{"varnilog", "x.ros"}, ""},
        {{"--version"}, ""}, // the program's own name is no option
    };
    for (const auto& r : rows) {
        const QString text = programInformation(r.args, QStringLiteral("1.2.3"));
        EXPECT_TRUE(*r.starts ? text.startsWith(QString::fromUtf8(r.starts)) : text.isEmpty())
            << r.args.join(QLatin1Char(' ')).toStdString() << ": " << text.toStdString();
    }
}

// --lang overrides the configured language for one run; without it nothing is overridden.
TEST(ProgramOptionsTest, LanguageOption) {
    const struct {
        QStringList args;
        bool ok;
        std::optional<Language> language;
    } rows[] = {
        {{"varnilog"}, true, std::nullopt},
        {{"varnilog", "--lang", "en"}, true, Language::English},
        {{"varnilog", "--lang=PL", "x.ros"}, true, Language::Polish},
        {{"varnilog", "--lang", "de"}, false, std::nullopt},
        {{"varnilog", "--lang"}, false, std::nullopt},
    };
    for (const auto& r : rows) {
        ProgramOptions o;
        QString error;
        const std::string what = r.args.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(parseProgramOptions(r.args, QStringLiteral("/opt/varnilog"), o, error), r.ok) << what;
        EXPECT_EQ(o.language, r.language) << what;
    }
    EXPECT_TRUE(programInformation({"varnilog", "--help"}, "1").contains("--lang pl|en"));
}

} // namespace
} // namespace varnilog
