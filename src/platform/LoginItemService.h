#pragma once

#include <stdexcept>

namespace lumadesk {

// Whether the application is registered to start when the user logs in.
enum class LoginItemStatus {
    notRegistered = 0,     // not registered
    enabled = 1,           // registered and allowed to start
    requiresApproval = 2,  // registered, waiting for the user's approval
    notFound = 3,          // the application cannot be found to be started
};

// A login-item request the platform refused; what() is the readable reason, naming what failed.
class LoginItemError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The platform's login-item service for this application. (`register` is a reserved word, hence the
// names of the two requests.)
class LaunchAtLoginServicing {
public:
    virtual ~LaunchAtLoginServicing() = default;
    LaunchAtLoginServicing() = default;
    LaunchAtLoginServicing(const LaunchAtLoginServicing&) = delete;
    LaunchAtLoginServicing& operator=(const LaunchAtLoginServicing&) = delete;

    // The current status; never fails.
    virtual LoginItemStatus status() const = 0;
    // Registers the application to start at login; throws LoginItemError.
    virtual void registerItem() = 0;
    // Removes the registration; throws LoginItemError.
    virtual void unregisterItem() = 0;
};

}  // namespace lumadesk
