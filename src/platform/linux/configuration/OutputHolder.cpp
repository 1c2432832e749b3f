#include "platform/linux/configuration/OutputHolder.h"

#include <systemd/sd-login.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

namespace lumadesk {

std::optional<std::uint64_t> ProcessTable::startOf(int processID) const {
    std::ifstream file(m_root / std::to_string(processID) / "stat");
    const std::string stat(std::istreambuf_iterator<char>(file), {});
    // "PID (name) state ppid ...": the name may hold spaces and parentheses, so fields count from the
    // last ')'; the start time is field 22, the 20th after it.
    const auto nameEnd = stat.rfind(')');
    if (nameEnd == std::string::npos) return std::nullopt;
    std::istringstream fields(stat.substr(nameEnd + 1));
    std::string field;
    for (int index = 3; index < 22 && fields >> field;) ++index;
    std::uint64_t start = 0;
    if (!(fields >> start)) return std::nullopt;
    return start;
}

std::string ProcessTable::bootID() const {
    std::ifstream file(m_root / "sys/kernel/random/boot_id");
    std::string id;
    std::getline(file, id);
    return id;
}

bool ProcessTable::isRunning(const OutputHolder& holder) const {
    return startOf(holder.processID) == holder.processStart;
}

OutputHolder ProcessTable::self(OutputHolder::Role role) const {
    const int processID = static_cast<int>(::getpid());
    std::string session;
    char* name = nullptr;
    if (sd_pid_get_session(0, &name) >= 0) {
        session = name;
        std::free(name);
    }
    return {role, processID, startOf(processID).value_or(0), bootID(), session};
}

bool isLeftBehind(const std::optional<OutputHolder>& holder, const OutputHolder& current,
                  const ProcessTable& processes) {
    if (!holder || holder->bootID != current.bootID || holder->sessionID != current.sessionID) return true;
    return holder->role == OutputHolder::Role::tray && !processes.isRunning(*holder);
}

}  // namespace lumadesk
