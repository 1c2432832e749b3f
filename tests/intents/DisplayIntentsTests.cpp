#include <gtest/gtest.h>

#include "intents/DesktopEntry.h"
#include "intents/DisplayAction.h"
#include "intents/DisplayIntentError.h"
#include "intents/DisplayIntents.h"
#include "intents/DisplayQuery.h"
#include "intents/LumadeskShortcuts.h"
#include "support/DisplayManagerHarness.h"

namespace lumadesk {
namespace {

using namespace std::chrono_literals;
using Kind = DisplayActionKind;
using Entities = std::vector<DisplayEntity>;

}  // namespace

// Prints results readably when a comparison fails.
void PrintTo(const IntentResult& result, std::ostream* out) {
    *out << '"' << result.dialog << "\" value ";
    std::visit(
        [out](const auto& value) {
            using Value = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<Value, int>) *out << value;
            if constexpr (std::is_same_v<Value, std::string>) *out << '"' << value << '"';
            if constexpr (std::is_same_v<Value, std::vector<DisplayEntity>>) {
                for (const auto& entity : value)
                    *out << "[" << entity.hardwareID << " " << entity.displayName << "]";
            }
        },
        result.value);
}

namespace {

const std::string enDash = "\xE2\x80\x93";

// Three displays in the stored order 10-3-3, 10-2-2, 10-1-1: "Desk" (10-1-1) at 40, 10-2-2 at 55 and
// 10-3-3 without DDC. The manager has not refreshed yet.
class DisplayIntentsTest : public ::testing::Test, protected DisplayManagerHarness {
protected:
    void SetUp() override {
        storeRecords({{.hardwareID = "10-1-1", .customName = "Desk", .sortOrder = 2},
                      {.hardwareID = "10-2-2", .sortOrder = 1},
                      {.hardwareID = "10-3-3", .sortOrder = 0}});
        ddc.plugIn(snapshot(11, "10-1-1"), 40);
        ddc.plugIn(snapshot(12, "10-2-2"), 55);
        ddc.plugIn(snapshot(13, "10-3-3", false));
        start();
    }

    // Runs the action to its end: its dialog and value, or "error: " and the error's description.
    IntentResult run(DisplayActionRequest request) {
        try {
            return runSync(queue, performDisplayAction(std::move(request), *manager));
        } catch (const DisplayIntentError& error) {
            lastErrorKind = error.kind();
            return {std::string("error: ") + error.what()};
        }
    }
    Entities all() { return runSync(queue, DisplayQuery(*manager).allEntities()); }

