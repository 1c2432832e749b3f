#include "app/QtLocalTimeZone.h"

#include <QDateTime>
#include <QTimeZone>

namespace lumadesk {

std::chrono::seconds QtLocalTimeZone::offsetAt(WallInstant instant) const {
    const auto sinceEpoch = std::chrono::duration_cast<std::chrono::milliseconds>(instant.time_since_epoch());
    const QDateTime at = QDateTime::fromMSecsSinceEpoch(sinceEpoch.count(), Qt::UTC);
    return std::chrono::seconds(QTimeZone::systemTimeZone().offsetFromUtc(at));
}

}  // namespace lumadesk
