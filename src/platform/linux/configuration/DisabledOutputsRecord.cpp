#include "platform/linux/configuration/DisabledOutputsRecord.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <exception>

#include "runtime/AtomicFile.h"
#include "runtime/Base64.h"
#include "runtime/CorruptFileKeeper.h"
#include "runtime/FileLock.h"
#include "runtime/FileSnapshot.h"

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

std::vector<HeldOutput> parseHeldOutputs(std::string_view text) {
    std::vector<HeldOutput> outputs;
    const nlohmann::json document = nlohmann::json::parse(text);
    for (const nlohmann::json& entry : document.at("outputs")) {
        const auto edid = decodeBase64(entry.value("edid", ""));
        outputs.push_back({{entry.at("connector").get<std::string>(), edid ? *edid : Data{}},
                           holderFrom(entry),
                           placeFrom(entry)});
    }
    return outputs;
}

std::string heldOutputsText(const std::vector<HeldOutput>& outputs) {
    nlohmann::json list = nlohmann::json::array();
    for (const HeldOutput& held : outputs) list.push_back(entryOf(held));
    return nlohmann::json{{"outputs", list}}.dump(2) + "\n";
}

// Throws FileReadError or a JSON error when the file is damaged.
std::vector<HeldOutput> DisabledOutputsRecord::read() const {
    const auto snapshot = readFileSnapshot(m_file, sizeLimit);
    if (!snapshot) return {};
    return parseHeldOutputs(snapshot->contents);
}

std::vector<HeldOutput> DisabledOutputsRecord::load() const {
    try {
        return read();
    } catch (const std::exception&) {
        // The damage may be another process's write caught half way; only a read under the lock decides.
    }
    try {
        const FileLock lock(lockPath());
        return loadUnderLock();
    } catch (const std::exception& error) {
        if (m_reportProblem)
            m_reportProblem("The record of displays taken off the desktop, " + m_file.string() +
                            ", could not be read: " + error.what() + ".");
        return {};
    }
}

// Sets a damaged file aside, so that it is neither read again nor lost to the next write.
std::vector<HeldOutput> DisabledOutputsRecord::loadUnderLock() const {
    std::string reason;
    try {
        return read();
    } catch (const FileReadError& error) {
        reason = error.reason();
    } catch (const nlohmann::json::exception&) {
        reason = "it is not a record of held displays";
    }
    const auto kept = keepCorruptFile(m_file, std::chrono::system_clock::now());
    if (m_reportProblem)
        m_reportProblem("The record of displays taken off the desktop, " + m_file.string() +
                        ", could not be read (" + reason + "); it was kept as " + kept.string() +
                        ". Displays an earlier run left off the desktop may have to be turned on by hand.");
    return {};
}

std::filesystem::path DisabledOutputsRecord::lockPath() const {
    return m_file.parent_path() / (std::string(fileName) + ".lock");
}

void DisabledOutputsRecord::note(const std::vector<OutputChange>& applied,
                                 const std::map<std::string, OutputPlace>& places) const {
    try {
        std::filesystem::create_directories(m_file.parent_path());
        // Another run (the tray, a command) may note its own changes at the same time.
        const FileLock lock(lockPath());
        std::vector<HeldOutput> outputs = loadUnderLock();
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
    AtomicFile(m_file).replace(heldOutputsText(outputs));
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
