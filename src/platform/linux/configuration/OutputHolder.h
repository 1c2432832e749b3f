#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace lumadesk {

// Who took an output off the desktop, and when: the tray (which puts it back when it quits) or a
// command (whose changes last until logout), its process, its login session and the machine's boot.
struct OutputHolder {
    enum class Role { tray, command };

    Role role = Role::tray;
    int processID = 0;
    // The process's start in clock ticks after boot: a process ID can be reused, this pair cannot.
    std::uint64_t processStart = 0;
    std::string bootID;
    std::string sessionID;  // logind's; empty outside a login session

    friend bool operator==(const OutputHolder&, const OutputHolder&) = default;
};

// The processes of the machine, read from procfs (a test hands in a tree of its own).
class ProcessTable {
public:
    explicit ProcessTable(std::filesystem::path procRoot = "/proc") : m_root(std::move(procRoot)) {}

    // When the process started, in clock ticks after boot; none when there is no such process.
    std::optional<std::uint64_t> startOf(int processID) const;
    // The identity of this boot of the machine; empty when unknown.
    std::string bootID() const;
    // Whether the holder's process still runs (the same process, not a later one under its ID).
    bool isRunning(const OutputHolder& holder) const;
    // This process in the given role, in its login session.
    OutputHolder self(OutputHolder::Role role) const;

private:
    std::filesystem::path m_root;
};

// Whether an output held off the desktop was left behind, for the tray's start to bring back: a record
// of an older version (no holder), one from an earlier boot or login session (the desktop does not
// keep such changes, or must not), or one of a tray in this session that ended without putting it back.
// What a command took off in this session stays off until logout, as asked.
bool isLeftBehind(const std::optional<OutputHolder>& holder, const OutputHolder& current,
                  const ProcessTable& processes);

}  // namespace lumadesk
