#include "interface/DisplaysPage.h"

#include "interface/CardFrame.h"
#include "interface/ContinuousSlider.h"
#include "interface/DisplayManagerSignals.h"
#include "interface/DisplayRowCallbacks.h"
#include "interface/DisplayRowList.h"
#include "interface/ErrorBanner.h"
#include "interface/OverlayScrollBar.h"
#include "interface/PlainButton.h"
#include "interface/RowReorderer.h"
#include "interface/Spinner.h"
#include "interface/SymbolView.h"
#include "interface/Theme.h"
#include "runtime/Spawn.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedLayout>
#include <QVBoxLayout>

#include <utility>

namespace lumadesk {

namespace {

// The table's columns: name, brightness (the rest), level and switch, 12 apart.
constexpr int nameColumn = 250;
constexpr int levelColumn = 52;
constexpr int switchColumn = 86;
constexpr int columnSpacing = 12;

QHBoxLayout* columnsLayout(QWidget* line, int verticalPadding) {
    auto* row = new QHBoxLayout(line);
    row->setSpacing(columnSpacing);
    row->setContentsMargins(2, verticalPadding, 2, verticalPadding);
    return row;
}

// The all-displays line is tinted with the accent colour.
class TintedLine : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        QColor tint = Theme::accent(*this);
        tint.setAlphaF(0.065f);
        painter.fillRect(rect(), tint);
    }
};

}  // namespace

DisplaysPage::DisplaysPage(DisplayManager& manager, MainQueue& queue, QWidget* parent)
    : QWidget(parent),
      m_manager(manager),
      m_queue(queue),
      m_globalBrightness(queue,
                         [manager = &manager, queue = &queue](int level) {
                             spawn(*queue, manager->setBrightnessForAllDisplays(level));
                         }),
      m_signals(new DisplayManagerSignals(manager, this)) {
    setBackgroundRole(QPalette::Window);
    setAutoFillBackground(true);
    m_states = new QStackedLayout(this);
    m_states->addWidget(buildLoadingView());
    m_states->addWidget(buildEmptyView());
    m_states->addWidget(buildTableView());

    connect(m_refreshButton, &QPushButton::clicked, this, [this] { spawn(m_queue, m_manager.refresh()); });
    connect(m_allSlider, &ContinuousSlider::moved, this, [this](double value) {
        m_globalBrightness.userChanged(value);
        renderAllDisplays();
    });
    for (auto changed :
         {&DisplayManagerSignals::displaysChanged, &DisplayManagerSignals::disconnectedDisplayIDsChanged,
          &DisplayManagerSignals::hasLoadedChanged, &DisplayManagerSignals::lastErrorMessageChanged}) {
        connect(m_signals, changed, this, &DisplaysPage::render);
    }
    connect(m_signals, &DisplayManagerSignals::displaysChanged, this, &DisplaysPage::syncGlobalBrightness);
    render();
    syncGlobalBrightness();
}

DisplaysPage::~DisplaysPage() = default;

QWidget* DisplaysPage::buildLoadingView() {
    m_loadingView = new QWidget(this);
    auto* column = new QVBoxLayout(m_loadingView);
    column->setSpacing(10);
    column->addStretch(1);
    column->addWidget(new Spinner(16, m_loadingView), 0, Qt::AlignHCenter);
    column->addWidget(
        Theme::label(QStringLiteral("Finding displays…"), Theme::font(Theme::TextStyle::callout),
                     Theme::secondary(*this), m_loadingView),
        0, Qt::AlignHCenter);
    column->addStretch(1);
    return m_loadingView;
}

