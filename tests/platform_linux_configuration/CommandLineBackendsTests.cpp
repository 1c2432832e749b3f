#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <sstream>

#include "platform/linux/configuration/KScreenDoctorBackend.h"
#include "platform/linux/configuration/OutputConfigurationError.h"
#include "platform/linux/configuration/WlrRandrBackend.h"
#include "platform_linux_configuration/FakeTools.h"

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
void checkTool(OutputConfigurationBackend& backend, const FakeTool& tool, const std::string& desktop,
               const std::vector<std::string>& expectedCalls, const std::string& missing) {
    int changes = 0;
    backend.setChangeHandler([&] { ++changes; });
    backend.apply({{{"DP-2", {}}, false}});
    EXPECT_EQ(tool.read("state"), "DP-1 on 0 1920\nDP-2 off 1920 2560\nHDMI-A-1 off 0 1280\n");
    backend.apply({{{"DP-2", {}}, true}});
    backend.apply({{{"HDMI-A-1", {}}, true}});
    backend.apply({{{"HDMI-A-1", {}}, true}});
    std::vector<std::string> calls;
    std::istringstream lines(tool.read("calls"));
    for (std::string line; std::getline(lines, line);) calls.push_back(line);
    EXPECT_EQ(calls, expectedCalls);
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
        std::string missing;
    };
    const Case cases[] = {
        {"wlr-randr",
         wlrRandrScript,
         [] { return std::make_unique<WlrRandrBackend>(); },
         "this Wayland session",
         {"--output DP-2 --off", "--output DP-2 --on --mode 2560x1080@59.951000Hz --pos 1920,0",
          "--output HDMI-A-1 --on --preferred --pos 4480,0"},
         "Taking a display off the desktop in this Wayland session needs wlr-randr: install the package "
         "wlr-randr."},
        {"kscreen-doctor",
         kscreenDoctorScript,
         [] { return std::make_unique<KScreenDoctorBackend>(); },
         "KDE Plasma",
         {"output.DP-2.disable", "output.DP-2.enable",
          "output.HDMI-A-1.enable output.HDMI-A-1.position.4480,0"},
         "Taking a display off the desktop in KDE Plasma needs kscreen-doctor: install the package "
         "libkf5screen-bin."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.program);
        const FakeTool tool(c.program, c.script);
        const auto backend = c.make();
        checkTool(*backend, tool, c.desktop, c.calls, c.missing);
    }
}

}  // namespace
}  // namespace lumadesk
