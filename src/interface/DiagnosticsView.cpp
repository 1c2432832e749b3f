#include "interface/DiagnosticsView.h"

#include "interface/DisplayManagerSignals.h"
#include "interface/Divider.h"
#include "interface/SymbolView.h"
#include "interface/Theme.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedLayout>
#include <QVBoxLayout>

#include <memory>
#include <utility>

namespace lumadesk {

namespace {

QFont monospaced(int pixelSize) {
    QFont font = Theme::systemFont(pixelSize);
    font.setFamily(QStringLiteral("monospace"));
    font.setStyleHint(QFont::Monospace);
    return font;
}

// The 7-point status dot of a record.
class StatusDot : public QWidget {
public:
    StatusDot(QColor color, QWidget* parent) : QWidget(parent), m_color(std::move(color)) {
        setFixedSize(7, 7);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(m_color);
        painter.drawEllipse(rect());
    }

private:
    QColor m_color;
};

}  // namespace

DiagnosticsView::DiagnosticsView(DisplayManager& manager, QWidget* parent, PlatformStatus platform)
    : QDialog(parent),
      m_manager(manager),
      m_platform(std::move(platform)),
      m_signals(new DisplayManagerSignals(manager, this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Display Diagnostics"));
    setWindowModality(Qt::WindowModal);
    setFixedSize(sheetWidth, sheetHeight);
    auto* column = new QVBoxLayout(this);
    column->setSpacing(0);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(buildHeader());
    column->addWidget(new Divider(this));
    auto* body = new QWidget(this);
    m_body = new QStackedLayout(body);
    m_body->addWidget(buildEmptyState());
    auto* scroll = new QScrollArea(body);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list = new QWidget(scroll);
    m_listLayout = new QVBoxLayout(m_list);
    m_listLayout->setSpacing(0);
    scroll->setWidget(m_list);
    m_body->addWidget(scroll);
    column->addWidget(body, 1);
    m_platformLines = Theme::label(QString(), monospaced(10), Theme::secondary(*this), this);
    m_platformLines->setWordWrap(true);
    m_platformLines->setContentsMargins(18, 8, 18, 8);
    m_platformLines->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    column->addWidget(m_platformLines);
    column->addWidget(new Divider(this));
    column->addWidget(buildFooter());

    connect(m_signals, &DisplayManagerSignals::displaysChanged, this, &DiagnosticsView::render);
    connect(m_signals, &DisplayManagerSignals::disconnectedDisplayIDsChanged, this, &DiagnosticsView::render);
    m_refreshes = manager.subscribeToLastRefreshTime([this](const auto&) { render(); });
    render();
}

QWidget* DiagnosticsView::buildHeader() {
    auto* header = new QWidget(this);
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(18, 18, 18, 18);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(Theme::label(QStringLiteral("Display Diagnostics"),
                                  Theme::systemFont(13, QFont::DemiBold), Theme::primary(*this), header));
    texts->addWidget(Theme::label(QStringLiteral("Hardware details used to identify and restore displays."),
                                  Theme::font(Theme::TextStyle::caption), Theme::secondary(*this), header));
    row->addLayout(texts);
    row->addStretch(1);
    m_doneButton = new QPushButton(QStringLiteral("Done"), header);
    m_doneButton->setDefault(true);
    m_doneButton->setAutoDefault(true);
    connect(m_doneButton, &QPushButton::clicked, this, &QDialog::accept);
    row->addWidget(m_doneButton);
    return header;
}

QWidget* DiagnosticsView::buildEmptyState() {
    m_emptyState = new QWidget(this);
    auto* column = new QVBoxLayout(m_emptyState);
    column->setSpacing(8);
    column->addStretch(1);
    const int side = Theme::symbolSize(28);
    auto* symbol = new SymbolView(QStringLiteral("display.trianglebadge.exclamationmark"), side,
                                  QSize(side, side), m_emptyState);
    symbol->setColor(Theme::secondary(*this));
    column->addWidget(symbol, 0, Qt::AlignHCenter);
    column->addWidget(
        Theme::label(QStringLiteral("No Display Records"), Theme::systemFont(15, QFont::DemiBold),
                     Theme::primary(*this), m_emptyState),
        0, Qt::AlignHCenter);
    column->addWidget(
        Theme::label(QStringLiteral("Refresh displays and try again."),
                     Theme::font(Theme::TextStyle::callout), Theme::secondary(*this), m_emptyState),
        0, Qt::AlignHCenter);
    column->addStretch(1);
    return m_emptyState;
}

QWidget* DiagnosticsView::buildFooter() {
    auto* footer = new QWidget(this);
    auto* row = new QHBoxLayout(footer);
    row->setContentsMargins(14, 14, 14, 14);
    m_footer =
        Theme::label(QString(), Theme::font(Theme::TextStyle::caption), Theme::secondary(*this), footer);
    m_copyButton = new QPushButton(QStringLiteral("Copy Diagnostics"), footer);
    m_copyButton->setAutoDefault(false);
    connect(m_copyButton, &QPushButton::clicked, this, &DiagnosticsView::copyDiagnostics);
    row->addWidget(m_footer);
    row->addStretch(1);
    row->addWidget(m_copyButton);
    return footer;
}

QWidget* DiagnosticsView::buildRow(const DiagnosticsContent::Row& record, QWidget* parent) const {
    auto* line = new QWidget(parent);
    auto* row = new QHBoxLayout(line);
    row->setSpacing(12);
    row->setContentsMargins(18, 8, 18, 8);
    QColor inactive = Theme::secondary(*this);
    inactive.setAlphaF(inactive.alphaF() * 0.55f);
    auto* dot = new StatusDot(record.isActive ? Theme::green() : inactive, line);
    dot->setToolTip(QString::fromStdString(record.dotTooltip));
    auto* dotCell = new QVBoxLayout;
    dotCell->setContentsMargins(0, 5, 0, 0);
    dotCell->addWidget(dot);
    dotCell->addStretch(1);
    row->addLayout(dotCell);

    auto* facts = new QVBoxLayout;
    facts->setSpacing(3);
    facts->addWidget(Theme::label(QString::fromStdString(record.name),
                                  Theme::font(Theme::TextStyle::callout, QFont::Medium),
                                  Theme::primary(*this), line));
    facts->addWidget(Theme::label(QString::fromStdString(record.modelName),
                                  Theme::font(Theme::TextStyle::caption), Theme::secondary(*this), line));
    auto* hardwareID =
        Theme::label(QString::fromStdString(record.hardwareID), monospaced(10), Theme::tertiary(*this), line);
    hardwareID->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    facts->addWidget(hardwareID);
    row->addLayout(facts, 1);

    auto* states = new QVBoxLayout;
    states->setSpacing(1);
    for (const auto* text :
         {&record.displayIDText, &record.managedText, &record.presentText, &record.ddcText}) {
        auto* label =
            Theme::label(QString::fromStdString(*text), monospaced(10), Theme::secondary(*this), line);
        label->setAlignment(Qt::AlignRight);
        states->addWidget(label);
    }
    row->addLayout(states);
    return line;
}

QString DiagnosticsView::footerText() const {
    return m_footer->text();
}

QString DiagnosticsView::platformText() const {
    return m_platformLines->isVisibleTo(this) ? m_platformLines->text() : QString();
}

bool DiagnosticsView::showsEmptyState() const {
    return m_body->currentWidget() == m_emptyState;
}

void DiagnosticsView::render() {
    m_content = DiagnosticsContent(m_manager.displays(), m_manager.visibleDisplays(), m_platform.facts());
    while (std::unique_ptr<QLayoutItem> item{m_listLayout->takeAt(0)}) {
        if (auto* widget = item->widget()) widget->deleteLater();
    }
    for (const auto& row : m_content.rows()) m_listLayout->addWidget(buildRow(row, m_list));
    m_listLayout->addStretch(1);
    m_body->setCurrentIndex(m_content.records().empty() ? 0 : 1);
    QStringList blocks;
    for (const auto& lines : {m_content.platformLines(), m_content.replyWaitLines()}) {
        QStringList block;
        for (const auto& line : lines) block << QString::fromStdString(line);
        if (!block.isEmpty()) blocks << block.join(QLatin1Char('\n'));
    }
    m_platformLines->setText(blocks.join(QStringLiteral("\n\n")));
    m_platformLines->setVisible(!blocks.isEmpty());
    m_footer->setText(QString::fromStdString(m_content.footerText()));
    m_copyButton->setEnabled(m_content.canCopy());
}

void DiagnosticsView::copyDiagnostics() const {
    if (!m_content.canCopy()) return;
    const QString text = QString::fromStdString(m_content.copiedText());
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear(QClipboard::Clipboard);
    clipboard->setText(text, QClipboard::Clipboard);
    if (clipboard->supportsSelection()) clipboard->setText(text, QClipboard::Selection);
}

}  // namespace lumadesk
