#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <sstream>

#include "platform/linux/configuration/KScreenDoctorBackend.h"
#include "platform/linux/configuration/OutputConfigurationError.h"
#include "platform/linux/configuration/OutputConfigurationTransactions.h"
#include "platform/linux/configuration/WlrRandrBackend.h"
#include "platform_linux_configuration/FakeTools.h"
#include "runtime/VirtualClock.h"

namespace lumadesk {
namespace {

std::string failureOf(OutputConfigurationBackend& backend, std::vector<OutputChange> changes) {
    try {
        backend.apply(changes);
    } catch (const OutputConfigurationError& error) {
        return error.what();
    }
    return "no failure";
}

// The same story for both tools: off and back in one place, a first-time enable, nothing to do, the
// refusals, a tool that says yes and does nothing, and a tool that is not installed.
std::vector<std::string> callsOf(const FakeTool& tool) {
    std::vector<std::string> calls;
    std::istringstream lines(tool.read("calls"));
    for (std::string line; std::getline(lines, line);) calls.push_back(line);
    return calls;
}

void checkTool(OutputConfigurationBackend& backend, const FakeTool& tool, const std::string& desktop,
               const std::vector<std::string>& expectedCalls, const std::vector<std::string>& halfWayCalls,
               const std::string& missing) {
    int changes = 0;
    backend.setChangeHandler([&] { ++changes; });
    backend.apply({{{"DP-2", {}}, false}});
    EXPECT_EQ(tool.read("state"), "DP-1 on 0 1920\nDP-2 off 1920 2560\nHDMI-A-1 off 0 1280\n");
    backend.apply({{{"DP-2", {}}, true}});
    backend.apply({{{"HDMI-A-1", {}}, true}});
    backend.apply({{{"HDMI-A-1", {}}, true}});
    EXPECT_EQ(callsOf(tool), expectedCalls);
    EXPECT_EQ(changes, 3);

    EXPECT_EQ(failureOf(backend, {{{"DP-1", {}}, false}, {{"DP-2", {}}, false}, {{"HDMI-A-1", {}}, false}}),
              "The last display on the desktop cannot be taken off it: at least one display must stay on.");
    EXPECT_EQ(failureOf(backend, {{{"DP-7", {}}, false}}), desktop + " shows no display DP-7.");
    tool.write("refuse", "output DP-2: mode not supported\n");
    EXPECT_EQ(failureOf(backend, {{{"DP-2", {}}, false}}),
              desktop + " did not apply the new display layout: output DP-2: mode not supported");
    tool.remove("refuse");
    tool.write("ignore", "");
    EXPECT_EQ(failureOf(backend, {{{"DP-2", {}}, false}}),
              desktop + " did not apply the new display layout.");
    EXPECT_EQ(changes, 3);
    // A tool that makes the change and still fails is not trusted with it: the change is undone.
    tool.remove("ignore");
    tool.write("fail-after", "compositor: the layout may be incomplete\n");
    EXPECT_EQ(failureOf(backend, {{{"DP-2", {}}, false}}),
              desktop + " did not apply the new display layout: compositor: the layout may be incomplete");
    EXPECT_EQ(tool.read("state"), "DP-1 on 0 1920\nDP-2 on 1920 2560\nHDMI-A-1 on 4480 1280\n");
    EXPECT_EQ(changes, 3);
    tool.remove("fail-after");

    // The tool turns DP-1 off and then fails on DP-2: DP-1 is turned back on as it was.
    tool.write("calls", "");
    tool.write("fail-at", "DP-2");
    EXPECT_EQ(failureOf(backend, {{{"DP-1", {}}, false}, {{"DP-2", {}}, false}}),
              desktop + " did not apply the new display layout: output DP-2: no CRTC left");
    EXPECT_EQ(tool.read("state"), "DP-1 on 0 1920\nDP-2 on 1920 2560\nHDMI-A-1 on 4480 1280\n");
    EXPECT_EQ(callsOf(tool), halfWayCalls);
    EXPECT_EQ(changes, 3);

    const char* path = std::getenv("PATH");
    const std::string saved = path;
    ::setenv("PATH", "/nonexistent", 1);
    EXPECT_EQ(failureOf(backend, {{{"DP-2", {}}, false}}), missing);
    ::setenv("PATH", saved.c_str(), 1);
}

TEST(CommandLineBackendsTest, EachToolRunsOncePerChangeAndItsResultIsChecked) {
    struct Case {
        const char* program;
        const char* script;
        std::function<std::unique_ptr<OutputConfigurationBackend>()> make;
        std::string desktop;
        std::vector<std::string> calls;
        std::vector<std::string> halfWayCalls;
        std::string missing;
    };
    const Case cases[] = {
        {"wlr-randr",
         wlrRandrScript,
         [] { return std::make_unique<WlrRandrBackend>(); },
         "this Wayland session",
         {"--output DP-2 --off", "--output DP-2 --on --mode 2560x1080@59.951000Hz --pos 1920,0",
          "--output HDMI-A-1 --on --preferred --pos 4480,0"},
         {"--output DP-1 --off --output DP-2 --off",
          "--output DP-1 --on --mode 1920x1080@59.951000Hz --pos 0,0"},
         "Taking a display off the desktop in this Wayland session needs wlr-randr: install the package "
         "wlr-randr."},
        {"kscreen-doctor",
         kscreenDoctorScript,
         [] { return std::make_unique<KScreenDoctorBackend>(); },
         "KDE Plasma",
         {"output.DP-2.disable", "output.DP-2.enable",
          "output.HDMI-A-1.enable output.HDMI-A-1.position.4480,0"},
         {"output.DP-1.disable output.DP-2.disable", "output.DP-1.enable"},
         "Taking a display off the desktop in KDE Plasma needs kscreen-doctor: install the package "
         "libkf5screen-bin."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.program);
        const FakeTool tool(c.program, c.script);
        const auto backend = c.make();
        checkTool(*backend, tool, c.desktop, c.calls, c.halfWayCalls, c.missing);
    }
}

// An output that marks no mode preferred (virtual and some headless ones): "--preferred" would fail,
// so an output never seen on gets its first listed mode.
TEST(CommandLineBackendsTest, WlrRandrGivesAnOutputWithoutAPreferredModeItsFirstMode) {
    const FakeTool tool("wlr-randr", wlrRandrScript);
    tool.write("no-preferred", "");
    WlrRandrBackend backend;
    backend.apply({{{"HDMI-A-1", {}}, true}});
    EXPECT_EQ(callsOf(tool), (std::vector<std::string>{"--output HDMI-A-1 --on --mode 1024x768@60.004002Hz "
                                                       "--pos 4480,0"}));
}

using namespace std::chrono_literals;

TEST(ProcessRunnerTest, CollectsWhatAProgramLeftAndKillsOneThatOutlivesItsTimeout) {
    const ProcessResult finished = runProcess({"sh", "-c", "echo out; echo err >&2; exit 3"}, 2000ms);
    EXPECT_TRUE(finished.started);
    EXPECT_FALSE(finished.timedOut);
    EXPECT_EQ(finished.exitStatus, 3);
    EXPECT_EQ(finished.output, "out\n");
    EXPECT_EQ(finished.errors, "err\n");

    // A short real timeout: the program would sleep for a minute.
    const ProcessResult hung = runProcess({"sh", "-c", "echo partial; exec sleep 60"}, 100ms);
    EXPECT_TRUE(hung.timedOut);
    EXPECT_EQ(hung.exitStatus, -1);
    EXPECT_EQ(hung.output, "partial\n");

    EXPECT_FALSE(runProcess({"lumadesk-no-such-tool"}, 100ms).started);
}

// kscreen-doctor in virtual time: a listing takes 50 ms and a change 100 ms, and once it hangs a change
// takes all the time it is given and is killed.
class ScriptedKScreenDoctor {
public:
    struct Call {
        Duration startedAt;  // since the script was made
        std::chrono::milliseconds timeout;
    };

