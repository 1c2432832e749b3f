#pragma once

#include <algorithm>
#include <deque>
#include <vector>

#include "platform/AVService.h"
#include "runtime/Clock.h"

namespace lumadesk {

// An AV service that records its I2C traffic (with the time of each call when given a clock) and
// answers writes and reads as scripted.
class FakeAVService final : public AVService {
public:
    struct Write {
        std::uint8_t chipAddress;
        std::uint8_t dataAddress;
        std::vector<std::uint8_t> bytes;
        Duration at;
        friend bool operator==(const Write&, const Write&) = default;
    };
    struct Read {
        std::uint8_t chipAddress;
        std::uint8_t offset;
        std::size_t length;
        Duration at;
        friend bool operator==(const Read&, const Read&) = default;
    };
    struct Reply {
        IOResult result = ioSuccess;
        std::vector<std::uint8_t> bytes;
    };

    explicit FakeAVService(const Clock* clock = nullptr) : m_clock(clock) {}

    IOResult writeI2C(std::uint8_t chipAddress, std::uint8_t dataAddress,
                      std::span<const std::uint8_t> buffer) override {
        writes.push_back({chipAddress, dataAddress, {buffer.begin(), buffer.end()}, now()});
        return next(writeResults, writeResult);
    }

    IOResult readI2C(std::uint8_t chipAddress, std::uint8_t offset, std::span<std::uint8_t> buffer) override {
        reads.push_back({chipAddress, offset, buffer.size(), now()});
        const Reply answer = next(replies, reply);
        if (answer.result == ioSuccess)
            std::copy_n(answer.bytes.begin(), std::min(answer.bytes.size(), buffer.size()), buffer.begin());
        return answer.result;
    }

    // Scripted answers are used first, in order; then the standing answer.
    std::deque<IOResult> writeResults;
    IOResult writeResult = ioSuccess;
    std::deque<Reply> replies;
    Reply reply;

    std::vector<Write> writes;
    std::vector<Read> reads;

private:
    template <typename T>
    static T next(std::deque<T>& scripted, const T& standing) {
        if (scripted.empty()) return standing;
        T value = scripted.front();
        scripted.pop_front();
        return value;
    }

    Duration now() const { return m_clock ? m_clock->monotonicNow().time_since_epoch() : Duration{0}; }

    const Clock* m_clock;
};

}  // namespace lumadesk
