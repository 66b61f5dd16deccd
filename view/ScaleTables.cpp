#include "view/ScaleTables.h"

namespace varnilog {

namespace {

// Builds the label texts once by their rule: volts for rows 1..7 (whole numbers for 1..4, one
// decimal for 5..7), whole millivolts for rows 8..10, a minus sign and no plus sign.
std::array<std::array<QString, 11>, kSensitivityCount + 1> buildVoltLabels() {
    // Volts per division times ten (rows 1..7) or millivolts per division (rows 8..10), as integers
    // so the labels are exact.
    static constexpr int stepTenthsOfVolt[8] = {0, 100, 50, 20, 10, 5, 2, 1};
    static constexpr int stepMillivolts[11] = {0, 0, 0, 0, 0, 0, 0, 0, 50, 20, 10};
    std::array<std::array<QString, 11>, kSensitivityCount + 1> t;
    for (int row = 1; row <= kSensitivityCount; ++row) {
        for (int c = 0; c <= 10; ++c) {
            const int div = c - 5;
            QString text;
            if (row <= 4) {
                text = QString::number(div * stepTenthsOfVolt[row] / 10) + QLatin1String("V");
            } else if (row <= 7) {
                const int tenths = div * stepTenthsOfVolt[row];
                const int a = tenths < 0 ? -tenths : tenths;
                text = QLatin1String(tenths < 0 ? "-" : "") + QString::number(a / 10) + QLatin1Char('.') +
                       QString::number(a % 10) + QLatin1String("V");
            } else {
                text = QString::number(div * stepMillivolts[row]) + QLatin1String("mV");
            }
            t[static_cast<size_t>(row)][static_cast<size_t>(c)] = text;
        }
    }
    return t;
}

const std::array<std::array<QString, 11>, kSensitivityCount + 1>& voltLabels() {
    static const auto table = buildVoltLabels();
    return table;
}

constexpr std::array<QPoint, kTimeBaseCount + 1> kTimeBaseIndicators{
    QPoint{0, 0}, {86, 104}, {90, 99}, {94, 92},  {96, 87},  {96, 79},  {94, 74}, {90, 67},
    {86, 62},     {80, 57},  {69, 55}, {58, 57},  {52, 62},  {48, 67},  {44, 74}, {42, 79},
    {42, 87},     {44, 92},  {48, 99}, {52, 104}, {58, 109}, {69, 111}, {80, 109}};

constexpr std::array<QPoint, kSensitivityCount + 1> kSensitivityIndicators{
    QPoint{0, 0}, {44, 76}, {40, 68}, {40, 61}, {44, 53}, {52, 46},
    {67, 46},     {75, 53}, {79, 61}, {79, 68}, {75, 76}};

} // namespace

const QString& voltLabel(int row, int column) {
    return voltLabels()[static_cast<size_t>(row)][static_cast<size_t>(column)];
}

const QString& timeBaseCaption(int index) {
    static const std::array<QString, kTimeBaseCount + 1> captions{QString(),
                                                                  QStringLiteral("1s"),
                                                                  QStringLiteral("0.5s"),
                                                                  QStringLiteral("0.2s"),
                                                                  QStringLiteral("0.1s"),
                                                                  QStringLiteral("50ms"),
                                                                  QStringLiteral("20ms"),
                                                                  QStringLiteral("10ms"),
                                                                  QStringLiteral("5ms"),
                                                                  QStringLiteral("2ms"),
                                                                  QStringLiteral("1ms"),
                                                                  QStringLiteral("0.5ms"),
                                                                  QStringLiteral("0.2ms"),
                                                                  QStringLiteral("0.1ms"),
                                                                  QStringLiteral("50us"),
                                                                  QStringLiteral("20us"),
                                                                  QStringLiteral("10us"),
                                                                  QStringLiteral("5us"),
                                                                  QStringLiteral("2us"),
                                                                  QStringLiteral("1us"),
                                                                  QStringLiteral("0.5us"),
                                                                  QStringLiteral("0.2us"),
                                                                  QStringLiteral("0.1us")};
    return captions[static_cast<size_t>(index)];
}

QPoint timeBaseIndicatorPosition(int timeBaseIndex) {
    const QPoint p = kTimeBaseIndicators[static_cast<size_t>(timeBaseIndex)];
    return {p.x() + 40, p.y()};
}

QPoint sensitivityIndicatorPosition(int sensitivityIndex) {
    return kSensitivityIndicators[static_cast<size_t>(sensitivityIndex)];
}

} // namespace varnilog
