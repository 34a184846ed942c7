#pragma once
// What the simulator's log says about the media it did not send to the
// bench's viewer: frames dropped by its queue limit (a run up to the next
// keyframe at a time) and pictures the sender chose not to make (counted
// for the whole display from the start of the play).

#include "Samples.h"

#include <json/value.h>

#include <QString>

class SimLogCounts
{
public:
    static SimLogCounts parse(const QString &log);
    void write(Json::Value &out) const;

    long long mediaSent = -1; // -1: the log did not say
    long long dropped = 0;
    long long dropRuns = 0;
    long long skipped = 0;
    bool reportsSkipped = false; // the simulator logs skipped frames at all
    // The adaptive sender's figures, a line every 5 s: what it wrote, the
    // path's rate it measured, the encoder's rate it asked for (-1 where
    // it said "-"), the bytes waiting then, and its stalls so far.
    Samples sentKbits, pathKbits, limitKbits, queuedKib;
    long long stalls = 0;
};
