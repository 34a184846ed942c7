#include "ViewerHub.h"

#include "PictureSource.h"
#include "SimOptions.h"
#include "ViewerFeed.h"

#include <QSocketNotifier>

#include <algorithm>
#include <sys/eventfd.h>
#include <unistd.h>

ViewerHub::ViewerHub(PictureSource &display, QObject *parent) : QObject(parent), m_display(display)
{
    m_elapsed.start();
    m_clock = [this] { return m_elapsed.elapsed(); };
    m_gate.setSingleShot(true);
    connect(&m_gate, &QTimer::timeout, this, &ViewerHub::onGate);
    m_wake = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (m_wake < 0)
        return;
    m_notifier = new QSocketNotifier(m_wake, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &ViewerHub::onPictures);
    m_cursor = m_display.pictures().latest();
    const int fd = m_wake;
    m_display.pictures().setWake([fd] {
        const std::uint64_t one = 1;
        if (::write(fd, &one, sizeof one) < 0) {
            // the counter is saturated: the main thread is awake anyway
        }
    });
}

ViewerHub::~ViewerHub()
{
    m_display.pictures().setWake(nullptr);
    for (const Playing &p : m_playing)
        m_display.removeViewer(p.viewer);
    delete m_notifier;
    if (m_wake >= 0)
        ::close(m_wake);
}

void ViewerHub::admit(ViewerFeed *feed)
{
    feed->setWaiting();
    m_waiting.push_back(feed);
    openGate();
}

void ViewerHub::withdraw(ViewerFeed *feed)
{
    m_waiting.erase(std::remove(m_waiting.begin(), m_waiting.end(), feed), m_waiting.end());
    for (Playing &p : m_playing) {
        if (p.feed != feed)
            continue;
        m_display.removeViewer(p.viewer);
        p.feed = nullptr;
    }
    if (!m_offering)
        m_playing.erase(std::remove_if(m_playing.begin(), m_playing.end(),
                                       [](const Playing &p) { return !p.feed; }),
                        m_playing.end());
    feed->stop();
    paceChanged();
}

void ViewerHub::requestKeyFrame()
{
    m_keyFrameWanted = true;
    openGate();
}

quint64 ViewerHub::skipped() const
{
    return m_display.skipped();
}

void ViewerHub::openGate()
{
    if (!m_gate.isActive())
        m_gate.start(int(untilGateOpens()));
}

qint64 ViewerHub::untilGateOpens() const
{
    if (m_lastOpenMs < 0)
        return 0;
    return qMax<qint64>(0, m_lastOpenMs + m_viewerIntervalMs - m_clock());
}

// The interval is kept by the clock: the timer only wakes the hub, and a
// coarse timer may wake it a little early.
void ViewerHub::onGate()
{
    const qint64 wait = untilGateOpens();
    if (wait > 0)
        m_gate.start(int(wait));
    else
        startWaiting();
}

// A joining viewer brings an IDR for everyone, which also serves a decoder
// that asked for one.
void ViewerHub::startWaiting()
{
    const std::vector<ViewerFeed *> waiting = std::move(m_waiting);
    m_waiting.clear();
    for (ViewerFeed *feed : waiting) {
        feed->start();
        m_playing.push_back({feed, m_display.addViewer()});
    }
    if (m_keyFrameWanted && waiting.empty())
        m_display.requestKeyFrame();
    m_keyFrameWanted = false;
    m_lastOpenMs = m_clock();
}

static_assert(ViewerHub::kMediaBudget / ViewerFeed::kMinQueuedMedia >= SimOptions::kMaxConnections,
              "every viewer the server admits gets at least a picture's room");

qint64 ViewerHub::mediaCap() const
{
    const qint64 share = kMediaBudget / qint64(qMax<std::size_t>(1, m_playing.size()));
    return qBound(ViewerFeed::kMinQueuedMedia, share, ViewerFeed::kMaxQueuedMedia);
}

void ViewerHub::onPictures()
{
    std::uint64_t count = 0;
    if (::read(m_wake, &count, sizeof count) < 0) {
        // nothing was pending
    }
    if (m_gate.isActive() && untilGateOpens() == 0) {
        m_gate.stop(); // due: joiners start with these pictures
        startWaiting();
    }
    std::vector<SharedPicture> pictures;
    const bool lost = !m_display.pictures().take(m_cursor, pictures);
    m_display.pictures().release(m_cursor);
    m_offering = true;
    // By index: a feed's session may admit another meanwhile.
    for (std::size_t i = 0; i < m_playing.size(); ++i) {
        if (lost && m_playing[i].feed)
            m_playing[i].feed->lose();
        for (const SharedPicture &picture : pictures) {
            if (m_playing[i].feed)
                m_playing[i].feed->offer(*picture);
        }
    }
    m_offering = false;
    m_playing.erase(std::remove_if(m_playing.begin(), m_playing.end(),
                                   [](const Playing &p) { return !p.feed; }),
                    m_playing.end());
}

void ViewerHub::paceChanged()
{
    qint64 rate = 0;
    bool hold = false;
    for (const Playing &p : m_playing) {
        if (!p.feed)
            continue;
        hold = hold || p.feed->holds();
        const qint64 r = p.feed->rate();
        rate = (r > 0 && (rate == 0 || r < rate)) ? r : rate;
    }
    if (rate == m_rate && hold == m_hold)
        return;
    m_rate = rate;
    m_hold = hold;
    m_display.setPace(rate, hold);
}
