#pragma once
// Decoding throughput against a real peer: one 1920x1080 H.264 file made by
// the ffmpeg tool (libx264, 25 fps), decoded and converted to a 1280x720
// picture by libH264Play as fast as it takes the data, and by the ffmpeg
// tool doing the same work (scale to 1280x720, BGRA, no output), one after
// the other in the same run.

#include <json/value.h>

#include <QString>

class DecodeThroughput
{
public:
    static bool run(int seconds, const QString &cacheDir, Json::Value &out, QString &error);
};
