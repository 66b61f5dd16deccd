// The main window, its "Wyzwalanie" tab, the markers window and the long-work window switch language
// at run time: every text the user sees (captions, hints, menus, tabs, combo items, suffixes, panels,
// headers, the state-dependent ones) turns English, and back in Polish each is again what it was.
#include "app/Program.h"
#include "recording/MarkerFile.h"
#include "support/MainWindowFixture.h"
#include "support/RecordingSetBuilder.h"
#include "support/TestFiles.h"
#include "windows/LongWorkWindow.h"
#include "windows/MarkersWindow.h"
#include "windows/ProgramLanguage.h"
#include "windows/TriggerTab.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>

using namespace varnilog;

namespace {

using Texts = QMap<QString, QString>; // "object/what" -> text

void collect(QWidget* root, Texts& texts) {
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* w : widgets) {
        const QString id = w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) +
                                                           QString::number(widgets.indexOf(w))
                                                     : w->objectName();
        const auto put = [&](const char* what, const QString& text) {
            if (!text.isEmpty())
                texts[id + QLatin1Char('/') + QLatin1String(what)] = text;
        };
        if (w->isWindow())
            put("title", w->windowTitle());
        put("tip", w->toolTip());
        put("accessible", w->accessibleName());
        // What a widget of class T shows through getter, when w is one.
        const auto putOf = [&]<class T>(const char* what, QString (T::*getter)() const) {
            if (auto* t = qobject_cast<T*>(w))
                put(what, (t->*getter)());
        };
        putOf("text", &QAbstractButton::text);
        putOf("text", &QLabel::text);
        putOf("text", &QLineEdit::text);
        putOf("suffix", &QSpinBox::suffix);
        putOf("suffix", &QDoubleSpinBox::suffix);
        if (auto* t = qobject_cast<QTabWidget*>(w))
            for (int i = 0; i < t->count(); ++i)
                put(qPrintable(QStringLiteral("tab%1").arg(i)), t->tabText(i));
        if (auto* c = qobject_cast<QComboBox*>(w)) {
            put("index", QString::number(c->currentIndex()));
            for (int i = 0; i < c->count(); ++i) {
                put(qPrintable(QStringLiteral("item%1").arg(i)), c->itemText(i));
                put(qPrintable(QStringLiteral("itemtip%1").arg(i)),
                    c->itemData(i, Qt::ToolTipRole).toString());
            }
        }
        if (auto* t = qobject_cast<QTableWidget*>(w))
            for (int c = 0; c < t->columnCount(); ++c) {
                put(qPrintable(QStringLiteral("header%1").arg(c)), t->horizontalHeaderItem(c)->text());
                for (int r = 0; r < t->rowCount(); ++r)
                    put(qPrintable(QStringLiteral("cell%1.%2").arg(r).arg(c)), t->item(r, c)->text());
            }
        const QList<QAction*> actions = w->actions();
        for (int i = 0; i < actions.size(); ++i) {
            const QString actionId = id + QLatin1Char('>') + actions[i]->objectName() + QString::number(i);
            texts[actionId] = actions[i]->text();
            if (actions[i]->menu())
                texts[actionId + QStringLiteral("/title")] = actions[i]->menu()->title();
        }
    }
}

// Texts that are the same in both languages: channel letters, units, model names, symbols; the user's
// own (port, marker labels) and Qt's (the tab bar's scroll buttons).
bool sameInBothLanguages(const QString& key, const QString& text) {
    static const QRegularExpression notOurs(
        QStringLiteral(R"(^(Scroll(Left|Right)Button/|StatusPanel14/|tbMarkers/cell\d+\.2$))"));
    if (notOurs.match(key).hasMatch())
        return true;
    static const QRegularExpression neutral(
        QStringLiteral(R"(^([A-D]:?|[-+0-9.,: %…/]*(V|mV|s|ms|us|B)?|AC|GND|DC|FFT|M|T:.*|U:.*|KZ\d+.*|)"
                       R"(Auto|Offset|Holdoff:|Import…|Varnilog 2k|XY|R[1-4]|[↑↓◀▶…—]|\d+|[^ ]*/.*)$)"));
    return neutral.match(text).hasMatch();
}

