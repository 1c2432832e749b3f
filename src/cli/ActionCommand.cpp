#include "cli/ActionCommand.h"

#include <nlohmann/json.hpp>

#include "assembly/DisplayStack.h"
#include "assembly/PlatformFactory.h"
#include "assembly/ProgramFailures.h"
#include "cli/ActionCommandLine.h"
#include "cli/AppBusClient.h"
#include "intents/DisplayIntentError.h"
#include "intents/DisplayQuery.h"
#include "runtime/FileLock.h"
#include "runtime/PrintableText.h"
#include "runtime/RunSync.h"

namespace lumadesk {

namespace {

nlohmann::json jsonValue(const IntentValue& value) {
    return std::visit(
        [](const auto& held) -> nlohmann::json {
            using Held = std::decay_t<decltype(held)>;
            if constexpr (std::is_same_v<Held, std::monostate>) {
                return nullptr;
            } else if constexpr (std::is_same_v<Held, std::vector<DisplayEntity>>) {
                nlohmann::json entities = nlohmann::json::array();
                for (const DisplayEntity& entity : held) {
                    entities.push_back({{"hardwareID", entity.hardwareID},
                                        {"displayName", entity.displayName},
                                        {"modelName", entity.modelName}});
                }
                return entities;
            } else {
                return held;
            }
        },
        value);
}

// The request with DISPLAY turned into a hardware ID among the entities.
DisplayActionRequest resolved(DisplayActionRequest request, const std::vector<DisplayEntity>& entities) {
    if (request.hardwareID) request.hardwareID = resolveDisplayArgument(entities, *request.hardwareID);
    return request;
}

}  // namespace

ActionCommand::ActionCommand(MainQueue& queue, Sleeper& sleeper, const EnvironmentLookup& environment,
                             std::chrono::milliseconds timeout, std::string programName)
    : m_queue(queue),
      m_sleeper(sleeper),
      m_environment(environment),
      m_timeout(timeout),
      m_programName(std::move(programName)) {}

std::optional<AppBusClient> ActionCommand::runningApp(const PlatformArguments& platform) {
    std::optional<AppBusClient> app;
    if (const auto address = sessionBusAddress(m_environment))
        app = AppBusClient::connect(*address, m_timeout);
    if (app && (!app->isAppRunning() || app->desk() != platform.deskName())) app.reset();
    return app;
}

int ActionCommand::run(const CtlInvocation& invocation, std::ostream& out, std::ostream& err) {
    try {
        std::optional<IntentResult> result;
        if (auto app = runningApp(invocation)) {
            result = app->perform(resolved(invocation.action, app->displays()));
        } else {
            runInProcess(invocation, err, [&](DisplayManager& manager) {
                const auto entities = runSync(m_queue, DisplayQuery(manager).allEntities());
                result =
                    runSync(m_queue, performDisplayAction(resolved(invocation.action, entities), manager));
            });
        }
        out << format(*result, invocation.json) << "\n";
        return exitDone;
    } catch (const DisplayIntentError& error) {
        err << m_programName << ": " << printableText(error.what()) << "\n";
        return error.kind() == DisplayIntentError::Kind::displayNotFound ? exitNoSuchDisplay : exitFailed;
    } catch (const UsageError&) {
        throw;
    } catch (const std::exception& error) {
        err << m_programName << ": " << printableText(error.what()) << "\n";
        return exitFailed;
    }
}

std::vector<DisplayEntity> ActionCommand::displays(const PlatformArguments& platform, std::ostream& err) {
    if (auto app = runningApp(platform)) return app->displays();
    std::vector<DisplayEntity> entities;
    runInProcess(platform, err, [&](DisplayManager& manager) {
        entities = runSync(m_queue, DisplayQuery(manager).allEntities());
    });
    return entities;
}

void ActionCommand::runInProcess(const PlatformArguments& platformArguments, std::ostream& err,
                                 const std::function<void(DisplayManager&)>& work) {
    const auto configDirectory = defaultConfigDirectory(m_environment);
    createConfigDirectory(configDirectory);
    const FileLock commandLock(configDirectory / "lumadesk-ctl.lock");
    const auto platform = makePlatform(
        {platformArguments.simulated, platformArguments.deskFile}, configDirectory, m_queue.clock(),
        m_sleeper, [&](const std::string& problem) { err << m_programName << ": " << problem << "\n"; });
    std::exception_ptr failure;
    {
        DisplayStack stack(*platform, m_queue, {configDirectory, platformArguments.chosenTransport()});
        try {
            work(stack.displayManager());
        } catch (...) {
            failure = std::current_exception();
        }
        // What the work left queued (a refresh after a connection change) ends before the stack goes.
        while (m_queue.pumpOnce()) {
        }
    }
    platform->persistState();
    if (failure) std::rethrow_exception(failure);
}

std::string ActionCommand::format(const IntentResult& result, bool json) {
    if (!json) {
        // The information and the list follow their dialog, a display a line; every text goes to the
        // terminal escaped, so that a name cannot forge a line or move the cursor.
        std::string text = printableLines(result.dialog);
        if (const auto* info = std::get_if<std::string>(&result.value); info && !info->empty())
            text += "\n" + printableLines(*info);
        if (const auto* entities = std::get_if<std::vector<DisplayEntity>>(&result.value)) {
            for (const DisplayEntity& entity : *entities)
                text += "\n" + printableText(entity.hardwareID) + "\t" + printableText(entity.displayName);
        }
        return text;
    }
    return nlohmann::json{{"dialog", result.dialog}, {"value", jsonValue(result.value)}}.dump(
        -1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::optional<std::string> sessionBusAddress(const EnvironmentLookup& environment) {
    if (auto address = environment("DBUS_SESSION_BUS_ADDRESS"); address && !address->empty()) return address;
    if (const auto runtime = environment("XDG_RUNTIME_DIR"); runtime && !runtime->empty()) {
        return "unix:path=" + *runtime + "/bus";
    }
    return std::nullopt;
}

}  // namespace lumadesk
