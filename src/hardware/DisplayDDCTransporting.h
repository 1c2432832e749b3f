#pragma once

#include <cstdint>

#include "platform/DisplayID.h"

namespace lumadesk {

// The DDC/CI channel to external monitors. Failures are thrown as DisplayHardwareError.
class DisplayDDCTransporting {
public:
    virtual ~DisplayDDCTransporting() = default;
    DisplayDDCTransporting() = default;
    DisplayDDCTransporting(const DisplayDDCTransporting&) = delete;
    DisplayDDCTransporting& operator=(const DisplayDDCTransporting&) = delete;

    // Whether a DDC channel to the display can be found; false for built-in displays, never throws.
    virtual bool supportsDDC(DisplayID displayID) = 0;
    // One VCP get request; the current value of the reply, unscaled.
    virtual std::uint16_t readVCP(std::uint8_t feature, DisplayID displayID) = 0;
    // One VCP set request; no reply is read.
    virtual void writeVCP(std::uint8_t feature, std::uint16_t value, DisplayID displayID) = 0;
};

}  // namespace lumadesk
