#include "interface/logic/GlobalBrightnessSync.h"

#include <numeric>
#include <utility>

#include "interface/logic/BrightnessLevel.h"

namespace lumadesk {

GlobalBrightnessSync::GlobalBrightnessSync(MainQueue& queue, Writer write)
    : m_queue(queue), m_state(std::make_shared<State>()) {
    m_state->write = std::move(write);
}

int GlobalBrightnessSync::shownLevel() const {
    return roundedLevel(m_state->value);
}

void GlobalBrightnessSync::sync(const std::vector<Display>& controllableDisplays) {
    m_state->ready = false;
    if (!controllableDisplays.empty()) {
        const double sum =
            std::accumulate(controllableDisplays.begin(), controllableDisplays.end(), 0.0,
                            [](double total, const Display& d) { return total + d.brightness; });
        m_state->value = sum / static_cast<double>(controllableDisplays.size());
    }
    // The re-arm outlives this object only as a no-op.
    m_queue.post([weak = std::weak_ptr<State>(m_state)] {
        auto state = weak.lock();
        if (!state || state->ready) return;
        state->ready = true;
        if (auto deferred = std::exchange(state->deferred, std::nullopt);
            deferred && *deferred != state->value) {
            state->value = *deferred;
            write(*state);
        }
    });
}

void GlobalBrightnessSync::userChanged(double value) {
    if (!m_state->ready) {
        m_state->deferred = value;
        return;
    }
    if (value == m_state->value) return;
    m_state->value = value;
    write(*m_state);
}

void GlobalBrightnessSync::write(State& state) {
    state.write(roundedLevel(state.value));
}

}  // namespace lumadesk
