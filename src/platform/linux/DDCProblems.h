#pragma once

#include <filesystem>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/linux/KernelDriverAtAddress.h"

namespace lumadesk {

// The reasons DDC/CI cannot reach a monitor, each with its fix, told once per process to whoever shows
// them (standard error of the command line, the tray program's log), and kept as current until the
// condition is seen gone (a node that opens again, a monitor that answers), for the views that show
// what is wrong now. Safe to use from any thread: transfers on the write pool report here too.
class DDCProblems {
public:
    using Reporter = std::function<void(const std::string&)>;

    explicit DDCProblems(Reporter reporter) : m_reporter(std::move(reporter)) {}
    DDCProblems(const DDCProblems&) = delete;
    DDCProblems& operator=(const DDCProblems&) = delete;

    // Tells the message unless it was told before, and makes it current.
    void report(const std::string& message);
    // The condition of the message is gone: it is no longer current. Should it come back, it is current
    // again, but the reporter is not told twice.
    void resolve(const std::string& message);
    // The messages whose condition still holds, in the order they were first reported.
    std::vector<std::string> current() const;

    static std::string moduleNotLoaded();
    static std::string noDeviceNode(const std::filesystem::path& node);
    static std::string permissionDenied(const std::filesystem::path& node);
    static std::string noAnswer(const std::filesystem::path& node);
    static std::string lockedByAnotherProgram(const std::filesystem::path& node);
    // A kernel driver holds the monitor's DDC/CI address (I2C_SLAVE answered EBUSY).
    static std::string heldByKernelDriver(const std::filesystem::path& node,
                                          const KernelDriverAtAddress& driver);
    // The monitor acknowledges nothing at 0x37 while its EDID reads fine.
    static std::string ddcSwitchedOff(const std::filesystem::path& node);
    static std::string noExternalMonitor();

private:
    Reporter m_reporter;
    mutable std::mutex m_mutex;
    std::set<std::string> m_told;         // guarded by m_mutex
    std::vector<std::string> m_current;   // guarded by m_mutex
};

}  // namespace lumadesk
