#include "hardware/ReplyWaitFile.h"

#include <fstream>
#include <iterator>
#include <system_error>

#include <nlohmann/json.hpp>

#include "runtime/AtomicFile.h"

namespace lumadesk {

std::map<std::string, ReplyWait> ReplyWaitFile::load() {
    std::ifstream stream(m_path, std::ios::binary);
    if (!stream) return {};
    const std::string text((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    const auto document = nlohmann::json::parse(text, nullptr, false);
    if (!document.is_object()) return {};
    std::map<std::string, ReplyWait> waits;
    for (const auto& [hardwareID, entry] : document.items()) {
        if (!entry.is_object()) continue;
        const auto wait = entry.find("replyWaitMs");
        const auto failed = entry.find("lastReadFailed");
        if (wait == entry.end() || !wait->is_number_unsigned() || failed == entry.end() ||
            !failed->is_boolean())
            continue;
        waits[hardwareID] = {std::chrono::milliseconds(wait->get<std::uint32_t>()), failed->get<bool>()};
    }
    return waits;
}

void ReplyWaitFile::save(const std::map<std::string, ReplyWait>& waits) {
    nlohmann::json document = nlohmann::json::object();
    for (const auto& [hardwareID, wait] : waits) {
        document[hardwareID] = {
            {"replyWaitMs", std::chrono::duration_cast<std::chrono::milliseconds>(wait.wait).count()},
            {"lastReadFailed", wait.lastReadFailed}};
    }
    // The waits are learned again when they cannot be kept: nothing the user must be told about.
    try {
        std::filesystem::create_directories(m_path.parent_path());
        AtomicFile(m_path).replace(document.dump(2) + "\n");
    } catch (const std::exception&) {
    }
}

}  // namespace lumadesk
