#include "ClickToPhoton.h"

#include "BenchSession.h"
#include "ClickRun.h"
#include "SimStageProbe.h"

#include <random>
#include <string>

bool ClickToPhoton::run(const Options &options, Json::Value &out, QString &error)
{
    // Measured before the stream starts, so that nothing competes with it.
    const SimStageProbe::Result sim = SimStageProbe::measure(options.resolution, 25);

    BenchSession::Options sessionOptions;
    sessionOptions.resolution = options.resolution;
    sessionOptions.frame = options.frame;
    sessionOptions.simOptions = options.simArgs;
    BenchSession session(sessionOptions);
    if (!session.open(error))
        return false;
    ClickRun run(session);
    std::mt19937 random(7);
    std::uniform_int_distribution<int> pause(120, 260);
    for (int i = 0; i < options.clicks; ++i) {
        run.click(i);
        // A person's clicks are this far apart at the quickest.
        BenchSession::wait(pause(random));
    }
    session.setFrameHandler(nullptr);

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
