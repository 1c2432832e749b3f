#pragma once

#include <filesystem>
#include <vector>

#include "platform/linux/configuration/OutputConfigurationBackend.h"

namespace lumadesk {

// The outputs this program holds off the desktop, kept in a file, so that the next start brings back
// what a killed or crashed run left off, and what a desktop that stores every applied layout (KDE
// Plasma) would otherwise keep off into the next session.
class DisabledOutputsRecord {
public:
    // The file in the settings directory.
    static constexpr char fileName[] = "disabled-outputs.json";

    explicit DisabledOutputsRecord(std::filesystem::path file) : m_file(std::move(file)) {}

    // The recorded outputs; none when the file is missing or unreadable.
    std::vector<OutputIdentity> load() const;
    // Records the outputs (removes the file when there are none). Best effort: a failure to write only
    // loses the undo of a crash, so it is not reported.
    void save(const std::vector<OutputIdentity>& outputs) const;

private:
    std::filesystem::path m_file;
};

// Brings back the outputs a previous run left off (all in one step, else one by one) and records the
// ones that still could not be brought back. Outputs that are on already cost nothing.
void restoreLeftOverOutputs(OutputConfigurationBackend& backend, const DisabledOutputsRecord& record);

}  // namespace lumadesk
