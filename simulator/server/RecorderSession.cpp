#include "RecorderSession.h"

#include "LoginProof.h"
#include "Messages.h"
#include "ProtocolEncoder.h"
#include "RecorderServer.h"
#include "SimLog.h"
#include "WireFormat.h"

#include <QSocketNotifier>
#include <QTcpSocket>
#include <QTimer>

#include <cstring>
#include <sys/eventfd.h>
#include <unistd.h>

RecorderSession::RecorderSession(QTcpSocket *socket, RecorderServer *server, int number)
    : QObject(server), m_socket(socket), m_server(server), m_channel(socket), m_number(number)
{
    socket->setParent(this);
    m_mediaWake = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    m_mediaNotifier = new QSocketNotifier(m_mediaWake, QSocketNotifier::Read, this);
    connect(m_mediaNotifier, &QSocketNotifier::activated, this, &RecorderSession::drainMedia);
    connect(socket, &QTcpSocket::readyRead, this, &RecorderSession::onReadyRead);
    connect(socket, &QTcpSocket::disconnected, this, [this] { close("peer left"); });
    log("connection from " + socket->peerAddress().toString() + ":" +
        QString::number(socket->peerPort()));
    m_nonce = tvwire::LoginProof::makeNonce();
    m_channel.send(tvwire::MsgChallenge, 0, 0, tvwire::encodeBody(tvwire::Challenge{m_nonce}));
}

RecorderSession::~RecorderSession()
{
    stopViewer();
    delete m_mediaNotifier;
    if (m_mediaWake >= 0)
        ::close(m_mediaWake);
}

void RecorderSession::log(const QString &line) const
{
    SimLog::info(QString("session %1: %2").arg(m_number).arg(line));
}

void RecorderSession::close(const QString &why)
{
    if (!m_socket)
        return;
    stopViewer();
    log("closed (" + why + ")");
    QTcpSocket *socket = m_socket;
    m_socket = nullptr;
    socket->disconnect(this);
    socket->abort();
    deleteLater();
}

void RecorderSession::onReadyRead()
{
    if (!m_socket)
        return;
    if (m_hung) {
        m_socket->readAll(); // heard, never answered
        return;
    }
    m_channel.readAvailable();
    tvwire::Frame frame;
    QString error;
    int r = 0;
    while (m_socket && !m_hung && (r = m_channel.next(frame, error)) == 1)
        handle(frame);
    if (m_socket && !m_hung && r < 0) {
        SimLog::error(QString("session %1: malformed data: %2").arg(m_number).arg(error));
        close("protocol error");
    }
}

void RecorderSession::reply(const tvwire::Frame &request, std::uint16_t type,
                            const std::vector<std::uint8_t> &body)
{
    m_channel.send(type, m_sessionId, request.sequence, body);
}

void RecorderSession::handle(const tvwire::Frame &frame)
{
    if (m_sessionId == 0) {
        if (frame.type == tvwire::MsgLoginRequest)
            return handleLogin(frame);
        return close("request before login");
    }
    if (frame.session != m_sessionId)
        return close("frame for another session");
    switch (frame.type) {
    case tvwire::MsgKeepAlive:
        return reply(frame, tvwire::MsgKeepAliveReply, {});
    case tvwire::MsgConfigRequest:
        return handleConfig(frame);
    case tvwire::MsgRealPlayRequest:
        return handleRealPlay(frame);
    case tvwire::MsgStopRealPlay:
        return handleStop(frame);
    case tvwire::MsgJsonCommand:
        return handleJson(frame);
    case tvwire::MsgLogout:
        log("logout");
        reply(frame, tvwire::MsgLogoutReply, tvwire::encodeBody(tvwire::ResultReply{0}));
        m_socket->flush();
        return close("logged out");
    default:
        SimLog::error(
            QString("session %1: unexpected message type %2").arg(m_number).arg(frame.type));
        return close("unexpected message");
    }
}

int RecorderSession::decideLogin(const tvwire::LoginRequest &request) const
{
    const SimOptions &o = m_server->options();
    const QString user = QString::fromStdString(request.user);
    if (!o.users.contains(user))
        return -11302;
    const auto expected =
        tvwire::LoginProof::compute(o.users.value(user).toStdString(), m_nonce, request.user);
    if (!tvwire::LoginProof::matches(expected, request.proof))
        return -11301;
    if (o.userStates.contains(user))
        return o.userStates.value(user);
    if (o.requireLoginCode && (!request.hasLoginCode || request.loginCode != o.loginCode))
        return -11318;
    return 0;
}

void RecorderSession::handleLogin(const tvwire::Frame &frame)
{
    tvwire::LoginRequest request;
    if (!tvwire::decodeBody(frame.body, request)) {
        SimLog::error(QString("session %1: malformed login request").arg(m_number));
        return close("malformed login");
    }
    const SimOptions &o = m_server->options();
    tvwire::LoginReply answer;
    answer.result = decideLogin(request);
    const QString who = QString::fromStdString(request.user);
    if (answer.result != 0) {
        log(QString("login of \"%1\" refused with %2").arg(who).arg(answer.result));
        m_channel.send(tvwire::MsgLoginReply, 0, frame.sequence, tvwire::encodeBody(answer));
        m_socket->disconnectFromHost();
        return;
    }
    m_sessionId = m_server->newSessionId();
    answer.notice = (o.agent && request.kind == 2) ? -11609 : 0;
    answer.channelA = o.channelsA;
    answer.channelB = o.channelsB;
    answer.serial = o.serial.toStdString();
    reply(frame, tvwire::MsgLoginReply, tvwire::encodeBody(answer));
    log(QString("login of \"%1\" (%2) accepted, session id %3%4")
            .arg(who, request.kind == 2 ? "cloud" : "by address")
            .arg(m_sessionId)
            .arg(answer.notice ? " as agent" : ""));
    startFaultTimers();
}

void RecorderSession::startFaultTimers()
{
    const SimOptions &o = m_server->options();
    if (o.dropAfterSec >= 0)
        QTimer::singleShot(o.dropAfterSec * 1000, this, [this] { close("drop-after"); });
    if (o.hangAfterSec >= 0) {
        QTimer::singleShot(o.hangAfterSec * 1000, this, [this] {
            log("hangs (hang-after): no more answers, sockets stay open");
            m_hung = true;
        });
    }
}

void RecorderSession::handleConfig(const tvwire::Frame &frame)
{
    tvwire::ConfigRequest request;
    tvwire::ConfigReply answer;
    if (!tvwire::decodeBody(frame.body, request))
        return close("malformed configuration request");
    const SimOptions &o = m_server->options();
    if (o.failConfig.contains(request.command)) {
        answer.result = tvwire::kResultFailed;
    } else if (request.command == 9) {
        answer.data.assign(229, 0);
        answer.data[212] = o.remoteControl ? 1 : 0;
    } else if (request.command == 127) {
        answer.data.assign(8, 0);
        const std::int32_t h = m_server->display().height(), w = m_server->display().width();
        std::memcpy(answer.data.data(), &h, 4); // little-endian host
        std::memcpy(answer.data.data() + 4, &w, 4);
    } else {
        answer.result = tvwire::kResultUnknownCommand;
    }
    log(QString("configuration %1: result %2").arg(request.command).arg(answer.result));
    reply(frame, tvwire::MsgConfigReply, tvwire::encodeBody(answer));
}
