// Launch at login in DisplayManager: the settings switch, and the poll that waits for the user's approval.

#include <chrono>
#include <exception>
#include <utility>

#include "registry/DisplayManager.h"
#include "runtime/Sleep.h"

namespace lumadesk {

namespace {

using namespace std::chrono_literals;

// How often the platform is asked whether the user has approved the login item.
constexpr Duration approvalPollInterval = 3s;

}  // namespace

void DisplayManager::registerLoginItemUnlessDeclined() {
    // Only the first start registers the item (a refusal is not worth a message: the flags follow the
    // status read afterwards, and the next start tries again). Later starts keep to the user's choice:
    // an item gone or hidden since it was on was turned off by the user, maybe with the desktop's own
    // tool, and stays off; one the user put back is wanted again.
    const std::optional<bool> choice = m_launchAtLoginChoice.remembered();
    if (!choice && !countsAsOn(m_launchAtLoginController->loginItemStatus())) {
        try {
            m_launchAtLoginController->registerLoginItem();
        } catch (const std::exception&) {
        }
    }
    const bool isOn = countsAsOn(m_launchAtLoginController->loginItemStatus());
    if (isOn || choice) m_launchAtLoginChoice.remember(isOn);
}

void DisplayManager::setLaunchAtLoginEnabled(bool enabled) {
    const bool previous = launchAtLoginEnabled();
    m_launchAtLoginEnabled.set(enabled);
    handleLaunchAtLoginChange(previous, false);
}

void DisplayManager::handleLaunchAtLoginChange(bool previous, bool isRollback) {
    const bool enabled = launchAtLoginEnabled();
    if (enabled == previous) return;

    // Only a request that would change something is made: the item may already be where the switch is.
    const bool isOn = countsAsOn(m_launchAtLoginController->loginItemStatus());
    std::optional<std::string> failure;
    try {
        if (enabled && !isOn) m_launchAtLoginController->registerLoginItem();
        if (!enabled && isOn) m_launchAtLoginController->unregisterLoginItem();
    } catch (const std::exception& error) {
        failure = error.what();
    }

    if (failure) {
        if (isRollback) {
            // Even going back failed, so the item moved although the request failed: show where it
            // really is, rather than going back and forth.
            m_launchAtLoginEnabled.set(countsAsOn(m_launchAtLoginController->loginItemStatus()));
        } else {
            // The switch returns to where it was; that write runs this handling once more, which
            // normally finds the item matching the old position and only updates the approval flag.
            m_launchAtLoginEnabled.set(previous);
            handleLaunchAtLoginChange(enabled, true);
        }
        m_launchAtLoginNeedsApproval.set(false);
        stopApprovalPoll();
        m_lastErrorMessage.set(std::move(failure));
        return;
    }
    if (!isRollback) m_launchAtLoginChoice.remember(enabled);
    updateApprovalState();
    if (launchAtLoginNeedsApproval()) {
        startApprovalPoll();
    } else {
        stopApprovalPoll();
    }
}

void DisplayManager::updateApprovalState() {
    m_launchAtLoginNeedsApproval.set(m_launchAtLoginController->loginItemStatus() ==
                                     LoginItemStatus::requiresApproval);
}

void DisplayManager::startApprovalPoll() {
    if (const auto& poll = approvalPollTask()) poll->cancel();
    m_approvalPollTask.set(spawn(m_queue, pollApproval(weak_from_this())));
}

void DisplayManager::stopApprovalPoll() {
    if (const auto& poll = approvalPollTask()) poll->cancel();
    m_approvalPollTask.set(std::nullopt);
}

Task<void> DisplayManager::pollApproval(std::weak_ptr<DisplayManager> weakManager) {
    while (true) {
        const std::stop_token token = co_await CurrentStopToken{};
        if (token.stop_requested()) co_return;
        bool interrupted = false;
        try {
            co_await sleepFor(approvalPollInterval);
        } catch (const TaskCancelled&) {
            interrupted = true;
        }
        if (interrupted || token.stop_requested()) co_return;
        // Held only between sleeps, so the poll never keeps the manager alive.
        const auto manager = weakManager.lock();
        if (!manager) co_return;
        manager->updateApprovalState();
        if (!manager->launchAtLoginNeedsApproval()) {
            manager->m_approvalPollTask.set(std::nullopt);
            co_return;
        }
    }
}

}  // namespace lumadesk
