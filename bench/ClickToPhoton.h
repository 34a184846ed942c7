#pragma once
// Click-to-photon: from a left press entering the video frame to the first
// painted frame that shows the recorder's reaction, over many clicks at
// varied places, with the processing floor measured stage by stage.
//
// The reaction is the simulator's pointer, which it draws at the press
// position: the bench reads the painted pixels (from the window's backing
// store, inside the play library's paint report) at a point inside the
// white body of the arrow, and only clicks where that point was not white
// before. Clicks go to the four tiles in turn, so the pointer always jumps.
//
// With other viewers, the simulator's CPU, memory and its display thread's
// time per picture are taken over the clicks.

#include <json/value.h>

#include <QSize>
#include <QString>
#include <QStringList>

class ClickToPhoton
{
public:
    struct Options
    {
        QSize resolution{1920, 1080};
        QSize frame{1280, 720};
        int clicks = 200;
        QStringList simArgs;
        // 0 for the plain run; N for N viewers playing at once, one of them
        // clicking, with what the simulator spends on them.
        int viewers = 0;
    };
    // Fills out with the figures; false (and error) when the session failed.
    static bool run(const Options &options, Json::Value &out, QString &error);
};
