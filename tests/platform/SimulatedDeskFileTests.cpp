#include <gtest/gtest.h>

#include <fstream>

#include "platform/simulated/SimulatedDeskFile.h"
#include "support/TemporaryDirectory.h"

using namespace lumadesk;

namespace {

// The message the text is refused with; empty when it is accepted.
std::string refusal(const std::string& text) {
    try {
        SimulatedDeskFile::parse(text, "desk.json");
    } catch (const SimulatedDeskError& error) {
        return error.what();
    }
    return {};
}

// A desk of one display with the given fields after its name, vendor and product.
std::string oneDisplay(const std::string& fields) {
    return R"({"displays": [{"name": "Left", "vendor": 1, "product": 2)" + (fields.empty() ? "" : ", " + fields) +
           "}]}";
}

}  // namespace

TEST(SimulatedDeskFile, ReadsEveryFieldOfADisplay) {
    const auto desk = SimulatedDeskFile::parse(R"({
      "pointer": [10, 20],
      "windowServer": {"configureError": 1001},
      "displays": [
        {"vendor": 1, "product": 2},
        {"name": "Right", "productName": {"de_DE": "Rechts", "en_US": "Right side"}, "vendor": 4268,
         "product": 41234, "serial": 4294967295, "edidSerial": "AB12", "unit": 9, "builtin": false,
         "mirrorOf": 0, "online": false, "enabled": false, "frame": [1, 2, 3, 4],
         "ddc": {"brightness": 30, "maximum": 80, "faults": {"nakNextTransfers": 2, "corruptEveryNthReply": 3,
                 "resultCode": 1, "extraReplyDelayMs": 40}},
         "avServicePath": "IOService:/dispext0", "framebufferBuses": 2, "registryEDID": false,
         "i2cTransactionTypes": [1]}
      ]})",
                                               "desk.json");
    EXPECT_EQ(desk.pointer, (ScreenPoint{10, 20}));
    EXPECT_EQ(desk.windowServerFaults.configureError, 1001);
    ASSERT_EQ(desk.displays.size(), 2U);

    const auto& plain = desk.displays[0];
    EXPECT_EQ(plain.name, std::nullopt);
    EXPECT_EQ(plain.unit, 0U);  // its index
    EXPECT_FALSE(plain.ddc);
    EXPECT_TRUE(plain.online && plain.enabled && plain.registryEDID);
    EXPECT_EQ(plain.framebufferBuses, 1U);
    EXPECT_EQ(plain.i2cTransactionTypes, 0b110U);
    EXPECT_EQ(plain.frame, (ScreenFrame{0, 0, 1920, 1080}));

    const auto& full = desk.displays[1];
    EXPECT_EQ(full.name, "Right");
    EXPECT_EQ(full.productNames,
              DisplayProductNames(std::vector<LocalizedName>{{"de_DE", "Rechts"}, {"en_US", "Right side"}}));
    EXPECT_EQ(full.serial, 4294967295U);
    EXPECT_EQ(full.edidSerial, "AB12");
    EXPECT_EQ(full.unit, 9U);
    EXPECT_EQ(full.mirrorOf, 0U);
    EXPECT_FALSE(full.online || full.enabled || full.registryEDID);
    EXPECT_EQ(full.frame, (ScreenFrame{1, 2, 3, 4}));
    ASSERT_TRUE(full.ddc);
    EXPECT_EQ(full.ddc->brightness, 30);
    EXPECT_EQ(full.ddc->maximum, 80);
    EXPECT_EQ(full.ddc->nakNextTransfers, 2);
    EXPECT_EQ(full.ddc->corruptEveryNthReply, 3);
    EXPECT_EQ(full.ddc->resultCode, 1);
    EXPECT_EQ(full.ddc->extraReplyDelay, std::chrono::milliseconds(40));
    EXPECT_EQ(full.avServicePath, "IOService:/dispext0");
    EXPECT_EQ(full.framebufferBuses, 2U);
    EXPECT_EQ(full.i2cTransactionTypes, 0b10U);
}

