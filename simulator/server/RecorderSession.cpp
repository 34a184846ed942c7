#include "RecorderSession.h"

#include "CommandLog.h"
#include "LoginProof.h"
#include "Messages.h"
#include "ProtocolEncoder.h"
#include "RemoteCtrlParser.h"
#include "SdkDefs.h"
#include "SessionHost.h"
#include "SimDisplayStream.h"
#include "SimLog.h"
#include "SimOptions.h"
#include "SocketAdmission.h"
#include "ViewerHub.h"
#include "WireFormat.h"

#include <QTcpSocket>
#include <QTimer>

#include <exception>
#include <string>

#include <sys/socket.h>
#include <unistd.h>

RecorderSession::RecorderSession(QTcpSocket *socket, SessionHost &host, int number,
                                 int loginDeadlineMs, QObject *parent)
    : QObject(parent), m_socket(socket), m_host(host), m_channel(socket), m_number(number),
      m_link(socket),
      m_feed(m_link, host.viewers(), socket->peerAddress(), !host.options().fixedRate,
             [this](const QString &line, bool always) { log(line, false, always); }),
      m_logBudget(kLogBurst, kLogPerSecond, &host.log())
{
    socket->setParent(this);
    socket->setReadBufferSize(kSocketReadBuffer);
    m_channel.setAccepted({tvwire::MsgLoginRequest}, kMaxLoginBody);
    connect(socket, &QTcpSocket::readyRead, this, &RecorderSession::onReadyRead);
    connect(socket, &QTcpSocket::bytesWritten, this, &RecorderSession::onReadyRead);
    // Unlike bytesWritten, emitted for every write, also from inside a slot of its own.
    connect(socket, &QTcpSocket::channelBytesWritten, this,
            [this](int, qint64 bytes) { m_link.handed(bytes); });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
        close(socket->property(SocketAdmission::kEvicted).toBool() ? "made room for another address"
                                                                   : "peer left");
    });
    log("connection from " + socket->peerAddress().toString() + ":" +
        QString::number(socket->peerPort()));
    QTimer::singleShot(loginDeadlineMs, this, [this] {
        if (!m_sessionId)
            close(m_lingering ? "login refused" : "no login within the deadline");
    });
    m_idle.setSingleShot(true);
    m_idle.setInterval(host.options().idleTimeoutMs);
    connect(&m_idle, &QTimer::timeout, this, &RecorderSession::checkIdle);
    m_nonce = tvwire::LoginProof::makeNonce();
    m_channel.send(tvwire::MsgChallenge, 0, 0, tvwire::encodeBody(tvwire::Challenge{m_nonce}));
}

RecorderSession::~RecorderSession()
{
    stopViewer();
}

void RecorderSession::log(const QString &line, bool error, bool always)
{
    m_logBudget.write(QString("session %1: ").arg(m_number), line, error, always);
}

void RecorderSession::close(const QString &why)
{
    if (!m_socket)
        return;
    stopViewer();
    log("closed (" + why + ")", false, true);
    QTcpSocket *socket = m_socket;
    m_socket = nullptr;
    m_link.close();
    socket->disconnect(this);
    socket->abort();
    deleteLater();
}

bool RecorderSession::repliesBacklogged() const
{
    return m_socket->bytesToWrite() > m_host.viewers().mediaCap() + kReplyAllowance;
}

void RecorderSession::onReadyRead()
{
    if (!m_socket)
        return;
    if (!m_sessionId && !m_loginBegun && m_socket->bytesAvailable() > 0) {
        m_loginBegun = true;
        m_host.loginBegun(m_socket);
    }
    if (m_answerHeld)
        return;
    if (m_hung || m_lingering) {
        if (!m_socket->readAll().isEmpty()) // heard, never answered
            heard();
        return;
    }
    // A reply's flush emits bytesWritten, which comes back here from inside
    // a handler: the next frame must wait until this one is done, or a
    // second logout would be answered after the first.
    if (m_handling)
        return scheduleTurn();
    m_handling = true;
    const bool more = handleSome();
    m_handling = false;
    if (more)
        scheduleTurn();
}

