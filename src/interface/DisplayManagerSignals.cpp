#include "interface/DisplayManagerSignals.h"

namespace lumadesk {

DisplayManagerSignals::DisplayManagerSignals(DisplayManager& manager, QObject* parent)
    : QObject(parent),
      m_displays(manager.subscribeToDisplays([this](const auto&) { Q_EMIT displaysChanged(); })),
      m_disconnectedDisplayIDs(manager.subscribeToDisconnectedDisplayIDs(
          [this](const auto&) { Q_EMIT disconnectedDisplayIDsChanged(); })),
      m_hasLoaded(manager.subscribeToHasLoaded([this](const auto&) { Q_EMIT hasLoadedChanged(); })),
      m_lastErrorMessage(
          manager.subscribeToLastErrorMessage([this](const auto&) { Q_EMIT lastErrorMessageChanged(); })) {}

}  // namespace lumadesk
