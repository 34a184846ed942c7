#pragma once
// Accepts recorder connections and holds what every session shares: the
// options, the display stream and the command log. GUI-less, main thread.
//
// At most --max-connections sessions exist at a time; a connection beyond
// them is closed at once. When accepting fails for want of descriptors the
// server tries again shortly instead of giving up. New viewers join the
// display at a bounded rate, since each one costs every viewer a keyframe;
// keyframes a decoder asks for share that bound.

#include "CommandLog.h"
#include "SimDisplayStream.h"
#include "SimOptions.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTimer>

#include <memory>

class RecorderSession;

class RecorderServer : public QObject
{
    Q_OBJECT
public:
    static constexpr int kViewerIntervalMs = 500;

    explicit RecorderServer(const SimOptions &options, QObject *parent = nullptr);
    ~RecorderServer() override;

    bool listen(QString &error);
    QHostAddress address() const { return m_server.serverAddress(); }
    quint16 port() const { return m_server.serverPort(); }

    const SimOptions &options() const { return m_options; }
    SimDisplayStream &display() { return *m_display; }
    CommandLog &commandLog() { return m_commandLog; }
    quint32 newSessionId();
    void setResolution(int width, int height);
    // The session's viewer is attached now or within kViewerIntervalMs,
    // unless it is cancelled first.
    void requestViewer(RecorderSession *session);
    void cancelViewer(RecorderSession *session);
    // A viewer's decoder needs an IDR: made with the next viewer that joins,
    // and like joins at most every kViewerIntervalMs, since every viewer
    // gets it.
    void requestKeyFrame();
    // For a harness that runs thousands of short sessions, each of which
    // must see its viewer attached at once.
    void setViewerInterval(int ms) { m_viewerIntervalMs = ms; }

private:
    void startSession(QTcpSocket *socket);
    void openViewerGate();
    void attachWaitingViewers();

    SimOptions m_options;
    QTcpServer m_server; // listens; a PacedAcceptor accepts
    std::unique_ptr<SimDisplayStream> m_display;
    CommandLog m_commandLog;
    int m_connections = 0;
    int m_open = 0;
    quint32 m_nextSessionId;
    QList<QPointer<RecorderSession>> m_waitingViewers;
    bool m_keyFrameWanted = false;
    int m_viewerIntervalMs = kViewerIntervalMs;
    QElapsedTimer m_lastViewer;
    QTimer m_viewerGate;
};
