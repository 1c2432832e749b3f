#include "platform/simulated/SimulatedDeskStateFile.h"

#include <cstdio>
#include <system_error>

#include <nlohmann/json.hpp>

#include "runtime/AtomicFile.h"
#include "runtime/ConfigDirectory.h"
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

SimulatedDisplayState displayState(const Json& entry) {
    SimulatedDisplayState state;
    state.brightness = entry.at("brightness").get<std::uint16_t>();
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
        for (const Json& entry : displays) states.push_back(displayState(entry));
        return {std::move(states), std::nullopt};
    } catch (const std::exception& error) {
        return {std::nullopt, "The simulated desk's saved state in " + m_file.string() +
                                  " cannot be read and is ignored (" + error.what() + ")."};
    }
}

void SimulatedDeskStateFile::save(const std::string& deskKey, const std::string& fingerprint,
                                  const std::vector<SimulatedDisplayState>& state) const {
    createConfigDirectory(m_file.parent_path());
    const FileLock lock(lockPath(m_file));
    Json content;
    try {
        content = readState(m_file);
    } catch (const std::exception&) {
        content = Json::object();  // already reported when it was loaded; replaced by a good one now
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
