#pragma once
// One connection to the simulated recorder: the challenge, the login, and
// then requests until logout, a fault or the peer leaves.
//
// Threads: lives on the main thread. The display stream's sink runs on the
// stream's thread: it only appends the framed access unit to m_media (under
// m_mediaMutex) and, when that queue was empty, wakes m_mediaWake, whose
// notifier drains the queue here. Nothing of Qt crosses the threads.
// The destructor removes the viewer first, so no post can follow it.

#include "Messages.h"
#include "WireChannel.h"

#include <QObject>

#include <deque>
#include <mutex>
#include <vector>

class QSocketNotifier;
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
    void queueMedia(const std::uint8_t *data, std::size_t size, bool keyFrame);
    void drainMedia();
    void writeMedia(const std::vector<std::uint8_t> &bytes, bool keyFrame);
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
    struct Unit
    {
        std::vector<std::uint8_t> bytes;
        bool keyFrame;
    };
    std::mutex m_mediaMutex;
    std::deque<Unit> m_media; // filled on the stream's thread, drained here
    quint32 m_mediaSession = 0, m_mediaStream = 0;
    int m_mediaWake = -1; // eventfd
    QSocketNotifier *m_mediaNotifier = nullptr;
};
