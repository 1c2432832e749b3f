#include "platform/linux/configuration/OutputConfigurationTransactions.h"

#include <gtest/gtest.h>

#include <map>

#include "platform/linux/configuration/OutputConfigurationError.h"
#include "platform/linux/configuration/OutputConfigurationSelector.h"
#include "platform/linux/configuration/UnsupportedSessionBackend.h"
#include "platform_linux_configuration/FakeOutputBackend.h"

namespace lumadesk {
namespace {

class TransactionsTest : public ::testing::Test {
protected:
    // Display IDs 3, 4 and 5 are DP-1, HDMI-A-1 and DP-2.
    std::map<DisplayID, OutputIdentity> displayList{
        {3, {"DP-1", {1}}}, {4, {"HDMI-A-1", {2}}}, {5, {"DP-2", {3}}}};
    FakeOutputBackend backend;
    OutputConfigurationTransactions transactions{backend,
                                                 [this](DisplayID id) -> std::optional<OutputIdentity> {
                                                     const auto found = displayList.find(id);
                                                     if (found == displayList.end()) return std::nullopt;
                                                     return found->second;
                                                 }};

    WindowServerError change(std::vector<std::pair<DisplayID, bool>> requests) {
        const auto configuration = *transactions.beginConfiguration().configuration;
        for (const auto& [id, enabled] : requests) {
            const auto code = transactions.configureDisplayEnabled(configuration, id, enabled);
            if (code != windowServerSuccess) {
                transactions.cancelConfiguration(configuration);
                return code;
            }
        }
        const auto code = transactions.completeConfiguration(configuration, ConfigureOption::forSession);
        if (code != windowServerSuccess) transactions.cancelConfiguration(configuration);
        return code;
    }
};

TEST_F(TransactionsTest, AppliesEachTransactionInOneStepAndRemembersWhatIsOff) {
    EXPECT_EQ(change({{3, false}, {4, false}}), windowServerSuccess);
    EXPECT_EQ(backend.applied, (std::vector<std::string>{"DP-1 off, HDMI-A-1 off"}));
    EXPECT_EQ(transactions.disabledOutputs().size(), 2u);

    // The disabled display left the display list; its output is still known under its ID.
    displayList.erase(3);
    EXPECT_EQ(change({{3, true}}), windowServerSuccess);
    EXPECT_EQ(backend.applied.back(), "DP-1 on");
    EXPECT_EQ(transactions.disabledOutputs().size(), 1u);
    EXPECT_TRUE(transactions.disabledOutputs().contains(4));

    // Back under another display ID on the same connector: it is no longer off under the old one.
    displayList.erase(4);
    displayList[6] = {"HDMI-A-1", {2}};
    EXPECT_EQ(change({{6, true}}), windowServerSuccess);
    EXPECT_EQ(backend.applied.back(), "HDMI-A-1 on");
    EXPECT_TRUE(transactions.disabledOutputs().empty());

    // A transaction that is cancelled applies nothing.
    const auto configuration = *transactions.beginConfiguration().configuration;
    EXPECT_EQ(transactions.configureDisplayEnabled(configuration, 5, false), windowServerSuccess);
    transactions.cancelConfiguration(configuration);
    EXPECT_EQ(backend.applied.size(), 3u);
    EXPECT_EQ(transactions.completeConfiguration(configuration, ConfigureOption::forSession),
              OutputConfigurationTransactions::illegalArgument);
}

TEST_F(TransactionsTest, FailuresChangeNothingAndSayWhy) {
    backend.failureMessage = "The compositor refused the layout.";
    EXPECT_EQ(change({{3, false}}), OutputConfigurationTransactions::cannotComplete);
    EXPECT_EQ(transactions.lastErrorMessage(), "The compositor refused the layout.");
    EXPECT_TRUE(transactions.disabledOutputs().empty());

    backend.failureMessage.reset();
    EXPECT_EQ(change({{9, false}}), OutputConfigurationTransactions::illegalArgument);
    EXPECT_EQ(transactions.lastErrorMessage(), "Display 9 is no longer connected.");

    const auto configuration = *transactions.beginConfiguration().configuration;
    EXPECT_TRUE(transactions.lastErrorMessage().empty());
    transactions.configureDisplayEnabled(configuration, 3, false);
    EXPECT_EQ(transactions.completeConfiguration(configuration, ConfigureOption::permanently),
              OutputConfigurationTransactions::illegalArgument);
    EXPECT_EQ(backend.applied.size(), 1u);
}

TEST_F(TransactionsTest, RestoreBringsBackEveryOutputAndOneFailureDoesNotKeepTheOthersOff) {
    // Nothing held: nothing comes back, and that is not reported as a display brought back.
    EXPECT_EQ(transactions.restorePermanentConfiguration(), OutputConfigurationTransactions::failure);
    EXPECT_EQ(transactions.lastErrorMessage(), OutputConfigurationTransactions::nothingHeldMessage);
    EXPECT_TRUE(backend.applied.empty());

    change({{3, false}});
    change({{4, false}});
    change({{5, false}});
    backend.applied.clear();
    backend.failureMessage = "HDMI-A-1 has no mode any more.";
    backend.failOnlyFor = "HDMI-A-1";
    EXPECT_EQ(transactions.restorePermanentConfiguration(), OutputConfigurationTransactions::failure);
    EXPECT_EQ(backend.applied, (std::vector<std::string>{"DP-1 on, HDMI-A-1 on, DP-2 on", "DP-1 on",
                                                         "HDMI-A-1 on", "DP-2 on"}));
    EXPECT_EQ(transactions.lastErrorMessage(), "HDMI-A-1 has no mode any more.");
    ASSERT_EQ(transactions.disabledOutputs().size(), 1u);
    EXPECT_EQ(transactions.disabledOutputs().begin()->second.connector, "HDMI-A-1");

    backend.failureMessage.reset();
    EXPECT_EQ(transactions.restorePermanentConfiguration(), windowServerSuccess);
    EXPECT_TRUE(transactions.disabledOutputs().empty());
}

TEST_F(TransactionsTest, AnUnsupportedSessionNeverReportsADisconnectAsDone) {
    UnsupportedSessionBackend none;
    OutputConfigurationTransactions unsupported(none, [](DisplayID) { return OutputIdentity{"DP-1", {}}; });
    const ConfigurationBegin begun = unsupported.beginConfiguration();
    EXPECT_EQ(begun.error, OutputConfigurationTransactions::unsupportedInSession);
    EXPECT_FALSE(begun.configuration);
    EXPECT_EQ(unsupported.lastErrorMessage(),
              "Taking a display off the desktop is not supported in this session.");
    // Even a transaction it never opened cannot apply anything.
    EXPECT_EQ(unsupported.completeConfiguration(1, ConfigureOption::forSession),
              OutputConfigurationTransactions::illegalArgument);
    EXPECT_THROW(none.apply({{{"DP-1", {}}, false}}), OutputConfigurationError);
    EXPECT_EQ(unsupported.restorePermanentConfiguration(), OutputConfigurationTransactions::failure);
}

TEST(OutputConfigurationSelectorTest, PicksTheSessionsService) {
    struct Case {
        SessionFacts facts;
        OutputConfigurationKind expected;
    };
    const Case cases[] = {
        {{"x11", "XFCE", "", ":0", false}, OutputConfigurationKind::x11RandR},
        {{"", "", "", ":1", false}, OutputConfigurationKind::x11RandR},
        {{"x11", "GNOME", "", "", false}, OutputConfigurationKind::none},
        // XWayland's outputs are not the real ones.
        {{"wayland", "ubuntu:GNOME", "wayland-0", ":0", false}, OutputConfigurationKind::gnomeMutter},
        {{"wayland", "Unknown", "wayland-0", ":0", true}, OutputConfigurationKind::gnomeMutter},
        {{"wayland", "KDE", "wayland-0", ":0", false}, OutputConfigurationKind::kdePlasma},
        {{"wayland", "sway", "wayland-1", "", false}, OutputConfigurationKind::wlroots},
        {{"", "Hyprland", "wayland-1", ":0", false}, OutputConfigurationKind::wlroots},
        {{"wayland", "SomethingNew", "wayland-0", ":0", false}, OutputConfigurationKind::none},
        {{"tty", "", "", "", false}, OutputConfigurationKind::none},
        // Sway started from a text console names no desktop, yet its socket tells.
        {{"tty", "", "wayland-1", "", false, "/run/user/1000/sway-ipc.1000.5.sock"},
         OutputConfigurationKind::wlroots},
        {{"", "", "wayland-1", "", false, "", "abc_123"}, OutputConfigurationKind::wlroots},
        // What the compositor offers outweighs what the environment claims.
        {{"wayland", "sway", "wayland-0", "", true}, OutputConfigurationKind::gnomeMutter},
        {{"wayland", "GNOME", "wayland-1", "", false, "/run/user/1000/sway-ipc.sock"},
         OutputConfigurationKind::wlroots},
        // A session type that claims Wayland without a reachable Wayland display is not one; one that
        // says X11 beside a reachable Wayland display (a nested compositor) stays X11.
        {{"wayland", "GNOME", "", ":0", true}, OutputConfigurationKind::x11RandR},
        {{"x11", "XFCE", "wayland-0", ":0", false}, OutputConfigurationKind::x11RandR},
    };
    for (const Case& c : cases)
        EXPECT_EQ(chooseOutputConfiguration(c.facts), c.expected)
            << c.facts.sessionType << " " << c.facts.currentDesktop;

    EXPECT_EQ(describeSession({"tty", "", "wayland-1", "", false, "/run/user/1000/sway-ipc.sock"}),
              "Wayland (socket wayland-1 reachable); sway's socket (SWAYSOCK); session type tty");
    EXPECT_EQ(describeSession({"x11", "XFCE", "", ":0", false}),
              "X11 (display :0 reachable); desktop XFCE; session type x11");
}

}  // namespace
}  // namespace lumadesk