QWidget* DisplaysPage::buildEmptyView() {
    m_emptyView = new QWidget(this);
    auto* column = new QVBoxLayout(m_emptyView);
    column->setSpacing(14);
    column->addStretch(1);
    const int side = Theme::symbolSize(34);
    auto* symbol = new SymbolView(QStringLiteral("display.trianglebadge.exclamationmark"), side,
                                  QSize(side, side), m_emptyView);
    symbol->setColor(Theme::secondary(*this));
    column->addWidget(symbol, 0, Qt::AlignHCenter);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(4);
    texts->addWidget(Theme::label(QStringLiteral("No external displays"),
                                  Theme::systemFont(13, QFont::DemiBold), Theme::primary(*this), m_emptyView),
                     0, Qt::AlignHCenter);
    texts->addWidget(
        Theme::label(QStringLiteral("Connect a display and Lumadesk will add it automatically."),
                     Theme::font(Theme::TextStyle::callout), Theme::secondary(*this), m_emptyView),
        0, Qt::AlignHCenter);
    column->addLayout(texts);
    m_refreshButton = new QPushButton(QStringLiteral("Refresh"), m_emptyView);
    column->addWidget(m_refreshButton, 0, Qt::AlignHCenter);
    column->addStretch(1);
    return m_emptyView;
}

QWidget* DisplaysPage::buildTableView() {
    m_tableArea = new QScrollArea(this);
    m_tableArea->setFrameShape(QFrame::NoFrame);
    m_tableArea->setFocusPolicy(Qt::NoFocus);
    m_tableArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_tableArea->setWidgetResizable(true);
    m_tableArea->viewport()->setAutoFillBackground(false);
    m_tableView = new QWidget(m_tableArea);
    auto* column = new QVBoxLayout(m_tableView);
    column->setSpacing(12);
    column->setContentsMargins(24, 24, 24, 24);

    m_tableCard = new CardFrame(12, m_tableView);
    auto* lines = new QVBoxLayout(m_tableCard);
    lines->setSpacing(0);
    lines->setContentsMargins(0, 0, 0, 0);
    lines->addWidget(buildHeaderLine());
    lines->addWidget(buildAllDisplaysLine());
    m_rows = new DisplayRowList(
        m_queue, [this](const Display& display) { return rowCallbacks(display); }, m_tableCard,
        DisplayRowContext::settings);
    m_rowArea = new QScrollArea(m_tableCard);
    m_rowArea->setFrameShape(QFrame::NoFrame);
    m_rowArea->setFocusPolicy(Qt::NoFocus);  // its rows' controls take the focus, not the area
    m_rowArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_rowArea->setWidgetResizable(true);
    m_rowArea->setWidget(m_rows);
    // Over the card's rows, so that the levels and switches stay under their headings when the rows
    // scroll.
    auto* scrollIndicator = new OverlayScrollBar(*m_rowArea);
    // The rows' dividers depend on where the visible part ends, so a scroll redraws them all.
    connect(scrollIndicator, &QScrollBar::valueChanged, m_rows, qOverload<>(&QWidget::update));
    // After `setWidget`, which turns it on: the card's own background shows through.
    m_rows->setAutoFillBackground(false);
    m_rowArea->viewport()->setAutoFillBackground(false);
    m_reorderer = new RowReorderer(
        *m_rows, [this](const RowMove& move) { m_manager.moveDisplays(move.fromOffsets, move.toOffset); },
        m_rowArea);
    lines->addWidget(m_rowArea, 1);
    column->addWidget(m_tableCard);

    m_errorBanner = new ErrorBanner(m_tableView);
    column->addWidget(m_errorBanner);
    column->addStretch(1);
    m_tableArea->setWidget(m_tableView);
    return m_tableArea;
}

QWidget* DisplaysPage::buildHeaderLine() {
    auto* line = new QWidget(this);
    auto* row = columnsLayout(line, 8);
    const QFont font = Theme::font(Theme::TextStyle::caption, QFont::Medium);
    const QColor color = Theme::secondary(*this);
    auto* name = Theme::label(QStringLiteral("Display"), font, color, line);
    name->setFixedWidth(nameColumn);
    auto* level = Theme::label(QStringLiteral("Level"), font, color, line);
    level->setFixedWidth(levelColumn);
    level->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* connection = Theme::label(QStringLiteral("Connection"), font, color, line);
    connection->setFixedWidth(switchColumn);
    connection->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    row->addWidget(name);
    row->addWidget(Theme::label(QStringLiteral("Brightness"), font, color, line), 1);
    row->addWidget(level);
    row->addWidget(connection);
    return line;
}

