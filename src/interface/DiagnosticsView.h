#pragma once

#include "interface/logic/DiagnosticsContent.h"
#include "registry/DisplayManager.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QStackedLayout;
class QVBoxLayout;

namespace lumadesk {

class DisplayManagerSignals;

// The diagnostics sheet over the settings window: every record the manager holds, present or
// remembered, with the identifiers used to recognise and restore it, what the platform tells about
// itself (its display-configuration service, what keeps monitors out of reach), and a button that
// copies the same facts as text. It follows the manager live and changes nothing. It deletes itself
// when closed.
class DiagnosticsView : public QDialog {
    Q_OBJECT

public:
    static constexpr int sheetWidth = 600;
    static constexpr int sheetHeight = 390;

    DiagnosticsView(DisplayManager& manager, QWidget* parent, PlatformStatus platform = {});

    const DiagnosticsContent& content() const { return m_content; }
    QString footerText() const;
    // The platform's lines as shown between the list and the footer; empty when hidden.
    QString platformText() const;
    QPushButton& copyButton() const { return *m_copyButton; }
    QPushButton& doneButton() const { return *m_doneButton; }
    bool showsEmptyState() const;
    // Puts the diagnostics text on the clipboard (and the primary selection where there is one).
    void copyDiagnostics() const;

private:
    QWidget* buildHeader();
    QWidget* buildEmptyState();
    QWidget* buildFooter();
    QWidget* buildRow(const DiagnosticsContent::Row& row, QWidget* parent) const;
    void render();

    DisplayManager& m_manager;
    PlatformStatus m_platform;
    DiagnosticsContent m_content{{}, {}};
    // A refresh may find the platform's problems changed while the list stays the same.
    Subscription m_refreshes;

    // Owned through the object tree.
    DisplayManagerSignals* m_signals;
    QStackedLayout* m_body = nullptr;
    QWidget* m_emptyState = nullptr;
    QWidget* m_list = nullptr;
    QVBoxLayout* m_listLayout = nullptr;
    QLabel* m_platformLines = nullptr;
    QLabel* m_footer = nullptr;
    QPushButton* m_copyButton = nullptr;
    QPushButton* m_doneButton = nullptr;
};

}  // namespace lumadesk
