#include "FuzzApp.h"

#include <QApplication>

#include <cstdlib>

void FuzzApp::ensure()
{
    if (QCoreApplication::instance())
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    new QApplication(argc, argv); // lives until the process ends
}
