#pragma once

#include <map>
#include <optional>
#include <set>
#include <vector>

#include "hardware/DisplayDDCTransporting.h"
#include "hardware/DisplayHardwareError.h"

namespace lumadesk {

// A DDC transport with settable values per display and feature; records writes, and fails reads or
// writes with a given error when told to.
class FakeDDCTransport final : public DisplayDDCTransporting {
public:
    struct Write {
        std::uint8_t feature;
        std::uint16_t value;
        DisplayID displayID;
        friend bool operator==(const Write&, const Write&) = default;
    };

    bool supportsDDC(DisplayID displayID) override { return ddcDisplays.count(displayID) > 0; }

    std::uint16_t readVCP(std::uint8_t feature, DisplayID displayID) override {
        if (readError) throw *readError;
        return values[{displayID, feature}];
    }

    void writeVCP(std::uint8_t feature, std::uint16_t value, DisplayID displayID) override {
        if (writeError) throw *writeError;
        writes.push_back({feature, value, displayID});
        values[{displayID, feature}] = value;
    }

    std::set<DisplayID> ddcDisplays;
    std::map<std::pair<DisplayID, std::uint8_t>, std::uint16_t> values;
    std::optional<DisplayHardwareError> readError;
    std::optional<DisplayHardwareError> writeError;
    std::vector<Write> writes;
};

}  // namespace lumadesk
