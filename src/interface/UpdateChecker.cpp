#include "interface/UpdateChecker.h"

#include "interface/AppcastParser.h"
#include "runtime/PrintableText.h"

#include <QFutureWatcher>
#include <QHostAddress>
#include <QNetworkReply>
#include <QtConcurrent/QtConcurrentRun>

#include <memory>
#include <utility>

namespace lumadesk {

namespace {

QString tooLarge() {
    return QStringLiteral("The update feed is larger than 1 MiB.");
}

}  // namespace

UpdateChecker::UpdateChecker(QUrl feedURL, QString currentVersion, std::chrono::milliseconds timeout,
                             QObject* parent, FeedAddresses accepted)
    : QObject(parent),
      m_feedURL(std::move(feedURL)),
      m_accepted(accepted),
      m_currentVersion(std::move(currentVersion)),
      m_timeout(timeout) {
    m_network.setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
    m_deadline.setSingleShot(true);
    // A server that answers a byte at a time would otherwise hold the check, and the buttons, for ever.
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        if (m_reply) m_reply->abort();
    });
}

// An aborted reply reports at once; nothing of this object may hear it any more.
UpdateChecker::~UpdateChecker() {
    if (!m_reply) return;
    m_reply->disconnect(this);
    m_reply->abort();
}

bool UpdateChecker::acceptsFeedAddress() const {
    if (!m_feedURL.isValid()) return false;
    if (m_feedURL.scheme() == QLatin1String("https")) return true;
    return m_accepted == FeedAddresses::httpsOrLoopback && m_feedURL.scheme() == QLatin1String("http") &&
           QHostAddress(m_feedURL.host()).isLoopback();
}

void UpdateChecker::finishLater(const UpdateOutcome& outcome) {
    m_refusing = true;
    Q_EMIT isCheckingChanged(true);
    QMetaObject::invokeMethod(
        this,
        [this, outcome] {
            m_refusing = false;
            finish(outcome);
        },
        Qt::QueuedConnection);
}

void UpdateChecker::check() {
    if (isChecking()) return;
    // A feed read over anything but https could be forged on the way, and a local one is no feed.
    if (!acceptsFeedAddress()) {
        finishLater(
            UpdateOutcome::failedBecause("The update feed's address must start with https://, not \"" +
                                         echoedText(m_feedURL.toString().toStdString()) + "\"."));
        return;
    }
    QNetworkRequest request(m_feedURL);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Lumadesk/") + m_currentVersion);
    m_feed.clear();
    m_reply = m_network.get(request);
    connect(m_reply, &QNetworkReply::readyRead, this, [this] {
        m_feed += m_reply->readAll();
        if (m_feed.size() > maximumFeedSize) {
            m_reply->setProperty("tooLarge", true);
            m_reply->abort();
        }
    });
    connect(m_reply, &QNetworkReply::finished, this, &UpdateChecker::received);
    m_deadline.start(m_timeout);
    Q_EMIT isCheckingChanged(true);
}

void UpdateChecker::received() {
    // The reply goes once this handler returns.
    std::unique_ptr<QNetworkReply, void (*)(QNetworkReply*)> reply(
        m_reply.data(), [](QNetworkReply* done) { done->deleteLater(); });
    m_reply = nullptr;
    m_deadline.stop();
    if (reply->property("tooLarge").toBool()) {
        finish(UpdateOutcome::failedBecause(tooLarge().toStdString()));
        return;
    }
    if (reply->error() != QNetworkReply::NoError) {
        const bool timedOut = reply->error() == QNetworkReply::OperationCanceledError ||
                              reply->error() == QNetworkReply::TimeoutError;
        const QString reason =
            timedOut ? QStringLiteral("The update server did not answer in time.")
                     : QStringLiteral("The update server could not be reached: %1").arg(reply->errorString());
        finish(UpdateOutcome::failedBecause(reason.toStdString()));
        return;
    }
    m_feed += reply->readAll();
    if (m_feed.size() > maximumFeedSize) {
        finish(UpdateOutcome::failedBecause(tooLarge().toStdString()));
        return;
    }
    m_parsing = true;
    auto* watcher = new QFutureWatcher<UpdateOutcome>(this);
    connect(watcher, &QFutureWatcher<UpdateOutcome>::finished, this, [this, watcher] {
        watcher->deleteLater();
        m_parsing = false;
        finish(watcher->result());
    });
    watcher->setFuture(
        QtConcurrent::run([feed = std::exchange(m_feed, {}), version = m_currentVersion.toStdString()] {
            const auto parsed = AppcastParser::parse(feed);
            if (parsed.error) return UpdateOutcome::failedBecause(*parsed.error);
            return decideUpdate(parsed.items, version);
        }));
}

void UpdateChecker::finish(const UpdateOutcome& outcome) {
    Q_EMIT isCheckingChanged(false);
    Q_EMIT finished(outcome);
}

}  // namespace lumadesk
