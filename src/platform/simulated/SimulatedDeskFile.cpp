#include "platform/simulated/SimulatedDeskFile.h"

#include <chrono>
#include <limits>
#include <map>
#include <set>

#include <nlohmann/json.hpp>

#include "runtime/FileSnapshot.h"

namespace lumadesk {

namespace {

using Json = nlohmann::ordered_json;

// Reads the fields of one JSON object, naming where a problem lies: the desk, the display, the field.
class FieldReader {
public:
    FieldReader(const Json& object, std::string context) : m_object(object), m_context(std::move(context)) {}

    // Refuses fields that are not in the list.
    void refuseUnknown(const std::set<std::string>& known) const {
        for (const auto& [key, value] : m_object.items()) {
            if (!known.contains(key)) fail("unknown field \"" + key + "\"");
        }
    }

    bool has(const std::string& key) const { return m_object.contains(key) && !m_object.at(key).is_null(); }
    const Json& at(const std::string& key) const { return m_object.at(key); }

    template <typename Integer>
    Integer integer(const std::string& key, Integer fallback, std::int64_t least = 0,
                    std::uint64_t most = std::numeric_limits<Integer>::max()) const {
        if (!has(key)) return fallback;
        return integerValue<Integer>(at(key), "\"" + key + "\"", least, most);
    }

    template <typename Integer>
    Integer integerValue(const Json& value, const std::string& what, std::int64_t least,
                         std::uint64_t most) const {
        const std::string range =
            " must be a whole number from " + std::to_string(least) + " to " + std::to_string(most);
        if (!value.is_number_integer()) fail(what + range);
        if (value.is_number_unsigned()) {
            const auto number = value.get<std::uint64_t>();
            if (number > most || (least > 0 && number < static_cast<std::uint64_t>(least)))
                fail(what + range);
            return static_cast<Integer>(number);
        }
        const auto number = value.get<std::int64_t>();
        if (number < least || (number >= 0 && static_cast<std::uint64_t>(number) > most)) fail(what + range);
        return static_cast<Integer>(number);
    }

    bool boolean(const std::string& key, bool fallback) const {
        if (!has(key)) return fallback;
        if (!at(key).is_boolean()) fail("\"" + key + "\" must be true or false");
        return at(key).get<bool>();
    }

    std::optional<std::string> text(const std::string& key) const {
        if (!has(key)) return std::nullopt;
        if (!at(key).is_string()) fail("\"" + key + "\" must be a text");
        return at(key).get<std::string>();
    }

    // A list of exactly `count` numbers.
    std::vector<double> numbers(const std::string& key, std::size_t count, const std::string& shape) const {
        const Json& value = at(key);
        if (!value.is_array() || value.size() != count) fail("\"" + key + "\" must be " + shape);
        std::vector<double> numbers;
        for (const Json& element : value) {
            if (!element.is_number()) fail("\"" + key + "\" must be " + shape);
            numbers.push_back(element.get<double>());
        }
        return numbers;
    }

    // A nested object, read with the context extended by its name.
    FieldReader object(const std::string& key) const {
        if (!at(key).is_object()) fail("\"" + key + "\" must be an object");
        return FieldReader(at(key), m_context + "\"" + key + "\": ");
    }

