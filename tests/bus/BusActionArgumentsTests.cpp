#include <gtest/gtest.h>

#include "bus/BusActionArguments.h"

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

    const auto off = busActionArguments(Kind::toggleConnection, QStringLiteral("DEL-1"), 0, QStringLiteral("off"));
    ASSERT_TRUE(off.request);
    EXPECT_EQ(off.request->state, ConnectionState::off);
    for (const auto& state : {QStringLiteral("OFF"), QStringLiteral(""), QStringLiteral("toggle")}) {
        EXPECT_EQ(busActionArguments(Kind::toggleConnection, QStringLiteral("DEL-1"), 0, state).problem,
                  "The state must be \"on\" or \"off\".");
    }

    // Names are counted in characters: 256 emoji (512 UTF-16 units) pass, 257 letters do not.
    QString emoji;
    for (int i = 0; i < 256; ++i) emoji += QString::fromUtf8("\xF0\x9F\x98\x80");
    EXPECT_TRUE(busActionArguments(Kind::setDisplayName, QStringLiteral("DEL-1"), 0, {}, emoji).request);
    EXPECT_EQ(busActionArguments(Kind::setDisplayName, QStringLiteral("DEL-1"), 0, {}, QString(257, u'a')).problem,
              "The name is longer than 256 characters.");
    // A lone surrogate cannot reach the stored records as broken UTF-8.
    const auto lone = busActionArguments(Kind::setDisplayName, QStringLiteral("DEL-1"), 0, {}, QString(QChar(0xD800)));
    ASSERT_TRUE(lone.request);
    EXPECT_EQ(lone.request->newName, "?") << "replaced, as Qt does";
}