    explicit ScriptedKScreenDoctor(VirtualClock& clock) : m_clock(clock), m_start(clock.monotonicNow()) {}

    ProcessRunning runner() {
        return [this](const std::vector<std::string>& arguments, std::chrono::milliseconds timeout) {
            return run(arguments, timeout);
        };
    }

    std::map<std::string, bool> outputs{{"eDP-1", true}, {"DP-1", true}, {"DP-2", true}, {"HDMI-A-1", true}};
    bool hangs = false;
    std::vector<Call> calls;

private:
    ProcessResult run(const std::vector<std::string>& arguments, std::chrono::milliseconds timeout) {
        calls.push_back({m_clock.monotonicNow() - m_start, timeout});
        if (arguments.at(1) == "--json") {
            m_clock.advance(50ms);
            std::string listing = "{\"outputs\": [";
            for (const auto& [name, on] : outputs)
                listing += std::string(listing.back() == '[' ? "" : ",") + "{\"name\": \"" + name +
                           "\", \"connected\": true, \"enabled\": " + (on ? "true" : "false") + "}";
            return {true, false, 0, listing + "]}", ""};
        }
        if (hangs) {
            m_clock.advance(timeout);
            return {true, true, -1, "", ""};
        }
        m_clock.advance(100ms);
        for (std::size_t i = 1; i < arguments.size(); ++i) {
            std::istringstream parts(arguments[i]);
            std::string output, name, verb;
            std::getline(parts, output, '.');
            std::getline(parts, name, '.');
            std::getline(parts, verb, '.');
            if (verb == "enable" || verb == "disable") outputs[name] = verb == "enable";
        }
        return {true, false, 0, "", ""};
    }

