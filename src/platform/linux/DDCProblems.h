#pragma once

#include <filesystem>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace lumadesk {

// The reasons DDC/CI cannot reach a monitor, each with its fix, told once per process to whoever shows
// them (standard error of the command line, the tray program's log). Safe to use from any thread:
// transfers on the write pool report here too.
class DDCProblems {
public:
    using Reporter = std::function<void(const std::string&)>;

    explicit DDCProblems(Reporter reporter) : m_reporter(std::move(reporter)) {}
    DDCProblems(const DDCProblems&) = delete;
    DDCProblems& operator=(const DDCProblems&) = delete;

    // Tells the message unless it was told before.
    void report(const std::string& message);
    // Every message told so far, in order.
    std::vector<std::string> messages() const;

    static std::string moduleNotLoaded();
    static std::string noDeviceNode(const std::filesystem::path& node);
    static std::string permissionDenied(const std::filesystem::path& node);
    static std::string noAnswer(const std::filesystem::path& node);
    static std::string lockedByAnotherProgram(const std::filesystem::path& node);
    static std::string noExternalMonitor();

private:
    Reporter m_reporter;
    mutable std::mutex m_mutex;
    std::set<std::string> m_told;         // guarded by m_mutex
    std::vector<std::string> m_messages;  // guarded by m_mutex
};

}  // namespace lumadesk
