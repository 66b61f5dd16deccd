// What a new user meets first: the windows' icon and the desktop file they belong to, and Start on a
// configuration that names no port of this system.
#include "windows/DesktopIdentity.h"
#include "app/Program.h"
#include "device/FakeSerialLink.h"
#include "device/SerialPorts.h"
#include "support/MainWindowFixture.h"
#include "support/TestFiles.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

using namespace varnilog;

namespace {

// A key of the packaged desktop entry.
QString desktopEntry(const char* key) {
    const QString text =
        QString::fromUtf8(test::readFile(QStringLiteral(VARNILOG_SOURCE_DIR "/packaging/varnilog.desktop")));
    for (const QString& line : text.split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String(key) + QLatin1Char('=')))
            return line.mid(qsizetype(qstrlen(key)) + 1);
    return {};
}

// A property of a window as xprop prints it, or "" when the window has none.
QString xprop(const QWidget& window, const char* property) {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("xprop"));
    QProcess process;
    process.start(program,
                  {QStringLiteral("-id"), QString::number(window.winId()), QString::fromLatin1(property)});
    if (program.isEmpty() || !process.waitForFinished(10000))
        return {};
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    return out.contains(QLatin1String("not found")) ? QString() : out;
}

} // namespace

// The icon and the desktop identity; on an X display (ctest runs this suite under xvfb-run) also the
// window's class, which the desktop file's StartupWMClass must name, and its icon.
TEST(WindowTitleX11Test, TheWindowsBelongToTheDesktopFileAndCarryItsIcon) {
    setUpApplicationTitle();
    setUpDesktopIdentity();
    EXPECT_FALSE(QApplication::windowIcon().isNull());
    EXPECT_EQ(QGuiApplication::desktopFileName(), QString::fromLatin1(kDesktopFileName));
    EXPECT_EQ(desktopEntry("StartupWMClass"), QCoreApplication::applicationName());
    EXPECT_EQ(desktopEntry("Icon"), QString::fromLatin1(kDesktopFileName));
    if (QGuiApplication::platformName() != QLatin1String("xcb") ||
        QStandardPaths::findExecutable(QStringLiteral("xprop")).isEmpty())
        GTEST_SKIP() << "the window's class needs an X display and xprop";
    QWidget window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_TRUE(xprop(window, "WM_CLASS")
                    .contains(QLatin1Char('"') + desktopEntry("StartupWMClass") + QLatin1Char('"')))
        << xprop(window, "WM_CLASS").toStdString();
    EXPECT_FALSE(xprop(window, "_NET_WM_ICON").isEmpty());
}

// A new configuration holds "COM1": with no board adapter plugged in, Start asks for a port in a box
// (the status bar would cut it) instead of trying a Windows name.
class NewUserStartTest : public test::MainWindowTest {};

TEST_F(NewUserStartTest, StartWithoutAChosenPortAsksForOne) {
    if (!boardPorts().isEmpty())
        GTEST_SKIP() << "a board adapter is plugged in here";
    createWindow().show();
    ASSERT_TRUE(portUnchosen(state->comPortName)) << state->comPortName.toStdString();
    click("btStart");
    EXPECT_FALSE(state->samplingActive);
    ASSERT_EQ(boxes.errors().size(), 1);
    EXPECT_TRUE(boxes.errors().front().startsWith(QString::fromUtf8("Nie wybrano portu płytki")));
}

// A port the user may not open: the advice, longer than the status bar, comes whole in a box and names
// the device's owner, group and mode (a file of its owner alone: no group would help).
TEST_F(NewUserStartTest, APortWithoutPermissionIsExplainedWhole) {
    const QString port = dir.filePath(QStringLiteral("ttyUSB0"));
    test::writeFile(port, {});
    QFile::setPermissions(port, QFile::ReadOwner | QFile::WriteOwner);
    test::FakeSerialLink refusing;
    refusing.openFails = true;
    refusing.openErrorValue = EACCES;
    TForm1 window(*state, boxes, refusing, *clock, ini);
    window.FormCreate();
    state->comPortName = port;
    window.findChild<QAbstractButton*>(QStringLiteral("btStart"))->click();
    ASSERT_EQ(boxes.errors().size(), 1);
    const QFileInfo file(port);
    EXPECT_EQ(
        boxes.errors().front(),
        QString::fromUtf8("Brak uprawnień do portu %1 (właściciel %2, grupa %3, -rw-------) — grupa nie "
                          "pomoże: port może otworzyć tylko %2; zmień jego uprawnienia (reguła udev) lub "
                          "poproś administratora")
            .arg(port, file.owner(), file.group()));
}
