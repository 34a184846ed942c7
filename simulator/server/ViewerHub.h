#pragma once
// Hands the display's pictures to every viewer and folds their paces into
// the display's one: the network side of the stream.
//
// The stream's thread publishes each picture once on its board and writes
// one eventfd, whatever the number of viewers; here, on the main thread,
// each admitted feed frames and sends it under its own rules. After any
// feed's pace changes the hub gives the display the lowest rate any feed
// asks for and holds it while any feed holds (linear in the feeds, which
// --max-connections bounds).
//
// Memory: the media waiting for all viewers together stays within
// kMediaBudget, each viewer's share the budget over the viewers playing
// (ViewerFeed bounds the share).
//
// Admission: every new viewer costs every viewer a keyframe, so viewers
// join at most every kViewerIntervalMs; keyframes a decoder asks for share
// that bound.
//
// Threads: main thread, but for the wake the board calls. It holds feeds,
// never sessions; a feed is withdrawn before it goes away.

#include "FeedHost.h"
#include "HoldAllowance.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <vector>

class QSocketNotifier;
class PictureSource;
class ViewerFeed;

class ViewerHub : public QObject, public FeedHost
{
    Q_OBJECT
public:
    static constexpr int kViewerIntervalMs = 500;
    static constexpr qint64 kMediaBudget = 64 * 1024 * 1024;
    using Clock = std::function<qint64()>; // ms from any fixed start

    explicit ViewerHub(PictureSource &display, QObject *parent = nullptr);
    ~ViewerHub() override;

    // False when the hub has no wake (out of descriptors): no viewer then.
    bool ready() const { return m_wake >= 0; }
    // The feed starts now or within kViewerIntervalMs, unless withdrawn first.
    void admit(ViewerFeed *feed);
    // Stops it if it plays; nothing is offered to it afterwards.
    void withdraw(ViewerFeed *feed);
    // For a harness that runs thousands of short sessions, each of which
    // must see its viewer start at once.
    void setViewerInterval(int ms) { m_viewerIntervalMs = ms; }
    void setClock(Clock clock) { m_clock = std::move(clock); }

    void paceChanged() override;
    void requestKeyFrame() override;
    quint64 skipped() const override;
    HoldAllowance &holdAllowance() override { return m_holdAllowance; }
    qint64 mediaCap() const override;

private:
    struct Playing
    {
        ViewerFeed *feed;
        int viewer; // the display's id for it
    };

    void openGate();
    qint64 untilGateOpens() const;
    void onGate();
    void startWaiting();
    void onPictures();

    PictureSource &m_display;
    int m_wake = -1; // eventfd the board writes once per picture
    QSocketNotifier *m_notifier = nullptr;
    std::uint64_t m_cursor = 0;
    std::vector<Playing> m_playing;
    std::vector<ViewerFeed *> m_waiting;
    bool m_offering = false; // feeds withdrawn meanwhile are swept after
    qint64 m_rate = 0;
    bool m_hold = false;
    HoldAllowance m_holdAllowance;
    bool m_keyFrameWanted = false;
    int m_viewerIntervalMs = kViewerIntervalMs;
    QElapsedTimer m_elapsed;
    Clock m_clock;
    qint64 m_lastOpenMs = -1; // by m_clock
    QTimer m_gate;
};
