#pragma once
// The client pipeline of a live 1920x1080 stream at rest: from the last
// byte of each frame entering the play library (handed on by libNetSDK's
// data callback as soon as it arrived) to that frame painted.

#include <json/value.h>

#include <QString>

class ClientPipeline
{
public:
    static bool run(int seconds, Json::Value &out, QString &error);
};
