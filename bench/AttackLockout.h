#pragma once
// Lock-out from many addresses: 40 loopback addresses each hold one idle
// connection to a listener and reopen it as soon as it is closed, while a
// user logs in 12 times with the real libNetSDK, by address to the
// recorder or by cloud serial through the P2P service, directly and
// through a 40 ms round trip. Each path is measured quiet first, then
// under the attack, on a simulator of its own.

#include <json/value.h>

#include <QString>

#include <cstdint>
#include <string>

class AttackLockout
{
public:
    static constexpr int kAddresses = 40;
    static constexpr int kLogins = 12;
    static constexpr int kLinkRoundTripMs = 40;

    // One run of every path; figures named <listener>_<path>_<quiet|attack>_*.
    static bool run(Json::Value &figures, QString &error);

private:
    struct Path
    {
        bool cloud = false;
        bool link = false;
    };
    static bool runPath(const Path &path, Json::Value &figures, QString &error);
    static void probe(const Path &path, std::uint16_t port, const std::string &prefix,
                      Json::Value &figures);
};
