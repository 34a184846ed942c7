#pragma once
// Draws every icon the program ships, so that none of them comes from
// anywhere but this repository. Run by hand after changing a drawing; the
// PNG files it writes are committed.

#include <QImage>
#include <QString>

class IconPainter
{
public:
    static QImage appLogo(int size);
    static QImage titleLogo(int size);
    static QImage close(int size);
    static QImage maximise(int size);
    static QImage minimise(int size);
    static QImage restore(int size);
    static QImage logout(int size);
    static QImage refresh(int size);
    static QImage chevron(int size, bool up);
    static QImage check(int size);
    // The same chevron in the text colour, for light fields.
    static QImage darkChevron(int size);

    // Writes the skin icons and the embedded images under the source root.
    static bool writeAll(const QString &sourceRoot, QString &error);
};
