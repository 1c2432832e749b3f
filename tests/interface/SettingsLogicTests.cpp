#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "DisplayFixtures.h"
#include "interface/logic/AppVersion.h"
#include "interface/logic/BrightnessControlPicker.h"
#include "interface/logic/DiagnosticsContent.h"
#include "interface/logic/DisplaysPageContent.h"
#include "interface/logic/KeyboardAccessSteps.h"
#include "interface/logic/KeyboardPermissions.h"
#include "interface/logic/PlatformStatus.h"
#include "interface/logic/UpdateDecision.h"
#include "runtime/InMemoryDefaults.h"

// What the settings window, the diagnostics and the update check decide, without Qt.

using namespace lumadesk;
using namespace lumadesk::testing;

namespace {

std::vector<Display> displays(int count) {
    std::vector<Display> made;
    for (int i = 0; i < count; ++i) made.push_back(controllableDisplay("d" + std::to_string(i), 40, i));
    return made;
}

}  // namespace

TEST(DisplaysPageContentTest, StatesTableHeightAndAllDisplaysTexts) {
    auto withoutDDC = controllableDisplay("x", 0);
    withoutDDC.supportsDDC = false;
    struct Case {
        const char* what;
        bool loaded;
        std::vector<Display> displays;
        PopoverContentState state;
        int tableHeight;  // min(62 N + 90, 360)
        bool enabled;
        std::string tooltip, level, spoken;
    };
    using enum PopoverContentState;
    const Case cases[] = {
        {"before the first load", false, displays(1), loading, 152, true,
         "Adjust brightness for all displays", "46%", "46 percent"},
        {"nothing known",
         true,
         {},
         empty,
         90,
         false,
         "No displays support DDC brightness control",
         "—",
         "Unavailable"},
        {"one display", true, displays(1), list, 152, true, "Adjust brightness for all displays", "46%",
         "46 percent"},
        {"four displays", true, displays(4), list, 338, true, "Adjust brightness for all displays", "46%",
         "46 percent"},
        {"five displays scroll", true, displays(5), list, 360, true, "Adjust brightness for all displays",
         "46%", "46 percent"},
        {"none with DDC",
         true,
         {withoutDDC},
         list,
         152,
         false,
         "No displays support DDC brightness control",
         "—",
         "Unavailable"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const DisplaysPageContent content(c.loaded, c.displays);
        EXPECT_EQ(content.state(), c.state);
        EXPECT_EQ(content.tableHeight(), c.tableHeight);
        EXPECT_EQ(content.isAllDisplaysEnabled(), c.enabled);
        EXPECT_EQ(content.allDisplaysTooltip(), c.tooltip);
        EXPECT_EQ(content.allDisplaysLevelText(46), c.level);
        EXPECT_EQ(content.allDisplaysSpokenValue(46), c.spoken);
    }
}

TEST(DisplaysPageContentTest, CardFitsTheRoomTheWindowLeavesAndNeverHidesTheLastRow) {
    struct Case {
        const char* what;
        int count;
        int room;
        int height;
    };
    const Case cases[] = {
        {"one display, room to spare", 1, 282, 152},
        {"three displays fit", 3, 282, 276},
        {"four displays: the room, the rows scroll", 4, 282, 282},
        {"eight displays", 8, 282, 282},
        {"fifty displays", 50, 282, 282},
        {"room above the cap", 50, 500, 360},
        {"a tall banner: header and one row stay, the page scrolls", 8, 100, 152},
        {"one display never grows to the floor of two lines and a row", 1, 20, 152},
        {"no room at all", 4, -48, 152},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(DisplaysPageContent(true, displays(c.count)).tableHeight(c.room), c.height);
    }
    EXPECT_EQ(DisplaysPageContent(true, {}).tableHeight(282), 90) << "no rows: the two lines";
}

TEST(DisplaysPageContentTest, DropsBecomeMovesWithALineWhereTheRowGoesUnlessTheyChangeNothing) {
    // Rows 40 high: middles at 20, 60, 100.
    const std::vector<RowSpan> rows{{0, 40}, {40, 80}, {80, 120}};
    struct Case {
        const char* what;
        std::size_t from;
        int y;
        DropTarget target;
    };
    const Case cases[] = {
        {"third above the first", 2, 5, {RowMove{{2}, 0}, 0}},
        {"third into the first row's upper half", 2, 19, {RowMove{{2}, 0}, 0}},
        {"third into the first row's lower half", 2, 20, {RowMove{{2}, 1}, 40}},
        {"first below the last", 0, 130, {RowMove{{0}, 3}, 120}},
        {"first into the last row's lower half", 0, 110, {RowMove{{0}, 3}, 120}},
        {"first between second and third", 0, 70, {RowMove{{0}, 2}, 80}},
        {"last above everything, even over the top edge", 2, -30, {RowMove{{2}, 0}, 0}},
        {"onto itself", 1, 55, {}},
        {"onto its own upper half", 1, 45, {}},
        {"just below itself", 1, 70, {}},
        {"the last below the end", 2, 500, {}},
        {"a row that is not there", 7, 5, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(dropTarget(rows, c.from, c.y), c.target);
    }
    EXPECT_EQ(dropTarget({}, 0, 10), DropTarget{}) << "no rows";
    EXPECT_EQ(rowMove(0, 4, 3), std::nullopt) << "a destination past the end";
}

TEST(KeyboardAccessStepsTest, SaysWhatToDoForEachMissingGrantInputDevicesFirst) {
    EXPECT_TRUE(keyboardAccessSteps(true, true).empty());
    const auto inputOnly = keyboardAccessSteps(true, false);
    ASSERT_EQ(inputOnly.size(), 1u);
    EXPECT_EQ(inputOnly[0].command, "sudo usermod -aG input $USER");
    EXPECT_NE(inputOnly[0].explanation.find("Add your user to the input group, then log out and in again"),
              std::string::npos);
    const auto keysOnly = keyboardAccessSteps(false, true);
    ASSERT_EQ(keysOnly.size(), 1u);
    EXPECT_EQ(keysOnly[0].explanation.rfind("Brightness keys are owned by the desktop: ", 0), 0u);
    EXPECT_EQ(keysOnly[0].command, "") << "nothing to run for that";
    EXPECT_EQ(keyboardAccessSteps(false, false), (std::vector{inputOnly[0], keysOnly[0]}));
}

TEST(BrightnessControlPickerTest, OffersPresentConnectedDisplaysAfterADividerAndKeepsUnmatchedValues) {
    auto second = controllableDisplay("second", 40, 1);
    second.customName = "Left";
    auto first = controllableDisplay("first", 40, 0);
    auto held = controllableDisplay("held", 40, 2);
    held.isConnected = false;
    auto absent = controllableDisplay("absent", 40, 3);
    absent.isPresent = false;

    const BrightnessControlPicker picker({second, held, first, absent});
    using Entry = BrightnessControlPicker::Entry;
    EXPECT_EQ(picker.entries(), (std::vector<Entry>{{"All displays", "all"},
                                                    {"Display under pointer", "current"},
                                                    {"Model first", "first"},
                                                    {"Left", "second"}}));
    EXPECT_EQ(picker.dividerBefore(), 2u);
    EXPECT_EQ(picker.selectedIndex("second"), 3u);
    EXPECT_EQ(picker.selectedIndex("current"), 1u);
    EXPECT_EQ(picker.selectedIndex("unplugged-display"), std::nullopt) << "kept stored, shown unselected";

    const BrightnessControlPicker none({held, absent});
    EXPECT_EQ(none.entries().size(), 2u);
    EXPECT_EQ(none.dividerBefore(), std::nullopt);

    InMemoryDefaults defaults;
    EXPECT_EQ(BrightnessControlPicker::storedMode(defaults), "all") << "missing";
    defaults.setValue(BrightnessControlPicker::key, std::int64_t{3});
    EXPECT_EQ(BrightnessControlPicker::storedMode(defaults), "all") << "of the wrong type";
    defaults.setValue(BrightnessControlPicker::key, std::string("first"));
    EXPECT_EQ(BrightnessControlPicker::storedMode(defaults), "first");
}

TEST(KeyboardPermissionBindingTest, ThePageSeesAndAsksThroughTheKeysOwnController) {
    KeyboardGrants system{true, false};
    std::vector<std::string> calls;
    KeyboardPermissionController controller(
        [&] {
            calls.push_back("read");
            return system;
        },
        [&] { calls.push_back("accessibility"); }, [&] { calls.push_back("inputMonitoring"); });
    KeyboardPermissionBinding model(controller);
    int notifications = 0;
    auto subscription = model.observe([&] { ++notifications; });
    EXPECT_EQ(keyboardPermissionText(model.grants()), "Allow Lumadesk in Input Monitoring.");

    calls.clear();
    EXPECT_FALSE(model.refresh());
    EXPECT_EQ(notifications, 0);
    model.requestAccess();
    EXPECT_EQ(calls, (std::vector<std::string>{"read", "read", "inputMonitoring", "read"}));

    // Granted in the desktop's settings: the next refresh sees it and tells the page.
    system = {true, true};
    EXPECT_TRUE(model.refresh());
    EXPECT_EQ(notifications, 1);
    EXPECT_FALSE(needsKeyboardAccess(model.grants()));
    calls.clear();
    model.requestAccess();
    EXPECT_EQ(calls, (std::vector<std::string>{"read", "read"})) << "nothing to ask for";

    system = {false, false};
    calls.clear();
    model.requestAccess();
    EXPECT_EQ(calls, (std::vector<std::string>{"read", "inputMonitoring", "accessibility", "read"}));

    // What the keys read (on activation, say) is what the page shows, without a read of its own.
    system = {false, true};
    const int before = notifications;
    EXPECT_TRUE(controller.refresh());
    EXPECT_EQ(notifications, before + 1);
    EXPECT_EQ(model.grants(), system);

    EXPECT_EQ(keyboardPermissionText({true, true}), "Keyboard access is enabled.");
    EXPECT_EQ(keyboardPermissionText({false, true}), "Allow Lumadesk in Accessibility.");
    EXPECT_EQ(keyboardPermissionText({false, false}),
              "Allow Lumadesk in Accessibility and Input Monitoring.");
}

TEST(DiagnosticsContentTest, RowsCountsAndCopiedTextByteForByte) {
    auto desk = controllableDisplay("4268-41234-12345", 40, 0);
    desk.id = 2;
    desk.customName = "Desk";
    desk.modelName = "Model A";
    auto held = controllableDisplay("held", 40, 2);
    held.isConnected = false;
    auto remembered = controllableDisplay("gone", 0, 1);
    remembered.isPresent = false;
    remembered.isConnected = false;
    remembered.modelName = "";
    remembered.supportsDDC = false;
    remembered.id = 0x80000001;

    const DiagnosticsContent content({held, remembered, desk}, {held, desk});
    ASSERT_EQ(content.records().size(), 3u);
    EXPECT_EQ(content.records()[0].hardwareID, "4268-41234-12345") << "by sort order";
    EXPECT_EQ(content.footerText(), "2 managed, 1 hidden records");
    EXPECT_TRUE(content.canCopy());

    const auto rows = content.rows();
    EXPECT_TRUE(rows[0].isActive);
    EXPECT_EQ(rows[0].dotTooltip, "Connected and present");
    EXPECT_EQ(rows[0].displayIDText, "CG ID 2");
    EXPECT_EQ(rows[1].name, "Unnamed record");
    EXPECT_EQ(rows[1].modelName, "Unknown model");
    EXPECT_EQ(rows[1].dotTooltip, "Inactive record");
    EXPECT_EQ(rows[1].managedText, "Hidden record");
    EXPECT_EQ(rows[1].presentText, "Not present");
    EXPECT_EQ(rows[1].ddcText, "No DDC");
    EXPECT_EQ(rows[1].displayIDText, "CG ID 2147483649");
    EXPECT_FALSE(rows[2].isActive) << "held disconnected";
    EXPECT_EQ(rows[2].managedText, "Managed");

    EXPECT_EQ(content.copiedText(),
              "Name: Desk\nModel: Model A\nHardware ID: 4268-41234-12345\nCG ID: 2\nPresent: true\n"
              "Connected: true\nDDC: true\nManaged: true\nSort order: 0\n\n"
              "Name: \nModel: \nHardware ID: gone\nCG ID: 2147483649\nPresent: false\nConnected: false\n"
              "DDC: false\nManaged: false\nSort order: 1\n\n"
              "Name: Model held\nModel: Model held\nHardware ID: held\nCG ID: 102\nPresent: true\n"
              "Connected: false\nDDC: true\nManaged: true\nSort order: 2");

    // Trimmed by the one rule of names: Unicode blanks (NBSP, LINE SEPARATOR, IDEOGRAPHIC SPACE) too.
    auto blank = desk;
    for (const auto& [customName, modelName, shown] :
         std::vector<std::tuple<std::optional<std::string>, std::string, std::string>>{
             {" \n ", "Model A", "Unnamed record"},
             {std::nullopt, "\xC2\xA0\xC2\xA0", "Unnamed record"},
             {std::nullopt, "\xE2\x80\xA8 \xE3\x80\x80", "Unnamed record"},
             {std::nullopt,
              "\xC2\xA0"
              "Eastlake 32U\xE2\x80\xA8",
              "Eastlake 32U"},
         }) {
        blank.customName = customName;
        blank.modelName = modelName;
        EXPECT_EQ(DiagnosticsContent({blank}, {}).rows()[0].name, shown) << modelName;
    }

    const DiagnosticsContent none({}, {});
    EXPECT_EQ(none.footerText(), "0 managed, 0 hidden records");
    EXPECT_FALSE(none.canCopy());
    EXPECT_EQ(none.copiedText(), "");
}

// Each online monitor's learned reply wait, and whether its last read failed, is a block after the
// platform's lines; the text before it stays as it was.
TEST(DiagnosticsContentTest, ReplyWaitsAreTheirOwnBlockAfterThePlatformLines) {
    using namespace std::chrono_literals;
    auto desk = controllableDisplay("4268-41234-12345", 40, 0);
    desk.id = 2;
    PlatformFacts facts{"GNOME (Mutter)", {"udev cannot be reached"}};
    const std::string before = DiagnosticsContent({desk}, {desk}, facts).copiedText();
    facts.replyWaits = {{"4268-41234-12345", {60ms, false}}, {"7789-23305-B-SERIAL", {150ms, true}}};
    const DiagnosticsContent content({desk}, {desk}, facts);
    EXPECT_EQ(content.replyWaitLines(),
              (std::vector<std::string>{"DDC reply wait 4268-41234-12345: 60 ms, last read ok",
                                        "DDC reply wait 7789-23305-B-SERIAL: 150 ms, last read failed"}));
    EXPECT_EQ(content.copiedText(), before +
                                        "\n\nDDC reply wait 4268-41234-12345: 60 ms, last read ok\n"
                                        "DDC reply wait 7789-23305-B-SERIAL: 150 ms, last read failed");
    const DiagnosticsContent waitsOnly({}, {}, {"", {}, {{"1-2-3", {50ms, false}}}});
    EXPECT_TRUE(waitsOnly.canCopy());
    EXPECT_EQ(waitsOnly.copiedText(), "DDC reply wait 1-2-3: 50 ms, last read ok");

    const PlatformStatus status{nullptr, "KDE", [] {
                                    return std::map<std::string, ReplyWait>{{"1-2-3", {70ms, true}}};
                                }};
    EXPECT_EQ(status.facts().replyWaits, (std::map<std::string, ReplyWait>{{"1-2-3", {70ms, true}}}));
}

// The platform's lines come after the records, a block of their own, and make the sheet worth copying
// even with no record: the records' text before them stays as it was.
TEST(DiagnosticsContentTest, PlatformLinesFollowTheRecordsAsTheirOwnBlock) {
    auto desk = controllableDisplay("4268-41234-12345", 40, 0);
    desk.id = 2;
    const PlatformFacts permissionDenied{"none (not supported in this session)",
                                         {"Permission denied on /dev/i2c-5, so ...", "The monitor on ..."}};
    const DiagnosticsContent withRecord({desk}, {desk}, permissionDenied);
    EXPECT_EQ(withRecord.platformLines(),
              (std::vector<std::string>{"Display configuration: none (not supported in this session)",
                                        "Problem: Permission denied on /dev/i2c-5, so ...",
                                        "Problem: The monitor on ..."}));
    const std::string recordText = DiagnosticsContent({desk}, {desk}).copiedText();
    EXPECT_EQ(withRecord.copiedText(),
              recordText +
                  "\n\nDisplay configuration: none (not supported in this session)\n"
                  "Problem: Permission denied on /dev/i2c-5, so ...\nProblem: The monitor on ...");
    EXPECT_EQ(withRecord.footerText(), "1 managed, 0 hidden records");

    const DiagnosticsContent noRecord({}, {}, {"GNOME (Mutter)", {}});
    EXPECT_TRUE(noRecord.canCopy());
    EXPECT_EQ(noRecord.copiedText(), "Display configuration: GNOME (Mutter)");
    const DiagnosticsContent problemOnly({}, {}, {"", {"udev cannot be reached"}});
    EXPECT_EQ(problemOnly.copiedText(), "Problem: udev cannot be reached");

    int reads = 0;
    const PlatformStatus status{[&] {
                                    ++reads;
                                    return std::vector<std::string>{"now"};
                                },
                                "KDE"};
    EXPECT_EQ(status.facts().problems, std::vector<std::string>{"now"});
    status.facts();
    EXPECT_EQ(reads, 2) << "read afresh each time";
    EXPECT_TRUE(PlatformStatus{}.facts().problems.empty());
}

// The error strip tells the last error first, then what the platform says keeps monitors out of reach.
TEST(ErrorStripMessageTest, TheLastErrorThenEachPlatformProblem) {
    EXPECT_EQ(errorStripMessage(std::nullopt, {}), std::nullopt);
    EXPECT_EQ(errorStripMessage("Write failed.", {}), "Write failed.");
    EXPECT_EQ(errorStripMessage(std::nullopt, {"No i2c-dev."}), "No i2c-dev.");
    EXPECT_EQ(errorStripMessage("Write failed.", {"Denied on 5.", "Denied on 7."}),
              "Write failed.\n\nDenied on 5.\n\nDenied on 7.");
}

TEST(AppVersionTest, ComparesNumbersComponentByComponentAndFormatsTheVersionText) {
    struct Case {
        const char* a;
        const char* b;
        int order;  // sign of a <=> b
    };
    const Case cases[] = {
        {"1.10", "1.9", 1}, {"1.2", "1.2.0", 0}, {"2", "10", -1}, {"0.1.0", "0.1.1", -1}, {"57", "57", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
        const auto order = *AppVersion::parse(c.a) <=> *AppVersion::parse(c.b);
        EXPECT_EQ(order < 0 ? -1 : order > 0 ? 1 : 0, c.order);
    }
    for (const char* malformed :
         {"", "1.", ".1", "1..2", "1.2a", "-1", "v1", "1 .2", "99999999999999999999999"}) {
        EXPECT_EQ(AppVersion::parse(malformed), std::nullopt) << malformed;
    }
    EXPECT_EQ(versionText(std::nullopt, std::nullopt), "1.0 (1)");
    EXPECT_EQ(versionText("2.3", "57"), "2.3 (57)");
}

TEST(UpdateDecisionTest, PicksTheNewestNewerReleaseAndOnlyOpensHttpsLinks) {
    const std::vector<AppcastItem> feed{
        {"Old", "5", "1.0", "https://example.org/1.0"},
        {"Newest", "12", "1.2", "https://example.org/1.2"},
        {"Broken", "banana", "", ""},
        {"Newer", "9", "1.1", "https://example.org/1.1"},
    };
    const auto found = decideUpdate(feed, "7");
    EXPECT_EQ(found.kind, UpdateOutcome::Kind::updateFound);
    EXPECT_EQ(found.version, "1.2");
    EXPECT_EQ(found.releaseNotesLink, "https://example.org/1.2");
    EXPECT_EQ(decideUpdate(feed, "12").kind, UpdateOutcome::Kind::upToDate) << "same";
    EXPECT_EQ(decideUpdate(feed, "13").kind, UpdateOutcome::Kind::upToDate) << "older feed";
    const auto malformed = decideUpdate({{"Broken", "1.x", "", ""}}, "1");
    EXPECT_EQ(malformed.kind, UpdateOutcome::Kind::failed);
    EXPECT_EQ(malformed.failure, "The update feed lists no release with a valid version.");
    EXPECT_EQ(decideUpdate({{"", "2", "", ""}}, "1").version, "2") << "no short version: the build number";

    for (const char* link : {"javascript:alert(1)", "file:///etc/passwd", "http://example.org", "https://",
                             "HTTPS://example.org/ x", "", "ftp://example.org"}) {
        EXPECT_FALSE(isOpenableLink(link)) << link;
        EXPECT_EQ(decideUpdate({{"", "2", "", link}}, "1").releaseNotesLink, "") << link;
    }
    EXPECT_TRUE(isOpenableLink("https://example.org/notes"));
    EXPECT_TRUE(isOpenableLink("HTTPS://example.org/notes"));
}
