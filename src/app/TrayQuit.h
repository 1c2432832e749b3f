#pragma once

#include <functional>

#include "runtime/Clock.h"
#include "runtime/Deadline.h"

namespace lumadesk {

// The tray program's way out, in the order that loses nothing a caller was told is done, within one
// limit however the window system and the queued work behave:
//   begin():  no new bus calls are taken, and the deadline is set; then the application puts the
//             displays back, giving up at the deadline;
//   finish(): the queued work runs (every call already taken is answered with its real result) for
//             what is left of the deadline, the state is saved, and only then is the bus name given up,
//             so that a command started after that finds no tray and a saved state it does not lose.
class TrayQuit {
public:
    // What quitting does, step by step.
    struct Steps {
        // Refuses bus calls from now on.
        std::function<void()> stopTakingCalls;
        // Makes putting the displays back give up at the deadline.
        std::function<void(const Deadline&)> limitDisplayConfiguration;
        // Runs queued work for at most the time given; false when some was left then.
        std::function<bool(Duration)> drainQueue;
        // Saves what the program keeps between runs.
        std::function<void()> save;
        // Gives the bus name up.
        std::function<void()> releaseName;
    };

    TrayQuit(const Clock& clock, Duration limit, Steps steps)
        : m_clock(clock), m_limit(limit), m_steps(std::move(steps)) {}

    // As the event loop ends, before the displays are put back. Only the first call counts.
    void begin();
    // Once the event loop has returned; begins first if that has not happened. False when queued work
    // was still under way at the deadline: the caller must then end the process without the teardown
    // that would wait for it (everything else is done).
    bool finish();
    // When the whole way out must be over.
    const Deadline& deadline() const { return m_deadline; }

private:
    const Clock& m_clock;
    Duration m_limit;
    Steps m_steps;
    Deadline m_deadline;
};

}  // namespace lumadesk
