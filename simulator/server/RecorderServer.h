#pragma once
// Accepts recorder connections and holds what every session shares: the
// options, the display stream and the command log. GUI-less, main thread.
//
// At most --max-connections sessions exist at a time; a connection beyond
// them is closed at once. When accepting fails for want of descriptors the
// server tries again shortly instead of giving up. Sessions reach it
// through SessionHost; their viewers' media and admission are the
// ViewerHub's.

#include "CommandLog.h"
#include "SessionHost.h"
#include "SimDisplayStream.h"
#include "SimOptions.h"
#include "ViewerHub.h"

#include <QObject>
#include <QTcpServer>

#include <memory>

class RecorderSession;

class RecorderServer : public QObject, public SessionHost
{
    Q_OBJECT
public:
    explicit RecorderServer(const SimOptions &options, QObject *parent = nullptr);
    ~RecorderServer() override;

    bool listen(QString &error);
    QHostAddress address() const { return m_server.serverAddress(); }
    quint16 port() const { return m_server.serverPort(); }

    const SimOptions &options() const override { return m_options; }
    SimDisplayStream &display() override { return *m_display; }
    CommandLog &commandLog() override { return m_commandLog; }
    quint32 newSessionId() override;
    ViewerHub &viewers() override { return m_viewers; }
    void setResolution(int width, int height);

private:
    void startSession(QTcpSocket *socket);

    SimOptions m_options;
    QTcpServer m_server; // listens; a PacedAcceptor accepts
    std::unique_ptr<SimDisplayStream> m_display;
    ViewerHub m_viewers; // after the display: goes before it
    CommandLog m_commandLog;
    int m_connections = 0;
    int m_open = 0;
    quint64 m_turnedAway = 0; // over the cap since it was last logged
    quint32 m_nextSessionId;
};
