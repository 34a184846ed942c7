// RecorderSession: the stream paced to the viewer's path, and its figures.
#include "RecorderServer.h"
#include "RecorderSession.h"
#include "SocketQueue.h"

#include <QTcpSocket>
#include <QTimer>

void RecorderSession::startPacing()
{
    m_skippedAtStart = m_server->display().skipped();
    m_figuresMark = Figures{m_mediaSent, m_mediaBytes, m_mediaDropped, m_skippedAtStart};
    m_figuresTimer = new QTimer(this);
    connect(m_figuresTimer, &QTimer::timeout, this, &RecorderSession::logFigures);
    m_figuresTimer->start(kFiguresMs);
    if (m_server->options().fixedRate)
        return;
    m_pacer = SendPacer();
    m_paceRate = 0;
    m_paceHold = false;
    m_keyRequested = false;
    m_paceClock.start();
    m_paceTimer = new QTimer(this);
    m_paceTimer->setTimerType(Qt::PreciseTimer);
    connect(m_paceTimer, &QTimer::timeout, this, &RecorderSession::pace);
    m_paceTimer->start(kPaceMs);
}

void RecorderSession::pace()
{
    if (!m_socket || !m_viewer)
        return;
    const bool wasStalled = m_pacer.stalled();
    const SocketQueue kernel = SocketQueue::read(int(m_socket->socketDescriptor()));
    SendPacer::Reading r;
    r.nowMs = m_paceClock.elapsed();
    r.queued = m_socket->bytesToWrite() + kernel.queuedBytes;
    r.delivered = m_toKernel - kernel.queuedBytes;
    r.minRttUs = kernel.minRttUs;
    m_pacer.update(r);
    // A stalled viewer no longer holds the others back, nor sets their rate.
    const bool stalled = m_pacer.stalled();
    const qint64 rate = stalled ? 0 : m_pacer.maxRate();
    const bool hold = m_pacer.hold() && !stalled;
    if (rate != m_paceRate || hold != m_paceHold) {
        m_paceRate = rate;
        m_paceHold = hold;
        m_server->display().setViewerPace(m_viewer, rate, hold);
    }
    if (stalled && !wasStalled)
        ++m_stalls;
    // Drained after a loss: the decoder needs an IDR to go on.
    if (m_waitForKey && !m_pacer.full() && !m_keyRequested) {
        m_keyRequested = true;
        m_server->requestKeyFrame();
    }
}

// One line every kFiguresMs while playing, whatever the log budget says
// about the peer's own lines: the figures are the simulator's, and few.
void RecorderSession::logFigures()
{
    const Figures now{m_mediaSent, m_mediaBytes, m_mediaDropped, m_server->display().skipped()};
    const double seconds = kFiguresMs / 1000.0;
    const auto kbits = [](double bytesPerSecond) { return qRound64(bytesPerSecond * 8 / 1000); };
    const QString path = m_paceTimer && m_pacer.measured()
                             ? QString::number(kbits(double(m_pacer.measured())))
                             : QString("-");
    const QString limit = m_paceRate ? QString::number(qRound64(m_paceRate / 1000.0)) : "-";
    log(QString("stream: %1 units %2 kbit/s, %3 skipped, %4 dropped; path %5 kbit/s, "
                "limit %6 kbit/s, %7 KiB queued, %8 stalls")
            .arg(now.units - m_figuresMark.units)
            .arg(kbits((now.bytes - m_figuresMark.bytes) / seconds))
            .arg(now.skipped - m_figuresMark.skipped)
            .arg(now.dropped - m_figuresMark.dropped)
            .arg(path, limit)
            .arg(m_paceTimer ? m_pacer.queued() / 1024 : m_socket->bytesToWrite() / 1024)
            .arg(m_stalls),
        false, true);
    m_figuresMark = now;
}
