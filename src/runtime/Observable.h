#pragma once

#include <utility>

#include "runtime/Signal.h"

namespace lumadesk {

// A value whose subscribers hear of every set that changes it; an equal value is stored silently.
template <typename T>
class Observable {
public:
    Observable() = default;
    explicit Observable(T initial) : m_value(std::move(initial)) {}

    const T& get() const { return m_value; }

    // Stores the value; notifies and returns true only when it differs from the old one.
    bool set(T value) {
        const bool changed = !(value == m_value);
        m_value = std::move(value);
        if (changed) m_changed.emit(m_value);
        return changed;
    }

    [[nodiscard]] Subscription subscribe(typename Signal<T>::Callback callback) {
        return m_changed.subscribe(std::move(callback));
    }

private:
    T m_value{};
    Signal<T> m_changed;
};

}  // namespace lumadesk
