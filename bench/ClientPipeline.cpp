#include "ClientPipeline.h"

#include "BenchSession.h"
#include "FrameStages.h"

bool ClientPipeline::run(int seconds, Json::Value &out, QString &error)
{
    BenchSession session({});
    if (!session.open(error))
        return false;
    FrameStages stages;
    session.setFrameHandler(
        [&](const TvPlayFrameTimes &t) { stages.add(t, session.paintStartNs()); });
    BenchSession::wait(seconds * 1000);
    session.setFrameHandler(nullptr);
    TvPlayStats stats{};
    session.playStats(stats);
    out["seconds"] = seconds;
    out["frames_decoded"] = Json::Int64(stats.framesDecoded);
    out["frames_painted"] = Json::Int64(stats.framesPainted);
    out["input_bytes_dropped"] = Json::Int64(stats.droppedBytes);
    stages.write(out, "");
    return stages.frames() > 0;
}
