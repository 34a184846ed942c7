#pragma once
// The small P2P service: answers a serial number with the address of the
// recorder that has it, or -11307 for a serial it does not know. One query
// per connection, which must come within the query deadline. At most
// maxConnections are open at once, and each source address may hold only a
// few of them (SocketAdmission, as for the recorder); more are closed as
// they arrive, so a flood of idle connections costs a bounded number of
// descriptors and cannot keep other sources out. Accepting
// goes through PacedAcceptor, as for the recorder, so that a shortage of
// descriptors does not spin the main thread.

#include "LogBudget.h"
#include "SocketAdmission.h"

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTcpServer>

#include <cstdint>

class QTcpSocket;
class WireChannel;

class P2PService : public QObject
{
    Q_OBJECT
public:
    static constexpr std::uint32_t kMaxQueryBody = 1024;
    static constexpr int kLogBurst = 100; // lines
    static constexpr int kLogPerSecond = 20;

    P2PService(const QString &serial, const QHostAddress &recorderAddress, quint16 recorderPort,
               int queryTimeoutMs, int maxConnections, QObject *parent = nullptr);
    bool listen(const QHostAddress &address, quint16 port, QString &error);
    quint16 port() const { return m_server.serverPort(); }
    QHostAddress address() const { return m_server.serverAddress(); }

private:
    bool serve(QTcpSocket *socket);
    void answer(QTcpSocket *socket, WireChannel &channel);
    void log(const QString &line, bool error);

    QString m_serial;
    QHostAddress m_recorderAddress;
    quint16 m_recorderPort;
    SocketAdmission m_admission;
    LogBudget m_logBudget{kLogBurst, kLogPerSecond, nullptr}; // the whole service's
    QTcpServer m_server;
};
