#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lumadesk {

// The DDC/CI transport of a processor family: the AV-service channel of arm64 builds or the framebuffer
// I2C interfaces of x86-64 builds.
enum class TransportKind {
    arm64,
    intel,
};

// The transport of the processor this program was built for.
constexpr TransportKind builtTransportKind() {
#if defined(__aarch64__)
    return TransportKind::arm64;
#else
    return TransportKind::intel;
#endif
}

// The transport named "arm64" or "intel"; none for any other name.
std::optional<TransportKind> transportKindNamed(std::string_view name);
// The name of the transport, as transportKindNamed reads it.
std::string nameOf(TransportKind kind);

}  // namespace lumadesk
