#include "platform/simulated/SimulatedDeskStateFile.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <limits>
#include <system_error>

#include <nlohmann/json.hpp>

#include "runtime/AtomicFile.h"
#include "runtime/ConfigDirectory.h"
#include "runtime/CorruptFileKeeper.h"
#include "runtime/FileLock.h"
#include "runtime/FileSnapshot.h"

namespace lumadesk {

namespace {

using Json = nlohmann::json;

constexpr int formatVersion = 1;

// The file's content as JSON; an empty object when there is no file. Throws on unreadable content.
Json readState(const std::filesystem::path& file) {
    const auto snapshot = readFileSnapshot(file);
    if (!snapshot) return Json::object();
    Json state = Json::parse(snapshot->contents);
    if (!state.is_object() || state.value("version", 0) != formatVersion || !state.contains("desks") ||
        !state.at("desks").is_object()) {
        throw std::runtime_error("it is not a desk state file of this version");
    }
    return state;
}

// A saved level out of the range a monitor can hold is brought into it, and said so in `problems`.
SimulatedDisplayState displayState(const Json& entry, std::size_t index, std::string& problems) {
    SimulatedDisplayState state;
    const Json& brightness = entry.at("brightness");
    if (!brightness.is_number_integer()) throw std::runtime_error("a brightness is not a whole number");
    const auto saved = brightness.get<std::int64_t>();
    const auto level = std::clamp<std::int64_t>(saved, 0, std::numeric_limits<std::uint16_t>::max());
    if (level != saved)
        problems += " The saved brightness " + std::to_string(saved) + " of display " +
                    std::to_string(index + 1) + " is out of range; " + std::to_string(level) + " is used.";
    state.brightness = static_cast<std::uint16_t>(level);
    state.powerMode = entry.at("powerMode").get<std::uint8_t>();
    state.enabled = entry.at("enabled").get<bool>();
    state.plugged = entry.at("plugged").get<bool>();
    return state;
}

std::filesystem::path lockPath(const std::filesystem::path& file) {
    return file.parent_path() / (file.filename().string() + ".lock");
}

}  // namespace

SimulatedDeskStateFile::Loaded SimulatedDeskStateFile::load(const std::string& deskKey,
                                                            const std::string& fingerprint,
                                                            std::size_t displayCount) const {
    try {
        const Json state = readState(m_file);
        if (!state.contains("desks") || !state.at("desks").contains(deskKey)) return {};
        const Json& desk = state.at("desks").at(deskKey);
        if (desk.at("fingerprint").get<std::string>() != fingerprint) return {};
        const Json& displays = desk.at("displays");
        if (!displays.is_array() || displays.size() != displayCount) return {};
        std::vector<SimulatedDisplayState> states;
        std::string problems;
        for (const Json& entry : displays) states.push_back(displayState(entry, states.size(), problems));
        if (problems.empty()) return {std::move(states), std::nullopt};
        return {std::move(states),
                "The simulated desk's saved state in " + m_file.string() + " was corrected:" + problems};
    } catch (const std::exception& error) {
        return {std::nullopt, "The simulated desk's saved state in " + m_file.string() +
                                  " cannot be read and is ignored (" + error.what() + ")."};
    }
}

void SimulatedDeskStateFile::save(const std::string& deskKey, const std::string& fingerprint,
                                  const std::vector<SimulatedDisplayState>& state) const {
    createConfigDirectory(m_file.parent_path());
    const FileLock lock(lockPath(m_file));
    Json content = Json::object();
    try {
        content = readState(m_file);
    } catch (const std::exception&) {
        // Already reported when it was loaded; kept aside (a directory or a FIFO in its place too), so
        // that a good one can take its place and nothing of it is lost.
        std::error_code missing;
        if (std::filesystem::exists(std::filesystem::symlink_status(m_file, missing)))
            keepCorruptFile(m_file, std::chrono::system_clock::now());
    }
    content["version"] = formatVersion;
    Json displays = Json::array();
    for (const auto& display : state) {
        displays.push_back({{"brightness", display.brightness},
                            {"powerMode", display.powerMode},
                            {"enabled", display.enabled},
                            {"plugged", display.plugged}});
    }
    content["desks"][deskKey] = {{"fingerprint", fingerprint}, {"displays", std::move(displays)}};
    const AtomicFile file(m_file);
    // Whoever left these was killed before renaming them; no writer is active while we hold the lock.
    file.removeLeftoverTemporaries();
    file.replace(content.dump(2) + "\n");
}

std::string SimulatedDeskStateFile::fingerprint(std::string_view deskText) {
    // 64-bit FNV-1a: enough to notice that a desk file was edited.
    std::uint64_t hash = 0xCBF29CE484222325ULL;
    for (const char byte : deskText) {
        hash ^= static_cast<unsigned char>(byte);
        hash *= 0x100000001B3ULL;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

}  // namespace lumadesk
