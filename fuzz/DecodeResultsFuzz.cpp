// Any bytes as a recording's ".rdk": the reader either refuses them (with the byte where they stop
// being sound, within the input) or gives results whose every index and span is sound, and writing
// those out gives a file that reads back to the same.
#include "FuzzCheck.h"

#include "decode/DecodeResultsFile.h"

#include <cstddef>
#include <cstdint>

using namespace varnilog;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    DecodeResultsContent content;
    CoreError error;
    if (!parseDecodeResults(bytes, content, error)) {
        FUZZ_CHECK(error.kind == CoreErrorKind::DecodeResultsDamaged);
        FUZZ_CHECK(error.first >= 0 && error.first <= static_cast<std::int64_t>(size));
        return 0;
    }
    const DecodeResults& r = content.results;
    FUZZ_CHECK(!error.failed());
    FUZZ_CHECK(!r.settings.stack.empty() && content.classIds.size() == r.settings.stack.size());
    FUZZ_CHECK(r.settings.span.from <= r.decodedTo && r.decodedTo <= r.settings.span.to);
    for (const auto& [id, channel] : r.settings.channels)
        FUZZ_CHECK(!id.empty() && channel >= 0 && channel < 4);
    for (const Annotation& a : r.annotations) {
        FUZZ_CHECK(a.start >= 0 && a.end >= a.start);
        FUZZ_CHECK(static_cast<std::size_t>(a.decoder) < content.classIds.size());
        FUZZ_CHECK(static_cast<std::size_t>(a.annotationClass) <
                   content.classIds[static_cast<std::size_t>(a.decoder)].size());
    }
    // What it read writes out as a file that reads back to the same: encoding is then a fixed point.
    const QByteArray written = encodeDecodeResults(content);
    DecodeResultsContent again;
    FUZZ_CHECK(parseDecodeResults(written, again, error));
    FUZZ_CHECK(again.results.annotations.size() == r.annotations.size());
    FUZZ_CHECK(encodeDecodeResults(again) == written);
    return 0;
}
