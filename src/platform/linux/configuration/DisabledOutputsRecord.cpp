#include "platform/linux/configuration/DisabledOutputsRecord.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <exception>
#include <fstream>
#include <iterator>

#include "runtime/AtomicFile.h"
#include "runtime/Base64.h"
#include "runtime/FileLock.h"

namespace lumadesk {

namespace {

constexpr char trayRole[] = "tray";
constexpr char commandRole[] = "command";

std::optional<OutputHolder> holderFrom(const nlohmann::json& entry) {
    if (!entry.contains("heldBy")) return std::nullopt;
    const nlohmann::json& by = entry.at("heldBy");
    return OutputHolder{
        by.at("role").get<std::string>() == trayRole ? OutputHolder::Role::tray : OutputHolder::Role::command,
        by.at("pid").get<int>(), by.at("started").get<std::uint64_t>(), by.at("boot").get<std::string>(),
        by.at("session").get<std::string>()};
}

std::optional<OutputPlace> placeFrom(const nlohmann::json& entry) {
    if (!entry.contains("place")) return std::nullopt;
    const nlohmann::json& at = entry.at("place");
    return OutputPlace{at.at("x").get<int>(),      at.at("y").get<int>(),     at.at("width").get<int>(),
                       at.at("height").get<int>(), at.value("refresh", 0.0),  at.value("scale", 1.0),
                       at.value("transform", 0),   at.value("primary", false)};
}

nlohmann::json entryOf(const HeldOutput& held) {
    nlohmann::json entry{{"connector", held.output.connector}, {"edid", encodeBase64(held.output.edid)}};
    if (const auto& by = held.holder)
        entry["heldBy"] = {{"role", by->role == OutputHolder::Role::tray ? trayRole : commandRole},
                           {"pid", by->processID},
                           {"started", by->processStart},
                           {"boot", by->bootID},
                           {"session", by->sessionID}};
    if (const auto& place = held.place)
        entry["place"] = {{"x", place->x},
                          {"y", place->y},
                          {"width", place->width},
                          {"height", place->height},
                          {"refresh", place->refresh},
                          {"scale", place->scale},
                          {"transform", place->transform},
                          {"primary", place->primary}};
    return entry;
}

}  // namespace

std::vector<HeldOutput> DisabledOutputsRecord::load() const {
    std::vector<HeldOutput> outputs;
    std::ifstream file(m_file);
    if (!file) return outputs;
    try {
        const nlohmann::json document =
            nlohmann::json::parse(std::string(std::istreambuf_iterator<char>(file), {}));
        for (const nlohmann::json& entry : document.at("outputs")) {
            const auto edid = decodeBase64(entry.value("edid", ""));
            outputs.push_back({{entry.at("connector").get<std::string>(), edid ? *edid : Data{}},
                               holderFrom(entry),
                               placeFrom(entry)});
        }
    } catch (const nlohmann::json::exception&) {
        return {};
    }
    return outputs;
}

void DisabledOutputsRecord::note(const std::vector<OutputChange>& applied,
                                 const std::map<std::string, OutputPlace>& places) const {
    try {
        std::filesystem::create_directories(m_file.parent_path());
        // Another run (the tray, a command) may note its own changes at the same time.
        const FileLock lock(m_file.parent_path() / (std::string(fileName) + ".lock"));
        std::vector<HeldOutput> outputs = load();
        for (const OutputChange& change : applied) {
            std::erase_if(outputs, [&](const HeldOutput& held) {
                return held.output.connector == change.output.connector;
            });
            if (change.enabled) continue;
            const auto place = places.find(change.output.connector);
            outputs.push_back(
                {change.output, m_self, place == places.end() ? std::nullopt : std::optional(place->second)});
        }
        write(outputs);
    } catch (const std::exception&) {
        // Only the undo after a crash is lost.
    }
}

void DisabledOutputsRecord::tellPlaces(OutputConfigurationBackend& backend,
                                       const std::vector<OutputChange>& changes) const {
    std::vector<HeldOutput> held;
    for (const OutputChange& change : changes) {
        if (!change.enabled || backend.placeOf(change.output)) continue;
        if (held.empty()) held = load();
        for (const HeldOutput& output : held)
            if (output.output.connector == change.output.connector && output.place)
                backend.rememberPlace(change.output, *output.place);
    }
}

void DisabledOutputsRecord::write(const std::vector<HeldOutput>& outputs) const {
    if (outputs.empty()) {
        std::filesystem::remove(m_file);
        return;
    }
    nlohmann::json list = nlohmann::json::array();
    for (const HeldOutput& held : outputs) list.push_back(entryOf(held));
    AtomicFile(m_file).replace(nlohmann::json{{"outputs", list}}.dump(2) + "\n");
}

void restoreLeftOverOutputs(OutputConfigurationBackend& backend, const DisabledOutputsRecord& record,
                            const ProcessTable& processes) {
    std::vector<OutputChange> leftBehind;
    for (const HeldOutput& held : record.load())
        if (isLeftBehind(held.holder, record.self(), processes)) leftBehind.push_back({held.output, true});
    if (leftBehind.empty()) return;
    record.tellPlaces(backend, leftBehind);
    try {
        backend.apply(leftBehind);
        record.note(leftBehind);
        return;
    } catch (const std::exception&) {
    }
    for (const OutputChange& change : leftBehind) {
        try {
            backend.apply({change});
            record.note({change});
        } catch (const std::exception&) {
            // Stays recorded, under its holder, for the next start.
        }
    }
}

}  // namespace lumadesk
