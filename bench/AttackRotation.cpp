#include "AttackRotation.h"

#include "AttackSim.h"
#include "BenchSession.h"
#include "HonestViewer.h"
#include "LoginProbe.h"
#include "RotatingAttacker.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <thread>

namespace {
constexpr int kSettleMs = 2000; // the viewers' streams settle, or the attack starts

void sleepMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Pictures a second (their mean and the lower) and the longest gap of both.
void measure(const std::array<HonestViewer, AttackRotation::kViewers> &viewers, std::int64_t from,
             const std::string &prefix, Json::Value &figures)
{
    const std::int64_t to = BenchSession::nowNs();
    double sum = 0, lowest = 1e9, gap = 0;
    for (const HonestViewer &v : viewers) {
        const double fps = v.picturesPerSecond(from, to);
        sum += fps;
        lowest = std::min(lowest, fps);
        gap = std::max(gap, v.longestGapMs(from, to));
    }
    figures[prefix + "_viewer_fps"] = sum / viewers.size();
    figures[prefix + "_viewer_fps_lowest"] = lowest;
    figures[prefix + "_longest_gap_ms"] = gap;
    std::fprintf(stderr, "[attack] rotation %s: %.1f pictures/s (lowest %.1f), gap %.0f ms\n",
                 prefix.c_str(), sum / viewers.size(), lowest, gap);
}
} // namespace

bool AttackRotation::run(Json::Value &figures, QString &error)
{
    AttackSim sim;
    if (!LoginProbe::prepare(error) || !sim.start({}, error))
        return false;
    std::array<HonestViewer, kViewers> viewers;
    for (HonestViewer &v : viewers) {
        if (!v.open(sim.port(), error))
            return false;
    }
    sleepMs(kSettleMs);
    std::int64_t from = BenchSession::nowNs();
    sleepMs(kWindowMs);
    measure(viewers, from, "quiet", figures);

    RotatingAttacker attacker;
    attacker.start(sim.port(), 0, RotatingAttacker::Timing{}, kSettleMs + kWindowMs + 1000);
    sleepMs(kSettleMs);
    from = BenchSession::nowNs();
    sleepMs(kWindowMs);
    measure(viewers, from, "attack", figures);
    attacker.stop();
    figures["attack_lives"] = attacker.lives();
    figures["attack_lives_playing"] = attacker.playing();
    for (HonestViewer &v : viewers)
        v.close();
    return true;
}
