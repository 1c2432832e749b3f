#include <iostream>

#include "cli/CtlProgram.h"
#include "runtime/BlockingMainQueue.h"
#include "runtime/SystemClock.h"

int main(int argc, char** argv) {
    lumadesk::SystemClock clock;
    lumadesk::SystemSleeper sleeper;
    lumadesk::BlockingMainQueue queue(clock);
    lumadesk::CtlProgram program(queue, sleeper, lumadesk::processEnvironment);
    return program.run({argv + 1, argv + argc}, std::cout, std::cerr);
}
