// Any bytes as a recording's ".rmk": the reader keeps only sound markers (end >= start >= 0, a known
// kind, valid text), sorted by start, and writing them out reads back the same list with no damage.
#include "FuzzCheck.h"

#include "recording/MarkerFile.h"

#include <cstddef>
#include <cstdint>

using namespace varnilog;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const MarkerReading reading =
        parseMarkers(QByteArrayView(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    FUZZ_CHECK(reading.damagedLines >= 0);
    for (std::size_t i = 0; i < reading.markers.size(); ++i) {
        const Marker& m = reading.markers[i];
        FUZZ_CHECK(m.start >= 0 && m.end >= m.start);
        FUZZ_CHECK(static_cast<int>(m.kind) < kMarkerKindCount);
        FUZZ_CHECK(i == 0 || reading.markers[i - 1].start <= m.start);
    }
    const MarkerReading again = parseMarkers(encodeMarkers(reading.markers));
    FUZZ_CHECK(again.damagedLines == 0);
    FUZZ_CHECK(again.markers == reading.markers);
    return 0;
}
