#pragma once

#include <stdexcept>
#include <vector>

#include "registry/Display.h"
#include "runtime/UserDefaults.h"

namespace lumadesk {

// The stored display list could not be read; what() is a readable description for the user.
class DisplayStoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The displays were merged with the stored records but the result could not be saved: displays() is the
// list all the same, so that what the hardware shows is never hidden by a store that cannot be written.
class DisplayListNotSavedError : public DefaultsWriteError {
public:
    DisplayListNotSavedError(const DefaultsWriteError& failure, std::vector<Display> displays)
        : DefaultsWriteError(failure), m_displays(std::move(displays)) {}
    const std::vector<Display>& displays() const { return m_displays; }

private:
    std::vector<Display> m_displays;
};

}  // namespace lumadesk
