#pragma once

namespace lumadesk {

// The cache that pairs displays with their AV services; emptied so that the next lookups match afresh.
class AVServiceCacheResetting {
public:
    virtual ~AVServiceCacheResetting() = default;
    AVServiceCacheResetting() = default;
    AVServiceCacheResetting(const AVServiceCacheResetting&) = delete;
    AVServiceCacheResetting& operator=(const AVServiceCacheResetting&) = delete;

    // Forgets every cached display-to-service pairing.
    virtual void resetServiceCache() = 0;
};

}  // namespace lumadesk
