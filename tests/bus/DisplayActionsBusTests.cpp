#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <sstream>
#include <thread>

#include "bus/DisplayActionsService.h"
#include "cli/AppBusClient.h"
#include "cli/CtlProgram.h"
#include "intents/AppBusNames.h"
#include "intents/DisplayIntentError.h"
#include "platform/simulated/SimulatedPlatform.h"
#include "runtime/VirtualSleeper.h"
#include "support/DisplayManagerHarness.h"
#include "support/TemporaryDirectory.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QStandardPaths>
#include <QXmlStreamReader>

namespace lumadesk {
namespace {

using namespace std::chrono_literals;
using Kind = DisplayActionKind;

// A private session bus of its own: a dbus-daemon started for the suite and stopped after it.
class PrivateBus {
public:
    PrivateBus() {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty()) return;
        m_daemon.start(daemon, {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                QStringLiteral("--print-address=1")});
        if (!m_daemon.waitForStarted() || !m_daemon.waitForReadyRead(10000)) return;
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    }
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;
    ~PrivateBus() {
        m_daemon.kill();
        m_daemon.waitForFinished();
    }
    const QString& address() const { return m_address; }

private:
    QProcess m_daemon;
    QString m_address;
};

// The application's side on a private bus, over a manager of two displays in virtual time, and a client
// that calls it from a thread of its own while the test thread runs Qt's events and the main queue.
class DisplayActionsBusTest : public ::testing::Test, protected DisplayManagerHarness {
protected:
    static void SetUpTestSuite() { bus = std::make_unique<PrivateBus>(); }
    static void TearDownTestSuite() { bus.reset(); }

    void SetUp() override {
        if (bus->address().isEmpty()) GTEST_SKIP() << "dbus-daemon is not installed; the bus tests need it.";
        ddc.plugIn(snapshot(11, "10-1-1"), 40);
        ddc.plugIn(snapshot(12, "10-2-2"), 55);
        start();
        server = QDBusConnection::connectToBus(bus->address(), QStringLiteral("app"));
        service = std::make_unique<DisplayActionsService>(server, queue, *manager, "real");
        ASSERT_FALSE(service->problem()) << *service->problem();
    }
    void TearDown() override {
        service.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("app"));
    }

    // Runs the call on a thread of its own and serves the bus until it returns; `serve` false leaves
    // the application's queue alone, so that nothing answers.
    template <typename Call>
    void whileServing(Call call, bool serve = true) {
        std::atomic<bool> done = false;
        std::thread caller([&] {
            call();
            done = true;
        });
        while (!done) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            if (serve) {
                while (queue.pumpOnce()) {
                }
            }
        }
        caller.join();
    }

    // The action's dialog and value over the bus, or "error: " and the description.
    std::string call(const DisplayActionRequest& request) {
        std::string answer;
        whileServing([&] {
            try {
                auto client = AppBusClient::connect(bus->address().toStdString(), 5s);
                const IntentResult result = client->perform(request);
                answer = result.dialog;
                if (const auto* level = std::get_if<int>(&result.value))
                    answer += " | " + std::to_string(*level);
                if (const auto* info = std::get_if<std::string>(&result.value)) answer += " | " + *info;
                if (const auto* entities = std::get_if<std::vector<DisplayEntity>>(&result.value)) {
                    for (const auto& entity : *entities)
                        answer += " | " + entity.hardwareID + " " + entity.displayName;
                }
            } catch (const std::exception& error) {
                answer = std::string("error: ") + error.what();
            }
        });
        return answer;
    }

    static inline std::unique_ptr<PrivateBus> bus;
    QDBusConnection server{QString()};
    std::unique_ptr<DisplayActionsService> service;
};

