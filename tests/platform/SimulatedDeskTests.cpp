#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <functional>

#include "platform/simulated/SimulatedDeskFile.h"
#include "platform/simulated/SimulatedPlatform.h"
#include "runtime/VirtualSleeper.h"
#include "support/TemporaryDirectory.h"

using namespace lumadesk;

namespace {

// Left is online with DDC/CI and an AV service; Right is unplugged.
constexpr const char* twoMonitors = R"({"displays": [
  {"name": "Left", "vendor": 4268, "product": 41234, "unit": 1, "ddc": {"brightness": 30},
   "avServicePath": "IOService:/dispext0"},
  {"name": "Right", "vendor": 4268, "product": 41235, "unit": 2, "online": false}
]})";

struct DeskHarness {
    VirtualClock clock;
    VirtualSleeper sleeper{clock};
    SimulatedDesk desk{SimulatedDeskFile::parse(twoMonitors, "two.json"), clock, sleeper};
};

}  // namespace

TEST(SimulatedDesk, PlugAndUnplugMoveTheServicesBeforeTheNotice) {
    DeskHarness h;
    std::vector<std::pair<DisplayID, ReconfigurationFlags>> notices;
    const auto token = h.desk.windowServer().registerReconfigurationCallback([&](DisplayID displayID,
                                                                                 ReconfigurationFlags flags) {
        if (!(flags & beginConfigurationFlag)) {
            const bool plugged = flags == SimulatedWindowServer::addFlag;
            EXPECT_EQ(static_cast<bool>(h.desk.displayRegistry().serviceForUnitNumber(displayID)), plugged);
        }
        notices.emplace_back(displayID, flags);
    });
    h.desk.plug(1);
    EXPECT_EQ(h.desk.windowServer().onlineDisplayIDs().displayIDs, (std::vector<DisplayID>{1, 2}));
    h.desk.unplug(0);
    EXPECT_TRUE(h.desk.avServiceBus().services().empty());
    EXPECT_EQ(h.desk.avServiceBus().openService(SimulatedDesk::firstAVServiceHandle), nullptr);
    EXPECT_EQ(notices.size(), 4U);
    h.desk.windowServer().removeReconfigurationCallback(token);
}

TEST(SimulatedDesk, StartsFromASavedStateThatFitsItsDisplays) {
    VirtualClock clock;
    VirtualSleeper sleeper(clock);
    const std::vector<SimulatedDisplayState> saved{{77, 4, false, true}, {20, 1, true, true}};
    SimulatedDesk desk(SimulatedDeskFile::parse(twoMonitors, "two.json"), clock, sleeper, saved);
    EXPECT_EQ(desk.monitor(0).brightness(), 77);
    EXPECT_EQ(desk.monitor(0).powerMode(), 4);
    EXPECT_EQ(desk.windowServer().onlineDisplayIDs().displayIDs, (std::vector<DisplayID>{2}));
    EXPECT_EQ(desk.state(), saved);

    // A state for another number of displays does not fit and is not used.
    SimulatedDesk fresh(SimulatedDeskFile::parse(twoMonitors, "two.json"), clock, sleeper,
                        std::vector<SimulatedDisplayState>{{1, 1, true, true}});
    EXPECT_EQ(fresh.monitor(0).brightness(), 30);
}

TEST(SimulatedDeskStateFile, KeepsEachDeskUnderItsKeyAndForgetsEditedOrBrokenOnes) {
    TemporaryDirectory directory;
    const auto path = directory.path() / "sub" / "state.json";
    SimulatedDeskStateFile file(path);
    EXPECT_FALSE(file.load("a", "f1", 1).state);
    EXPECT_FALSE(file.load("a", "f1", 1).problem);

    file.save("a", "f1", {{10, 1, true, true}});
    file.save("b", "f2", {{20, 4, false, false}, {30, 1, true, true}});
    EXPECT_EQ(file.load("a", "f1", 1).state, (std::vector<SimulatedDisplayState>{{10, 1, true, true}}));
    EXPECT_EQ(file.load("b", "f2", 2).state->at(0), (SimulatedDisplayState{20, 4, false, false}));
    // An edited desk has another fingerprint; a whitespace change counts too.
    EXPECT_FALSE(file.load("a", "changed", 1).state);
    EXPECT_FALSE(file.load("a", "f1", 2).state);
    EXPECT_NE(SimulatedDeskStateFile::fingerprint("{}"), SimulatedDeskStateFile::fingerprint("{ }"));

    // A file that cannot be read, or holds a wrong value, is reported by name, and replaced on save.
    std::ofstream(path) << "{ not json";
    ASSERT_TRUE(file.load("a", "f1", 1).problem);
    EXPECT_NE(file.load("a", "f1", 1).problem->find(path.string()), std::string::npos);
    EXPECT_FALSE(file.load("a", "f1", 1).state);
    file.save("a", "f1", {{10, 1, true, true}});
    EXPECT_TRUE(file.load("a", "f1", 1).state);
    std::ofstream(path)
        << R"({"version": 1, "desks": {"a": {"fingerprint": "f", "displays": [{"brightness": "x"}]}}})";
    EXPECT_TRUE(file.load("a", "f", 1).problem);
}

