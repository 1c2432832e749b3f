#pragma once

#include "intents/DisplayEntity.h"

#include <QDBusArgument>
#include <QList>
#include <QMetaType>

// A display entity travels on the bus as (hardwareID, displayName, modelName): signature (sss).
QDBusArgument& operator<<(QDBusArgument& argument, const lumadesk::DisplayEntity& entity);
const QDBusArgument& operator>>(const QDBusArgument& argument, lumadesk::DisplayEntity& entity);

Q_DECLARE_METATYPE(lumadesk::DisplayEntity)

namespace lumadesk {

using BusDisplayEntities = QList<DisplayEntity>;

// Makes the entity and its list known to Qt D-Bus; call before the first call or reply that carries them.
void registerBusDisplayEntity();

}  // namespace lumadesk
