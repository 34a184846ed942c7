#pragma once
// Where each answered click's time went, from the simulator's picture trace
// (its --picture-trace lines, on the same monotonic clock as the bench):
//
// - command: the press entering the video frame to the recorder's display
//   taking the command (the client's call, the way there, the simulator's
//   session, and the picture in progress, if any, finishing first);
// - recorder: taking it to the answering picture encoded (drawing, encoding);
// - way back: that picture encoded to its last byte entering libH264Play
//   (the simulator's queues, the path, libNetSDK);
// - client: that last byte to the picture painted.
//
// The answering picture is the first one made after the first command taken
// at or after the press. A click whose picture cannot be told is left out
// and counted.

#include "ClickRun.h"
#include "Samples.h"

#include <json/value.h>

#include <QString>

#include <vector>

class ClickStages
{
public:
    void split(const QString &trace, const std::vector<ClickRun::Reaction> &reactions);
    void write(Json::Value &out) const;

    Samples commandMs, recorderMs, wayBackMs, clientMs, answerBytes;
    int unmatched = 0;
};
