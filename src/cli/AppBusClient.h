#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "intents/DisplayAction.h"
#include "intents/DisplayEntity.h"
#include "intents/IntentResult.h"

struct sd_bus;

namespace lumadesk {

// The bus could not carry a call to the application, or the application did not answer in time.
class AppBusError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Runs display actions in the tray application over the session bus (sd-bus, blocking calls with a
// timeout). The application's own errors come back as DisplayIntentError with its description.
class AppBusClient {
public:
    // Connects to the session bus at the address; none when there is no session bus to reach.
    static std::optional<AppBusClient> connect(const std::string& address, std::chrono::milliseconds timeout);

    AppBusClient(AppBusClient&&) noexcept;
    AppBusClient& operator=(AppBusClient&&) noexcept;
    ~AppBusClient();

    // Whether the application holds its name on the bus.
    bool isAppRunning();
    // The desk the application runs on (PlatformArguments::deskName); none when it does not say.
    std::optional<std::string> desk();
    // The application's displays as its query lists them.
    std::vector<DisplayEntity> displays();
    // Runs the action in the application; throws DisplayIntentError or AppBusError.
    IntentResult perform(const DisplayActionRequest& request);

private:
    struct BusCloser {
        void operator()(sd_bus* bus) const;
    };
    explicit AppBusClient(std::unique_ptr<sd_bus, BusCloser> bus);

    std::unique_ptr<sd_bus, BusCloser> m_bus;
};

}  // namespace lumadesk
