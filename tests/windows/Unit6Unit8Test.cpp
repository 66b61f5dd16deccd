#include "windows/Unit6.h"
#include "windows/Unit8.h"

#include "WindowTestSupport.h"
#include "support/RecordingMessageBoxes.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <memory>

using namespace varnilog;
using namespace varnilog::test;

TEST(Unit8Test, RenameTargetOnlyWhenConfirmed) {
    struct Row {
        const char* name;
        bool confirm;
        const char* target;
    } rows[] = {
        {"Potwierdź takes the typed text", true, "nowa.ros"},
        {"close box leaves it empty, even after editing", false, ""},
    };
    for (const Row& r : rows) {
        auto state = std::make_unique<SharedState>();
        state->renameTarget = "stale";
        RecordingMessageBoxes boxes;
        TForm8 form(*state, boxes);
        EXPECT_EQ(form.windowTitle(), "Zmiana nazwy");
        EXPECT_EQ(form.size(), QSize(315, 47));
        EXPECT_EQ(child<QGroupBox>(form, "GroupBox1")->title(), "Nowa nazwa");
        form.setEditText("stara.ros");
        form.show();
        EXPECT_TRUE(state->renameTarget.isEmpty()) << r.name; // cleared on showing
        EXPECT_EQ(child<QLineEdit>(form, "Edit1")->text(), "stara.ros");
        child<QLineEdit>(form, "Edit1")->setText("nowa.ros");
        if (r.confirm)
            child<QPushButton>(form, "SpeedButton1")->click();
        else
            form.close();
        EXPECT_FALSE(form.isVisible()) << r.name;
        EXPECT_EQ(state->renameTarget.toStdString(), r.target) << r.name;
    }
}

TEST(Unit6Test, DescriptionOfTheNamedRecording) {
    QTemporaryDir dir;
    auto state = std::make_unique<SharedState>();
    state->dataDir = dir.path();
    RecordingMessageBoxes boxes;
    TForm6 form(*state, boxes);
    EXPECT_EQ(form.windowTitle(), "Opis");
    EXPECT_EQ(form.size(), QSize(234, 238));
    EXPECT_FALSE(form.isModal());
    auto* memo = child<QPlainTextEdit>(form, "Memo1");
    QString name = "...";
    form.setFileNameSource([&] { return name; });

    writeFile(dir.filePath("2024-03-07 14.05.09.roc"), "Opis\r\nnagrania\r\n");
    struct Row {
        const char* name;
        const char* baseName; // the text of edFilename at showing
        const char* typed;    // memo text to save, nullptr = show only
        const char* renamed;  // edFilename changed before saving, nullptr = same
        const char* shown;
        const char* file;
        const char* bytes;
    } rows[] = {
        {"before any recording: four dots", "...", "a", nullptr, "", "....roc", "a\r\n"},
        {"existing description is loaded", "2024-03-07 14.05.09", nullptr, nullptr, "Opis\nnagrania",
         "2024-03-07 14.05.09.roc", "Opis\r\nnagrania\r\n"},
        {"saved under the name typed into edFilename", "2024-03-07 14.05.09", "inny", "reczna",
         "Opis\nnagrania", "reczna.roc", "inny\r\n"},
        {"missing description shows an empty memo", "brak", nullptr, nullptr, "", "brak.roc", "<missing>"},
    };
    for (const Row& r : rows) {
        name = r.baseName;
        form.show();
        EXPECT_EQ(memo->toPlainText().toStdString(), r.shown) << r.name;
        if (r.typed != nullptr) {
            memo->setPlainText(r.typed);
            if (r.renamed != nullptr)
                name = r.renamed;
            child<QPushButton>(form, "SpeedButton1")->click();
        }
        EXPECT_EQ(readFile(dir.filePath(r.file)).toStdString(), r.bytes) << r.name;
        form.hide();
    }
    // A folder that cannot take the file is reported.
    state->dataDir = dir.filePath("missing/folder");
    form.show();
    memo->setPlainText("x");
    child<QPushButton>(form, "SpeedButton1")->click();
    EXPECT_EQ(boxes.errors().size(), 1);
    form.hide();
}