// Whatever sits in the state file's place (a directory, a FIFO, a damaged file) is kept aside on save
// rather than failing every command; a writer's temporary file left by a kill is cleaned up; a level out
// of any monitor's range is brought into it and reported.
TEST(SimulatedDeskStateFile, SetsAsideWhatCannotBeReadCleansUpAndCorrectsLevels) {
    const auto keptCopies = [](const std::filesystem::path& directory) {
        std::size_t count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(directory))
            count += entry.path().filename().string().find(".corrupt-") != std::string::npos;
        return count;
    };
    const std::vector<std::function<void(const std::filesystem::path&)>> plants{
        [](const std::filesystem::path& path) { std::filesystem::create_directory(path); },
        [](const std::filesystem::path& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); },
        [](const std::filesystem::path& path) { std::ofstream(path) << "{ not json"; },
    };
    for (std::size_t index = 0; index < plants.size(); ++index) {
        const TemporaryDirectory directory;
        const auto path = directory.path() / "state.json";
        plants[index](path);
        const SimulatedDeskStateFile file(path);
        EXPECT_TRUE(file.load("a", "f1", 1).problem) << index;
        EXPECT_NO_THROW(file.save("a", "f1", {{10, 1, true, true}})) << index;
        EXPECT_EQ(file.load("a", "f1", 1).state, (std::vector<SimulatedDisplayState>{{10, 1, true, true}}))
            << index;
        EXPECT_EQ(keptCopies(directory.path()), 1U) << index;
    }

    const TemporaryDirectory directory;
    const auto path = directory.path() / "state.json";
    const SimulatedDeskStateFile file(path);
    file.save("a", "f1", {{10, 1, true, true}});
    std::vector<std::filesystem::path> before;
    for (const auto& entry : std::filesystem::directory_iterator(directory.path()))
        before.push_back(entry.path());
    // What a writer killed between creating and renaming its temporary file leaves.
    const auto leftover = directory.path() / (path.filename().string() + ".tmp-killed");
    std::ofstream(leftover) << "{";
    file.save("a", "f1", {{11, 1, true, true}});
    std::vector<std::filesystem::path> after;
    for (const auto& entry : std::filesystem::directory_iterator(directory.path()))
        after.push_back(entry.path());
    std::sort(before.begin(), before.end());
    std::sort(after.begin(), after.end());
    EXPECT_EQ(after, before);

    std::ofstream(path) << R"({"version": 1, "desks": {"a": {"fingerprint": "f", "displays": [
        {"brightness": 70000, "powerMode": 1, "enabled": true, "plugged": true},
        {"brightness": -5, "powerMode": 1, "enabled": true, "plugged": true}]}}})";
    const auto loaded = file.load("a", "f", 2);
    ASSERT_TRUE(loaded.state);
    EXPECT_EQ(loaded.state->at(0).brightness, 65535);
    EXPECT_EQ(loaded.state->at(1).brightness, 0);
    EXPECT_EQ(loaded.problem,
              "The simulated desk's saved state in " + path.string() +
                  " was corrected: The saved brightness 70000 of display 1 is out of range; "
                  "65535 is used. The saved brightness -5 of display 2 is out of range; 0 is used.");
    // A monitor shows at most its maximum.
    VirtualClock clock;
    VirtualSleeper sleeper(clock);
    SimulatedDesk desk(SimulatedDeskFile::parse(twoMonitors, "two.json"), clock, sleeper, *loaded.state);
    EXPECT_EQ(desk.monitor(0).brightness(), 100);
}
