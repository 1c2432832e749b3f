#pragma once

#include "platform/WindowServer.h"
#include "registry/DisplayChangeRegistering.h"

namespace lumadesk {

// Display changes as the window server's reconfiguration callbacks report them.
class SystemDisplayChangeRegistrar final : public DisplayChangeRegistering {
public:
    // The window server must outlive the registrar and every observation it hands out.
    explicit SystemDisplayChangeRegistrar(WindowServer& windowServer) : m_windowServer(windowServer) {}

    std::unique_ptr<DisplayChangeObservation> registerForDisplayChanges(Handler handler) override;

private:
    WindowServer& m_windowServer;
};

}  // namespace lumadesk
