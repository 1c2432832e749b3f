#pragma once

#include <functional>
#include <memory>

#include "registry/DisplayChangeObservation.h"

namespace lumadesk {

// Tells when displays were plugged, unplugged, enabled, disabled or rearranged.
class DisplayChangeRegistering {
public:
    // Called after each change, possibly on any thread.
    using Handler = std::function<void()>;

    virtual ~DisplayChangeRegistering() = default;
    DisplayChangeRegistering() = default;
    DisplayChangeRegistering(const DisplayChangeRegistering&) = delete;
    DisplayChangeRegistering& operator=(const DisplayChangeRegistering&) = delete;

    // Calls the handler after every display change for as long as the returned observation lives.
    [[nodiscard]] virtual std::unique_ptr<DisplayChangeObservation> registerForDisplayChanges(
        Handler handler) = 0;
};

}  // namespace lumadesk
