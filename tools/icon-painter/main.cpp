// icon-painter <source root>: redraws the shipped icons in place.
#include "IconPainter.h"

#include <QGuiApplication>
#include <cstdio>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: icon-painter <source root>\n");
        return 2;
    }
    QString error;
    if (!IconPainter::writeAll(QString::fromLocal8Bit(argv[1]), error)) {
        std::fprintf(stderr, "icon-painter: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