// Handles frames until none is complete, the peer's replies back up, or the
// turn's share (in frames, and in bytes, which bound what parsing costs)
// is used. True when frames may remain for another turn.
bool RecorderSession::handleSome()
{
    tvwire::Frame frame;
    QString error;
    std::size_t bytes = 0;
    for (int n = 0; n < kFramesPerTurn && bytes < kBytesPerTurn; ++n) {
        if (!m_socket || m_hung || m_lingering || m_answerHeld || repliesBacklogged())
            return false; // bytesWritten resumes a backlogged peer
        int r = m_channel.next(frame, error);
        if (r == 0 && m_channel.readAvailable())
            r = m_channel.next(frame, error);
        if (r == 0)
            return false;
        if (r < 0) {
            log("refused data: " + error, true);
            close("protocol error");
            return false;
        }
        heard();
        bytes += frame.body.size();
        // Nothing a peer sends may end the process: whatever escapes a
        // handler ends this session alone.
        try {
            handle(frame);
        } catch (const std::exception &e) {
            log(QString("closed on an internal error: %1")
                    .arg(SimLog::peerText(std::string(e.what()))),
                true);
            close("internal error");
            return false;
        }
    }
    return true;
}

// Any frame keeps a logged-in session alive, not only a keep-alive: a
// client busy with commands need not send keep-alives as well. A frame
// only notes the time; the timer looks at it once per deadline, instead of
// being rearranged among all the process's timers for every frame.
void RecorderSession::heard()
{
    if (m_sessionId)
        m_heard.start();
}

void RecorderSession::checkIdle()
{
    const qint64 limit = m_host.options().idleTimeoutMs;
    const qint64 silent = m_heard.elapsed();
    if (silent < limit) {
        m_idle.start(int(limit - silent));
        return;
    }
    close(QString("silent for %1 s after the login").arg(limit / 1000.0));
}

void RecorderSession::scheduleTurn()
{
    if (m_turnScheduled)
        return;
    m_turnScheduled = true;
    QTimer::singleShot(0, this, [this] {
        m_turnScheduled = false;
        onReadyRead();
    });
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
        log(QString("unexpected message type %1").arg(frame.type), true);
        return close("unexpected message");
    }
}

int RecorderSession::decideLogin(const tvwire::LoginRequest &request) const
{
    const SimOptions &o = m_host.options();
    const QString user = QString::fromStdString(request.user);
    // An unknown user costs the same work and gets the same answer as a
    // wrong password, so that names cannot be told apart from outside.
    const bool known = o.users.contains(user);
    const QString password = known ? o.users.value(user) : QString("\x01 no such user");
    const auto expected =
        tvwire::LoginProof::compute(password.toStdString(), m_nonce, request.user);
    if (!tvwire::LoginProof::matches(expected, request.proof) || !known)
        return tvsdk::ErrPasswordWrong;
    if (o.userStates.contains(user))
        return o.userStates.value(user);
    if (o.requireLoginCode && (!request.hasLoginCode || request.loginCode != o.loginCode))
        return tvsdk::ErrLoginCodeWrong;
    return tvsdk::ResultOk;
}

void RecorderSession::handleLogin(const tvwire::Frame &frame)
{
    tvwire::LoginRequest request;
    if (!tvwire::decodeBody(frame.body, request)) {
        log("malformed login request", true);
        return close("malformed login");
    }
    tvwire::LoginReply answer;
    answer.result = decideLogin(request);
    const int delayMs =
        m_host.loginAnswerDelayMs(m_socket->peerAddress(), answer.result == tvsdk::ResultOk);
    if (delayMs <= 0)
        return answerLogin(frame.sequence, request, answer);
    // Held on a timer: the thread goes on serving everyone else.
    m_answerHeld = true;
    QTimer::singleShot(delayMs, this, [this, sequence = frame.sequence, request, answer] {
        m_answerHeld = false;
        if (!m_socket)
            return;
        answerLogin(sequence, request, answer);
        scheduleTurn();
    });
}

