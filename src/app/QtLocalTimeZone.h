#pragma once

#include "schedule/LocalTimeZone.h"

namespace lumadesk {

// The system's time zone as Qt reads it (TZ, /etc/localtime), asked afresh each time so that a change of
// zone is followed.
class QtLocalTimeZone final : public LocalTimeZone {
public:
    std::chrono::seconds offsetAt(WallInstant instant) const override;
};

}  // namespace lumadesk
