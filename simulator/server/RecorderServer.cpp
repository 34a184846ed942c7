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
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        new RecorderSession(socket, this, ++m_connections);
    }
}