class MainWindowLanguageTest : public test::MainWindowTest {
protected:
    void TearDown() override {
        useLanguage(*QCoreApplication::instance(), Language::Polish); // the others run in Polish
        destroyWindows();
    }
};

TEST_F(MainWindowLanguageTest, EveryTextTurnsEnglishAndBackToPolish) {
    QCoreApplication& app = *QCoreApplication::instance();
    createWindow();
    form->findChild<QAction*>(QStringLiteral("KZ300LPC21421"))->trigger(); // the caption of a model
    openMarkedRecording(1000, "varnilog-markers;1\r\n100;100;uwaga;a\r\n200;200;strata;7\r\n"
                              "300;300;wyzwolenie;\r\n400;500;zakres;b\r\n");
    auto* markers = form->findChild<MarkersWindow*>();
    auto* trigger = form->findChild<TriggerTab*>();
    ASSERT_TRUE(markers && trigger);
    // State the switch must keep: a chosen mode and filter, a status and an event count shown.
    child<QComboBox>("cbTrigMode")->setCurrentIndex(3);
    markers->findChild<QComboBox*>(QStringLiteral("cbKind"))->setCurrentIndex(0);
    trigger->showState(TriggerState::Waiting);
    trigger->showEvents(3);
    LongWork work;
    LongWorkWindow progress(work, QStringLiteral("…"), form);

    const auto snapshot = [&] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange); // posted to each window
        Texts texts;
        for (QWidget* root : std::initializer_list<QWidget*>{form, markers, &progress})
            collect(root, texts);
        return texts;
    };
    const Texts polish = snapshot();
    ASSERT_TRUE(installProgramLanguage(app, Language::English));
    const Texts english = snapshot();
    useLanguage(app, Language::Polish);
    const Texts again = snapshot();

    const QRegularExpression polishLetter(QStringLiteral("[ąćęłńóśźżĄĆĘŁŃÓŚŹŻ]"));
    struct Expected {
        const char* key;
        const char* polish;
        const char* english;
    };
    // A few texts in each window that the code (not the form) sets, by state.
    const Expected expected[] = {
        {"TForm1/title", "Torva Ferrolak KZ300 ver. 6.1 na LPC2142",
         "Torva Ferrolak KZ300 ver. 6.1 on LPC2142"},
        {"PageControl1/tab2", "Wyzwalanie", "Trigger"},
        {"cbTrigMode/index", "3", "3"},
        {"cbTrigMode/item3", "Pojedynczy", "Single"},
        {"lbTrigStatus/text", "Czeka", "Waiting"},
        {"lbTrigEvents/text", "Zdarzenia: 3", "Events: 3"},
        {"sbTrigWidth/suffix", " próbek", " samples"},
        {"MarkersWindow/title", "Znaczniki", "Markers"},
        {"cbKind/item2", "Strata danych", "Data loss"},
        {"tbMarkers/cell2.1", "Wyzwolenie", "Trigger event"},
        {"tbMarkers/cell3.2", "b", "b"},
        {"btAnuluj/text", "Anuluj", "Cancel"},
        {"edFilename/text", "2024-01-02 03.04.05", "2024-01-02 03.04.05"},
    };
    for (const Expected& e : expected) {
        EXPECT_EQ(polish.value(QLatin1String(e.key)).toStdString(), e.polish) << e.key;
        EXPECT_EQ(english.value(QLatin1String(e.key)).toStdString(), e.english) << e.key;
    }
    const QString keys = polish.keys().join(QLatin1Char(' '));
    ASSERT_EQ(english.keys().join(QLatin1Char(' ')).toStdString(), keys.toStdString());
    ASSERT_EQ(again.keys().join(QLatin1Char(' ')).toStdString(), keys.toStdString());
    for (auto it = english.cbegin(); it != english.cend(); ++it) {
        const std::string where = (it.key() + QStringLiteral(": ") + it.value()).toStdString();
        EXPECT_EQ(again.value(it.key()), polish.value(it.key())) << where;
        EXPECT_FALSE(it.value().contains(polishLetter)) << where;
        if (it.value() == polish.value(it.key())) {
            EXPECT_TRUE(sameInBothLanguages(it.key(), it.value())) << "untranslated " << where;
        }
    }
}

} // namespace
