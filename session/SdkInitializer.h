#pragma once
// Gets the device SDK ready before any login: the P2P server (when one is
// configured), the disconnect callback, the SDK-wide switch and this
// application's identity. Runs once per process on the GUI thread.

#include "SdkDefs.h"

#include <QByteArray>
#include <QString>

class SdkInitializer
{
public:
    static void run(tvsdk::DisconnectCallback callback, void *pUser);

    // The 64-byte, zero-filled server buffer as the SDK receives it: the
    // dotted address of a host name when it resolves, else the text itself,
    // always terminated.
    static QByteArray p2pServerAddress(const QString &setting);

    // The 196-byte identity record: three 32-character lower-case
    // hexadecimal strings and the int 1.
    static QByteArray appIdentity();
};
