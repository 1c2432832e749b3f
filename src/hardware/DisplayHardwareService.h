#pragma once

#include <memory>

#include "hardware/DisplayConnectionControlling.h"
#include "hardware/DisplayDDCTransporting.h"
#include "hardware/DisplayHardwareServicing.h"
#include "hardware/DisplaySnapshotProviding.h"

namespace lumadesk {

// The hardware facade: a DDC transport, a snapshot provider and a connection controller behind one contract.
class DisplayHardwareService final : public DisplayHardwareServicing {
public:
    DisplayHardwareService(std::unique_ptr<DisplayDDCTransporting> ddcTransport,
                           std::unique_ptr<DisplaySnapshotProviding> snapshotProvider,
                           std::unique_ptr<DisplayConnectionControlling> connectionController);

    std::vector<DisplaySnapshot> snapshots(const HeldDisplays& held) override;
    bool supportsDDC(DisplayID displayID) override;
    int readBrightness(DisplayID displayID) override;
    void setBrightness(int level, DisplayID displayID) override;
    void sleepDisplay(DisplayID displayID) override;
    void setDisplay(DisplayID displayID, bool enabled) override;

private:
    std::unique_ptr<DisplayDDCTransporting> m_ddcTransport;
    std::unique_ptr<DisplaySnapshotProviding> m_snapshotProvider;
    std::unique_ptr<DisplayConnectionControlling> m_connectionController;
};

}  // namespace lumadesk
