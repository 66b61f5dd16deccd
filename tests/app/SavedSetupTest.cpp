#include "app/SavedSetup.h"
#include "recording/ProfileFile.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace varnilog;

namespace {

// Every field away from its default, so a field the codec forgets shows.
SavedSetup unusualSetup() {
    SavedSetup s;
    s.timeBaseIndex = 7;
    s.sensitivity = {3, 9, 5, 2};
    s.coupling = {2, 1, 0, 2};
    s.offset = {0, 254, 77, 131};
    s.visible = {false, true, true, true};
    s.triggerMode = TriggerMode::Single;
    s.trigger = {1, TriggerEdge::Falling, -0.125, 0.35, WidthCondition::Above, 42, 1000};
    s.preTriggerPercent = 80;
    s.measurementSpan = SpanChoice::Cursors;
    return s;
}

} // namespace

TEST(SavedSetupTest, FileRoundTripKeepsEverySettingAndReplacesWhatWasThere) {
    QTemporaryDir dir;
    const QString path = dir.filePath("a.ini");
    test::writeFile(path, "[OTHER]\nKEY=1\n");
    CoreError error;
    ASSERT_TRUE(saveSetupFile(path, unusualSetup(), error)) << error.reason.toStdString();
    EXPECT_FALSE(ProfileFile(path).hasKey("OTHER", "KEY"));
    SavedSetup back;
    ASSERT_TRUE(loadSetupFile(path, back, error));
    EXPECT_EQ(back, unusualSetup());
}

TEST(SavedSetupTest, BadValuesKeepTheBaseAndBadFilesSayWhy) {
    QTemporaryDir dir;
    const QString path = dir.filePath("a.ini");
    test::writeFile(path, "[NASTAWY]\nPODSTAWA=23\nCZULOSCA=0\nCZULOSCB=4\nSPRZEZENIEC=3\nOFFSETD=255\n"
                          "WIDOCZNYA=2\nWYZWALANIE=4\nWARUNEK=E,rising,1\nPRZEDWYZWOLENIE=101\n"
                          "ZAKRESPOMIAROW=x\n");
    const SavedSetup base = unusualSetup();
    SavedSetup s = base;
    CoreError error;
    ASSERT_TRUE(loadSetupFile(path, s, error));
    SavedSetup expected = base;
    expected.sensitivity[1] = 4; // the one valid value
    EXPECT_EQ(s, expected);

    const struct {
        const char* name;
        const char* text; // null: no file
        CoreErrorKind kind;
    } rows[] = {{"missing.ini", nullptr, CoreErrorKind::CannotOpenFile},
                {"config.ini", "[CONFIG]\nUKLAD=2\n", CoreErrorKind::NoSetup}};
    for (const auto& row : rows) {
        const QString p = dir.filePath(row.name);
        if (row.text)
            test::writeFile(p, row.text);
        SavedSetup untouched = base;
        EXPECT_FALSE(loadSetupFile(p, untouched, error)) << row.name;
        EXPECT_EQ(error.kind, row.kind) << row.name;
        EXPECT_EQ(untouched, base) << row.name;
    }
}
