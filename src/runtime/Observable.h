#pragma once

#include <deque>
#include <memory>
#include <utility>

#include "runtime/Signal.h"

namespace lumadesk {

// A value whose subscribers hear of every set that changes it; an equal value is stored silently.
// A subscriber may set the value again while it is told of a change: the new value is passed on once
// every subscriber has heard of the one before, so all of them hear every value in the order it was
// set and end on the latest.
template <typename T>
class Observable {
public:
    Observable() = default;
    explicit Observable(T initial) : m_value(std::move(initial)) {}
    Observable(const Observable&) = delete;
    Observable& operator=(const Observable&) = delete;
    ~Observable() { m_delivery->ended = true; }

    const T& get() const { return m_value; }

    // Stores the value; notifies and returns true only when it differs from the old one.
    bool set(T value) {
        const bool changed = !(value == m_value);
        m_value = std::move(value);
        if (!changed) return false;
        const std::shared_ptr<Delivery> delivery = m_delivery;
        delivery->pending.push_back(m_value);
        if (delivery->running) return true;  // the delivery under way passes it on
        delivery->running = true;
        // A subscriber may destroy this observable; the loop then touches only its own state.
        while (!delivery->ended && !delivery->pending.empty()) {
            const T next = std::move(delivery->pending.front());
            delivery->pending.pop_front();
            try {
                m_changed.emit(next);
            } catch (...) {
                delivery->running = false;
                delivery->pending.clear();
                throw;
            }
        }
        delivery->running = false;
        return true;
    }

    [[nodiscard]] Subscription subscribe(typename Signal<T>::Callback callback) {
        return m_changed.subscribe(std::move(callback));
    }

private:
    struct Delivery {
        std::deque<T> pending;
        bool running = false;
        bool ended = false;  // the observable is gone
    };

    T m_value{};
    Signal<T> m_changed;
    std::shared_ptr<Delivery> m_delivery = std::make_shared<Delivery>();
};

}  // namespace lumadesk
