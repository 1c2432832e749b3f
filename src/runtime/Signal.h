#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace lumadesk {

// Ends a subscription when destroyed; safe to outlive what it subscribed to.
class Subscription {
public:
    Subscription() = default;
    explicit Subscription(std::function<void()> cancel) : m_cancel(std::move(cancel)) {}
    Subscription(Subscription&& other) noexcept : m_cancel(std::exchange(other.m_cancel, nullptr)) {}
    Subscription& operator=(Subscription&& other) noexcept {
        if (this != &other) {
            reset();
            m_cancel = std::exchange(other.m_cancel, nullptr);
        }
        return *this;
    }
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;
    ~Subscription() { reset(); }

    // Ends the subscription now.
    void reset() {
        if (auto cancel = std::exchange(m_cancel, nullptr)) cancel();
    }

private:
    std::function<void()> m_cancel;
};

// A list of callbacks called in subscription order; callbacks may subscribe or unsubscribe while called,
// and may destroy the signal's owner: the rest of that emit then calls nobody.
template <typename... Args>
class Signal {
public:
    using Callback = std::function<void(const Args&...)>;

    Signal() : m_state(std::make_shared<State>()) {}
    Signal(const Signal&) = delete;
    Signal& operator=(const Signal&) = delete;
    ~Signal() { m_state->entries.clear(); }

    [[nodiscard]] Subscription subscribe(Callback callback) {
        const auto id = ++m_state->nextID;
        m_state->entries.push_back({id, std::make_shared<Callback>(std::move(callback))});
        std::weak_ptr<State> weak = m_state;
        return Subscription([weak, id] {
            if (auto state = weak.lock())
                std::erase_if(state->entries, [id](const Entry& e) { return e.id == id; });
        });
    }

    void emit(const Args&... args) const {
        // A callback may destroy this signal: from here on only the local copies are touched.
        const std::shared_ptr<State> state = m_state;
        const auto entries = state->entries;  // callbacks may change the list
        for (const auto& entry : entries) {
            const bool stillSubscribed = std::any_of(state->entries.begin(), state->entries.end(),
                                                     [&](const Entry& e) { return e.id == entry.id; });
            if (stillSubscribed) (*entry.callback)(args...);
        }
    }

    bool empty() const { return m_state->entries.empty(); }

private:
    struct Entry {
        std::uint64_t id;
        std::shared_ptr<Callback> callback;
    };
    struct State {
        std::uint64_t nextID = 0;
        std::vector<Entry> entries;
    };
    std::shared_ptr<State> m_state;
};

}  // namespace lumadesk
