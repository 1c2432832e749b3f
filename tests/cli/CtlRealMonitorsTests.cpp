#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <sstream>

#include "cli/CtlProgram.h"
#include "platform/linux/DDCProblems.h"
#include "runtime/ManualMainQueue.h"
#include "runtime/VirtualSleeper.h"
#include "support/FakeLinuxDesk.h"

using namespace lumadesk;

namespace {

// lumadesk-ctl on the Linux platform, over a fake sysfs tree whose i2c-dev nodes lead to simulated
// monitors that answer DDC/CI byte for byte, in virtual time.
struct RealMonitorsCtl {
    FakeLinuxDesk desk;
    TemporaryDirectory configDirectory;
    std::string out;
    std::string err;

    int run(const std::vector<std::string>& arguments, FakeLinuxSystem& system) {
        VirtualSleeper sleeper(desk.clock);
        ManualMainQueue queue(desk.clock);
        const std::string directory = configDirectory.path().string();
        CtlProgram program(
            queue, sleeper,
            [directory](const std::string& name) -> std::optional<std::string> {
                if (name == "LUMADESK_CONFIG_DIR") return directory;
                return std::nullopt;
            },
            &system);
        std::ostringstream outStream;
        std::ostringstream errStream;
        const int status = program.run(arguments, outStream, errStream);
        out = outStream.str();
        err = errStream.str();
        return status;
    }
    int run(const std::vector<std::string>& arguments) { return run(arguments, desk.system); }
};

}  // namespace

TEST(CtlOnRealMonitors, ListsTheMonitorsOfEveryDriverWithTheirBrightnessOverI2CDev) {
    RealMonitorsCtl ctl;
    ctl.desk.monitorA->setBrightness(35);
    ctl.desk.monitorB->setBrightness(80);
    ASSERT_EQ(ctl.run({"list", "--json"}), 0) << ctl.err;
    EXPECT_EQ(ctl.err, "");
    const auto displays = nlohmann::json::parse(ctl.out);
    ASSERT_EQ(displays.size(), 4U) << "every external monitor, the panel left out";
    const auto expect = [&](std::size_t i, const std::string& hardwareID, const std::string& name, int brightness,
                            bool ddc) {
        SCOPED_TRACE(hardwareID);
        EXPECT_EQ(displays[i]["hardwareID"], hardwareID);
        EXPECT_EQ(displays[i]["modelName"], name);
        EXPECT_EQ(displays[i]["supportsDDC"], ddc);
        if (ddc) {
            EXPECT_EQ(displays[i]["brightness"], brightness);
        }
    };
    expect(0, "4268-41234-12345", "DELL U2720Q", 35, true);
    expect(1, "7789-23305-B-SERIAL", "LG HDR 4K", 80, true);
    expect(2, "8944-4444-42", "Display 8944-4444", 0, false);
    expect(3, "19501-3333-777", "Display 19501-3333", 50, true);
    EXPECT_EQ(ctl.desk.system.unlockedTransfers(), 0);
    EXPECT_EQ(ctl.desk.system.openDescriptors(), 0U);
    EXPECT_EQ(ctl.desk.panel->transferCount(), 0U);
    EXPECT_EQ(ctl.desk.branch->transferCount(), 0U) << "neither the MST branch's EDID nor the SMBus is read";

    ASSERT_EQ(ctl.run({"disconnect", "4268-41234-12345"}), CtlProgram::failureStatus);
    EXPECT_NE(ctl.err.find("Taking a display off the desktop is not supported in this session."), std::string::npos);
}

TEST(CtlOnRealMonitors, WithoutMonitorsListsNoneAndSaysWhy) {
    RealMonitorsCtl ctl;
    FakeLinuxSystem empty;
    ASSERT_EQ(ctl.run({"list", "--json"}, empty), 0);
    EXPECT_EQ(nlohmann::json::parse(ctl.out), nlohmann::json::array());
    EXPECT_EQ(ctl.err, "lumadesk-ctl: " + DDCProblems::noExternalMonitor() + "\n");

    ctl.desk.system.bus(5).openError = EACCES;
    ctl.desk.system.bus(7).openError = EACCES;
    ASSERT_EQ(ctl.run({"list"}), 0);
    EXPECT_NE(ctl.err.find("/dev/i2c-5, so its monitor cannot be controlled. Install Lumadesk's udev rule"),
              std::string::npos)
        << ctl.err;
    EXPECT_NE(ctl.out.find("DELL U2720Q"), std::string::npos) << "a missing permission never empties the list";
}
