#include "platform/simulated/SimulatedDeskConfig.h"

namespace lumadesk {

std::string SimulatedDisplayConfig::label() const {
    if (name) return *name;
    if (auto productName = preferredProductName(productNames)) return *productName;
    return "unnamed";
}

}  // namespace lumadesk
