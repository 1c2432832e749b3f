#pragma once

#include "hardware/AVServiceCacheResetting.h"

namespace lumadesk {

// Counts how often the AV-service cache was emptied.
class CountingServiceCache final : public AVServiceCacheResetting {
public:
    void resetServiceCache() override { ++resets; }

    int resets = 0;
};

}  // namespace lumadesk
