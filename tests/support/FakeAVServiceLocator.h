#pragma once

#include <map>
#include <memory>

#include "hardware/AVServiceLocating.h"

namespace lumadesk {

// Finds the AV services it was given; counts the lookups.
class FakeAVServiceLocator final : public AVServiceLocating {
public:
    std::shared_ptr<AVService> avService(DisplayID displayID) override {
        ++lookups;
        const auto found = services.find(displayID);
        return found == services.end() ? nullptr : found->second;
    }

    std::map<DisplayID, std::shared_ptr<AVService>> services;
    int lookups = 0;
};

}  // namespace lumadesk
