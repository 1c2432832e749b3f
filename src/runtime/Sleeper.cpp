#include "runtime/Sleeper.h"

#include <thread>

namespace lumadesk {

void SystemSleeper::sleep(Duration duration) {
    if (duration.count() > 0) std::this_thread::sleep_for(duration);
}

}  // namespace lumadesk
