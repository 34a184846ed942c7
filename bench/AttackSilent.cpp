#include "AttackSilent.h"

#include "AttackSim.h"
#include "LoginProbe.h"
#include "WireClient.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point t)
{
    return std::chrono::duration<double>(Clock::now() - t).count();
}

// Notes when each still-open session was closed by the recorder.
int noteClosed(std::vector<std::unique_ptr<WireClient>> &sessions, Clock::time_point begin,
               double &first, double &last)
{
    int closed = 0;
    for (auto &s : sessions) {
        if (s->fd() >= 0 && s->closedByPeer(0)) {
            s->close();
            const double at = secondsSince(begin);
            first = first < 0 ? at : first;
            last = at;
        }
        closed += s->fd() < 0;
    }
    return closed;
}
bool logIn(std::uint16_t port, std::vector<std::unique_ptr<WireClient>> &sessions, QString &error)
{
    for (int i = 0; i < AttackSilent::kSessions; ++i) {
        sessions.push_back(std::make_unique<WireClient>());
        if (!sessions.back()->connectTo(port, WireClient::loopback(i), 2000) ||
            !sessions.back()->login(2000)) {
            error = QString("silent session %1 could not log in").arg(i);
            return false;
        }
    }
    return true;
}
} // namespace

bool AttackSilent::run(Json::Value &figures, QString &error)
{
    AttackSim sim;
    if (!LoginProbe::prepare(error) || !sim.start({}, error))
        return false;
    std::vector<std::unique_ptr<WireClient>> sessions;
    if (!logIn(sim.port(), sessions, error))
        return false;
    const Clock::time_point begin = Clock::now();
    double honestIn = -1, firstClosed = -1, lastClosed = -1;
    int closed = 0, tries = 0;
    LoginProbe::Target target;
    target.port = sim.port();
    Clock::time_point nextTry = begin;
    while (secondsSince(begin) < kDeadlineS && (honestIn < 0 || closed < kSessions)) {
        if (honestIn < 0 && Clock::now() >= nextTry) {
            ++tries;
            if (LoginProbe::run(target, 1).successes == 1)
                honestIn = secondsSince(begin);
            nextTry = Clock::now() + std::chrono::milliseconds(kTryEveryMs);
        }
        closed = noteClosed(sessions, begin, firstClosed, lastClosed);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    figures["honest_login_in_s"] = honestIn;
    figures["honest_login_tries"] = tries;
    figures["silent_closed"] = closed;
    figures["silent_first_closed_s"] = firstClosed;
    figures["silent_all_closed_s"] = closed == kSessions ? lastClosed : -1;
    std::fprintf(stderr,
                 "[attack] silent: honest login in after %.1f s (%d tries); %d of %d silent "
                 "closed, first %.1f s, last %.1f s (-1: not within %d s)\n",
                 honestIn, tries, closed, kSessions, firstClosed, lastClosed, kDeadlineS);
    return true;
}
