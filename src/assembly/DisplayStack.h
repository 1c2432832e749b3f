#pragma once

#include <chrono>
#include <filesystem>
#include <memory>

#include "assembly/TransportKind.h"
#include "hardware/DDCInterface.h"
#include "hardware/MonitorReplyWaits.h"
#include "hardware/PrivateDisplayBridge.h"
#include "hardware/ReplyTransactionTypeProbe.h"
#include "platform/Platform.h"
#include "registry/DisplayManager.h"
#include "registry/DisplayStore.h"
#include "registry/SystemDisplayChangeRegistrar.h"
#include "runtime/BackgroundPool.h"
#include "runtime/JsonFileDefaults.h"

namespace lumadesk {

// How the default stack is put together.
struct DisplayStackOptions {
    // Where the user defaults live (in the platform's settings file).
    std::filesystem::path configDirectory;
    TransportKind transport = builtTransportKind();
    // The least time between the starts of two brightness writes to one display.
    Duration writeInterval = std::chrono::milliseconds(100);
    // The login-item service the manager reads and changes; none: the platform's. Must outlive the stack.
    LaunchAtLoginServicing* loginItemService = nullptr;
    // Whether the manager registers the login item at start when it is not on. Only the tray
    // application does: a command-line run must not add anything to the user's login.
    bool registerLoginItemAtStart = false;
};

// The default display stack over one platform, assembled once: the DDC transport, the snapshot provider,
// the configuration bridge and connection controller, the hardware service, the DDC interface, the
// store over the user defaults, and the display manager. The tray application and the command line
// both start from here. The platform and the main queue must outlive the stack, and the queue must be
// drained before the stack goes (the manager's own tasks use it).
class DisplayStack {
public:
    DisplayStack(Platform& platform, MainQueue& queue, const DisplayStackOptions& options);
    DisplayStack(const DisplayStack&) = delete;
    DisplayStack& operator=(const DisplayStack&) = delete;
    ~DisplayStack();

    DisplayManager& displayManager() { return *m_displayManager; }
    const std::shared_ptr<DisplayManager>& sharedDisplayManager() const { return m_displayManager; }
    DDCInterface& ddcInterface() { return *m_ddcInterface; }
    JsonFileDefaults& defaults() { return m_defaults; }
    // The wait each monitor's replies are read after, learned and kept in the configuration directory.
    const MonitorReplyWaits& replyWaits() const { return m_replyWaits; }
    TransportKind transport() const { return m_transport; }

private:
    // Brightness writes run here; it goes first at destruction, while the hardware it writes to is there.
    std::unique_ptr<BackgroundPool> m_pool;
    TransportKind m_transport;
    ReplyTransactionTypeProbe m_replyTypeProbe;
    MonitorReplyWaits m_replyWaits;
    PrivateDisplayBridge m_displayBridge;
    std::unique_ptr<DDCInterface> m_ddcInterface;
    JsonFileDefaults m_defaults;
    DisplayStore m_store;
    SystemDisplayChangeRegistrar m_displayChangeRegistrar;
    std::shared_ptr<DisplayManager> m_displayManager;
};

}  // namespace lumadesk
