#include "interface/MenuBarPopover.h"

#include "interface/ActivationBlocker.h"
#include "interface/AfterPaint.h"
#include "interface/AllDisplaysCard.h"
#include "interface/ContinuousSlider.h"
#include "interface/DisplayManagerSignals.h"
#include "interface/DisplayRowCallbacks.h"
#include "interface/DisplayRowList.h"
#include "interface/DisplayRowView.h"
#include "interface/Divider.h"
#include "interface/ErrorStrip.h"
#include "interface/OverlayScrollBar.h"
#include "interface/PlainButton.h"
#include "interface/PopoverFooter.h"
#include "interface/PopoverHeader.h"
#include "interface/RefreshButton.h"
#include "interface/Spinner.h"
#include "interface/SymbolView.h"
#include "interface/Theme.h"
#include "interface/Updater.h"
#include "runtime/Spawn.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <utility>

namespace lumadesk {

namespace {

QLabel* makeSecondaryLabel(const QString& text, Theme::TextStyle style, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFont(Theme::font(style));
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Theme::secondary(*parent));
    label->setPalette(palette);
    return label;
}

}  // namespace

MenuBarPopover::MenuBarPopover(DisplayManager& manager, Updater& updater, MainQueue& queue,
                               PopoverActions actions, QWidget* parent)
    : QWidget(parent),
      m_manager(manager),
      m_updater(updater),
      m_queue(queue),
      m_actions(std::move(actions)),
      m_refresh(
          queue, [manager = &manager] { return manager->refresh(); }, [this] { renderRefreshing(); },
          [this](std::function<void()> begin) { AfterPaint::run(*this, m_queue, std::move(begin)); }),
      m_globalBrightness(queue,
                         [manager = &manager, queue = &queue](int level) {
                             spawn(*queue, manager->setBrightnessForAllDisplays(level));
                         }),
      m_signals(new DisplayManagerSignals(manager, this)) {
    setWindowTitle(QStringLiteral("Lumadesk"));
    setAccessibleName(QStringLiteral("Lumadesk"));
    setFixedWidth(popoverWidth);
    setFocusPolicy(Qt::ClickFocus);
    auto* column = new QVBoxLayout(this);
    column->setSpacing(0);
    column->setContentsMargins(0, 0, 0, 0);

    m_header = new PopoverHeader(this);
    column->addWidget(m_header);
    column->addWidget(new Divider(this));
    column->addWidget(buildLoadingView());
    column->addWidget(buildEmptyView());
    column->addWidget(buildListView());
    m_errorStrip = new ErrorStrip(this);
    column->addWidget(m_errorStrip);
    m_footer = new PopoverFooter(this);
    column->addWidget(m_footer);

    connect(m_header, &PopoverHeader::refreshClicked, this, &MenuBarPopover::refreshDisplays);
    connect(m_emptyRefreshButton, &QPushButton::clicked, this, &MenuBarPopover::refreshDisplays);
    connect(m_card, &AllDisplaysCard::appeared, this, &MenuBarPopover::syncGlobalBrightness);
    connect(m_card, &AllDisplaysCard::userChanged, this, [this](double value) {
        m_globalBrightness.userChanged(value);
        m_card->setValue(value, m_globalBrightness.shownLevel());
    });
    connect(&m_footer->updateButton(), &QAbstractButton::clicked, &m_updater, &Updater::checkForUpdates);
    connect(&m_updater, &Updater::isUpdateAvailableChanged, this, [this] { render(); });
    m_footer->settingsButton().setEnabled(static_cast<bool>(m_actions.openSettings));
    connect(&m_footer->settingsButton(), &QAbstractButton::clicked, this, [this] {
        if (m_actions.openSettings) m_actions.openSettings();
    });
    connect(&m_footer->quitButton(), &QAbstractButton::clicked, this, [this] {
        if (m_actions.quit) m_actions.quit();
    });
    for (auto changed :
         {&DisplayManagerSignals::displaysChanged, &DisplayManagerSignals::disconnectedDisplayIDsChanged,
          &DisplayManagerSignals::hasLoadedChanged, &DisplayManagerSignals::lastErrorMessageChanged}) {
        connect(m_signals, changed, this, &MenuBarPopover::render);
    }
    connect(m_signals, &DisplayManagerSignals::displaysChanged, this, [this] {
        if (m_card->isVisible()) syncGlobalBrightness();
    });
    m_refreshes = manager.subscribeToLastRefreshTime([this](const auto&) {
        renderErrorStrip();
        fitHeight();
    });
    render();
}

MenuBarPopover::~MenuBarPopover() = default;

// The window keeps the focus itself when it opens, so no control shows a focus ring until the user
// tabs to it.
void MenuBarPopover::showEvent(QShowEvent* event) {
    // A write since the last refresh may have met a problem of the platform.
    renderErrorStrip();
    fitHeight();
    QWidget::showEvent(event);
    setFocus(Qt::PopupFocusReason);
}

QWidget* MenuBarPopover::buildLoadingView() {
    m_loadingView = new QWidget(this);
    auto* column = new QVBoxLayout(m_loadingView);
    column->setSpacing(10);
    column->setContentsMargins(0, 28, 0, 28);
    column->addWidget(new Spinner(20, m_loadingView), 0, Qt::AlignHCenter);
    column->addWidget(
        makeSecondaryLabel(QStringLiteral("Finding your displays…"), Theme::TextStyle::caption, this));
    return m_loadingView;
}

