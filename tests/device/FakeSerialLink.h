// A SerialLink for tests: the test puts the received bytes in and reads back what was written;
// a scripted reply can answer each write. Never blocks.
#pragma once

#include "device/SerialLink.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <vector>

namespace varnilog::test {

class FakeSerialLink final : public SerialLink {
public:
    std::deque<std::uint8_t> received;
    std::vector<std::vector<std::uint8_t>> written;
    std::function<void(std::span<const std::uint8_t>, FakeSerialLink&)> onWrite;
    bool openFails = false;
    int openErrorValue = 0; // what openError() reports after a failed open
    bool failedFlag = false;
    int opens = 0;
    int closes = 0;

    void receive(std::span<const std::uint8_t> bytes) {
        received.insert(received.end(), bytes.begin(), bytes.end());
    }

    bool open(const QString& name) override {
        if (openFails || name.isEmpty() || open_)
            return false;
        ++opens;
        open_ = true;
        failedFlag = false;
        return true;
    }
    int openError() const override { return openFails ? openErrorValue : 0; }
    bool isOpen() const override { return open_; }
    std::int64_t write(std::span<const std::uint8_t> bytes) override {
        written.emplace_back(bytes.begin(), bytes.end());
        if (onWrite)
            onWrite(bytes, *this);
        return failedFlag ? -1 : static_cast<std::int64_t>(bytes.size());
    }
    std::int64_t queuedBytes() override { return static_cast<std::int64_t>(received.size()); }
    std::int64_t read(std::span<std::uint8_t> dest) override {
        const std::size_t n = std::min(dest.size(), received.size());
        std::copy_n(received.begin(), n, dest.begin());
        received.erase(received.begin(), received.begin() + static_cast<std::ptrdiff_t>(n));
        return static_cast<std::int64_t>(n);
    }
    void purge() override { received.clear(); }
    bool close() override {
        ++closes;
        open_ = false;
        return true;
    }
    bool failed() const override { return failedFlag; }

private:
    bool open_ = false;
};

} // namespace varnilog::test
