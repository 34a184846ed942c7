#pragma once
// The words of the simulated recorder's menus: channel names, the main
// menu's pages and the rows of their lists. All made up and fixed, so that
// pictures of the display are reproducible.

#include <QString>
#include <QStringList>

class SimMenuContent
{
public:
    static QString channelName(int channel);
    static bool channelOnline(int channel);
    static QStringList contextItems();
    static QStringList categories();
    static QStringList columns(int category);
    static int rowCount(int category);
    static QStringList row(int category, int index);
};
