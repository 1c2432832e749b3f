#include "hardware/ReplyTransactionTypeProbe.h"

namespace lumadesk {

namespace {

bool announces(std::uint64_t transactionTypeSet, I2CTransactionType type) {
    return (transactionTypeSet >> static_cast<std::uint32_t>(type)) & 1U;
}

}  // namespace

std::optional<I2CTransactionType> ReplyTransactionTypeProbe::replyTransactionType() {
    std::call_once(m_probed,
                   [this] { m_replyTransactionType = choose(m_registry.framebufferI2CTransactionTypes()); });
    return m_replyTransactionType;
}

std::optional<I2CTransactionType> ReplyTransactionTypeProbe::choose(
    std::span<const std::uint64_t> transactionTypeSets) {
    for (const std::uint64_t set : transactionTypeSets) {
        if (announces(set, I2CTransactionType::ddcciReply)) return I2CTransactionType::ddcciReply;
        if (announces(set, I2CTransactionType::simple)) return I2CTransactionType::simple;
    }
    return std::nullopt;
}

}  // namespace lumadesk
