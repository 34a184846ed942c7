#pragma once
// The small P2P service: answers a serial number with the address of the
// recorder that has it, or -11307 for a serial it does not know. One query
// per connection.

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTcpServer>

class P2PService : public QObject
{
    Q_OBJECT
public:
    P2PService(const QString &serial, const QHostAddress &recorderAddress, quint16 recorderPort,
               QObject *parent = nullptr);
    bool listen(const QHostAddress &address, quint16 port, QString &error);
    quint16 port() const { return m_server.serverPort(); }
    QHostAddress address() const { return m_server.serverAddress(); }

private:
    void accept();

    QString m_serial;
    QHostAddress m_recorderAddress;
    quint16 m_recorderPort;
    QTcpServer m_server;
};
