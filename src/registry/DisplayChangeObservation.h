#pragma once

namespace lumadesk {

// A registration for display changes; it lasts exactly as long as this object.
class DisplayChangeObservation {
public:
    virtual ~DisplayChangeObservation() = default;
    DisplayChangeObservation() = default;
    DisplayChangeObservation(const DisplayChangeObservation&) = delete;
    DisplayChangeObservation& operator=(const DisplayChangeObservation&) = delete;
};

}  // namespace lumadesk
