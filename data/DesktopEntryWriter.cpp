#include <iostream>

#include "intents/DesktopEntry.h"

// Writes lumadesk.desktop for the installed program, whose path is the one argument.
int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: lumadesk-desktop-entry PROGRAM\n";
        return 2;
    }
    std::cout << lumadesk::desktopEntry(argv[1]);
    return 0;
}
