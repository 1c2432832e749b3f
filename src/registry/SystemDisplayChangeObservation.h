#pragma once

#include "platform/WindowServer.h"
#include "registry/DisplayChangeObservation.h"
#include "registry/DisplayChangeRegistering.h"

namespace lumadesk {

// One reconfiguration callback registered with the window server, removed again on destruction.
// Only the notices that follow a change reach the handler; the ones announcing a change are skipped.
class SystemDisplayChangeObservation final : public DisplayChangeObservation {
public:
    // The window server must outlive the observation.
    SystemDisplayChangeObservation(WindowServer& windowServer, DisplayChangeRegistering::Handler handler);
    ~SystemDisplayChangeObservation() override;

    const DisplayChangeRegistering::Handler& handler() const { return m_handler; }

private:
    // The window server's callback, on whatever thread it calls from.
    void reconfigured(ReconfigurationFlags flags) const;

    WindowServer& m_windowServer;
    const DisplayChangeRegistering::Handler m_handler;
    ReconfigurationToken m_token;
};

}  // namespace lumadesk
