#include "recording/InterchangeFormats.h"
#include "view/SampleCodes.h"
#include "view/ScaleTables.h"

#include <QBuffer>

#include <gtest/gtest.h>

#include <set>

using namespace varnilog;

// Every row of the format table: exported through its exporter, read back through its reader where
// it has one (the same codes or volts, channels and rate), and found again by its name and extension
// in the lists the CLI and the dialogs take from it.
TEST(InterchangeFormatTableTest, EveryFormatRoundTripsAndIsNamedOnce) {
    const QByteArray a("\x7d\x96\x64", 3), b("\x7e\x7d\x7c", 3);
    std::set<QString> names;
    for (const InterchangeFormat& format : interchangeFormats()) {
        const QString name = QLatin1String(format.name);
        SCOPED_TRACE(name.toStdString());
        EXPECT_TRUE(names.insert(name).second);
        EXPECT_EQ(&interchangeFormat(format.id), &format);
        EXPECT_EQ(interchangeFormatFromName(QStringLiteral("dir.x/out.") + name.toUpper()), &format);
        EXPECT_EQ(interchangeFormatFromName(name, false), &format);
        EXPECT_EQ(interchangeFormatFromName(QStringLiteral("in.") + name, true, true),
                  format.reader != nullptr ? &format : nullptr);
        EXPECT_TRUE(QString::fromUtf8(format.filter).endsWith(QStringLiteral("(*.%1)").arg(name)));
        EXPECT_EQ(importPatterns().split(QLatin1Char(' ')).contains(QStringLiteral("*.") + name),
                  format.reader != nullptr);

        QByteArray fa = a, fb = b, bytes;
        QBuffer inA(&fa), inB(&fb), out(&bytes);
        inA.open(QIODevice::ReadOnly);
        inB.open(QIODevice::ReadOnly);
        out.open(QIODevice::ReadWrite);
        InterchangeRequest request;
        request.source.sampleFiles = {&inA, &inB, nullptr, nullptr};
        request.source.channelCount = 2;
        request.source.sampleCount = 3;
        request.source.channelSensitivity = {4, 10, 1, 1};
        request.source.samplingPeriodMs = 1.0f;
        request.from = 1;
        request.to = 3;
        const InterchangeResult result = format.exporter(request, out, {});
        ASSERT_TRUE(result.ok) << result.error.reason.toStdString();
        ASSERT_FALSE(bytes.isEmpty());
        if (format.reader == nullptr)
            continue;
        out.seek(0);
        auto reader = format.reader(out);
        QString error;
        ASSERT_TRUE(reader->open(error)) << error.toStdString();
        ASSERT_EQ(reader->info().channels, 2);
        EXPECT_NEAR(reader->info().sampleRateHz, 1000.0, 1e-6);
        std::array<double, 8> values{};
        const std::array<double*, kChannels> rows{values.data(), values.data() + 4, nullptr, nullptr};
        ASSERT_EQ(reader->read(rows, 4, error), 2) << error.toStdString();
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < 2; ++i) {
                const auto code = static_cast<std::uint8_t>((c == 0 ? a : b)[i + 1]);
                EXPECT_NEAR(rows[c][i], reader->info().codes ? code : codeVolts(code, c == 0 ? 4 : 10), 1e-6)
                    << c << i;
            }
    }
    // The lists the help texts and refusals name, in the order they always had.
    const QString sep = QStringLiteral(", ");
    EXPECT_EQ(interchangeFormatNames(false, sep, sep), QStringLiteral("txt, csv, wav, sr"));
    EXPECT_EQ(interchangeFormatNames(true, sep, QStringLiteral(" or ")), QStringLiteral("wav, sr or csv"));
    EXPECT_EQ(interchangeFormatNames(false, sep, QStringLiteral(" and "), &InterchangeFormat::channelChoice),
              QStringLiteral("csv, wav and sr"));
    EXPECT_EQ(interchangeFormatNames(false, sep, sep, &InterchangeFormat::labels), QStringLiteral("wav"));
    EXPECT_EQ(importPatterns(), QStringLiteral("*.wav *.sr *.csv"));
    EXPECT_EQ(interchangeFormatFromName(QStringLiteral("x.flac")), nullptr);
}
