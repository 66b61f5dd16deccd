// Channel math: a derived channel C or D computed from A and B (sum, differences, inversions,
// a moving average) and written into the recording's own ".rcc"/".rcd", so that every reader treats
// it as a channel like any other. The sample files are streamed in blocks through handles of this
// module's own; the result goes to a temporary file that replaces the target only when complete, and
// the ".ros" keys change only after that, so a cancel or a failure leaves the set as it was. The
// window and the command line call the same functions. Depends on QtCore, the recording module's
// file names, keys and FileWriter, and the scale tables.
#pragma once

#include "app/SharedState.h"
#include "app/WorkProgress.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

namespace varnilog {

class FileWriter;

enum class OperationKind { Sum, AMinusB, BMinusA, NegateA, NegateB, AverageA, AverageB };

inline constexpr int kMinAverageWindow = 2;     // samples
inline constexpr int kMaxAverageWindow = 10000; // samples

struct Operation {
    OperationKind kind = OperationKind::AMinusB;
    int window = kMinAverageWindow; // samples of the moving average (averages only)

    bool needsA() const;
    bool needsB() const;
    bool isAverage() const { return kind == OperationKind::AverageA || kind == OperationKind::AverageB; }
    bool operator==(const Operation&) const = default;
};

// "A+B", "A-B", "B-A", "-A", "-B", "avg(A,N)", "avg(B,N)" (blanks and case ignored; the key's own
// "SREDNIA(A,N)" is taken too); empty when the text is none of them or N is outside 2..10000.
std::optional<Operation> parseOperation(const QString& text);
// The text of the OPERACJAC/OPERACJAD key: "A-B", "SREDNIA(A,16)".
QString operationKeyText(const Operation& op);

// The arithmetic every program must share: codes and volts both ways in view/SampleCodes.h.
// The moving average's value: the sum of (code - 125) over the window, x V/div x 0.04, / count.
double averageVolts(std::int64_t sumOfCodeSteps, int count, int sensitivity);

// The value of sample k of a single-sample operation (everything but the averages).
double operationVolts(OperationKind kind, std::uint8_t a, std::uint8_t b, int sensitivityA, int sensitivityB);

struct OperationRequest {
    QString rosPath;
    Operation op;
    int target = 2;      // 2 = C, 3 = D
    int sensitivity = 0; // index 1..10 of the target; 0 = the most sensitive that does not clip
    std::array<std::uint8_t, 2> sourceSensitivity{1, 1}; // A, B
    bool replaceRecorded = false;                        // the target may hold recorded data
    // Samples read at once: a block of the result is one write large enough to go past the safe
    // writer's own buffer, straight to the file.
    std::int64_t blockSamples = 1 << 20;
    FileWriter* writer = nullptr; // nullptr: the disk
    QString keyText;              // the OPERACJAC/OPERACJAD key; empty: operationKeyText(op)
};

// The request for the recording on display (its ".ros" and the sensitivities it was loaded with).
OperationRequest operationRequestFor(const SharedState& state, const Operation& op, int target,
                                     int sensitivity);

enum class OperationFailure {
    None,
    Cancelled,
    NoSamples,      // no ".rca", or an empty one
    NoChannelB,     // the operation needs ".rcb"
    RecordedTarget, // the target holds recorded data and replacing it was not allowed
    NoChannel,      // nothing to remove
    ReadFailed,     // detail: "<file>: <reason>"
    WriteFailed,    // detail: "<file>: <reason>"
    SetBusy,        // another program is changing the recording
};

struct OperationResult {
    OperationFailure failure = OperationFailure::None;
    QString detail;
    std::uint8_t sensitivity = 0; // the target's index used
    std::int64_t samples = 0;     // written per channel
    QString operation;            // the key text
    bool ok() const { return failure == OperationFailure::None; }
};

// Samples read so far (with those read to find the sensitivity) and the total; false stops.
// Called on the calling thread.
using OperationProgress = WorkProgress;

OperationResult computeDerivedChannel(const OperationRequest& request,
                                      const OperationProgress& progress = {});

// The channel's sample file exists and its keys do not say it was computed here.
bool holdsRecordedData(const QString& rosPath, int channel);

// Deletes ".rcc"/".rcd" of the set and its keys, lowering ILOSCKANALOW. Recorded data goes only with
// allowRecorded. A failure leaves the set as it was.
OperationResult removeDerivedChannel(const QString& rosPath, int channel, bool allowRecorded);

} // namespace varnilog
