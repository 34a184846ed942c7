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
    new PacedAcceptor(
        m_server, QString(),
        [this](const QHostAddress &) { return m_open < m_options.maxConnections; },
        [this](QTcpSocket *socket) { startSession(socket); }, this);
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

void RecorderServer::startSession(QTcpSocket *socket)
{
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    ++m_open;
    auto *session = new RecorderSession(socket, this, ++m_connections);
    connect(session, &QObject::destroyed, this, [this] { --m_open; });
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
