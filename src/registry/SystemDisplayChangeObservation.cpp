#include "registry/SystemDisplayChangeObservation.h"

#include <utility>

namespace lumadesk {

SystemDisplayChangeObservation::SystemDisplayChangeObservation(WindowServer& windowServer,
                                                               DisplayChangeRegistering::Handler handler)
    : m_windowServer(windowServer), m_handler(std::move(handler)) {
    // Registered last: the callback may run on another thread as soon as it is in place.
    m_token = m_windowServer.registerReconfigurationCallback(
        [this](DisplayID, ReconfigurationFlags flags) { reconfigured(flags); });
}

SystemDisplayChangeObservation::~SystemDisplayChangeObservation() {
    // Once removal returns the window server no longer calls back, so the handler can go.
    m_windowServer.removeReconfigurationCallback(m_token);
}

void SystemDisplayChangeObservation::reconfigured(ReconfigurationFlags flags) const {
    // The display ID and the other bits do not matter: any finished change means "look again".
    if ((flags & beginConfigurationFlag) != 0) return;
    if (m_handler) m_handler();
}

}  // namespace lumadesk
