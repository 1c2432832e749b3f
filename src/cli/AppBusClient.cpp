#include "cli/AppBusClient.h"

#include <systemd/sd-bus.h>

#include <cstring>
#include <stdexcept>
#include <utility>

#include "intents/AppBusNames.h"
#include "intents/DisplayIntentError.h"

namespace lumadesk {

namespace {

struct MessageUnref {
    void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
using Message = std::unique_ptr<sd_bus_message, MessageUnref>;

// An sd-bus error that frees itself.
struct BusErrorHolder {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    BusErrorHolder() = default;
    BusErrorHolder(const BusErrorHolder&) = delete;
    BusErrorHolder& operator=(const BusErrorHolder&) = delete;
    ~BusErrorHolder() { sd_bus_error_free(&error); }
};

void check(int result, const char* what) {
    if (result < 0) throw AppBusError(std::string(what) + ": " + std::strerror(-result) + ".");
}

// The request's operands as the action's bus method takes them, in order: a level and a step as "i", the rest
// as "s" (an absent display as the empty text).
void appendArguments(sd_bus_message* call, const DisplayActionRequest& request) {
    for (const ActionOperand operand : displayActionInfo(request.kind).operands) {
        int result = 0;
        switch (operand) {
            case ActionOperand::display:
                result = sd_bus_message_append(call, "s", request.hardwareID.value_or("").c_str());
                break;
            case ActionOperand::level:
                result = sd_bus_message_append(call, "i", request.level);
                break;
            case ActionOperand::state:
                result = sd_bus_message_append(call, "s", std::string(rawValue(request.state)).c_str());
                break;
            case ActionOperand::name:
                result = sd_bus_message_append(call, "s", request.newName.c_str());
                break;
            case ActionOperand::step:
                result = sd_bus_message_append(call, "i", request.step);
                break;
        }
        check(result, "Cannot build the call");
    }
}

// Says whether the application went away or did not answer in time, or refused the call.
std::string callFailure(const std::string& name, const std::string& message) {
    const bool noAnswer = name.empty() || name == "org.freedesktop.DBus.Error.NoReply" ||
                          name == "org.freedesktop.DBus.Error.Timeout" ||
                          name == "org.freedesktop.DBus.Error.TimedOut" ||
                          name == "org.freedesktop.DBus.Error.ServiceUnknown" ||
                          name == "org.freedesktop.DBus.Error.Disconnected";
    return (noAnswer ? "Lumadesk did not answer: " : "Lumadesk refused the call: ") + message;
}

std::vector<DisplayEntity> readEntities(sd_bus_message* reply) {
    std::vector<DisplayEntity> entities;
    check(sd_bus_message_enter_container(reply, 'a', "(sss)"), "Unexpected answer");
    const char* hardwareID = nullptr;
    const char* displayName = nullptr;
    const char* modelName = nullptr;
    int read = 0;
    while ((read = sd_bus_message_read(reply, "(sss)", &hardwareID, &displayName, &modelName)) > 0) {
        entities.push_back({hardwareID, displayName, modelName});
    }
    check(read, "Unexpected answer");
    check(sd_bus_message_exit_container(reply), "Unexpected answer");
    return entities;
}

IntentResult readResult(sd_bus_message* reply, ActionValue value) {
    const char* dialog = nullptr;
    check(sd_bus_message_read(reply, "s", &dialog), "Unexpected answer");
    IntentResult result{dialog};
    switch (value) {
        case ActionValue::none:
            break;
        case ActionValue::level: {
            int level = 0;
            check(sd_bus_message_read(reply, "i", &level), "Unexpected answer");
            result.value = level;
            break;
        }
        case ActionValue::info: {
            const char* info = nullptr;
            check(sd_bus_message_read(reply, "s", &info), "Unexpected answer");
            result.value = std::string(info);
            break;
        }
        case ActionValue::displays:
            result.value = readEntities(reply);
            break;
    }
    return result;
}

}  // namespace

void AppBusClient::BusCloser::operator()(sd_bus* bus) const {
    sd_bus_flush_close_unref(bus);
}

AppBusClient::AppBusClient(std::unique_ptr<sd_bus, BusCloser> bus) : m_bus(std::move(bus)) {}
AppBusClient::AppBusClient(AppBusClient&&) noexcept = default;
AppBusClient& AppBusClient::operator=(AppBusClient&&) noexcept = default;
AppBusClient::~AppBusClient() = default;

std::optional<AppBusClient> AppBusClient::connect(const std::string& address,
                                                  std::chrono::milliseconds timeout) {
    sd_bus* opened = nullptr;
    if (sd_bus_new(&opened) < 0) return std::nullopt;
    std::unique_ptr<sd_bus, BusCloser> bus(opened);
    if (sd_bus_set_address(bus.get(), address.c_str()) < 0 || sd_bus_set_bus_client(bus.get(), 1) < 0 ||
        sd_bus_set_method_call_timeout(bus.get(), static_cast<uint64_t>(timeout.count()) * 1000) < 0 ||
        sd_bus_start(bus.get()) < 0) {
        return std::nullopt;
    }
    return AppBusClient(std::move(bus));
}

bool AppBusClient::isAppRunning() {
    BusErrorHolder error;
    sd_bus_message* reply = nullptr;
    const int result = sd_bus_call_method(m_bus.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                          "org.freedesktop.DBus", "NameHasOwner", &error.error, &reply, "s",
                                          AppBusNames::service);
    const Message owned(reply);
    int hasOwner = 0;
    return result >= 0 && sd_bus_message_read(reply, "b", &hasOwner) >= 0 && hasOwner;
}

std::optional<std::string> AppBusClient::desk() {
    BusErrorHolder error;
    sd_bus_message* reply = nullptr;
    const int result = sd_bus_call_method(m_bus.get(), AppBusNames::service, AppBusNames::objectPath,
                                          AppBusNames::interface, "Desk", &error.error, &reply, "");
    const Message owned(reply);
    const char* name = nullptr;
    if (result < 0 || sd_bus_message_read(reply, "s", &name) < 0) return std::nullopt;
    return std::string(name);
}

std::vector<DisplayEntity> AppBusClient::displays() {
    BusErrorHolder error;
    sd_bus_message* reply = nullptr;
    const int result = sd_bus_call_method(m_bus.get(), AppBusNames::service, AppBusNames::objectPath,
                                          AppBusNames::interface, "Displays", &error.error, &reply, "");
    const Message owned(reply);
    if (result < 0) {
        throw AppBusError(callFailure(error.error.name ? error.error.name : "",
                                      error.error.message ? error.error.message : std::strerror(-result)));
    }
    return readEntities(reply);
}

IntentResult AppBusClient::perform(const DisplayActionRequest& request) {
    const DisplayActionInfo& action = displayActionInfo(request.kind);
    const std::string method(action.busMethod);
    sd_bus_message* created = nullptr;
    check(sd_bus_message_new_method_call(m_bus.get(), &created, AppBusNames::service, AppBusNames::objectPath,
                                         AppBusNames::interface, method.c_str()),
          "Cannot build the call");
    const Message call(created);
    appendArguments(call.get(), request);

    BusErrorHolder error;
    sd_bus_message* reply = nullptr;
    const int result = sd_bus_call(m_bus.get(), call.get(), 0, &error.error, &reply);
    const Message owned(reply);
    if (result < 0) {
        const std::string name = error.error.name ? error.error.name : "";
        const std::string message = error.error.message ? error.error.message : std::strerror(-result);
        if (name == AppBusNames::displayNotFoundError) {
            throw DisplayIntentError::displayNotFound(request.hardwareID.value_or(""));
        }
        if (name == AppBusNames::operationFailedError) throw DisplayIntentError::operationFailed(message);
        throw AppBusError(callFailure(name, message));
    }
    return readResult(reply, action.value);
}

}  // namespace lumadesk
