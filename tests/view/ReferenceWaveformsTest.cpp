// The reference waveforms: kept in the configuration file and read back whole, rescaled to a new
// V/div by hand-worked codes, and drawn where their codes put them.
#include "view/ReferenceWaveforms.h"

#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace varnilog;

TEST(ReferenceWaveformsTest, ConfigurationKeepsEverySlot) {
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("v.ini"));
    test::writeFile(ini, "[CONFIG]\nUKLAD=2\n");
    ReferenceSet set;
    set[1].stored = true;
    set[1].channel = 3;
    set[1].sensitivity = 7;
    set[1].shown = false;
    for (int k = 0; k < kDisplayColumns; ++k) {
        set[1].hi[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(k);
        set[1].lo[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(255 - k % 256);
    }
    set[3] = set[1];
    set[3].channel = 0;
    set[3].name = QStringLiteral("Wzór 1 kHz");
    ASSERT_TRUE(writeReferences(set, ini));
    EXPECT_EQ(readReferences(ini), set);
    EXPECT_EQ(referenceName(set, 3), QStringLiteral("Wzór 1 kHz"));
    EXPECT_EQ(referenceName(set, 1), QStringLiteral("R2")); // never renamed
    set[3] = ReferenceWaveform{};                           // emptied: its keys go
    ASSERT_TRUE(writeReferences(set, ini));
    EXPECT_EQ(readReferences(ini), set);
    EXPECT_FALSE(test::readFile(ini).contains("R4"));
    EXPECT_TRUE(test::readFile(ini).contains("UKLAD=2")); // the rest of the file stays
}

TEST(ReferenceWaveformsTest, RescaledToTheChannelsVdivAndDrawn) {
    // Sensitivity 4 is 1 V/div (0.04 V a code), 5 is 0.5 V/div, 3 is 2 V/div.
    const struct {
        std::uint8_t code, recorded, now;
        int expected;
    } codes[] = {{150, 4, 4, 150},  {150, 4, 5, 175}, {150, 4, 3, 138},
                 {125, 1, 10, 125}, {255, 4, 5, 256}, {0, 4, 5, -1}};
    for (const auto& c : codes)
        EXPECT_EQ(referenceCode(c.code, c.recorded, c.now), c.expected) << int(c.code) << " " << int(c.now);
    ReferenceSet set;
    set[0].stored = true;
    set[0].sensitivity = 4;
    set[0].hi.fill(150);
    set[0].lo.fill(150);
    set[0].hi[10] = set[0].lo[10] = 100;
    QImage screen(kDisplayColumns, kDisplayRows, QImage::Format_RGB32);
    screen.fill(Qt::black);
    drawReferences(screen, set, {5, 4, 4, 4}); // A now at 0.5 V/div
    const QRgb white = qRgb(255, 255, 255);
    EXPECT_EQ(screen.pixel(0, 250 - 175), white);
    EXPECT_EQ(screen.pixel(0, 250 - 150), qRgb(0, 0, 0));
    EXPECT_EQ(screen.pixel(10, 250 - 75), white);  // 100 is -1 V: code 75 now
    EXPECT_EQ(screen.pixel(10, 250 - 120), white); // the step down from 175 runs through column 10
    EXPECT_EQ(screen.pixel(12, 250 - 120), qRgb(0, 0, 0));
    set[0].shown = false;
    screen.fill(Qt::black);
    drawReferences(screen, set, {5, 4, 4, 4});
    EXPECT_EQ(screen.pixel(0, 250 - 175), qRgb(0, 0, 0));
}