    VirtualClock& m_clock;
    MonotonicInstant m_start;
};

TEST(CommandLineBackendsTest, ARestoreAtQuitEndsByItsDeadlineWhenTheToolHangs) {
    VirtualClock clock;
    ScriptedKScreenDoctor tool(clock);
    KScreenDoctorBackend backend(tool.runner());
    const std::vector<std::string> names{"DP-1", "DP-2", "HDMI-A-1"};
    OutputConfigurationTransactions transactions(backend, [&](DisplayID id) {
        return std::optional<OutputIdentity>({names.at(id), {}});
    });
    const auto change = [&](DisplayID id, bool enabled) {
        const auto configuration = *transactions.beginConfiguration().configuration;
        transactions.configureDisplayEnabled(configuration, id, enabled);
        const auto code = transactions.completeConfiguration(configuration, ConfigureOption::forSession);
        if (code != windowServerSuccess) transactions.cancelConfiguration(configuration);
        return code;
    };
    // Without a deadline, or with one farther off than the tool's own limit, every run of the tool has
    // its own 2 s.
    transactions.limitTo(Deadline::after(clock, 5s));
    ASSERT_EQ(change(0, false), windowServerSuccess);
    transactions.limitTo({});
    for (DisplayID id = 1; id < names.size(); ++id) ASSERT_EQ(change(id, false), windowServerSuccess);
    ASSERT_EQ(tool.calls.size(), 9u);
    for (const auto& call : tool.calls) EXPECT_EQ(call.timeout, 2000ms);

    // Quitting allows 2 s in all: the listing, then the change that hangs for what is left; the retry of
    // each output on its own finds no time and runs nothing.
    tool.hangs = true;
    tool.calls.clear();
    const MonotonicInstant quit = clock.monotonicNow();
    transactions.limitTo(Deadline::after(clock, 2s));
    EXPECT_EQ(transactions.restorePermanentConfiguration(), OutputConfigurationTransactions::failure);
    EXPECT_EQ(transactions.lastErrorMessage(), "kscreen-doctor did not finish in time.");
    ASSERT_EQ(tool.calls.size(), 2u);
    EXPECT_EQ(tool.calls[1].timeout, 1950ms);
    EXPECT_EQ(clock.monotonicNow() - quit, 2s);
    // Asked one by one, as the quit's restore does per display, they fail at once.
    EXPECT_EQ(change(0, true), OutputConfigurationTransactions::cannotComplete);
    EXPECT_EQ(transactions.lastErrorMessage(), "There was no time left to change the display layout.");
    EXPECT_EQ(tool.calls.size(), 2u);
    // Still known as off, so the next start brings them back.
    EXPECT_EQ(transactions.disabledOutputs().size(), 3u);

    // A lifted limit (the logout was cancelled) lets the restore take its time again.
    tool.hangs = false;
    transactions.limitTo({});
    EXPECT_EQ(transactions.restorePermanentConfiguration(), windowServerSuccess);
    EXPECT_EQ(tool.outputs, (std::map<std::string, bool>{
                                {"eDP-1", true}, {"DP-1", true}, {"DP-2", true}, {"HDMI-A-1", true}}));
}

}  // namespace
}  // namespace lumadesk
