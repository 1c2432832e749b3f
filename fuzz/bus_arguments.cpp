// Any program on the session bus may call the display actions with any strings and numbers. The input's
// first byte picks the action and the next four the level; the rest, split at NUL pairs, is the display,
// the state and the new name as UTF-16, unpaired surrogates and all. Whatever arrives must either be
// refused with a reason or make a request the action accepts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "bus/BusActionArguments.h"

namespace {

QString nextString(std::string_view& input) {
    std::size_t end = 0;
    while (end + 1 < input.size() && !(input[end] == '\0' && input[end + 1] == '\0')) end += 2;
    const auto field = input.substr(0, std::min(end, input.size()));
    input.remove_prefix(std::min(end + 2, input.size()));
    QString text(static_cast<qsizetype>(field.size() / 2), Qt::Uninitialized);
    std::memcpy(text.data(), field.data(), static_cast<std::size_t>(text.size()) * 2);
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lumadesk;
    if (size < 5) return 0;
    const auto actions = displayActions();
    const auto kind = actions[data[0] % actions.size()].kind;
    std::int32_t level = 0;
    std::memcpy(&level, data + 1, sizeof level);
    std::string_view input(reinterpret_cast<const char*>(data + 5), size - 5);
    const auto display = nextString(input);
    const auto state = nextString(input);
    const auto name = nextString(input);

    const auto arguments = busActionArguments(kind, display, level, state, name);
    if (arguments.request.has_value() == !arguments.problem.empty()) std::abort();
    if (!arguments.request) return 0;
    const auto& request = *arguments.request;
    if (request.kind != kind || requestProblem(request)) std::abort();
    if (request.hardwareID && request.hardwareID->empty()) std::abort();
    if (kind == DisplayActionKind::setBrightness && (request.level < 0 || request.level > 100)) std::abort();
    if (kind == DisplayActionKind::setDisplayName && request.newName.size() > 4 * maximumNameLength) std::abort();
    return 0;
}
