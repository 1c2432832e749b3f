// How long taking one display off the desktop and putting it back takes until the window system has
// confirmed, per session backend against the fakes of its tests, and the restore at quit of three
// displays. The GNOME figure needs a private session bus: run under dbus-run-session.
#include <benchmark/benchmark.h>

#include "platform/linux/configuration/KScreenDoctorBackend.h"
#include "platform/linux/configuration/MutterDisplayConfigBackend.h"
#include "platform/linux/configuration/OutputConfigurationTransactions.h"
#include "platform/linux/configuration/WlrRandrBackend.h"
#include "platform/linux/configuration/X11RandRBackend.h"
#include "platform_linux_configuration/FakeMutter.h"
#include "platform_linux_configuration/FakeRandRServer.h"
#include "platform_linux_configuration/FakeTools.h"
#include "runtime/SystemClock.h"
#if LUMADESK_KDE_OUTPUT_MANAGEMENT
#include "platform/linux/configuration/kde/KdeOutputManagementBackend.h"
#include "platform_linux_configuration/FakeKWin.h"
#endif

namespace lumadesk {
namespace {

void disconnectAndReconnect(benchmark::State& state, OutputConfigurationBackend& backend,
                            const std::string& name) {
    for (auto _ : state) {
        backend.apply({{{name, {}}, false}});
        backend.apply({{{name, {}}, true}});
    }
    state.SetLabel("per disconnect + reconnect");
}

void BM_X11RandR(benchmark::State& state) {
    auto server = std::make_unique<FakeRandRServer>();
    server->state = threeOutputLayout();
    X11RandRBackend backend(std::move(server));
    disconnectAndReconnect(state, backend, "DP-1");
}
BENCHMARK(BM_X11RandR)->Unit(benchmark::kMicrosecond);

void BM_GnomeMutter(benchmark::State& state) {
    FakeMutter mutter({{"DP-1", {{"a", 1920, 1080, true}}}, {"DP-2", {{"b", 2560, 1440, true}}}},
                      {{0, 0, 1, true, "DP-1", "a"}, {1920, 0, 1, false, "DP-2", "b"}});
    if (!mutter.ready()) {
        state.SkipWithError("no private session bus: run under dbus-run-session");
        return;
    }
    MutterDisplayConfigBackend backend;
    disconnectAndReconnect(state, backend, "DP-2");
}
BENCHMARK(BM_GnomeMutter)->Unit(benchmark::kMillisecond);

void BM_WlrRandr(benchmark::State& state) {
    const FakeTool tool("wlr-randr", wlrRandrScript);
    WlrRandrBackend backend;
    disconnectAndReconnect(state, backend, "DP-2");
}
BENCHMARK(BM_WlrRandr)->Unit(benchmark::kMillisecond);

void BM_KScreenDoctor(benchmark::State& state) {
    const FakeTool tool("kscreen-doctor", kscreenDoctorScript);
    KScreenDoctorBackend backend;
    disconnectAndReconnect(state, backend, "DP-2");
}
BENCHMARK(BM_KScreenDoctor)->Unit(benchmark::kMillisecond);

#if LUMADESK_KDE_OUTPUT_MANAGEMENT
void BM_KdeOutputManagement(benchmark::State& state) {
    FakeKWin kwin({{"DP-1", 0, 1920, true, {}}, {"DP-2", 1920, 2560, true, {}}});
    KdeOutputManagementBackend backend(kwin.connect());
    disconnectAndReconnect(state, backend, "DP-2");
}
BENCHMARK(BM_KdeOutputManagement)->Unit(benchmark::kMillisecond);
#endif

// Three displays off, then the restore at quit under its 2 s limit: in one step (what the window
// server's restore does) and one display at a time (what the manager's restore at quit does).
void restoreThreeAtQuit(benchmark::State& state, const char* program, const char* script, bool oneStep) {
    const FakeTool tool(program, script);
    tool.write("state", "eDP-1 on 0 1920\nDP-1 on 1920 2560\nDP-2 on 4480 2560\nHDMI-A-1 on 7040 1920\n");
    std::unique_ptr<OutputConfigurationBackend> backend;
    if (std::string(program) == "wlr-randr") {
        backend = std::make_unique<WlrRandrBackend>();
    } else {
        backend = std::make_unique<KScreenDoctorBackend>();
    }
    const std::vector<std::string> names{"DP-1", "DP-2", "HDMI-A-1"};
    OutputConfigurationTransactions transactions(*backend, [&](DisplayID id) {
        return std::optional<OutputIdentity>({names.at(id), {}});
    });
    const auto change = [&](std::vector<DisplayID> ids, bool enabled) {
        const auto configuration = *transactions.beginConfiguration().configuration;
        for (DisplayID id : ids) transactions.configureDisplayEnabled(configuration, id, enabled);
        return transactions.completeConfiguration(configuration, ConfigureOption::forSession);
    };
    const SystemClock clock;
    for (auto _ : state) {
        state.PauseTiming();
        transactions.limitTo({});
        change({0, 1, 2}, false);
        state.ResumeTiming();
        transactions.limitTo(Deadline::after(clock, std::chrono::seconds(2)));
        bool restored = true;
        if (oneStep) {
            restored = transactions.restorePermanentConfiguration() == windowServerSuccess;
        } else {
            for (DisplayID id = 0; id < names.size(); ++id)
                restored = change({id}, true) == windowServerSuccess && restored;
        }
        if (!restored) state.SkipWithError("restore failed");
    }
}
BENCHMARK_CAPTURE(restoreThreeAtQuit, wlrRandrOneStep, "wlr-randr", wlrRandrScript, true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(restoreThreeAtQuit, wlrRandrPerDisplay, "wlr-randr", wlrRandrScript, false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(restoreThreeAtQuit, kscreenDoctorOneStep, "kscreen-doctor", kscreenDoctorScript, true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(restoreThreeAtQuit, kscreenDoctorPerDisplay, "kscreen-doctor", kscreenDoctorScript, false)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lumadesk
