// lumadesk-ctl against a real window server whose outputs are virtual: each output named on the command
// line becomes a DRM connector of a fake sysfs tree with a simulated monitor behind it, so that the
// program sees the server's outputs as the displays of a desk. The server, its bus and everything the
// program asks it are real; only the kernel's view of the monitors is not.
//
//   lumadesk_realdesk_ctl OUTPUT[,OUTPUT...] [lumadesk-ctl arguments...]

#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CtlProgram.h"
#include "runtime/BlockingMainQueue.h"
#include "runtime/QuitSignals.h"
#include "runtime/SystemClock.h"
#include "support/FakeLinuxSystem.h"

namespace {

std::vector<std::string> outputNames(const std::string& list) {
    std::vector<std::string> names;
    std::stringstream stream(list);
    for (std::string name; std::getline(stream, name, ',');)
        if (!name.empty()) names.push_back(name);
    return names;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: lumadesk_realdesk_ctl OUTPUT[,OUTPUT...] [lumadesk-ctl arguments...]\n";
        return 2;
    }
    lumadesk::QuitSignals::block();
    lumadesk::SystemClock clock;
    lumadesk::SystemSleeper sleeper;
    lumadesk::BlockingMainQueue queue(clock);

    lumadesk::FakeLinuxSystem system;
    const auto gpu = system.addPciDevice("0000:00:02.0", "0x030000", "i915");
    std::vector<std::shared_ptr<lumadesk::SimulatedMonitor>> monitors;
    unsigned index = 0;
    for (const std::string& name : outputNames(argv[1])) {
        // Monitors that tell themselves apart by serial number and name, as two of one model on a desk do.
        auto monitor = std::make_shared<lumadesk::SimulatedMonitor>(
            clock, lumadesk::SimulatedMonitorConfig{.vendor = 0x10AC,
                                                    .product = 41234,
                                                    .serial = 1000 + index,
                                                    .productName = "DESK " + std::to_string(index + 1)});
        const auto edid = std::vector<std::uint8_t>(monitor->edid().begin(), monitor->edid().end());
        const auto connector = system.addConnector(gpu, 0, name, 100 + index, true, edid);
        system.addAdapter(connector, 5 + index, "AUX " + std::to_string(index)).monitor = monitor;
        monitors.push_back(std::move(monitor));
        ++index;
    }

    lumadesk::CtlProgram program(queue, sleeper, lumadesk::processEnvironment, &system, true);
    const lumadesk::QuitSignals quitSignals(
        queue, [&program](int signal) { program.interrupt(lumadesk::QuitSignals::nameOf(signal)); });
    return program.run({argv + 2, argv + argc}, std::cout, std::cerr);
}
