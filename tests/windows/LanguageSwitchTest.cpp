// The English interface: every window switches language at run time (no Polish letter and no
// untranslated source text left in English, every text back as it was in Polish), and the
// translations cover every text of the program's sources.
#include "LanguageTestSupport.h"
#include "WindowTestSupport.h"
#include "support/MainWindowFixture.h"
#include "windows/AboutWindow.h"
#include "windows/ManualWindow.h"
#include "windows/MarkersWindow.h"
#include "windows/MathWindow.h"
#include "windows/MeasurementsWindow.h"
#include "windows/TriggerTab.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDirIterator>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStyleOption>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeView>
#include <QXmlStreamReader>

#include <cmath>
#include <functional>
#include <iostream>
#include <map>
#include <set>
#include <string_view>

using namespace varnilog;
using namespace varnilog::test;

namespace {

struct TsMessage {
    QString context, source, translation;
    bool finished;
};

std::vector<TsMessage> readTs(const QString& path) {
    std::vector<TsMessage> out;
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    QXmlStreamReader xml(&file);
    QString context;
    TsMessage m;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("name"))
            context = xml.readElementText();
        else if (xml.name() == QLatin1String("message"))
            m = {context, {}, {}, true};
        else if (xml.name() == QLatin1String("source"))
            m.source = xml.readElementText();
        else if (xml.name() == QLatin1String("translation")) {
            m.finished = xml.attributes().value(QLatin1String("type")).isEmpty();
            m.translation = xml.readElementText();
            m.finished = m.finished && !m.translation.isEmpty();
            out.push_back(m);
        }
    }
    EXPECT_FALSE(xml.hasError()) << path.toStdString() << ": " << xml.errorString().toStdString();
    return out;
}

QStringList translationFiles() {
    QStringList files;
    for (const QString& name : QDir(QStringLiteral(VARNILOG_SOURCE_DIR "/translations"))
                                   .entryList({QStringLiteral("varnilog_en*.ts")}, QDir::Files, QDir::Name))
        files << QStringLiteral(VARNILOG_SOURCE_DIR "/translations/") + name;
    return files;
}

// Source texts whose English differs: seeing one in English means a text was not translated.
std::set<QString> translatedSources() {
    std::set<QString> sources;
    for (const QString& file : translationFiles())
        for (const TsMessage& m : readTs(file))
            if (m.finished && m.translation != m.source)
                sources.insert(m.source);
    return sources;
}

// Every text a user can see in window, by where it is: titles, labels, buttons, hints, tab titles,
// combo items, table headers and cells, menu and action texts.
using WindowTexts = std::map<QString, QString>;

QString objectPath(const QObject* object, const QObject* window) {
    QString path;
    for (const QObject* o = object; o != nullptr && o != window->parent(); o = o->parent())
        path.prepend(QLatin1Char('/') + (o->objectName().isEmpty()
                                             ? QString::fromLatin1(o->metaObject()->className())
                                             : o->objectName()));
    return path;
}

