#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "hardware/PrivateDisplayConnectionController.h"
#include "hardware/SystemDisplayConfigurationBridge.h"
#include "support/FakeWindowServer.h"
#include "support/HardwareErrorText.h"

using namespace lumadesk;

TEST(PrivateDisplayConnectionController, TakesTheWindowServerStepsOfEachOutcome) {
    struct Case {
        bool enabled;
        std::array<WindowServerError, 4> codes;  // of begin, configure, complete and restore
        std::string steps;
        std::string error;
        bool restoreBringsDisplaysBack = false;
    };
    const std::vector<Case> cases = {
        // Success completes for this session only ("complete 1").
        {false, {}, "begin, configure 3 false, complete 1", "no error"},
        // A failed disable or completion is cancelled and reported.
        {false,
         {0, 1001},
         "begin, configure 3 false, cancel",
         "Failed to set display 3 enabled=false (CGError 1001)."},
        {false,
         {0, 0, 1004},
         "begin, configure 3 false, complete 1, cancel",
         "Failed to complete display configuration (CGError 1004)."},
        // The permanent configuration has every display on: restoring it may enable the display all the
        // same, but only an enable the window server then confirms makes it a success.
        {true,
         {0, 1001},
         "begin, configure 3 true, cancel, restore, begin, configure 3 true, complete 1",
         "no error",
         true},
        // A restore that succeeds yet leaves the display off (it held nothing, or only others) is no
        // success: the first failure is reported in its own words.
        {true,
         {0, 1001},
         "begin, configure 3 true, cancel, restore, begin, configure 3 true, cancel",
         "Failed to set display 3 enabled=true (CGError 1001)."},
        {true,
         {0, 0, 1004},
         "begin, configure 3 true, complete 1, cancel, restore, begin, configure 3 true, complete 1, cancel",
         "Failed to complete display configuration (CGError 1004)."},
        {true,
         {0, 0, 1004, 1000},
         "begin, configure 3 true, complete 1, cancel, restore",
         "Failed to complete display configuration (CGError 1004)."},
        // A failed begin stops everything.
        {true, {1010}, "begin", "Failed to begin display configuration (CGError 1010)."}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.steps);
        FakeWindowServer windowServer;
        windowServer.beginError = c.codes[0];
        windowServer.configureError = c.codes[1];
        windowServer.completeError = c.codes[2];
        windowServer.restoreError = c.codes[3];
        windowServer.restoreBringsDisplaysBack = c.restoreBringsDisplaysBack;
        PrivateDisplayConnectionController controller(
            std::make_unique<SystemDisplayConfigurationBridge>(windowServer));
        EXPECT_EQ(hardwareErrorText([&] { controller.setDisplay(3, c.enabled); }), c.error);
        std::string steps;
        for (const auto& call : windowServer.calls) steps += (steps.empty() ? "" : ", ") + call;
        EXPECT_EQ(steps, c.steps);
    }

    // A begin that reports success without opening a transaction fails all the same, with code 0.
    FakeWindowServer windowServer;
    windowServer.beginOpensNothing = true;
    PrivateDisplayConnectionController controller(
        std::make_unique<SystemDisplayConfigurationBridge>(windowServer));
    EXPECT_EQ(hardwareErrorText([&] { controller.setDisplay(3, false); }),
              "Failed to begin display configuration (CGError 0).");
}
