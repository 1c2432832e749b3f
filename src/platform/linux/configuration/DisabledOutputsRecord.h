#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
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

// The record's outputs read from its text; throws nlohmann::json::exception when the text is not one.
std::vector<HeldOutput> parseHeldOutputs(std::string_view text);
// The record's text for the outputs.
std::string heldOutputsText(const std::vector<HeldOutput>& outputs);

// The outputs held off the desktop by every run of this program (the tray and the commands), kept in a
// file, so that the tray's next start brings back what a killed or crashed run left off, and what a
// desktop that stores every applied layout (KDE Plasma) would otherwise keep off into the next session.
// Each process changes only the entries of the outputs it changed, under a lock.
class DisabledOutputsRecord {
public:
    // The file in the settings directory.
    static constexpr char fileName[] = "disabled-outputs.json";

    // Told, in words for the user, that a damaged record was set aside.
    using ProblemReporter = std::function<void(const std::string&)>;
    // A record holds a handful of outputs; anything near this size is not one.
    static constexpr std::size_t sizeLimit = 1024 * 1024;

    // The file, and the process that writes to it.
    DisabledOutputsRecord(std::filesystem::path file, OutputHolder self, ProblemReporter reportProblem = {})
        : m_file(std::move(file)), m_self(std::move(self)), m_reportProblem(std::move(reportProblem)) {}

    // The recorded outputs; none when the file is missing. A file that cannot be read (damaged, too
    // large, not a regular file: a FIFO there is never waited on) is moved aside, reported, and holds
    // none.
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
    std::vector<HeldOutput> read() const;
    std::vector<HeldOutput> loadUnderLock() const;
    std::filesystem::path lockPath() const;
    void write(const std::vector<HeldOutput>& outputs) const;

    std::filesystem::path m_file;
    OutputHolder m_self;
    ProblemReporter m_reportProblem;
};

// Brings back the outputs that earlier runs left behind (all in one step, else one by one) and keeps
// recorded the ones that still could not be brought back, and those still meant to be off.
void restoreLeftOverOutputs(OutputConfigurationBackend& backend, const DisabledOutputsRecord& record,
                            const ProcessTable& processes);

}  // namespace lumadesk
