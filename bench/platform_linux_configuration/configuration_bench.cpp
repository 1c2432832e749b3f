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

// Three displays off, then the restore at quit that brings them all back in one step.
void BM_RestoreThreeAtQuit(benchmark::State& state) {
    const FakeTool tool("wlr-randr", wlrRandrScript);
    tool.write("state", "eDP-1 on 0 1920\nDP-1 on 1920 2560\nDP-2 on 4480 2560\nHDMI-A-1 on 7040 1920\n");
    WlrRandrBackend backend;
    const std::vector<std::string> names{"DP-1", "DP-2", "HDMI-A-1"};
    OutputConfigurationTransactions transactions(backend, [&](DisplayID id) {
        return std::optional<OutputIdentity>({names.at(id), {}});
    });
    for (auto _ : state) {
        state.PauseTiming();
        const auto configuration = *transactions.beginConfiguration().configuration;
        for (DisplayID id = 0; id < names.size(); ++id)
            transactions.configureDisplayEnabled(configuration, id, false);
        transactions.completeConfiguration(configuration, ConfigureOption::forSession);
        state.ResumeTiming();
        if (transactions.restorePermanentConfiguration() != windowServerSuccess)
            state.SkipWithError("restore failed");
    }
}
BENCHMARK(BM_RestoreThreeAtQuit)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lumadesk
