#include <gtest/gtest.h>

#include <chrono>

#include "interface/AppcastParser.h"
#include "interface/CheckForUpdatesButton.h"
#include "interface/UpdateChecker.h"
#include "interface/UpdateDialog.h"
#include "interface/Updater.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

// The update check against a feed served by the test itself on 127.0.0.1.

using namespace lumadesk;
using namespace std::chrono_literals;

namespace {

QByteArray appcast(const char* version, const char* link = "https://example.org/notes") {
    return QByteArray(R"(<?xml version="1.0"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle">
  <channel><title>Lumadesk</title>
    <item><title>Release</title><sparkle:releaseNotesLink>)") +
           link + R"(</sparkle:releaseNotesLink>
      <enclosure url="https://example.org/lumadesk.tar.gz" sparkle:version=")" +
           version +
           R"(" sparkle:shortVersionString="2.0" length="1" type="application/octet-stream"/>
    </item>
  </channel>
</rss>)";
}

// Answers every request with the body, or never answers when there is none.
class FeedServer {
public:
    explicit FeedServer(std::optional<QByteArray> body) : m_body(std::move(body)) {
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (auto* socket = m_server.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    if (!socket->readAll().contains("\r\n\r\n") || !m_body) return;
                    socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/rss+xml\r\nContent-Length: " +
                                  QByteArray::number(m_body->size()) + "\r\nConnection: close\r\n\r\n" +
                                  *m_body);
                    socket->disconnectFromHost();
                });
            }
        });
        m_server.listen(QHostAddress::LocalHost);
    }
    QUrl url() const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/appcast.xml").arg(m_server.serverPort()));
    }

private:
    std::optional<QByteArray> m_body;
    QTcpServer m_server;
};

// Answers every request with a feed that comes a byte every 20 ms and would take minutes to finish.
class TricklingServer {
public:
    TricklingServer() {
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (auto* socket = m_server.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket] {
                    if (!socket->readAll().contains("\r\n\r\n")) return;
                    socket->write("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n<rss>");
                    auto* drip = new QTimer(socket);
                    QObject::connect(drip, &QTimer::timeout, socket, [socket] { socket->write(" "); });
                    drip->start(20);
                });
            }
        });
        m_server.listen(QHostAddress::LocalHost);
    }
    QUrl url() const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/appcast.xml").arg(m_server.serverPort()));
    }

private:
    QTcpServer m_server;
};

template <typename Server>
UpdateOutcome checkOnce(const Server& server, std::chrono::milliseconds timeout = 5s) {
    UpdateChecker checker(server.url(), QStringLiteral("7"), timeout, nullptr,
                          UpdateChecker::FeedAddresses::httpsOrLoopback);
    QSignalSpy finished(&checker, &UpdateChecker::finished);
    checker.check();
    EXPECT_TRUE(checker.isChecking());
    EXPECT_TRUE(finished.wait(10000));
    EXPECT_FALSE(checker.isChecking());
    return finished.isEmpty() ? UpdateOutcome{} : finished.first().first().value<UpdateOutcome>();
}

}  // namespace

TEST(AppcastParserTest, ReadsVersionsFromElementsOrTheEnclosureAndRefusesWhatIsNoFeed) {
    const auto parsed = AppcastParser::parse(appcast("12"));
    ASSERT_FALSE(parsed.error);
    ASSERT_EQ(parsed.items.size(), 1u);
    EXPECT_EQ(parsed.items[0].version, "12");
    EXPECT_EQ(parsed.items[0].shortVersion, "2.0");
    EXPECT_EQ(parsed.items[0].releaseNotesLink, "https://example.org/notes");

    const auto elements = AppcastParser::parse(
        "<rss><channel><item><sparkle:version "
        "xmlns:sparkle='s'>3</sparkle:version><link>https://a.example/</link>"
        "<description><p>nested</p></description></item><item/></channel></rss>");
    ASSERT_EQ(elements.items.size(), 2u);
    EXPECT_EQ(elements.items[0].version, "3");
    EXPECT_EQ(elements.items[0].releaseNotesLink, "https://a.example/");
    EXPECT_EQ(elements.items[1].version, "");

    EXPECT_EQ(AppcastParser::parse("{\"not\": \"xml\"}")
                  .error.value_or("")
                  .rfind("The update feed is not valid XML", 0),
              0u);
    EXPECT_EQ(AppcastParser::parse("<html><body/></html>").error, "The update feed is not an appcast.");
    EXPECT_TRUE(AppcastParser::parse("<rss><channel><item>").error) << "cut short";

    // Entities that would expand to megabytes, and one that names a local file.
    QByteArray laughs = "<?xml version='1.0'?><!DOCTYPE rss [<!ENTITY e0 'aaaaaaaaaa'>";
    for (int level = 1; level <= 6; ++level) {
        laughs += "<!ENTITY e" + QByteArray::number(level) + " '" +
                  QByteArray("&e" + QByteArray::number(level - 1) + ";").repeated(10) + "'>";
    }
    laughs += "]><rss><channel><item><title>&e6;</title></item></channel></rss>";
    EXPECT_TRUE(AppcastParser::parse(laughs).error) << "entities expanding without end";
    const auto local = AppcastParser::parse(
        "<?xml version='1.0'?><!DOCTYPE rss [<!ENTITY x SYSTEM 'file:///etc/hostname'>]>"
        "<rss><channel><item><title>&x;</title><sparkle:version>2</sparkle:version></item></channel></rss>");
    EXPECT_TRUE(local.error || local.items.at(0).title.empty()) << "a local file is never read";
}

