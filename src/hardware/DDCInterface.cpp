#include "hardware/DDCInterface.h"

#include "runtime/RunInBackground.h"

#include <memory>

namespace lumadesk {
namespace {

Task<void> writeBrightnessInBackground(BackgroundPool* pool, DisplayHardwareServicing* service, int level,
                                       DisplayID displayID) {
    co_await runInBackground(*pool,
                             [service, level, displayID] { service->setBrightness(level, displayID); });
}

}  // namespace

DDCInterface::DDCInterface(std::unique_ptr<DisplayHardwareServicing> hardwareService, Duration writeInterval,
                           MainQueue& queue, BackgroundPool& pool)
    : m_hardwareService(std::move(hardwareService)), m_brightnessWriter(queue, writeInterval), m_pool(pool) {}

Task<void> DDCInterface::setBrightness(int level, DisplayID displayID) {
    auto* pool = &m_pool;
    auto* service = m_hardwareService.get();
    BrightnessWriteScheduler::Operation operation = [pool, service, level, displayID] {
        return writeBrightnessInBackground(pool, service, level, displayID);
    };
    co_await m_brightnessWriter.write(displayID, std::move(operation));
}

Task<int> DDCInterface::setNewestBrightness(std::function<int()> newestLevel, DisplayID displayID) {
    auto* pool = &m_pool;
    auto* service = m_hardwareService.get();
    auto written = std::make_shared<int>();
    // The scheduler builds the write when its turn comes: that is when the level is asked.
    BrightnessWriteScheduler::Operation operation = [pool, service, newestLevel = std::move(newestLevel),
                                                     written, displayID] {
        *written = newestLevel();
        return writeBrightnessInBackground(pool, service, *written, displayID);
    };
    co_await m_brightnessWriter.write(displayID, std::move(operation));
    co_return *written;
}

}  // namespace lumadesk
