#include "keys/AppDelegate.h"

#include "keys/BrightnessRouting.h"
#include "runtime/Spawn.h"

#include <algorithm>
#include <utility>

namespace lumadesk {

AppDelegate::AppDelegate(Services services)
    : m_services(std::move(services)), m_self(std::make_shared<AppDelegate*>(this)) {}

AppDelegate::~AppDelegate() = default;

void AppDelegate::applicationDidFinishLaunching() {
    spawn(m_services.queue, m_services.manager->refresh());
    std::weak_ptr<AppDelegate*> weakSelf = m_self;
    m_brightnessHUD =
        std::make_unique<BrightnessHUD>(BrightnessHUD::Services{.queue = m_services.queue,
                                                                .screens = m_services.panelScreens,
                                                                .makePanel = m_services.makePanel,
                                                                .trayItemFrame = m_services.trayItemFrame},
                                        [weakSelf](int level, const BrightnessHUDTarget& target) {
                                            if (const auto self = weakSelf.lock())
                                                (*self)->panelSliderChanged(level, target);
                                        });
    m_brightnessKeyHandler = std::make_unique<BrightnessKeyHandler>(
        BrightnessKeyHandler::Services{.keyboard = m_services.keyboard,
                                       .permissions = m_services.permissions,
                                       .queue = m_services.queue,
                                       .defaults = m_services.defaults,
                                       .log = m_services.log},
        [this](int delta) { brightnessStep(delta); });
    m_brightnessKeyHandler->installEventTap();
    m_brightnessKeyHandler->installHIDMonitor();
    m_brightnessKeyHandler->registerHotKeys();
    m_shortcutObserver =
        m_services.notifications.addObserver(shortcutsDidChange, [this] { reloadBrightnessHotKeys(); });

    if (m_services.underTestHost) return;
    const auto& granted = m_services.keyboardPermissions.state().get();
    if (granted.accessibilityGranted && granted.inputMonitoringGranted) return;
    if (m_services.defaults.boolValue(didRequestPermissionsKey).value_or(false)) return;
    try {
        m_services.defaults.setValue(didRequestPermissionsKey, true);
    } catch (const DefaultsWriteError&) {
        // Not remembered: the user is asked again at the next start rather than never.
    }
    m_services.queue.post([weakSelf] {
        if (const auto self = weakSelf.lock()) (*self)->m_services.keyboardPermissions.requestAccess();
    });
}

void AppDelegate::applicationDidBecomeActive() {
    m_services.keyboardPermissions.refresh();
    if (!m_brightnessKeyHandler) return;
    tearDownKeyPaths(false);
    m_brightnessKeyHandler->installEventTap();
    m_brightnessKeyHandler->installHIDMonitor();
}

void AppDelegate::applicationWillTerminate() {
    m_shortcutObserver.reset();
    if (m_brightnessKeyHandler) tearDownKeyPaths(true);
    m_services.manager->restoreDisconnectedDisplays();
}

void AppDelegate::tearDownKeyPaths(bool includingHotKeys) {
    auto& handler = *m_brightnessKeyHandler;
    handler.repeater().activeSources().clear();
    handler.repeater().stop();
    handler.removeEventTap();
    handler.removeHIDMonitor();
    if (includingHotKeys) handler.unregisterHotKeys();
    handler.removeGlobalMonitor();
}

void AppDelegate::reloadBrightnessHotKeys() {
    if (!m_brightnessKeyHandler) return;
    m_brightnessKeyHandler->unregisterHotKeys();
    m_brightnessKeyHandler->registerHotKeys();
}

void AppDelegate::brightnessStep(int delta) {
    spawn(m_services.queue, route(m_self, m_services.manager, delta));
}

void AppDelegate::panelSliderChanged(int level, const BrightnessHUDTarget& target) {
    spawn(m_services.queue, applySlider(m_self, m_services.manager, level, target));
}

std::string AppDelegate::controlMode() const {
    return m_services.defaults.stringValue(controlModeKey).value_or(BrightnessRouting::allMode);
}

bool AppDelegate::showsHUD() const {
    return m_services.defaults.boolValue(showHUDKey).value_or(true);
}

std::optional<std::string> AppDelegate::displayUnderPointer() const {
    return BrightnessRouting::displayUnderPointer(BrightnessRouting::eligible(m_services.manager->displays()),
                                                  m_services.screens.screens(),
                                                  m_services.screens.pointerLocation());
}

Task<void> AppDelegate::route(std::weak_ptr<AppDelegate*> weakSelf, std::shared_ptr<DisplayManager> manager,
                              int delta) {
    std::string mode;
    bool showHUD = true;
    std::optional<std::string> routed;
    {
        // Not held across the write: the delegate may go while it runs.
        const auto self = weakSelf.lock();
        if (!self) co_return;
        mode = (*self)->controlMode();
        showHUD = (*self)->showsHUD();
        if (mode == BrightnessRouting::currentMode) {
            routed = (*self)->displayUnderPointer();
        } else if (mode != BrightnessRouting::allMode) {
            routed = mode;
        }
    }
    const auto eligible = BrightnessRouting::eligible(manager->displays());
    if (!routed) {
        co_await manager->adjustBrightnessForAllDisplays(delta);
    } else if (const auto it = std::ranges::find(eligible, *routed, &Display::hardwareID);
               it != eligible.end()) {
        co_await manager->setBrightness(BrightnessRouting::stepped(it->brightness, delta), it->hardwareID);
    }

    const auto after = weakSelf.lock();
    if (!after || !showHUD) co_return;
    const AppDelegate& current = **after;
    const auto underPointer =
        mode == BrightnessRouting::currentMode ? current.displayUnderPointer() : std::nullopt;
    const auto content =
        BrightnessRouting::panelContent(BrightnessRouting::eligible(manager->displays()), mode, underPointer);
    if (content && current.m_brightnessHUD) {
        current.m_brightnessHUD->show(content->brightness, content->displayName, content->target);
    }
}

Task<void> AppDelegate::applySlider(std::weak_ptr<AppDelegate*> weakSelf,
                                    std::shared_ptr<DisplayManager> manager, int level,
                                    BrightnessHUDTarget target) {
    if (!weakSelf.lock()) co_return;
    const int clamped = std::clamp(level, 0, 100);
    if (target.hardwareID) {
        co_await manager->setBrightness(clamped, *target.hardwareID);
    } else {
        co_await manager->setBrightnessForAllDisplays(clamped);
    }
}

}  // namespace lumadesk
