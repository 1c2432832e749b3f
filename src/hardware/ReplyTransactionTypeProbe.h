#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <span>

#include "platform/DisplayRegistry.h"
#include "platform/I2CRequest.h"

namespace lumadesk {

// Which transaction type reads a DDC/CI reply on this machine's framebuffers. The answer (also "none")
// is found on first use and kept for the life of the object, which the composition root owns once.
class ReplyTransactionTypeProbe {
public:
    explicit ReplyTransactionTypeProbe(DisplayRegistry& registry) : m_registry(registry) {}
    ReplyTransactionTypeProbe(const ReplyTransactionTypeProbe&) = delete;
    ReplyTransactionTypeProbe& operator=(const ReplyTransactionTypeProbe&) = delete;

    // The reply transaction type; the registry is asked only once, even when first calls race.
    std::optional<I2CTransactionType> replyTransactionType();

    // The choice for the interfaces' type sets, in iteration order: the first interface that announces
    // the DDC/CI reply type or the simple type decides, preferring the DDC/CI reply type.
    static std::optional<I2CTransactionType> choose(std::span<const std::uint64_t> transactionTypeSets);

private:
    DisplayRegistry& m_registry;
    std::once_flag m_probed;
    std::optional<I2CTransactionType> m_replyTransactionType;
};

}  // namespace lumadesk
