#pragma once
// One viewer's media: the pictures the display publishes, framed for its
// connection and sent, dropped or paced by its own rules.
//
// It waits for a keyframe to start; while the connection cannot take more
// (over kMaxQueuedMedia unsent, or stalled by its pacer) it drops whole runs
// up to the next keyframe, which it then asks for. Unless the stream is
// fixed-rate, it reads the path every kPaceMs and after every picture
// written (SendPacer) and tells its host when its rate or hold changes; the
// host folds every feed's into the display's one pace. A client that held
// the others back lately (PatienceRecord) gets the short patience on its
// next play, whichever connection it comes on.
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
    quint64 m_sent = 0, m_bytes = 0, m_dropped = 0, m_dropRuns = 0, m_stalls = 0;
    quint64 m_skippedAtStart = 0; // the display's count when this play started
    Figures m_mark;               // totals at the last figures line
};