QWidget* MenuBarPopover::buildEmptyView() {
    m_emptyView = new QWidget(this);
    auto* column = new QVBoxLayout(m_emptyView);
    column->setSpacing(11);
    column->setContentsMargins(24, 24, 24, 24);
    auto* symbol =
        new SymbolView(QStringLiteral("display.trianglebadge.exclamationmark"), Theme::symbolSize(27),
                       QSize(Theme::symbolSize(27), Theme::symbolSize(27)), m_emptyView);
    symbol->setColor(Theme::secondary(*this));
    column->addWidget(symbol, 0, Qt::AlignHCenter);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(3);
    auto* title = new QLabel(QStringLiteral("No external displays"), m_emptyView);
    title->setFont(Theme::font(Theme::TextStyle::callout, QFont::DemiBold));
    title->setAlignment(Qt::AlignCenter);
    texts->addWidget(title);
    texts->addWidget(
        makeSecondaryLabel(QStringLiteral("Connect a display, then refresh to start controlling it."),
                           Theme::TextStyle::caption, m_emptyView));
    column->addLayout(texts);

    m_emptyRefreshButton = new QPushButton(QStringLiteral("Refresh"), m_emptyView);
    m_emptyRefreshButton->setFont(Theme::font(Theme::TextStyle::caption));
    m_emptyRefreshBlocker = new ActivationBlocker(*m_emptyRefreshButton);
    column->addWidget(m_emptyRefreshButton, 0, Qt::AlignHCenter);
    return m_emptyView;
}

QWidget* MenuBarPopover::buildListView() {
    m_listView = new QWidget(this);
    auto* column = new QVBoxLayout(m_listView);
    column->setSpacing(0);
    column->setContentsMargins(0, 0, 0, 0);
    m_card = new AllDisplaysCard(m_listView);
    m_cardDivider = new Divider(m_listView);
    column->addWidget(m_card);
    column->addWidget(m_cardDivider);

    m_rows = new DisplayRowList(
        m_queue, [this](const Display& display) { return rowCallbacks(display); }, m_listView);
    m_listArea = new QScrollArea(m_listView);
    m_listArea->setFrameShape(QFrame::NoFrame);
    m_listArea->setFocusPolicy(Qt::NoFocus);  // its rows' controls take the focus, not the area
    m_listArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_listArea->setWidgetResizable(true);
    m_listArea->setWidget(m_rows);
    m_scrollIndicator = new OverlayScrollBar(*m_listArea);
    // The rows' dividers depend on where the visible part ends, so a scroll redraws them all.
    connect(m_scrollIndicator, &QScrollBar::valueChanged, m_rows, qOverload<>(&QWidget::update));
    m_listArea->viewport()->setAutoFillBackground(false);
    m_rows->setAutoFillBackground(false);
    column->addWidget(m_listArea);
    return m_listView;
}

DisplayRowCallbacks MenuBarPopover::rowCallbacks(const Display& display) {
    return managerRowCallbacks(m_manager, display.hardwareID, RowRenaming::notOffered);
}

void MenuBarPopover::refreshDisplays() {
    m_refresh.start();
}

void MenuBarPopover::render() {
    m_content = PopoverContent(m_manager.hasLoaded(), m_manager.visibleDisplays());
    const auto state = m_content.state();
    m_header->setSubtitle(QString::fromStdString(m_content.subtitle()));
    m_loadingView->setVisible(state == PopoverContentState::loading);
    m_emptyView->setVisible(state == PopoverContentState::empty);
    const bool showsCard = state == PopoverContentState::list && m_content.showsAllDisplaysCard();
    m_cardDivider->setVisible(showsCard);
    m_rows->setDisplays(m_content.shownDisplays());
    applyTabOrder();
    m_listArea->setFixedHeight(m_content.listHeight());
    m_listView->setVisible(state == PopoverContentState::list);
    // Last, so that a card coming on screen syncs against the list it belongs to.
    m_card->setVisible(showsCard);
    renderErrorStrip();
    m_footer->setUpdateAvailable(m_updater.isUpdateAvailable());
    renderRefreshing();
    fitHeight();
}

// Tab follows the layout from top to bottom; rows added later would otherwise come after the footer.
void MenuBarPopover::applyTabOrder() {
    std::vector<QWidget*> order{&m_header->refreshButton(), m_emptyRefreshButton, &m_card->slider()};
    for (auto* row : m_rows->rows()) {
        const auto controls = row->tabOrder();
        order.insert(order.end(), controls.begin(), controls.end());
    }
    order.insert(order.end(),
                 {&m_footer->updateButton(), &m_footer->settingsButton(), &m_footer->quitButton()});
    for (std::size_t i = 0; i + 1 < order.size(); ++i) QWidget::setTabOrder(order[i], order[i + 1]);
}

void MenuBarPopover::renderRefreshing() {
    m_header->refreshButton().setBusy(m_refresh.isRefreshing());
    m_emptyRefreshBlocker->setBlocking(m_refresh.isRefreshing());
}

void MenuBarPopover::renderErrorStrip() {
    const auto message = errorStripMessage(m_manager.lastErrorMessage(), m_actions.platformProblems
                                                                             ? m_actions.platformProblems()
                                                                             : std::vector<std::string>{});
    m_errorStrip->setVisible(message.has_value());
    if (message) m_errorStrip->setMessage(QString::fromStdString(*message));
}

void MenuBarPopover::syncGlobalBrightness() {
    m_globalBrightness.sync(m_content.controllableDisplays());
    m_card->setValue(m_globalBrightness.globalBrightness(), m_globalBrightness.shownLevel());
}

void MenuBarPopover::fitHeight() {
    auto* column = layout();
    column->invalidate();
    const int height = column->hasHeightForWidth() ? column->totalHeightForWidth(popoverWidth)
                                                   : column->totalSizeHint().height();
    setFixedHeight(height);
}

}  // namespace lumadesk
