#pragma once
// Accepts recorder connections and holds what every session shares: the
// options, the display stream and the command log. GUI-less, main thread.
//
// At most --max-connections sessions exist at a time, and each source
// address may hold only a few that have not logged in (SocketAdmission);
// a connection beyond them is closed at once. Login answers to a source
// that keeps failing are spaced (LoginThrottle). When accepting fails for want of descriptors the
// server tries again shortly instead of giving up. Sessions reach it
// through SessionHost; their viewers' media and admission are the
// ViewerHub's.

#include "CommandLog.h"
#include "LogBudget.h"
#include "LoginThrottle.h"
#include "SessionHost.h"
#include "SimDisplayStream.h"
#include "SimOptions.h"
#include "SocketAdmission.h"
#include "ViewerHub.h"

#include <QElapsedTimer>
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
    LogBudget &log() override { return m_log; }
    quint32 newSessionId() override;
    ViewerHub &viewers() override { return m_viewers; }
    int loginAnswerDelayMs(const QHostAddress &peer, bool accepted) override;
    void loginBegun(const QTcpSocket *connection) override { m_admission.progressed(connection); }
    void loggedIn(const QTcpSocket *connection) override { m_admission.loggedIn(connection); }
    void setResolution(int width, int height);

private:
    // The kernel's queue for each client, which it would otherwise grow to
    // 4 MiB for one that does not read: 1 MiB keeps 40 Mbit/s in flight
    // over a 200 ms round trip, ten times what the stream needs.
    static constexpr int kKernelSendBuffer = 1024 * 1024;
    static constexpr int kAcceptLogBurst = 20; // lines
    static constexpr int kAcceptLogPerSecond = 2;

    bool startSession(QTcpSocket *socket);

    SimOptions m_options;
    QTcpServer m_server; // listens; a PacedAcceptor accepts
    std::unique_ptr<SimDisplayStream> m_display;
    ViewerHub m_viewers; // after the display: goes before it
    CommandLog m_commandLog;
    LogBudget m_log{LogBudget::kServerBurst, LogBudget::kServerPerSecond, nullptr};
    // The acceptor's lines: what peers cause by connecting at all.
    LogBudget m_acceptLog{kAcceptLogBurst, kAcceptLogPerSecond, &m_log};
    SocketAdmission m_admission;
    LoginThrottle m_throttle;
    QElapsedTimer m_clock; // the throttle's
    int m_connections = 0;
    quint32 m_nextSessionId;
};
