#include "SimLogCounts.h"

#include <QRegularExpression>

SimLogCounts SimLogCounts::parse(const QString &log)
{
    SimLogCounts c;
    // One viewer per run: the last stop line is the bench's.
    const QRegularExpression stopped(
        "real play stopped after (\\d+) media blocks, (\\d+) dropped in (\\d+) runs"
        "(, (\\d+) pictures skipped)?");
    auto it = stopped.globalMatch(log);
    while (it.hasNext()) {
        const auto m = it.next();
        c.mediaSent = m.captured(1).toLongLong();
        c.dropped = m.captured(2).toLongLong();
        c.dropRuns = m.captured(3).toLongLong();
        // The adaptive sender counts the pictures it did not make.
        c.reportsSkipped = m.capturedLength(5) > 0;
        c.skipped = m.captured(5).toLongLong();
    }
    const QRegularExpression figures("stream: \\d+ units (\\d+) kbit/s, .*; path (\\d+|-) kbit/s, "
                                     "limit (\\d+|-) kbit/s, (\\d+) KiB queued, (\\d+) stalls");
    auto lines = figures.globalMatch(log);
    while (lines.hasNext()) {
        const auto m = lines.next();
        const auto value = [&](int i) {
            return m.captured(i) == "-" ? -1 : m.captured(i).toDouble();
        };
        c.sentKbits.add(value(1));
        c.pathKbits.add(value(2));
        c.limitKbits.add(value(3));
        c.queuedKib.add(value(4));
        c.stalls = m.captured(5).toLongLong();
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
    out["sim_figure_lines"] = sentKbits.count();
    out["sim_sent_kbit_s_p50"] = sentKbits.median();
    out["sim_path_kbit_s_p50"] = pathKbits.median();
    out["sim_limit_kbit_s_p50"] = limitKbits.median();
    out["sim_queued_kib_max"] = queuedKib.max();
    out["sim_stalls"] = Json::Int64(stalls);
}
