#include "assembly/DisplayStack.h"

#include "hardware/Arm64DDC.h"
#include "hardware/DisplayHardwareService.h"
#include "hardware/IntelDDC.h"
#include "hardware/PrivateDisplayConnectionController.h"
#include "hardware/ReplyWaitFile.h"
#include "hardware/SystemDisplayConfigurationBridge.h"
#include "hardware/SystemDisplaySnapshotProvider.h"

namespace lumadesk {

namespace {

std::unique_ptr<DisplayDDCTransporting> makeTransport(TransportKind kind, Platform& platform,
                                                      PrivateDisplayBridge& bridge,
                                                      ReplyTransactionTypeProbe& replyTypeProbe,
                                                      MonitorReplyWaits& replyWaits) {
    if (kind == TransportKind::arm64) {
        return std::make_unique<Arm64DDC>(platform.windowServer(), bridge, platform.sleeper(), &replyWaits);
    }
    return std::make_unique<IntelDDC>(platform.windowServer(), platform.displayRegistry(),
                                      platform.framebufferI2C(), replyTypeProbe);
}

std::unique_ptr<DDCInterface> makeDDCInterface(Platform& platform, MainQueue& queue, BackgroundPool& pool,
                                               const DisplayStackOptions& options,
                                               PrivateDisplayBridge& bridge,
                                               ReplyTransactionTypeProbe& replyTypeProbe,
                                               MonitorReplyWaits& replyWaits) {
    auto transport = makeTransport(options.transport, platform, bridge, replyTypeProbe, replyWaits);
    auto snapshotProvider = std::make_unique<SystemDisplaySnapshotProvider>(
        platform.windowServer(), platform.screenList(), platform.displayRegistry(), bridge);
    auto configurationBridge = std::make_unique<SystemDisplayConfigurationBridge>(platform.windowServer());
    auto connectionController =
        std::make_unique<PrivateDisplayConnectionController>(std::move(configurationBridge));
    auto hardwareService = std::make_unique<DisplayHardwareService>(
        std::move(transport), std::move(snapshotProvider), std::move(connectionController), &replyWaits);
    return std::make_unique<DDCInterface>(std::move(hardwareService), options.writeInterval, queue, pool);
}

}  // namespace

DisplayStack::DisplayStack(Platform& platform, MainQueue& queue, const DisplayStackOptions& options)
    : m_pool(std::make_unique<BackgroundPool>()),
      m_transport(options.transport),
      m_replyTypeProbe(platform.displayRegistry()),
      m_replyWaits(std::make_unique<ReplyWaitFile>(options.configDirectory)),
      m_displayBridge(platform.avServiceBus(), platform.windowServer()),
      m_ddcInterface(makeDDCInterface(platform, queue, *m_pool, options, m_displayBridge, m_replyTypeProbe,
                                      m_replyWaits)),
      m_defaults(options.configDirectory, queue.clock(), platform.settingsFileName()),
      m_store(m_defaults),
      m_displayChangeRegistrar(platform.windowServer()) {
    m_displayManager =
        DisplayManager::create({.ddcInterface = *m_ddcInterface,
                                .store = m_store,
                                .settings = m_defaults,
                                .loginItemService = options.loginItemService ? *options.loginItemService
                                                                             : platform.loginItemService(),
                                .launchAtLoginController = nullptr,
                                .registerLoginItemAtStart = options.registerLoginItemAtStart,
                                .displayChangeRegistrar = m_displayChangeRegistrar,
                                .serviceCache = m_displayBridge,
                                .windowServer = platform.windowServer(),
                                .queue = queue});
}

DisplayStack::~DisplayStack() {
    // Finish the brightness writes still queued while the hardware service they use exists.
    m_pool.reset();
}

}  // namespace lumadesk
