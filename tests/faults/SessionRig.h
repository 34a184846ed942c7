#pragma once
// What the fault tests share: a whole client session in this process (the
// login dialog's silent login, then the main window and its stream), and a
// record of every Config.ini value so that a test can tell what changed.
// GUI thread only.

#include <QElapsedTimer>
#include <QMap>
#include <QString>
#include <QVariant>

class CTelvane;

class SessionRig
{
public:
    // Binds the real SDK libraries from the application directory.
    static bool bindSdks(QString &error);
    // Logs in silently to a recorder on loopback and starts the stream.
    static bool openSession(quint16 port, CTelvane &window);
    // Runs the event loop until the program ends its run, or -99 after
    // timeoutMs; `elapsedMs` is how long that took.
    static int runUntilExit(int timeoutMs, qint64 &elapsedMs);
    // Every key and value of the Config.ini in use.
    static QMap<QString, QVariant> storedValues();
    // The Config.ini a user who saved a login would have.
    static QByteArray savedUserConfig();
};
