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

nlohmann::json entryOf(const HeldOutput& held) {
    nlohmann::json entry{{"connector", held.output.connector}, {"edid", encodeBase64(held.output.edid)}};
    if (const auto& by = held.holder)
        entry["heldBy"] = {{"role", by->role == OutputHolder::Role::tray ? trayRole : commandRole},
                           {"pid", by->processID},
                           {"started", by->processStart},
                           {"boot", by->bootID},
                           {"session", by->sessionID}};
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
            outputs.push_back(
                {{entry.at("connector").get<std::string>(), edid ? *edid : Data{}}, holderFrom(entry)});
        }
    } catch (const nlohmann::json::exception&) {
        return {};
    }
    return outputs;
}

void DisabledOutputsRecord::note(const std::vector<OutputChange>& applied) const {
    try {
        std::filesystem::create_directories(m_file.parent_path());
        // Another run (the tray, a command) may note its own changes at the same time.
        const FileLock lock(m_file.parent_path() / (std::string(fileName) + ".lock"));
        std::vector<HeldOutput> outputs = load();
        for (const OutputChange& change : applied) {
            std::erase_if(outputs, [&](const HeldOutput& held) {
                return held.output.connector == change.output.connector;
            });
            if (!change.enabled) outputs.push_back({change.output, m_self});
        }
        write(outputs);
    } catch (const std::exception&) {
        // Only the undo after a crash is lost.
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
