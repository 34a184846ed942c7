#include "RecorderServer.h"

#include "RecorderSession.h"
#include "SimLog.h"

#include <QRandomGenerator>
#include <QTcpSocket>

RecorderServer::RecorderServer(const SimOptions &options, QObject *parent)
    : QObject(parent), m_options(options),
      m_display(new DisplayStream(options.width, options.height, options.fps)),
      m_nextSessionId(0x10000 + QRandomGenerator::global()->bounded(0x10000))
{
    connect(&m_server, &QTcpServer::newConnection, this, &RecorderServer::acceptPending);
    connect(&m_server, &QTcpServer::acceptError, this, &RecorderServer::onAcceptError);
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
    if (m_acceptFails) {
        SimLog::info(QString("accepting again after %1 failed attempts").arg(m_acceptFails));
        m_acceptFails = 0;
    }
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        if (m_open >= m_options.maxConnections) {
            if (m_turnedAway++ == 0)
                SimLog::error(QString("%1 connections open: turning new ones away (counted)")
                                  .arg(m_open));
            socket->abort();
            socket->deleteLater();
            continue;
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
}

// Qt stops accepting for good after a failure such as running out of
// descriptors; the shortage usually passes, so accepting resumes shortly.
void RecorderServer::onAcceptError()
{
    if (m_acceptFails++ == 0)
        SimLog::error("cannot accept: " + m_server.errorString() + " (retrying, counted)");
    QTimer::singleShot(kAcceptRetryMs, this, [this] { m_server.resumeAccepting(); });
}

void RecorderServer::requestViewer(RecorderSession *session)
{
    m_waitingViewers.append(session);
    if (m_viewerGate.isActive())
        return;
    const qint64 since = m_lastViewer.isValid() ? m_lastViewer.elapsed() : kViewerIntervalMs;
    m_viewerGate.start(int(qMax<qint64>(0, kViewerIntervalMs - since)));
}

void RecorderServer::cancelViewer(RecorderSession *session)
{
    m_waitingViewers.removeAll(session);
}

void RecorderServer::attachWaitingViewers()
{
    const auto waiting = m_waitingViewers;
    m_waitingViewers.clear();
    for (const QPointer<RecorderSession> &s : waiting) {
        if (s)
            s->attachViewer();
    }
    m_lastViewer.start();
}