QWidget* DisplaysPage::buildAllDisplaysLine() {
    auto* line = new TintedLine(this);
    auto* row = columnsLayout(line, 11);
    auto* title = new PlainButton(QStringLiteral("sun.max.fill"), QStringLiteral("All displays"),
                                  Theme::font(Theme::TextStyle::callout, QFont::DemiBold), line);
    title->setTextColor(Theme::accent(*this));
    title->setAttribute(Qt::WA_TransparentForMouseEvents);
    title->setFocusPolicy(Qt::NoFocus);
    auto* titleCell = new QWidget(line);
    titleCell->setFixedWidth(nameColumn);
    auto* titleLayout = new QHBoxLayout(titleCell);
    titleLayout->setContentsMargins(0, 0, 0, 0);
    titleLayout->addWidget(title);
    titleLayout->addStretch(1);

    m_allSlider = new ContinuousSlider(line);
    m_allSlider->setAccessibleName(QStringLiteral("Brightness for all displays"));
    m_allLevel = Theme::label(QString(), Theme::font(Theme::TextStyle::caption, QFont::DemiBold),
                              Theme::secondary(*this), line);
    m_allLevel->setFixedWidth(levelColumn);
    m_allLevel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    row->addWidget(titleCell);
    row->addWidget(m_allSlider, 1);
    row->addWidget(m_allLevel);
    // A spacer takes no spacing of its own next to it, so the column gap is added here.
    row->addSpacing(columnSpacing + switchColumn);
    return line;
}

DisplayRowCallbacks DisplaysPage::rowCallbacks(const Display& display) {
    return managerRowCallbacks(m_manager, display.hardwareID, RowRenaming::offered);
}

QString DisplaysPage::allDisplaysLevelText() const {
    return m_allLevel->text();
}

void DisplaysPage::render() {
    m_content = DisplaysPageContent(m_manager.hasLoaded(), m_manager.visibleDisplays());
    switch (m_content.state()) {
        case PopoverContentState::loading:
            m_states->setCurrentWidget(m_loadingView);
            break;
        case PopoverContentState::empty:
            m_states->setCurrentWidget(m_emptyView);
            break;
        case PopoverContentState::list:
            m_states->setCurrentWidget(m_tableArea);
            break;
    }
    m_rows->setDisplays(m_content.shownDisplays());
    m_reorderer->watchRows();
    const auto& message = m_manager.lastErrorMessage();
    m_errorBanner->setVisible(message.has_value());
    if (message) m_errorBanner->setMessage(QString::fromStdString(*message));
    fitTableCard();
    renderAllDisplays();
}

// The card keeps its own height where the window has room for it; otherwise it takes what the page
// leaves it under the padding and the banner, and its rows scroll.
void DisplaysPage::fitTableCard() {
    const QLayout& column = *m_tableView->layout();
    const QMargins padding = column.contentsMargins();
    int room = height() - padding.top() - padding.bottom();
    if (!m_errorBanner->isHidden()) {
        const int width = this->width() - padding.left() - padding.right();
        room -= column.spacing() + (m_errorBanner->hasHeightForWidth() ? m_errorBanner->heightForWidth(width)
                                                                       : m_errorBanner->sizeHint().height());
    }
    m_tableCard->setFixedHeight(m_content.tableHeight(room));
}

void DisplaysPage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitTableCard();
}

void DisplaysPage::renderAllDisplays() {
    const int level = m_globalBrightness.shownLevel();
    m_allSlider->setEnabled(m_content.isAllDisplaysEnabled());
    m_allSlider->setPosition(m_globalBrightness.globalBrightness());
    m_allSlider->setToolTip(QString::fromStdString(m_content.allDisplaysTooltip()));
    m_allSlider->setAccessibleValue(QString::fromStdString(m_content.allDisplaysSpokenValue(level)));
    m_allLevel->setText(QString::fromStdString(m_content.allDisplaysLevelText(level)));
}

void DisplaysPage::syncGlobalBrightness() {
    m_globalBrightness.sync(m_content.controllableDisplays());
    renderAllDisplays();
}

}  // namespace lumadesk
