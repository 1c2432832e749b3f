#pragma once

#include <memory>

#include "hardware/DisplayConnectionControlling.h"
#include "hardware/DisplayDDCTransporting.h"
#include "hardware/DisplayHardwareServicing.h"
#include "hardware/DisplaySnapshotProviding.h"
#include "hardware/MonitorReplyWaits.h"

namespace lumadesk {

// The hardware facade: a DDC transport, a snapshot provider and a connection controller behind one contract.
// Each listing tells the transport's reply waits, when given, which monitor each display is.
class DisplayHardwareService final : public DisplayHardwareServicing {
public:
    DisplayHardwareService(std::unique_ptr<DisplayDDCTransporting> ddcTransport,
                           std::unique_ptr<DisplaySnapshotProviding> snapshotProvider,
                           std::unique_ptr<DisplayConnectionControlling> connectionController,
                           MonitorReplyWaits* replyWaits = nullptr);

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
    MonitorReplyWaits* m_replyWaits;
};

}  // namespace lumadesk
