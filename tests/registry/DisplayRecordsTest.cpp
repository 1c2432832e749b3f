#include <gtest/gtest.h>

#include "registry/Display.h"
#include "registry/SyntheticDisplayID.h"

namespace lumadesk {
namespace {

Display sampleDisplay() {
    return Display{.id = 7,
                   .hardwareID = "4268-41234-1",
                   .modelName = "U2720Q",
                   .customName = std::nullopt,
                   .brightness = 40,
                   .isConnected = true,
                   .isPresent = true,
                   .supportsDDC = true,
                   .sortOrder = 2};
}

TEST(DisplayTest, EqualityComparesEveryField) {
    const Display base = sampleDisplay();
    EXPECT_EQ(base, sampleDisplay());

    const std::vector<void (*)(Display&)> changes = {
        [](Display& d) { d.id = 8; },
        [](Display& d) { d.hardwareID = "4268-41234-2"; },
        [](Display& d) { d.modelName = "U2723QE"; },
        [](Display& d) { d.customName = "Left"; },
        [](Display& d) { d.brightness = 41; },
        [](Display& d) { d.isConnected = false; },
        [](Display& d) { d.isPresent = false; },
        [](Display& d) { d.supportsDDC = false; },
        [](Display& d) { d.sortOrder = 3; },
    };
    for (std::size_t index = 0; index < changes.size(); ++index) {
        Display changed = sampleDisplay();
        changes[index](changed);
        EXPECT_NE(base, changed) << "change " << index;
    }

    Display named = sampleDisplay();
    named.customName = "Left";
    Display otherName = sampleDisplay();
    otherName.customName = "Right";
    EXPECT_NE(named, otherName);
}

TEST(DisplayTest, DisplayNamePrefersTheCustomName) {
    Display display = sampleDisplay();
    EXPECT_EQ(display.displayName(), "U2720Q");
    display.customName = "Desk left";
    EXPECT_EQ(display.displayName(), "Desk left");
}

TEST(SyntheticDisplayIDTest, IsTheFnv1aHashOfTheHardwareID) {
    EXPECT_EQ(syntheticDisplayID("abc"), 0x1A47E90Bu);
    EXPECT_EQ(syntheticDisplayID("abc"), 440920331u);
    EXPECT_EQ(syntheticDisplayID(""), 0x811C9DC5u);
    EXPECT_EQ(syntheticDisplayID("a"), 0xE40C292Cu);
    // Bytes above 0x7F are hashed as unsigned values.
    EXPECT_EQ(syntheticDisplayID("\xC3\xA9"), 0x1E9DE8C1u);
    // FNV-1a of this text is exactly 0, which is never used as an ID.
    EXPECT_EQ(syntheticDisplayID("akhnp9x"), 1u);
}

}  // namespace
}  // namespace lumadesk
