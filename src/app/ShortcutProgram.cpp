#include "app/ShortcutProgram.h"

#include <memory>
#include <sstream>

#include "cli/ActionCommand.h"
#include "cli/CtlProgram.h"
#include "intents/ConnectionState.h"
#include "intents/DisplayIntents.h"
#include "runtime/BlockingMainQueue.h"
#include "runtime/Sleeper.h"
#include "runtime/SystemClock.h"

#include <QComboBox>
#include <QDBusInterface>
#include <QDBusReply>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>

namespace lumadesk {

namespace {

constexpr const char* programName = "lumadesk";

// The dialog that asks for the parameters; false when the user cancels or there is nothing to pick.
bool askForParameters(const DisplayActionInfo& action, const std::vector<DisplayEntity>& displays,
                      DisplayActionRequest& request) {
    QDialog dialog;
    dialog.setWindowTitle(
        QString::fromUtf8(action.description.title.data(), action.description.title.size()));
    auto* form = std::make_unique<QFormLayout>(&dialog).release();
    auto* display = std::make_unique<QComboBox>().release();
    for (const DisplayEntity& entity : displays) {
        display->addItem(QString::fromStdString(entity.displayName),
                         QString::fromStdString(entity.hardwareID));
    }
    form->addRow(QStringLiteral("Display"), display);
    auto* level = std::make_unique<QSpinBox>().release();
    level->setRange(SetBrightnessIntent::minimumLevel, SetBrightnessIntent::maximumLevel);
    level->setValue(50);
    level->setSuffix(QStringLiteral("%"));
    if (action.takes(ActionOperand::level)) form->addRow(QStringLiteral("Level"), level);
    auto* state = std::make_unique<QComboBox>().release();
    for (const ConnectionState option : allConnectionStates) {
        state->addItem(QString::fromUtf8(title(option).data(), title(option).size()));
    }
    if (action.takes(ActionOperand::state)) {
        form->addRow(QString::fromUtf8(connectionStateTypeName.data(), connectionStateTypeName.size()),
                     state);
    }
    auto* buttons =
        std::make_unique<QDialogButtonBox>(QDialogButtonBox::Ok | QDialogButtonBox::Cancel).release();
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    if (displays.empty()) {
        display->setEnabled(false);
        buttons->button(QDialogButtonBox::Ok)->setEnabled(false);
        display->addItem(QStringLiteral("No displays found"));
    }
    if (dialog.exec() != QDialog::Accepted) return false;
    request.hardwareID = display->currentData().toString().toStdString();
    request.level = level->value();
    request.state = allConnectionStates[state->currentIndex()];
    return true;
}

// Shows the text as a desktop notification; a message box where no notification service answers.
void show(const QString& title, const QString& text, bool failed) {
    QDBusInterface notifications(QStringLiteral("org.freedesktop.Notifications"),
                                 QStringLiteral("/org/freedesktop/Notifications"),
                                 QStringLiteral("org.freedesktop.Notifications"));
    if (notifications.isValid()) {
        const QDBusReply<uint> reply =
            notifications.call(QStringLiteral("Notify"), QStringLiteral("Lumadesk"), 0u,
                               QStringLiteral("lumadesk"), title, text, QStringList(), QVariantMap(), -1);
        if (reply.isValid()) return;
    }
    if (failed) {
        QMessageBox::warning(nullptr, title, text);
    } else {
        QMessageBox::information(nullptr, title, text);
    }
}

}  // namespace

int ShortcutProgram::run(const DisplayActionInfo& action, const PlatformArguments& platform,
                         std::ostream& err) {
    SystemClock clock;
    SystemSleeper sleeper;
    BlockingMainQueue queue(clock);
    const EnvironmentLookup environment = processEnvironment;
    ActionCommand command(queue, sleeper, environment, ActionCommand::callTimeout, programName);
    const QString title = QString::fromUtf8(action.description.title.data(), action.description.title.size());

    CtlInvocation invocation;
    static_cast<PlatformArguments&>(invocation) = platform;
    invocation.command = CtlInvocation::Command::action;
    invocation.action.kind = action.kind;
    if (action.needsDisplay()) {
        std::ostringstream problems;
        const auto displays = command.displays(platform, problems);
        if (!askForParameters(action, displays, invocation.action)) return 0;
    }
    std::ostringstream out;
    std::ostringstream failure;
    const int status = command.run(invocation, out, failure);
    std::string text = status == 0 ? out.str() : failure.str();
    if (status != 0) {
        err << text;
        text.erase(0, std::string(programName).size() + 2);
    }
    while (!text.empty() && text.back() == '\n') text.pop_back();
    show(title, QString::fromStdString(text), status != 0);
    return status;
}

}  // namespace lumadesk
