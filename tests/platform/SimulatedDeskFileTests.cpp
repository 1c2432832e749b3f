#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
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
    return R"({"displays": [{"name": "Left", "vendor": 1, "product": 2)" +
           (fields.empty() ? "" : ", " + fields) + "}]}";
}

}  // namespace

TEST(SimulatedDeskFile, ReadsTheFieldsTheDefaultDeskLeavesOutAndTheDefaults) {
    // The default desk, read end to end by the assembly tests, covers the identity, DDC level and channel
    // fields; these are the others.
    const auto desk = SimulatedDeskFile::parse(R"({
      "pointer": [10, 20], "windowServer": {"configureError": 1001},
      "displays": [
        {"vendor": 1, "product": 2},
        {"vendor": 3, "product": 4, "unit": 9, "online": false, "enabled": false, "frame": [1, 2, 3, 4],
         "ddc": {"brightness": 30, "maximum": 80, "faults": {"nakNextTransfers": 2, "corruptEveryNthReply": 3,
                 "resultCode": 1, "extraReplyDelayMs": 40}}, "registryEDID": false, "i2cTransactionTypes": [1]}
      ]})",
                                               "desk.json");
    EXPECT_EQ(desk.pointer, (ScreenPoint{10, 20}));
    EXPECT_EQ(desk.windowServerFaults.configureError, 1001);

    const auto& plain = desk.displays.at(0);
    EXPECT_EQ(plain.name, std::nullopt);
    EXPECT_EQ(plain.unit, 0U);  // its index
    EXPECT_FALSE(plain.ddc);
    EXPECT_TRUE(plain.online && plain.enabled && plain.registryEDID);
    EXPECT_EQ(plain.framebufferBuses, 1U);
    EXPECT_EQ(plain.i2cTransactionTypes, 0b110U);
    EXPECT_EQ(plain.frame, (ScreenFrame{0, 0, 1920, 1080}));

    const auto& full = desk.displays.at(1);
    EXPECT_EQ(full.unit, 9U);
    EXPECT_FALSE(full.online || full.enabled || full.registryEDID);
    EXPECT_EQ(full.frame, (ScreenFrame{1, 2, 3, 4}));
    EXPECT_EQ(full.i2cTransactionTypes, 0b10U);
    ASSERT_TRUE(full.ddc);
    EXPECT_EQ(full.ddc->maximum, 80);
    EXPECT_EQ(full.ddc->nakNextTransfers, 2);
    EXPECT_EQ(full.ddc->corruptEveryNthReply, 3);
    EXPECT_EQ(full.ddc->resultCode, 1);
    EXPECT_EQ(full.ddc->extraReplyDelay, std::chrono::milliseconds(40));
}

TEST(SimulatedDeskFile, RefusesBadFieldsNamingTheFileTheDisplayAndTheField) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {R"("vendor": 70000)", R"("vendor" must be a whole number from 0 to 65535.)"},
        {R"("serial": -1)", R"("serial" must be a whole number from 0 to 4294967295.)"},
        {R"("unit": 1.5)", R"("unit" must be a whole number from 0 to 4294967295.)"},
        {R"("builtin": "yes")", R"("builtin" must be true or false.)"},
        {R"("venodr": 3)", R"(unknown field "venodr".)"},
        {R"("frame": [0, 0, 0, 10])",
         R"("frame" must be [x, y, width, height] with a positive width and height.)"},
        {R"("mirrorOf": 0)", R"("mirrorOf" must name another display.)"},
        {R"("ddc": {"brightness": 120})", R"("ddc": "brightness" must be a whole number from 0 to 100.)"},
        {R"("ddc": {"faults": {"slow": 1}})", R"("ddc": "faults": unknown field "slow".)"},
        {R"("productName": 5)", R"("productName" must be a text or an object of texts by locale.)"}};
    for (const auto& [fields, problem] : cases) {
        EXPECT_EQ(refusal(oneDisplay(fields)), R"(desk.json: display 0 ("Left"): )" + problem);
    }
    EXPECT_EQ(refusal(R"({"displays": [{"productName": "Only", "product": 2}]})"),
              R"(desk.json: display 0 ("Only"): "vendor" is missing.)");
    EXPECT_EQ(
        refusal(R"({"displays": [{"vendor": 1, "product": 2}, {"vendor": 1, "product": 2, "unit": 0}]})"),
        R"(desk.json: display 1 ("unnamed"): "unit" 0 is already the unit of display 0.)");
}

TEST(SimulatedDeskFile, RefusesWhatIsNotADesk) {
    EXPECT_EQ(refusal("[]"), "desk.json: a desk must be a JSON object.");
    EXPECT_EQ(refusal("{}"), R"(desk.json: "displays" must be a list of displays.)");
    EXPECT_EQ(refusal(R"({"displays": [3]})"), "desk.json: display 0 must be an object.");
    EXPECT_EQ(refusal(R"({"displays": [], "pointer": [1]})"), R"(desk.json: "pointer" must be [x, y].)");
    EXPECT_EQ(
        refusal(R"({"displays": [], "windowServer": {"beginError": "x"}})"),
        R"(desk.json: "windowServer": "beginError" must be a whole number from -2147483648 to 2147483647.)");
    EXPECT_EQ(refusal("{\"displays\": [").rfind("desk.json: not valid JSON (", 0), 0U);
    // Numbers beyond a double's range are refused in words, not thrown past the caller.
    EXPECT_EQ(refusal(R"({"displays": [], "pointer": [1e99999, 0]})").rfind("desk.json: a number is too large (", 0),
              0U);
}

TEST(SimulatedDeskFile, ReadsFilesAndNamesThoseThatCannotBeRead) {
    TemporaryDirectory directory;
    const auto file = directory.path() / "desk.json";
    std::ofstream(file) << oneDisplay("");
    EXPECT_EQ(SimulatedDeskFile::read(file), oneDisplay(""));

    // Special files are refused at once: a FIFO without a writer, an endless device, a directory.
    const auto fifo = directory.path() / "fifo.json";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto large = directory.path() / "large.json";
    std::ofstream(large) << "{}";
    std::filesystem::resize_file(large, 16 * 1024 * 1024 + 1);
    const std::vector<std::pair<std::filesystem::path, std::string>> cases = {
        {directory.path() / "missing.json", "the desk file does not exist."},
        {directory.path(), "the desk file cannot be used: it is a directory."},
        {fifo, "the desk file cannot be used: it is not a regular file."},
        {"/dev/zero", "the desk file cannot be used: it is not a regular file."},
        {large, "the desk file cannot be used: it is larger than 16 MiB."}};
    for (const auto& [path, problem] : cases) {
        try {
            SimulatedDeskFile::read(path);
            ADD_FAILURE() << path << " was read";
        } catch (const SimulatedDeskError& error) {
            EXPECT_EQ(std::string(error.what()), path.string() + ": " + problem);
        }
    }
    // A number beyond any range is named with the file, too.
    EXPECT_EQ(refusal(oneDisplay(R"("serial": 1e400)")).rfind("desk.json: a number is too large (", 0), 0u);
}
