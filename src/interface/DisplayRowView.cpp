#include "interface/DisplayRowView.h"

#include "interface/ConnectionStatusView.h"
#include "interface/ContinuousSlider.h"
#include "interface/ElidedLabel.h"
#include "interface/PlainButton.h"
#include "interface/SymbolView.h"
#include "interface/Theme.h"
#include "interface/ToggleSwitch.h"
#include "interface/logic/BrightnessLevel.h"
#include "interface/logic/ConnectionStatus.h"
#include "interface/logic/DisplayPresentation.h"
#include "runtime/Spawn.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QVBoxLayout>

#include <functional>
#include <utility>

namespace lumadesk {

namespace {

constexpr int iconSide = 28;

// Awaits a brightness write, whatever its outcome, then reports that it settled.
Task<void> writeThenSettle(Task<void> write, std::function<void()> settled) {
    try {
        co_await std::move(write);
    } catch (...) {
        // A failed write is reported by the owner; the slider only needs to know it is over.
    }
    settled();
}

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

QLabel* makeLabel(const QFont& font, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setFont(font);
    label->setTextFormat(Qt::PlainText);
    return label;
}

ElidedLabel* makeNameLabel(QWidget* parent) {
    auto* label = new ElidedLabel(parent);
    label->setFont(Theme::font(Theme::TextStyle::callout, QFont::Medium));
    return label;
}

void setTextColor(QLabel& label, const QColor& color) {
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, color);
    label.setPalette(palette);
}

}  // namespace

DisplayRowView::DisplayRowView(Display display, DisplayRowContext context, DisplayRowCallbacks callbacks,
                               MainQueue& queue, QWidget* parent)
    : QWidget(parent),
      m_display(std::move(display)),
      m_context(context),
      m_callbacks(std::move(callbacks)),
      m_queue(queue),
      m_slider(m_display.brightness),
      m_connection(queue, [this] { refresh(); }),
      m_rename(context) {
    if (m_context == DisplayRowContext::popover) {
        buildPopoverLayout();
    } else {
        buildSettingsLayout();
    }
    nameParts();
    connectControls();
    refresh();
}

// Names for the parts, so that tests and style sheets can find them.
void DisplayRowView::nameParts() {
    const std::pair<QObject*, const char*> parts[] = {
        {m_icon, "icon"},
        {m_dragHandle, "dragHandle"},
        {m_nameLabel, "name"},
        {m_modelNameLabel, "modelName"},
        {m_renameButton, "renameButton"},
        {m_nameBlock, "nameBlock"},
        {m_nameField, "nameField"},
        {m_status, "connectionStatus"},
        {m_switch, "connectionSwitch"},
        {m_sliderLine, "sliderLine"},
        {m_brightnessSlider, "brightnessSlider"},
        {m_levelLabel, "level"},
    };
    for (const auto& [part, name] : parts) {
        if (part) part->setObjectName(QString::fromLatin1(name));
    }
}

void DisplayRowView::buildPopoverLayout() {
    auto* column = new QVBoxLayout(this);
    column->setSpacing(8);
    column->setContentsMargins(14, 9, 14, 9);

    auto* topLine = new QHBoxLayout;
    topLine->setSpacing(9);
    m_icon =
        new SymbolView(QString(), static_cast<int>(iconSide * 0.43 * 1.2), QSize(iconSide, iconSide), this);
    m_nameLabel = makeNameLabel(this);
    m_nameLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_status = new ConnectionStatusView(this);
    m_switch = new ToggleSwitch(this);
    topLine->addWidget(m_icon);
    topLine->addWidget(m_nameLabel, 1);
    topLine->addSpacing(8);
    topLine->addWidget(m_status);
    topLine->addWidget(m_switch);
    column->addLayout(topLine);

    m_sliderLine = new QWidget(this);
    m_sliderLine->setFixedHeight(16);
    auto* sliderLine = new QHBoxLayout(m_sliderLine);
    sliderLine->setSpacing(9);
    sliderLine->setContentsMargins(0, 0, 0, 0);
    auto* sun = new SymbolView(QStringLiteral("sun.min"), Theme::symbolSize(Theme::TextStyle::caption),
                               QSize(14, 16), m_sliderLine);
    sun->setColor(Theme::secondary(*this));
    m_brightnessSlider = new ContinuousSlider(m_sliderLine);
    m_levelLabel = makeLabel(Theme::font(Theme::TextStyle::caption2, QFont::Medium), m_sliderLine);
    m_levelLabel->setFixedWidth(30);
    m_levelLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setTextColor(*m_levelLabel, Theme::secondary(*this));
    sliderLine->addWidget(sun);
    sliderLine->addWidget(m_brightnessSlider, 1);
    sliderLine->addWidget(m_levelLabel);
    column->addWidget(m_sliderLine);
}

