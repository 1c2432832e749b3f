#pragma once

#include <memory>

#include "hardware/BrightnessWriteScheduler.h"
#include "hardware/DisplayHardwareServicing.h"
#include "hardware/DisplayManagingDDC.h"
#include "runtime/BackgroundPool.h"

namespace lumadesk {

// The display manager's one way to the hardware: forwards to the hardware service, and sends every
// brightness write through the write scheduler and onto the background pool, so that the I2C
// transaction never blocks the main thread.
class DDCInterface final : public DisplayManagingDDC {
public:
    DDCInterface(std::unique_ptr<DisplayHardwareServicing> hardwareService, Duration writeInterval,
                 MainQueue& queue, BackgroundPool& pool);

    std::vector<DisplaySnapshot> snapshots(const HeldDisplays& held) override {
        return m_hardwareService->snapshots(held);
    }
    int readBrightness(DisplayID displayID) override { return m_hardwareService->readBrightness(displayID); }
    Task<void> setBrightness(int level, DisplayID displayID) override;
    Task<int> setNewestBrightness(std::function<int()> newestLevel, DisplayID displayID) override;
    void sleepDisplay(DisplayID displayID) override { m_hardwareService->sleepDisplay(displayID); }
    void setDisplay(DisplayID displayID, bool enabled) override {
        m_hardwareService->setDisplay(displayID, enabled);
    }

    DisplayHardwareServicing& hardwareService() { return *m_hardwareService; }

private:
    std::unique_ptr<DisplayHardwareServicing> m_hardwareService;
    BrightnessWriteScheduler m_brightnessWriter;
    BackgroundPool& m_pool;
};

}  // namespace lumadesk
