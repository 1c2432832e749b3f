#include "platform/linux/configuration/CommandLineOutputBackend.h"

#include <algorithm>

#include "platform/linux/configuration/OutputConfigurationError.h"

namespace lumadesk {

namespace {

// Long enough for a modeset on a slow compositor, short enough that quitting never hangs on it.
constexpr std::chrono::milliseconds toolTimeout{2000};

std::string firstLine(const std::string& text) {
    const auto end = text.find('\n');
    return text.substr(0, end);
}

}  // namespace

CommandLineOutputBackend::CommandLineOutputBackend(std::string program, std::string package,
                                                   std::string desktop, ProcessRunning runner)
    : m_program(std::move(program)),
      m_package(std::move(package)),
      m_desktop(std::move(desktop)),
      m_runner(std::move(runner)) {}

ProcessResult CommandLineOutputBackend::run(const std::vector<std::string>& arguments,
                                            const Deadline& deadline) {
    std::vector<std::string> command{m_program};
    command.insert(command.end(), arguments.begin(), arguments.end());
    ProcessResult result = m_runner(command, callTimeout(deadline, toolTimeout));
    if (!result.started)
        throw OutputConfigurationError("Taking a display off the desktop in " + m_desktop + " needs " +
                                       m_program + ": install the package " + m_package + ".");
    if (result.timedOut) throw OutputConfigurationError(m_program + " did not finish in time.");
    return result;
}

std::vector<ToolOutput> CommandLineOutputBackend::listOutputs(const Deadline& deadline) {
    const ProcessResult listed = run(listArguments(), deadline);
    if (listed.exitStatus != 0)
        throw OutputConfigurationError(m_program +
                                       " cannot reach the compositor: " + firstLine(listed.errors));
    return parseListing(listed.output);
}

std::vector<std::string> CommandLineOutputBackend::changeArguments(
    const std::vector<ToolOutput>& outputs, const std::map<std::string, bool>& wanted,
    const std::map<std::string, ToolOutput>& saved) const {
    int rightEdge = 0;
    for (const ToolOutput& output : outputs)
        if (output.enabled) rightEdge = std::max(rightEdge, output.rightEdge);
    std::vector<std::string> arguments;
    for (const ToolOutput& output : outputs) {
        const auto change = wanted.find(output.name);
        if (change == wanted.end()) continue;
        const auto before = saved.find(output.name);
        const auto part =
            change->second
                ? enableArguments(output, before == saved.end() ? ToolOutput{} : before->second, rightEdge)
                : disableArguments(output);
        arguments.insert(arguments.end(), part.begin(), part.end());
    }
    return arguments;
}

std::string CommandLineOutputBackend::rollBack(const std::vector<ToolOutput>& before,
                                               const std::map<std::string, bool>& wanted,
                                               const Deadline& deadline) {
    const auto changedOnes = [&](const std::vector<ToolOutput>& now) {
        std::map<std::string, bool> changed;
        for (const ToolOutput& output : now) {
            const auto change = wanted.find(output.name);
            if (change != wanted.end() && output.enabled == change->second)
                changed[output.name] = !change->second;
        }
        return changed;
    };
    std::map<std::string, bool> undo;
    std::string stuck;
    try {
        undo = changedOnes(listOutputs(deadline));
        if (undo.empty()) return "";
        // Each output that was on goes back with its own mode and place.
        std::map<std::string, ToolOutput> previous;
        for (const ToolOutput& output : before) previous[output.name] = output;
        run(changeArguments(before, undo, previous), deadline);
        undo = changedOnes(listOutputs(deadline));
    } catch (const OutputConfigurationError&) {
        // Whatever could not be read back counts as still changed.
    }
    for (const auto& [name, enabled] : undo) stuck += (stuck.empty() ? "" : ", ") + name;
    return stuck;
}

void CommandLineOutputBackend::applyWithin(const std::vector<OutputChange>& changes,
                                           const Deadline& deadline) {
    const std::vector<ToolOutput> outputs = listOutputs(deadline);
    std::vector<OutputCandidate> candidates;
    for (const ToolOutput& output : outputs) candidates.push_back({output.name, {}});
    std::map<std::string, bool> wanted;
    for (const OutputChange& change : changes) {
        const auto index = findOutput(change.output, candidates);
        if (!index)
            throw OutputConfigurationError(m_desktop + " shows no display " + change.output.connector + ".");
        if (outputs[*index].enabled != change.enabled) wanted[outputs[*index].name] = change.enabled;
    }
    std::size_t enabled = 0;
    for (const ToolOutput& output : outputs) {
        const auto change = wanted.find(output.name);
        enabled += change == wanted.end() ? output.enabled : change->second;
    }
    requireAnEnabledOutput(enabled);
    if (wanted.empty()) return;

    const ProcessResult applied = run(changeArguments(outputs, wanted, m_saved), deadline);
    const std::vector<ToolOutput> after = listOutputs(deadline);
    const bool done = std::all_of(wanted.begin(), wanted.end(), [&](const auto& change) {
        return std::any_of(after.begin(), after.end(), [&](const ToolOutput& output) {
            return output.name == change.first && output.enabled == change.second;
        });
    });
    if (applied.exitStatus != 0 || !done) {
        // The tool may have changed some outputs before it failed on another: all or none changes.
        const std::string reason = firstLine(applied.errors);
        std::string message =
            m_desktop + " did not apply the new display layout" + (reason.empty() ? "." : ": " + reason);
        if (const std::string stuck = rollBack(outputs, wanted, deadline); !stuck.empty())
            message += (reason.empty() ? " " : ". ") + stuck + " could not be put back as it was.";
        throw OutputConfigurationError(message);
    }
    for (const ToolOutput& output : outputs) {
        const auto change = wanted.find(output.name);
        if (change == wanted.end()) continue;
        if (change->second) {
            m_saved.erase(output.name);
        } else {
            m_saved[output.name] = output;
        }
    }
    // The tool returns once the compositor has applied the layout; it sends no notice of its own.
    if (m_changeHandler) m_changeHandler();
}

}  // namespace lumadesk
