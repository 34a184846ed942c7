#include "ClickToPhotonLink.h"

#include "BenchSession.h"
#include "ClickRun.h"
#include "ClickStages.h"
#include "LinkEmulator.h"
#include "PictureAge.h"
#include "SimLogCounts.h"

#include <random>

namespace {
std::int64_t bytesDelivered(const BenchSession &session)
{
    return session.link() ? session.link()->downstream().bytesOut.load() : 0;
}

std::int64_t framesPainted(const BenchSession &session)
{
    TvPlayStats stats{};
    return session.playStats(stats) ? stats.framesPainted : 0;
}
} // namespace

bool ClickToPhotonLink::run(const Options &options, Json::Value &out, QString &error)
{
    PictureAge age(options.resolution, options.frame);
    BenchSession::Options sessionOptions;
    sessionOptions.resolution = options.resolution;
    sessionOptions.frame = options.frame;
    sessionOptions.throughLink = !options.direct;
    sessionOptions.link = options.link;
    sessionOptions.simOptions = options.simArgs;
    sessionOptions.tracePictures = true;
    BenchSession session(sessionOptions);
    if (!session.open(error))
        return false;
    ClickRun run(session, options.deadlineMs);
    run.alsoOnFrame = [&](const TvPlayFrameTimes &t) { age.onFrame(session, t.paintedNs); };
    const std::int64_t startNs = BenchSession::nowNs();
    const std::int64_t bytes0 = bytesDelivered(session), frames0 = framesPainted(session);
    std::mt19937 random(7);
    std::uniform_int_distribution<int> pause(120, 260);
    for (int i = 0; i < options.clicks; ++i) {
        run.click(i);
        BenchSession::wait(pause(random));
    }
    const double seconds = double(BenchSession::nowNs() - startNs) / 1e9;
    const double kbits = double(bytesDelivered(session) - bytes0) * 8 / 1000 / seconds;
    const double fps = double(framesPainted(session) - frames0) / seconds;
    session.setFrameHandler(nullptr);
    session.close();
    const SimLogCounts sent = SimLogCounts::parse(session.simLog());
    ClickStages stages;
    stages.split(session.pictureTrace(), run.reactions);

    const Samples &lat = run.latencyMs;
    out["link"] = options.label.toStdString();
    out["link_direct"] = options.direct;
    out["link_tag"] = options.tag.toStdString();
    out["link_rate_kbit_s"] = options.direct ? 0 : options.link.rateBitsPerS / 1000;
    out["link_delay_ms"] = options.direct ? 0 : options.link.delayMs;
    out["link_queue_bytes"] = options.direct ? 0 : options.link.queueBytes;
    out["sim_args"] = options.simArgs.join(' ').toStdString();
    out["resolution"] = QString("%1x%2")
                            .arg(options.resolution.width())
                            .arg(options.resolution.height())
                            .toStdString();
    out["clicks"] = options.clicks;
    out["click_deadline_ms"] = options.deadlineMs;
    out["clicks_measured"] = lat.count();
    out["clicks_unanswered"] = run.missed;
    out["clicks_not_placed"] = run.notPlaced;
    out["latency_p50_ms"] = lat.median();
    out["latency_p95_ms"] = lat.percentile(95);
    out["latency_p99_ms"] = lat.percentile(99);
    out["latency_max_ms"] = lat.max();
    // The press's command call blocks the GUI thread until the recorder
    // answers, and the answer comes behind the media queued before it.
    out["press_command_p50_ms"] = run.sendMs.median();
    out["press_command_p99_ms"] = run.sendMs.percentile(99);
    for (int p : {50, 95, 99}) {
        const std::string suffix = "_p" + std::to_string(p) + "_ms";
        out["press_to_last_byte" + suffix] = run.toLastByteMs.percentile(p);
        out["last_byte_to_painted" + suffix] = run.lastByteToPaintMs.percentile(p);
    }
    out["picture_age_p50_ms"] = age.ageMs.median();
    out["picture_age_p99_ms"] = age.ageMs.percentile(99);
    out["picture_age_max_ms"] = age.ageMs.max();
    out["picture_age_samples"] = age.ageMs.count();
    out["picture_age_unreadable_frames"] = age.unreadable;
    out["run_seconds"] = seconds;
    // What the link delivered towards the client; 0 without the relay.
    out["stream_kbit_s"] = options.direct ? 0 : kbits;
    out["frames_painted_per_s"] = fps;
    sent.write(out);
    stages.write(out);
    return lat.count() > 0 || run.missed > 0;
}
