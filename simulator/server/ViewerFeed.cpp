#include "ViewerFeed.h"

#include "FeedHost.h"
#include "HoldAllowance.h"
#include "Messages.h"
#include "ProtocolEncoder.h"
#include "ViewerLink.h"
#include "WireFormat.h"

#include <array>

ViewerFeed::ViewerFeed(ViewerLink &link, FeedHost &host, const QHostAddress &client, bool adaptive,
                       Log log)
    : m_link(link), m_host(host), m_client(client), m_adaptive(adaptive), m_log(std::move(log))
{
    m_elapsed.start();
    m_clock = [this] { return m_elapsed.elapsed(); };
    m_paceTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_paceTimer, &QTimer::timeout, this, &ViewerFeed::look);
    connect(&m_figuresTimer, &QTimer::timeout, this, &ViewerFeed::logFigures);
}

void ViewerFeed::setStream(quint32 session, quint32 stream)
{
    m_session = session;
    m_stream = stream;
}

void ViewerFeed::start()
{
    m_state = State::Playing;
    m_started = m_waitForKey = m_keyRequested = m_hold = false;
    m_rate = 0;
    m_skippedAtStart = m_host.skipped();
    m_mark = totals();
    m_figuresTimer.start(kFiguresMs);
    if (!m_adaptive)
        return;
    m_pacer = SendPacer(m_stalls > 0);
    m_out = m_cutOff = false;
    m_wellSinceMs = m_lastLookMs = m_clock();
    m_paceTimer.start(kPaceMs);
}

void ViewerFeed::stop()
{
    const bool played = playing();
    m_state = State::Idle;
    m_paceTimer.stop();
    m_figuresTimer.stop();
    m_rate = 0;
    m_hold = false;
    if (!played)
        return;
    m_log(QString("real play stopped after %1 media blocks, %2 dropped in %3 runs, %4 pictures "
                  "skipped")
              .arg(m_sent)
              .arg(m_dropped)
              .arg(m_dropRuns)
              .arg(m_host.skipped() - m_skippedAtStart),
          false);
}

void ViewerFeed::offer(const EncodedPicture &picture)
{
    if (!playing() || !m_link.open() || !(m_started || picture.keyFrame))
        return;
    m_started = true;
    if (picture.keyFrame)
        m_keyRequested = false; // whether it is sent or not, a new one must be asked for
    if ((m_waitForKey && !picture.keyFrame) || m_link.unsent() > m_host.mediaCap() ||
        (m_adaptive && m_out))
        return drop();
    m_waitForKey = false;
    send(picture);
    // The display learns before its next picture whether this one filled the queue.
    if (m_adaptive)
        look();
}

void ViewerFeed::send(const EncodedPicture &picture)
{
    const std::size_t size = picture.bytes.size();
    const std::size_t body = tvwire::kMediaPrefixSize + size;
    if (body > tvwire::kMaxMediaBody)
        return drop();
    std::array<std::uint8_t, tvwire::kHeaderSize + tvwire::kMediaPrefixSize> head;
    tvwire::ProtocolEncoder::writeHeader(tvwire::MsgMedia, m_session, 0, std::uint32_t(body),
                                         head.data());
    tvwire::writeMediaPrefix(m_stream,
                             picture.keyFrame ? tvwire::MediaVideoKey : tvwire::MediaVideo,
                             std::uint32_t(size), head.data() + tvwire::kHeaderSize);
    m_link.write(head.data(), head.size(), picture.bytes.data(), size);
    ++m_sent;
    m_bytes += head.size() + size;
}

void ViewerFeed::lose()
{
    if (playing() && m_started)
        drop();
}

// A client that cannot keep up loses whole runs up to a keyframe; the runs
// are counted, not logged one by one.
void ViewerFeed::drop()
{
    ++m_dropped;
    if (m_waitForKey)
        return;
    m_waitForKey = true;
    if (m_dropRuns++ == 0)
        m_log("client is not keeping up: dropping media up to the next keyframe (counted from "
              "now on)",
              false);
}

void ViewerFeed::look()
{
    if (!playing() || !m_adaptive)
        return;
    const SocketQueue kernel = m_link.kernel();
    SendPacer::Reading r;
    r.nowMs = m_clock();
    r.queued = m_link.unsent() + kernel.queuedBytes;
    r.delivered = m_link.handedToKernel() - kernel.queuedBytes;
    r.minRttUs = kernel.minRttUs;
    m_pacer.update(r);
    const qint64 since = r.nowMs - m_lastLookMs;
    m_lastLookMs = r.nowMs;
    if (!m_pacer.full())
        m_cutOff = false;
    const bool hold = m_pacer.hold() && !m_pacer.stalled() && mayHold(r.nowMs, since);
    // A viewer that is out no longer holds the others back, nor sets their rate.
    const bool out = m_pacer.stalled() || m_cutOff;
    if (out)
        m_wellSinceMs = r.nowMs;
    if (out && !m_out)
        ++m_stalls;
    m_out = out;
    const qint64 rate = out ? 0 : m_pacer.maxRate();
    if (rate != m_rate || hold != m_hold) {
        m_rate = rate;
        m_hold = hold;
        m_host.paceChanged();
    }
    // Drained after a loss: the decoder needs an IDR to go on.
    if (m_waitForKey && !m_pacer.full() && !m_keyRequested) {
        m_keyRequested = true;
        m_host.requestKeyFrame();
    }
}

// A viewer with standing holds on its own patience; any other pays for its
// hold from the shared allowance, and is cut off until it drains once that
// is spent.
bool ViewerFeed::mayHold(qint64 nowMs, qint64 sinceLastLookMs)
{
    if (nowMs - m_wellSinceMs >= kStandingMs)
        return true;
    if (!m_cutOff && !m_host.holdAllowance().spend(nowMs, sinceLastLookMs))
        m_cutOff = true;
    return !m_cutOff;
}

ViewerFeed::Figures ViewerFeed::totals() const
{
    return Figures{m_sent, m_bytes, m_dropped, m_host.skipped()};
}

// One line every kFiguresMs while playing, whatever the log budget says
// about the peer's own lines: the figures are the simulator's, and few.
void ViewerFeed::logFigures()
{
    const Figures now = totals();
    const double seconds = kFiguresMs / 1000.0;
    const auto kbits = [](double bytesPerSecond) { return qRound64(bytesPerSecond * 8 / 1000); };
    const QString path = m_adaptive && m_pacer.measured()
                             ? QString::number(kbits(double(m_pacer.measured())))
                             : QString("-");
    const QString limit = m_rate ? QString::number(qRound64(m_rate / 1000.0)) : "-";
    m_log(QString("stream: %1 units %2 kbit/s, %3 skipped, %4 dropped; path %5 kbit/s, "
                  "limit %6 kbit/s, %7 KiB queued, %8 stalls")
              .arg(now.units - m_mark.units)
              .arg(kbits((now.bytes - m_mark.bytes) / seconds))
              .arg(now.skipped - m_mark.skipped)
              .arg(now.dropped - m_mark.dropped)
              .arg(path, limit)
              .arg((m_adaptive ? m_pacer.queued() : m_link.unsent()) / 1024)
              .arg(m_stalls),
          true);
    m_mark = now;
}
