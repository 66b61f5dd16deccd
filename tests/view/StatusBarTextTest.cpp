#include "view/StatusBarText.h"

#include <gtest/gtest.h>

#include <memory>

using namespace varnilog;

TEST(StatusBarTextTest, SamplingPeriodOfEveryTimeBase) {
    struct Row {
        float ms;
        const char* text;
    } rows[] = {
        {1000.0f, "1s"},    {500.0f, "0.5s"},   {200.0f, "0.2s"},  {100.0f, "0.1s"}, {50.0f, "50ms"},
        {20.0f, "20ms"},    {10.0f, "10ms"},    {5.0f, "5ms"},     {2.0f, "2ms"},    {1.0f, "1ms"},
        {0.5f, "0.5ms"},    {0.2f, "0.2ms"},    {0.1f, "0.1ms"},   {0.05f, "50us"},  {0.02f, "20us"},
        {0.01f, "10us"},    {0.005f, "5us"},    {0.002f, "2us"},   {0.001f, "1us"},  {0.0005f, "0.5us"},
        {0.0002f, "0.2us"}, {0.0001f, "0.1us"}, {0.00004f, "0us"}, // below the 0.1 us resolution
    };
    const QLocale c(QLocale::C);
    for (const Row& r : rows) {
        EXPECT_EQ(samplingPeriodText(r.ms, c).toStdString(), r.text) << r.ms;
    }
    const QLocale polish(QLocale::Polish, QLocale::Poland);
    EXPECT_EQ(samplingPeriodText(0.5f, polish), QStringLiteral("0,5ms"));
    EXPECT_EQ(samplingPeriodText(200.0f, polish), QStringLiteral("0,2s"));
    EXPECT_EQ(samplingPeriodText(50.0f, polish), QStringLiteral("50ms"));
}

TEST(StatusBarTextTest, Panels) {
    auto s = std::make_unique<SharedState>();
    s->channelSensitivity = {9, 1, 5, 10};
    s->channelMode = {0, 1, 2, 0};
    s->samplingPeriodMs = 0.05f;
    s->modelName = QStringLiteral("KZ300");
    s->comPortName = QStringLiteral("ttyUSB0");
    const auto texts = statusBarTexts(*s, QLocale(QLocale::C));
    const char* expected[] = {"A:", "20mV", "AC",   "B:", "10V",  "GND",   "C:",     "0.5V",
                              "DC", "D:",   "10mV", "AC", "50us", "KZ300", "ttyUSB0"};
    for (int i = 0; i < 15; ++i) {
        EXPECT_EQ(texts[i].toStdString(), expected[i]) << "panel " << i;
    }
    EXPECT_TRUE(texts[15].isNull());
    EXPECT_TRUE(texts[16].isNull()); // the message panel is left alone

    s->channelSensitivity = {0, 200, 4, 4}; // damaged values never index past the labels
    s->channelMode = {3, 2, 2, 2};
    const auto damaged = statusBarTexts(*s, QLocale(QLocale::C));
    EXPECT_EQ(damaged[1], QStringLiteral("10V"));
    EXPECT_EQ(damaged[4], QStringLiteral("10mV"));
    EXPECT_EQ(damaged[2], QStringLiteral(""));
}
