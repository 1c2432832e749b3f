#pragma once

#include <map>
#include <mutex>
#include <vector>

#include "platform/WindowServer.h"

namespace lumadesk {

// A change a reconfiguration notice reports: the display and the flags of the change.
struct ReconfigurationNotice {
    DisplayID displayID = 0;
    ReconfigurationFlags flags = 0;
};

// The reconfiguration callbacks of a window server, notified as a window server does: first a
// begin-configuration notice for every display touched, then the changes. Safe from any thread. The
// lock is held while callbacks run, so that a removed callback is never called after its removal
// returns; it is recursive, so that a callback may register or remove callbacks itself.
class ReconfigurationCallbacks {
public:
    ReconfigurationToken add(ReconfigurationCallback callback) {
        std::lock_guard lock(m_mutex);
        m_callbacks[++m_lastToken] = std::move(callback);
        return m_lastToken;
    }

    void remove(ReconfigurationToken token) {
        std::lock_guard lock(m_mutex);
        m_callbacks.erase(token);
    }

    void notify(const std::vector<ReconfigurationNotice>& changes) {
        if (changes.empty()) return;
        std::lock_guard lock(m_mutex);
        // Copied, so that a callback may register or remove callbacks while the notices go out.
        const auto callbacks = m_callbacks;
        const auto send = [&](DisplayID displayID, ReconfigurationFlags flags) {
            for (const auto& [token, callback] : callbacks) {
                if (m_callbacks.contains(token)) callback(displayID, flags);
            }
        };
        for (const auto& change : changes) send(change.displayID, beginConfigurationFlag);
        for (const auto& change : changes) send(change.displayID, change.flags);
    }

private:
    std::recursive_mutex m_mutex;
    std::map<ReconfigurationToken, ReconfigurationCallback> m_callbacks;
    ReconfigurationToken m_lastToken = 0;
};

}  // namespace lumadesk
