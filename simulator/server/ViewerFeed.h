#pragma once
// One viewer's media: the pictures the display publishes, framed for its
// connection and sent, dropped or paced by its own rules.
//
// It waits for a keyframe to start; while the connection cannot take more
// (over its share of the server's media budget unsent, or stalled by its
// pacer) it drops whole runs up to the next keyframe, which it then asks for. Unless the stream is
// fixed-rate, it reads the path every kPaceMs and after every picture
// written (SendPacer) and tells its host when its rate or hold changes; the
// host folds every feed's into the display's one pace. A viewer that has
// played well for kStandingMs holds the stream on its own patience; any
// other's holds come out of the allowance all such viewers share
// (HoldAllowance), and once that is spent it is cut off like a stalled one.
// A viewer that stalled once gets the short patience on its next play.
//
// Threads: main thread only; the pictures it is offered are shared and
// never changed. Its link, host and log outlive it.

#include "EncodedPicture.h"
#include "SendPacer.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QTimer>

#include <functional>

class FeedHost;
class ViewerLink;

class ViewerFeed : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 kMaxQueuedMedia = 8 * 1024 * 1024;
    // At least one picture of the largest size the display makes.
    static constexpr qint64 kMinQueuedMedia = 512 * 1024;
    static constexpr qint64 kStandingMs = 10000;
    static constexpr int kPaceMs = 10;
    static constexpr int kFiguresMs = 5000; // the stream's figures in the log

    using Log = std::function<void(const QString &line, bool always)>;
    using Clock = std::function<qint64()>; // ms from any fixed start

    ViewerFeed(ViewerLink &link, FeedHost &host, const QHostAddress &client, bool adaptive,
               Log log);
    void setClock(Clock clock) { m_clock = std::move(clock); }

    // The stream this feed frames its media for (the session's and the real
    // play's ids); set before the feed is admitted.
    void setStream(quint32 session, quint32 stream);
    bool idle() const { return m_state == State::Idle; }
    bool playing() const { return m_state == State::Playing; }

    // The host's: waiting for admission, admitted, and given up (logs the
    // totals if it played).
    void setWaiting() { m_state = State::Waiting; }
    void start();
    void stop();
    void offer(const EncodedPicture &picture);
    // Pictures were lost before they reached this feed.
    void lose();
    // One reading of the path, made every kPaceMs while it plays.
    void look();
    qint64 rate() const { return m_rate; } // bits per second, 0 for no limit
    bool holds() const { return m_hold; }

private:
    enum class State
    {
        Idle,
        Waiting,
        Playing
    };
    struct Figures
    {
        quint64 units = 0, bytes = 0, dropped = 0, skipped = 0;
    };

    void send(const EncodedPicture &picture);
    bool mayHold(qint64 nowMs, qint64 sinceLastLookMs);
    void drop();
    void logFigures();
    Figures totals() const;

    ViewerLink &m_link;
    FeedHost &m_host;
    const QHostAddress m_client;
    const bool m_adaptive;
    const Log m_log;
    QElapsedTimer m_elapsed;
    Clock m_clock;
    State m_state = State::Idle;
    quint32 m_session = 0, m_stream = 0;
    bool m_started = false; // a keyframe came since it started
    bool m_waitForKey = false;
    bool m_keyRequested = false;
    SendPacer m_pacer;
    QTimer m_paceTimer;
    QTimer m_figuresTimer;
    qint64 m_rate = 0;
    bool m_hold = false;
    bool m_out = false;       // stalled or cut off: holds nothing, loses media
    bool m_cutOff = false;    // the shared allowance ran out while it held
    qint64 m_wellSinceMs = 0; // playing without stalling since
    qint64 m_lastLookMs = 0;
    quint64 m_sent = 0, m_bytes = 0, m_dropped = 0, m_dropRuns = 0, m_stalls = 0;
    quint64 m_skippedAtStart = 0; // the display's count when this play started
    Figures m_mark;               // totals at the last figures line
};
