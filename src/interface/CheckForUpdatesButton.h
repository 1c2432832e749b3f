#pragma once

#include <QPushButton>

namespace lumadesk {

class Updater;

// The one button that starts the user's update check: "Update Available…" while a scheduled check found
// one, else "Check for Updates…"; disabled while no check can start.
class CheckForUpdatesButton : public QPushButton {
    Q_OBJECT

public:
    explicit CheckForUpdatesButton(Updater& updater, QWidget* parent = nullptr);

    // The title for the updater's state.
    static QString title(const Updater& updater);

private:
    void render();

    Updater& m_updater;
};

}  // namespace lumadesk
