// kzsim: a simulated measuring board on a pseudo-terminal. Prints the terminal's path as the first
// line of its output, then serves one connection after another until it is killed.
#include "device/BoardOptionNames.h"
#include "device/PtyBoard.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <thread>

using namespace varnilog;

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void onSignal(int) {
    stopRequested = 1;
}

bool readChannel(const QCommandLineParser& parser, const QString& letter, ChannelSignal& signal) {
    const auto wave = waveformFromName(parser.value(QStringLiteral("wave-") + letter));
    bool freqOk = false;
    bool ampOk = false;
    signal.frequencyHz = parser.value(QStringLiteral("freq-") + letter).toDouble(&freqOk);
    signal.amplitudeV = parser.value(QStringLiteral("amp-") + letter).toDouble(&ampOk);
    if (!wave || !freqOk || !ampOk || signal.frequencyHz < 0)
        return false;
    signal.waveform = *wave;
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kzsim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VARNILOG_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulated KZ100..KZ400 board on a pseudo-terminal; the first output line is its path.\n"
        "The stream is limited to the 92 160 bytes/s of a 921600-baud line."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QString waves = waveformNames().join(QLatin1Char('|'));
    parser.addOptions({
        {QStringLiteral("model"), QStringLiteral("Board model KZ100..KZ400 (default KZ100)."),
         QStringLiteral("model"), QStringLiteral("KZ100")},
        {QStringLiteral("wave-a"),
         QStringLiteral("Waveform of channel A: ") + waves + QStringLiteral(" (sine)."),
         QStringLiteral("wave"), QStringLiteral("sine")},
        {QStringLiteral("freq-a"), QStringLiteral("Frequency of channel A in Hz, the bit rate of uart (50)."),
         QStringLiteral("hz"), QStringLiteral("50")},
        {QStringLiteral("amp-a"), QStringLiteral("Peak amplitude of channel A in V (1)."),
         QStringLiteral("volts"), QStringLiteral("1")},
        {QStringLiteral("wave-b"),
         QStringLiteral("Waveform of channel B: ") + waves + QStringLiteral(" (square)."),
         QStringLiteral("wave"), QStringLiteral("square")},
        {QStringLiteral("freq-b"), QStringLiteral("Frequency of channel B in Hz, the bit rate of uart (20)."),
         QStringLiteral("hz"), QStringLiteral("20")},
        {QStringLiteral("amp-b"), QStringLiteral("Peak amplitude of channel B in V (0.5)."),
         QStringLiteral("volts"), QStringLiteral("0.5")},
        {QStringLiteral("misbehave"),
         QStringLiteral("Fault to show: ") + misbehaviourNames().join(QLatin1Char('|')) +
             QStringLiteral(" (none)."),
         QStringLiteral("fault"), QStringLiteral("none")},
    });
    parser.process(app);

    BoardOptions options;
    const auto model = boardModelFromName(parser.value(QStringLiteral("model")));
    const auto fault = misbehaviourFromName(parser.value(QStringLiteral("misbehave")));
    if (!model || !fault || !readChannel(parser, QStringLiteral("a"), options.channels[0]) ||
        !readChannel(parser, QStringLiteral("b"), options.channels[1])) {
        std::fprintf(stderr, "kzsim: invalid option value; see --help\n");
        return 2;
    }
    options.model = *model;
    options.misbehaviour = *fault;

    PtyBoard board(options);
    if (!board.start()) {
        std::fprintf(stderr, "kzsim: cannot create a pseudo-terminal\n");
        return 1;
    }
    std::printf("%s\n", board.slavePath().toLocal8Bit().constData());
    std::fflush(stdout);
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    while (!stopRequested && !board.hungUp())
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (board.hungUp())
        std::fprintf(stderr, "kzsim: hung up\n");
    board.stop();
    return 0;
}
