#include "RunLoop.h"

#include <QCoreApplication>
#include <QTimer>

int RunLoop::untilExit(int timeoutMs)
{
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, [] { QCoreApplication::exit(kTimedOut); });
    timeout.start(timeoutMs);
    return QCoreApplication::exec();
}
