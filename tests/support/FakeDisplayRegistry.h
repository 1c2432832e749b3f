#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <vector>

#include "platform/DisplayRegistry.h"

namespace lumadesk {

// A registry with settable services by unit number; counts lookups, probes and unreleased services.
class FakeDisplayRegistry final : public DisplayRegistry {
public:
    RegistryService serviceForUnitNumber(std::uint32_t unitNumber) override {
        unitNumbersAsked.push_back(unitNumber);
        const auto found = serviceEntries.find(unitNumber);
        if (found == serviceEntries.end()) return {};
        ++outstandingServices;
        return RegistryService(found->second, [this] { --outstandingServices; });
    }

    DisplayProductNames productNames(const RegistryService& service) override {
        const auto found = names.find(service.entryID());
        return found == names.end() ? DisplayProductNames{} : found->second;
    }

    std::optional<std::vector<std::uint8_t>> edid(const RegistryService& service) override {
        const auto found = edids.find(service.entryID());
        if (found == edids.end()) return std::nullopt;
        return found->second;
    }

    std::vector<std::uint64_t> framebufferI2CTransactionTypes() override {
        ++transactionTypeProbes;
        if (duringProbe) duringProbe();
        return transactionTypes;
    }

    std::map<std::uint32_t, std::uint64_t> serviceEntries;  // unit number -> entry ID
    std::map<std::uint64_t, DisplayProductNames> names;
    std::map<std::uint64_t, std::vector<std::uint8_t>> edids;
    std::vector<std::uint64_t> transactionTypes{(1U << 1) | (1U << 2)};
    std::function<void()> duringProbe;

    std::vector<std::uint32_t> unitNumbersAsked;
    std::atomic<int> transactionTypeProbes{0};
    std::atomic<int> outstandingServices{0};
};

}  // namespace lumadesk