TEST_F(DisplayActionsBusTest, EveryActionAnswersWithItsDialogValueOrError) {
    const std::vector<std::pair<DisplayActionRequest, std::string>> cases{
        {{Kind::getBrightness, "10-1-1"}, "Model 10-1-1 brightness is 40%. | 40"},
        {{Kind::setBrightness, "10-1-1", 65}, "Set Model 10-1-1 brightness to 65%."},
        {{Kind::getConnectedDisplays},
         "Found 2 connected displays. | 10-1-1 Model 10-1-1 | 10-2-2 Model 10-2-2"},
        {{Kind::getDisplayInfo},
         "Fetched info for 2 displays. | Model 10-1-1: brightness 65%, connected yes, present yes\n"
         "Model 10-2-2: brightness 55%, connected yes, present yes"},
        {{.kind = Kind::setDisplayName, .hardwareID = "10-2-2", .newName = "R\xC3\xA9"},
         "Renamed display to R\xC3\xA9."},
        {{.kind = Kind::toggleConnection, .hardwareID = "10-2-2", .state = ConnectionState::off},
         "Disconnected R\xC3\xA9."},
        {{Kind::getConnectedDisplays}, "Found 1 connected display. | 10-1-1 Model 10-1-1"},
        {{Kind::sleepDisplay, "10-1-1"}, "Sent Model 10-1-1 to sleep."},
        {{Kind::setBrightness, "10-2-2", 20}, "error: R\xC3\xA9 is disconnected."},
        {{Kind::sleepDisplay, "10-2-2"}, "error: R\xC3\xA9 is disconnected."},
        {{.kind = Kind::stepBrightness, .hardwareID = "10-1-1", .step = -70},
         "Set Model 10-1-1 brightness to 0%. | 0"},
        {{.kind = Kind::stepBrightness, .hardwareID = "all", .step = 9},
         "Set the brightness of 1 display to 9% on average. | 9"},
        {{Kind::getBrightness, "10-9-9"}, "error: Display 10-9-9 not found."},
        {{Kind::setBrightness, "10-1-1", 101},
         "error: Lumadesk refused the call: The level must be a whole number from 0 to 100."},
    };
    for (const auto& [request, expected] : cases) {
        SCOPED_TRACE(expected);
        EXPECT_EQ(call(request), expected);
    }
    ddc.failingWrites = {11};
    EXPECT_EQ(call({Kind::setBrightness, "10-1-1", 30}),
              "error: Failed to write VCP 0x10=30 for display 11.");
    EXPECT_EQ(ddc.writes, (std::vector<std::pair<DisplayID, int>>{{11, 65}, {11, 0}, {11, 9}}));
    EXPECT_EQ(record("10-2-2").customName, "R\xC3\xA9");
    EXPECT_EQ(ddc.sleeps, std::vector<DisplayID>{11});
}

