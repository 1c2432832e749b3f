#pragma once

#include "interface/logic/UpdateDecision.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace lumadesk {

// The outcome of the user's update check: up to date, a newer release with its release notes, or why
// the check failed. Installing is left to the package manager; only https: release notes are offered.
class UpdateDialog : public QDialog {
    Q_OBJECT

public:
    explicit UpdateDialog(const UpdateOutcome& outcome, QWidget* parent = nullptr);

    QString headline() const;
    QString detail() const;
    // "Release Notes"; none when the release gives no openable link.
    QPushButton* releaseNotesButton() const { return m_releaseNotes; }

private:
    QLabel* m_headline;                     // owned through the widget tree
    QLabel* m_detail;                       // owned through the widget tree
    QPushButton* m_releaseNotes = nullptr;  // owned through the widget tree
};

}  // namespace lumadesk