TEST(UpdateCheckerTest, TellsNewerSameOlderMalformedSlowAndHugeFeedsApart) {
    qRegisterMetaType<UpdateOutcome>();
    using Kind = UpdateOutcome::Kind;
    const auto newer = checkOnce(FeedServer(appcast("9")));
    EXPECT_EQ(newer.kind, Kind::updateFound);
    EXPECT_EQ(newer.version, "2.0");
    EXPECT_EQ(newer.releaseNotesLink, "https://example.org/notes");
    EXPECT_EQ(checkOnce(FeedServer(appcast("7"))).kind, Kind::upToDate);
    EXPECT_EQ(checkOnce(FeedServer(appcast("6.9"))).kind, Kind::upToDate);
    EXPECT_EQ(checkOnce(FeedServer(appcast("9", "javascript:alert(1)"))).releaseNotesLink, "");

    const auto malformed = checkOnce(FeedServer(appcast("nine")));
    EXPECT_EQ(malformed.kind, Kind::failed);
    EXPECT_EQ(malformed.failure, "The update feed lists no release with a valid version.");
    EXPECT_EQ(checkOnce(FeedServer(QByteArray("not xml at all"))).kind, Kind::failed);

    const auto huge = checkOnce(FeedServer(QByteArray(UpdateChecker::maximumFeedSize + 10, ' ')));
    EXPECT_EQ(huge.failure, "The update feed is larger than 1 MiB.");

    const auto slow = checkOnce(FeedServer(std::nullopt), 300ms);
    EXPECT_EQ(slow.failure, "The update server did not answer in time.");
    const auto trickling = checkOnce(TricklingServer(), 300ms);
    EXPECT_EQ(trickling.failure, "The update server did not answer in time.") << "progress is not enough";

    QTcpServer closed;
    closed.listen(QHostAddress::LocalHost);
    const auto port = closed.serverPort();
    closed.close();
    UpdateChecker unreachable(QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(port)), QStringLiteral("1"),
                              UpdateChecker::timeLimit, nullptr,
                              UpdateChecker::FeedAddresses::httpsOrLoopback);
    QSignalSpy finished(&unreachable, &UpdateChecker::finished);
    unreachable.check();
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_EQ(finished.first().first().value<UpdateOutcome>().failure.rfind(
                  "The update server could not be reached", 0),
              0u);
}

TEST(UpdaterTest, ScheduledFindingsWaitForTheUserWhoseChecksShowTheirOutcome) {
    qRegisterMetaType<UpdateOutcome>();
    FeedServer server(appcast("9"));
    Updater updater(
        UpdaterOptions{server.url(), QStringLiteral("7"), UpdateChecker::FeedAddresses::httpsOrLoopback});
    EXPECT_TRUE(updater.canCheckForUpdates());
    CheckForUpdatesButton button(updater);
    EXPECT_EQ(button.text(), "Check for Updates…");
    EXPECT_TRUE(button.isEnabled());

    // A scheduled check that finds an update only raises the flag.
    auto& controller = updater.controller();
    EXPECT_EQ(controller.isStarted(), !qEnvironmentVariableIsSet(Updater::testHarnessVariable));
    QSignalSpy available(&updater, &Updater::isUpdateAvailableChanged);
    controller.checkForUpdatesInBackground();
    EXPECT_FALSE(updater.canCheckForUpdates()) << "one check at a time";
    EXPECT_FALSE(button.isEnabled());
    ASSERT_TRUE(available.wait(10000));
    EXPECT_TRUE(updater.isUpdateAvailable());
    EXPECT_EQ(controller.dialog(), nullptr);
    EXPECT_EQ(button.text(), "Update Available…");

    // The user's check clears the flag first, then shows what it found.
    QSignalSpy canCheck(&updater, &Updater::canCheckForUpdatesChanged);
    button.click();
    EXPECT_FALSE(updater.isUpdateAvailable());
    EXPECT_FALSE(updater.canCheckForUpdates());
    ASSERT_TRUE(canCheck.wait(10000)) << "the check ends";
    ASSERT_NE(controller.dialog(), nullptr);
    EXPECT_EQ(controller.dialog()->headline(), "Lumadesk 2.0 is available.");
    EXPECT_NE(controller.dialog()->releaseNotesButton(), nullptr);
    EXPECT_FALSE(updater.isUpdateAvailable()) << "a user's finding does not raise the flag";
    controller.dialog()->accept();
    EXPECT_EQ(controller.dialog(), nullptr);
}

