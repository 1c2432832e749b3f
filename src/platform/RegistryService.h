#pragma once

#include <cstdint>
#include <functional>
#include <utility>

namespace lumadesk {

// One platform registry entry held open; released when the handle goes away. An empty handle means none.
class RegistryService {
public:
    RegistryService() = default;
    RegistryService(std::uint64_t entryID, std::function<void()> release)
        : m_entryID(entryID), m_release(std::move(release)) {}
    RegistryService(RegistryService&& other) noexcept
        : m_entryID(std::exchange(other.m_entryID, 0)), m_release(std::exchange(other.m_release, nullptr)) {}
    RegistryService& operator=(RegistryService&& other) noexcept {
        if (this != &other) {
            reset();
            m_entryID = std::exchange(other.m_entryID, 0);
            m_release = std::exchange(other.m_release, nullptr);
        }
        return *this;
    }
    RegistryService(const RegistryService&) = delete;
    RegistryService& operator=(const RegistryService&) = delete;
    ~RegistryService() { reset(); }

    // The platform's identifier of the entry; 0 for an empty handle.
    std::uint64_t entryID() const { return m_entryID; }
    explicit operator bool() const { return m_entryID != 0; }

    // Releases the entry now.
    void reset() {
        m_entryID = 0;
        if (auto release = std::exchange(m_release, nullptr)) release();
    }

private:
    std::uint64_t m_entryID = 0;
    std::function<void()> m_release;
};

}  // namespace lumadesk
