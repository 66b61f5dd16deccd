// The program-wide shared state: every value the main window, the acquisition, the drawing and the
// secondary windows share, under one name each. One instance is owned by main() and passed by
// reference; nothing here is global. Depends on QtCore value types and the board's codes only: the
// window's bitmaps are the view's (view/ViewBuffers.h), so a program that draws nothing needs no Qt GUI.
#pragma once

#include "app/Language.h"
#include "device/BoardCodes.h"

#include <QFile>
#include <QString>

#include <array>
#include <cstdint>

namespace varnilog {

inline constexpr int kChannels = 4;                 // A, B, C, D
inline constexpr int kChannelDataCapacity = 204800; // samples per channelData row
inline constexpr int kDisplayColumns = 500;
inline constexpr int kDisplayRows = 250;
inline constexpr int kBitmapWidth = 2 * kDisplayColumns; // bmpBackground and bmpWave: double resolution
inline constexpr int kBitmapHeight = 2 * kDisplayRows;
inline constexpr int kReadBufferSize = 1000; // bytes per channel of one read from a sample file
inline constexpr std::uint32_t kBaudRate = 921600;

struct SharedState {
    // Recording and channel settings.
    std::uint8_t timeBaseIndex = 15;                                    // 1..maxTimeBaseIndex
    std::array<std::uint8_t, kChannels> channelSensitivity{1, 1, 1, 1}; // 1 = 10 V/div .. 10 = 10 mV/div
    std::array<std::uint8_t, kChannels> channelMode{0, 0, 0, 0};        // ChannelMode
    std::array<std::uint8_t, kChannels> channelOffset{100, 100, 100, 100};
    std::array<std::uint8_t, kChannels> channelZeroOffset{100, 100, 100, 100};
    std::uint8_t channelCount = 2;
    std::array<bool, kChannels> channelVisible{true, true, false, false};
    // C and D computed from A and B by channel math: they have no coupling of their own.
    std::array<bool, kChannels> channelDerived{false, false, false, false};
    std::uint8_t selectedChannel = 0;
    std::uint8_t cursor1Channel = 0;
    std::uint8_t cursor2Channel = 0;
    bool cursorsActive = false;
    std::int32_t zoomDivisor = 1;  // samples per display column
    std::int64_t sampleCount = 0;  // samples per channel of the recording on display
    float samplingPeriodMs = 0.0f; // ms between two samples at timeBaseIndex

    // Device model.
    std::uint8_t deviceModel = 1; // 1 = KZ100 .. 4 = KZ400
    QString modelName;
    std::uint8_t maxTimeBaseIndex = 14;
    std::uint8_t minSensitivityIndex = 1;
    std::uint8_t maxSensitivityIndex = 10;
    float referenceVoltage = 2.7f; // V
    static constexpr std::uint8_t maxModelNumber = kMaxModelNumber;

    // Serial link and acquisition.
    QString comPortName = QStringLiteral("COM5"); // "COM1" once the configuration is read
    static constexpr std::uint32_t baudRate = kBaudRate;
    bool portOpen = false;
    bool samplingActive = false;
    bool handshakeOk = false;
    std::uint8_t retryCount = 0; // identification attempts left

    // Sample memory and display.
    std::array<std::array<std::uint8_t, kChannelDataCapacity>, kChannels> channelData{};
    std::int64_t viewStart = 0; // samples: first sample of the view
    // What only the view reads and draws with (the window's three bitmaps, the smallest sample per
    // column, its staging block, the label masks) is the view's own: view/ViewBuffers.h.

    // The recording on display: its sample files (.rca .. .rcd) held open read-only by the loader,
    // and the staging buffer of every read from them.
    std::array<QFile, kChannels> sampleFile;
    std::array<std::array<std::uint8_t, kReadBufferSize>, kChannels> readBuffer{};
    // Their min/max summaries (".rsa" .. ".rsd"), opened read-only with them when present. The view
    // checks each against its sample file before every use; a missing or stale one is not used.
    std::array<QFile, kChannels> summaryFile;

    // Cursors and selection (display columns / samples counted from viewStart).
    std::int32_t selectionStart = 0;
    std::int32_t selectionEnd = 100;
    // The user dragged the selection and its highlight is still on the screen: only then do the
    // export, "Dodaj zakres" and the measurement spans take it ("Pokaż zaznaczenie" always does).
    bool selectionShown = false;
    std::array<std::int32_t, 2> cursorColumn{0, 0}; // display columns of cursor 1 and cursor 2

    // Files, folders, colours (colours are 0x00BBGGRR).
    QString dataDir;
    QString recordingPath = QStringLiteral("test.osr");
    bool openAccepted = false;
    std::array<std::int32_t, kChannels> channelColor{0x44EEEE, 0x44EE44, 0x0000AA, 0x00FFAA};
    std::int32_t backgroundColor1 = 0;
    std::int32_t backgroundColor2 = 0x333333;
    bool gradientOn = false;
    Language language = Language::Polish; // of every window; --lang overrides the configured one

    // Managing recordings (browser and rename window).
    QString renameTarget; // new name confirmed in the rename window; empty = nothing to rename
};

} // namespace varnilog
