// Sample files held in memory: one open buffer a channel, the devices the spectrum and export code
// read, null for the channels not given.
#pragma once

#include "app/SharedState.h"

#include <QBuffer>
#include <QByteArray>

#include <array>
#include <memory>
#include <vector>

namespace varnilog::test {

struct ChannelBuffers {
    // startAtAThird: each buffer is left a third of the way in, as the loader may leave a handle.
    explicit ChannelBuffers(const std::vector<QByteArray>& channels, bool startAtAThird = false) {
        for (std::size_t c = 0; c < channels.size(); ++c) {
            buffers[c] = std::make_unique<QBuffer>();
            buffers[c]->setData(channels[c]);
            buffers[c]->open(QIODevice::ReadOnly);
            if (startAtAThird)
                buffers[c]->seek(channels[c].size() / 3);
            devices[c] = buffers[c].get();
        }
    }
    std::array<std::unique_ptr<QBuffer>, kChannels> buffers;
    std::array<QIODevice*, kChannels> devices{};
};

} // namespace varnilog::test
