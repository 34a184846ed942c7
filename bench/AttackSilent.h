#pragma once
// Silent sessions: 32 clients, each from its own address, log in and then
// send nothing, holding every slot of the default table. An honest
// libNetSDK login is tried every few seconds until one gets in or the
// deadline passes; meanwhile the tool notes when the recorder closes the
// silent ones.

#include <json/value.h>

#include <QString>

class AttackSilent
{
public:
    static constexpr int kSessions = 32;
    static constexpr int kDeadlineS = 90;
    static constexpr int kTryEveryMs = 3000;
    // Figures in seconds after the last silent login; -1 for "not within
    // the deadline".
    static bool run(Json::Value &figures, QString &error);
};
