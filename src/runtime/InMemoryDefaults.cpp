#include "runtime/InMemoryDefaults.h"

namespace lumadesk {

std::optional<DefaultsValue> InMemoryDefaults::value(const std::string& key) const {
    auto it = m_values.find(key);
    if (it == m_values.end()) return std::nullopt;
    return it->second;
}

void InMemoryDefaults::setValue(const std::string& key, DefaultsValue value) {
    if (m_writeFailure) throw DefaultsWriteError(*m_writeFailure);
    m_values[key] = std::move(value);
    notifyChanged(key);
}

void InMemoryDefaults::removeValue(const std::string& key) {
    if (m_writeFailure) throw DefaultsWriteError(*m_writeFailure);
    if (m_values.erase(key) > 0) notifyChanged(key);
}

}  // namespace lumadesk