TEST(SimulatedDeskFile, RefusesBadFieldsNamingTheFileTheDisplayAndTheField) {
    EXPECT_EQ(refusal(oneDisplay(R"("vendor": 70000)")),
              R"(desk.json: display 0 ("Left"): "vendor" must be a whole number from 0 to 65535.)");
    EXPECT_EQ(refusal(oneDisplay(R"("serial": -1)")),
              R"(desk.json: display 0 ("Left"): "serial" must be a whole number from 0 to 4294967295.)");
    EXPECT_EQ(refusal(oneDisplay(R"("unit": 1.5)")),
              R"(desk.json: display 0 ("Left"): "unit" must be a whole number from 0 to 4294967295.)");
    EXPECT_EQ(refusal(oneDisplay(R"("builtin": "yes")")),
              R"(desk.json: display 0 ("Left"): "builtin" must be true or false.)");
    EXPECT_EQ(refusal(oneDisplay(R"("venodr": 3)")), R"(desk.json: display 0 ("Left"): unknown field "venodr".)");
    EXPECT_EQ(refusal(oneDisplay(R"("frame": [0, 0, 0, 10])")),
              R"(desk.json: display 0 ("Left"): "frame" must be [x, y, width, height] with a positive width )"
              R"(and height.)");
    EXPECT_EQ(refusal(oneDisplay(R"("mirrorOf": 0)")),
              R"(desk.json: display 0 ("Left"): "mirrorOf" must name another display.)");
    EXPECT_EQ(refusal(oneDisplay(R"("ddc": {"brightness": 120})")),
              R"(desk.json: display 0 ("Left"): "ddc": "brightness" must be a whole number from 0 to 100.)");
    EXPECT_EQ(refusal(oneDisplay(R"("ddc": {"faults": {"slow": 1}})")),
              R"(desk.json: display 0 ("Left"): "ddc": "faults": unknown field "slow".)");
    EXPECT_EQ(refusal(oneDisplay(R"("productName": 5)")),
              R"(desk.json: display 0 ("Left"): "productName" must be a text or an object of texts by locale.)");
    EXPECT_EQ(refusal(R"({"displays": [{"productName": "Only", "product": 2}]})"),
              R"(desk.json: display 0 ("Only"): "vendor" is missing.)");
    EXPECT_EQ(refusal(R"({"displays": [{"vendor": 1, "product": 2}, {"vendor": 1, "product": 2, "unit": 0}]})"),
              R"(desk.json: display 1 ("unnamed"): "unit" 0 is already the unit of display 0.)");
}

TEST(SimulatedDeskFile, RefusesWhatIsNotADesk) {
    EXPECT_EQ(refusal("[]"), "desk.json: a desk must be a JSON object.");
    EXPECT_EQ(refusal("{}"), R"(desk.json: "displays" must be a list of displays.)");
    EXPECT_EQ(refusal(R"({"displays": [3]})"), "desk.json: display 0 must be an object.");
    EXPECT_EQ(refusal(R"({"displays": [], "pointer": [1]})"), R"(desk.json: "pointer" must be [x, y].)");
    EXPECT_EQ(refusal(R"({"displays": [], "windowServer": {"beginError": "x"}})"),
              R"(desk.json: "windowServer": "beginError" must be a whole number from -2147483648 to 2147483647.)");
    EXPECT_EQ(refusal("{\"displays\": ["). rfind("desk.json: not valid JSON (", 0), 0U);
}

TEST(SimulatedDeskFile, ReadsFilesAndNamesThoseThatCannotBeRead) {
    TemporaryDirectory directory;
    const auto file = directory.path() / "desk.json";
    std::ofstream(file) << oneDisplay("");
    EXPECT_EQ(SimulatedDeskFile::read(file), oneDisplay(""));
    try {
        SimulatedDeskFile::read(directory.path() / "missing.json");
        FAIL();
    } catch (const SimulatedDeskError& error) {
        EXPECT_EQ(std::string(error.what()), (directory.path() / "missing.json").string() +
                                                 ": the desk file cannot be opened.");
    }
}

TEST(SimulatedDeskFile, TheDefaultDeskIsCompiledInAndValid) {
    const auto desk = SimulatedDeskFile::parse(SimulatedDeskFile::defaultDeskText(), "default");
    EXPECT_EQ(desk.displays.size(), 8U);
    EXPECT_TRUE(desk.displays[0].builtin);
}
