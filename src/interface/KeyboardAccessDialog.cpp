#include "interface/KeyboardAccessDialog.h"

#include "interface/AppInfo.h"
#include "interface/SymbolView.h"
#include "interface/Theme.h"

#include <QClipboard>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace lumadesk {

KeyboardAccessDialog::KeyboardAccessDialog(const std::vector<KeyboardAccessStep>& steps, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Keyboard Access"));
    setWindowIcon(AppInfo::applicationIcon());
    auto* row = new QHBoxLayout(this);
    row->setSpacing(16);
    row->setContentsMargins(20, 20, 20, 16);
    const int side = Theme::symbolSize(34);
    auto* symbol =
        new SymbolView(QStringLiteral("keyboard.badge.exclamationmark"), side, QSize(side, side), this);
    symbol->setColor(Theme::orange());
    row->addWidget(symbol, 0, Qt::AlignTop);

    auto* column = new QVBoxLayout;
    column->setSpacing(10);
    column->addWidget(Theme::label(QStringLiteral("Keyboard access required"),
                                   Theme::systemFont(13, QFont::DemiBold), Theme::primary(*this), this));
    for (const auto& step : steps) {
        auto* explanation = Theme::label(QString::fromStdString(step.explanation),
                                         Theme::font(Theme::TextStyle::callout), Theme::primary(*this), this);
        explanation->setTextFormat(Qt::PlainText);
        explanation->setWordWrap(true);
        explanation->setMinimumWidth(340);
        m_explanations.push_back(explanation);
        column->addWidget(explanation);
        if (step.command.empty()) continue;

        auto* commandLine = new QHBoxLayout;
        commandLine->setSpacing(8);
        auto* command = new QLineEdit(QString::fromStdString(step.command), this);
        command->setReadOnly(true);
        command->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        command->setAccessibleName(QStringLiteral("Command to run in a terminal"));
        auto* copy = new QPushButton(QStringLiteral("Copy"), this);
        copy->setAutoDefault(false);
        connect(copy, &QPushButton::clicked, this,
                [text = command->text()] { QGuiApplication::clipboard()->setText(text); });
        commandLine->addWidget(command, 1);
        commandLine->addWidget(copy);
        column->addLayout(commandLine);
        m_commands.push_back(command);
        m_copyButtons.push_back(copy);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    column->addSpacing(4);
    column->addWidget(buttons);
    row->addLayout(column);
}

QStringList KeyboardAccessDialog::explanations() const {
    QStringList texts;
    for (const auto* label : m_explanations) texts << label->text();
    return texts;
}

}  // namespace lumadesk