    std::optional<DisplayIntentError::Kind> lastErrorKind;
};

TEST_F(DisplayIntentsTest, TheQueryLoadsFirstSortsNamesAndResolvesIdentifiers) {
    const Entities sorted{{"10-3-3", "Model 10-3-3", "Model 10-3-3"},
                          {"10-2-2", "Model 10-2-2", "Model 10-2-2"},
                          {"10-1-1", "Desk", "Model 10-1-1"}};
    EXPECT_EQ(all(), sorted);
    EXPECT_TRUE(manager->hasLoaded());
    EXPECT_EQ(ddc.snapshotCalls, 1);
    EXPECT_EQ(runSync(queue, DisplayQuery(*manager).suggestedEntities()), sorted);
    EXPECT_EQ(ddc.snapshotCalls, 1);

    // Asked for B then A, with unknown IDs: the sorted order, unknown ones dropped.
    EXPECT_EQ(runSync(queue, DisplayQuery(*manager).entities({"10-1-1", "nope", "10-2-2", "10-1"})),
              (Entities{sorted[1], sorted[2]}));
    EXPECT_EQ(runSync(queue, DisplayQuery(*manager).entity("10-9-9")),
              (DisplayEntity{"10-9-9", "10-9-9", ""}));

    // A held display carries " – disconnected" (en dash); an unplugged one is not visible at all.
    runSync(queue, manager->setConnected(false, "10-1-1"));
    ddc.unplug(12);
    refresh();
    EXPECT_EQ(all(), (Entities{sorted[0], {"10-1-1", "Desk " + enDash + " disconnected", "Model 10-1-1"}}));
    EXPECT_EQ(lookUpDisplay(*manager, "10-1-1").id, 11u);
    try {
        lookUpDisplay(*manager, "10-2-2");
        ADD_FAILURE() << "an unplugged display was found";
    } catch (const DisplayIntentError& error) {
        EXPECT_EQ(error.kind(), DisplayIntentError::Kind::displayNotFound);
        EXPECT_EQ(error.payload(), "10-2-2");
        EXPECT_STREQ(error.what(), "Display 10-2-2 not found.");
    }
}

TEST_F(DisplayIntentsTest, EveryActionEndsWithItsDialogAndValue) {
    struct Case {
        DisplayActionRequest request;
        IntentResult expected;
    };
    const std::vector<Case> cases{
        {{Kind::getBrightness, "10-1-1"}, {"Desk brightness is 40%.", 40}},
        {{Kind::setBrightness, "10-2-2", 70}, {"Set Model 10-2-2 brightness to 70%."}},
        {{Kind::getBrightness, "10-2-2"}, {"Model 10-2-2 brightness is 70%.", 70}},
        {{Kind::toggleConnection, "10-2-2"}, {"Model 10-2-2 is already connected."}},
        {{Kind::getConnectedDisplays},
         {"Found 3 connected displays.", Entities{{"10-3-3", "Model 10-3-3", "Model 10-3-3"},
                                                  {"10-2-2", "Model 10-2-2", "Model 10-2-2"},
                                                  {"10-1-1", "Desk", "Model 10-1-1"}}}},
        {{Kind::getDisplayInfo, "10-1-1"},
         {"Fetched display info.", "Desk: brightness 40%, connected yes, present yes"}},
        {{.kind = Kind::toggleConnection, .hardwareID = "10-1-1", .state = ConnectionState::off},
         {"Disconnected Desk."}},
        // The name is the one captured in the entity, now with the suffix.
        {{.kind = Kind::toggleConnection, .hardwareID = "10-1-1", .state = ConnectionState::off},
         {"Desk " + enDash + " disconnected is already disconnected."}},
        {{Kind::getDisplayInfo},
         {"Fetched info for 3 displays.",
          "Model 10-3-3: brightness 100%, connected yes, present yes\n"
          "Model 10-2-2: brightness 70%, connected yes, present yes\n"
          "Desk: brightness 0%, connected no, present no"}},
        {{.kind = Kind::toggleConnection, .hardwareID = "10-1-1", .state = ConnectionState::on},
         {"Connected Desk " + enDash + " disconnected."}},
        {{.kind = Kind::setDisplayName, .hardwareID = "10-2-2", .newName = "  Left \xC3\xA9  "},
         {"Renamed display to   Left \xC3\xA9  ."}},
        {{.kind = Kind::setDisplayName, .hardwareID = "10-1-1", .newName = "   "},
         {"Renamed display to    ."}},
        {{Kind::sleepDisplay, "10-2-2"}, {"Sent Left \xC3\xA9 to sleep."}},
        {{Kind::getBrightness, "10-9-9"}, {"error: Display 10-9-9 not found."}},
        {{.kind = Kind::setDisplayName, .hardwareID = "10-9-9", .newName = "X"},
         {"error: Display 10-9-9 not found."}},
    };
    for (const auto& [request, expected] : cases) {
        SCOPED_TRACE(std::string(displayActionInfo(request.kind).commandName) + " " +
                     request.hardwareID.value_or("-"));
        EXPECT_EQ(run(request), expected);
    }
    EXPECT_EQ(lastErrorKind, DisplayIntentError::Kind::displayNotFound);
    EXPECT_EQ(ddc.writes, (std::vector<std::pair<DisplayID, int>>{{12, 70}}));
    EXPECT_EQ(ddc.connectionRequests, (std::vector<std::pair<DisplayID, bool>>{{11, false}, {11, true}}));
    EXPECT_EQ(ddc.sleeps, std::vector<DisplayID>{12});
    EXPECT_EQ(record("10-2-2").customName, "Left \xC3\xA9");
    EXPECT_EQ(record("10-1-1").customName, std::nullopt);
}

TEST_F(DisplayIntentsTest, ListingsCountInWordsAndFailuresCarryTheManagersMessage) {
    EXPECT_EQ(run({Kind::getConnectedDisplays}).dialog, "Found 3 connected displays.");
    runSync(queue, manager->setConnected(false, "10-1-1"));
    runSync(queue, manager->setConnected(false, "10-2-2"));
    EXPECT_EQ(
        run({Kind::getConnectedDisplays}),
        (IntentResult{"Found 1 connected display.", Entities{{"10-3-3", "Model 10-3-3", "Model 10-3-3"}}}));
    runSync(queue, manager->setConnected(false, "10-3-3"));
    EXPECT_EQ(run({Kind::getConnectedDisplays}),
              (IntentResult{"No displays are currently connected.", Entities{}}));

    ddc.failingConnectionChanges = {12};
    EXPECT_EQ(run({.kind = Kind::toggleConnection, .hardwareID = "10-2-2"}).dialog,
              "error: Failed to set display 12 enabled=true (CGError -1).");
    EXPECT_EQ(lastErrorKind, DisplayIntentError::Kind::operationFailed);

    runSync(queue, manager->setConnected(true, "10-1-1"));
    ddc.failingWrites = {11};
    EXPECT_EQ(run({Kind::setBrightness, "10-1-1", 30}).dialog,
              "error: Failed to write VCP 0x10=30 for display 11.");
    ddc.failingSleeps = {11};
    EXPECT_EQ(run({Kind::sleepDisplay, "10-1-1"}).dialog,
              "error: Failed to write VCP 0xd6=4 for display 11.");

    // With nothing visible, the info is empty.
    DisplayManagerHarness empty;
    empty.start();
    EXPECT_EQ(runSync(empty.queue, GetDisplayInfoIntent{}.perform(*empty.manager)),
              (IntentResult{"Fetched info for 0 displays.", std::string()}));
}

TEST_F(DisplayIntentsTest, BrightnessAndSleepFailWithoutWritingForADisplayOffTheDesktop) {
    refresh();
    runSync(queue, manager->setConnected(false, "10-1-1"));
    runSync(queue, manager->setConnected(false, "10-3-3"));
    // Held, then unplugged: still listed, still off the desktop.
    runSync(queue, manager->setConnected(false, "10-2-2"));
    ddc.unplug(12);
    refresh();
    const std::vector<std::pair<DisplayActionRequest, std::string>> cases{
        {{Kind::setBrightness, "10-1-1", 20}, "error: Desk is disconnected."},
        {{Kind::sleepDisplay, "10-1-1"}, "error: Desk is disconnected."},
        {{Kind::setBrightness, "10-3-3", 0}, "error: Model 10-3-3 is disconnected."},
        {{Kind::sleepDisplay, "10-2-2"}, "error: Model 10-2-2 is disconnected."},
        {{Kind::getBrightness, "10-1-1"}, "Desk " + enDash + " disconnected brightness is 0%."},
    };
    for (const auto& [request, expected] : cases) {
        SCOPED_TRACE(expected);
        lastErrorKind.reset();
        EXPECT_EQ(run(request).dialog, expected);
        EXPECT_EQ(lastErrorKind, expected.starts_with("error: ")
                                     ? std::optional(DisplayIntentError::Kind::operationFailed)
                                     : std::nullopt);
    }
    EXPECT_TRUE(ddc.writes.empty());
    EXPECT_TRUE(ddc.sleeps.empty());
}

TEST_F(DisplayIntentsTest, ARenameIsJudgedByItsOwnResultNotByAnEarlierActionsMessage) {
    ddc.failingWrites = {11};
    EXPECT_EQ(run({Kind::setBrightness, "10-1-1", 30}).dialog,
              "error: Failed to write VCP 0x10=30 for display 11.");
    // Within the freshness window no refresh clears the message; the rename itself succeeds.
    queue.advanceBy(1s);
    EXPECT_EQ(run({.kind = Kind::setDisplayName, .hardwareID = "10-2-2", .newName = "Right"}).dialog,
              "Renamed display to Right.");
    EXPECT_EQ(record("10-2-2").customName, "Right");

    defaults.failWrites("The disk is full.");
    EXPECT_EQ(run({.kind = Kind::setDisplayName, .hardwareID = "10-2-2", .newName = "Left"}).dialog,
              "error: The disk is full.");
    EXPECT_EQ(lastErrorKind, DisplayIntentError::Kind::operationFailed);
}

TEST_F(DisplayIntentsTest, TheToggleRefreshesOnlyBeforeTheFirstLoadTheOthersEveryTwoSeconds) {
    const DisplayEntity desk{"10-1-1", "Desk", "Model 10-1-1"};
    runSync(queue, ToggleDisplayConnectionIntent{desk}.perform(*manager));
    EXPECT_EQ(ddc.snapshotCalls, 1);
    queue.advanceBy(10s);
    runSync(queue, ToggleDisplayConnectionIntent{desk}.perform(*manager));
    EXPECT_EQ(ddc.snapshotCalls, 1);

    // Two sets within 2 s refresh once; the next after 2 s refreshes again.
    runSync(queue, SetBrightnessIntent{desk, 10}.perform(*manager));
    queue.advanceBy(1500ms);
    runSync(queue, SetBrightnessIntent{desk, 20}.perform(*manager));
    EXPECT_EQ(ddc.snapshotCalls, 2);
    queue.advanceBy(2s);
    runSync(queue, GetBrightnessIntent{desk}.perform(*manager));
    EXPECT_EQ(ddc.snapshotCalls, 3);

    // The others load through refreshIfNeeded before the first refresh too.
    DisplayManagerHarness fresh;
    fresh.ddc.plugIn(snapshot(11, "10-1-1"), 33);
    fresh.start();
    EXPECT_EQ(runSync(fresh.queue, GetBrightnessIntent{desk}.perform(*fresh.manager)).value, IntentValue{33});
    EXPECT_EQ(fresh.ddc.snapshotCalls, 1);
}

TEST_F(DisplayIntentsTest, RequestsWithBadParametersAreRefusedBeforeAnythingRuns) {
    const std::string longName(maximumNameLength + 1, 'x');
    const std::string longestName = std::string(maximumNameLength - 1, 'x') + "\xC3\xA9";
    const std::vector<std::pair<DisplayActionRequest, std::optional<std::string>>> cases{
        {{Kind::getBrightness}, "The action needs a display."},
        {{Kind::sleepDisplay, ""}, "The display must not be empty."},
        {{Kind::getDisplayInfo, ""}, "The display must not be empty."},
        {{Kind::getDisplayInfo}, std::nullopt},
        {{Kind::setBrightness, "10-1-1", -1}, "The level must be a whole number from 0 to 100."},
        {{Kind::setBrightness, "10-1-1", 101}, "The level must be a whole number from 0 to 100."},
        {{Kind::setBrightness, "10-1-1", 100}, std::nullopt},
        {{.kind = Kind::setDisplayName, .hardwareID = "10-1-1", .newName = "a\xFF"},
         "The name is not valid UTF-8."},
        {{.kind = Kind::setDisplayName, .hardwareID = "10-1-1", .newName = longName},
         "The name is longer than 256 characters."},
        {{.kind = Kind::setDisplayName, .hardwareID = "10-1-1", .newName = longestName}, std::nullopt},
        {{.kind = Kind::setDisplayName, .hardwareID = "10-1-1", .newName = ""}, std::nullopt},
    };
    for (const auto& [request, problem] : cases) {
        SCOPED_TRACE(request.newName.size());
        EXPECT_EQ(requestProblem(request), problem);
        if (problem) {
            EXPECT_THROW(run(request), std::invalid_argument);
        }
    }
    EXPECT_FALSE(manager->hasLoaded());
    EXPECT_TRUE(ddc.writes.empty());
}

TEST(DisplayIntentDescriptionsTest, TitlesSummariesStatesAndShortcutsAreTheActionsOwn) {
    const std::map<std::string, std::string, std::less<>> values{
        {"display", "Desk"}, {"state", "On"}, {"level", "40"}, {"newName", "Left"}, {"step", "+5"}};
    std::vector<std::string> described;
    for (const DisplayActionInfo& action : displayActions()) {
        std::string line =
            std::string(action.commandName) + ": " + std::string(action.description.title) + " [";
        for (const IntentParameter& parameter : action.description.parameters) {
            line += std::string(parameter.title) + (parameter.required ? "" : "?") + " ";
        }
        described.push_back(line + "] " + action.description.renderSummary(values));
    }
    EXPECT_EQ(described,
              (std::vector<std::string>{
                  "get-brightness: Get Brightness [Display ] Get brightness of Desk",
                  "set-brightness: Set Brightness [Display Level ] Set Desk brightness to 40%",
                  "toggle-connection: Connect or Disconnect a Display [Display Toggle ] Change the "
                  "connection state of Desk to On.",
                  "connected-displays: Get Connected Displays [] ",
                  "display-info: Get Display Info [Display? ] Get info for Desk",
                  "rename: Set Display Name [Display Name ] Rename Desk to Left",
                  "sleep: Sleep Display [Display ] Put Desk to sleep",
                  "step-brightness: Step Brightness [Display Step ] Change Desk brightness by +5%",
              }));
    EXPECT_EQ(SetBrightnessIntent::description.renderSummary({}), "Set ${display} brightness to ${level}%");
    EXPECT_EQ(findDisplayAction("rename"), &displayActionInfo(Kind::setDisplayName));
    EXPECT_EQ(findDisplayAction("Rename"), nullptr);

    EXPECT_EQ(connectionStateTypeName, "Toggle");
    EXPECT_EQ(DisplayEntity::typeName, "Display");
    std::string states;
    for (const ConnectionState state : allConnectionStates)
        states += std::string(rawValue(state)) + "/" + std::string(title(state)) + " ";
    EXPECT_EQ(states, "on/On off/Off ");
    EXPECT_EQ(connectionStateFromRawValue("off"), ConnectionState::off);
    EXPECT_EQ(connectionStateFromRawValue("On"), std::nullopt);

    std::vector<std::string> shortcuts;
    for (const AppShortcut& shortcut : LumadeskShortcuts::appShortcuts) {
        shortcuts.push_back(shortcut.phrase() + " | " + std::string(shortcut.shortTitle) + " | " +
                            std::string(shortcut.systemImageName));
    }
    EXPECT_EQ(shortcuts, (std::vector<std::string>{
                             "Change connection state in Lumadesk | Connect or Disconnect | display",
                             "Set brightness in Lumadesk | Set Brightness | sun.max",
                             "Get brightness in Lumadesk | Get Brightness | sun.min",
                             "Sleep display in Lumadesk | Sleep Display | moon.fill",
                             "Get connected displays in Lumadesk | Connected Displays | display.2",
                         }));
}

}  // namespace
}  // namespace lumadesk

