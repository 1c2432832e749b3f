#pragma once

#include <string>

#include "hardware/DisplayHardwareError.h"

namespace lumadesk {

// The message of the display hardware error the call throws; "no error" when it succeeds.
template <typename Call>
std::string hardwareErrorText(Call&& call) {
    try {
        call();
    } catch (const DisplayHardwareError& error) {
        return error.description();
    }
    return "no error";
}

}  // namespace lumadesk
