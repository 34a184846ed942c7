#include "ClickRun.h"

#include "CVideoFrame.h"
#include "DeviceScaler.h"
#include "SimLayout.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QTimer>

#include <cstdio>

namespace {
// A point well inside the white body of the simulator's arrow, in the
// units its pointer is drawn in (tip at 0,0; 1.15 units per display pixel
// at 1080 lines).
constexpr double kProbeX = 4.5, kProbeY = 12.0, kArrowUnit = 1.15;
constexpr int kWhite = 200, kNotWhite = 150;

void sendMouse(QWidget *target, QEvent::Type type, QPoint at)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
    QMouseEvent event(type, at, target->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

int minChannel(const QColor &c)
{
    return qMin(c.red(), qMin(c.green(), c.blue()));
}
} // namespace

ClickRun::ClickRun(BenchSession &session, int deadlineMs)
    : m_session(session), m_deadlineMs(deadlineMs)
{
    const QSize device = session.options().resolution, frame = session.options().frame;
    const SimLayout layout(device, SimUiState{});
    const double sx = double(frame.width()) / device.width();
    const double sy = double(frame.height()) / device.height();
    for (const SimLayout::Control &tile : layout.tiles)
        m_tiles.push_back(QRect(QPoint(int(tile.rect.left() * sx), int(tile.rect.top() * sy)),
                                QPoint(int(tile.rect.right() * sx), int(tile.rect.bottom() * sy))));
    m_arrowScale = layout.unit * kArrowUnit * sx;
    session.setFrameHandler([this](const TvPlayFrameTimes &t) { onFrame(t); });
}

bool ClickRun::isReaction(const QColor &c) const
{
    return minChannel(c) >= kWhite;
}

bool ClickRun::place(int index, QPoint &frameAt, QPoint &probe)
{
    const QRect tile = m_tiles[size_t(index) % m_tiles.size()];
    const QSize device = m_session.options().resolution, frame = m_session.options().frame;
    const int margin = int(tile.width() * 0.15);
    std::uniform_int_distribution<int> xs(tile.left() + margin, tile.right() - 2 * margin);
    std::uniform_int_distribution<int> ys(tile.top() + margin, tile.bottom() - 2 * margin);
    for (int attempt = 0; attempt < 20; ++attempt) {
        frameAt = QPoint(xs(m_random), ys(m_random));
        // Where the recorder will draw the tip: the client's own scaling.
        const int dx = DeviceScaler::scaleAxis(frameAt.x(), frame.width(), device.width());
        const int dy = DeviceScaler::scaleAxis(frameAt.y(), frame.height(), device.height());
        const double toFrameX = double(frame.width()) / device.width();
        const double toFrameY = double(frame.height()) / device.height();
        probe = QPoint(int(dx * toFrameX + kProbeX * m_arrowScale + 0.5),
                       int(dy * toFrameY + kProbeY * m_arrowScale + 0.5));
        if (minChannel(m_session.framePatch(probe, 1)) < kNotWhite)
            return true;
        ++rejectedPlaces;
    }
    return false;
}

bool ClickRun::click(int index)
{
    QPoint at, probe;
    if (!place(index, at, probe)) {
        ++notPlaced;
        return false;
    }
    QEventLoop loop;
    m_probe = probe;
    m_latencyMs = -1;
    m_waiting = &loop;
    m_pressNs = BenchSession::nowNs();
    sendMouse(m_session.video(), QEvent::MouseButtonPress, at);
    sendMs.add(double(BenchSession::nowNs() - m_pressNs) / 1e6);
    // The deadline runs from the press: the command's call may itself block.
    const int left = m_deadlineMs - int((BenchSession::nowNs() - m_pressNs) / 1000000);
    QTimer::singleShot(qMax(0, left), &loop, &QEventLoop::quit);
    if (m_latencyMs < 0)
        loop.exec();
    m_waiting = nullptr;
    sendMouse(m_session.video(), QEvent::MouseButtonRelease, at);
    if (m_latencyMs > m_deadlineMs)
        m_latencyMs = -1; // answered too late: never, as far as a person is concerned
    if (m_latencyMs < 0) {
        const QColor c = m_session.framePatch(probe, 1);
        std::fprintf(stderr,
                     "[bench] no reaction to the press at %d,%d probe %d,%d colour %d,%d,%d\n",
                     at.x(), at.y(), probe.x(), probe.y(), c.red(), c.green(), c.blue());
        ++missed;
        return false;
    }
    latencyMs.add(m_latencyMs);
    return true;
}

void ClickRun::onFrame(const TvPlayFrameTimes &times)
{
    stages.add(times, m_session.paintStartNs());
    if (m_waiting && m_latencyMs < 0 && times.inputNs >= m_pressNs &&
        isReaction(m_session.framePatch(m_probe, 1))) {
        m_latencyMs = double(times.paintedNs - m_pressNs) / 1e6;
        toLastByteMs.add(double(times.inputNs - m_pressNs) / 1e6);
        lastByteToPaintMs.add(double(times.paintedNs - times.inputNs) / 1e6);
        reactions.push_back({m_pressNs, times.inputNs, times.paintedNs});
        m_waiting->quit();
    }
    if (alsoOnFrame)
        alsoOnFrame(times);
}
