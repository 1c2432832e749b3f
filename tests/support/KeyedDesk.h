#pragma once

#include <memory>
#include <string>
#include <vector>

#include "assembly/DisplayStack.h"
#include "keys/AppDelegate.h"
#include "keys/KeysFakes.h"
#include "platform/simulated/SimulatedPlatform.h"
#include "runtime/ManualMainQueue.h"
#include "runtime/VirtualSleeper.h"
#include "support/DefaultDeskPositions.h"
#include "support/TemporaryDirectory.h"

namespace lumadesk {

// The whole program below the widgets on the default simulated desk, in virtual time: once launched, keys
// pressed on the simulated keyboard go through the delegate and the manager to the monitors' DDC/CI.
struct KeyedDesk {
    explicit KeyedDesk(TransportKind transport = TransportKind::arm64)
        : stack(std::make_unique<DisplayStack>(*platform, queue,
                                               DisplayStackOptions{configDirectory.path(), transport})) {}
    KeyedDesk(const KeyedDesk&) = delete;
    KeyedDesk& operator=(const KeyedDesk&) = delete;

    TemporaryDirectory configDirectory;
    VirtualClock clock;
    VirtualSleeper sleeper{clock};
    ManualMainQueue queue{clock};
    std::unique_ptr<SimulatedPlatform> platform = SimulatedPlatform::create({}, clock, sleeper);
    std::unique_ptr<DisplayStack> stack;
    SimulatedKeyboardEvents& keyboard = platform->keyboardEvents();
    NotificationCenter notifications;
    RecordingPanels panels;
    FakeScreenList panelScreens;
    std::unique_ptr<KeyboardPermissionController> permissions;
    std::unique_ptr<AppDelegate> delegate;

    void launch() {
        platform->desk().monitor(leftTwin).setBrightness(50);
        permissions = std::make_unique<KeyboardPermissionController>(platform->permissionServices());
        delegate =
            std::make_unique<AppDelegate>(AppDelegate::Services{.manager = stack->sharedDisplayManager(),
                                                                .queue = queue,
                                                                .defaults = stack->defaults(),
                                                                .notifications = notifications,
                                                                .screens = platform->screenList(),
                                                                .panelScreens = panelScreens,
                                                                .keyboard = keyboard,
                                                                .permissions = platform->permissionServices(),
                                                                .keyboardPermissions = *permissions,
                                                                .makePanel = panels.factory(),
                                                                .trayItemFrame = {},
                                                                .log = {},
                                                                .underTestHost = true});
        delegate->applicationDidFinishLaunching();
        queue.runUntilIdle();
    }
    ~KeyedDesk() {
        delegate.reset();
        queue.runUntilIdle();
        stack.reset();
    }

    std::vector<int> monitorLevels() {
        auto& desk = platform->desk();
        return {desk.monitor(leftTwin).brightness(), desk.monitor(rightTwin).brightness(),
                desk.monitor(eastlake).brightness()};
    }
    std::string panel() {
        auto* state = delegate->brightnessHUD()->state();
        return state ? std::to_string(state->brightness().get()) + " " + state->displayName().get() : "none";
    }
};

}  // namespace lumadesk
