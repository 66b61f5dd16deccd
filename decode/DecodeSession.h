// One run of a stack of protocol decoders over logic samples: the bottom decoder reads the logic
// (bit i of each byte is logic channel i), each one above reads the output of the one below. Samples
// arrive in chunks with their absolute sample numbers, so a caller feeds any stretch of a recording
// (or a live one as it grows) without holding it; the annotations come back with the same numbers,
// in the order the decoders emit them. Failures are values: a setting the decoder's metadata refuses
// before the run, a decoder's exception during it. Depends on libsigrokdecode.
#pragma once

#include "decode/DecoderLibrary.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

struct srd_session;
struct srd_decoder_inst;
struct srd_proto_data;

namespace varnilog {

// A decoder of the stack as the user names it: its id and option values as texts, typed here by
// the decoder's metadata.
struct DecoderSetting {
    std::string id;
    std::vector<std::pair<std::string, std::string>> options;
};

enum class DecodeProblemKind {
    None,
    Library,        // message: the library could not start
    UnknownDecoder, // decoder; allowed: the installed ids
    UnknownOption,  // decoder, name; allowed: its options
    OptionValue,    // decoder, name, value; allowed: the values or the type expected
    UnknownChannel, // decoder, name; allowed: its channels
    MissingChannel, // decoder, name: a required channel without a logic channel
    CannotStack,    // decoder (the upper), name (the lower): no output the upper takes
    Setup,          // decoder, message: the library refused the session
    DecoderFailed,  // decoder, message: the decoder's own exception
};

struct DecodeProblem {
    DecodeProblemKind kind = DecodeProblemKind::None;
    std::string decoder, name, value, allowed, message;
    bool failed() const { return kind != DecodeProblemKind::None; }
};

struct Annotation {
    std::int64_t start = 0, end = 0; // samples
    int decoder = 0;                 // its index in the stack
    int annotationClass = 0;         // index into that decoder's annotationClasses
    std::vector<std::string> texts;  // as the decoder gave them, longest first
};

class DecodeSession {
public:
    // stack[0] reads the logic; channels name a logic bit for channels of stack[0]. Null (with the
    // problem) when a setting does not fit the metadata or the library refuses it.
    static std::unique_ptr<DecodeSession> create(const std::vector<DecoderSetting>& stack,
                                                 const std::vector<std::pair<std::string, int>>& channels,
                                                 std::uint64_t sampleRateHz, DecodeProblem& problem);
    ~DecodeSession();
    DecodeSession(const DecodeSession&) = delete;
    DecodeSession& operator=(const DecodeSession&) = delete;

    // Logic samples [first, first + n), one byte each; the first call's first sample starts the
    // numbering, each later call continues where the one before ended. False (problem() tells) when a
    // decoder failed: then the session takes no more samples.
    bool feed(std::uint64_t first, const std::uint8_t* logic, std::size_t n);

    // The annotations emitted since the last call, in order.
    std::vector<Annotation> takeAnnotations();
    const DecodeProblem& problem() const { return problem_; }
    // The decoders of the stack, bottom first (for the names of the annotations).
    const std::vector<const DecoderInfo*>& decoders() const { return decoders_; }

private:
    DecodeSession() = default;
    static void onAnnotation(srd_proto_data* data, void* self);

    srd_session* session_ = nullptr;
    std::vector<srd_decoder_inst*> instances_;
    std::vector<const DecoderInfo*> decoders_;
    // Filled from the decoders' own threads (the library's callback), taken on the caller's: the
    // library's GLib locks are invisible to the thread checker, and a lock of ours costs nothing here.
    std::mutex annotationsLock_;
    std::vector<Annotation> annotations_;
    DecodeProblem problem_;
    bool started_ = false;
    std::uint64_t base_ = 0; // the first sample fed: the library counts from 0
};

// The decoder ids installed, for the reason that names what is allowed.
std::vector<std::string> installedDecoderIds();

} // namespace varnilog
