#include "RecorderServer.h"

#include "RecorderSession.h"
#include "SimLog.h"

#include <QRandomGenerator>
#include <QSocketNotifier>
#include <QTcpSocket>

#include <cerrno>
#include <sys/socket.h>
#include <unistd.h>

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
    : QObject(parent), m_options(options), m_display(makeDisplay(options)),
      m_nextSessionId(0x10000 + QRandomGenerator::global()->bounded(0x10000))
{
    m_viewerGate.setSingleShot(true);
    connect(&m_viewerGate, &QTimer::timeout, this, &RecorderServer::attachWaitingViewers);
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
    // QTcpServer either stops for good or retries at full speed when
    // accept() runs out of descriptors; the server accepts by itself so
    // that it can wait a moment and try again.
    m_server.pauseAccepting();
    m_acceptNotifier =
        new QSocketNotifier(m_server.socketDescriptor(), QSocketNotifier::Read, this);
    connect(m_acceptNotifier, &QSocketNotifier::activated, this, &RecorderServer::acceptPending);
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

void RecorderServer::acceptPending()
{
    for (int n = 0; n < kAcceptsPerTurn; ++n) {
        const int fd = ::accept4(int(m_server.socketDescriptor()), nullptr, nullptr,
                                 SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            const int error = errno;
            if (error == EMFILE || error == ENFILE || error == ENOBUFS || error == ENOMEM)
                onAcceptShortage(error);
            return; // EAGAIN, or a connection that went away meanwhile
        }
        if (m_acceptFails) {
            SimLog::info(QString("accepting again after %1 failed attempts").arg(m_acceptFails));
            m_acceptFails = 0;
        }
        if (m_open >= m_options.maxConnections) {
            turnAway(fd);
            continue;
        }
        startSession(fd);
    }
}

void RecorderServer::turnAway(int fd)
{
    if (m_turnedAway++ == 0)
        SimLog::error(QString("%1 connections open: turning new ones away (counted)").arg(m_open));
    ::close(fd);
}

void RecorderServer::startSession(int fd)
{
    auto *socket = new QTcpSocket;
    if (!socket->setSocketDescriptor(fd)) {
        ::close(fd);
        delete socket;
        return;
    }
    if (m_turnedAway) {
        SimLog::info(QString("%1 connections were turned away").arg(m_turnedAway));
        m_turnedAway = 0;
    }
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    ++m_open;
    auto *session = new RecorderSession(socket, this, ++m_connections);
    connect(session, &QObject::destroyed, this, [this] { --m_open; });
}

// Out of descriptors: the shortage usually passes (sessions end, the flood
// stops), so accepting pauses for a moment rather than for good or not at all.
void RecorderServer::onAcceptShortage(int error)
{
    if (m_acceptFails++ == 0)
        SimLog::error(QString("cannot accept: %1 (retrying, counted)").arg(qt_error_string(error)));
    m_acceptNotifier->setEnabled(false);
    QTimer::singleShot(kAcceptRetryMs, this, [this] { m_acceptNotifier->setEnabled(true); });
}

void RecorderServer::requestViewer(RecorderSession *session)
{
    m_waitingViewers.append(session);
    openViewerGate();
}

void RecorderServer::requestKeyFrame()
{
    m_keyFrameWanted = true;
    openViewerGate();
}

void RecorderServer::openViewerGate()
{
    if (m_viewerGate.isActive())
        return;
    const qint64 since = m_lastViewer.isValid() ? m_lastViewer.elapsed() : m_viewerIntervalMs;
    m_viewerGate.start(int(qMax<qint64>(0, m_viewerIntervalMs - since)));
}

void RecorderServer::cancelViewer(RecorderSession *session)
{
    m_waitingViewers.removeAll(session);
}

void RecorderServer::attachWaitingViewers()
{
    const auto waiting = m_waitingViewers;
    m_waitingViewers.clear();
    bool joined = false; // a joining viewer brings an IDR for everyone
    for (const QPointer<RecorderSession> &s : waiting) {
        if (s) {
            s->attachViewer();
            joined = true;
        }
    }
    if (m_keyFrameWanted && !joined)
        m_display->requestKeyFrame();
    m_keyFrameWanted = false;
    m_lastViewer.start();
}
