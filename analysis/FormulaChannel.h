// A formula channel: a derived channel C or D whose samples an expression of the other channels
// gives (analysis/Formula.h), written into the recording as the channel math writes its operations:
// under the set's lock, samples first at a pending name, the header's keys last, so that a cancel, a
// failure or a kill leaves the set as it was. The ".ros" key holds the expression as written.
// Depends on QtCore, the recording module and muparser.
#pragma once

#include "analysis/ChannelMath.h"
#include "analysis/Formula.h"

namespace varnilog {

struct FormulaRequest {
    QString rosPath;
    QString expression;
    int target = 2;      // 2 = C, 3 = D
    int sensitivity = 0; // index 1..10 of the target; 0 = the most sensitive that does not clip
    std::array<std::uint8_t, kFormulaChannels> sourceSensitivity{1, 1, 1, 1};
    double periodSeconds = 1e-3;
    bool replaceRecorded = false;
    std::int64_t blockSamples = 1 << 20; // samples read and written at once
    FileWriter* writer = nullptr;        // nullptr: the disk
};

struct FormulaResult {
    OperationResult result;     // the files' side (result.operation: the key text)
    CoreError formula;          // the expression's fault, given the set's channels
    std::int64_t nonFinite = 0; // values that were not finite, stored as the zero line
    bool ok() const { return result.ok() && !formula.failed(); }
};

// The request for the recording on display (its ".ros", sensitivities and period).
FormulaRequest formulaRequestFor(const SharedState& state, const QString& expression, int target,
                                 int sensitivity);

// The context an expression is checked in for the recording on display (for a check while typing).
FormulaContext formulaContextFor(const SharedState& state, int target);

FormulaResult computeFormulaChannel(const FormulaRequest& request, const OperationProgress& progress = {});

// What the channel would hold over samples [from, from + count) of the recording, at the request's
// sensitivity (Auto: the most sensitive that holds these samples), read with the filters from the
// first sample on; the set is not changed. Empty with error set on a fault of the expression or a read,
// or when progress says stop (error Cancelled).
std::vector<std::uint8_t> formulaPreview(const FormulaRequest& request, std::int64_t from, std::int64_t count,
                                         CoreError& error, const OperationProgress& progress = {});

} // namespace varnilog
