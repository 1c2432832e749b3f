#pragma once

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "hardware/DisplayHardwareError.h"
#include "hardware/DisplayManagingDDC.h"
#include "hardware/VCPFeature.h"
#include "runtime/Sleep.h"

namespace lumadesk {

// The DDC interface as the display manager sees it, over a desk of settable displays. Disabling a
// display takes it off the snapshot list until it is enabled again; every request is logged.
class FakeManagingDDC final : public DisplayManagingDDC {
public:
    // Adds an online display with the brightness its monitor reports.
    void plugIn(DisplaySnapshot snapshot, int brightness = 50) {
        brightnessByID[snapshot.displayID] = brightness;
        m_desk.push_back(std::move(snapshot));
    }
    // Removes the display from the desk, as unplugging it does.
    void unplug(DisplayID displayID) {
        std::erase_if(m_desk,
                      [&](const DisplaySnapshot& snapshot) { return snapshot.displayID == displayID; });
    }

    std::vector<DisplaySnapshot> snapshots() override {
        ++snapshotCalls;
        std::vector<DisplaySnapshot> online;
        for (const auto& snapshot : m_desk) {
            if (!disabled.contains(snapshot.displayID)) online.push_back(snapshot);
        }
        return online;
    }

    int readBrightness(DisplayID displayID) override {
        reads.push_back(displayID);
        if (failingReads.contains(displayID))
            throw DisplayHardwareError::failedToReadVCP(VCPFeature::luminance, displayID);
        return brightnessByID.at(displayID);
    }

    // Completes after writeDuration of virtual time.
    Task<void> setBrightness(int level, DisplayID displayID) override {
        co_await sleepFor(writeDuration);
        if (failingWrites.contains(displayID)) {
            throw DisplayHardwareError::failedToWriteVCP(VCPFeature::luminance, displayID,
                                                         static_cast<std::uint16_t>(level));
        }
        writes.emplace_back(displayID, level);
        brightnessByID[displayID] = level;
    }

    void sleepDisplay(DisplayID displayID) override {
        sleeps.push_back(displayID);
        if (failingSleeps.contains(displayID))
            throw DisplayHardwareError::failedToWriteVCP(VCPFeature::powerMode, displayID, 4);
    }

    void setDisplay(DisplayID displayID, bool enabled) override {
        connectionRequests.emplace_back(displayID, enabled);
        if (failingConnectionChanges.contains(displayID)) {
            throw DisplayHardwareError::failedToConfigureDisplayEnabled(-1, displayID, enabled);
        }
        if (enabled) {
            disabled.erase(displayID);
        } else {
            disabled.insert(displayID);
        }
    }

    std::map<DisplayID, int> brightnessByID;
    std::set<DisplayID> disabled;
    std::set<DisplayID> failingReads;
    std::set<DisplayID> failingWrites;
    std::set<DisplayID> failingSleeps;
    std::set<DisplayID> failingConnectionChanges;
    Duration writeDuration{};

    int snapshotCalls = 0;
    std::vector<DisplayID> reads;
    std::vector<std::pair<DisplayID, int>> writes;
    std::vector<DisplayID> sleeps;
    std::vector<std::pair<DisplayID, bool>> connectionRequests;

private:
    std::vector<DisplaySnapshot> m_desk;
};

}  // namespace lumadesk
