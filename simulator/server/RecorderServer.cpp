#include "RecorderServer.h"

#include "PacedAcceptor.h"
#include "RecorderSession.h"
#include "SimLog.h"

#include <QRandomGenerator>
#include <QTcpSocket>

namespace {

SimDisplayStream *makeDisplay(const SimOptions &o)
{
    return new SimDisplayStream(o.width, o.height, o.fps,
                                o.fixedRate ? SimDisplayStream::RateControl::Fixed
                                            : SimDisplayStream::RateControl::Adaptive,
                                o.pictureTrace.toStdString());
}

} // namespace

RecorderServer::RecorderServer(const SimOptions &options, QObject *parent)
    : QObject(parent), m_options(options), m_display(makeDisplay(options)), m_viewers(*m_display),
      m_admission(options.maxConnections, options.loginTimeoutMs),
      m_nextSessionId(0x10000 + QRandomGenerator::global()->bounded(0x10000))
{
    m_clock.start();
}

RecorderServer::~RecorderServer()
{
    // Sessions remove their viewers before the stream goes away.
    for (RecorderSession *s : findChildren<RecorderSession *>())
        delete s;
}

bool RecorderServer::listen(QString &error)
{
    if (!m_options.commandLog.isEmpty() && !m_commandLog.open(m_options.commandLog, error))
        return error = "cannot open the command log: " + error, false;
    if (!m_server.listen(m_options.listenAddress, m_options.listenPort)) {
        error = m_server.errorString();
        return false;
    }
    new PacedAcceptor(
        m_server, QString(), m_acceptLog,
        [this](QTcpSocket *socket) { return startSession(socket); }, this);
    return true;
}

quint32 RecorderServer::newSessionId()
{
    return m_nextSessionId++;
}

void RecorderServer::setResolution(int width, int height)
{
    SimLog::info(QString("display resolution now %1x%2").arg(width).arg(height));
    m_display->setResolution(width, height);
}

int RecorderServer::loginAnswerDelayMs(const QHostAddress &peer, bool accepted)
{
    return m_throttle.answer(ConnectionAdmission::sourceKey(peer), accepted, m_clock.elapsed());
}

bool RecorderServer::startSession(QTcpSocket *socket)
{
    const int loginDeadlineMs = m_admission.admit(socket);
    if (loginDeadlineMs < 0)
        return false;
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    socket->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, kKernelSendBuffer);
    new RecorderSession(socket, *this, ++m_connections, loginDeadlineMs, this);
    return true;
}
