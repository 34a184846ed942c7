#include "DeskCost.h"

#include "BenchSession.h"
#include "CVideoFrame.h"
#include "ProcessUsage.h"
#include "Samples.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTimer>

#include <cmath>

namespace {
void sendMouse(QWidget *target, QEvent::Type type, Qt::MouseButton button, QPoint at)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? button : Qt::NoButton;
    QMouseEvent event(type, at, target->mapToGlobal(at), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

// Moves along a slow figure of eight over the frame, 100 times a second,
// with a left click every 3 seconds.
void driveMouse(CVideoFrame *video, int ms)
{
    QElapsedTimer clock;
    clock.start();
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    int ticks = 0;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        const double t = double(clock.elapsed()) / 1000.0;
        const QPoint at(int(video->width() * (0.5 + 0.4 * std::sin(t * 0.7))),
                        int(video->height() * (0.5 + 0.4 * std::sin(t * 1.4))));
        sendMouse(video, QEvent::MouseMove, Qt::NoButton, at);
        if (++ticks % 300 == 0) {
            sendMouse(video, QEvent::MouseButtonPress, Qt::LeftButton, at);
            sendMouse(video, QEvent::MouseButtonRelease, Qt::LeftButton, at);
        }
    });
    timer.start(10);
    BenchSession::wait(ms);
}
} // namespace

bool DeskCost::run(int costSeconds, double growthMinutes, Json::Value &out, QString &error)
{
    BenchSession session({});
    if (!session.open(error))
        return false;
    Samples rss;
    QElapsedTimer wall;
    const double cpu0 = ProcessUsage::cpuSeconds(),
                 simCpu0 = ProcessUsage::cpuSeconds(session.simPid());
    wall.start();
    for (int s = 0; s < costSeconds; ++s) {
        BenchSession::wait(1000);
        rss.add(ProcessUsage::residentMb());
    }
    const double seconds = double(wall.elapsed()) / 1000.0;
    out["stream"] = "1920x1080 at 25 fps";
    out["cost_seconds"] = seconds;
    out["cpu_percent_of_one_core"] = 100.0 * (ProcessUsage::cpuSeconds() - cpu0) / seconds;
    out["sim_cpu_percent_of_one_core"] =
        100.0 * (ProcessUsage::cpuSeconds(session.simPid()) - simCpu0) / seconds;
    out["rss_mean_mb"] = rss.mean();
    out["rss_max_mb"] = rss.max();

    if (growthMinutes > 0) {
        const double before = ProcessUsage::residentMb();
        const int ms = int(growthMinutes * 60000);
        // A first minute of input settles the allocators; growth is counted
        // after it as well as from the start.
        const int settleMs = qMin(60000, ms / 5);
        driveMouse(session.video(), settleMs);
        const double settled = ProcessUsage::residentMb();
        driveMouse(session.video(), ms - settleMs);
        const double after = ProcessUsage::residentMb();
        out["growth_minutes"] = growthMinutes;
        out["rss_growth_start_mb"] = before;
        out["rss_growth_end_mb"] = after;
        out["rss_growth_mb"] = after - before;
        out["rss_growth_after_settling_mb"] = after - settled;
    }
    return true;
}
