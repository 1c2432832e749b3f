#pragma once

#include "platform/WindowServer.h"

namespace lumadesk {

// How one enable or disable request in its own configuration transaction ended.
enum class SessionConfigurationResult {
    applied,   // completed; lasts until the user logs out
    notBegun,  // no transaction could be opened, nothing was asked
    failed,    // the request or its completion was refused; the transaction was cancelled
};

// Enables or disables one display in a transaction of its own, completed for the session.
SessionConfigurationResult configureDisplayForSession(WindowServer& windowServer, DisplayID displayID,
                                                      bool enabled);

}  // namespace lumadesk
