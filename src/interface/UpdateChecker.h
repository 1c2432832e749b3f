#pragma once

#include <chrono>
#include <functional>

#include "interface/logic/UpdateDecision.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>

namespace lumadesk {

// One update check at a time: fetches the appcast (at most 1 MiB, given up when it is not whole within
// 15 s, however slowly it keeps coming), reads it on a worker thread and compares its releases with the
// running build. Nothing of it blocks the interface; every failure is an outcome, never an exception.
class UpdateChecker : public QObject {
    Q_OBJECT

public:
    static constexpr qint64 maximumFeedSize = 1024 * 1024;
    static constexpr std::chrono::milliseconds timeLimit{15000};
    // The feed addresses that are fetched: https alone; tests add plain http to a loopback address of
    // a server they run themselves. Any other address is refused without a request.
    enum class FeedAddresses { httpsOnly, httpsOrLoopback };

    UpdateChecker(QUrl feedURL, QString currentVersion, std::chrono::milliseconds timeout = timeLimit,
                  QObject* parent = nullptr, FeedAddresses accepted = FeedAddresses::httpsOnly);
    ~UpdateChecker() override;

    bool isChecking() const { return m_reply != nullptr || m_parsing || m_refusing; }
    // Starts a check unless one runs; its outcome arrives through `finished`.
    void check();

Q_SIGNALS:
    void finished(const lumadesk::UpdateOutcome& outcome);
    void isCheckingChanged(bool checking);

private:
    void received();
    void finish(const UpdateOutcome& outcome);
    bool acceptsFeedAddress() const;
    // Tells the outcome once check() has returned, as every other outcome is told.
    void finishLater(const UpdateOutcome& outcome);

    QUrl m_feedURL;
    FeedAddresses m_accepted;
    QString m_currentVersion;
    std::chrono::milliseconds m_timeout;
    QTimer m_deadline;
    QNetworkAccessManager m_network;
    QPointer<QNetworkReply> m_reply;
    QByteArray m_feed;
    bool m_parsing = false;
    bool m_refusing = false;  // a refused address is told on the next turn of the event loop
};

}  // namespace lumadesk