TEST_F(DisplayActionsBusTest, ErrorsCarryTheirNamesAndWrongArgumentTypesChangeNothing) {
    const auto send = [&](const QString& method, const QList<QVariant>& arguments) {
        auto message = QDBusMessage::createMethodCall(QString::fromLatin1(AppBusNames::service),
                                                      QString::fromLatin1(AppBusNames::objectPath),
                                                      QString::fromLatin1(AppBusNames::interface), method);
        message.setArguments(arguments);
        QDBusMessage reply;
        const auto client = QDBusConnection::connectToBus(bus->address(), QStringLiteral("client"));
        whileServing([&] { reply = client.call(message, QDBus::Block, 5000); });
        return reply.errorName() + ": " + reply.errorMessage();
    };
    EXPECT_EQ(send(QStringLiteral("GetBrightness"), {QStringLiteral("10-9-9")}),
              "io.lumadesk.Lumadesk1.Error.DisplayNotFound: Display 10-9-9 not found.");
    ddc.failingSleeps = {12};
    EXPECT_EQ(send(QStringLiteral("SleepDisplay"), {QStringLiteral("10-2-2")}),
              "io.lumadesk.Lumadesk1.Error.OperationFailed: Failed to write VCP 0xd6=4 for display 12.");
    EXPECT_TRUE(send(QStringLiteral("SetBrightness"), {QStringLiteral("10-1-1"), QStringLiteral("50")})
                    .startsWith("org.freedesktop.DBus.Error.UnknownMethod: "));
    EXPECT_TRUE(send(QStringLiteral("SetBrightness"), {QStringLiteral("10-1-1")})
                    .startsWith("org.freedesktop.DBus.Error.UnknownMethod: "));
    EXPECT_EQ(send(QStringLiteral("ToggleConnection"), {QStringLiteral("10-1-1"), QStringLiteral("maybe")}),
              "org.freedesktop.DBus.Error.InvalidArgs: The state must be \"on\" or \"off\", not \"maybe\".");
    EXPECT_EQ(
        send(QStringLiteral("SetDisplayName"), {QStringLiteral("10-1-1"), QString(100000, QLatin1Char('n'))}),
        "org.freedesktop.DBus.Error.InvalidArgs: The name is longer than 256 characters.");
    QDBusConnection::disconnectFromBus(QStringLiteral("client"));
    EXPECT_TRUE(ddc.writes.empty());
    EXPECT_TRUE(ddc.connectionRequests.empty());
    EXPECT_EQ(display("10-1-1").customName, std::nullopt);
}

