#include "SimLogCounts.h"

#include <QRegularExpression>

SimLogCounts SimLogCounts::parse(const QString &log)
{
    SimLogCounts c;
    // One viewer per run: the last stop line is the bench's.
    const QRegularExpression stopped(
        "real play stopped after (\\d+) media blocks, (\\d+) dropped in (\\d+) runs");
    auto it = stopped.globalMatch(log);
    while (it.hasNext()) {
        const auto m = it.next();
        c.mediaSent = m.captured(1).toLongLong();
        c.dropped = m.captured(2).toLongLong();
        c.dropRuns = m.captured(3).toLongLong();
    }
    return c;
}

void SimLogCounts::write(Json::Value &out) const
{
    out["sim_media_sent"] = Json::Int64(mediaSent);
    out["frames_dropped"] = Json::Int64(dropped);
    out["frame_drop_runs"] = Json::Int64(dropRuns);
    out["frames_skipped"] = Json::Int64(skipped);
    out["frames_skipped_reported"] = reportsSkipped;
}
