#include "assembly/TransportKind.h"

namespace lumadesk {

std::optional<TransportKind> transportKindNamed(std::string_view name) {
    if (name == "arm64") return TransportKind::arm64;
    if (name == "intel") return TransportKind::intel;
    return std::nullopt;
}

std::string nameOf(TransportKind kind) {
    return kind == TransportKind::arm64 ? "arm64" : "intel";
}

}  // namespace lumadesk
