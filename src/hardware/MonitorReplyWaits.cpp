#include "hardware/MonitorReplyWaits.h"

#include <algorithm>

namespace lumadesk {

namespace {

// A wait from elsewhere (a stored file) brought into the range the program uses.
Duration bounded(Duration wait) {
    return std::clamp(wait, MonitorReplyWaits::protocolWait, MonitorReplyWaits::longestWait);
}

}  // namespace

MonitorReplyWaits::MonitorReplyWaits(std::unique_ptr<ReplyWaitStoring> store) : m_store(std::move(store)) {
    if (!m_store) return;
    for (const auto& [hardwareID, wait] : m_store->load())
        m_known[hardwareID].wait = {bounded(wait.wait), wait.lastReadFailed};
}

void MonitorReplyWaits::assign(const std::map<DisplayID, std::string>& hardwareIDs) {
    std::lock_guard lock(m_mutex);
    m_hardwareIDs = hardwareIDs;
}

Duration MonitorReplyWaits::firstWait(DisplayID displayID) {
    std::lock_guard lock(m_mutex);
    const Known& known = record(displayID);
    if (!known.answersNotReady) return known.wait.wait;
    return std::max(protocolWait, known.wait.wait - pollStep);
}

Duration MonitorReplyWaits::lengthened(Duration wait) {
    return std::min<Duration>(longestWait,
                              std::chrono::duration_cast<std::chrono::milliseconds>(wait * 3 / 2));
}

void MonitorReplyWaits::readSucceeded(DisplayID displayID, Duration waited, bool polled) {
    std::lock_guard lock(m_mutex);
    Known& known = record(displayID);
    known.answersNotReady = known.answersNotReady || polled;
    const ReplyWait learned{bounded(waited), false};
    if (known.wait == learned) return;
    known.wait = learned;
    saveLocked();
}

void MonitorReplyWaits::readFailed(DisplayID displayID) {
    std::lock_guard lock(m_mutex);
    Known& known = record(displayID);
    if (known.wait.lastReadFailed) return;
    known.wait.lastReadFailed = true;
    saveLocked();
}

std::map<std::string, ReplyWait> MonitorReplyWaits::onlineWaits() const {
    std::lock_guard lock(m_mutex);
    std::map<std::string, ReplyWait> online;
    for (const auto& [displayID, hardwareID] : m_hardwareIDs) {
        const auto known = m_known.find(hardwareID);
        online[hardwareID] = known == m_known.end() ? Known{}.wait : known->second.wait;
    }
    return online;
}

MonitorReplyWaits::Known& MonitorReplyWaits::record(DisplayID displayID) {
    const auto hardwareID = m_hardwareIDs.find(displayID);
    if (hardwareID == m_hardwareIDs.end()) return m_unassigned[displayID];
    return m_known[hardwareID->second];
}

void MonitorReplyWaits::saveLocked() {
    if (!m_store) return;
    std::map<std::string, ReplyWait> kept;
    for (const auto& [hardwareID, known] : m_known) kept.emplace(hardwareID, known.wait);
    m_store->save(kept);
}

}  // namespace lumadesk
