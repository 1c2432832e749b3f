#include <gtest/gtest.h>

#include "bus/BusActionArguments.h"
#include "bus/DisplayActionsAdaptor.h"

#include <QMetaMethod>

using namespace lumadesk;
using Kind = DisplayActionKind;

// What a bus call's arguments become before anything runs: a request, or the reason for InvalidArgs.
TEST(BusActionArguments, MakeRequestsOfGoodArgumentsAndNameTheFaultOfBadOnes) {
    const auto set = busActionArguments(Kind::setBrightness, QStringLiteral("DEL-1"), 40);
    ASSERT_TRUE(set.request);
    EXPECT_EQ(set.request->hardwareID, "DEL-1");
    EXPECT_EQ(set.request->level, 40);
    EXPECT_EQ(busActionArguments(Kind::setBrightness, QStringLiteral("DEL-1"), 101).problem,
              "The level must be a whole number from 0 to 100.");
    EXPECT_EQ(busActionArguments(Kind::getBrightness, {}).problem, "The display must not be empty.");

    // An empty display means every display where the action allows it.
    const auto info = busActionArguments(Kind::getDisplayInfo, {});
    ASSERT_TRUE(info.request);
    EXPECT_FALSE(info.request->hardwareID);
    EXPECT_TRUE(busActionArguments(Kind::getConnectedDisplays, QStringLiteral("ignored")).request);

    const auto off =
        busActionArguments(Kind::toggleConnection, QStringLiteral("DEL-1"), 0, QStringLiteral("off"));
    ASSERT_TRUE(off.request);
    EXPECT_EQ(off.request->state, ConnectionState::off);
    for (const auto& state : {QStringLiteral("OFF"), QStringLiteral(""), QStringLiteral("toggle")}) {
        EXPECT_EQ(busActionArguments(Kind::toggleConnection, QStringLiteral("DEL-1"), 0, state).problem,
                  "The state must be \"on\" or \"off\", not \"" + state.toStdString() + "\".");
    }

    // Names are counted in characters: 256 emoji (512 UTF-16 units) pass, 257 letters do not.
    QString emoji;
    for (int i = 0; i < 256; ++i) emoji += QString::fromUtf8("\xF0\x9F\x98\x80");
    EXPECT_TRUE(busActionArguments(Kind::setDisplayName, QStringLiteral("DEL-1"), 0, {}, emoji).request);
    EXPECT_EQ(
        busActionArguments(Kind::setDisplayName, QStringLiteral("DEL-1"), 0, {}, QString(257, u'a')).problem,
        "The name is longer than 256 characters.");
    // A lone surrogate cannot reach the stored records as broken UTF-8.
    const auto lone =
        busActionArguments(Kind::setDisplayName, QStringLiteral("DEL-1"), 0, {}, QString(QChar(0xD800)));
    ASSERT_TRUE(lone.request);
    EXPECT_EQ(lone.request->newName, "?") << "replaced, as Qt does";
}

// The adaptor's methods are what the bus offers; the actions' descriptions are what the command line
// calls. Each action's method must be there, taking its operands in order and answering its value.
TEST(BusActionArguments, EveryActionHasItsMethodWithItsOperandsAndValue) {
    const QMetaObject& adaptor = DisplayActionsAdaptor::staticMetaObject;
    for (const DisplayActionInfo& action : displayActions()) {
        SCOPED_TRACE(std::string(action.busMethod));
        QList<QByteArray> expected;
        for (const ActionOperand operand : action.operands)
            expected << (operand == ActionOperand::level || operand == ActionOperand::step
                             ? QByteArrayLiteral("int")
                             : QByteArrayLiteral("QString"));
        expected << QByteArrayLiteral("QDBusMessage");
        switch (action.value) {
            case ActionValue::none:
                break;
            case ActionValue::level:
                expected << QByteArrayLiteral("int&");
                break;
            case ActionValue::info:
                expected << QByteArrayLiteral("QString&");
                break;
            case ActionValue::displays:
                expected << QByteArrayLiteral("QList<lumadesk::DisplayEntity>&");
                break;
        }
        int found = 0;
        for (int i = adaptor.methodOffset(); i < adaptor.methodCount(); ++i) {
            const QMetaMethod method = adaptor.method(i);
            if (method.name() != QByteArray(action.busMethod.data(), qsizetype(action.busMethod.size())))
                continue;
            ++found;
            EXPECT_EQ(method.parameterTypes(), expected);
            EXPECT_EQ(QByteArray(method.typeName()), QByteArrayLiteral("QString")) << "the dialog";
        }
        EXPECT_EQ(found, 1);
    }
}
