#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/TemporaryDirectory.h"

namespace lumadesk {

// The outputs both fake tools start with: name, on or off, x, width.
inline constexpr char initialState[] = "DP-1 on 0 1920\nDP-2 on 1920 2560\nHDMI-A-1 off 0 1280\n";

// The state and argument handling both fakes share. A file "refuse" makes the tool fail with its
// text; a file "ignore" makes it exit 0 and change nothing; a file "fail-at" makes it fail half way; a
// file "fail-after" makes it change the layout and then fail with its text.
inline constexpr char sharedScript[] = R"sh(#!/bin/bash
dir=$(dirname "$0")
[ "$#" -gt 0 ] && [ "$1" != --json ] && echo "$*" >> "$dir/calls"
set_state() { awk -v n="$1" -v s="$2" -v x="$3" '$1==n {$2=s; if (x!="") $3=x} {print}' "$dir/state" > "$dir/state.new" && mv "$dir/state.new" "$dir/state"; }
if [ "$#" -gt 0 ] && [ "$1" != --json ]; then
  [ -f "$dir/refuse" ] && { cat "$dir/refuse" >&2; exit 1; }
  [ -f "$dir/ignore" ] && exit 0
  [ -f "$dir/fail-after" ] && trap 'cat "$dir/fail-after" >&2; exit 1' EXIT
fi
# A file "fail-at" names an output: the next change applies the outputs before it, then fails there.
fail_at() {
  [ -f "$dir/fail-at" ] && [ "$1" = "$(cat "$dir/fail-at")" ] || return 0
  rm "$dir/fail-at"; echo "output $1: no CRTC left" >&2; exit 1
}
)sh";

inline constexpr char wlrRandrScript[] = R"sh(
if [ "$#" -eq 0 ]; then
  while read -r name state x width; do
    echo "$name \"Dell Inc. DELL U2415 ABC ($name)\""
    echo "  Make: Dell Inc."
    echo "  Enabled: $([ "$state" = on ] && echo yes || echo no)"
    echo "  Modes:"
    echo "    1024x768 px, 60.004002 Hz"
    flags=$([ -f "$dir/no-preferred" ] || echo preferred)
    [ "$state" = on ] && flags="${flags:+$flags, }current"
    echo "    ${width}x1080 px, 59.951000 Hz${flags:+ ($flags)}"
    [ "$state" = on ] && { echo "  Position: $x,0"; echo "  Transform: normal"; echo "  Scale: 1.000000"; }
  done < "$dir/state"
  exit 0
fi
while [ "$#" -gt 0 ]; do
  case "$1" in
    --output) name=$2; fail_at "$name"; shift 2 ;;
    --on) set_state "$name" on; shift ;;
    --off) set_state "$name" off; shift ;;
    --pos) set_state "$name" on "${2%,*}"; shift 2 ;;
    *) shift ;;
  esac
done
)sh";

inline constexpr char kscreenDoctorScript[] = R"sh(
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
  [ "$name" != "$last" ] && fail_at "$name"
  last=$name
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

}  // namespace lumadesk
