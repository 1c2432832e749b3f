#include <iostream>
#include <string>
#include <vector>

#include "app/AppCommandLine.h"
#include "app/TrayProgram.h"
#include "assembly/ProgramFailures.h"
#include "runtime/QuitSignals.h"

#include <QApplication>

int main(int argc, char** argv) {
    // Before Qt starts any thread, so that every thread inherits the block.
    lumadesk::QuitSignals::block();
    const std::vector<std::string> given(argv + 1, argv + argc);
    if (lumadesk::AppCommandLine::asksForHelp(given)) {
        std::cout << lumadesk::AppCommandLine::usage();
        return lumadesk::exitDone;
    }
    if (!lumadesk::AppCommandLine::hasDesktopSession(given, lumadesk::processEnvironment)) {
        std::cerr << lumadesk::AppCommandLine::noDesktopSessionMessage;
        return lumadesk::exitFailed;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lumadesk"));
    QApplication::setApplicationDisplayName(QStringLiteral("Lumadesk"));
    std::vector<std::string> arguments;
    const QStringList left = QApplication::arguments();
    for (qsizetype i = 1; i < left.size(); ++i) arguments.push_back(left[i].toStdString());
    return lumadesk::TrayProgram().run(arguments, std::cerr);
}
