#pragma once

#include <cstdint>
#include <optional>

namespace lumadesk {

// Who takes a wheel notch over a control that sits in a scrolling list. A notch the list scrolled with
// latches the wheel to the list for a short while, so a control that comes under the pointer while
// the list moves does not take the rest of the gesture; once the wheel has rested that long, a notch
// over the control is the control's. Times are the events' own timestamps in milliseconds.
class WheelLatch {
public:
    static constexpr std::uint64_t holdMilliseconds = 500;

    // The list scrolled with a notch that came at the time.
    void listScrolled(std::uint64_t timestamp) { m_lastListScroll = timestamp; }
    // Whether a notch at the time over a control goes to the control rather than the list.
    bool controlTakes(std::uint64_t timestamp) const {
        return !m_lastListScroll || timestamp < *m_lastListScroll ||
               timestamp - *m_lastListScroll >= holdMilliseconds;
    }

private:
    std::optional<std::uint64_t> m_lastListScroll;
};

}  // namespace lumadesk
