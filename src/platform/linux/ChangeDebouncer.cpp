#include "platform/linux/ChangeDebouncer.h"

namespace lumadesk {

void ChangeDebouncer::eventArrived() {
    m_pending.cancel();
    m_pending = m_queue.postAfter(m_delay, [this] { m_action(); });
}

}  // namespace lumadesk
