#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "hardware/AVServiceCacheResetting.h"
#include "hardware/AVServiceLocating.h"
#include "platform/AVServiceBus.h"
#include "platform/WindowServer.h"

namespace lumadesk {

// Works out which AV service drives which online display: reads every service's EDID over I2C and pairs
// services and displays that report the same vendor, product and serial. Identical monitors are told
// apart by ordering: the display with the lowest unit number gets the service whose port name sorts
// last; while one of them is off, the others keep the ports they had. The pairing is cached until reset.
// Lookups come from the main thread and from background writes, so the cache and every rebuild sit behind one
// lock: no lookup ever sees a half-built map.
class PrivateDisplayBridge final : public AVServiceLocating, public AVServiceCacheResetting {
public:
    // One online display as the window server describes it.
    struct CGEntry {
        DisplayID displayID = 0;
        std::uint32_t vendor = 0;
        std::uint32_t product = 0;
        std::uint32_t serial = 0;
        std::uint32_t unit = 0;
    };
    // One AV service as its EDID describes it.
    struct AVEntry {
        std::shared_ptr<AVService> avService;
        std::uint32_t vendor = 0;
        std::uint32_t product = 0;
        std::uint32_t serial = 0;
        std::string dcpPort;
    };

    PrivateDisplayBridge(AVServiceBus& serviceBus, WindowServer& windowServer);

    // The display's service from the cache; on a miss the cache is rebuilt and asked once more, unless
    // the last rebuild already saw the display and found no service for it.
    std::shared_ptr<AVService> avService(DisplayID displayID) override;
    // Matches services and displays afresh and replaces the whole cache.
    void rebuildServiceMap();
    // Empties the cache, so that the next lookup matches afresh.
    void resetServiceCache() override;

    // The displays that have a cached service now.
    std::vector<DisplayID> cachedDisplayIDs() const;

    // The port a service hangs off: the first "dispext..." segment of its path, else "dcp-<handle>".
    static std::string dcpPort(const AVServiceEntry& entry);
    // Pairs services with displays of the same identity; by display, the service and its port. A display
    // that was paired before (`earlierPorts`) takes its port again when it is there, and a port another
    // display had is not given away: of identical monitors, one held off the desktop or one whose service
    // did not answer must never be driven in another display's name. The rest pair by the ordering rule.
    // The port a display was paired with, and the identity of the monitor on it then.
    struct EarlierPort {
        std::string port;
        std::string key;
    };
    static std::map<DisplayID, AVEntry> pair(std::vector<AVEntry> avEntries, std::vector<CGEntry> cgEntries,
                                             const std::map<DisplayID, EarlierPort>& earlierPorts = {});

private:
    std::vector<AVEntry> readAVEntries();
    std::vector<CGEntry> readCGEntries();
    // Rebuilds the cache; the caller holds the lock.
    void rebuildLocked();

    AVServiceBus& m_serviceBus;
    WindowServer& m_windowServer;
    mutable std::mutex m_mutex;
    std::map<DisplayID, std::shared_ptr<AVService>> m_services;  // guarded by m_mutex
    // Displays the last matching saw and left without a service; guarded by m_mutex.
    std::set<DisplayID> m_withoutService;
    // The port each display was last paired with, kept across cache resets and unplugging for identical
    // monitors of which some are off the desktop; a port belongs to one display at most, so this stays as
    // small as the set of ports ever seen. Guarded by m_mutex.
    std::map<DisplayID, EarlierPort> m_portByDisplay;
};

}  // namespace lumadesk
