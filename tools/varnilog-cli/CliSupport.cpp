#include "CliSupport.h"

#include "app/Configuration.h"
#include "recording/RecordingLoader.h"

#include <QFileInfo>

#include <cstdio>
#if defined(_WIN32)
#include <io.h>
#define isatty _isatty
#define STDERR_FILENO 2
#else
#include <unistd.h>
#endif

namespace varnilog::cli {

QString printableText(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\n' || u == u'\r' || u == u'\t')
            out += u == u'\n'   ? QStringLiteral("\\n")
                   : u == u'\r' ? QStringLiteral("\\r")
                                : QStringLiteral("\\t");
        else if (u < 0x20 || (u >= 0x7f && u < 0xa0))
            out += QStringLiteral("\\x%1").arg(static_cast<int>(u), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

int fail(const QString& text, int code) {
    std::fprintf(stderr, "varnilog-cli: %s\n", text.toLocal8Bit().constData());
    return code;
}

int parseCommand(QCommandLineParser& parser, const QStringList& args, const QString& description,
                 int positionalCount, const QString& positionalSyntax) {
    parser.setApplicationDescription(description);
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("args"), positionalSyntax);
    if (!parser.parse(args))
        return fail(parser.errorText(), ExitUsage);
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(parser.helpText().toLocal8Bit().constData(), stdout);
        return ExitOk;
    }
    if (parser.positionalArguments().size() != positionalCount)
        return fail(QStringLiteral("%1: expected %2").arg(args.value(0), positionalSyntax), ExitUsage);
    return -1;
}

Progress::Progress(QString what) : what_(std::move(what)), tty_(isatty(STDERR_FILENO) != 0) {}

Progress::~Progress() {
    finish();
}

void Progress::update(std::int64_t done, std::int64_t total) {
    if (!tty_ || total <= 0)
        return;
    const int percent = static_cast<int>(done * 100 / total);
    if (percent == lastPercent_)
        return;
    lastPercent_ = percent;
    std::fprintf(stderr, "\r%s %3d%%", what_.toLocal8Bit().constData(), percent);
    std::fflush(stderr);
}

void Progress::finish() {
    if (tty_ && lastPercent_ >= 0)
        std::fputc('\n', stderr);
    lastPercent_ = -1;
}

bool openRecording(SharedState& state, const QString& rosPath, QString& error, MissingSamples missing) {
    const QFileInfo info(rosPath);
    if (!info.exists()) {
        error = QStringLiteral("%1: no such recording").arg(rosPath);
        return false;
    }
    if (!info.isFile() || !info.isReadable()) {
        error = QStringLiteral("%1: not a readable file").arg(rosPath);
        return false;
    }
    state.recordingPath = info.absoluteFilePath();
    const LoadResult loaded = loadRecording(state);
    if (!loaded.ok) {
        error = QStringLiteral("%1: %2").arg(
            rosPath, loaded.changedWhileRead ? QStringLiteral("the recording changed while it was read")
                                             : loaded.errorText);
        return false;
    }
    if (state.sampleCount < 0 && missing == MissingSamples::Refuse) {
        error = QStringLiteral("%1: the channel A samples (.rca) are missing").arg(rosPath);
        return false;
    }
    return true;
}

bool intOption(const QCommandLineParser& parser, const QString& name, std::int64_t lo, std::int64_t hi,
               std::int64_t& value) {
    if (!parser.isSet(name))
        return true;
    bool ok = false;
    const qlonglong v = parser.value(name).toLongLong(&ok);
    if (!ok || v < lo || v > hi) {
        fail(QStringLiteral("--%1: expected a whole number from %2 to %3").arg(name).arg(lo).arg(hi),
             ExitUsage);
        return false;
    }
    value = v;
    return true;
}

bool applyConfigOption(const QCommandLineParser& parser, SharedState& state) {
    sizeBitmaps(state);
    if (!parser.isSet(QStringLiteral("config")))
        return true;
    const QString ini = parser.value(QStringLiteral("config"));
    if (!QFileInfo(ini).isFile()) {
        fail(QStringLiteral("%1: no such configuration file").arg(ini));
        return false;
    }
    QPoint unused;
    readConfiguration(state, ini, QFileInfo(ini).absolutePath(), unused);
    return true;
}

bool localeOption(const QCommandLineParser& parser, QLocale& locale, QString& error) {
    const QString name = QStringLiteral("locale");
    locale = parser.isSet(name) ? QLocale(parser.value(name)) : QLocale::system();
    // QLocale falls back to C for a name it does not know.
    if (parser.isSet(name) && locale == QLocale::c() && parser.value(name) != QLatin1String("C")) {
        error = QStringLiteral("--locale: unknown locale '%1'").arg(parser.value(name));
        return false;
    }
    return true;
}

} // namespace varnilog::cli
