// What went wrong in the core, as a kind and the values its text needs: the core returns it, the
// window and the command line word it (app/CoreMessages.h), so both say the same. Depends on QtCore.
#pragma once

#include <QString>

#include <cstdint>

namespace varnilog {

enum class CoreErrorKind : std::uint8_t {
    None,
    Reason,            // reason: already worded (the system's, Qt's or a front's own text)
    PathReason,        // path: reason
    SetBusy,           // another program changes the set
    LoadFailed,        // a recording that cannot be shown
    MarkerInvalid,     // path; first, second: the marker's ends
    MarkersTooLarge,   // path; first: the limit in MiB
    MarkersUnreadable, // path; first: lines that cannot be read
    WriteFailed,       // reason (empty when the device gave none)
    SampleReadFailed,  // other: the channel's letter; reason
    NoChannels,        // nothing chosen to write
    MoveFailed,        // path moved to other failed; reason
    InvalidName,       // an empty new name
    RecordingMissing,  // path: the set's file name
    FileExists,        // path
    OutputIsRecording, // path belongs to the set other
    CannotOpenFile,    // path
    NotRegularFile,    // path: a device, a pipe or a socket
    NotImportable,     // path: no format the import reads
    NoSampleRate,      // path: the input gives a rate of 0 Hz (or none)
    NoTimeBase,        // path; other: its rate as text; first, second: the nearest time bases (0: none)
    NoSamples,         // path
    RecordingExists,   // path: a recording of that name exists
    Cancelled,         // the user cancelled the work
    // A formula's faults: first is the position (characters from 1), other the name in question.
    FormulaUnknownName,     // other: the name
    FormulaUnknownFunction, // other: the function
    FormulaArguments,       // other: the function (wrong number of arguments)
    FormulaNotChannel,      // other: the filter whose first argument is no channel name
    FormulaNotConstant,     // other: the filter whose further argument is no constant
    FormulaTargetChannel,   // other: the channel written itself
    FormulaNoSamples,       // other: a channel without a sample file
    FormulaRange,           // other: the filter; reason: the range ("2..10000")
    FormulaUnexpected,      // other: what stands there
    FormulaEnd,             // the expression ends too soon
    FormulaParenthesis,     // a ")" is missing
    NoSetup,                // path: a file that holds no saved setup
    DecodeResultsDamaged,   // path; first: the byte where it cannot be read
    DecodeResultsTooLarge,  // path; first: the limit in MiB
    DecodeSamplesChanged,   // path: a sample file that changed since it was decoded
};

struct CoreError {
    CoreErrorKind kind = CoreErrorKind::None;
    QString path;
    QString other;
    QString reason;
    std::int64_t first = 0;
    std::int64_t second = 0;
    QString within; // "outer: inner: " names the text is said of, outermost first

    bool failed() const { return kind != CoreErrorKind::None; }
    // An error already worded elsewhere; none when text is empty.
    static CoreError worded(const QString& text) {
        CoreError e;
        if (!text.isEmpty()) {
            e.kind = CoreErrorKind::Reason;
            e.reason = text;
        }
        return e;
    }
    // The same error said of name ("name: text").
    CoreError& at(const QString& name) {
        within.prepend(name + QStringLiteral(": "));
        return *this;
    }
    static CoreError of(CoreErrorKind kind) {
        CoreError e;
        e.kind = kind;
        return e;
    }
};

} // namespace varnilog
