#include "keys/BrightnessKeyRepeater.h"

#include "runtime/Sleep.h"

#include <algorithm>
#include <utility>

namespace lumadesk {

BrightnessKeyRepeater::BrightnessKeyRepeater(MainQueue& queue, Duration initialDelay, Duration repeatInterval,
                                             OnChange onChange)
    : m_queue(queue),
      m_initialDelay(initialDelay),
      m_repeatInterval(std::max(repeatInterval, Duration(minimumRepeatInterval))),
      m_state(std::make_shared<State>(State{.activeDelta = std::nullopt, .onChange = std::move(onChange)})) {}

BrightnessKeyRepeater::~BrightnessKeyRepeater() {
    stop();
}

void BrightnessKeyRepeater::press(int delta, Source source) {
    const auto previous = m_activeSources.find(source);
    const bool sameAsBefore = previous != m_activeSources.end() && previous->second == delta;
    m_activeSources[source] = delta;
    if (sameAsBefore) return;                   // a repeated key-down from the same path
    if (m_state->activeDelta == delta) return;  // another path already repeats this direction
    startRepeating(delta);
}

void BrightnessKeyRepeater::release(Source source) {
    const auto entry = m_activeSources.find(source);
    if (entry == m_activeSources.end()) return;
    const int removed = entry->second;
    m_activeSources.erase(entry);
    if (m_state->activeDelta != removed) return;
    if (std::ranges::any_of(m_activeSources, [removed](const auto& held) { return held.second == removed; }))
        return;
    if (!m_activeSources.empty()) {
        startRepeating(m_activeSources.begin()->second);
    } else {
        stop();
    }
}

void BrightnessKeyRepeater::startRepeating(int delta) {
    if (m_repeatTask) m_repeatTask->cancel();
    const auto& clock = m_queue.clock();
    // Counted from the key's first step, whatever that step's own work takes.
    const auto secondStep = clock.monotonicNow() + m_initialDelay;
    m_state->activeDelta = delta;
    m_state->onChange(delta);
    m_repeatTask = spawn(m_queue, repeat(m_state, clock, delta, secondStep, m_repeatInterval));
}

void BrightnessKeyRepeater::stop() {
    m_state->activeDelta.reset();
    if (m_repeatTask) m_repeatTask->cancel();
    m_repeatTask.reset();
}

Task<void> BrightnessKeyRepeater::repeat(std::weak_ptr<State> weakState, const Clock& clock, int delta,
                                         MonotonicInstant secondStep, Duration interval) {
    try {
        // Each step is due at delay + k x interval from the first: a late wake-up or a slow step does
        // not push every later step back. The task runs on the queue, whose clock outlives it.
        auto due = secondStep;
        for (;;) {
            co_await sleepFor(std::max(due - clock.monotonicNow(), Duration::zero()));
            co_await checkCancellation();
            const auto state = weakState.lock();
            if (!state || state->activeDelta != delta) co_return;
            state->onChange(delta);
            due += interval;
            // More than a step behind (the machine was suspended): no burst of steps to catch up.
            if (const auto now = clock.monotonicNow(); due < now) due = now + interval;
        }
    } catch (const TaskCancelled&) {
        // Stopped, released or turned round: the repetition just ends.
    }
}

}  // namespace lumadesk
