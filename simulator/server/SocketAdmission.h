#pragma once
// A listener's ConnectionAdmission applied to its sockets: admits each
// accepted socket by its peer's address, closes the one it picks to make
// room, and forgets a socket when it goes.
//
// Ids are the sockets' addresses, forgotten when a socket is destroyed and
// so never confused with a later one. Main thread only.

#include "ConnectionAdmission.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>

class QTcpSocket;

class SocketAdmission : public QObject
{
    Q_OBJECT
public:
    // Set (true) on a socket closed to make room, so that its owner's log
    // tells it from a peer that left.
    static constexpr const char *kEvicted = "tvEvictedForRoom";

    SocketAdmission(int maxConnections, int loginTimeoutMs, QObject *parent = nullptr);

    // The login deadline in ms for an admitted socket, or -1 for one turned
    // away (the caller still owns it).
    int admit(QTcpSocket *socket);
    // The socket's first bytes have come: it is no longer idle.
    void progressed(const QTcpSocket *socket);
    void loggedIn(const QTcpSocket *socket);

private:
    void forget(quintptr id);

    ConnectionAdmission m_admission;
    QElapsedTimer m_clock;
    QHash<quintptr, QTcpSocket *> m_sockets; // admitted and not yet destroyed
};
