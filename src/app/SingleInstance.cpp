#include "app/SingleInstance.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>

#include <utility>

namespace lumadesk {

namespace {
// A running program answers at once; one that does not within this time is stuck.
constexpr int answerTimeoutMs = 5000;
}  // namespace

SingleInstance::SingleInstance(QDBusConnection bus) : m_bus(std::move(bus)) {}

SingleInstance::~SingleInstance() {
    release();
}

SingleInstance::Claim SingleInstance::claim(std::ostream& err) {
    if (!m_bus.isConnected()) {
        err << "lumadesk: no session bus (" << m_bus.lastError().message().toStdString()
            << "); cannot tell whether Lumadesk already runs.\n";
        return Claim::withoutBus;
    }
    // The object first, so that a start that loses the race for the name finds someone to answer it.
    m_bus.registerObject(QString::fromLatin1(objectPath), this, QDBusConnection::ExportScriptableSlots);
    const auto reply = m_bus.interface()->registerService(QString::fromLatin1(serviceName),
                                                          QDBusConnectionInterface::DontQueueService,
                                                          QDBusConnectionInterface::DontAllowReplacement);
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered) {
        m_owned = true;
        return Claim::first;
    }
    m_bus.unregisterObject(QString::fromLatin1(objectPath));
    auto call =
        QDBusMessage::createMethodCall(QString::fromLatin1(serviceName), QString::fromLatin1(objectPath),
                                       QString::fromLatin1(interfaceName), QStringLiteral("BringForward"));
    const QDBusMessage answer = m_bus.call(call, QDBus::Block, answerTimeoutMs);
    if (answer.type() == QDBusMessage::ReplyMessage) {
        err << "lumadesk: already running; brought its window forward.\n";
        return Claim::broughtForward;
    }
    err << "lumadesk: another Lumadesk holds " << serviceName << " but does not answer ("
        << answer.errorMessage().toStdString() << ").\n";
    return Claim::unanswered;
}

void SingleInstance::onBringForward(std::function<void()> bringForward) {
    m_bringForward = std::move(bringForward);
    if (m_pending && m_bringForward) {
        m_pending = false;
        m_bringForward();
    }
}

void SingleInstance::release() {
    if (!m_owned) return;
    m_owned = false;
    m_bus.interface()->unregisterService(QString::fromLatin1(serviceName));
    m_bus.unregisterObject(QString::fromLatin1(objectPath));
}

void SingleInstance::BringForward() {
    if (m_bringForward) {
        m_bringForward();
    } else {
        m_pending = true;
    }
}

}  // namespace lumadesk