TEST(DesktopEntryTest, OffersEachReadyMadeShortcutAsALauncherAction) {
    EXPECT_EQ(lumadesk::desktopEntry("/usr/bin/lumadesk"),
              "[Desktop Entry]\n"
              "Type=Application\n"
              "Name=Lumadesk\n"
              "Comment=External display control, right from your tray\n"
              "Exec=/usr/bin/lumadesk\n"
              "Icon=lumadesk\n"
              "Categories=Utility;Settings;HardwareSettings;\n"
              "Keywords=brightness;monitor;display;DDC;\n"
              "Actions=toggle-connection;set-brightness;get-brightness;sleep;connected-displays;\n"
              "\n[Desktop Action toggle-connection]\nName=Change connection state in Lumadesk\n"
              "Exec=/usr/bin/lumadesk --shortcut=toggle-connection\n"
              "\n[Desktop Action set-brightness]\nName=Set brightness in Lumadesk\n"
              "Exec=/usr/bin/lumadesk --shortcut=set-brightness\n"
              "\n[Desktop Action get-brightness]\nName=Get brightness in Lumadesk\n"
              "Exec=/usr/bin/lumadesk --shortcut=get-brightness\n"
              "\n[Desktop Action sleep]\nName=Sleep display in Lumadesk\n"
              "Exec=/usr/bin/lumadesk --shortcut=sleep\n"
              "\n[Desktop Action connected-displays]\nName=Get connected displays in Lumadesk\n"
              "Exec=/usr/bin/lumadesk --shortcut=connected-displays\n");
}
