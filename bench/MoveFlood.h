#pragma once
// Move coalescing under a flood: mouse moves at 1000 per second for 10
// seconds over the video frame, with a button command (press, release,
// double-click, wheel turn) every 100 ms. Counts what the client sends (by
// wrapping the send-JSON-command entry point) and checks what the
// simulator received (its command log): moves per second, the most moves
// in any one second, and button commands lost or out of order.

#include <json/value.h>

#include <QString>

class MoveFlood
{
public:
    static bool run(int seconds, Json::Value &out, QString &error);
};
