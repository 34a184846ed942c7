#pragma once
// Commands costly to parse: one logged-in session sends remote-control
// commands as large as the recorder still reads (4 KiB) and full of values
// to build, pipelined a batch ahead of their answers, while an honest
// session times its keep-alives. The keep-alive round trip, quiet and under
// the commands, for 10 s each.

#include <json/value.h>

#include <QString>

#include <cstdint>
#include <string>
#include <vector>

class AttackCostly
{
public:
    static constexpr int kSeconds = 10;
    static constexpr int kBatch = 16;
    static constexpr int kKeepAliveEveryMs = 20;
    static bool run(Json::Value &figures, QString &error);
    // The command text: just under 4 KiB of JSON, as many values as fit,
    // which the reader must build before it can refuse the command.
    static std::string costlyText();

private:
    static void keepAlives(std::uint16_t port, const std::string &prefix, Json::Value &figures);
};