WindowTexts visibleTexts(QWidget& window) {
    WindowTexts texts;
    // Keyed by the object names on the way from the window; objects of one path are told apart by
    // their order, which a switch of language does not change.
    const auto add = [&texts](const QString& key, const QString& text) {
        if (text.trimmed().isEmpty())
            return;
        QString unique = key;
        for (int n = 2; texts.count(unique); ++n)
            unique = key + QLatin1Char('#') + QString::number(n);
        texts[unique] = text;
    };
    QList<QWidget*> widgets = window.findChildren<QWidget*>();
    widgets.prepend(&window);
    for (QWidget* w : widgets) {
        const QString at = objectPath(w, &window);
        add(at + ":title", w->isWindow() ? w->windowTitle() : QString());
        add(at + ":tip", w->toolTip());
        add(at + ":status", w->statusTip());
        if (auto* label = qobject_cast<QLabel*>(w))
            add(at, label->text());
        if (auto* button = qobject_cast<QAbstractButton*>(w))
            add(at, button->text());
        if (auto* box = qobject_cast<QGroupBox*>(w))
            add(at, box->title());
        if (auto* menu = qobject_cast<QMenu*>(w))
            add(at, menu->title());
        if (auto* edit = qobject_cast<QLineEdit*>(w))
            add(at + ":placeholder", edit->placeholderText());
        if (auto* edit = qobject_cast<QTextEdit*>(w); edit && edit->isReadOnly())
            add(at, edit->toPlainText());
        if (auto* spin = qobject_cast<QAbstractSpinBox*>(w)) // prefix and suffix of either kind
            add(at + ":spin", spin->specialValueText() + w->property("prefix").toString() +
                                  w->property("suffix").toString());
        if (auto* tabs = qobject_cast<QTabWidget*>(w))
            for (int i = 0; i < tabs->count(); ++i) {
                add(at + ":tab" + QString::number(i), tabs->tabText(i));
                add(at + ":tabtip" + QString::number(i), tabs->tabToolTip(i));
            }
        if (auto* combo = qobject_cast<QComboBox*>(w))
            for (int i = 0; i < combo->count(); ++i)
                add(at + ":item" + QString::number(i), combo->itemText(i));
        if (auto* view = qobject_cast<QAbstractItemView*>(w); view && view->model()) {
            const QAbstractItemModel* model = view->model();
            for (int c = 0; c < model->columnCount(); ++c)
                add(at + ":header" + QString::number(c), model->headerData(c, Qt::Horizontal).toString());
            for (int r = 0; r < std::min(model->rowCount(), 100); ++r)
                for (int c = 0; c < model->columnCount(); ++c) {
                    const QModelIndex index = model->index(r, c);
                    const QString cell = QStringLiteral(":cell%1,%2").arg(r).arg(c);
                    add(at + cell, model->data(index).toString());
                    add(at + cell + "tip", model->data(index, Qt::ToolTipRole).toString());
                }
        }
    }
    QList<QAction*> actions = window.findChildren<QAction*>();
    for (QWidget* w : widgets)
        for (QAction* action : w->actions())
            if (!actions.contains(action))
                actions << action;
    for (QAction* action : actions) {
        const QString a = objectPath(action, &window) + QStringLiteral(":action");
        add(a, action->text());
        add(a + ":tip", action->toolTip());
        add(a + ":status", action->statusTip());
        if (action->menu() != nullptr)
            add(a + ":menu", action->menu()->title());
    }
    return texts;
}

