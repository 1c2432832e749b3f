#include "hardware/DisplayHardwareService.h"

#include <algorithm>

#include "hardware/DuplicateDisplayNumbering.h"
#include "hardware/VCPFeature.h"

namespace lumadesk {

namespace {

constexpr int minimumBrightness = 0;
constexpr int maximumBrightness = 100;
// The MCCS power mode that puts a monitor to sleep (DPM off).
constexpr std::uint16_t powerModeOff = 4;

}  // namespace

DisplayHardwareService::DisplayHardwareService(
    std::unique_ptr<DisplayDDCTransporting> ddcTransport,
    std::unique_ptr<DisplaySnapshotProviding> snapshotProvider,
    std::unique_ptr<DisplayConnectionControlling> connectionController, MonitorReplyWaits* replyWaits)
    : m_ddcTransport(std::move(ddcTransport)),
      m_snapshotProvider(std::move(snapshotProvider)),
      m_connectionController(std::move(connectionController)),
      m_replyWaits(replyWaits) {}

std::vector<DisplaySnapshot> DisplayHardwareService::snapshots(const HeldDisplays& held) {
    std::vector<DisplaySnapshot> snapshots;
    std::vector<std::uint32_t> unitNumbers;
    for (const DisplayID displayID : m_snapshotProvider->onlineDisplayIDs()) {
        auto snapshot = m_snapshotProvider->snapshot(displayID);
        if (!snapshot) continue;
        snapshot->supportsDDC = m_ddcTransport->supportsDDC(displayID);
        snapshots.push_back(std::move(*snapshot));
        unitNumbers.push_back(m_snapshotProvider->unitNumber(displayID));
    }
    DuplicateDisplayNumbering::apply(snapshots, unitNumbers, held);
    if (m_replyWaits) {
        std::map<DisplayID, std::string> hardwareIDs;
        for (const auto& snapshot : snapshots) hardwareIDs[snapshot.displayID] = snapshot.hardwareID;
        m_replyWaits->assign(hardwareIDs);
    }
    return snapshots;
}

bool DisplayHardwareService::supportsDDC(DisplayID displayID) {
    return m_ddcTransport->supportsDDC(displayID);
}

int DisplayHardwareService::readBrightness(DisplayID displayID) {
    return m_ddcTransport->readVCP(VCPFeature::luminance, displayID);
}

void DisplayHardwareService::setBrightness(int level, DisplayID displayID) {
    const auto value = static_cast<std::uint16_t>(std::clamp(level, minimumBrightness, maximumBrightness));
    m_ddcTransport->writeVCP(VCPFeature::luminance, value, displayID);
}

void DisplayHardwareService::sleepDisplay(DisplayID displayID) {
    m_ddcTransport->writeVCP(VCPFeature::powerMode, powerModeOff, displayID);
}

void DisplayHardwareService::setDisplay(DisplayID displayID, bool enabled) {
    m_connectionController->setDisplay(displayID, enabled);
}

}  // namespace lumadesk