    [[noreturn]] void fail(const std::string& problem) const {
        throw SimulatedDeskError(m_context + problem + ".");
    }

private:
    const Json& m_object;
    std::string m_context;
};

const std::set<std::string> deskFields{"displays", "pointer", "windowServer"};
const std::set<std::string> displayFields{"name",
                                          "productName",
                                          "vendor",
                                          "product",
                                          "serial",
                                          "edidSerial",
                                          "unit",
                                          "builtin",
                                          "mirrorOf",
                                          "online",
                                          "enabled",
                                          "frame",
                                          "ddc",
                                          "avServicePath",
                                          "framebufferBuses",
                                          "registryEDID",
                                          "i2cTransactionTypes"};
const std::set<std::string> ddcFields{"brightness", "maximum", "faults"};
const std::set<std::string> faultFields{"nakNextTransfers", "corruptEveryNthReply", "resultCode",
                                        "extraReplyDelayMs"};
const std::set<std::string> windowServerFields{"beginError", "configureError", "completeError"};

constexpr double defaultWidth = 1920;
constexpr double defaultHeight = 1080;
constexpr int highestTransactionType = 63;

DisplayProductNames productNames(const FieldReader& fields) {
    if (!fields.has("productName")) return {};
    const Json& value = fields.at("productName");
    if (value.is_string()) return value.get<std::string>();
    const std::string shape = "\"productName\" must be a text or an object of texts by locale";
    if (!value.is_object() || value.empty()) fields.fail(shape);
    std::vector<LocalizedName> names;
    for (const auto& [locale, name] : value.items()) {
        if (!name.is_string()) fields.fail(shape);
        names.push_back({locale, name.get<std::string>()});
    }
    return names;
}

SimulatedDDCConfig ddcConfig(const FieldReader& display) {
    const FieldReader fields = display.object("ddc");
    fields.refuseUnknown(ddcFields);
    SimulatedDDCConfig ddc;
    ddc.maximum = fields.integer<std::uint16_t>("maximum", ddc.maximum, 1);
    ddc.brightness = fields.integer<std::uint16_t>("brightness", ddc.brightness, 0, ddc.maximum);
    if (fields.has("faults")) {
        const FieldReader faults = fields.object("faults");
        faults.refuseUnknown(faultFields);
        constexpr auto most = static_cast<std::uint64_t>(std::numeric_limits<int>::max());
        ddc.nakNextTransfers = faults.integer<int>("nakNextTransfers", 0, 0, most);
        ddc.corruptEveryNthReply = faults.integer<int>("corruptEveryNthReply", 0, 0, most);
        if (faults.has("resultCode")) ddc.resultCode = faults.integer<std::uint8_t>("resultCode", 0);
        ddc.extraReplyDelay =
            std::chrono::milliseconds(faults.integer<std::uint32_t>("extraReplyDelayMs", 0));
    }
    return ddc;
}

std::uint64_t transactionTypes(const FieldReader& fields) {
    const Json& value = fields.at("i2cTransactionTypes");
    if (!value.is_array()) fields.fail("\"i2cTransactionTypes\" must be a list of transaction type numbers");
    std::uint64_t bits = 0;
    for (const Json& type : value) {
        bits |= 1ULL << fields.integerValue<int>(type, "every entry of \"i2cTransactionTypes\"", 0,
                                                 highestTransactionType);
    }
    return bits;
}

SimulatedDisplayConfig displayConfig(const Json& value, std::size_t index, std::size_t displayCount,
                                     const std::string& source) {
    const std::string where = source + ": display " + std::to_string(index);
    if (!value.is_object()) throw SimulatedDeskError(where + " must be an object.");
    SimulatedDisplayConfig display;
    // The names are read first so that every other message can carry them.
    display.name = FieldReader(value, where + ": ").text("name");
    const std::string named = display.name ? where + " (\"" + *display.name + "\"): " : where + ": ";
    display.productNames = productNames(FieldReader(value, named));
    const FieldReader fields(value, where + " (\"" + display.label() + "\"): ");
    fields.refuseUnknown(displayFields);

    if (!fields.has("vendor")) fields.fail("\"vendor\" is missing");
    if (!fields.has("product")) fields.fail("\"product\" is missing");
    display.vendor = fields.integer<std::uint16_t>("vendor", 0);
    display.product = fields.integer<std::uint16_t>("product", 0);
    display.serial = fields.integer<std::uint32_t>("serial", 0);
    display.edidSerial = fields.text("edidSerial");
    display.unit = fields.integer<std::uint32_t>("unit", static_cast<std::uint32_t>(index));
    display.builtin = fields.boolean("builtin", false);
    if (fields.has("mirrorOf")) {
        display.mirrorOf = fields.integer<std::size_t>("mirrorOf", 0, 0, displayCount - 1);
        if (*display.mirrorOf == index) fields.fail("\"mirrorOf\" must name another display");
    }
    display.online = fields.boolean("online", true);
    display.enabled = fields.boolean("enabled", true);
    display.frame = {static_cast<double>(index) * defaultWidth, 0, defaultWidth, defaultHeight};
    if (fields.has("frame")) {
        const std::string shape = "[x, y, width, height] with a positive width and height";
        const auto frame = fields.numbers("frame", 4, shape);
        if (frame[2] <= 0 || frame[3] <= 0) fields.fail("\"frame\" must be " + shape);
        display.frame = {frame[0], frame[1], frame[2], frame[3]};
    }
    if (fields.has("ddc")) display.ddc = ddcConfig(fields);
    display.avServicePath = fields.text("avServicePath");
    display.framebufferBuses = fields.integer<std::uint32_t>("framebufferBuses", 1, 0, 16);
    display.registryEDID = fields.boolean("registryEDID", true);
    if (fields.has("i2cTransactionTypes")) display.i2cTransactionTypes = transactionTypes(fields);
    return display;
}

void refuseSharedUnits(const std::vector<SimulatedDisplayConfig>& displays, const std::string& source) {
    std::map<std::uint32_t, std::size_t> owners;
    for (std::size_t i = 0; i < displays.size(); ++i) {
        const auto [owner, isNew] = owners.emplace(displays[i].unit, i);
        if (isNew) continue;
        throw SimulatedDeskError(source + ": display " + std::to_string(i) + " (\"" + displays[i].label() +
                                 "\"): \"unit\" " + std::to_string(displays[i].unit) +
                                 " is already the unit of display " + std::to_string(owner->second) + ".");
    }
}

}  // namespace

SimulatedDeskConfig SimulatedDeskFile::parse(std::string_view text, const std::string& source) {
    Json desk;
    try {
        desk = Json::parse(text);
    } catch (const Json::parse_error& error) {
        throw SimulatedDeskError(source + ": not valid JSON (" + error.what() + ").");
    } catch (const Json::exception& error) {  // a number beyond the range of a double, such as 1e400
        throw SimulatedDeskError(source + ": a number is too large (" + error.what() + ").");
    }
    if (!desk.is_object()) throw SimulatedDeskError(source + ": a desk must be a JSON object.");
    const FieldReader fields(desk, source + ": ");
    fields.refuseUnknown(deskFields);
    if (!fields.has("displays") || !desk.at("displays").is_array())
        fields.fail("\"displays\" must be a list of displays");

    SimulatedDeskConfig config;
    const Json& displays = desk.at("displays");
    for (std::size_t i = 0; i < displays.size(); ++i)
        config.displays.push_back(displayConfig(displays[i], i, displays.size(), source));
    refuseSharedUnits(config.displays, source);
    if (fields.has("pointer")) {
        const auto pointer = fields.numbers("pointer", 2, "[x, y]");
        config.pointer = {pointer[0], pointer[1]};
    }
    if (fields.has("windowServer")) {
        const FieldReader faults = fields.object("windowServer");
        faults.refuseUnknown(windowServerFields);
        constexpr std::int64_t least = std::numeric_limits<WindowServerError>::min();
        constexpr auto most = static_cast<std::uint64_t>(std::numeric_limits<WindowServerError>::max());
        config.windowServerFaults = {faults.integer<WindowServerError>("beginError", 0, least, most),
                                     faults.integer<WindowServerError>("configureError", 0, least, most),
                                     faults.integer<WindowServerError>("completeError", 0, least, most)};
    }
    return config;
}

std::string SimulatedDeskFile::read(const std::filesystem::path& file) {
    std::optional<FileSnapshot> snapshot;
    try {
        snapshot = readFileSnapshot(file);
    } catch (const FileReadError& error) {
        throw SimulatedDeskError(file.string() + ": the desk file cannot be used: " + error.reason() + ".");
    }
    if (!snapshot) throw SimulatedDeskError(file.string() + ": the desk file does not exist.");
    return std::move(snapshot->contents);
}

}  // namespace lumadesk
