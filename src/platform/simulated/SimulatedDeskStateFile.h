#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/simulated/SimulatedDisplayState.h"

namespace lumadesk {

// Keeps the state of simulated desks between runs, in one JSON file holding an entry per desk: the
// desk's key (which desk), a fingerprint of its description (which version of it) and the state of
// each display. Successive runs of the command line on the same desk thereby see the same desk.
// Writes are atomic and serialised between processes; a broken file is ignored, never fatal.
class SimulatedDeskStateFile {
public:
    // What a load found: the state, when one fits the desk, and a problem to tell the user about.
    struct Loaded {
        std::optional<std::vector<SimulatedDisplayState>> state;
        std::optional<std::string> problem;
    };

    explicit SimulatedDeskStateFile(std::filesystem::path file) : m_file(std::move(file)) {}

    // The state saved for the desk. None when nothing was saved for it, when its description changed
    // since (another fingerprint) or when the saved state does not fit its displays.
    Loaded load(const std::string& deskKey, const std::string& fingerprint, std::size_t displayCount) const;
    // Saves the desk's state, keeping the other desks' entries (a broken file is replaced). Throws
    // std::system_error when the file cannot be written.
    void save(const std::string& deskKey, const std::string& fingerprint,
              const std::vector<SimulatedDisplayState>& state) const;

    // A fingerprint of a desk description.
    static std::string fingerprint(std::string_view deskText);
    const std::filesystem::path& file() const { return m_file; }

private:
    std::filesystem::path m_file;
};

}  // namespace lumadesk
