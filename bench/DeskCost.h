#pragma once
// What the client costs the desk machine: its CPU (percent of one core) and
// resident memory while it shows a live 1920x1080 stream at 25 frames per
// second, and how its memory grows over a long run with continuous mouse
// input (moves all the time, a click on a tile every few seconds). The
// simulator runs in its own process and is measured apart.

#include <json/value.h>

#include <QString>

class DeskCost
{
public:
    static bool run(int costSeconds, double growthMinutes, Json::Value &out, QString &error);
};
