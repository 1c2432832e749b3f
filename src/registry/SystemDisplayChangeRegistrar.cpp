#include "registry/SystemDisplayChangeRegistrar.h"

#include <utility>

#include "registry/SystemDisplayChangeObservation.h"

namespace lumadesk {

std::unique_ptr<DisplayChangeObservation> SystemDisplayChangeRegistrar::registerForDisplayChanges(
    Handler handler) {
    return std::make_unique<SystemDisplayChangeObservation>(m_windowServer, std::move(handler));
}

}  // namespace lumadesk