void RecorderSession::answerLogin(std::uint32_t sequence, const tvwire::LoginRequest &request,
                                  tvwire::LoginReply answer)
{
    const QString who = SimLog::peerText(request.user);
    if (answer.result != tvsdk::ResultOk) {
        log(QString("login of %1 refused with %2").arg(who).arg(answer.result));
        return refuseLogin(sequence, answer);
    }
    acceptLogin(sequence, request, answer);
}

void RecorderSession::acceptLogin(std::uint32_t sequence, const tvwire::LoginRequest &request,
                                  tvwire::LoginReply answer)
{
    const SimOptions &o = m_host.options();
    m_sessionId = m_host.newSessionId();
    m_host.loggedIn(m_socket);
    m_channel.setAccepted({tvwire::MsgKeepAlive, tvwire::MsgConfigRequest,
                           tvwire::MsgRealPlayRequest, tvwire::MsgStopRealPlay,
                           tvwire::MsgJsonCommand, tvwire::MsgLogout},
                          tvwire::kMaxControlBody);
    const bool cloud = request.kind == tvsdk::kLoginKindCloud;
    answer.notice = (o.agent && cloud) ? tvsdk::kErrorAgentLogin : tvsdk::ResultOk;
    answer.channelA = o.channelsA;
    answer.channelB = o.channelsB;
    answer.serial = o.serial.toStdString();
    m_channel.send(tvwire::MsgLoginReply, m_sessionId, sequence, tvwire::encodeBody(answer));
    m_heard.start();
    m_idle.start();
    log(QString("login of %1 (%2) accepted, session id %3%4")
            .arg(SimLog::peerText(request.user), cloud ? "cloud" : "by address")
            .arg(m_sessionId)
            .arg(answer.notice ? " as agent" : ""));
    startFaultTimers();
}

// One challenge, one attempt: the answer goes out, then the sending half
// closes. Whatever else the peer sent is read and discarded until it
// leaves (or a short linger ends), so that closing with unread input does
// not reset the connection before the peer has read the answer.
void RecorderSession::refuseLogin(std::uint32_t sequence, const tvwire::LoginReply &answer)
{
    m_channel.send(tvwire::MsgLoginReply, 0, sequence, tvwire::encodeBody(answer));
    m_lingering = true;
    m_socket->flush();
    if (m_socket->bytesToWrite() > 0) {
        m_socket->disconnectFromHost();
        return;
    }
    ::shutdown(int(m_socket->socketDescriptor()), SHUT_WR);
    QTimer::singleShot(kLingerMs, this, [this] { close("login refused"); });
    onReadyRead();
}

void RecorderSession::startFaultTimers()
{
    const SimOptions &o = m_host.options();
    if (o.dropAfterSec >= 0)
        QTimer::singleShot(o.dropAfterSec * 1000, this, [this] { close("drop-after"); });
    if (o.hangAfterSec >= 0) {
        QTimer::singleShot(o.hangAfterSec * 1000, this, [this] {
            log("hangs (hang-after): no more answers, sockets stay open");
            m_hung = true;
            m_link.hang();
        });
    }
}

void RecorderSession::handleConfig(const tvwire::Frame &frame)
{
    tvwire::ConfigRequest request;
    tvwire::ConfigReply answer;
    if (!tvwire::decodeBody(frame.body, request))
        return close("malformed configuration request");
    const SimOptions &o = m_host.options();
    if (o.failConfig.contains(request.command)) {
        answer.result = tvsdk::ErrRecorderFailed;
    } else if (request.command == tvsdk::kCmdSystemFunction) {
        answer.data.assign(tvsdk::SystemFunction::kSize, 0);
        answer.data[tvsdk::SystemFunction::kRemoteCtrlFlag] = o.remoteControl ? 1 : 0;
    } else if (request.command == tvsdk::kCmdDisplayResolution) {
        using namespace tvsdk::DisplayResolution;
        answer.data.assign(kSize, 0);
        tvsdk::writeInt32(answer.data.data(), kHeight, m_host.display().height());
        tvsdk::writeInt32(answer.data.data(), kWidth, m_host.display().width());
    } else {
        answer.result = tvsdk::ErrUnknownCommand;
    }
    log(QString("configuration %1: result %2").arg(request.command).arg(answer.result));
    reply(frame, tvwire::MsgConfigReply, tvwire::encodeBody(answer));
}

