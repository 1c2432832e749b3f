#include <gtest/gtest.h>

#include <memory>

#include "hardware/DisplayHardwareError.h"
#include "hardware/PrivateDisplayConnectionController.h"
#include "hardware/SystemDisplayConfigurationBridge.h"
#include "support/FakeWindowServer.h"
#include "support/RecordingConfigurationBridge.h"

using namespace lumadesk;

namespace {

using Steps = std::vector<std::string>;

struct ControllerHarness {
    RecordingConfigurationBridge* bridge;
    PrivateDisplayConnectionController controller;

    ControllerHarness() : ControllerHarness(std::make_unique<RecordingConfigurationBridge>()) {}

private:
    explicit ControllerHarness(std::unique_ptr<RecordingConfigurationBridge> b)
        : bridge(b.get()), controller(std::move(b)) {}
};

// The error the call throws; none when it succeeds.
template <typename Call>
std::optional<DisplayHardwareError> errorOf(Call call) {
    try {
        call();
    } catch (const DisplayHardwareError& error) {
        return error;
    }
    return std::nullopt;
}

}  // namespace

TEST(PrivateDisplayConnectionController, SuccessBeginsConfiguresAndCompletesOnly) {
    ControllerHarness h;
    h.controller.setDisplay(3, false);
    EXPECT_EQ(h.bridge->steps, (Steps{"begin", "configure 3 false", "complete"}));
}

TEST(PrivateDisplayConnectionController, AFailedDisableIsCancelledAndReported) {
    ControllerHarness h;
    h.bridge->configureError = 1001;
    const auto error = errorOf([&] { h.controller.setDisplay(3, false); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->description(), "Failed to set display 3 enabled=false (CGError 1001).");
    EXPECT_EQ(h.bridge->steps, (Steps{"begin", "configure 3 false", "cancel"}));
}

TEST(PrivateDisplayConnectionController, AFailedEnableIsCancelledAndThePermanentConfigurationRestored) {
    ControllerHarness h;
    h.bridge->configureError = 1001;
    EXPECT_FALSE(errorOf([&] { h.controller.setDisplay(3, true); }));
    EXPECT_EQ(h.bridge->steps, (Steps{"begin", "configure 3 true", "cancel", "restore"}));
}

TEST(PrivateDisplayConnectionController, AnEnableIsReportedWhenRestoringFailsToo) {
    ControllerHarness h;
    h.bridge->completeError = 1004;
    h.bridge->restoreError = 1000;
    const auto error = errorOf([&] { h.controller.setDisplay(3, true); });
    ASSERT_TRUE(error);
    EXPECT_EQ(*error, DisplayHardwareError::failedToCompleteConfiguration(1004));
    EXPECT_EQ(h.bridge->steps, (Steps{"begin", "configure 3 true", "complete", "cancel", "restore"}));
}

TEST(PrivateDisplayConnectionController, AFailedCompletionIsCancelledAndReported) {
    ControllerHarness h;
    h.bridge->completeError = 1004;
    const auto error = errorOf([&] { h.controller.setDisplay(3, false); });
    ASSERT_TRUE(error);
    EXPECT_EQ(*error, DisplayHardwareError::failedToCompleteConfiguration(1004));
    EXPECT_EQ(h.bridge->steps, (Steps{"begin", "configure 3 false", "complete", "cancel"}));
}

TEST(PrivateDisplayConnectionController, AFailedBeginStopsEverything) {
    ControllerHarness h;
    h.bridge->beginError = 1010;
    const auto error = errorOf([&] { h.controller.setDisplay(3, true); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->description(), "Failed to begin display configuration (CGError 1010).");
    EXPECT_EQ(h.bridge->steps, (Steps{"begin"}));
}

TEST(SystemDisplayConfigurationBridge, MakesTheWindowServerCallsWithTheSessionOption) {
    FakeWindowServer windowServer;
    PrivateDisplayConnectionController controller(std::make_unique<SystemDisplayConfigurationBridge>(windowServer));
    controller.setDisplay(4, false);
    EXPECT_EQ(windowServer.calls, (Steps{"begin", "configure 4 false", "complete 1"}));

    windowServer.calls.clear();
    windowServer.configureError = 1001;
    controller.setDisplay(4, true);
    EXPECT_EQ(windowServer.calls, (Steps{"begin", "configure 4 true", "cancel", "restore"}));
}

TEST(SystemDisplayConfigurationBridge, ABeginWithoutATransactionFailsWithCodeZero) {
    // A window server that reports success but opens nothing.
    class NoTransactionWindowServer final : public WindowServer {
    public:
        OnlineDisplayList onlineDisplayIDs() override { return {}; }
        bool isBuiltin(DisplayID) override { return false; }
        DisplayID mirrorsDisplay(DisplayID) override { return 0; }
        std::uint32_t vendorNumber(DisplayID) override { return 0; }
        std::uint32_t modelNumber(DisplayID) override { return 0; }
        std::uint32_t serialNumber(DisplayID) override { return 0; }
        std::uint32_t unitNumber(DisplayID) override { return 0; }
        ConfigurationBegin beginConfiguration() override { return {windowServerSuccess, std::nullopt}; }
        WindowServerError configureDisplayEnabled(DisplayConfigurationRef, DisplayID, bool) override { return 0; }
        WindowServerError completeConfiguration(DisplayConfigurationRef, ConfigureOption) override { return 0; }
        void cancelConfiguration(DisplayConfigurationRef) override {}
        WindowServerError restorePermanentConfiguration() override { return 0; }
        ReconfigurationToken registerReconfigurationCallback(ReconfigurationCallback) override { return 1; }
        void removeReconfigurationCallback(ReconfigurationToken) override {}
    } windowServer;
    SystemDisplayConfigurationBridge bridge(windowServer);
    const auto error = errorOf([&] { bridge.beginConfiguration(); });
    ASSERT_TRUE(error);
    EXPECT_EQ(*error, DisplayHardwareError::failedToBeginConfiguration(0));
}
