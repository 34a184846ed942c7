#pragma once
// The small P2P service: answers a serial number with the address of the
// recorder that has it, or -11307 for a serial it does not know. One query
// per connection, which must come within the query deadline.

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTcpServer>

#include <cstdint>

class P2PService : public QObject
{
    Q_OBJECT
public:
    static constexpr int kAcceptRetryMs = 100;
    static constexpr std::uint32_t kMaxQueryBody = 1024;

    P2PService(const QString &serial, const QHostAddress &recorderAddress, quint16 recorderPort,
               int queryTimeoutMs, QObject *parent = nullptr);
    bool listen(const QHostAddress &address, quint16 port, QString &error);
    quint16 port() const { return m_server.serverPort(); }
    QHostAddress address() const { return m_server.serverAddress(); }

private:
    void accept();

    QString m_serial;
    QHostAddress m_recorderAddress;
    quint16 m_recorderPort;
    int m_queryTimeoutMs;
    QTcpServer m_server;
};
