#include <iostream>
#include <string>
#include <vector>

#include "app/AppCommandLine.h"
#include "app/TrayProgram.h"

#include <QApplication>

int main(int argc, char** argv) {
    if (lumadesk::AppCommandLine::asksForHelp({argv + 1, argv + argc})) {
        std::cout << lumadesk::AppCommandLine::usage();
        return 0;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lumadesk"));
    QApplication::setApplicationDisplayName(QStringLiteral("Lumadesk"));
    std::vector<std::string> arguments;
    const QStringList left = QApplication::arguments();
    for (qsizetype i = 1; i < left.size(); ++i) arguments.push_back(left[i].toStdString());
    return lumadesk::TrayProgram().run(arguments, std::cerr);
}
