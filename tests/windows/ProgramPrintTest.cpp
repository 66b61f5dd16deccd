// The main window's "Drukuj" (and Ctrl+P), "Zapisz obraz…", "O Programie" and "Instrukcja".
#include "app/Program.h"
#include "recording/RecordingManagement.h"
#include "support/MainWindowFixture.h"
#include "support/RecordedFiles.h"
#include "support/RecordingMessageBoxes.h"
#include "support/RecordingSet.h"
#include "support/SmallRecording.h"
#include "support/TestFiles.h"
#include "windows/AboutWindow.h"
#include "windows/ManualWindow.h"
#include "windows/ProgramLanguage.h"
#include "windows/ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>
#include <QTranslator>

using namespace varnilog;

namespace {

class ProgramPrintTest : public test::MainWindowTest {
protected:
    void SetUp() override {
        test::writeFile(ini, QStringLiteral("[CONFIG]\nDATADIR=%1\n").arg(dir.path()).toUtf8());
        makeWindow().setDialogs(&dialogs);
        form->FormCreate();
    }
    QAction* action(const char* name) { return form->findChild<QAction*>(QString::fromLatin1(name)); }
    // The built-in manual of one language (the resource is registered when the manual first opens).
    static void loadManual(QTextDocument& doc, const char* file) {
        QFile html(QStringLiteral(":/docs/") + QString::fromLatin1(file));
        ASSERT_TRUE(html.open(QIODevice::ReadOnly)) << file;
        doc.setHtml(QString::fromUtf8(html.readAll()));
    }

    test::ScriptedDialogs dialogs;
};

} // namespace

