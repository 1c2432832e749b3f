#pragma once

#include <map>
#include <memory>
#include <vector>

#include "platform/AVServiceBus.h"
#include "support/FakeAVService.h"

namespace lumadesk {

// AV services with scripted EDIDs; counts how often each one was opened.
class FakeAVServiceBus final : public AVServiceBus {
public:
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
