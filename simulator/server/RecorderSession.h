#pragma once
// One connection to the simulated recorder: the challenge, one login
// attempt, and then requests until logout, a fault or the peer leaves.
//
// A connection gets one challenge and one attempt: a refused login is
// answered and the connection closed, whatever else the peer had sent. An
// unauthenticated connection may send only a small login request and must
// do so within the login deadline, which the server sets per connection
// (shorter while it is nearly full). A logged-in session that sends nothing
// for the idle deadline is closed too: a client's keep-alives come far more
// often, and a silent one would hold its slot for ever. The answer to a login may be held for
// a while (a source that keeps failing gets its answers spaced); meanwhile
// nothing more is read from the connection.
//
// Requests are handled only while the replies and media already queued for
// the peer stay under a bound; beyond it the session stops reading, so a
// peer that does not read its replies is held back by its own TCP window
// rather than by the simulator's memory. Each turn of the event loop
// handles a bounded number of frames and bytes, so one busy peer cannot
// stall the others.
//
// Threads: lives on the main thread. Its viewer's media (ViewerFeed) comes
// from the server's ViewerHub on the same thread; the session owns the feed
// and withdraws it before it goes.
//
// It reaches the server only through SessionHost.

#include "LogBudget.h"
#include "Messages.h"
#include "SocketLink.h"
#include "ViewerFeed.h"
#include "WireChannel.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <vector>

class QTcpSocket;
class SessionHost;

class RecorderSession : public QObject
{
    Q_OBJECT
public:
    RecorderSession(QTcpSocket *socket, SessionHost &host, int number, int loginDeadlineMs,
                    QObject *parent);
    ~RecorderSession() override;

    static constexpr qint64 kMaxQueuedMedia = ViewerFeed::kMaxQueuedMedia;
    // Requests are read only while less than the viewer's media share plus
    // this waits unsent: replies cannot pile up much past the media.
    static constexpr qint64 kReplyAllowance = 256 * 1024;
    // A login request is a name of at most 256 bytes and a few fields.
    static constexpr std::uint32_t kMaxLoginBody = 1024;
    static constexpr int kFramesPerTurn = 256;
    // Sixteen of the largest remote-control commands: a peer sending costly
    // ones delays the others by a few hundred microseconds a turn.
    static constexpr std::size_t kBytesPerTurn = 64 * 1024;
    static constexpr qint64 kSocketReadBuffer = 64 * 1024;
    static constexpr int kLingerMs = 2000;
    static constexpr int kLogBurst = 200; // lines
    static constexpr int kLogPerSecond = 50;

private:
    void onReadyRead();
    bool handleSome();
    void scheduleTurn();
    bool repliesBacklogged() const;
    void handle(const tvwire::Frame &frame);
    void handleLogin(const tvwire::Frame &frame);
    int decideLogin(const tvwire::LoginRequest &request) const;
    void answerLogin(std::uint32_t sequence, const tvwire::LoginRequest &request,
                     tvwire::LoginReply answer);
    void acceptLogin(std::uint32_t sequence, const tvwire::LoginRequest &request,
                     tvwire::LoginReply answer);
    void refuseLogin(std::uint32_t sequence, const tvwire::LoginReply &answer);
    void handleConfig(const tvwire::Frame &frame);
    void handleRealPlay(const tvwire::Frame &frame);
    void handleStop(const tvwire::Frame &frame);
    void handleJson(const tvwire::Frame &frame);
    void logRemoteCtrl(const QByteArray &text);
    void reply(const tvwire::Frame &request, std::uint16_t type,
               const std::vector<std::uint8_t> &body);
    void heard();
    void checkIdle();
    void stopViewer();
    void startFaultTimers();
    void close(const QString &why);
    void log(const QString &line, bool error = false, bool always = false);

    QTcpSocket *m_socket;
    SessionHost &m_host;
    WireChannel m_channel;
    const int m_number;
    std::vector<std::uint8_t> m_nonce;
    quint32 m_sessionId = 0;
    bool m_hung = false;
    bool m_lingering = false;  // refused: the reply is out, input is discarded
    bool m_answerHeld = false; // the login's answer waits: nothing is read
    bool m_turnScheduled = false;
    bool m_handling = false; // inside handleSome()
    bool m_loginBegun = false;
    quint32 m_streamId = 0;
    SocketLink m_link;
    ViewerFeed m_feed;
    LogBudget m_logBudget; // costs from the host's too
    QTimer m_idle;         // started at the login
    QElapsedTimer m_heard; // since the last frame after the login
};
