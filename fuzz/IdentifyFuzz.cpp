// The identification reply judged for any queued bytes and any model limit: a model is reported only
// for a single byte 1..limit, and then it is that byte.
#include "FuzzCheck.h"
#include "FuzzInput.h"

#include "device/Protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    varnilog::fuzz::FuzzInput in(std::span(data, size));
    const std::uint8_t limit = in.byte();
    const std::span<const std::uint8_t> queued = in.rest();
    const std::uint8_t model = varnilog::judgeIdentificationReply(queued, limit);
    const bool valid = queued.size() == 1 && queued[0] >= 1 && queued[0] <= limit;
    FUZZ_CHECK(model == (valid ? queued[0] : 0));
    const std::uint8_t standard = varnilog::judgeIdentificationReply(queued);
    FUZZ_CHECK(standard <= varnilog::kMaxModelNumber);
    FUZZ_CHECK(standard == 0 || (queued.size() == 1 && standard == queued[0]));
    return 0;
}
