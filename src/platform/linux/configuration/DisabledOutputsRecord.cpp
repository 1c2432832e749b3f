#include "platform/linux/configuration/DisabledOutputsRecord.h"

#include <nlohmann/json.hpp>

#include <exception>
#include <fstream>
#include <iterator>

#include "runtime/AtomicFile.h"
#include "runtime/Base64.h"

namespace lumadesk {

std::vector<OutputIdentity> DisabledOutputsRecord::load() const {
    std::vector<OutputIdentity> outputs;
    std::ifstream file(m_file);
    if (!file) return outputs;
    try {
        const nlohmann::json document =
            nlohmann::json::parse(std::string(std::istreambuf_iterator<char>(file), {}));
        for (const nlohmann::json& entry : document.at("outputs")) {
            const auto edid = decodeBase64(entry.value("edid", ""));
            outputs.push_back({entry.at("connector").get<std::string>(), edid ? *edid : Data{}});
        }
    } catch (const nlohmann::json::exception&) {
        return {};
    }
    return outputs;
}

void DisabledOutputsRecord::save(const std::vector<OutputIdentity>& outputs) const {
    try {
        if (outputs.empty()) {
            std::filesystem::remove(m_file);
            return;
        }
        nlohmann::json list = nlohmann::json::array();
        for (const OutputIdentity& output : outputs)
            list.push_back({{"connector", output.connector}, {"edid", encodeBase64(output.edid)}});
        std::filesystem::create_directories(m_file.parent_path());
        AtomicFile(m_file).replace(nlohmann::json{{"outputs", list}}.dump(2) + "\n");
    } catch (const std::exception&) {
        // Only the undo after a crash is lost.
    }
}

void restoreLeftOverOutputs(OutputConfigurationBackend& backend, const DisabledOutputsRecord& record) {
    const std::vector<OutputIdentity> leftOver = record.load();
    if (leftOver.empty()) return;
    std::vector<OutputChange> all;
    for (const OutputIdentity& output : leftOver) all.push_back({output, true});
    try {
        backend.apply(all);
        record.save({});
        return;
    } catch (const std::exception&) {
    }
    std::vector<OutputIdentity> stillOff;
    for (const OutputChange& change : all) {
        try {
            backend.apply({change});
        } catch (const std::exception&) {
            stillOff.push_back(change.output);
        }
    }
    record.save(stillOff);
}

}  // namespace lumadesk
