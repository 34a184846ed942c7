#include "SocketAdmission.h"

#include <QTcpSocket>

SocketAdmission::SocketAdmission(int maxConnections, int loginTimeoutMs, QObject *parent)
    : QObject(parent), m_admission(ConnectionAdmission::limitsFor(maxConnections, loginTimeoutMs))
{
    m_clock.start();
}

int SocketAdmission::admit(QTcpSocket *socket)
{
    const auto id = quintptr(socket);
    const ConnectionAdmission::Verdict verdict =
        m_admission.admit(id, socket->peerAddress(), m_clock.elapsed());
    if (!verdict.admitted)
        return -1;
    if (QTcpSocket *evicted = m_sockets.take(verdict.evict)) {
        evicted->setProperty(kEvicted, true);
        evicted->abort(); // its owner sees it disconnect and lets it go
    }
    m_sockets.insert(id, socket);
    connect(socket, &QObject::destroyed, this, [this, id] { forget(id); });
    return verdict.loginDeadlineMs;
}

void SocketAdmission::progressed(const QTcpSocket *socket)
{
    m_admission.progressed(quintptr(socket));
}

void SocketAdmission::loggedIn(const QTcpSocket *socket)
{
    m_admission.loggedIn(quintptr(socket));
}

void SocketAdmission::forget(quintptr id)
{
    m_sockets.remove(id);
    m_admission.closed(id);
}
