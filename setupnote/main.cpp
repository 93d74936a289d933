// Setupnote: run at the end of the installation to tell the user that the product is installed.
// It reads no arguments and ends when its window is closed.

#include "Live.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    auto* live = new Live;
    live->show();
    return app.exec();
}
