#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "keys/BrightnessKeySource.h"
#include "runtime/Clock.h"
#include "runtime/MainQueue.h"
#include "runtime/Spawn.h"

namespace lumadesk {

// Merges the press and release reports of every capture path into one held key and turns it into
// brightness steps: one at once, one after the key-repeat delay, then one per repeat interval. One entry
// per path keeps a key seen on several paths from doubling steps or stopping repetition early.
class BrightnessKeyRepeater {
public:
    using Source = BrightnessKeySource;
    using OnChange = std::function<void(int delta)>;

    // The shortest repeat interval used, whatever the system says.
    static constexpr Duration minimumRepeatInterval = std::chrono::milliseconds(100);

    // The queue must outlive the repeater.
    BrightnessKeyRepeater(MainQueue& queue, Duration initialDelay, Duration repeatInterval,
                          OnChange onChange);
    ~BrightnessKeyRepeater();
    BrightnessKeyRepeater(const BrightnessKeyRepeater&) = delete;
    BrightnessKeyRepeater& operator=(const BrightnessKeyRepeater&) = delete;

    Duration initialDelay() const { return m_initialDelay; }
    Duration repeatInterval() const { return m_repeatInterval; }
    // The paths that report their key as held, with their deltas; the owner may empty it.
    std::map<Source, int>& activeSources() { return m_activeSources; }
    // The delta being repeated; none when idle.
    std::optional<int> activeDelta() const { return m_state->activeDelta; }

    // A path reports its key down.
    void press(int delta, Source source);
    // A path reports its key up.
    void release(Source source);
    // Starts (or restarts) repetition of the delta with an immediate step.
    void startRepeating(int delta);
    // Ends repetition; the held paths stay listed.
    void stop();

private:
    // What the repetition task reads; the task holds it weakly so that it ends with the repeater.
    struct State {
        std::optional<int> activeDelta;
        OnChange onChange;
    };
    static Task<void> repeat(std::weak_ptr<State> weakState, const Clock& clock, int delta,
                             MonotonicInstant secondStep, Duration interval);

    MainQueue& m_queue;
    Duration m_initialDelay;
    Duration m_repeatInterval;
    std::map<Source, int> m_activeSources;
    std::shared_ptr<State> m_state;
    std::optional<TaskHandle> m_repeatTask;
};

}  // namespace lumadesk
