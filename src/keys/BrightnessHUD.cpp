#include "keys/BrightnessHUD.h"

#include "keys/BrightnessHUDPlacement.h"
#include "platform/ScreenList.h"

#include <utility>

namespace lumadesk {

BrightnessHUD::BrightnessHUD(Services services, OnBrightnessChange onBrightnessChange)
    : m_services(std::move(services)), m_onBrightnessChange(std::move(onBrightnessChange)) {}

BrightnessHUD::~BrightnessHUD() {
    // The timers call into this object, so they end with it.
    cancelPending();
}

void BrightnessHUD::show(int brightness, const std::string& displayName, const BrightnessHUDTarget& target) {
    // Without a screen nothing is shown, and a panel already up must still go away when its time is up.
    const auto screen = m_services.screens.mainScreen();
    if (!screen) return;
    cancelPending();
    if (!m_window) {
        m_state = std::make_unique<BrightnessHUDState>(
            [this](int level) {
                if (m_onBrightnessChange) m_onBrightnessChange(level, m_target);
            },
            [this](bool interacting) { setInteracting(interacting); });
        m_window = m_services.makePanel(*m_state, BrightnessHUDPlacement::initialFrame(screen->frame));
    }
    const auto trayItem = m_services.trayItemFrame ? m_services.trayItemFrame() : std::nullopt;
    m_window->moveTo(BrightnessHUDPlacement::origin(*screen, m_services.screens.screens(), trayItem));
    m_target = target;
    m_state->brightness().set(brightness);
    m_state->displayName().set(displayName);
    m_state->isVisible().set(true);
    m_window->orderFront();
    scheduleHide();
}

void BrightnessHUD::setInteracting(bool flag) {
    m_isInteracting = flag;
    if (flag) {
        cancelPending();
    } else {
        scheduleHide();
    }
}

void BrightnessHUD::scheduleHide() {
    if (m_hideTimer) m_hideTimer->cancel();
    m_hideTimer.reset();
    if (m_isInteracting) return;
    m_hideTimer = m_services.queue.postAfter(hideDelay, [this] { hide(); });
}

void BrightnessHUD::hide() {
    m_hideTimer.reset();
    if (!m_state) return;
    m_state->isVisible().set(false);
    m_orderOutWorkItem = m_services.queue.postAfter(orderOutDelay, [this] {
        m_orderOutWorkItem.reset();
        if (!m_state->isVisible().get()) m_window->orderOut();
    });
}

void BrightnessHUD::cancelPending() {
    if (m_hideTimer) m_hideTimer->cancel();
    if (m_orderOutWorkItem) m_orderOutWorkItem->cancel();
    m_hideTimer.reset();
    m_orderOutWorkItem.reset();
}

}  // namespace lumadesk