// Every text the window shows cut by its widget, as "path: text (needs N px, has M)": a label without
// word wrap, a button, a combo item, a spin box's text at its current value and at either end of its
// range with prefix and suffix, a group box title, a tab title, a table's column headers and cells
// against the columns' widths, and the window title against the window's width less a title bar's
// icon and buttons. Only what the window shows now is judged: hidden controls are laid out when they
// appear.
std::vector<std::string> cutTexts(QWidget& window) {
    constexpr int kTitleBarAllowance = 100; // the icon and three buttons of a window manager's title bar
    std::vector<std::string> cut;
    const auto check = [&cut, &window](const QObject* at, const QString& text, int needs, int has) {
        if (needs > has)
            cut.push_back(objectPath(at, &window).toStdString() + ": \"" + text.toStdString() + "\" (needs " +
                          std::to_string(needs) + " px, has " + std::to_string(has) + ")");
    };
    const auto textWidth = [](const QWidget* w, const QString& text, int flags = Qt::TextShowMnemonic) {
        return QFontMetrics(w->font()).size(flags, text).width();
    };
    QList<QWidget*> widgets = window.findChildren<QWidget*>();
    widgets.prepend(&window);
    for (QWidget* w : widgets) {
        if (!w->isVisibleTo(&window) || (w != &window && !window.isVisible() && w->isWindow()))
            continue;
        QStyle* style = w->style();
        if (w->isWindow() && !w->windowTitle().isEmpty()) {
            QFont bold = w->font();
            bold.setBold(true);
            check(w, w->windowTitle(),
                  QFontMetrics(bold).horizontalAdvance(w->windowTitle()) + kTitleBarAllowance, w->width());
        }
        if (auto* label = qobject_cast<QLabel*>(w); label && !label->wordWrap() && !label->text().isEmpty()) {
            int needs = 0;
            if (Qt::mightBeRichText(label->text()) && label->textFormat() != Qt::PlainText) {
                QTextDocument doc;
                doc.setDefaultFont(label->font());
                doc.setDocumentMargin(0);
                doc.setHtml(label->text());
                needs = static_cast<int>(std::ceil(doc.idealWidth()));
            } else
                needs = textWidth(label, label->text(), label->buddy() ? Qt::TextShowMnemonic : 0);
            int indent = label->indent();
            if (indent < 0)
                indent = label->frameWidth() > 0
                             ? QFontMetrics(label->font()).horizontalAdvance(QLatin1Char('x')) / 2
                             : 0;
            if (!(label->alignment() & Qt::AlignHCenter))
                needs += indent;
            check(label, label->text(), needs + 2 * label->margin(), label->contentsRect().width());
        }
        if (auto* button = qobject_cast<QAbstractButton*>(w); button && !button->text().isEmpty()) {
            const int icon = button->icon().isNull() ? 0 : button->iconSize().width() + 4;
            const int needs = textWidth(button, button->text()) + icon;
            QStyleOptionButton opt;
            opt.initFrom(button);
            opt.text = button->text();
            opt.icon = button->icon();
            opt.iconSize = button->iconSize();
            if (auto* tool = qobject_cast<QToolButton*>(button)) {
                if (tool->toolButtonStyle() == Qt::ToolButtonIconOnly && !tool->icon().isNull())
                    continue;
                const int frame = style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, tool);
                check(tool, tool->text(), needs + 2 * frame, tool->width());
            } else if (qobject_cast<QCheckBox*>(button))
                check(button, button->text(), needs,
                      style->subElementRect(QStyle::SE_CheckBoxContents, &opt, button).width());
            else if (qobject_cast<QRadioButton*>(button))
                check(button, button->text(), needs,
                      style->subElementRect(QStyle::SE_RadioButtonContents, &opt, button).width());
            else if (qobject_cast<QPushButton*>(button))
                check(button, button->text(), needs,
                      style->subElementRect(QStyle::SE_PushButtonContents, &opt, button).width());
        }
        if (auto* combo = qobject_cast<QComboBox*>(w); combo && !combo->isEditable()) {
            QStyleOptionComboBox opt;
            opt.initFrom(combo);
            opt.frame = combo->hasFrame();
            const int has =
                style->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, combo)
                    .width() -
                2;
            for (int i = 0; i < combo->count(); ++i)
                check(combo, combo->itemText(i),
                      textWidth(combo, combo->itemText(i), 0) +
                          (combo->itemIcon(i).isNull() ? 0 : combo->iconSize().width() + 4),
                      has);
        }
        if (auto* spin = qobject_cast<QAbstractSpinBox*>(w)) {
            const auto* edit = spin->findChild<QLineEdit*>();
            QStringList shown{spin->text()};
            const QString prefix = spin->property("prefix").toString(),
                          suffix = spin->property("suffix").toString();
            if (auto* s = qobject_cast<QSpinBox*>(spin))
                for (int v : {s->minimum(), s->maximum()})
                    shown << prefix + s->locale().toString(v) + suffix;
            if (auto* d = qobject_cast<QDoubleSpinBox*>(spin))
                for (double v : {d->minimum(), d->maximum()})
                    shown << prefix + d->textFromValue(v) + suffix;
            const QMargins margins = edit->textMargins();
            for (const QString& text : shown)
                check(spin, text, textWidth(edit, text, 0) + margins.left() + margins.right() + 4,
                      edit->width());
        }
        if (auto* box = qobject_cast<QGroupBox*>(w); box && !box->title().isEmpty()) {
            QStyleOptionGroupBox opt;
            opt.initFrom(box);
            opt.text = box->title();
            opt.textAlignment = box->alignment();
            opt.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
            opt.lineWidth = 1;
            const QRect label =
                style->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, box);
            check(box, box->title(), label.right() + 1, box->width());
        }
        if (auto* bar = qobject_cast<QTabBar*>(w))
            for (int i = 0; i < bar->count(); ++i) {
                QStyleOptionTab opt;
                opt.initFrom(bar);
                opt.rect = bar->tabRect(i);
                opt.text = bar->tabText(i);
                opt.shape = bar->shape();
                opt.icon = bar->tabIcon(i);
                opt.iconSize = bar->iconSize();
                const QRect text = style->subElementRect(QStyle::SE_TabBarTabText, &opt, bar);
                check(bar, bar->tabText(i), textWidth(bar, bar->tabText(i)), text.width());
                check(bar, bar->tabText(i), bar->tabRect(i).right() + 1, bar->width());
            }
        if (auto* view = qobject_cast<QAbstractItemView*>(w);
            view && view->model() && !qobject_cast<QHeaderView*>(view)) {
            const QAbstractItemModel* model = view->model();
            auto* table = qobject_cast<QTableView*>(view);
            auto* tree = qobject_cast<QTreeView*>(view);
            QHeaderView* header = table ? table->horizontalHeader() : tree ? tree->header() : nullptr;
            const auto columnWidth = [&](int c) {
                return header ? header->sectionSize(c) : view->viewport()->width();
            };
            for (int c = 0; c < model->columnCount(); ++c) {
                if (header && (header->isSectionHidden(c) || !header->isVisible()))
                    continue;
                if (header) {
                    QStyleOptionHeader opt;
                    opt.initFrom(header);
                    opt.section = c;
                    opt.text = model->headerData(c, Qt::Horizontal).toString();
                    opt.fontMetrics = QFontMetrics(header->font());
                    check(header, opt.text,
                          header->style()
                              ->sizeFromContents(QStyle::CT_HeaderSection, &opt, QSize(), header)
                              .width(),
                          columnWidth(c));
                }
            }
            QStyleOptionViewItem opt;
            opt.initFrom(view);
            opt.font = view->font();
            opt.decorationSize = view->iconSize().isValid() ? view->iconSize() : QSize(16, 16);
            for (int r = 0; r < std::min(model->rowCount(), 100); ++r)
                for (int c = 0; c < model->columnCount(); ++c) {
                    const QModelIndex index = model->index(r, c);
                    if (header && header->isSectionHidden(c))
                        continue;
                    const int indent = tree && c == 0 && tree->rootIsDecorated() ? tree->indentation() : 0;
                    check(view, model->data(index).toString(),
                          view->itemDelegateForIndex(index)->sizeHint(opt, index).width() + indent,
                          columnWidth(c));
                }
        }
    }
    return cut;
}

