#pragma once

#include <filesystem>

#include "hardware/MonitorReplyWaits.h"

namespace lumadesk {

// The learned reply waits in a JSON file of the settings directory:
// {"<hardware ID>": {"replyWaitMs": 60, "lastReadFailed": false}, ...}. The file is replaced whole, so a
// crash leaves the old or the new one; one that cannot be read or parsed counts as empty (the waits are
// learned again), and entries of the wrong shape are skipped.
class ReplyWaitFile final : public ReplyWaitStoring {
public:
    static constexpr const char* fileName = "monitor-reply-waits.json";

    explicit ReplyWaitFile(std::filesystem::path directory) : m_path(std::move(directory) / fileName) {}

    std::map<std::string, ReplyWait> load() override;
    void save(const std::map<std::string, ReplyWait>& waits) override;

    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

}  // namespace lumadesk
