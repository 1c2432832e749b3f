#pragma once

#include <algorithm>
#include <deque>
#include <map>
#include <memory>
#include <vector>

#include "hardware/AVServiceLocating.h"
#include "platform/AVService.h"
#include "platform/AVServiceBus.h"
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

// Finds the AV services it was given; counts the lookups.
struct FakeAVServiceLocator final : AVServiceLocating {
    std::shared_ptr<AVService> avService(DisplayID displayID) override {
        ++lookups;
        const auto found = services.find(displayID);
        return found == services.end() ? nullptr : found->second;
    }

    std::map<DisplayID, std::shared_ptr<AVService>> services;
    int lookups = 0;
};

// AV services with scripted EDIDs; counts how often each one was opened.
struct FakeAVServiceBus final : AVServiceBus {
    std::vector<AVServiceEntry> services() override { return entries; }

    std::shared_ptr<AVService> openService(std::uint32_t handleNumber) override {
        ++openCount[handleNumber];
        const auto found = avServices.find(handleNumber);
        return found == avServices.end() ? nullptr : found->second;
    }

    // Adds a service whose EDID read answers with the bytes (or with the result code when it is not 0).
    std::shared_ptr<FakeAVService> add(std::uint32_t handleNumber, std::string registryPath,
                                       std::vector<std::uint8_t> edid, IOResult readResult = ioSuccess) {
        auto service = std::make_shared<FakeAVService>();
        service->reply = {readResult, std::move(edid)};
        entries.push_back({handleNumber, std::move(registryPath)});
        avServices[handleNumber] = service;
        return service;
    }

    std::vector<AVServiceEntry> entries;
    std::map<std::uint32_t, std::shared_ptr<FakeAVService>> avServices;
    std::map<std::uint32_t, int> openCount;
};

}  // namespace lumadesk
