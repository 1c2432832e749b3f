#include <gtest/gtest.h>

#include <fstream>

#include "platform/simulated/SimulatedDeskFile.h"
#include "platform/simulated/SimulatedPlatform.h"
#include "runtime/VirtualSleeper.h"
#include "support/TemporaryDirectory.h"

using namespace lumadesk;

namespace {

constexpr const char* twoMonitors = R"({"displays": [
  {"name": "Left", "productName": {"de_DE": "Links", "en_US": "Left"}, "vendor": 4268, "product": 41234,
   "serial": 5, "edidSerial": "L5", "unit": 1, "ddc": {"brightness": 30}, "avServicePath": "IOService:/dispext0"},
  {"name": "Right", "vendor": 4268, "product": 41235, "unit": 2, "online": false, "registryEDID": false,
   "framebufferBuses": 3, "i2cTransactionTypes": [1]}
]})";

struct DeskHarness {
    VirtualClock clock;
    VirtualSleeper sleeper{clock};
    SimulatedDesk desk{SimulatedDeskFile::parse(twoMonitors, "two.json"), clock, sleeper};
};

}  // namespace

TEST(SimulatedDesk, BuildsEverySeamFromTheDescription) {
    DeskHarness h;
    EXPECT_EQ(h.desk.windowServer().onlineDisplayIDs().displayIDs, (std::vector<DisplayID>{1}));
    EXPECT_EQ(h.desk.screenList().screens().size(), 1U);

    auto& registry = h.desk.displayRegistry();
    const RegistryService left = registry.serviceForUnitNumber(1);
    ASSERT_TRUE(left);
    EXPECT_EQ(registry.productNames(left),
              DisplayProductNames(std::vector<LocalizedName>{{"de_DE", "Links"}, {"en_US", "Left"}}));
    EXPECT_TRUE(registry.edid(left));
    EXPECT_FALSE(registry.serviceForUnitNumber(2));  // not plugged in
    // Every bus of every framebuffer announces its types: one of Left's, three of Right's.
    EXPECT_EQ(registry.framebufferI2CTransactionTypes(), (std::vector<std::uint64_t>{0b110, 0b10, 0b10, 0b10}));

    const auto& edid = h.desk.monitor(0).edid();
    EXPECT_EQ(edid[8] << 8 | edid[9], 4268);
    EXPECT_EQ(edid[10] | edid[11] << 8, 41234);
    EXPECT_EQ(edid[12], 5);
    EXPECT_EQ(h.desk.monitor(0).config().productName, "Left");
    EXPECT_EQ(h.desk.monitor(0).config().serialText, "L5");
    EXPECT_EQ(h.desk.monitor(0).brightness(), 30);
    EXPECT_FALSE(h.desk.monitor(1).config().answersDDC);

    EXPECT_EQ(h.desk.avServiceBus().services(),
              (std::vector<AVServiceEntry>{{SimulatedDesk::firstAVServiceHandle, "IOService:/dispext0"}}));
}

