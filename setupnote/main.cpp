// Setupnote: run at the end of the installation to tell the user that the product is installed.
// It reads no arguments (but --help and --version, as every program here) and ends when its
// window is closed.

#include "Live.h"

#include <QApplication>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs("Usage: setupnote\n"
                   "Shows the notice that Tallyvane is installed; ends when it is closed.\n"
                   "  -h, --help     show this help and end\n"
                   "  -v, --version  show the version and end\n",
                   stdout);
        return 0;
    }
    if (argc == 2 && (std::strcmp(argv[1], "--version") == 0 || std::strcmp(argv[1], "-v") == 0)) {
        std::printf("setupnote %s\n", TALLYVANE_VERSION);
        return 0;
    }
    QApplication app(argc, argv);
    auto* live = new Live;
    live->show();
    return app.exec();
}
