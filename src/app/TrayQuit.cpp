#include "app/TrayQuit.h"

namespace lumadesk {

void TrayQuit::begin() {
    if (m_deadline.isSet()) return;
    m_steps.stopTakingCalls();
    m_deadline = Deadline::after(m_clock, m_limit);
    m_steps.limitDisplayConfiguration(m_deadline);
}

bool TrayQuit::finish() {
    begin();
    // What is left of the one deadline the restore already used part of, never a fresh limit.
    const bool drained = m_steps.drainQueue(m_deadline.limit(m_limit));
    m_steps.save();
    m_steps.releaseName();
    return drained;
}

}  // namespace lumadesk
