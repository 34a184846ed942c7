#pragma once
// One connection to the simulated recorder: the challenge, the login, and
// then requests until logout, a fault or the peer leaves.
//
// Threads: lives on the main thread. The display stream's sink runs on the
// stream's thread and only posts the encoded media frame to this object;
// the destructor removes the viewer first, so no post can follow it.

#include "Messages.h"
#include "WireChannel.h"

#include <QObject>
#include <QPointer>

#include <vector>

class QTcpSocket;
class RecorderServer;

class RecorderSession : public QObject
{
    Q_OBJECT
public:
    RecorderSession(QTcpSocket *socket, RecorderServer *server, int number);
    ~RecorderSession() override;

private:
    void onReadyRead();
    void handle(const tvwire::Frame &frame);
    void handleLogin(const tvwire::Frame &frame);
    int decideLogin(const tvwire::LoginRequest &request) const;
    void handleConfig(const tvwire::Frame &frame);
    void handleRealPlay(const tvwire::Frame &frame);
    void handleStop(const tvwire::Frame &frame);
    void handleJson(const tvwire::Frame &frame);
    void reply(const tvwire::Frame &request, std::uint16_t type,
               const std::vector<std::uint8_t> &body);
    void writeMedia(const QByteArray &bytes, bool keyFrame);
    void stopViewer();
    void startFaultTimers();
    void close(const QString &why);
    void log(const QString &line) const;

    QTcpSocket *m_socket;
    RecorderServer *m_server;
    WireChannel m_channel;
    const int m_number;
    std::vector<std::uint8_t> m_nonce;
    quint32 m_sessionId = 0;
    bool m_hung = false;
    int m_viewer = 0;
    quint32 m_streamId = 0;
    bool m_waitForKey = false;
    quint64 m_mediaSent = 0;
};
