#pragma once

#include <vector>

#include "interface/logic/KeyboardAccessSteps.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace lumadesk {

// What "Enable Access" shows: no prompt on this desktop can give a program keyboard access, so the
// dialog says what the user does for each missing grant, with any command ready to copy into a
// terminal.
class KeyboardAccessDialog : public QDialog {
    Q_OBJECT

public:
    explicit KeyboardAccessDialog(const std::vector<KeyboardAccessStep>& steps, QWidget* parent = nullptr);

    // The explanations, top to bottom.
    QStringList explanations() const;
    // The commands' fields and their "Copy" buttons, in the order of the steps that have one.
    const std::vector<QLineEdit*>& commandFields() const { return m_commands; }
    const std::vector<QPushButton*>& copyButtons() const { return m_copyButtons; }

private:
    std::vector<QLabel*> m_explanations;      // owned through the widget tree
    std::vector<QLineEdit*> m_commands;       // owned through the widget tree
    std::vector<QPushButton*> m_copyButtons;  // owned through the widget tree
};

}  // namespace lumadesk
