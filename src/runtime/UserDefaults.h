#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "runtime/Signal.h"

namespace lumadesk {

using Data = std::vector<std::uint8_t>;
using DefaultsValue = std::variant<bool, std::int64_t, double, std::string, Data>;

// A write to the defaults that could not be made durable; the previous value stays.
class DefaultsWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The application's typed key-value settings, with per-key change notification.
class UserDefaults {
public:
    virtual ~UserDefaults() = default;
    UserDefaults() = default;
    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;

    // The stored value for the key, if any.
    virtual std::optional<DefaultsValue> value(const std::string& key) const = 0;
    // Stores the value for the key; throws DefaultsWriteError when it cannot be stored.
    virtual void setValue(const std::string& key, DefaultsValue value) = 0;
    // Removes the key; throws DefaultsWriteError when the removal cannot be stored.
    virtual void removeValue(const std::string& key) = 0;

    // Told that the key holds a value of a form its reader cannot use, which will be replaced on the next
    // write: defaults kept in a file keep a copy of the file first and tell the user where, once per
    // version of the file. Defaults kept in memory have nothing to keep.
    virtual void keepCopyOfUnusableValue(const std::string& key) { static_cast<void>(key); }

    // Typed reads: absent when the key is missing or holds another type.
    std::optional<bool> boolValue(const std::string& key) const { return typed<bool>(key); }
    std::optional<std::int64_t> integerValue(const std::string& key) const {
        return typed<std::int64_t>(key);
    }
    std::optional<double> doubleValue(const std::string& key) const { return typed<double>(key); }
    std::optional<std::string> stringValue(const std::string& key) const { return typed<std::string>(key); }
    std::optional<Data> dataValue(const std::string& key) const { return typed<Data>(key); }

    // Calls back after every change of the key made through this object.
    [[nodiscard]] Subscription observe(const std::string& key, std::function<void()> callback) {
        return m_signals[key].subscribe([callback = std::move(callback)] { callback(); });
    }

protected:
    void notifyChanged(const std::string& key) {
        if (auto it = m_signals.find(key); it != m_signals.end()) it->second.emit();
    }

private:
    template <typename T>
    std::optional<T> typed(const std::string& key) const {
        auto stored = value(key);
        if (!stored) return std::nullopt;
        if (auto* typedValue = std::get_if<T>(&*stored)) return *typedValue;
        return std::nullopt;
    }

    std::map<std::string, Signal<>> m_signals;
};

}  // namespace lumadesk
