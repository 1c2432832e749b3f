#include "bus/DisplayActionsAdaptor.h"

#include "intents/DisplayIntentError.h"
#include "intents/DisplayQuery.h"
#include "runtime/Spawn.h"

#include <QDBusConnectionInterface>
#include <QPointer>

namespace lumadesk {

namespace {

using Kind = DisplayActionKind;

QList<QVariant> replyArguments(const IntentResult& result) {
    QList<QVariant> arguments{QString::fromStdString(result.dialog)};
    if (const auto* level = std::get_if<int>(&result.value)) arguments << *level;
    if (const auto* info = std::get_if<std::string>(&result.value))
        arguments << QString::fromStdString(*info);
    if (const auto* entities = std::get_if<std::vector<DisplayEntity>>(&result.value)) {
        arguments << QVariant::fromValue(BusDisplayEntities(entities->begin(), entities->end()));
    }
    return arguments;
}

QDBusMessage errorReply(const QDBusMessage& call, const DisplayIntentError& error) {
    const char* name = error.kind() == DisplayIntentError::Kind::displayNotFound
                           ? AppBusNames::displayNotFoundError
                           : AppBusNames::operationFailedError;
    return call.createErrorReply(QString::fromLatin1(name), QString::fromStdString(error.what()));
}

// Sends the answer unless the adaptor, and with it the application's presence on the bus, went away
// while the action ran: then the bus tells the caller that no answer will come.
void send(const QPointer<DisplayActionsAdaptor>& adaptor, const QDBusMessage& reply) {
    if (adaptor) adaptor->send(reply);
}

// Runs the action and sends its answer. Everything it needs is passed by value, the manager aside.
Task<void> answer(DisplayActionRequest request, QDBusMessage call, QPointer<DisplayActionsAdaptor> adaptor,
                  DisplayManager& manager) {
    QDBusMessage reply;
    try {
        Task<IntentResult> action = performDisplayAction(std::move(request), manager);
        const IntentResult result = co_await std::move(action);
        reply = call.createReply(replyArguments(result));
    } catch (const DisplayIntentError& error) {
        reply = errorReply(call, error);
    } catch (const std::exception& error) {
        reply = call.createErrorReply(QString::fromLatin1(AppBusNames::operationFailedError),
                                      QString::fromStdString(error.what()));
    }
    send(adaptor, reply);
}

Task<void> answerWithDisplays(QDBusMessage call, QPointer<DisplayActionsAdaptor> adaptor,
                              DisplayManager& manager) {
    Task<std::vector<DisplayEntity>> query = DisplayQuery(manager).allEntities();
    const std::vector<DisplayEntity> entities = co_await std::move(query);
    send(adaptor,
         call.createReply(QVariant::fromValue(BusDisplayEntities(entities.begin(), entities.end()))));
}

}  // namespace

DisplayActionsAdaptor::DisplayActionsAdaptor(QObject* host, QDBusConnection connection, MainQueue& queue,
                                             DisplayManager& manager, QString desk)
    : QDBusAbstractAdaptor(host),
      m_connection(std::move(connection)),
      m_queue(queue),
      m_manager(manager),
      m_desk(std::move(desk)) {
    registerBusDisplayEntity();
}

bool DisplayActionsAdaptor::refused(const QDBusMessage& message) {
    if (!m_refusingCalls) return false;
    message.setDelayedReply(true);
    m_connection.send(message.createErrorReply(QString::fromLatin1(AppBusNames::operationFailedError),
                                               QStringLiteral("Lumadesk is quitting; nothing was done.")));
    return true;
}

void DisplayActionsAdaptor::start(BusActionArguments arguments, const QDBusMessage& message) {
    if (refused(message)) return;
    message.setDelayedReply(true);
    if (!arguments.request) {
        m_connection.send(
            message.createErrorReply(QDBusError::InvalidArgs, QString::fromStdString(arguments.problem)));
        return;
    }
    spawn(m_queue, answer(std::move(*arguments.request), message, this, m_manager));
}

void DisplayActionsAdaptor::send(const QDBusMessage& reply) {
    m_connection.send(reply);
}

QString DisplayActionsAdaptor::GetBrightness(const QString& display, const QDBusMessage& message, int&) {
    start(busActionArguments(Kind::getBrightness, display), message);
    return {};
}

QString DisplayActionsAdaptor::SetBrightness(const QString& display, int level, const QDBusMessage& message) {
    start(busActionArguments(Kind::setBrightness, display, level), message);
    return {};
}

QString DisplayActionsAdaptor::ToggleConnection(const QString& display, const QString& state,
                                                const QDBusMessage& message) {
    start(busActionArguments(Kind::toggleConnection, display, 0, state), message);
    return {};
}

QString DisplayActionsAdaptor::GetConnectedDisplays(const QDBusMessage& message, BusDisplayEntities&) {
    start(busActionArguments(Kind::getConnectedDisplays, {}), message);
    return {};
}

QString DisplayActionsAdaptor::GetDisplayInfo(const QString& display, const QDBusMessage& message, QString&) {
    start(busActionArguments(Kind::getDisplayInfo, display), message);
    return {};
}

QString DisplayActionsAdaptor::SetDisplayName(const QString& display, const QString& name,
                                              const QDBusMessage& message) {
    start(busActionArguments(Kind::setDisplayName, display, 0, {}, name), message);
    return {};
}

QString DisplayActionsAdaptor::SleepDisplay(const QString& display, const QDBusMessage& message) {
    start(busActionArguments(Kind::sleepDisplay, display), message);
    return {};
}

QString DisplayActionsAdaptor::StepBrightness(const QString& display, int step, const QDBusMessage& message,
                                              int&) {
    start(busActionArguments(Kind::stepBrightness, display, step), message);
    return {};
}

BusDisplayEntities DisplayActionsAdaptor::Displays(const QDBusMessage& message) {
    if (refused(message)) return {};
    message.setDelayedReply(true);
    spawn(m_queue, answerWithDisplays(message, this, m_manager));
    return {};
}

bool publishOnSessionBus(QDBusConnection connection, QObject& host, QString& problem) {
    if (!connection.isConnected()) {
        problem = connection.lastError().message();
        return false;
    }
    if (!connection.registerObject(QString::fromLatin1(AppBusNames::objectPath), &host,
                                   QDBusConnection::ExportAdaptors)) {
        problem = QStringLiteral("The object path is taken.");
        return false;
    }
    const auto reply = connection.interface()->registerService(
        QString::fromLatin1(AppBusNames::service), QDBusConnectionInterface::DontQueueService,
        QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        connection.unregisterObject(QString::fromLatin1(AppBusNames::objectPath));
        problem = reply.isValid() ? QStringLiteral("Another program holds the name %1.")
                                        .arg(QString::fromLatin1(AppBusNames::service))
                                  : reply.error().message();
        return false;
    }
    return true;
}

}  // namespace lumadesk
