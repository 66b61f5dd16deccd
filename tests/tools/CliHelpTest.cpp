// Every command's help and bash completion against its option table, which the hidden
// "varnilog-cli COMMAND --completion" prints as the completion file's line for it.
#include "support/CliRunner.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>

#include <map>
#include <set>

namespace {

using varnilog::test::runCli;

// The commands the tool's own help lists.
std::set<QString> listedCommands() {
    const QString help = QString::fromUtf8(runCli({"--help"}).out);
    const QString list = help.section(QStringLiteral("Commands:\n"), 1).section(QStringLiteral("\n\n"), 0, 0);
    std::set<QString> names;
    for (const QString& line : list.split(u'\n', Qt::SkipEmptyParts))
        names.insert(line.trimmed().section(u' ', 0, 0));
    return names;
}

// The completion file's table: command -> its line.
std::map<QString, QByteArray> completionTable() {
    QFile file(QStringLiteral(VARNILOG_SOURCE_DIR "/packaging/varnilog-cli.bash-completion"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    static const QRegularExpression row(QStringLiteral(R"(^    \[([a-z]+)\]=".*"$)"));
    std::map<QString, QByteArray> table;
    for (const QByteArray& line : file.readAll().split('\n'))
        if (const auto match = row.match(QString::fromUtf8(line)); match.hasMatch())
            table[match.captured(1)] = line + '\n';
    return table;
}

// The options a --help lists, spelt as in the table's line: " --name", "=" after one with a value
// (a one-letter name is listed as "-x").
QByteArray helpOptions(const QByteArray& help) {
    static const QRegularExpression option(QStringLiteral(R"(^  (?:-\S, )?(?:--|-(?=[a-z] ))([a-z-]+)( <)?)"),
                                           QRegularExpression::MultilineOption);
    QByteArray out;
    for (auto it = option.globalMatch(QString::fromUtf8(help)); it.hasNext();) {
        const auto match = it.next();
        if (!match.captured(1).startsWith(QLatin1String("help")))
            out += " --" + match.captured(1).toUtf8() + (match.hasCaptured(2) ? "=" : "");
    }
    return out;
}

TEST(CliHelpTest, HelpAndCompletionListEachCommandsTable) {
    const std::set<QString> commands = listedCommands();
    const std::map<QString, QByteArray> completion = completionTable();
    ASSERT_GE(commands.size(), 10u);
    std::set<QString> completed;
    for (const auto& entry : completion)
        completed.insert(entry.first);
    EXPECT_EQ(completed, commands) << "the completion's commands are not the tool's";
    for (const QString& command : commands) {
        SCOPED_TRACE(command.toStdString());
        const auto table = runCli({command, "--completion"});
        ASSERT_EQ(table.code, 0);
        EXPECT_EQ(completion.count(command) ? completion.at(command) : QByteArray(), table.out)
            << "packaging/varnilog-cli.bash-completion: its line differs from the command's table";
        const auto help = runCli({command, "--help"});
        EXPECT_EQ(help.code, 0);
        EXPECT_TRUE(help.out.startsWith("Usage: varnilog-cli " + command.toUtf8() + " [options]"))
            << help.out.constData();
        const QByteArray line = table.out.trimmed();
        EXPECT_EQ(helpOptions(help.out), line.mid(line.indexOf(" :") + 2).chopped(1));
    }
}

} // namespace
