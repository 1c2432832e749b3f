#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <vector>

#include "platform/linux/configuration/OutputConfigurationBackend.h"
#include "platform/linux/configuration/OutputHolder.h"

namespace lumadesk {

// An output held off the desktop and who took it off; no holder in a record of an older version.
struct HeldOutput {
    OutputIdentity output;
    std::optional<OutputHolder> holder;
    // Where it was on the desktop; none in a record of an older version, or from a server that did not tell.
    std::optional<OutputPlace> place{};

    friend bool operator==(const HeldOutput&, const HeldOutput&) = default;
};

// The outputs held off the desktop by every run of this program (the tray and the commands), kept in a
// file, so that the tray's next start brings back what a killed or crashed run left off, and what a
// desktop that stores every applied layout (KDE Plasma) would otherwise keep off into the next session.
// Each process changes only the entries of the outputs it changed, under a lock.
class DisabledOutputsRecord {
public:
    // The file in the settings directory.
    static constexpr char fileName[] = "disabled-outputs.json";

    // The file, and the process that writes to it.
    DisabledOutputsRecord(std::filesystem::path file, OutputHolder self)
        : m_file(std::move(file)), m_self(std::move(self)) {}

    // The recorded outputs; none when the file is missing or unreadable.
    std::vector<HeldOutput> load() const;
    // Notes changes that were applied: an output turned off is held by this process, one turned on is
    // held by no one. Best effort: a failure to write only loses the undo of a crash, so it is not
    // reported.
    // `places` tells, by connector, where the outputs turned off were.
    void note(const std::vector<OutputChange>& applied,
              const std::map<std::string, OutputPlace>& places = {}) const;
    // Hands the backend the recorded place of each output it is to turn on and knows no place of itself.
    void tellPlaces(OutputConfigurationBackend& backend, const std::vector<OutputChange>& changes) const;
    const OutputHolder& self() const { return m_self; }

private:
    void write(const std::vector<HeldOutput>& outputs) const;

    std::filesystem::path m_file;
    OutputHolder m_self;
};

// Brings back the outputs that earlier runs left behind (all in one step, else one by one) and keeps
// recorded the ones that still could not be brought back, and those still meant to be off.
void restoreLeftOverOutputs(OutputConfigurationBackend& backend, const DisabledOutputsRecord& record,
                            const ProcessTable& processes);

}  // namespace lumadesk