TEST(SimulatedDesk, PlugAndUnplugMoveTheServicesWithTheDisplay) {
    DeskHarness h;
    std::vector<std::pair<DisplayID, ReconfigurationFlags>> notices;
    const auto token = h.desk.windowServer().registerReconfigurationCallback(
        [&](DisplayID displayID, ReconfigurationFlags flags) {
            // Every service is in place by the time the notice arrives.
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

TEST(SimulatedDesk, StartsFromASavedStateAndReportsItsOwn) {
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

TEST(SimulatedDeskStateFile, KeepsEachDeskUnderItsKeyAndForgetsEditedDesks) {
    TemporaryDirectory directory;
    SimulatedDeskStateFile file(directory.path() / "sub" / "state.json");
    EXPECT_FALSE(file.load("a", "f1", 1).state);
    EXPECT_FALSE(file.load("a", "f1", 1).problem);

    file.save("a", "f1", {{10, 1, true, true}});
    file.save("b", "f2", {{20, 4, false, false}, {30, 1, true, true}});
    EXPECT_EQ(file.load("a", "f1", 1).state, (std::vector<SimulatedDisplayState>{{10, 1, true, true}}));
    EXPECT_EQ(file.load("b", "f2", 2).state->at(0), (SimulatedDisplayState{20, 4, false, false}));
    EXPECT_FALSE(file.load("a", "changed", 1).state);
    EXPECT_FALSE(file.load("a", "f1", 2).state);
    EXPECT_NE(SimulatedDeskStateFile::fingerprint("{}"), SimulatedDeskStateFile::fingerprint("{ }"));
}

TEST(SimulatedDeskStateFile, ABrokenFileIsReportedIgnoredAndReplacedOnSave) {
    TemporaryDirectory directory;
    const auto path = directory.path() / "state.json";
    std::ofstream(path) << "{ not json";
    SimulatedDeskStateFile file(path);
    const auto loaded = file.load("a", "f", 1);
    EXPECT_FALSE(loaded.state);
    ASSERT_TRUE(loaded.problem);
    EXPECT_NE(loaded.problem->find(path.string()), std::string::npos);

    file.save("a", "f", {{10, 1, true, true}});
    EXPECT_TRUE(file.load("a", "f", 1).state);

    std::ofstream(path) << R"({"version": 1, "desks": {"a": {"fingerprint": "f", "displays": [{"brightness": "x"}]}}})";
    EXPECT_TRUE(file.load("a", "f", 1).problem);
}

TEST(SimulatedPlatform, SuccessiveRunsOnTheSameDeskSeeTheSameDesk) {
    TemporaryDirectory directory;
    const auto deskFile = directory.path() / "two.json";
    std::ofstream(deskFile) << twoMonitors;
    VirtualClock clock;
    VirtualSleeper sleeper(clock);
    const SimulatedPlatformOptions options{deskFile, directory.path() / SimulatedPlatform::stateFileName, {}};
    {
        auto platform = SimulatedPlatform::create(options, clock, sleeper);
        platform->desk().monitor(0).setBrightness(12);
        platform->desk().plug(1);
        platform->persistState();
    }
    auto again = SimulatedPlatform::create(options, clock, sleeper);
    EXPECT_EQ(again->desk().monitor(0).brightness(), 12);
    EXPECT_EQ(again->windowServer().onlineDisplayIDs().displayIDs, (std::vector<DisplayID>{1, 2}));
    EXPECT_EQ(again->deskKey(), std::filesystem::weakly_canonical(deskFile).string());

    // The default desk is another desk and starts from its own description.
    auto defaultDesk = SimulatedPlatform::create({std::nullopt, options.stateFile, {}}, clock, sleeper);
    EXPECT_EQ(defaultDesk->deskKey(), "default");
    EXPECT_EQ(defaultDesk->desk().displayCount(), 8U);
}

TEST(SimulatedPlatform, ABrokenStateFileIsReportedAndTheDeskStartsFresh) {
    TemporaryDirectory directory;
    const auto stateFile = directory.path() / SimulatedPlatform::stateFileName;
    std::ofstream(stateFile) << "[1, 2";
    VirtualClock clock;
    VirtualSleeper sleeper(clock);
    std::vector<std::string> problems;
    auto platform = SimulatedPlatform::create(
        {std::nullopt, stateFile, [&](const std::string& problem) { problems.push_back(problem); }}, clock,
        sleeper);
    EXPECT_EQ(problems.size(), 1U);
    EXPECT_EQ(platform->desk().monitor(1).brightness(), 40);
}

TEST(SimulatedPlatform, ABadDeskFileIsRefusedWithItsName) {
    TemporaryDirectory directory;
    const auto deskFile = directory.path() / "bad.json";
    std::ofstream(deskFile) << R"({"displays": [{"name": "X", "vendor": 1}]})";
    VirtualClock clock;
    VirtualSleeper sleeper(clock);
    try {
        SimulatedPlatform::create({deskFile, std::nullopt, {}}, clock, sleeper);
        FAIL();
    } catch (const SimulatedDeskError& error) {
        EXPECT_EQ(std::string(error.what()), deskFile.string() + R"(: display 0 ("X"): "product" is missing.)");
    }
}
