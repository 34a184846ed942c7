#include "P2PService.h"

#include "Messages.h"
#include "PacedAcceptor.h"
#include "SdkDefs.h"
#include "SimLog.h"
#include "WireChannel.h"
#include "WireFormat.h"

#include <QTcpSocket>
#include <QTimer>

#include <memory>

P2PService::P2PService(const QString &serial, const QHostAddress &recorderAddress,
                       quint16 recorderPort, int queryTimeoutMs, int maxConnections,
                       QObject *parent)
    : QObject(parent), m_serial(serial), m_recorderAddress(recorderAddress),
      m_recorderPort(recorderPort), m_admission(maxConnections, queryTimeoutMs)
{
}

bool P2PService::listen(const QHostAddress &address, quint16 port, QString &error)
{
    if (!m_server.listen(address, port)) {
        error = m_server.errorString();
        return false;
    }
    new PacedAcceptor(
        m_server, "p2p: ", m_logBudget, [this](QTcpSocket *socket) { return serve(socket); }, this);
    return true;
}

void P2PService::log(const QString &line, bool error)
{
    m_logBudget.write("p2p: ", line, error);
}

bool P2PService::serve(QTcpSocket *socket)
{
    const int queryTimeoutMs = m_admission.admit(socket);
    if (queryTimeoutMs < 0)
        return false;
    socket->setParent(this);
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    socket->setReadBufferSize(kMaxQueryBody);
    auto channel = std::make_shared<WireChannel>(socket);
    channel->setAccepted({tvwire::MsgP2PQuery}, kMaxQueryBody);
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    QTimer::singleShot(queryTimeoutMs, socket, [this, socket] {
        log("connection closed at the deadline", true);
        socket->abort();
        socket->deleteLater();
    });
    connect(socket, &QTcpSocket::readyRead, socket,
            [this, socket, channel] { answer(socket, *channel); });
    return true;
}

void P2PService::answer(QTcpSocket *socket, WireChannel &channel)
{
    m_admission.progressed(socket);
    channel.readAvailable();
    tvwire::Frame frame;
    QString error;
    const int r = channel.next(frame, error);
    if (r == 0)
        return;
    tvwire::P2PQuery query;
    if (r < 0 || frame.type != tvwire::MsgP2PQuery || !tvwire::decodeBody(frame.body, query)) {
        log("malformed query " + error, true);
        socket->abort();
        socket->deleteLater();
        return;
    }
    tvwire::P2PReply reply;
    if (QString::fromStdString(query.serial) == m_serial) {
        reply.host = m_recorderAddress.toString().toStdString();
        reply.port = m_recorderPort;
    } else {
        reply.result = tvsdk::ErrNotFindDevice;
    }
    log(QString("serial %1 %2")
            .arg(SimLog::peerText(query.serial), reply.result ? "unknown" : "found"),
        false);
    channel.send(tvwire::MsgP2PReply, 0, frame.sequence, tvwire::encodeBody(reply));
    QObject::disconnect(socket, &QTcpSocket::readyRead, nullptr, nullptr);
    socket->disconnectFromHost();
}
