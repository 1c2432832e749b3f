#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/WindowServer.h"
#include "platform/linux/configuration/DisabledOutputsRecord.h"
#include "platform/linux/configuration/OutputConfigurationBackend.h"

namespace lumadesk {

// Finds the output of a display ID of the display list; absent when there is none (any more).
using OutputIdentityLookup = std::function<std::optional<OutputIdentity>(DisplayID displayID)>;

// The configuration half of the window-server seam over a session's backend: a transaction collects
// the enable/disable requests and applies them in one step when it is completed, so a failure leaves
// every display as it was. Remembers the outputs it took off the desktop, so that they can be found
// again when their display IDs no longer resolve and be brought back by restorePermanentConfiguration().
class OutputConfigurationTransactions {
public:
    // Result codes, as the window server's: the window system refused or is missing; a request names
    // no known display or transaction (or asks for a permanent change); the changes were not applied.
    static constexpr WindowServerError failure = 1000;
    static constexpr WindowServerError illegalArgument = 1001;
    static constexpr WindowServerError cannotComplete = 1004;
    // The window server's code for a session that cannot take displays off the desktop at all.
    static constexpr WindowServerError unsupportedInSession = configurationUnsupportedInSession;

    // The record, when given, always lists the outputs held off, for the next start to bring back.
    OutputConfigurationTransactions(OutputConfigurationBackend& backend, OutputIdentityLookup lookup,
                                    const DisabledOutputsRecord* record = nullptr);

    // Opens a transaction; fails only in a session whose backend is not supported.
    ConfigurationBegin beginConfiguration();
    // Records the request in the transaction.
    WindowServerError configureDisplayEnabled(DisplayConfigurationRef configuration, DisplayID displayID,
                                              bool enabled);
    // Applies the transaction's requests all at once, for the session at most, and closes it when they
    // were applied (a failed one stays open until it is cancelled).
    WindowServerError completeConfiguration(DisplayConfigurationRef configuration, ConfigureOption option);
    // Drops the transaction.
    void cancelConfiguration(DisplayConfigurationRef configuration);
    // The reason of a restore while this program holds no output off the desktop.
    static constexpr char nothingHeldMessage[] =
        "This program holds no display off the desktop to bring back.";

    // Puts every output this program took off the desktop back on it; fails when it holds none.
    WindowServerError restorePermanentConfiguration();
    // From now on every change ends by the deadline, failing when it would not (quitting must not wait
    // for a window system that stopped answering); an unset deadline lifts the limit.
    void limitTo(Deadline deadline) { m_deadline = deadline; }

    // Why the last failed call failed, in words for the user; empty after a success.
    const std::string& lastErrorMessage() const { return m_lastErrorMessage; }
    // The outputs this program holds off the desktop, by the display ID they were disabled under.
    const std::map<DisplayID, OutputIdentity>& disabledOutputs() const { return m_disabled; }

private:
    struct Request {
        DisplayID displayID;
        OutputChange change;
    };

    WindowServerError fail(WindowServerError code, std::string message);
    WindowServerError applyRequests(const std::vector<Request>& requests);

    OutputConfigurationBackend& m_backend;
    OutputIdentityLookup m_lookup;
    const DisabledOutputsRecord* m_record;
    DisplayConfigurationRef m_lastConfiguration = 0;
    std::map<DisplayConfigurationRef, std::vector<Request>> m_open;
    std::map<DisplayID, OutputIdentity> m_disabled;
    std::string m_lastErrorMessage;
    Deadline m_deadline;
};

}  // namespace lumadesk