void RecorderSession::handleRealPlay(const tvwire::Frame &frame)
{
    tvwire::RealPlayRequest request;
    if (!tvwire::decodeBody(frame.body, request))
        return close("malformed real-play request");
    const SimOptions &o = m_host.options();
    tvwire::RealPlayReply answer;
    if (o.refuseRealPlay || request.channel != o.channelsA + o.channelsB || !m_feed.idle()) {
        answer.result = tvsdk::ErrRefused;
        log(QString("real play on channel %1 refused").arg(request.channel));
        return reply(frame, tvwire::MsgRealPlayReply, tvwire::encodeBody(answer));
    }
    if (!m_host.viewers().ready()) {
        answer.result = tvsdk::ErrRecorderFailed;
        log("real play refused: out of descriptors");
        return reply(frame, tvwire::MsgRealPlayReply, tvwire::encodeBody(answer));
    }
    m_streamId = frame.sequence ^ m_sessionId;
    answer.streamId = m_streamId;
    reply(frame, tvwire::MsgRealPlayReply, tvwire::encodeBody(answer));
    m_feed.setStream(m_sessionId, m_streamId);
    m_host.viewers().admit(&m_feed);
    log(QString("real play on channel %1 started, stream %2").arg(request.channel).arg(m_streamId));
}

void RecorderSession::stopViewer()
{
    if (!m_feed.idle())
        m_host.viewers().withdraw(&m_feed);
}

void RecorderSession::handleStop(const tvwire::Frame &frame)
{
    tvwire::StreamRef ref;
    if (!tvwire::decodeBody(frame.body, ref))
        return close("malformed stop request");
    const bool known = !m_feed.idle() && ref.streamId == m_streamId;
    if (known)
        stopViewer();
    reply(frame, tvwire::MsgStopRealPlayReply,
          tvwire::encodeBody(tvwire::ResultReply{known ? tvsdk::ResultOk : tvsdk::ErrRefused}));
}

void RecorderSession::handleJson(const tvwire::Frame &frame)
{
    tvwire::JsonCommand command;
    if (!tvwire::decodeBody(frame.body, command))
        return close("malformed JSON command");
    const QByteArray text(reinterpret_cast<const char *>(command.json.data()),
                          int(command.json.size()));
    if (command.name == tvsdk::kRemoteCtrlCommand) {
        m_host.commandLog().append(text);
        logRemoteCtrl(text);
    } else {
        log(QString("JSON command %1 (id %2) ignored")
                .arg(SimLog::peerText(command.name))
                .arg(command.msgId));
    }
    reply(frame, tvwire::MsgJsonReply, tvwire::encodeBody(tvwire::ResultReply{0}));
}

void RecorderSession::logRemoteCtrl(const QByteArray &text)
{
    RemoteCtrlEvent event{};
    std::string error;
    if (RemoteCtrlParser::parse(text.toStdString(), event, error)) {
        log(QString("OPRemoteCtrl msg 0x%1 button 0x%2 at (%3, %4)")
                .arg(event.msgType, 0, 16)
                .arg(event.button, 0, 16)
                .arg(event.x)
                .arg(event.y));
        m_host.display().apply(event);
    } else {
        log(QString("malformed OPRemoteCtrl (%1): %2")
                .arg(SimLog::peerText(error, 2 * SimLog::kMaxPeerText))
                .arg(SimLog::peerText(text)),
            true);
    }
}
