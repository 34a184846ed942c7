#include "ClickToPhoton.h"

#include "BenchSession.h"
#include "ClickRun.h"
#include "OtherViewers.h"
#include "ProcessUsage.h"
#include "SimStageProbe.h"

#include <QElapsedTimer>

#include <random>
#include <string>

namespace {

// What the simulator has spent so far: on the whole, on its display's
// thread, and in pictures made.
struct SimSpent
{
    double cpu = 0, displayCpu = 0;
    int pictures = 0;
    qint64 ms = 0;
    static SimSpent now(const BenchSession &session, const QElapsedTimer &clock)
    {
        SimSpent s;
        s.cpu = ProcessUsage::cpuSeconds(session.simPid());
        s.displayCpu = ProcessUsage::threadCpuSeconds(session.simPid(), "sim-display");
        s.pictures = session.pictureTrace().count(QLatin1String("picture "));
        s.ms = clock.elapsed();
        return s;
    }
};

void writeRoom(const BenchSession &session, const SimSpent &a, const SimSpent &b, int viewers,
               std::uint64_t otherBlocks, Json::Value &out)
{
    const double seconds = double(b.ms - a.ms) / 1000;
    const int pictures = b.pictures - a.pictures;
    out["viewers"] = viewers;
    out["sim_cpu_percent"] = 100 * (b.cpu - a.cpu) / seconds;
    out["sim_rss_mb"] = ProcessUsage::residentMb(session.simPid());
    out["sim_pictures_per_s"] = pictures / seconds;
    out["sim_display_ms_per_picture"] =
        pictures > 0 ? 1000 * (b.displayCpu - a.displayCpu) / pictures : 0;
    out["other_viewer_blocks_per_s"] =
        viewers > 1 ? double(otherBlocks) / seconds / (viewers - 1) : 0;
}

} // namespace

bool ClickToPhoton::run(const Options &options, Json::Value &out, QString &error)
{
    // Measured before the stream starts, so that nothing competes with it.
    const SimStageProbe::Result sim = SimStageProbe::measure(options.resolution, 25);

    BenchSession::Options sessionOptions;
    sessionOptions.resolution = options.resolution;
    sessionOptions.frame = options.frame;
    sessionOptions.simOptions = options.simArgs;
    sessionOptions.tracePictures = options.viewers > 0;
    BenchSession session(sessionOptions);
    if (!session.open(error))
        return false;
    OtherViewers others;
    if (options.viewers > 1) {
        if (!others.open(session.simPort(), options.viewers - 1, error))
            return false;
        BenchSession::wait(1000); // the last joiner's keyframe passes
    }
    QElapsedTimer clock;
    clock.start();
    const SimSpent before = SimSpent::now(session, clock);
    const std::uint64_t blocksBefore = others.blocks();
    ClickRun run(session);
    std::mt19937 random(7);
    std::uniform_int_distribution<int> pause(120, 260);
    for (int i = 0; i < options.clicks; ++i) {
        run.click(i);
        // A person's clicks are this far apart at the quickest.
        BenchSession::wait(pause(random));
    }
    session.setFrameHandler(nullptr);
    if (options.viewers > 0)
        writeRoom(session, before, SimSpent::now(session, clock), options.viewers,
                  others.blocks() - blocksBefore, out);
    others.close();

    const Samples &lat = run.latencyMs;
    out["resolution"] = QString("%1x%2")
                            .arg(options.resolution.width())
                            .arg(options.resolution.height())
                            .toStdString();
    out["frame_size"] =
        QString("%1x%2").arg(options.frame.width()).arg(options.frame.height()).toStdString();
    out["clicks"] = options.clicks;
    out["clicks_measured"] = lat.count();
    out["clicks_missed"] = run.missed;
    out["latency_p50_ms"] = lat.median();
    out["latency_p95_ms"] = lat.percentile(95);
    out["latency_p99_ms"] = lat.percentile(99);
    out["latency_max_ms"] = lat.max();
    for (const int p : {50, 95, 99}) {
        out["press_to_last_byte_p" + std::to_string(p) + "_ms"] = run.toLastByteMs.percentile(p);
        out["last_byte_to_painted_p" + std::to_string(p) + "_ms"] =
            run.lastByteToPaintMs.percentile(p);
    }
    out["press_command_p50_ms"] = run.sendMs.median();
    out["sim_render_p50_ms"] = sim.renderMs;
    out["sim_encode_p50_ms"] = sim.encodeMs;
    run.stages.write(out, "client_");
    const double floor = sim.renderMs + sim.encodeMs + run.stages.workFloorMs();
    out["floor_ms"] = floor;
    out["latency_p50_over_floor"] = floor > 0 ? lat.median() / floor : 0;
    return lat.count() > 0;
}
