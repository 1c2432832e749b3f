#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "registry/Display.h"
#include "runtime/MainQueue.h"

namespace lumadesk {

// The value of the all-displays slider and when its changes reach the displays.
//
// `sync` puts the mean level of the controllable displays into the slider with writes disarmed and
// re-arms them on the queue's next turn, so a value the program put there is never written back: opening
// the popover writes nothing. Changes the user makes while armed are written at once. A change the user
// makes in the one turn while disarmed is kept and written when the writes are re-armed, so that the
// last position of a drag is never lost.
class GlobalBrightnessSync {
public:
    // Called with the level to give every controllable display.
    using Writer = std::function<void(int level)>;

    GlobalBrightnessSync(MainQueue& queue, Writer write);

    // The slider's value, 0...100; 50 until the first sync.
    double globalBrightness() const { return m_state->value; }
    // The value as the card's label shows it.
    int shownLevel() const;
    // Whether a change from the user is written at once.
    bool isReady() const { return m_state->ready; }

    // Disarms writes, takes the mean brightness of the displays (keeps the value when there are none),
    // and re-arms on the queue's next turn.
    void sync(const std::vector<Display>& controllableDisplays);
    // A value the user gave the slider.
    void userChanged(double value);

private:
    struct State {
        double value = 50;
        bool ready = false;
        std::optional<double> deferred;  // the user's latest change while disarmed
        Writer write;
    };
    static void write(State& state);

    MainQueue& m_queue;
    std::shared_ptr<State> m_state;
};

}  // namespace lumadesk
