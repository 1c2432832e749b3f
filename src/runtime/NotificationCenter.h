#pragma once

#include <map>
#include <string>

#include "runtime/Signal.h"

namespace lumadesk {

// Named notifications within the process, delivered on the main thread in observer order.
class NotificationCenter {
public:
    NotificationCenter() = default;
    NotificationCenter(const NotificationCenter&) = delete;
    NotificationCenter& operator=(const NotificationCenter&) = delete;

    // Calls every observer of the name.
    void post(const std::string& name) {
        if (auto it = m_signals.find(name); it != m_signals.end()) it->second.emit();
    }
    // Calls back on every post of the name until the subscription ends.
    [[nodiscard]] Subscription addObserver(const std::string& name, std::function<void()> callback) {
        return m_signals[name].subscribe([callback = std::move(callback)] { callback(); });
    }

private:
    std::map<std::string, Signal<>> m_signals;
};

}  // namespace lumadesk