void DisplayRowView::buildSettingsLayout() {
    setAttribute(Qt::WA_Hover);
    auto* row = new QHBoxLayout(this);
    row->setSpacing(12);
    row->setContentsMargins(2, 11, 2, 11);

    auto* nameCell = new QWidget(this);
    nameCell->setFixedWidth(250);
    auto* nameLine = new QHBoxLayout(nameCell);
    nameLine->setSpacing(8);
    nameLine->setContentsMargins(0, 0, 0, 0);
    m_dragHandle = new SymbolView(QStringLiteral("line.3.horizontal"),
                                  Theme::symbolSize(Theme::TextStyle::caption2), QSize(12, 12), nameCell);
    m_dragHandle->setColor(Theme::tertiary(*this));
    m_status = new ConnectionStatusView(nameCell);
    m_nameField = new QLineEdit(nameCell);
    m_nameField->setPlaceholderText(QStringLiteral("Display name"));
    m_nameField->setFont(Theme::font(Theme::TextStyle::callout));
    m_nameField->installEventFilter(this);
    m_nameField->hide();
    nameLine->addWidget(m_dragHandle);
    nameLine->addWidget(m_status);
    nameLine->addWidget(buildNameBlock(), 1);
    nameLine->addWidget(m_nameField, 1);
    row->addWidget(nameCell);

    m_brightnessSlider = new ContinuousSlider(this);
    row->addWidget(m_brightnessSlider, 1);

    m_levelLabel = makeLabel(Theme::font(Theme::TextStyle::caption, QFont::Medium), this);
    m_levelLabel->setFixedWidth(52);
    m_levelLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setTextColor(*m_levelLabel, Theme::secondary(*this));
    row->addWidget(m_levelLabel);

    auto* switchCell = new QWidget(this);
    switchCell->setFixedWidth(86);
    auto* switchLine = new QHBoxLayout(switchCell);
    switchLine->setContentsMargins(0, 0, 0, 0);
    m_switch = new ToggleSwitch(switchCell);
    switchLine->addStretch(1);
    switchLine->addWidget(m_switch);
    row->addWidget(switchCell);
}

QWidget* DisplayRowView::buildNameBlock() {
    m_nameBlock = new QWidget(this);
    m_nameBlock->installEventFilter(this);
    auto* block = new QVBoxLayout(m_nameBlock);
    block->setSpacing(2);
    block->setContentsMargins(0, 0, 0, 0);

    auto* nameLine = new QHBoxLayout;
    nameLine->setSpacing(5);
    m_nameLabel = makeNameLabel(m_nameBlock);
    m_renameButton = new PlainButton(QStringLiteral("pencil"), QString(),
                                     Theme::font(Theme::TextStyle::caption2), m_nameBlock);
    m_renameButton->setFixedSize(18, 18);
    m_renameButton->setTextColor(Theme::secondary(*this));
    m_renameButton->setToolTip(QStringLiteral("Rename display"));
    nameLine->addWidget(m_nameLabel);
    nameLine->addWidget(m_renameButton);
    nameLine->addStretch(1);
    block->addLayout(nameLine);

    m_modelNameLabel = makeLabel(Theme::font(Theme::TextStyle::caption2), m_nameBlock);
    setTextColor(*m_modelNameLabel, Theme::tertiary(*this));
    block->addWidget(m_modelNameLabel);
    return m_nameBlock;
}

void DisplayRowView::connectControls() {
    connect(m_brightnessSlider, &ContinuousSlider::moved, this, [this](double position) {
        if (const auto level = m_slider.moved(position)) writeBrightness(*level);
        refreshSlider();
    });
    connect(m_brightnessSlider, &ContinuousSlider::editingChanged, this, [this](bool editing) {
        m_slider.setEditing(editing);
        refreshSlider();
    });
    connect(m_switch, &ToggleSwitch::flipRequested, this, [this](bool wanted) {
        if (m_callbacks.onToggleConnection) m_connection.flip(wanted, m_callbacks.onToggleConnection);
    });
    if (m_renameButton)
        connect(m_renameButton, &QAbstractButton::clicked, this, &DisplayRowView::beginRename);
    if (m_nameField) {
        connect(m_nameField, &QLineEdit::textEdited, this,
                [this](const QString& edited) { m_rename.setDraftName(edited.toStdString()); });
        connect(m_nameField, &QLineEdit::returnPressed, this, &DisplayRowView::commitRename);
    }
}

std::vector<QWidget*> DisplayRowView::tabOrder() const {
    if (m_context == DisplayRowContext::popover) return {m_switch, m_brightnessSlider};
    return {m_renameButton, m_nameField, m_brightnessSlider, m_switch};
}

void DisplayRowView::setDisplay(Display display, DisplayRowCallbacks callbacks) {
    const bool connectionChanged = display.isConnected != m_display.isConnected;
    const bool brightnessChanged = display.brightness != m_display.brightness;
    m_display = std::move(display);
    m_callbacks = std::move(callbacks);
    if (brightnessChanged) m_slider.modelChanged(m_display.brightness);
    if (connectionChanged) m_connection.connectionChanged();
    refresh();
}

