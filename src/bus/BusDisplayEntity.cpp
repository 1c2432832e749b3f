#include "bus/BusDisplayEntity.h"

#include <QDBusMetaType>

QDBusArgument& operator<<(QDBusArgument& argument, const lumadesk::DisplayEntity& entity) {
    argument.beginStructure();
    argument << QString::fromStdString(entity.hardwareID) << QString::fromStdString(entity.displayName)
             << QString::fromStdString(entity.modelName);
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, lumadesk::DisplayEntity& entity) {
    QString hardwareID;
    QString displayName;
    QString modelName;
    argument.beginStructure();
    argument >> hardwareID >> displayName >> modelName;
    argument.endStructure();
    entity = {hardwareID.toStdString(), displayName.toStdString(), modelName.toStdString()};
    return argument;
}

namespace lumadesk {

void registerBusDisplayEntity() {
    qDBusRegisterMetaType<DisplayEntity>();
    qDBusRegisterMetaType<BusDisplayEntities>();
}

}  // namespace lumadesk
