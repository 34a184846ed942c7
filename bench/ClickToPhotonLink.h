#pragma once
// Click-to-photon through a slow path: the same clicks as ClickToPhoton at
// 1920x1080, with the client reaching the simulator through the link
// emulator. Besides the latency it measures the clicks never answered
// within the deadline, the painted picture's age (PictureAge), the stream's
// rate as the link delivered it, the frames painted per second, and what the
// simulator's log says it did not send.
//
// Without a link ("direct") the client connects straight to the simulator:
// that is for a path shaped outside the process (bench/tbf-cross-check).

#include "LinkShape.h"

#include <json/value.h>

#include <QSize>
#include <QString>
#include <QStringList>

class ClickToPhotonLink
{
public:
    struct Options
    {
        bool direct = false; // no relay: the path is shaped outside
        LinkShape link;
        QString label; // the link as the table names it
        QString tag;   // what sets this run apart from others through the same link
        QSize resolution{1920, 1080};
        QSize frame{1280, 720};
        int clicks = 60;
        int deadlineMs = 3000; // a click not answered by then counts as never answered
        QStringList simArgs;   // e.g. --fixed-rate
    };
    static bool run(const Options &options, Json::Value &out, QString &error);
};
