#pragma once

namespace lumadesk {

// Where a key report came from. The order is fixed: the tap's disable handling releases 0 to 3.
enum class BrightnessKeySource {
    eventTapSystemIncrease,
    eventTapSystemDecrease,
    eventTapKeyIncrease,
    eventTapKeyDecrease,
    hidIncrease,
    hidDecrease,
    globalMonitorIncrease,
    globalMonitorDecrease,
    customIncrease,
    customDecrease,
};

}  // namespace lumadesk
