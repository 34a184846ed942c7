#include "P2PService.h"

#include "Messages.h"
#include "SimLog.h"
#include "WireChannel.h"
#include "WireFormat.h"

#include <QTcpSocket>
#include <QTimer>

#include <memory>

P2PService::P2PService(const QString &serial, const QHostAddress &recorderAddress,
                       quint16 recorderPort, int queryTimeoutMs, QObject *parent)
    : QObject(parent), m_serial(serial), m_recorderAddress(recorderAddress),
      m_recorderPort(recorderPort), m_queryTimeoutMs(queryTimeoutMs)
{
    connect(&m_server, &QTcpServer::newConnection, this, &P2PService::accept);
    // As for the recorder: a shortage of descriptors passes.
    connect(&m_server, &QTcpServer::acceptError, this, [this] {
        QTimer::singleShot(kAcceptRetryMs, this, [this] { m_server.resumeAccepting(); });
    });
}

bool P2PService::listen(const QHostAddress &address, quint16 port, QString &error)
{
    if (m_server.listen(address, port))
        return true;
    error = m_server.errorString();
    return false;
}

void P2PService::accept()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        socket->setParent(this);
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        socket->setReadBufferSize(kMaxQueryBody);
        auto channel = std::make_shared<WireChannel>(socket);
        channel->setAccepted({tvwire::MsgP2PQuery}, kMaxQueryBody);
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QTimer::singleShot(m_queryTimeoutMs, socket, [socket] {
            SimLog::error("p2p: connection closed at the deadline");
            socket->abort();
            socket->deleteLater();
        });
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket, channel] {
            channel->readAvailable();
            tvwire::Frame frame;
            QString error;
            const int r = channel->next(frame, error);
            if (r == 0)
                return;
            tvwire::P2PQuery query;
            if (r < 0 || frame.type != tvwire::MsgP2PQuery ||
                !tvwire::decodeBody(frame.body, query)) {
                SimLog::error("p2p: malformed query " + error);
                socket->abort();
                socket->deleteLater();
                return;
            }
            tvwire::P2PReply answer;
            if (QString::fromStdString(query.serial) == m_serial) {
                answer.host = m_recorderAddress.toString().toStdString();
                answer.port = m_recorderPort;
            } else {
                answer.result = -11307;
            }
            SimLog::info(
                QString("p2p: serial %1 %2")
                    .arg(SimLog::peerText(query.serial), answer.result ? "unknown" : "found"));
            channel->send(tvwire::MsgP2PReply, 0, frame.sequence, tvwire::encodeBody(answer));
            QObject::disconnect(socket, &QTcpSocket::readyRead, nullptr, nullptr);
            socket->disconnectFromHost();
        });
    }
}
