#pragma once
// One connection to the simulated recorder: the challenge, one login
// attempt, and then requests until logout, a fault or the peer leaves.
//
// A connection gets one challenge and one attempt: a refused login is
// answered and the connection closed, whatever else the peer had sent. An
// unauthenticated connection may send only a small login request and must
// do so within the login deadline.
//
// Requests are handled only while the replies and media already queued for
// the peer stay under a bound; beyond it the session stops reading, so a
// peer that does not read its replies is held back by its own TCP window
// rather than by the simulator's memory. Each turn of the event loop
// handles a bounded number of frames, so one busy peer cannot stall the
// others.
//
// Threads: lives on the main thread. The display stream's sink runs on the
// stream's thread: it only appends the framed access unit to m_media (under
// m_mediaMutex) and, when that queue was empty, wakes m_mediaWake, whose
// notifier drains the queue here. Nothing of Qt crosses the threads.
// The destructor removes the viewer first, so no post can follow it.
//
// Unless the stream is fixed-rate, a viewer's path is looked at every
// kPaceMs (SendPacer) and after every unit written, and the display is told
// its rate and whether it must hold (see SimDisplayStream). A viewer the
// pacer finds stalled drops its media; once drained it waits for an IDR,
// which it asks the server for, since the stream has no periodic ones.

#include "LogBudget.h"
#include "Messages.h"
#include "SendPacer.h"
#include "WireChannel.h"

#include <QObject>

#include <deque>
#include <mutex>
#include <vector>

class QSocketNotifier;
class QTcpSocket;
class QTimer;
class RecorderServer;

class RecorderSession : public QObject
{
    Q_OBJECT
public:
    RecorderSession(QTcpSocket *socket, RecorderServer *server, int number);
    ~RecorderSession() override;

    // Called by the server when this session's real play may start.
    void attachViewer();

    // Media waiting unsent beyond this is dropped up to the next keyframe
    // that fits, keyframes included.
    static constexpr qint64 kMaxQueuedMedia = 8 * 1024 * 1024;
    // Requests are read only while less than kMaxQueuedMedia plus this
    // waits unsent: replies cannot pile up much past the media.
    static constexpr qint64 kReplyAllowance = 256 * 1024;
    // A login request is a name of at most 256 bytes and a few fields.
    static constexpr std::uint32_t kMaxLoginBody = 1024;
    static constexpr int kFramesPerTurn = 256;
    static constexpr qint64 kSocketReadBuffer = 64 * 1024;
    static constexpr int kLingerMs = 2000;
    static constexpr int kLogBurst = 200; // lines
    static constexpr int kLogPerSecond = 50;
    static constexpr int kPaceMs = 10;
    static constexpr int kFiguresMs = 5000; // the stream's figures in the log

private:
    void onReadyRead();
    bool handleSome();
    void scheduleTurn();
    bool repliesBacklogged() const;
    void handle(const tvwire::Frame &frame);
    void handleLogin(const tvwire::Frame &frame);
    int decideLogin(const tvwire::LoginRequest &request) const;
    void refuseLogin(const tvwire::Frame &frame, const tvwire::LoginReply &answer);
    void handleConfig(const tvwire::Frame &frame);
    void handleRealPlay(const tvwire::Frame &frame);
    void handleStop(const tvwire::Frame &frame);
    void handleJson(const tvwire::Frame &frame);
    void logRemoteCtrl(const QByteArray &text);
    void reply(const tvwire::Frame &request, std::uint16_t type,
               const std::vector<std::uint8_t> &body);
    bool openMediaWake();
    void queueMedia(const std::uint8_t *data, std::size_t size, bool keyFrame);
    void drainMedia();
    void writeMedia(const std::vector<std::uint8_t> &bytes, bool keyFrame);
    void dropMedia();
    void stopViewer();
    void startPacing();
    void pace();
    void logFigures();
    void startFaultTimers();
    void close(const QString &why);
    void log(const QString &line, bool error = false, bool always = false);

    QTcpSocket *m_socket;
    RecorderServer *m_server;
    WireChannel m_channel;
    const int m_number;
    std::vector<std::uint8_t> m_nonce;
    quint32 m_sessionId = 0;
    bool m_hung = false;
    bool m_lingering = false; // refused: the reply is out, input is discarded
    bool m_turnScheduled = false;
    int m_viewer = 0;
    bool m_viewerPending = false;
    quint32 m_streamId = 0;
    bool m_waitForKey = false;
    quint64 m_mediaSent = 0;
    quint64 m_mediaDropped = 0; // units, counted instead of logged each time
    quint64 m_dropRuns = 0;
    SendPacer m_pacer;
    QTimer *m_paceTimer = nullptr; // while an adaptive stream plays
    QTimer *m_figuresTimer = nullptr;
    QElapsedTimer m_paceClock;
    qint64 m_paceRate = 0;
    bool m_paceHold = false;
    bool m_keyRequested = false;
    quint64 m_stalls = 0;
    quint64 m_skippedAtStart = 0; // the display's count when this viewer joined
    struct Figures
    {
        quint64 units = 0, bytes = 0, dropped = 0, skipped = 0;
    } m_figuresMark; // totals at the last figures line
    quint64 m_mediaBytes = 0;
    qint64 m_toKernel = 0; // bytes the socket handed the kernel so far
    struct Unit
    {
        std::vector<std::uint8_t> bytes;
        bool keyFrame;
    };
    std::mutex m_mediaMutex;
    std::deque<Unit> m_media; // filled on the stream's thread, drained here
    bool m_mediaLost = false; // units were thrown away since the last drain
    quint32 m_mediaSession = 0, m_mediaStream = 0;
    int m_mediaWake = -1; // eventfd, made with the first real play
    QSocketNotifier *m_mediaNotifier = nullptr;
    LogBudget m_logBudget{kLogBurst, kLogPerSecond};
};
