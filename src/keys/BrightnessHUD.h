#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "keys/BrightnessHUDPanel.h"
#include "keys/BrightnessHUDState.h"
#include "keys/BrightnessHUDTarget.h"
#include "runtime/MainQueue.h"

namespace lumadesk {

class ScreenList;

// The floating brightness panel's behaviour: shown after each key step, it hides itself 2.2 s later
// (fading for 0.18 s before it leaves the screen) unless the pointer is over it or its slider is being
// dragged; slider changes go to `onBrightnessChange` with the target of the last show.
class BrightnessHUD {
public:
    static constexpr auto hideDelay = std::chrono::milliseconds(2200);
    static constexpr auto orderOutDelay = std::chrono::milliseconds(180);

    using OnBrightnessChange = std::function<void(int level, const BrightnessHUDTarget& target)>;
    // Makes the window on the first show, bound to the state, at the given frame.
    using MakePanel =
        std::function<std::unique_ptr<BrightnessHUDPanel>(BrightnessHUDState& state, ScreenFrame frame)>;
    // The tray icon's frame when the tray reports one.
    using TrayItemFrame = std::function<std::optional<ScreenFrame>()>;

    struct Services {
        MainQueue& queue;
        ScreenList& screens;
        MakePanel makePanel;
        TrayItemFrame trayItemFrame;
    };

    // The queue and the screen list must outlive the panel.
    BrightnessHUD(Services services, OnBrightnessChange onBrightnessChange);
    ~BrightnessHUD();
    BrightnessHUD(const BrightnessHUD&) = delete;
    BrightnessHUD& operator=(const BrightnessHUD&) = delete;

    // Shows or refreshes the panel on the main screen; dropped when there is no screen.
    void show(int brightness, const std::string& displayName, const BrightnessHUDTarget& target);
    // Hovering or dragging began (the panel stays) or ended (it hides 2.2 s later).
    void setInteracting(bool flag);

    // The state the window draws; none before the first show.
    BrightnessHUDState* state() const { return m_state.get(); }
    const BrightnessHUDTarget& target() const { return m_target; }
    bool isInteracting() const { return m_isInteracting; }

private:
    void scheduleHide();
    void hide();
    void cancelPending();

    Services m_services;
    OnBrightnessChange m_onBrightnessChange;
    std::unique_ptr<BrightnessHUDState> m_state;
    std::unique_ptr<BrightnessHUDPanel> m_window;
    std::optional<TimerHandle> m_hideTimer;
    std::optional<TimerHandle> m_orderOutWorkItem;
    BrightnessHUDTarget m_target = BrightnessHUDTarget::all();
    bool m_isInteracting = false;
};

}  // namespace lumadesk
