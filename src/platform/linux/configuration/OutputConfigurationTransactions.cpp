#include "platform/linux/configuration/OutputConfigurationTransactions.h"

#include <exception>
#include <utility>

#include "platform/linux/configuration/UnsupportedSessionBackend.h"

namespace lumadesk {

OutputConfigurationTransactions::OutputConfigurationTransactions(OutputConfigurationBackend& backend,
                                                                 OutputIdentityLookup lookup,
                                                                 const DisabledOutputsRecord* record)
    : m_backend(backend), m_lookup(std::move(lookup)), m_record(record) {}

ConfigurationBegin OutputConfigurationTransactions::beginConfiguration() {
    if (!m_backend.isSupported())
        return {fail(unsupportedInSession, UnsupportedSessionBackend::message), std::nullopt};
    m_lastErrorMessage.clear();
    const DisplayConfigurationRef configuration = ++m_lastConfiguration;
    m_open[configuration];
    return {windowServerSuccess, configuration};
}

WindowServerError OutputConfigurationTransactions::configureDisplayEnabled(
    DisplayConfigurationRef configuration, DisplayID displayID, bool enabled) {
    const auto transaction = m_open.find(configuration);
    if (transaction == m_open.end()) return fail(illegalArgument, "The display configuration is not open.");
    std::optional<OutputIdentity> output = m_lookup(displayID);
    // A display this program disabled may have left the display list; its output is remembered.
    if (const auto held = m_disabled.find(displayID); !output && held != m_disabled.end())
        output = held->second;
    if (!output)
        return fail(illegalArgument, "Display " + std::to_string(displayID) + " is no longer connected.");
    transaction->second.push_back({displayID, {std::move(*output), enabled}});
    m_lastErrorMessage.clear();
    return windowServerSuccess;
}

WindowServerError OutputConfigurationTransactions::completeConfiguration(
    DisplayConfigurationRef configuration, ConfigureOption option) {
    const auto transaction = m_open.find(configuration);
    if (transaction == m_open.end()) return fail(illegalArgument, "The display configuration is not open.");
    // This program changes the layout for the session at most; the saved layout stays the user's.
    if (option == ConfigureOption::permanently)
        return fail(illegalArgument, "Display layouts are changed for this session only, never permanently.");
    const WindowServerError result = applyRequests(transaction->second);
    if (result == windowServerSuccess) m_open.erase(transaction);
    return result;
}

void OutputConfigurationTransactions::cancelConfiguration(DisplayConfigurationRef configuration) {
    m_open.erase(configuration);
}

WindowServerError OutputConfigurationTransactions::restorePermanentConfiguration() {
    m_lastErrorMessage.clear();
    // Bringing back nothing is no success: a caller falling back on the restore after a failed enable
    // must not take it for that display being on.
    if (m_disabled.empty()) return fail(failure, nothingHeldMessage);
    std::vector<Request> all;
    for (const auto& [displayID, output] : m_disabled) all.push_back({displayID, {output, true}});
    if (applyRequests(all) == windowServerSuccess) return windowServerSuccess;
    // One output that cannot come back must not keep the others off: each on its own, first reason kept.
    const std::string firstReason = m_lastErrorMessage;
    for (const Request& request : all) applyRequests({request});
    if (m_disabled.empty()) {
        m_lastErrorMessage.clear();
        return windowServerSuccess;
    }
    return fail(failure, firstReason);
}

WindowServerError OutputConfigurationTransactions::fail(WindowServerError code, std::string message) {
    m_lastErrorMessage = std::move(message);
    return code;
}

WindowServerError OutputConfigurationTransactions::applyRequests(const std::vector<Request>& requests) {
    // A transaction that asks for nothing has nothing to apply.
    if (requests.empty()) return windowServerSuccess;
    std::vector<OutputChange> changes;
    for (const Request& request : requests) changes.push_back(request.change);
    if (m_record) m_record->tellPlaces(m_backend, changes);
    try {
        m_backend.apply(changes, m_deadline);
    } catch (const std::exception& error) {
        return fail(cannotComplete, error.what());
    }
    for (const Request& request : requests) {
        if (!request.change.enabled) {
            m_disabled[request.displayID] = request.change.output;
            continue;
        }
        std::erase_if(m_disabled, [&](const auto& held) {
            return held.first == request.displayID ||
                   held.second.connector == request.change.output.connector;
        });
    }
    if (m_record) {
        std::map<std::string, OutputPlace> places;
        for (const OutputChange& change : changes)
            if (const auto place = m_backend.placeOf(change.output); place && !change.enabled)
                places[change.output.connector] = *place;
        m_record->note(changes, places);
    }
    m_lastErrorMessage.clear();
    return windowServerSuccess;
}

}  // namespace lumadesk