void DisplayRowView::refresh() {
    const DisplayPresentation presentation(m_display);
    const bool connected = m_display.isConnected;
    const auto requested = m_connection.requestedConnection();
    if (m_icon) {
        const QColor tint = connected ? Theme::accent(*this) : Theme::secondary(*this);
        QColor fill = tint;
        fill.setAlphaF(0.11f);
        m_icon->setSymbol(QString::fromLatin1(presentation.iconSymbol()));
        m_icon->setColor(tint);
        m_icon->setBackground(fill, iconSide * 0.28);
    }
    m_status->setStatus(ConnectionStatus(connected, requested, m_connection.connectionError()));
    // While a change runs the switch shows what the user asked for: refreshes raised by the change
    // itself (a display coming back) report the state on the way there.
    m_switch->setOn(requested.value_or(connected));
    m_switch->setBusy(m_connection.isTogglingConnection());
    m_switch->setToolTip(text(presentation.connectionSwitchLabel()));
    m_switch->setAccessibleName(text(presentation.connectionSwitchLabel()));
    refreshName();
    refreshSlider();
}

void DisplayRowView::refreshName() {
    const DisplayPresentation presentation(m_display);
    m_nameLabel->setFullText(text(presentation.name()));
    setTextColor(*m_nameLabel, m_display.isConnected ? Theme::primary(*this) : Theme::secondary(*this));
    if (m_context != DisplayRowContext::settings) return;
    m_modelNameLabel->setText(text(m_display.modelName));
    m_modelNameLabel->setVisible(presentation.showsModelName());
    m_renameButton->setAccessibleName(text(presentation.renameLabel()));
    m_nameBlock->setVisible(!m_rename.isRenaming());
    m_nameField->setVisible(m_rename.isRenaming());
    m_dragHandle->setOpacity(m_isHovering ? 1.0 : 0.18);
    m_renameButton->setOpacity(m_isHovering ? 1.0 : 0.0);
}

void DisplayRowView::refreshSlider() {
    const DisplayPresentation presentation(m_display);
    const bool controllable = presentation.isControllable();
    if (!m_slider.isDragging()) m_brightnessSlider->setPosition(m_slider.position());
    m_brightnessSlider->setAccessibleName(text(presentation.sliderLabel()));
    const int level = m_slider.shownLevel();
    if (m_context == DisplayRowContext::popover) {
        m_sliderLine->setVisible(controllable);
        m_brightnessSlider->setAccessibleValue(text(percentSpoken(level)));
        m_levelLabel->setText(text(percentText(level)));
        return;
    }
    m_brightnessSlider->setEnabled(controllable);
    m_brightnessSlider->setToolTip(text(presentation.brightnessHelpText()));
    m_brightnessSlider->setAccessibleValue(
        text(controllable ? percentSpoken(level) : presentation.brightnessHelpText()));
    m_levelLabel->setText(controllable ? text(percentText(level)) : QStringLiteral("—"));
}

// The slider holds the user's value until the write has settled, so the next step starts from it and
// not from a level an earlier write left in the model.
void DisplayRowView::writeBrightness(int level) {
    if (!m_callbacks.onBrightnessChange) {
        m_slider.writeSettled();
        return;
    }
    spawn(m_queue, writeThenSettle(m_callbacks.onBrightnessChange(level), [row = QPointer(this)] {
              if (!row) return;
              row->m_slider.writeSettled();
              row->refreshSlider();
          }));
}

void DisplayRowView::beginRename() {
    if (!m_rename.begin(DisplayPresentation(m_display).name())) return;
    m_nameField->setText(text(m_rename.draftName()));
    refreshName();
    m_nameField->setFocus(Qt::OtherFocusReason);
    m_nameField->selectAll();
}

void DisplayRowView::commitRename() {
    if (!m_rename.isRenaming()) return;
    const auto name = m_rename.commit();
    refreshName();
    if (name && m_callbacks.onRename) m_callbacks.onRename(name);
}

void DisplayRowView::cancelRename() {
    m_rename.cancel();
    refreshName();
}

bool DisplayRowView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_nameBlock && event->type() == QEvent::MouseButtonDblClick) {
        beginRename();
        return true;
    }
    if (watched == m_nameField && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        cancelRename();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void DisplayRowView::enterEvent(QEnterEvent*) {
    setHovering(true);
}

void DisplayRowView::leaveEvent(QEvent*) {
    setHovering(false);
}

void DisplayRowView::setHovering(bool hovering) {
    if (m_context != DisplayRowContext::settings || hovering == m_isHovering) return;
    m_isHovering = hovering;
    refreshName();
    update();
}

void DisplayRowView::paintEvent(QPaintEvent*) {
    if (!m_isHovering) return;
    QPainter painter(this);
    painter.fillRect(rect(), Theme::primary(*this, 0.035));
}

}  // namespace lumadesk