struct LanguageWindowRow {
    const char* window; // its class
    bool show;          // shown first, as the user opens it (the texts its opening sets)
    std::function<QWidget*(ProgramWindowSet&, MainWindowFixture&, std::unique_ptr<QWidget>&)> make;
};

template <class W> auto own() {
    return [](ProgramWindowSet&, MainWindowFixture& f, std::unique_ptr<QWidget>& owned) -> QWidget* {
        if constexpr (std::is_constructible_v<W, SharedState&, MessageBoxes&>)
            owned = std::make_unique<W>(*f.state, f.boxes);
        else
            owned = std::make_unique<W>();
        return owned.get();
    };
}

template <auto Member> auto ofSet() {
    return [](ProgramWindowSet& set, MainWindowFixture&, std::unique_ptr<QWidget>&) -> QWidget* {
        return &(set.*Member);
    };
}

const LanguageWindowRow kWindows[] = {
    {"TForm1", true, ofSet<&ProgramWindowSet::form1>()},
    {"TForm2", false, ofSet<&ProgramWindowSet::form2>()},
    {"TForm4", true, ofSet<&ProgramWindowSet::form4>()},
    {"TForm5", false, ofSet<&ProgramWindowSet::form5>()},
    {"TForm6", false, ofSet<&ProgramWindowSet::form6>()},
    {"TForm7", false, ofSet<&ProgramWindowSet::form7>()},
    {"TForm8", false, ofSet<&ProgramWindowSet::form8>()},
    {"MeasurementsWindow", true, own<MeasurementsWindow>()},
    {"MathWindow", false, own<MathWindow>()},
    {"MarkersWindow", true, own<MarkersWindow>()},
    {"AboutWindow", true, own<AboutWindow>()},
    {"ManualWindow", true, own<ManualWindow>()},
};

// Names the row in the test's output.
void PrintTo(const LanguageWindowRow& row, std::ostream* out) {
    *out << row.window;
}

class LanguageSwitchTest : public ::testing::TestWithParam<LanguageWindowRow> {};

const QRegularExpression kPolishLetter(QStringLiteral("[ąćęłńóśźżĄĆĘŁŃÓŚŹŻ]"));

TEST_P(LanguageSwitchTest, EveryTextSwitchesToEnglishAndBack) {
    const LanguageWindowRow& row = GetParam();
    RestoreTestLanguage restore;
    ASSERT_TRUE(installProgramLanguage(*qApp, Language::Polish));
    MainWindowFixture f;
    ProgramWindowSet& set = f.makeWindowSet();
    set.form1.FormCreate();
    std::unique_ptr<QWidget> owned;
    QWidget* window = row.make(set, f, owned);
    if (row.show)
        window->show();
    const WindowTexts polish = visibleTexts(*window);
    ASSERT_FALSE(polish.empty());

    ASSERT_TRUE(installProgramLanguage(*qApp, Language::English));
    QApplication::processEvents();
    const std::set<QString> translated = translatedSources();
    const WindowTexts english = visibleTexts(*window);
    EXPECT_EQ(english.size(), polish.size());
    for (const auto& [at, text] : english) {
        EXPECT_FALSE(text.contains(kPolishLetter)) << at.toStdString() << ": " << text.toStdString();
        EXPECT_EQ(translated.count(text), 0U) << at.toStdString() << " untranslated: " << text.toStdString();
    }

    ASSERT_TRUE(installProgramLanguage(*qApp, Language::Polish));
    QApplication::processEvents();
    const WindowTexts back = visibleTexts(*window);
    for (const auto& [at, text] : polish)
        EXPECT_EQ(back.count(at) ? back.at(at) : QString(), text) << at.toStdString();
    for (const auto& [at, text] : back)
        EXPECT_EQ(polish.count(at), 1U)
            << "new after the switch: " << at.toStdString() << ": " << text.toStdString();
}

