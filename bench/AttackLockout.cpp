#include "AttackLockout.h"

#include "AttackSim.h"
#include "IdleCrowd.h"
#include "LinkEmulator.h"
#include "LoginProbe.h"
#include "Samples.h"

#include <chrono>
#include <cstdio>
#include <thread>

namespace {
// Long enough for twelve logins that each wait out every try.
constexpr int kCrowdDeadlineMs = 15 * 60 * 1000;
// Lets the crowd fill the table before the user comes.
constexpr int kCrowdHeadStartMs = 1000;
} // namespace

bool AttackLockout::run(Json::Value &figures, QString &error)
{
    if (!LoginProbe::prepare(error))
        return false;
    for (const bool cloud : {false, true}) {
        for (const bool link : {false, true}) {
            if (!runPath({cloud, link}, figures, error))
                return false;
        }
    }
    return true;
}

bool AttackLockout::runPath(const Path &path, Json::Value &figures, QString &error)
{
    AttackSim sim;
    if (!sim.start({}, error))
        return false;
    const std::uint16_t target = path.cloud ? sim.p2pPort() : sim.port();
    std::uint16_t port = target;
    LinkShape shape;
    shape.delayMs = kLinkRoundTripMs / 2;
    LinkEmulator emulator(shape);
    if (path.link) {
        std::string why;
        if (!emulator.start(target, why)) {
            error = "the link emulator did not start: " + QString::fromStdString(why);
            return false;
        }
        port = emulator.port();
    }
    const std::string prefix =
        std::string(path.cloud ? "p2p" : "recorder") + (path.link ? "_rtt40ms" : "_loopback");
    probe(path, port, prefix + "_quiet", figures);
    IdleCrowd crowd;
    crowd.start(target, kAddresses, 0, kCrowdDeadlineMs);
    std::this_thread::sleep_for(std::chrono::milliseconds(kCrowdHeadStartMs));
    probe(path, port, prefix + "_attack", figures);
    crowd.stop();
    figures[prefix + "_attack_connections_per_s"] = crowd.perSecond();
    return true;
}

void AttackLockout::probe(const Path &path, std::uint16_t port, const std::string &prefix,
                          Json::Value &figures)
{
    LoginProbe::Target target;
    target.cloud = path.cloud;
    target.port = port;
    target.serial = AttackSim::serial();
    const LoginProbe::Result r = LoginProbe::run(target, kLogins);
    Samples ms;
    for (const double t : r.successMs)
        ms.add(t);
    figures[prefix + "_logins_ok"] = r.successes;
    if (!ms.empty())
        figures[prefix + "_login_p50_ms"] = ms.median();
    std::fprintf(stderr, "[attack] %s: %d of %d in, p50 %.0f ms, failures %s\n", prefix.c_str(),
                 r.successes, kLogins, ms.median(), qPrintable(LoginProbe::errorText(r.errors)));
}