TEST_F(ProgramPrintTest, DrukujPrintsTheScreenToAPdfInLandscape) {
    form->openRecording(test::writeSmallRecording(dir.path()));
    const QString pdf = dir.filePath("wydruk.pdf");
    dialogs.printFiles = {pdf, QString()};
    form->findChild<QAbstractButton*>(QStringLiteral("SpeedButton71"))->click();
    ASSERT_EQ(dialogs.printOrientations.size(), 1u);
    EXPECT_EQ(dialogs.printOrientations[0], QPageLayout::Landscape);
    ASSERT_GT(QFileInfo(pdf).size(), 1000);
    if (const std::optional<QByteArray> text = test::pdfText(pdf))
        EXPECT_TRUE(text->contains(test::kSmallRecordingName)) << text->constData();
    else
        std::puts("pdftotext (poppler-utils) is not installed: the PDF's text is not checked");

    // Ctrl+P opens the same preview (cancelled here).
    form->show();
    QApplication::setActiveWindow(form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    QTest::keyClick(form->windowHandle(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(dialogs.printOrientations.size(), 2u);
}

TEST_F(ProgramPrintTest, ZapiszObrazSavesThePageAndReportsAFailedWrite) {
    form->openRecording(test::writeSmallRecording(dir.path()));
    const QString svg = dir.filePath("obraz.svg"), broken = dir.filePath("brak/folderu.png");
    dialogs.fileNames = {svg, broken};
    action("Zapiszobraz1")->trigger();
    ASSERT_EQ(dialogs.saveInitialNames.size(), 1u);
    EXPECT_EQ(dialogs.saveInitialNames[0], dir.filePath("2024-03-07 14.05.09.png"));
    EXPECT_TRUE(test::readFile(svg).startsWith("<?xml"));
    EXPECT_TRUE(boxes.errors().isEmpty());

    action("Zapiszobraz1")->trigger();
    ASSERT_EQ(boxes.errors().size(), 1);
    EXPECT_TRUE(boxes.errors()[0].contains(broken)) << boxes.errors()[0].toStdString();
    EXPECT_FALSE(QFile::exists(broken));
}

// Qt's own dialogs speak Polish; the file dialogs open in the data folder, and printing offers the
// PDF of the recording's whole name there.
TEST_F(ProgramPrintTest, DialogsSpeakPolishAndOpenInTheDataFolder) {
    QCoreApplication& app = *QCoreApplication::instance();
    ASSERT_TRUE(installProgramLanguage(app, Language::Polish)) << "qt6-translations-l10n is not installed";
    const QString saveAs = QCoreApplication::translate("QFileDialog", "Save As");
    const QString cancel =
        QDialogButtonBox(QDialogButtonBox::Cancel).button(QDialogButtonBox::Cancel)->text();
    installProgramLanguage(app, Language::English);
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Save As"), "Save As");
    useLanguage(app, Language::Polish); // the other tests run with Qt's own texts
    EXPECT_EQ(saveAs, "Zachowaj jako"); // Qt's own Polish text
    EXPECT_EQ(cancel, "Anuluj");

    const QString base = dir.filePath("2026-12-09 20.03.24");
    form->openRecording(
        test::writeRecording(dir.path(), "2026-12-09 20.03.24", {10, 4, 4, 2, {{125, 150}, {125, 100}}}));
    form->findChild<QAbstractButton*>(QStringLiteral("SpeedButton71"))->click();
    action("Zapiszobraz1")->trigger();
    action("Zapiszdotxt1")->trigger();
    form->findChild<QAbstractButton*>(QStringLiteral("SpeedButton72"))->click();
    form->findChild<QAbstractButton*>(QStringLiteral("btZapiszOkresy"))->click();
    EXPECT_EQ(dialogs.printOfferedFiles, std::vector<QString>{base + ".pdf"});
    EXPECT_EQ(dialogs.saveInitialNames,
              (std::vector<QString>{base + ".png", dir.filePath("*.txt"), dir.filePath("okresy.csv")}));
}

TEST_F(ProgramPrintTest, OProgramieShowsVersionModelsAndLocations) {
    QString shown;
    QTimer::singleShot(0, form, [&] {
        auto* about = qobject_cast<AboutWindow*>(QApplication::activeModalWidget());
        ASSERT_NE(about, nullptr);
        shown = about->text();
        about->accept();
    });
    action("OProgramie1")->trigger();
    for (const QString& expected :
         {QStringLiteral(VARNILOG_VERSION), QStringLiteral("KZ100 ATMega32"), QStringLiteral("KZ400 LPC2144"),
          QString::fromLatin1(qVersion()), QStringLiteral("GPL-3.0-or-later"),
          QDir::toNativeSeparators(dir.filePath("varnilog.ini")), dir.path()})
        EXPECT_TRUE(shown.contains(expected)) << expected.toStdString() << "\n" << shown.toStdString();
}

// The manual follows the program: it names every menu item's caption, every button's hint and every
// file of a recording set, as the window and the file layer have them now.
TEST_F(ProgramPrintTest, ManualNamesEveryMenuItemButtonHintAndFileOfASet) {
    action("Instrukcja1")->trigger();
    const QString manual = form->findChild<ManualWindow*>()->browser()->toPlainText();
    QStringList names = renamedExtensions();
    for (const QAction* a : form->findChildren<QAction*>())
        names << QString(a->text()).remove(QLatin1Char('&'));
    for (const QAbstractButton* b : form->findChildren<QAbstractButton*>())
        names << b->toolTip();
    for (const QString& name : names)
        EXPECT_TRUE(name.isEmpty() || manual.contains(name)) << name.toStdString();
}

// The English manual follows the English windows: every menu item's caption and every button's hint
// as the English translation gives them (case aside: the manual quotes items mid-sentence).
TEST_F(ProgramPrintTest, EnglishManualNamesEveryEnglishMenuItemAndButtonHint) {
    action("Instrukcja1")->trigger();
    QTextDocument english;
    loadManual(english, "manual.en.html");
    QApplication& app = *qApp;
    const QString polishMenu = form->menuBar()->actions().constFirst()->text();
    installProgramLanguage(app, Language::English);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange); // the windows retranslate
    const bool translated = form->menuBar()->actions().constFirst()->text() != polishMenu;
    QStringList names;
    for (const QAction* a : form->findChildren<QAction*>())
        names << QString(a->text()).remove(QLatin1Char('&'));
    for (const QAbstractButton* b : form->findChildren<QAbstractButton*>())
        names << b->toolTip();
    installProgramLanguage(app, Language::English);
    useLanguage(app, Language::Polish); // the other tests run with Qt's English and the Polish texts
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    if (!translated)
        GTEST_SKIP() << "the English translation leaves the main window's menu \"" << polishMenu.toStdString()
                     << "\" untranslated: nothing to compare the English manual with";
    const QString manual = english.toPlainText();
    for (const QString& name : names)
        EXPECT_TRUE(name.isEmpty() || manual.contains(name, Qt::CaseInsensitive)) << name.toStdString();
}

TEST_F(ProgramPrintTest, InstrukcjaShowsTheManualWhoseLinksAllLand) {
    action("Instrukcja1")->trigger();
    auto* manual = form->findChild<ManualWindow*>();
    ASSERT_NE(manual, nullptr);
    EXPECT_TRUE(manual->isVisible());
    QTextDocument* doc = manual->browser()->document();
    ASSERT_GT(manual->contents()->count(), 10);
    // Every chapter of the program has its section.
    QStringList titles;
    for (int i = 0; i < manual->contents()->count(); ++i)
        titles << manual->contents()->item(i)->text().trimmed();
    for (const char* chapter : {"Nagrywanie", "Symulator", "Kursory i zaznaczenie", "Widmo (FFT)",
                                "Drukowanie i zapis obrazu", "Wiersz poleceń"})
        EXPECT_TRUE(titles.contains(QString::fromUtf8(chapter))) << chapter;
    // Every link inside the manual leads to an anchor that exists.
    QStringList anchors, links;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            anchors << it.fragment().charFormat().anchorNames();
            const QString href = it.fragment().charFormat().anchorHref();
            if (href.startsWith(QLatin1Char('#')))
                links << href.mid(1);
        }
    EXPECT_GT(links.size(), 20);
    for (const QString& link : links)
        EXPECT_TRUE(anchors.contains(link)) << link.toStdString();
}

// The English manual is the Polish one's translation: the same chapters and sections under the same
// anchors, the same links, in the same order (so its links land wherever the Polish ones do).
TEST_F(ProgramPrintTest, EnglishManualHasThePolishChaptersAnchorsAndLinks) {
    action("Instrukcja1")->trigger();
    struct Outline {
        QStringList anchors, links;
        std::vector<int> headings;
    };
    const auto lines = [](const QStringList& list) { return list.join(QLatin1Char('\n')).toStdString(); };
    const auto outline = [](const char* file) {
        QTextDocument doc;
        loadManual(doc, file);
        Outline o;
        for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
            if (const int level = b.blockFormat().headingLevel(); level > 0)
                o.headings.push_back(level);
            for (auto it = b.begin(); !it.atEnd(); ++it) {
                o.anchors << it.fragment().charFormat().anchorNames();
                if (const QString href = it.fragment().charFormat().anchorHref(); !href.isEmpty())
                    o.links << href;
            }
        }
        return o;
    };
    const Outline polish = outline("manual.html"), english = outline("manual.en.html");
    EXPECT_GT(polish.anchors.size(), 20);
    EXPECT_EQ(lines(english.anchors), lines(polish.anchors)); // as lines: a failure shows their diff
    EXPECT_EQ(lines(english.links), lines(polish.links));
    EXPECT_EQ(english.headings, polish.headings);
}