// The texts a window shows after use that it does not show when it opens.
void showTypicalContent(const char* window, QWidget& shown, ProgramWindowSet& set) {
    if (std::string_view(window) == "TForm1") {
        set.form1.showStatusMessage(
            QCoreApplication::translate("varnilog::TForm1", "Brak poprzedniego zdarzenia"));
        auto* trigger = set.form1.findChild<TriggerTab*>();
        trigger->showState(TriggerState::Stopped);
        trigger->showEvents(1234567);
    }
    if (std::string_view(window) == "MarkersWindow") // three marks a few milliseconds apart
        static_cast<MarkersWindow&>(shown).setMarkers({{4401, 4401, MarkerKind::Uwaga, QStringLiteral("a")},
                                                       {4402, 4402, MarkerKind::Strata, QString()},
                                                       {4403, 4403, MarkerKind::Wyzwolenie, QString()}},
                                                      1.0F);
}

TEST_P(LanguageSwitchTest, EveryTextFitsItsWidgetInBothLanguages) {
    const LanguageWindowRow& row = GetParam();
    RestoreTestLanguage restore;
    for (const Language language : {Language::Polish, Language::English}) {
        ASSERT_TRUE(installProgramLanguage(*qApp, language));
        MainWindowFixture f;
        ProgramWindowSet& set = f.makeWindowSet();
        set.form1.FormCreate();
        std::unique_ptr<QWidget> owned;
        QWidget* window = row.make(set, f, owned);
        window->show();
        showTypicalContent(row.window, *window, set);
        QApplication::processEvents();
        std::set<std::string> cut;
        const auto judge = [&] {
            for (const std::string& c : cutTexts(*window))
                cut.insert(c);
        };
        judge();
        for (QTabWidget* tabs : window->findChildren<QTabWidget*>())
            for (int i = 0; i < tabs->count(); ++i) { // every page once
                tabs->setCurrentIndex(i);
                QApplication::processEvents();
                judge();
            }
        for (const std::string& c : cut)
            ADD_FAILURE() << languageCode(language).toStdString() << " " << c;
    }
}

INSTANTIATE_TEST_SUITE_P(Windows, LanguageSwitchTest, ::testing::ValuesIn(kWindows),
                         [](const ::testing::TestParamInfo<LanguageWindowRow>& info) {
                             return info.param.window;
                         });

// lupdate over every source and form of the program into a copy of the translations (all parts merged):
// no text may be missing or unfinished.
TEST(TranslationCompletenessTest, EveryTextOfTheProgramIsTranslated) {
    QTemporaryDir dir;
    const QString merged = dir.filePath(QStringLiteral("merged.ts"));
    QStringList convert{QStringLiteral("-o"), merged};
    convert << translationFiles();
    ASSERT_EQ(QProcess::execute(QStringLiteral(VARNILOG_LCONVERT), convert), 0);
    QStringList update{QStringLiteral("-silent"),
                       QStringLiteral("-locations"),
                       QStringLiteral("none"),
                       QStringLiteral("-no-obsolete"),
                       QStringLiteral("-source-language"),
                       QStringLiteral("pl_PL"),
                       QStringLiteral("-target-language"),
                       QStringLiteral("en_GB"),
                       QStringLiteral("-I"),
                       QStringLiteral(VARNILOG_SOURCE_DIR)};
    for (const char* folder : {"app", "device", "recording", "view", "spectrum", "analysis", "windows"}) {
        QDirIterator it(QStringLiteral(VARNILOG_SOURCE_DIR "/") + folder,
                        {QStringLiteral("*.cpp"), QStringLiteral("*.h"), QStringLiteral("*.ui")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            update << it.next();
    }
    update << QStringLiteral("-ts") << merged;
    ASSERT_EQ(QProcess::execute(QStringLiteral(VARNILOG_LUPDATE), update), 0);
    for (const TsMessage& m : readTs(merged))
        if (!m.finished)
            ADD_FAILURE() << "not translated: " << m.context.toStdString() << " \"" << m.source.toStdString()
                          << "\"";
}

} // namespace
