#pragma once

#include <optional>
#include <utility>
#include <vector>

#include "hardware/DisplayConnectionControlling.h"
#include "hardware/DisplayHardwareError.h"

namespace lumadesk {

// A connection controller that records its requests and fails with a given error when told to.
class FakeConnectionController final : public DisplayConnectionControlling {
public:
    void setDisplay(DisplayID displayID, bool enabled) override {
        requests.emplace_back(displayID, enabled);
        if (error) throw *error;
    }

    std::optional<DisplayHardwareError> error;
    std::vector<std::pair<DisplayID, bool>> requests;
};

}  // namespace lumadesk
