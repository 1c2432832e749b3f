#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/linux/configuration/KScreenDoctorBackend.h"
#include "platform/linux/configuration/OutputConfigurationError.h"
#include "platform/linux/configuration/WlrRandrBackend.h"
#include "support/TemporaryDirectory.h"

namespace lumadesk {
namespace {

// The outputs both fake tools start with: name, on or off, x, width.
constexpr char initialState[] = "DP-1 on 0 1920\nDP-2 on 1920 2560\nHDMI-A-1 off 0 1280\n";

// The state and argument handling both fakes share. A file "refuse" makes the tool fail with its
// text; a file "ignore" makes it exit 0 and change nothing.
constexpr char sharedScript[] = R"sh(#!/bin/bash
dir=$(dirname "$0")
[ "$#" -gt 0 ] && [ "$1" != --json ] && echo "$*" >> "$dir/calls"
set_state() { awk -v n="$1" -v s="$2" -v x="$3" '$1==n {$2=s; if (x!="") $3=x} {print}' "$dir/state" > "$dir/state.new" && mv "$dir/state.new" "$dir/state"; }
if [ "$#" -gt 0 ] && [ "$1" != --json ]; then
  [ -f "$dir/refuse" ] && { cat "$dir/refuse" >&2; exit 1; }
  [ -f "$dir/ignore" ] && exit 0
fi
)sh";

constexpr char wlrRandrScript[] = R"sh(
if [ "$#" -eq 0 ]; then
  while read -r name state x width; do
    echo "$name \"Dell Inc. DELL U2415 ABC ($name)\""
    echo "  Make: Dell Inc."
    echo "  Enabled: $([ "$state" = on ] && echo yes || echo no)"
    echo "  Modes:"
    echo "    1024x768 px, 60.004002 Hz"
    echo "    ${width}x1080 px, 59.951000 Hz (preferred$([ "$state" = on ] && echo ', current'))"
    [ "$state" = on ] && { echo "  Position: $x,0"; echo "  Transform: normal"; echo "  Scale: 1.000000"; }
  done < "$dir/state"
  exit 0
fi
while [ "$#" -gt 0 ]; do
  case "$1" in
    --output) name=$2; shift 2 ;;
    --on) set_state "$name" on; shift ;;
    --off) set_state "$name" off; shift ;;
    --pos) set_state "$name" on "${2%,*}"; shift 2 ;;
    *) shift ;;
  esac
done
)sh";

constexpr char kscreenDoctorScript[] = R"sh(
if [ "$1" = --json ]; then
  echo '{"outputs": ['
  sep=""
  while read -r name state x width; do
    echo "$sep{\"id\": 1, \"name\": \"$name\", \"connected\": true, \"enabled\": $([ "$state" = on ] && echo true || echo false), \"pos\": {\"x\": $x, \"y\": 0}, \"size\": {\"width\": $width, \"height\": 1080}}"
    sep=","
  done < "$dir/state"
  echo ',{"id": 9, "name": "DP-3", "connected": false, "enabled": false}]}'
  exit 0
fi
for arg in "$@"; do
  IFS=. read -r _ name verb value <<< "$arg"
  case "$verb" in
    enable) set_state "$name" on ;;
    disable) set_state "$name" off ;;
    position) set_state "$name" on "${value%,*}" ;;
  esac
done
)sh";

// Puts a fake tool first on PATH for the test's life, as the real tool is found there.
class FakeTool {
public:
    FakeTool(const std::string& program, const char* body) : m_oldPath(std::getenv("PATH")) {
        std::ofstream(m_directory.path() / program) << sharedScript << body;
        std::filesystem::permissions(m_directory.path() / program, std::filesystem::perms::owner_all);
        std::ofstream(m_directory.path() / "state") << initialState;
        ::setenv("PATH", (m_directory.path().string() + ":" + m_oldPath).c_str(), 1);
    }
    ~FakeTool() { ::setenv("PATH", m_oldPath.c_str(), 1); }
    FakeTool(const FakeTool&) = delete;
    FakeTool& operator=(const FakeTool&) = delete;

    std::string read(const char* name) const {
        std::ifstream file(m_directory.path() / name);
        return std::string(std::istreambuf_iterator<char>(file), {});
    }
    void write(const char* name, const std::string& text) const {
        std::ofstream(m_directory.path() / name) << text;
    }
    void remove(const char* name) const { std::filesystem::remove(m_directory.path() / name); }

private:
    TemporaryDirectory m_directory;
    std::string m_oldPath;
};

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

TEST(CommandLineBackendsTest, WlrRandrRunsOneCommandPerChangeAndChecksItsResult) {
    const FakeTool tool("wlr-randr", wlrRandrScript);
    WlrRandrBackend backend;
    checkTool(backend, tool, "this Wayland session",
              {"--output DP-2 --off", "--output DP-2 --on --mode 2560x1080@59.951000Hz --pos 1920,0",
               "--output HDMI-A-1 --on --preferred --pos 4480,0"},
              "Taking a display off the desktop in this Wayland session needs wlr-randr: install the package "
              "wlr-randr.");
}

TEST(CommandLineBackendsTest, KScreenDoctorRunsOneCommandPerChangeAndChecksItsResult) {
    const FakeTool tool("kscreen-doctor", kscreenDoctorScript);
    KScreenDoctorBackend backend;
    checkTool(backend, tool, "KDE Plasma",
              {"output.DP-2.disable", "output.DP-2.enable",
               "output.HDMI-A-1.enable output.HDMI-A-1.position.4480,0"},
              "Taking a display off the desktop in KDE Plasma needs kscreen-doctor: install the package "
              "libkf5screen-bin.");
}

}  // namespace
}  // namespace lumadesk
