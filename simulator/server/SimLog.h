#pragma once
// The simulator's readable event log, on standard error, one line per event.

#include <QString>

class SimLog
{
public:
    static void info(const QString &line);
    static void error(const QString &line);
};
