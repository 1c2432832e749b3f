#include "interface/SettingsView.h"

#include "interface/AppInfo.h"
#include "interface/DisplaysPage.h"
#include "interface/SymbolIcons.h"
#include "interface/Theme.h"
#include "runtime/Spawn.h"

#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

#include <utility>

namespace lumadesk {

SettingsView::SettingsView(DisplayManager& manager, MainQueue& queue, UserDefaults& defaults,
                           KeyboardPermissionControlling& permissions, GeneralPageActions actions,
                           QWidget* parent)
    : QWidget(parent),
      m_manager(manager),
      m_queue(queue),
      m_tabs(new QTabWidget(this)),
      m_displaysPage(new DisplaysPage(manager, queue, m_tabs)),
      m_generalPage(new GeneralPage(manager, defaults, permissions, AppInfo::versionText(),
                                    std::move(actions), m_tabs)) {
    setWindowTitle(QStringLiteral("Lumadesk Settings"));
    setWindowIcon(AppInfo::applicationIcon());
    setFixedSize(viewWidth, viewHeight);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(m_tabs);
    m_tabs->setDocumentMode(true);
    const QColor symbolColor = Theme::primary(*this);
    m_tabs->addTab(m_displaysPage, SymbolIcons::icon(QStringLiteral("display"), symbolColor),
                   QStringLiteral("Displays"));
    m_tabs->addTab(m_generalPage, SymbolIcons::icon(QStringLiteral("slider.horizontal.3"), symbolColor),
                   QStringLiteral("General"));
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) {
        if (m_tabs->widget(index) == m_generalPage) m_generalPage->rebuild();
    });
}

SettingsView::~SettingsView() = default;

void SettingsView::present() {
    show();
    raise();
    activateWindow();
}

void SettingsView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous()) return;
    spawn(m_queue, m_manager.refresh());
    if (m_tabs->currentWidget() == m_generalPage) m_generalPage->rebuild();
}

}  // namespace lumadesk
