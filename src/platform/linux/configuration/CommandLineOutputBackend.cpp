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
                                                   std::string desktop)
    : m_program(std::move(program)), m_package(std::move(package)), m_desktop(std::move(desktop)) {}

ProcessResult CommandLineOutputBackend::run(const std::vector<std::string>& arguments) {
    std::vector<std::string> command{m_program};
    command.insert(command.end(), arguments.begin(), arguments.end());
    ProcessResult result = runProcess(command, toolTimeout);
    if (!result.started)
        throw OutputConfigurationError("Taking a display off the desktop in " + m_desktop + " needs " +
                                       m_program + ": install the package " + m_package + ".");
    if (result.timedOut) throw OutputConfigurationError(m_program + " did not finish in time.");
    return result;
}

std::vector<ToolOutput> CommandLineOutputBackend::listOutputs() {
    const ProcessResult listed = run(listArguments());
    if (listed.exitStatus != 0)
        throw OutputConfigurationError(m_program +
                                       " cannot reach the compositor: " + firstLine(listed.errors));
    return parseListing(listed.output);
}

void CommandLineOutputBackend::apply(const std::vector<OutputChange>& changes) {
    const std::vector<ToolOutput> outputs = listOutputs();
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
    int rightEdge = 0;
    for (const ToolOutput& output : outputs) {
        const auto change = wanted.find(output.name);
        enabled += change == wanted.end() ? output.enabled : change->second;
        if (output.enabled) rightEdge = std::max(rightEdge, output.rightEdge);
    }
    requireAnEnabledOutput(enabled);
    if (wanted.empty()) return;

    std::vector<std::string> arguments;
    for (const ToolOutput& output : outputs) {
        const auto change = wanted.find(output.name);
        if (change == wanted.end()) continue;
        const auto saved = m_saved.find(output.name);
        const auto part =
            change->second
                ? enableArguments(output, saved == m_saved.end() ? ToolOutput{} : saved->second, rightEdge)
                : disableArguments(output);
        arguments.insert(arguments.end(), part.begin(), part.end());
    }
    const ProcessResult applied = run(arguments);
    const std::vector<ToolOutput> after = listOutputs();
    const bool done = std::all_of(wanted.begin(), wanted.end(), [&](const auto& change) {
        return std::any_of(after.begin(), after.end(), [&](const ToolOutput& output) {
            return output.name == change.first && output.enabled == change.second;
        });
    });
    if (applied.exitStatus != 0 || !done) {
        const std::string reason = firstLine(applied.errors);
        throw OutputConfigurationError(m_desktop + " did not apply the new display layout" +
                                       (reason.empty() ? "." : ": " + reason));
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
