#pragma once

#include "registry/LaunchAtLoginControlling.h"

namespace lumadesk {

// Login-item control straight over the platform's login-item service.
class LaunchAtLoginController final : public LaunchAtLoginControlling {
public:
    // The service must outlive the controller.
    explicit LaunchAtLoginController(LaunchAtLoginServicing& service) : m_service(service) {}

    LoginItemStatus loginItemStatus() const override { return m_service.status(); }
    void registerLoginItem() override { m_service.registerItem(); }
    void unregisterLoginItem() override { m_service.unregisterItem(); }

    LaunchAtLoginServicing& service() const { return m_service; }

private:
    LaunchAtLoginServicing& m_service;
};

}  // namespace lumadesk
