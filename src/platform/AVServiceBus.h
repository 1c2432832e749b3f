#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/AVService.h"

namespace lumadesk {

// One AV service of the display coprocessor as the registry lists it.
struct AVServiceEntry {
    std::uint32_t handleNumber = 0;  // the registry handle, unique while the service exists
    std::string registryPath;        // its path in the service plane

    friend bool operator==(const AVServiceEntry&, const AVServiceEntry&) = default;
};

// The AV services through which external displays' I2C channels are reached.
class AVServiceBus {
public:
    virtual ~AVServiceBus() = default;
    AVServiceBus() = default;
    AVServiceBus(const AVServiceBus&) = delete;
    AVServiceBus& operator=(const AVServiceBus&) = delete;

    // The AV services in iteration order; empty when none can be matched.
    virtual std::vector<AVServiceEntry> services() = 0;
    // Opens the AV service with this handle number; null when it cannot be created.
    virtual std::shared_ptr<AVService> openService(std::uint32_t handleNumber) = 0;
};

}  // namespace lumadesk
