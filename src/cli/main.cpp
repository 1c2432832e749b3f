#include <iostream>

#include "cli/CtlProgram.h"
#include "runtime/BlockingMainQueue.h"
#include "runtime/QuitSignals.h"
#include "runtime/SystemClock.h"

int main(int argc, char** argv) {
    // Before any thread starts, so that every thread inherits the block.
    lumadesk::QuitSignals::block();
    lumadesk::SystemClock clock;
    lumadesk::SystemSleeper sleeper;
    lumadesk::BlockingMainQueue queue(clock);
    lumadesk::CtlProgram program(queue, sleeper, lumadesk::processEnvironment);
    const lumadesk::QuitSignals quitSignals(
        queue, [&program](int signal) { program.interrupt(lumadesk::QuitSignals::nameOf(signal)); });
    return program.run({argv + 1, argv + argc}, std::cout, std::cerr);
}