TEST_F(DisplayActionsBusTest, TheCommandLineUsesTheRunningAppAndReportsWhenItGoesAway) {
    TemporaryDirectory home;
    const std::string address = bus->address().toStdString();
    const auto ctl = [&](std::vector<std::string> arguments, bool serve = true) {
        std::ostringstream out;
        std::ostringstream err;
        int status = -1;
        whileServing(
            [&] {
                VirtualClock clock;
                VirtualSleeper sleeper(clock);
                ManualMainQueue ctlQueue(clock);
                CtlProgram program(ctlQueue, sleeper,
                                   [&](const std::string& name) -> std::optional<std::string> {
                                       if (name == "DBUS_SESSION_BUS_ADDRESS") return address;
                                       if (name == "LUMADESK_CONFIG_DIR") return home.path().string();
                                       return std::nullopt;
                                   });
                status = program.run(arguments, out, err);
            },
            serve);
        return std::to_string(status) + " " + out.str() + err.str();
    };
    // The app's manager answers, by name too; nothing is made in the command line's directory.
    EXPECT_EQ(ctl({"--json", "get-brightness", "Model 10-2-2"}),
              "0 {\"dialog\":\"Model 10-2-2 brightness is 55%.\",\"value\":55}\n");
    EXPECT_EQ(ctl({"set-brightness", "10-2-2", "12"}), "0 Set Model 10-2-2 brightness to 12%.\n");
    EXPECT_EQ(display("10-2-2").brightness, 12);
    EXPECT_EQ(ctl({"sleep", "10-7-7"}), "3 lumadesk-ctl: Display 10-7-7 not found.\n");
    EXPECT_FALSE(std::filesystem::exists(home.path() / "defaults.json"));
    // A simulated desk asked for is not the app on the real monitors to answer: it runs in the command
    // line, on its own settings file, and the app's displays are left alone.
    EXPECT_EQ(ctl({"--simulated", "set-brightness", "4268-41234-0", "33"}),
              "0 Set Northwind 27Q (1) brightness to 33%.\n");
    EXPECT_EQ(display("10-2-2").brightness, 12);
    EXPECT_TRUE(std::filesystem::exists(home.path() / SimulatedPlatform::settingsFile));
    EXPECT_FALSE(std::filesystem::exists(home.path() / "defaults.json"));
    // An app on the simulated desk answers the command line asked for that desk.
    service.reset();
    service = std::make_unique<DisplayActionsService>(server, queue, *manager, "simulated");
    ASSERT_FALSE(service->problem()) << *service->problem();
    EXPECT_EQ(ctl({"--simulated", "get-brightness", "10-2-2"}), "0 Model 10-2-2 brightness is 12%.\n");
    service.reset();
    service = std::make_unique<DisplayActionsService>(server, queue, *manager, "real");

    // The app leaves the bus while a write is under way: the command line says so and fails.
    ddc.writeDuration = 1h;
    std::string answer;
    std::thread goingAway([&] { answer = ctl({"set-brightness", "10-2-2", "90"}, false); });
    while (queue.pendingJobCount() == 0) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    service.reset();
    server = QDBusConnection(QString());
    QDBusConnection::disconnectFromBus(QStringLiteral("app"));
    while (answer.empty()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    goingAway.join();
    EXPECT_EQ(answer.substr(0, 2), "4 ") << answer;
    EXPECT_NE(answer.find("lumadesk-ctl: Lumadesk did not answer: "), std::string::npos) << answer;
}

TEST_F(DisplayActionsBusTest, ACallThatIsNeverAnsweredTimesOut) {
    std::string answer;
    whileServing(
        [&] {
            auto client = AppBusClient::connect(bus->address().toStdString(), 200ms);
            try {
                client->perform({Kind::getBrightness, "10-1-1"});
            } catch (const AppBusError& error) {
                answer = error.what();
            }
        },
        false);
    EXPECT_EQ(answer.rfind("Lumadesk did not answer: ", 0), 0u) << answer;
}

// The interface's methods with their signatures in and out, "Name(s,i)->(s)", as an introspection
// document lists them (where out arguments stand among the in ones does not matter on the bus).
std::vector<std::string> methodsOf(const QString& xml) {
    std::vector<std::string> methods;
    std::string in;
    std::string out;
    QXmlStreamReader reader(xml);
    bool inInterface = false;
    while (!reader.atEnd()) {
        reader.readNext();
        const auto attributes = reader.attributes();
        const auto attribute = [&](const char* name) {
            return attributes.value(QString::fromLatin1(name)).toString().toStdString();
        };
        if (reader.isStartElement() && reader.name() == QStringLiteral("interface")) {
            inInterface = attribute("name") == AppBusNames::interface;
        } else if (inInterface && reader.isStartElement() && reader.name() == QStringLiteral("method")) {
            methods.push_back(attribute("name"));
        } else if (inInterface && reader.isStartElement() && reader.name() == QStringLiteral("arg")) {
            (attribute("direction") == "out" ? out : in) += attribute("type") + ",";
        } else if (inInterface && reader.isEndElement() && reader.name() == QStringLiteral("method")) {
            methods.back() += "(" + in + ")->(" + out + ")";
            in.clear();
            out.clear();
        }
    }
    return methods;
}

TEST_F(DisplayActionsBusTest, TheShippedInterfaceFileDescribesTheLiveObject) {
    auto message = QDBusMessage::createMethodCall(
        QString::fromLatin1(AppBusNames::service), QString::fromLatin1(AppBusNames::objectPath),
        QStringLiteral("org.freedesktop.DBus.Introspectable"), QStringLiteral("Introspect"));
    const auto client = QDBusConnection::connectToBus(bus->address(), QStringLiteral("introspecting"));
    QDBusMessage reply;
    whileServing([&] { reply = client.call(message, QDBus::Block, 5000); });
    QDBusConnection::disconnectFromBus(QStringLiteral("introspecting"));
    std::ifstream shipped(std::string(LUMADESK_SOURCE_DIR) + "/data/io.lumadesk.Lumadesk1.xml");
    const std::string shippedXml{std::istreambuf_iterator<char>(shipped), {}};
    const auto live = methodsOf(reply.arguments().value(0).toString());
    EXPECT_EQ(live.size(), 10u);
    EXPECT_EQ(live, methodsOf(QString::fromStdString(shippedXml)))
        << reply.arguments().value(0).toString().toStdString();
}

}  // namespace
}  // namespace lumadesk