TEST(UpdaterTest, WithoutAFeedNothingCanBeCheckedAndUnderATestHarnessNothingStarts) {
    Updater none;
    EXPECT_FALSE(none.canCheckForUpdates());
    EXPECT_FALSE(CheckForUpdatesButton(none).isEnabled());
    none.checkForUpdates();
    EXPECT_EQ(none.controller().dialog(), nullptr);

    const QUrl feed(QStringLiteral("https://updates.example/appcast.xml"));
    const QByteArray saved = qgetenv(Updater::testHarnessVariable);
    const bool wasSet = qEnvironmentVariableIsSet(Updater::testHarnessVariable);
    qputenv(Updater::testHarnessVariable, "any");
    {
        Updater underTest(UpdaterOptions{feed, QStringLiteral("1")});
        EXPECT_TRUE(underTest.isRunningTests());
        EXPECT_FALSE(underTest.controller().isStarted());
        EXPECT_FALSE(underTest.controller().scheduleTimer().isActive());
    }
    qunsetenv(Updater::testHarnessVariable);
    {
        Updater running(UpdaterOptions{feed, QStringLiteral("1")});
        EXPECT_TRUE(running.controller().isStarted());
        EXPECT_GT(running.controller().scheduleTimer().remainingTime(), 59000)
            << "first check a minute after start";
    }
    if (wasSet) qputenv(Updater::testHarnessVariable, saved);
}

TEST(UpdateDialogTest, SaysUpToDateOrWhyTheCheckFailed) {
    UpdateDialog upToDate({UpdateOutcome::Kind::upToDate, {}, {}, {}});
    EXPECT_EQ(upToDate.headline(), "You're up to date.");
    EXPECT_EQ(upToDate.releaseNotesButton(), nullptr);
    UpdateDialog failed(UpdateOutcome::failedBecause("The update server did not answer in time."));
    EXPECT_EQ(failed.headline(), "Update check failed");
    EXPECT_EQ(failed.detail(), "The update server did not answer in time.");
    UpdateDialog withoutNotes({UpdateOutcome::Kind::updateFound, "2.0", "", {}});
    EXPECT_EQ(withoutNotes.releaseNotesButton(), nullptr) << "no https link, no button";
}

// Only an https feed is fetched (the tests' loopback server aside, which needs the test seam): plain
// http could be forged on the way, a file or data address is no feed. Nothing is requested for them.
TEST(UpdateCheckerTest, RefusesEveryFeedAddressButHttpsWithoutARequest) {
    const FeedServer server(appcast("9"));
    const QString refused[] = {server.url().toString(), QStringLiteral("http://updates.example/appcast.xml"),
                               QStringLiteral("file:///etc/passwd"),
                               QStringLiteral("data:application/rss+xml,%3Crss/%3E"),
                               QStringLiteral("ftp://x/")};
    for (const QString& address : refused) {
        SCOPED_TRACE(address.toStdString());
        UpdateChecker checker{QUrl(address), QStringLiteral("7")};
        QSignalSpy finished(&checker, &UpdateChecker::finished);
        checker.check();
        EXPECT_TRUE(checker.isChecking());
        ASSERT_TRUE(finished.wait(5000));
        EXPECT_FALSE(checker.isChecking());
        EXPECT_EQ(
            finished.first().first().value<UpdateOutcome>().failure,
            "The update feed's address must start with https://, not \"" + address.toStdString() + "\".");
    }
}

// A version from the feed is plain text, however it is written, and cut short.
TEST(UpdateDialogTest, ShowsTextsFromTheFeedAsPlainTextCutShort) {
    const std::string markup = R"(<h1>Huge</h1><img src="file:///usr/share/pixmaps/debian-logo.png">)";
    UpdateDialog withMarkup({UpdateOutcome::Kind::updateFound, markup, "", {}});
    EXPECT_EQ(withMarkup.headline(), QString::fromStdString("Lumadesk " + markup + " is available."));
    for (const QLabel* label : withMarkup.findChildren<QLabel*>()) {
        if (!label->text().isEmpty()) {
            EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->text().toStdString();
        }
    }
    UpdateDialog huge({UpdateOutcome::Kind::updateFound, std::string(1'000'000, '9'), "", {}});
    EXPECT_EQ(huge.headline(),
              QString::fromStdString("Lumadesk " + std::string(200, '9') + "\u2026 is available."));
    UpdateDialog hugeFailure(UpdateOutcome::failedBecause(std::string(1'000'000, 'x')));
    EXPECT_EQ(hugeFailure.detail().size(), 500);
}
