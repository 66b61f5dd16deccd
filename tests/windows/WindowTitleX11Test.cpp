// Window titles as an X server holds them. The offscreen platform keeps a title as it is given, so
// only a real (or virtual) X display shows whether the platform adds anything to it; elsewhere the
// test is skipped. ctest runs it under xvfb-run when that is installed.
#include "support/MainWindowFixture.h"
#include "support/RecordingMessageBoxes.h"

#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace varnilog;

namespace {

// _NET_WM_NAME of a window as xprop prints it: _NET_WM_NAME = "text".
QString netWmName(const QString& xprop, const QWidget& window) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8")); // the Polish letters as they are
    process.setProcessEnvironment(env);
    process.start(xprop, {QStringLiteral("-id"), QString::number(window.winId()), QStringLiteral("-notype"),
                          QStringLiteral("_NET_WM_NAME")});
    if (!process.waitForFinished(10000))
        return QStringLiteral("<xprop did not finish>");
    const QString out = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    const qsizetype first = out.indexOf(QLatin1Char('"'));
    const qsizetype last = out.lastIndexOf(QLatin1Char('"'));
    return first >= 0 && last > first ? out.mid(first + 1, last - first - 1) : out;
}

} // namespace

TEST(WindowTitleX11Test, TitlesAreTheWindowsOwnTexts) {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs an X display (QT_QPA_PLATFORM=xcb, e.g. under xvfb-run)";
    const QString xprop = QStandardPaths::findExecutable(QStringLiteral("xprop"));
    if (xprop.isEmpty())
        GTEST_SKIP() << "xprop (x11-utils) is not installed";

    setUpApplicationTitle();
    test::MainWindowFixture fixture;
    test::ProgramWindowSet& w = fixture.makeWindowSet();
    w.form1.FormCreate();

    struct Row {
        QWidget* window;
        const char* title; // null: the model's text, checked elsewhere
    } rows[] = {
        {&w.form1, nullptr}, {&w.form2, "Otwóż plik"}, {&w.form4, "Ustawienia"},   {&w.form5, "FFT"},
        {&w.form6, "Opis"},  {&w.form7, "Kalibracja"}, {&w.form8, "Zmiana nazwy"},
    };
    for (const Row& r : rows) {
        r.window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(r.window));
        const QString expected = r.title ? QString::fromUtf8(r.title) : r.window->windowTitle();
        EXPECT_FALSE(expected.isEmpty());
        EXPECT_EQ(netWmName(xprop, *r.window).toStdString(), expected.toStdString());
        r.window->hide();
    }
}
