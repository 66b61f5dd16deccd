// The secondary windows and the printed page follow a switch of the language at run time: in English
// no text is Polish, back in Polish every text is the one shown before.
#include "support/MainWindowFixture.h"
#include "support/SmallRecording.h"
#include "view/PageFile.h"
#include "windows/AboutWindow.h"
#include "windows/ManualWindow.h"
#include "windows/MathWindow.h"
#include "windows/MeasurementsWindow.h"
#include "windows/ProgramLanguage.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTextBrowser>

using namespace varnilog;

namespace {

// Every text a window shows: title, labels, buttons, group titles, combo items, hints, table
// headers, menu items and the memo.
QStringList visibleTexts(const QWidget& window) {
    QStringList texts{window.windowTitle()};
    for (const QWidget* w : window.findChildren<QWidget*>()) {
        texts << w->toolTip();
        if (const auto* label = qobject_cast<const QLabel*>(w))
            texts << label->text();
        if (const auto* button = qobject_cast<const QAbstractButton*>(w))
            texts << button->text();
        if (const auto* group = qobject_cast<const QGroupBox*>(w))
            texts << group->title();
        if (const auto* memo = qobject_cast<const QPlainTextEdit*>(w))
            texts << memo->toPlainText();
        if (const auto* combo = qobject_cast<const QComboBox*>(w))
            for (int i = 0; i < combo->count(); ++i)
                texts << combo->itemText(i);
        if (const auto* table = qobject_cast<const QTableWidget*>(w)) {
            for (int r = 0; r < table->rowCount(); ++r)
                texts << table->verticalHeaderItem(r)->text();
            for (int c = 0; c < table->columnCount(); ++c)
                texts << table->horizontalHeaderItem(c)->text();
        }
    }
    for (const QAction* action : window.findChildren<QAction*>())
        texts << action->text();
    return texts;
}

// A text English shows as Polish does: no word of three letters, or one English uses as well.
bool sameInEnglish(const QString& text) {
    static const QStringList kShared{"FFT", "Zoom x10", "Auto", "Minimum"};
    // The formula's functions ("sqrt(", "avg(A,16)") are the language of expressions, not of the window.
    static const QRegularExpression function(QStringLiteral("^[a-z0-9]+\\("));
    return kShared.contains(text) || function.match(text).hasMatch() ||
           !text.contains(QRegularExpression(QStringLiteral("\\p{L}{3}")));
}

void switchTo(Language language) {
    if (language == Language::English) {
        ASSERT_TRUE(installProgramLanguage(*qApp, Language::English)) << "no English translation built in";
    } else {
        useLanguage(*qApp, Language::Polish); // Qt's own texts stay English, as the other tests expect
    }
    QCoreApplication::processEvents(); // the windows get their LanguageChange
}

QString pageText(const PrintPageContent& content, const QString& pdf) {
    EXPECT_TRUE(writePageFile(pdf, content));
    return QString::fromUtf8(test::pdfText(pdf).value_or(QByteArray()));
}

class SecondaryWindowsLanguageTest : public test::MainWindowTest {};

} // namespace

TEST_F(SecondaryWindowsLanguageTest, SecondaryWindowsAndThePrintedPageFollowTheLanguage) {
    test::writeFile(ini, QStringLiteral("[CONFIG]\nDATADIR=%1\n").arg(dir.path()).toUtf8());
    const QString ros = test::writeSmallRecording(dir.path());
    test::ProgramWindowSet& set = makeWindowSet();
    form->FormCreate();
    form->openRecording(ros);
    set.form2.show(); // the browser lists the folder: the recording's details and an empty memo
    set.form2.findChild<QListWidget*>("FileListBox1")->setCurrentRow(0);
    MeasurementsWindow measurements(*state, boxes, form);
    measurements.FormShow(); // "Próbki …" above the table of A and B
    MathWindow operations(*state, boxes, form);
    AboutWindow about(form);
    about.setLocations(ini, dir.path());
    ManualWindow manual(form);
    const struct Row {
        const char* name;
        QWidget* window;
    } rows[] = {{"browser", &set.form2},        {"spectrum", &set.form5}, {"description", &set.form6},
                {"calibration", &set.form7},    {"rename", &set.form8},   {"measurements", &measurements},
                {"waveform math", &operations}, {"about", &about},        {"manual", &manual}};
    std::vector<QStringList> polish;
    for (const Row& r : rows)
        polish.push_back(visibleTexts(*r.window));
    const PrintPageContent page =
        printPageContent(*state, form->view().bmpScreen, QDateTime::currentDateTime());
    const QString polishPage = pageText(page, dir.filePath("pl.pdf"));

    switchTo(Language::English);
    const QRegularExpression polishLetter(QString::fromUtf8("[ąćęłńóśźżĄĆĘŁŃÓŚŹŻ]"));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const QStringList english = visibleTexts(*rows[i].window);
        ASSERT_EQ(english.size(), polish[i].size()) << rows[i].name;
        for (qsizetype t = 0; t < english.size(); ++t) {
            EXPECT_FALSE(english[t].contains(polishLetter))
                << rows[i].name << ": " << english[t].toStdString();
            EXPECT_TRUE(english[t] != polish[i][t] || sameInEnglish(english[t]))
                << rows[i].name << ": " << english[t].toStdString();
        }
    }
    const QString englishManual =
        QFile::exists(":/docs/manual.en.html") ? "/docs/manual.en.html" : "/docs/manual.html";
    EXPECT_EQ(manual.browser()->source().path(), englishManual);
    // The page is drawn in the language of the moment; its content (the recording's texts) stays.
    const QString englishPage =
        pageText(printPageContent(*state, form->view().bmpScreen, QDateTime::currentDateTime()),
                 dir.filePath("en.pdf"));
    if (!polishPage.isEmpty()) { // pdftotext is installed
        for (const char* expected : {"Waveform: 2024-03-07 14.05.09", "Start: 2024-03-07",
                                     "Length: ", "Sampling: ", "Model: ", "Printed: "})
            EXPECT_TRUE(englishPage.contains(expected)) << expected << "\n" << englishPage.toStdString();
        EXPECT_FALSE(englishPage.contains(polishLetter)) << englishPage.toStdString();
    }

    switchTo(Language::Polish);
    for (std::size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(visibleTexts(*rows[i].window).join(" | ").toStdString(),
                  polish[i].join(" | ").toStdString());
    EXPECT_EQ(manual.browser()->source().path(), "/docs/manual.html");
    EXPECT_EQ(pageText(page, dir.filePath("pl2.pdf")), polishPage);
}
