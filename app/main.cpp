// Program entry: parses the command line, owns the shared state, the message boxes, the serial link
// and the clock, creates the main window and the six secondary windows in their fixed order and runs the
// message loop.
#include "app/CommandLine.h"
#include "app/ConfigLocation.h"
#include "app/Configuration.h"
#include "app/DisplayCheck.h"
#include "app/Program.h"
#include "app/SystemClock.h"
#include "device/PosixSerialLink.h"
#include "device/PtyBoard.h"
#include "spectrum/Unit5.h"
#include "windows/DesktopIdentity.h"
#include "windows/Otworzplik.h"
#include "windows/ProgramLanguage.h"
#include "windows/QtMessageBoxes.h"
#include "windows/Unit6.h"
#include "windows/Unit7.h"
#include "windows/Unit8.h"
#include "windows/Ustawienia.h"

#include <QApplication>
#include <QFileInfo>

#include <cstdio>
#include <exception>
#include <memory>

int main(int argc, char** argv) {
    // --version and --help need no display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (const QString information = varnilog::programInformation(arguments, QStringLiteral(VARNILOG_VERSION));
        !information.isEmpty()) {
        std::fputs(information.toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (const QString noDisplay =
            varnilog::noDisplayMessage(varnilog::currentDisplayEnvironment(), arguments);
        !noDisplay.isEmpty()) {
        std::fprintf(stderr, "%s\n", noDisplay.toLocal8Bit().constData());
        return 1;
    }
    QApplication app(argc, argv);
    varnilog::setUpApplicationTitle();
    varnilog::setUpDesktopIdentity();

    const QString executablePath = QCoreApplication::applicationFilePath();
    varnilog::ProgramOptions options;
    QString error;
    if (!varnilog::parseProgramOptions(QCoreApplication::arguments(), executablePath, options, error)) {
        std::fprintf(stderr, "varnilog: %s\n", qPrintable(error));
        return 1;
    }
    // Without --config the file beside the executable moves to the user's folder when it cannot be
    // written there (an installed program); a --config file is used as given.
    const varnilog::ConfigLocation configuration = varnilog::locateConfiguration(
        options.configurationGiven ? options.configurationPath : QString(), executablePath);
    options.configurationPath = configuration.path;
    options.dataDirDefault = configuration.dataDirDefault;
    // The windows are made in the chosen language; --lang holds for this run only.
    const varnilog::Language language =
        options.language.value_or(varnilog::readConfiguredLanguage(options.configurationPath));
    varnilog::installProgramLanguage(app, language);

    // About 2 MB of fixed buffers: on the heap, not the stack.
    auto state = std::make_unique<varnilog::SharedState>();
    varnilog::QtMessageBoxes boxes;
    // The port and the clock outlive the window that records through them.
    varnilog::PosixSerialLink link;
    varnilog::SystemClock clock;

    varnilog::TForm1 form1(*state, boxes, link, clock, options.configurationPath);
    form1.setProgramOptions(options);
    varnilog::TForm2 form2(*state, boxes, &form1);
    varnilog::TForm4 form4(*state, boxes, &form1);
    varnilog::TForm5 form5(*state, boxes, &form1);
    varnilog::TForm6 form6(*state, boxes, &form1);
    varnilog::TForm7 form7(*state, boxes, &form1);
    varnilog::TForm8 form8(*state, boxes, &form1);
    form1.setSecondaryWindows({&form2, &form4, &form5, &form6, &form7, &form8});

    // An exception that escapes start-up or the message loop is shown in an error box; the program
    // then ends normally.
    try {
        form1.FormCreate();
        state->language = language; // the settings window shows (and saves) the language in use
        form1.showStatusMessage(varnilog::configurationNotice(configuration));
        // --simulate: a board on a pseudo-terminal, used as the port for this run only (the
        // configured port is not overwritten unless the user saves the settings).
        std::unique_ptr<varnilog::PtyBoard> board;
        if (options.simulate) {
            varnilog::BoardOptions simulated;
            simulated.model = options.simulateModel ? options.simulateModel : state->deviceModel;
            if (simulated.model < 1 || simulated.model > 4)
                simulated.model = 1;
            simulated.channels[0] = {varnilog::Waveform::Sine, 100.0, 30.0};
            simulated.channels[1] = {varnilog::Waveform::Square, 40.0, 15.0};
            if (options.simulateUart)
                simulated.channels[1] = {varnilog::Waveform::Uart, 2400.0, 15.0};
            board = std::make_unique<varnilog::PtyBoard>(simulated);
            if (!board->start()) {
                std::fprintf(stderr, "varnilog: the simulated board could not be started\n");
                return 1;
            }
            state->comPortName = board->slavePath();
            form4.setExtraPorts({board->slavePath()});
            form1.updateStatusBar();
            form1.showStatusMessage(QCoreApplication::translate("varnilog::main", "Symulator płytki: %1")
                                        .arg(board->slavePath()));
        }
        form1.centreOnScreen();
        form1.show();
        if (!options.startRecording.isEmpty())
            form1.openRecording(QFileInfo(options.startRecording).absoluteFilePath());
        app.exec();
    } catch (const std::exception& e) {
        boxes.showErrorBox(QString::fromLocal8Bit(e.what()));
    }
    return 0;
}
