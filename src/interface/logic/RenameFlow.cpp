#include "interface/logic/RenameFlow.h"

#include "registry/CustomName.h"

namespace lumadesk {

bool RenameFlow::begin(const std::string& currentName) {
    if (m_context != DisplayRowContext::settings) return false;
    m_draftName = currentName;
    m_isRenaming = true;
    return true;
}

std::optional<std::string> RenameFlow::commit() {
    m_isRenaming = false;
    return normalizedCustomName(m_draftName);
}

}  // namespace lumadesk
