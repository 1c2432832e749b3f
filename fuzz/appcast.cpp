// The update feed comes over the network from a server that may be wrong or hostile: the parser must
// answer every input with items or a reason, and the update decision must cope with whatever items it
// gives.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "interface/AppcastParser.h"
#include "interface/logic/UpdateDecision.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lumadesk;
    const auto feed = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto parsed = AppcastParser::parse(feed);
    if (parsed.error && !parsed.items.empty()) std::abort();
    const auto outcome = decideUpdate(parsed.items, "7");
    if (outcome.kind == UpdateOutcome::Kind::failed && outcome.failure.empty()) std::abort();
    if (!outcome.releaseNotesLink.empty() && !isOpenableLink(outcome.releaseNotesLink)) std::abort();
    return 0;
}
