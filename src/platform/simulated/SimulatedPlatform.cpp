#include "platform/simulated/SimulatedPlatform.h"

#include "platform/simulated/SimulatedDeskFile.h"

namespace lumadesk {

std::unique_ptr<SimulatedPlatform> SimulatedPlatform::create(const SimulatedPlatformOptions& options,
                                                             const Clock& clock, Sleeper& sleeper) {
    std::string deskKey = "default";
    std::string text(SimulatedDeskFile::defaultDeskText());
    std::string source(SimulatedDeskFile::defaultDeskName);
    if (options.deskFile) {
        deskKey = std::filesystem::weakly_canonical(std::filesystem::absolute(*options.deskFile)).string();
        text = SimulatedDeskFile::read(*options.deskFile);
        source = options.deskFile->string();
    }
    SimulatedDeskConfig config = SimulatedDeskFile::parse(text, source);
    const std::string fingerprint = SimulatedDeskStateFile::fingerprint(text);

    std::optional<SimulatedDeskStateFile> stateFile;
    std::optional<std::vector<SimulatedDisplayState>> state;
    if (options.stateFile) {
        stateFile.emplace(*options.stateFile);
        auto loaded = stateFile->load(deskKey, fingerprint, config.displays.size());
        if (loaded.problem && options.reportProblem) options.reportProblem(*loaded.problem);
        state = std::move(loaded.state);
    }
    auto desk = std::make_unique<SimulatedDesk>(std::move(config), clock, sleeper, state);
    return std::make_unique<SimulatedPlatform>(std::move(desk), sleeper, std::move(deskKey), fingerprint,
                                               std::move(stateFile));
}

SimulatedPlatform::SimulatedPlatform(std::unique_ptr<SimulatedDesk> desk, Sleeper& sleeper, std::string deskKey,
                                     std::string fingerprint, std::optional<SimulatedDeskStateFile> stateFile)
    : m_desk(std::move(desk)),
      m_sleeper(sleeper),
      m_deskKey(std::move(deskKey)),
      m_fingerprint(std::move(fingerprint)),
      m_stateFile(std::move(stateFile)) {}

void SimulatedPlatform::persistState() {
    if (m_stateFile) m_stateFile->save(m_deskKey, m_fingerprint, m_desk->state());
}

}  // namespace lumadesk
