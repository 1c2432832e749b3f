#include "bus/DisplayActionsService.h"

#include <QDBusConnectionInterface>

namespace lumadesk {

DisplayActionsService::DisplayActionsService(QDBusConnection connection, MainQueue& queue,
                                             DisplayManager& manager, const std::string& desk)
    : m_connection(std::move(connection)),
      m_host(std::make_unique<QObject>()),
      // Owned by the host, as Qt adaptors are.
      m_adaptor(std::make_unique<DisplayActionsAdaptor>(m_host.get(), m_connection, queue, manager,
                                                        QString::fromStdString(desk))
                    .release()) {
    QString problem;
    if (!publishOnSessionBus(m_connection, *m_host, problem)) m_problem = problem.toStdString();
}

DisplayActionsService::~DisplayActionsService() {
    if (m_problem) return;
    m_connection.unregisterObject(QString::fromLatin1(AppBusNames::objectPath));
    m_connection.interface()->unregisterService(QString::fromLatin1(AppBusNames::service));
}

}  // namespace lumadesk
